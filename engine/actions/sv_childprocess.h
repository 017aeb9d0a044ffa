#ifndef SV_CHILDPROCESS_H
#define SV_CHILDPROCESS_H

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

// A child process with captured output. This class is the engine's only user of
// QProcess; an action that runs a program uses it (or derives from SV_ProcessAction).
//
// What it guarantees:
// - The program and its arguments form an argument vector handed to the program as it
//   is, never through a shell; the program is searched on PATH unless it holds a slash.
// - start() knows the outcome of the exec before it returns: false when nothing was
//   started (already running, no program, not executable), and then no signal follows.
// - Output arrives in chunks (receivedStdout(), receivedStderr()) as the child writes it;
//   a chunk may end anywhere, even inside a multi-byte character or a line.
// - processExited() comes exactly once per successful start, after the last chunk of
//   output has been delivered; with NotifyOnExit from the event loop, with Block before
//   start() returns.
// - After detach() or the object's destruction no signal arrives for that child; a
//   child still running when its object is destroyed is killed and reaped.
//
//   SV_ChildProcess child;
//   child << QStringLiteral("rpm") << QStringLiteral("-q") << QStringLiteral("bash");
//   QObject::connect(&child, &SV_ChildProcess::processExited, [](SV_ChildProcess* p) {
//       use(p->normalExit() && p->exitStatus() == 0);
//   });
//   if (!child.start()) { /* not started: report it, no exit signal follows */ }
class SV_ChildProcess : public QObject {
    Q_OBJECT
public:
    enum RunMode {
        DontCare = 0,
        NotifyOnExit = 1, // start() returns at once; processExited() follows later
        Block = 2,        // start() returns after the exit has been delivered
    };
    enum Communication {
        NoCommunication = 0,
        Stdin = 1, // accepted for completeness; nothing is ever written to the child
        Stdout = 2,
        Stderr = 4,
        AllOutput = 6,
        All = 7,
    };

    explicit SV_ChildProcess(QObject* parent = nullptr);
    ~SV_ChildProcess() override;

    // Argument vector: program first, then the arguments in order.
    void clearArguments();
    SV_ChildProcess& operator<<(const QString& arg);
    const QStringList& arguments() const { return m_arguments; }

    // Starts the child. False when it is already running, when there is no program or when
    // the program cannot be executed: the exec failure is known before start() returns.
    // The program is searched on PATH unless it holds a slash. Uncaptured output channels
    // are discarded; the child's standard input reads from the null device.
    bool start(RunMode runMode = NotifyOnExit, Communication comm = AllOutput);

    // True when the child has exited by itself (not by a signal).
    bool normalExit() const;
    // The exit status of a child that exited normally.
    int exitStatus() const;
    bool isRunning() const;
    pid_t pid() const;
    // Sends a signal to the running child. False when there is none or sending fails.
    bool kill(int signo = 15);
    // Releases the running child: it keeps running, no further output and no exit signal
    // arrive for it. It is reaped once it exits while the event loop runs; the files named
    // in removeOnExit are deleted then. The object can start a new child afterwards.
    void detach(const QStringList& removeOnExit = QStringList());

signals:
    void receivedStdout(SV_ChildProcess* proc, const QByteArray& chunk);
    void receivedStderr(SV_ChildProcess* proc, const QByteArray& chunk);
    void processExited(SV_ChildProcess* proc);

private:
    void createProcess();
    void readStdout();
    void readStderr();
    void finished(int exitCode, QProcess::ExitStatus status);

    QProcess* m_process = nullptr;
    QStringList m_arguments;
    bool m_running = false;
    bool m_exited = false;
    bool m_normalExit = false;
    int m_exitStatus = 0;
    Communication m_comm = AllOutput;
};

#endif
