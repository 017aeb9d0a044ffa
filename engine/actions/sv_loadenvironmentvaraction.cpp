#include "sv_loadenvironmentvaraction.h"

void SV_LoadEnvironmentVarAction::slot_start() {
    SV_Action::slot_start();
    m_name = option(QStringLiteral("environment-variable"));
    m_value = QString();
    if (m_name.isNull()) {
        err(ID(), QStringLiteral("No environment variable to load was specified!"));
    } else {
        const QByteArray key = m_name.toLocal8Bit();
        if (qEnvironmentVariableIsSet(key.constData()))
            m_value = QString::fromLocal8Bit(qgetenv(key.constData()));
    }
    slot_setDone();
}
