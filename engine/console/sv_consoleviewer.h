#ifndef SV_CONSOLEVIEWER_H
#define SV_CONSOLEVIEWER_H

#include "sv_consoleanswers.h"
#include "sv_consoleterminal.h"
#include "sv_viewer.h"

#include <QList>
#include <QMetaObject>

class SV_Action;
class SV_Engine;
class SV_Stage;
class SV_UIElement;
class SV_Variable;

// The wizard in a terminal. With a terminal on standard input it asks for every input of
// a stage, shows the outputs and offers Next, Back, Cancel, the stage's action launchers
// and the log. Otherwise the installation is unattended: the answers are read from
// standard input (see SV_ConsoleAnswers), checked as a whole before the first stage, and
// the walk goes Next through every valid stage and Done at the end. A stage that cannot
// continue with the answers ends the run with status 2; an install sequence's question
// after an error is answered "no". At the end the plain-text log is written to a file.
class SV_ConsoleViewer : public SV_Viewer {
    Q_OBJECT
public:
    explicit SV_ConsoleViewer(QObject* parent = nullptr);

    bool interactive() const { return m_interactive; }

    QString getLanguage() override;
    void startLoading() override;
    void setLoadingMessage(const QString& message) override;
    void startInstaller() override;
    void showLog() override;
    QString getYesNo(const QString& question) override;
    void showPrompt(const QString& message) override;

    // Rich text as plain text: tags dropped, paragraphs and breaks as line ends,
    // the common entities decoded.
    static QString plainText(const QString& richText);

private slots:
    void slot_checkCurrStage();
    void slot_writeLog();

private:
    void showStage(SV_Stage* stage);
    void leaveStage();
    void watchSequences(SV_Stage* stage);
    void printStage(SV_Stage* stage);
    void printOutputs(SV_Stage* stage);
    void runUnattended(SV_Stage* stage);
    void runInteractive(SV_Stage* stage);
    // Asks for the value of one variable until it is taken; false at the end of input.
    bool ask(SV_Variable* variable);
    bool askPassword(SV_Variable* variable);
    bool askChoice(SV_Variable* variable, bool multiple);
    bool askBool(SV_Variable* variable);
    // Runs a launcher's action to its end, showing its progress.
    void launch(SV_Action* action, const QString& title);
    void goNext(SV_Stage* stage);
    // The stage's input variables with their current values, for messages.
    QString describeInputs(SV_Stage* stage);
    // End of input while asking: cancel the run cleanly.
    void endOfInput();
    void finish();
    QString label(SV_Variable* variable) const;

    SV_Engine* m_engine;
    SV_ConsoleTerminal m_terminal;
    SV_ConsoleAnswers m_answers;
    bool m_interactive;
    bool m_ended = false;
    bool m_finishing = false;
    SV_Stage* m_current = nullptr;
    bool m_initDone = false;
    bool m_waitingForSequences = false;
    bool m_handled = false;
    QList<QMetaObject::Connection> m_stageConnections;
};

#endif
