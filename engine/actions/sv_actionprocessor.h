#ifndef SV_ACTIONPROCESSOR_H
#define SV_ACTIONPROCESSOR_H

#include "sv_action.h"
#include "sv_logger.h"

#include <QList>
#include <QObject>
#include <QQueue>

// Runs a list of actions one after another, summing their progress. Never stops on errors.
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

// Runs a whole action list as one action.
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
