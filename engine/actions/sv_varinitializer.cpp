#include "sv_varinitializer.h"

#include "sv_boolvariable.h"
#include "sv_engine.h"
#include "sv_genrandompasswordaction.h"
#include "sv_secrets.h"
#include "sv_variable.h"

namespace {

// The initializers that have started their action and wait for it, in starting order. An
// initializer whose action is one of them (or itself) would start a chain that never ends.
QList<SV_VarInitializer*>& waitingInitializers() {
    static QList<SV_VarInitializer*> waiting;
    return waiting;
}

} // namespace

void SV_VarInitializer::slot_start() {
    SV_Action::slot_start();
    SV_Engine* engine = SV_Engine::engine();
    m_action = engine->action(option(QStringLiteral("action_id")));
    m_variable = engine->variable(option(QStringLiteral("var_id")));
    if (!m_action || !m_variable) {
        err(ID(), QStringLiteral("Could not load the needed variable or action"));
        slot_setDone();
        return;
    }
    QList<SV_VarInitializer*>& waiting = waitingInitializers();
    const auto* target = qobject_cast<SV_VarInitializer*>(m_action.data());
    const int cycleStart = m_action == this ? int(waiting.size()) : int(waiting.indexOf(target));
    if (m_action == this || (target && cycleStart >= 0)) {
        QStringList cycle;
        for (int i = cycleStart; i < waiting.size(); ++i)
            cycle << waiting.at(i)->ID();
        cycle << ID() << m_action->ID();
        err(ID(), QStringLiteral("Initializer cycle: %1").arg(cycle.join(QStringLiteral(" -> "))));
        m_action = nullptr;
        slot_setDone();
        return;
    }
    waiting.append(this);
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
            // A variable that receives a generated password keeps a secret, also when
            // the user changes it later.
            if (qobject_cast<SV_GenRandomPasswordAction*>(m_action.data()))
                SV_Secrets::addVariable(m_variable);
            m_variable->storeValue(QStringList(option(QStringLiteral("prepend-data")) +
                                               m_action->rval() +
                                               option(QStringLiteral("append-data"))));
        }
    }
    disconnect(m_action, &SV_Action::sig_actionDone, this, &SV_VarInitializer::slot_actionDone);
    m_action = nullptr;
    waitingInitializers().removeOne(this);
    slot_setDone();
}
