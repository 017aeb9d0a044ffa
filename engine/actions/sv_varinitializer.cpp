#include "sv_varinitializer.h"

#include "sv_boolvariable.h"
#include "sv_engine.h"
#include "sv_variable.h"

void SV_VarInitializer::slot_start() {
    SV_Action::slot_start();
    SV_Engine* engine = SV_Engine::engine();
    m_action = engine->action(option(QStringLiteral("action_id")));
    m_variable = engine->variable(option(QStringLiteral("var_id")));
    // An initializer never runs itself: that would never end.
    if (!m_action || !m_variable || m_action == this) {
        err(ID(), QStringLiteral("Could not load the needed variable or action"));
        slot_setDone();
        return;
    }
    connect(m_action, &SV_Action::sig_actionDone, this, &SV_VarInitializer::slot_actionDone);
    m_action->slot_start();
}

void SV_VarInitializer::slot_actionDone() {
    if (!m_action)
        return;
    if (m_variable) {
        if (qobject_cast<SV_BoolVariable*>(m_variable)) {
            m_variable->storeValue(QStringList(m_action->successful() ? QStringLiteral("true")
                                                                      : QStringLiteral("false")));
        } else {
            m_variable->storeValue(QStringList(option(QStringLiteral("prepend-data")) +
                                               m_action->rval() +
                                               option(QStringLiteral("append-data"))));
        }
    }
    disconnect(m_action, &SV_Action::sig_actionDone, this, &SV_VarInitializer::slot_actionDone);
    m_action = nullptr;
    slot_setDone();
}
