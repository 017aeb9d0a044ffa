#include "sv_action.h"

#include "sv_secrets.h"

int SV_Action::totalSteps() {
    return m_totalSteps;
}

QString SV_Action::rval() {
    return QString();
}

void SV_Action::err(const QString& source, const QString& message) {
    SV_Logger::err(source, message);
    m_successful = false;
    if (option(QStringLiteral("ignore-errors")) != QLatin1String("true"))
        emit sig_error(SV_Secrets::hide(QStringLiteral("Action: ") + source +
                                        QStringLiteral(", error msg: ") + message));
}

void SV_Action::slot_start() {
    m_successful = true;
    m_done = false;
    m_currSteps = 0;
}

void SV_Action::slot_cancel() {
    m_currSteps = 0;
}

void SV_Action::slot_setDone() {
    m_currSteps = 0;
    m_done = true;
    emit sig_progress(m_totalSteps);
    emit sig_actionDone();
}
