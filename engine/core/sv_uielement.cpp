#include "sv_uielement.h"

#include "sv_action.h"
#include "sv_actionprocessor.h"
#include "sv_installsequenceaction.h"

void SV_UIElement::addValidCondition(SV_Condition* condition) {
    m_validConditions.addCondition(condition);
}

bool SV_UIElement::isValid() {
    return m_validConditions.eval();
}

void SV_UIElement::setValidConditionOperator(const QString& op) {
    m_validConditions.setOperator(op);
}

SV_UIActionSequence::SV_UIActionSequence(QObject* parent)
    : SV_UIElement(parent), m_action(new SV_ActionProcessorAction(this)) {}

void SV_UIActionSequence::addAction(SV_Action* action) {
    m_action->addAction(action);
}

SV_UIInstallSequence::SV_UIInstallSequence(QObject* parent)
    : SV_UIElement(parent), m_action(new SV_InstallSequenceAction(this)) {}

void SV_UIInstallSequence::addActionSequence(SV_UIActionSequence* sequence) {
    m_action->addActionSequence(sequence);
}

void SV_UIActionLauncher::launchAction() {
    if (m_action) {
        m_action->slot_start();
    }
}
