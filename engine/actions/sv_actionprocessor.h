#ifndef SV_ACTIONPROCESSOR_H
#define SV_ACTIONPROCESSOR_H

#include "sv_action.h"
#include "sv_logger.h"

#include <QList>
#include <QObject>
#include <QQueue>

// Runs a list of actions one after another, summing their progress. It only points at the
// actions (one action may be listed in several processors, or twice in one).
//
// - startActions() stops a run still going, asks every action's totalSteps() and starts
//   the first; each next action starts when the one before emits sig_actionDone(). Pending
//   events are processed between two actions, so a cancel can arrive there.
// - A run may complete inside startActions(): an empty list, or actions that finish inside
//   their slot_start(), emit sig_actionsDone() before startActions() returns.
// - sig_actionProgress(n) counts in the steps of the whole list: the steps of the actions
//   already finished plus the current action's value; a value above the current action's
//   totalSteps() is dropped.
// - sig_actionError() passes each error text on unchanged; errors never stop the run.
// - sig_actionDone(action) follows each finished action, sig_actionsDone() the whole run,
//   once per run.
// - stopActions() cancels the current action and drops the rest; nothing is emitted at
//   once. When the cancelled action still finishes later, the run reports
//   sig_actionsDone() then; an action that never finishes leaves the run without it.
//
//   SV_ActionProcessor processor;
//   processor.addAction(unpack);
//   processor.addAction(configure);
//   QObject::connect(&processor, &SV_ActionProcessor::sig_actionsDone, [] { next(); });
//   processor.startActions();
class SV_ActionProcessor : public QObject, public SV_Logger {
    Q_OBJECT
public:
    explicit SV_ActionProcessor(bool forward = true, QObject* parent = nullptr);

    void addAction(SV_Action* action);
    void startActions();
    void stopActions();
    void emptyActions();
    int totalActionSteps() const;
    bool actionsDone() const { return m_done; }
    const QList<SV_Action*>& actionList() const { return m_actions; }

public slots:
    void slot_actionDone();
    void slot_actionProgress(int steps);
    void slot_actionError(const QString& message);

signals:
    void sig_actionProgress(int steps);
    void sig_actionsDone();
    void sig_actionDone(SV_Action* action);
    void sig_actionError(const QString& message);
    // The text lines of the running action (SV_Action::sig_text), passed on.
    void sig_actionText(const QString& text);

private:
    // Finishes the current action, if any, and starts the next one (or reports the run
    // done); m_finishedWhileStarting tells whether the started action finished at once.
    void runNext();

    QList<SV_Action*> m_actions;
    QQueue<SV_Action*> m_queue;
    SV_Action* m_current = nullptr;
    bool m_done = false;
    bool m_forward;
    int m_stepsDone = 0;
    int m_currentTotal = 0;
    bool m_starting = false;
    bool m_finishedWhileStarting = false;
};

// Runs a whole action list as one action: its steps are the list's, its progress and
// errors are the processor's, and it is done when the processor's run is; a cancel stops
// the processor. Errors of the inner actions do not make the wrapper unsuccessful.
class SV_ActionProcessorAction : public SV_Action {
    Q_OBJECT
public:
    explicit SV_ActionProcessorAction(QObject* parent = nullptr);

    void addAction(SV_Action* action);
    int totalSteps() override;
    SV_ActionProcessor* processor() const { return m_processor; }

public slots:
    void slot_start() override;
    void slot_cancel() override;
    void slot_actionProgress(int steps);
    void slot_actionError(const QString& message);

private:
    SV_ActionProcessor* m_processor;
};

#endif
