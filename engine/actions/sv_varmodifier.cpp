#include "sv_varmodifier.h"

#include "sv_engine.h"
#include "sv_variable.h"
#include "sv_variableregexp.h"

void SV_VarModifier::slot_start() {
    SV_Action::slot_start();
    if (SV_Variable* variable = SV_Engine::engine()->variable(option(QStringLiteral("var_id")))) {
        QString value = option(QStringLiteral("newstring"));
        SV_VariableRegExp::fixString(value);
        variable->storeValue(QStringList(value));
    }
    slot_setDone();
}
