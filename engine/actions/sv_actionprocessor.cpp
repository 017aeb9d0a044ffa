#include "sv_actionprocessor.h"

#include <QCoreApplication>

SV_ActionProcessor::SV_ActionProcessor(bool forward, QObject* parent)
    : QObject(parent), m_forward(forward) {}

void SV_ActionProcessor::addAction(SV_Action* action) {
    m_actions.append(action);
}

void SV_ActionProcessor::startActions() {
    m_done = false;
    stopActions();
    m_stepsDone = 0;
    for (SV_Action* action : m_actions) {
        action->totalSteps();
        m_queue.enqueue(action);
    }
    slot_actionDone();
}

void SV_ActionProcessor::stopActions() {
    // The queue is emptied and the current action forgotten before the cancel, so that
    // an action finishing inside its cancel already meets the stopped state. The
    // cancelled action keeps its connections: when it still finishes, slot_actionDone
    // finds nothing to run and reports the run as done.
    m_queue.clear();
    SV_Action* current = m_current;
    m_current = nullptr;
    if (current)
        current->slot_cancel();
}

void SV_ActionProcessor::emptyActions() {
    stopActions();
    m_actions.clear();
}

int SV_ActionProcessor::totalActionSteps() const {
    int total = 0;
    for (SV_Action* action : m_actions)
        total += action->totalSteps();
    return total;
}

void SV_ActionProcessor::slot_actionDone() {
    // An action that finishes inside its own slot_start() lands here while the loop below
    // is still starting it: note that, and let the loop go on with the next action. A
    // long list of actions that finish at once so runs in a loop instead of one nested
    // call per action.
    if (m_starting) {
        m_finishedWhileStarting = true;
        return;
    }
    do {
        runNext();
    } while (m_finishedWhileStarting);
}

void SV_ActionProcessor::runNext() {
    m_finishedWhileStarting = false;
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();

    if (m_current) {
        SV_Action* finished = m_current;
        m_current = nullptr;
        m_stepsDone += m_currentTotal;
        disconnect(finished, &SV_Action::sig_actionDone, this,
                   &SV_ActionProcessor::slot_actionDone);
        disconnect(finished, &SV_Action::sig_progress, this,
                   &SV_ActionProcessor::slot_actionProgress);
        disconnect(finished, &SV_Action::sig_error, this, &SV_ActionProcessor::slot_actionError);
        disconnect(finished, &SV_Action::sig_text, this, &SV_ActionProcessor::sig_actionText);
        if (m_forward)
            emit sig_actionDone(finished);
    }

    if (m_queue.isEmpty()) {
        m_done = true;
        emit sig_actionsDone();
        return;
    }

    SV_Action* next = m_queue.dequeue();
    m_current = next;
    // Unique: an action cancelled in an earlier run keeps its connections, and must not
    // report twice when it runs again.
    connect(next, &SV_Action::sig_actionDone, this, &SV_ActionProcessor::slot_actionDone,
            Qt::UniqueConnection);
    connect(next, &SV_Action::sig_progress, this, &SV_ActionProcessor::slot_actionProgress,
            Qt::UniqueConnection);
    connect(next, &SV_Action::sig_error, this, &SV_ActionProcessor::slot_actionError,
            Qt::UniqueConnection);
    connect(next, &SV_Action::sig_text, this, &SV_ActionProcessor::sig_actionText,
            Qt::UniqueConnection);
    m_currentTotal = next->totalSteps();
    m_starting = true;
    next->slot_start();
    m_starting = false;
}

void SV_ActionProcessor::slot_actionProgress(int steps) {
    if (m_forward && steps <= m_currentTotal)
        emit sig_actionProgress(m_stepsDone + steps);
}

void SV_ActionProcessor::slot_actionError(const QString& message) {
    if (m_forward)
        emit sig_actionError(message);
}

SV_ActionProcessorAction::SV_ActionProcessorAction(QObject* parent)
    : SV_Action(parent), m_processor(new SV_ActionProcessor(true, this)) {
    m_processor->setObjectName(QStringLiteral("SV_ActionProcessorAction ActionProcessor"));
    setID(QStringLiteral("ActionProcessorAction"));
    connect(m_processor, &SV_ActionProcessor::sig_actionsDone, this, &SV_Action::slot_setDone);
    connect(m_processor, &SV_ActionProcessor::sig_actionProgress, this,
            &SV_ActionProcessorAction::slot_actionProgress);
    connect(m_processor, &SV_ActionProcessor::sig_actionError, this,
            &SV_ActionProcessorAction::slot_actionError);
    // The lines of the actions in the list are the sequence's own.
    connect(m_processor, &SV_ActionProcessor::sig_actionText, this, &SV_Action::sig_text);
}

void SV_ActionProcessorAction::addAction(SV_Action* action) {
    if (action)
        m_processor->addAction(action);
}

int SV_ActionProcessorAction::totalSteps() {
    m_totalSteps = m_processor->totalActionSteps();
    return m_totalSteps;
}

void SV_ActionProcessorAction::slot_start() {
    SV_Action::slot_start();
    totalSteps();
    m_processor->startActions();
}

void SV_ActionProcessorAction::slot_cancel() {
    SV_Action::slot_cancel();
    m_processor->stopActions();
}

void SV_ActionProcessorAction::slot_actionProgress(int steps) {
    // Kept, so that a widget shown later starts from the progress reached.
    m_currSteps = steps;
    emit sig_progress(steps);
}

void SV_ActionProcessorAction::slot_actionError(const QString& message) {
    emit sig_error(message);
}
