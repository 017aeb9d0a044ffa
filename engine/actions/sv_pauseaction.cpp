#include "sv_pauseaction.h"

#include "sv_progresssteps.h"

#include <QTimer>

SV_PauseAction::SV_PauseAction(QObject* parent) : SV_Action(parent), m_timer(new QTimer(this)) {
    connect(m_timer, &QTimer::timeout, this, &SV_PauseAction::slot_progress);
}

int SV_PauseAction::totalSteps() {
    bool ok = false;
    const int time = option(QStringLiteral("time")).toInt(&ok);
    if (!ok)
        return m_totalSteps;
    m_totalSteps = SV_ProgressSteps::steps(time, option(QStringLiteral("progress-interval")));
    return m_totalSteps;
}

void SV_PauseAction::slot_start() {
    SV_Action::slot_start();
    const QString timeText = option(QStringLiteral("time"));
    bool ok = false;
    const int time = timeText.toInt(&ok);
    if (!ok) {
        err(ID(), QStringLiteral("Invalid time: %1, specified for PauseAction").arg(timeText));
        slot_setDone();
        return;
    }
    const int interval = SV_ProgressSteps::interval(option(QStringLiteral("progress-interval")));
    log(ID(),
        QStringLiteral("Pausing for %1 ms, progress interval = %2 ms").arg(time).arg(interval));
    totalSteps();
    m_currSteps = 0;
    m_timer->start(interval);
}

void SV_PauseAction::slot_progress() {
    ++m_currSteps;
    emit sig_progress(m_currSteps);
    if (m_currSteps >= m_totalSteps) {
        m_timer->stop();
        slot_setDone();
    }
}

void SV_PauseAction::slot_cancel() {
    SV_Action::slot_cancel();
    m_timer->stop();
}
