#include "sv_condition.h"

#include "sv_boolvariable.h"
#include "sv_stage.h"
#include "sv_variable.h"

bool SV_VarCondition::eval() {
    if (!m_variable) {
        return false;
    }
    const QString keyword = option(QStringLiteral("condition"));
    const QString v = option(QStringLiteral("value"));

    if (keyword == QLatin1String("item-selected")) {
        return m_variable->isChoiceSelected(v);
    }
    if (keyword == QLatin1String("item-not-selected")) {
        return !m_variable->isChoiceSelected(v);
    }
    if (keyword == QLatin1String("not-empty")) {
        return !m_variable->isEmpty();
    }
    if (keyword == QLatin1String("equal")) {
        return m_variable->equals(v);
    }
    if (keyword == QLatin1String("not-equal")) {
        return !m_variable->equals(v);
    }
    if (keyword == QLatin1String("valid-password") || keyword == QLatin1String("existing-dir")) {
        return m_variable->isCurrentDataValid(keyword);
    }
    if (keyword == QLatin1String("boolean")) {
        auto* boolean = qobject_cast<SV_BoolVariable*>(m_variable);
        if (!boolean) {
            return false;
        }
        if (v.isEmpty() || v == QLatin1String("true")) {
            return boolean->isTrue();
        }
        if (v == QLatin1String("false")) {
            return boolean->isFalse();
        }
        if (v == QLatin1String("undefined")) {
            return boolean->isUndefined();
        }
        return false;
    }
    return false;
}

bool SV_StageCondition::eval() {
    if (!m_stage) {
        return false;
    }
    const QString keyword = option(QStringLiteral("condition"));
    if (keyword == QLatin1String("shown")) {
        return m_stage->shown();
    }
    if (keyword == QLatin1String("not-shown")) {
        return !m_stage->shown();
    }
    return false;
}
