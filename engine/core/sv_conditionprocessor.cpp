#include "sv_conditionprocessor.h"

#include "sv_condition.h"

void SV_ConditionProcessor::addCondition(SV_Condition* condition) {
    if (condition) {
        m_conditions.append(condition);
    }
}

bool SV_ConditionProcessor::eval() const {
    if (conditionOperator() == QLatin1String("or")) {
        for (SV_Condition* condition : m_conditions) {
            if (condition->eval()) {
                return true;
            }
        }
        return false;
    }
    for (SV_Condition* condition : m_conditions) {
        if (!condition->eval()) {
            return false;
        }
    }
    return true;
}
