#ifndef SV_CONDITION_H
#define SV_CONDITION_H

#include "sv_logger.h"
#include "sv_options.h"

#include <QObject>
#include <QPointer>

class SV_Stage;
class SV_Variable;

// One test that a stage or UI element combines with others. Option "condition" holds
// the keyword; variable conditions also carry option "value".
class SV_Condition : public QObject, public SV_Options, public SV_Logger {
    Q_OBJECT
public:
    explicit SV_Condition(QObject* parent = nullptr) : QObject(parent) {}

    virtual bool eval() = 0;
};

// Tests a variable by keyword ("equal", "not-empty", "boolean", ...). Without a variable
// it is always false.
class SV_VarCondition : public SV_Condition {
    Q_OBJECT
public:
    explicit SV_VarCondition(QObject* parent = nullptr) : SV_Condition(parent) {}

    void setVariable(SV_Variable* variable) { m_variable = variable; }
    SV_Variable* variable() const { return m_variable; }

    bool eval() override;

private:
    SV_Variable* m_variable = nullptr;
};

// Tests whether a stage has been shown ("shown") or not ("not-shown"). Without a stage
// it is always false.
class SV_StageCondition : public SV_Condition {
    Q_OBJECT
public:
    explicit SV_StageCondition(QObject* parent = nullptr) : SV_Condition(parent) {}

    void setStage(SV_Stage* stage) { m_stage = stage; }
    SV_Stage* stage() const { return m_stage; }

    bool eval() override;

private:
    SV_Stage* m_stage = nullptr;
};

#endif
