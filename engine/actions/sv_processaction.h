#ifndef SV_PROCESSACTION_H
#define SV_PROCESSACTION_H

#include "sv_action.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QStringList>

class QTimer;
class SV_ChildProcess;

// Runs one external program without a shell, captures its standard output and standard
// error, logs the command line with the captured text and turns a failed run into an
// action error. Base of every action that runs a program.
class SV_ProcessAction : public SV_Action {
    Q_OBJECT
public:
    explicit SV_ProcessAction(QObject* parent = nullptr);
    ~SV_ProcessAction() override;

    int totalSteps() override;
    // With the option "rval" set to "stdout": what the program wrote on standard output in
    // its last run, without the line ends at its end (a var-init then takes a program's
    // answer, such as `uname -m`). Otherwise empty, as for every process action.
    QString rval() override;

    // True when a file of that name exists in one of the directories of PATH (an
    // absolute name is tested directly).
    static bool exeInPath(const QString& name);

    const QStringList& commandLine() const { return m_commandLine; }
    const QString& standardOutput() const { return m_stdout; }
    const QString& standardError() const { return m_stderr; }
    SV_ChildProcess* child() const { return m_child; }

public slots:
    void slot_start() override;
    void slot_cancel() override;
    virtual void slot_readStdout();
    virtual void slot_readStderr();
    virtual void slot_procDone();
    virtual void slot_readStdout(SV_ChildProcess* proc, const QByteArray& chunk);
    virtual void slot_readStderr(SV_ChildProcess* proc, const QByteArray& chunk);
    virtual void slot_procDone(SV_ChildProcess* proc);
    void slot_progress();

protected:
    // Builds the command line (program first) and the temporary-file list; false when the
    // command line cannot be built.
    virtual bool fixCommandLine();

    void loadArguments();
    void process_procDone();
    void checkErrors();
    void log_output();

    QStringList m_commandLine;
    QStringList m_tempFiles;
    QStringList m_templateArgs;
    QString m_stdout;
    QString m_stderr;
    SV_ChildProcess* m_child;
    int m_time = -1;
    int m_elapsed = -1;
    int m_interval = -1;
    QTimer* m_progressTimer = nullptr;

private:
    // Creates an empty temporary file for a filled-out template argument, lists it in
    // m_tempFiles and for removal at a fatal end; its path, or empty when it cannot be made.
    QString createTemplateCopy();
    void stopProgress();
    void removeTempFiles();
    // Appends decoded output to pending and emits sig_text for each complete line in it.
    void emitLines(QString& pending, const QString& text);
    // Emits what is left of an unfinished last line.
    void flushLines();

    QStringDecoder m_stdoutDecoder;
    QStringDecoder m_stderrDecoder;
    QString m_pendingStdout;
    QString m_pendingStderr;
};

#endif
