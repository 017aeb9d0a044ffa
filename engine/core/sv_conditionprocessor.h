#ifndef SV_CONDITIONPROCESSOR_H
#define SV_CONDITIONPROCESSOR_H

#include "sv_options.h"

#include <QList>

class SV_Condition;

// An ordered list of conditions combined by the operator in option "condition": "or"
// needs one true condition (an empty list is false); anything else needs all of them
// (an empty list is true). Does not own the conditions.
class SV_ConditionProcessor : public SV_Options {
public:
    void addCondition(SV_Condition* condition);
    bool eval() const;

    void setOperator(const QString& op) { setOption(QStringLiteral("condition"), op); }
    QString conditionOperator() const { return option(QStringLiteral("condition")); }
    const QList<SV_Condition*>& conditions() const { return m_conditions; }

private:
    QList<SV_Condition*> m_conditions;
};

#endif
