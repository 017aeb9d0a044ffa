#include "sv_installsequenceaction.h"

#include "sv_actionprocessor.h"
#include "sv_engine.h"
#include "sv_uielement.h"

#include <QTimer>

SV_InstallSequenceAction::SV_InstallSequenceAction(QObject* parent)
    : SV_Action(parent), m_gapTimer(new QTimer(this)) {
    setID(QStringLiteral("InstallSequenceAction"));
    m_gapTimer->setSingleShot(true);
    m_gapTimer->setInterval(SequenceGapMs);
    connect(m_gapTimer, &QTimer::timeout, this, &SV_InstallSequenceAction::slot_startNextSequence);
}

void SV_InstallSequenceAction::addActionSequence(SV_UIActionSequence* sequence) {
    if (sequence) {
        m_sequences.append(sequence);
    }
}

int SV_InstallSequenceAction::totalSteps() {
    int total = 0;
    for (SV_UIActionSequence* sequence : std::as_const(m_sequences)) {
        if (sequence->isValid() && sequence->action()) {
            total += sequence->action()->totalSteps();
        }
    }
    return total;
}

SV_Action* SV_InstallSequenceAction::currentAction() const {
    return m_current ? m_current->action() : nullptr;
}

void SV_InstallSequenceAction::slot_start() {
    SV_Action::slot_start();
    // A run that is still going (or waiting between sequences) is abandoned first, so
    // that its sequence cannot feed progress or completion into the new run.
    m_gapTimer->stop();
    if (SV_Action* action = currentAction()) {
        disconnect(action, nullptr, this, nullptr);
    }
    m_queue.clear();
    m_current = nullptr;
    m_totalSteps = 0;
    m_currSteps = 0;
    for (SV_UIActionSequence* sequence : std::as_const(m_sequences)) {
        if (!sequence->isValid()) {
            continue;
        }
        if (sequence->action()) {
            m_totalSteps += sequence->action()->totalSteps();
        }
        m_queue.enqueue(sequence);
    }
    slot_sequenceDone();
}

void SV_InstallSequenceAction::slot_sequenceDone() {
    if (SV_Action* action = currentAction()) {
        m_currSteps += action->totalSteps();
        disconnect(action, &SV_Action::sig_actionDone, this,
                   &SV_InstallSequenceAction::slot_sequenceDone);
        disconnect(action, &SV_Action::sig_progress, this,
                   &SV_InstallSequenceAction::slot_sequenceProgress);
        disconnect(action, &SV_Action::sig_error, this, &SV_InstallSequenceAction::slot_error);
    }
    m_current = nullptr;
    m_gapTimer->start();
}

void SV_InstallSequenceAction::slot_startNextSequence() {
    if (m_queue.isEmpty()) {
        m_current = nullptr;
        slot_setDone();
        return;
    }
    m_current = m_queue.dequeue();
    SV_Action* action = currentAction();
    if (!action) {
        slot_sequenceDone();
        return;
    }
    emit sig_new_subjob(m_current->text(), action);
    connect(action, &SV_Action::sig_actionDone, this, &SV_InstallSequenceAction::slot_sequenceDone);
    connect(action, &SV_Action::sig_progress, this,
            &SV_InstallSequenceAction::slot_sequenceProgress);
    connect(action, &SV_Action::sig_error, this, &SV_InstallSequenceAction::slot_error);
    action->slot_start();
}

void SV_InstallSequenceAction::slot_sequenceProgress(int steps) {
    emit sig_progress(m_currSteps + steps);
}

void SV_InstallSequenceAction::slot_error(const QString& message) {
    setNotSuccessful();
    if (m_queue.isEmpty()) {
        return;
    }
    // Rich text: the message (a command's error output, say) is escaped so that it shows
    // as written; the sentences are in the user's language.
    const QString question = QStringLiteral("<p>%1<blockquote>%2<blockquote><br>%3</p>")
                                 .arg(tr("The following error occurred:"), message.toHtmlEscaped(),
                                      tr("Do you want to continue?"));
    if (SV_Engine::engine()->getYesNo(question) == QLatin1String("no")) {
        m_queue.clear();
        if (SV_Action* action = currentAction()) {
            action->slot_cancel();
        }
    }
}

void SV_InstallSequenceAction::slot_cancel() {
    m_queue.clear();
    if (SV_Action* action = currentAction()) {
        action->slot_cancel();
    }
}
