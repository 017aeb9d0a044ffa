#include "sv_stage.h"

#include "sv_action.h"
#include "sv_actionprocessor.h"
#include "sv_condition.h"
#include "sv_installsequenceaction.h"
#include "sv_uielement.h"
#include "sv_variable.h"

namespace {
QString controlKey(const QString& control) {
    if (control == QLatin1String("cancel") || control == QLatin1String("back") ||
        control == QLatin1String("next") || control == QLatin1String("finish")) {
        return control + QLatin1String("_text");
    }
    return QString();
}
} // namespace

SV_Stage::SV_Stage(QObject* parent)
    : QObject(parent), m_initializer(new SV_ActionProcessor(true, this)),
      m_actionRunner(new SV_ActionProcessor(true, this)) {
    m_actionRunner->setObjectName(QStringLiteral("Stage Action Runner"));
    connect(m_initializer, &SV_ActionProcessor::sig_actionsDone, this,
            &SV_Stage::slot_initializationDone);
    connect(m_actionRunner, &SV_ActionProcessor::sig_actionsDone, this,
            &SV_Stage::slot_stageActionsDone);
}

void SV_Stage::setControlVisible(const QString& control, bool visible) {
    if (control == QLatin1String("cancel")) {
        m_cancelVisible = visible;
    } else if (control == QLatin1String("back")) {
        m_backVisible = visible;
    } else if (control == QLatin1String("next")) {
        m_nextVisible = visible;
    } else if (control == QLatin1String("finish")) {
        m_finishVisible = visible;
    }
}

bool SV_Stage::controlVisible(const QString& control) const {
    if (control == QLatin1String("cancel")) {
        return m_cancelVisible;
    }
    if (control == QLatin1String("back")) {
        return m_backVisible;
    }
    if (control == QLatin1String("next")) {
        return m_nextVisible;
    }
    if (control == QLatin1String("finish")) {
        return m_finishVisible;
    }
    return false;
}

void SV_Stage::setControlText(const QString& control, const QString& text) {
    const QString key = controlKey(control);
    if (!key.isNull()) {
        setOption(key, text);
    }
}

QString SV_Stage::controlText(const QString& control) const {
    const QString key = controlKey(control);
    return key.isNull() ? QString() : option(key);
}

void SV_Stage::setDescriptionFile(const QString& file) {
    setOption(QStringLiteral("description-file"), file);
}

QString SV_Stage::descriptionFile() const {
    return option(QStringLiteral("description-file"));
}

QListIterator<SV_UIElement*> SV_Stage::ui_iterator() const {
    return QListIterator<SV_UIElement*>(m_uiElements);
}

void SV_Stage::addValidCondition(SV_Condition* condition) {
    m_validConditions.addCondition(condition);
}

void SV_Stage::addContinueCondition(SV_Condition* condition) {
    if (qobject_cast<SV_VarCondition*>(condition)) {
        m_continueConditions.addCondition(condition);
    }
}

void SV_Stage::setValidConditionOperator(const QString& op) {
    m_validConditions.setOperator(op);
}

void SV_Stage::setContinueConditionOperator(const QString& op) {
    m_continueConditions.setOperator(op);
}

void SV_Stage::addUIElement(SV_UIElement* element) {
    if (!element) {
        return;
    }
    m_uiElements.append(element);

    SV_Variable* variable = nullptr;
    bool isVariableElement = false;
    if (auto* input = qobject_cast<SV_UIVariableInput*>(element)) {
        variable = input->variable();
        isVariableElement = true;
    } else if (auto* output = qobject_cast<SV_UIVariableOutput*>(element)) {
        variable = output->variable();
        isVariableElement = true;
    }
    if (isVariableElement) {
        if (variable) {
            connect(variable, &SV_Variable::sig_valuechanged, this,
                    &SV_Stage::slot_stageDataChanged);
        }
    } else if (qobject_cast<SV_UIActionSequence*>(element) ||
               qobject_cast<SV_UIInstallSequence*>(element)) {
        m_hasActionSequences = true;
        m_actionsDone = false;
    }
}

void SV_Stage::addInitializer(SV_Action* action) {
    if (action) {
        m_initializer->addAction(action);
    }
}

void SV_Stage::init() {
    m_initializationDone = false;
    m_shown = true;
    m_initializer->startActions();
}

void SV_Stage::finish() {
    m_actionRunner->stopActions();
}

bool SV_Stage::canContinue() const {
    return m_continueConditions.eval() && m_initializationDone &&
           (!m_hasActionSequences || m_actionsDone);
}

void SV_Stage::initActions() {
    if (m_hasActionSequences) {
        m_actionRunner->emptyActions();
        for (SV_UIElement* element : std::as_const(m_uiElements)) {
            if (!element->isValid()) {
                continue;
            }
            SV_Action* action = nullptr;
            if (auto* sequence = qobject_cast<SV_UIActionSequence*>(element)) {
                action = sequence->action();
            } else if (auto* install = qobject_cast<SV_UIInstallSequence*>(element)) {
                action = install->action();
            }
            if (action) {
                m_actionRunner->addAction(action);
            }
        }
    }
    // Started also when empty: it then reports completion at once.
    m_actionRunner->startActions();
}

void SV_Stage::slot_initializationDone() {
    m_initializationDone = true;
    emit sig_initializationDone();
    initActions();
}

void SV_Stage::slot_stageActionsDone() {
    m_actionsDone = true;
    emit sig_stageActionsDone();
}

void SV_Stage::slot_stageDataChanged() {
    if (m_continueConditions.eval()) {
        emit sig_stageDataValid();
    } else {
        emit sig_stageDataInvalid();
    }
}

SV_Stage* SV_Stage::getNextValidStage() const {
    for (SV_Stage* child = m_firstChild; child; child = child->m_nextSibling) {
        if (child->isValid()) {
            return child;
        }
    }
    for (const SV_Stage* stage = this; stage; stage = stage->m_parentStage) {
        for (SV_Stage* sibling = stage->m_nextSibling; sibling; sibling = sibling->m_nextSibling) {
            if (sibling->isValid()) {
                return sibling;
            }
        }
    }
    return nullptr;
}

SV_Stage* SV_Stage::getPrevValidStage() const {
    const SV_Stage* stage = this;
    while (stage) {
        for (SV_Stage* sibling = stage->m_prevSibling; sibling; sibling = sibling->m_prevSibling) {
            if (sibling->isValid()) {
                return sibling->lastValidChild();
            }
        }
        SV_Stage* parent = stage->m_parentStage;
        if (!parent) {
            return nullptr;
        }
        if (parent->isValid()) {
            return parent;
        }
        stage = parent;
    }
    return nullptr;
}

SV_Stage* SV_Stage::lastValidChild() {
    SV_Stage* stage = this;
    for (;;) {
        SV_Stage* child = stage->m_lastChild;
        while (child && !child->isValid()) {
            child = child->m_prevSibling;
        }
        if (!child) {
            return stage;
        }
        stage = child;
    }
}

void SV_Stage::appendChild(SV_Stage* child) {
    if (!child) {
        return;
    }
    child->m_parentStage = this;
    child->m_prevSibling = m_lastChild;
    child->m_nextSibling = nullptr;
    if (m_lastChild) {
        m_lastChild->m_nextSibling = child;
    } else {
        m_firstChild = child;
    }
    m_lastChild = child;
}
