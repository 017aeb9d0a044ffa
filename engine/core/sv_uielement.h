#ifndef SV_UIELEMENT_H
#define SV_UIELEMENT_H

#include "sv_conditionprocessor.h"
#include "sv_options.h"

#include <QObject>

class SV_Action;
class SV_ActionProcessorAction;
class SV_Condition;
class SV_InstallSequenceAction;
class SV_Variable;

// A viewer-independent description of one thing shown on a stage. Option "text" holds
// its display text; its valid conditions decide whether it is currently shown.
class SV_UIElement : public QObject, public SV_Options {
    Q_OBJECT
public:
    explicit SV_UIElement(QObject* parent = nullptr) : QObject(parent) {}

    virtual void addValidCondition(SV_Condition* condition);
    virtual bool isValid();
    virtual void setValidConditionOperator(const QString& op);

    const SV_ConditionProcessor& validConditions() const { return m_validConditions; }

private:
    SV_ConditionProcessor m_validConditions;
};

// An input that writes into a variable.
class SV_UIVariableInput : public SV_UIElement {
    Q_OBJECT
public:
    explicit SV_UIVariableInput(SV_Variable* variable, QObject* parent = nullptr)
        : SV_UIElement(parent), m_variable(variable) {}

    SV_Variable* variable() const { return m_variable; }

private:
    SV_Variable* m_variable;
};

// Shows the value of a variable.
class SV_UIVariableOutput : public SV_UIElement {
    Q_OBJECT
public:
    explicit SV_UIVariableOutput(SV_Variable* variable = nullptr, QObject* parent = nullptr)
        : SV_UIElement(parent), m_variable(variable) {}

    void setVariable(SV_Variable* variable) { m_variable = variable; }
    SV_Variable* variable() const { return m_variable; }

private:
    SV_Variable* m_variable;
};

// Shows its own text.
class SV_UIOutput : public SV_UIElement {
    Q_OBJECT
public:
    explicit SV_UIOutput(QObject* parent = nullptr) : SV_UIElement(parent) {}
};

// A list of actions run as one action whose progress is shown. Option "output" says how
// ("progress" or "text").
class SV_UIActionSequence : public SV_UIElement {
    Q_OBJECT
public:
    explicit SV_UIActionSequence(QObject* parent = nullptr);

    void addAction(SV_Action* action);
    SV_ActionProcessorAction* action() const { return m_action; }

private:
    SV_ActionProcessorAction* m_action;
};

// Several action sequences run one after another by one install-sequence action.
class SV_UIInstallSequence : public SV_UIElement {
    Q_OBJECT
public:
    explicit SV_UIInstallSequence(QObject* parent = nullptr);

    void addActionSequence(SV_UIActionSequence* sequence);
    SV_InstallSequenceAction* action() const { return m_action; }

private:
    SV_InstallSequenceAction* m_action;
};

// A button that starts one action.
class SV_UIActionLauncher : public SV_UIElement {
    Q_OBJECT
public:
    explicit SV_UIActionLauncher(QObject* parent = nullptr) : SV_UIElement(parent) {}

    void setAction(SV_Action* action) { m_action = action; }
    SV_Action* action() const { return m_action; }
    // Starts the action, if there is one.
    void launchAction();

private:
    SV_Action* m_action = nullptr;
};

#endif
