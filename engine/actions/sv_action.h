#ifndef SV_ACTION_H
#define SV_ACTION_H

#include "sv_logger.h"
#include "sv_options.h"

#include <QObject>

// One unit of installation work (run a program, edit a file, wait, set a variable, ...).
// Every action is asynchronous in the same way, and every subclass keeps this contract;
// SV_ActionProcessor and the install sequences rely on it.
//
// - totalSteps() is asked before each start (by the processor, to sum the progress) and
//   may be asked again; an override may compute the count once and cache it in
//   m_totalSteps, which is also the value slot_setDone() reports.
// - An override of slot_start() calls SV_Action::slot_start() first (it resets done,
//   successful and currSteps), then starts the work: synchronously, or by starting a
//   timer, a socket or a child process.
// - The action may finish inside slot_start(): sig_actionDone() is then emitted before
//   slot_start() returns, and the caller must be ready for that.
// - Progress goes out as sig_progress(n), 0 <= n <= totalSteps(), in the action's own
//   steps; every error through err(ID(), message), which also marks the run unsuccessful.
//   Errors never end a run by themselves.
// - Each start ends with exactly one slot_setDone(), also after errors: it reports the
//   last step (sig_progress(m_totalSteps)) and then sig_actionDone(), once per start.
// - slot_cancel() asks the running work to stop; it does not finish the action itself.
//   Completion comes later (a process action finishes once its terminated child has
//   exited), or never for an action that has nothing left to wait for; a caller that
//   cancels keeps listening for sig_actionDone().
// - rval() is the action's result value after a run (a host name, a file's content, a
//   generated password, ...), read by the var-initializer; the base returns a null string.
// - An action can be started again once it is done; each start begins afresh.
//
// Running one, and a minimal action that finishes at once:
//   SV_PauseAction pause;
//   pause.setOption(QStringLiteral("time"), QStringLiteral("2000"));
//   QObject::connect(&pause, &SV_Action::sig_actionDone, [&] { use(pause.successful()); });
//   pause.slot_start(); // sig_actionDone() follows, here from the event loop
//
//   class SV_HelloAction : public SV_Action {
//       Q_OBJECT
//   public slots:
//       void slot_start() override {
//           SV_Action::slot_start();
//           log(ID(), QStringLiteral("hello\n"));
//           slot_setDone();
//       }
//   };
class SV_Action : public QObject, public SV_Options, public SV_Logger {
    Q_OBJECT
public:
    explicit SV_Action(QObject* parent = nullptr) : QObject(parent) {}

    // The number of progress steps of one run (the base: m_totalSteps, initially 1).
    virtual int totalSteps();
    // The result value of the last run (the base: a null string).
    virtual QString rval();

    // Logs the error, marks the run unsuccessful and, unless option "ignore-errors" is
    // "true", emits sig_error("Action: " + source + ", error msg: " + message).
    void err(const QString& source, const QString& message) override;

    // The last run has finished.
    bool done() const { return m_done; }
    // No error was reported during the last run.
    bool successful() const { return m_successful; }
    int currSteps() const { return m_currSteps; }
    void setNotSuccessful() { m_successful = false; }

public slots:
    // Starts a run; overrides call this first.
    virtual void slot_start();
    // Asks the run to stop; overrides call this first, and finish later (or never).
    virtual void slot_cancel();
    // Ends the run: the last progress value, then sig_actionDone(). Once per start.
    void slot_setDone();

signals:
    void sig_actionDone();
    void sig_progress(int steps);
    void sig_error(const QString& message);
    // A line of text the action reports while it runs (a command's output, say), without
    // its line end; an action sequence passes its actions' lines on.
    void sig_text(const QString& text);

protected:
    bool m_done = false;
    bool m_successful = true;
    int m_currSteps = 0;
    int m_totalSteps = 1;
};

#endif
