// The stages section of the install file: stages, their conditions and UI elements.
#include "sv_engine.h"

#include "sv_action.h"
#include "sv_condition.h"
#include "sv_stage.h"
#include "sv_uielement.h"

namespace {

// Sets the operator of a condition holder from a conditions node and adds every
// condition built from its children.
template <typename Holder, typename AddFn>
void loadConditions(SV_Engine* engine, const SV_XmlNode& node, Holder* holder, AddFn add,
                    void (Holder::*setOperator)(const QString&)) {
    (holder->*setOperator)(SV_Engine::loadAttr(node, QStringLiteral("condition")));
    for (SV_XmlNode child = node.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (SV_Condition* condition = engine->buildCondition(child)) {
            add(condition);
        }
    }
}

// Adds the named actions of the actionID children of a node to a sequence.
void loadSequenceActions(SV_Engine* engine, const SV_XmlNode& node, SV_UIActionSequence* sequence) {
    for (SV_XmlNode child = node.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.nodeName() != QLatin1String("actionID")) {
            continue;
        }
        if (SV_Action* action =
                engine->action(SV_Engine::loadAttr(child, QStringLiteral("action_id")))) {
            sequence->addAction(action);
        }
    }
}

void setElementConditions(SV_Engine* engine, const SV_XmlNode& node, SV_UIElement* element) {
    loadConditions(
        engine, node, element, [element](SV_Condition* c) { element->addValidCondition(c); },
        &SV_UIElement::setValidConditionOperator);
}

} // namespace

void SV_Engine::loadStages(const SV_XmlNode& root) {
    const SV_XmlNode stages = section(root, QStringLiteral("stages"));
    SV_Stage* previous = nullptr;
    for (SV_XmlNode child = stages.firstChild(); !child.isNull(); child = child.nextSibling()) {
        SV_Stage* stage = buildStage(child);
        if (!stage) {
            continue;
        }
        if (previous) {
            previous->setNextSibling(stage);
            stage->setPrevSibling(previous);
        } else {
            m_firstStage = stage;
        }
        previous = stage;
    }
}

SV_Stage* SV_Engine::buildStage(const SV_XmlNode& node) {
    if (node.nodeName() != QLatin1String("stage")) {
        return nullptr;
    }
    const QString id = loadAttr(node, QStringLiteral("id"));
    auto* stage = new SV_Stage(this);
    stage->setID(id);
    stage->setText(loadDisplayText(node));

    for (SV_XmlNode child = node.firstChild(); !child.isNull(); child = child.nextSibling()) {
        const QString name = child.nodeName();
        if (name == QLatin1String("stage-description")) {
            stage->setDescriptionFile(loadAttr(child, QStringLiteral("file")));
        } else if (name == QLatin1String("valid-conditions")) {
            loadConditions(
                this, child, stage, [stage](SV_Condition* c) { stage->addValidCondition(c); },
                &SV_Stage::setValidConditionOperator);
        } else if (name == QLatin1String("continue-conditions")) {
            loadConditions(
                this, child, stage, [stage](SV_Condition* c) { stage->addContinueCondition(c); },
                &SV_Stage::setContinueConditionOperator);
        } else if (name == QLatin1String("initialization")) {
            for (SV_XmlNode entry = child.firstChild(); !entry.isNull();
                 entry = entry.nextSibling()) {
                if (SV_Action* action = buildActionListEntry(entry)) {
                    stage->addInitializer(action);
                }
            }
        } else if (name == QLatin1String("ui")) {
            for (SV_XmlNode entry = child.firstChild(); !entry.isNull();
                 entry = entry.nextSibling()) {
                const QString entryName = entry.nodeName();
                if (entryName == QLatin1String("cancel") || entryName == QLatin1String("back") ||
                    entryName == QLatin1String("next")) {
                    const QString visible = loadAttr(entry, QStringLiteral("visible"));
                    stage->setControlVisible(entryName,
                                             visible.isNull() || visible == QLatin1String("yes"));
                    stage->setControlText(entryName, loadDisplayText(entry));
                } else if (entryName == QLatin1String("finish")) {
                    stage->setControlVisible(entryName, true);
                    stage->setControlText(entryName, loadDisplayText(entry));
                } else if (entryName == QLatin1String("ui-element")) {
                    stage->addUIElement(buildUIElement(entry));
                }
            }
        } else if (name == QLatin1String("sub-stages")) {
            for (SV_XmlNode entry = child.firstChild(); !entry.isNull();
                 entry = entry.nextSibling()) {
                stage->appendChild(buildStage(entry));
            }
        }
    }

    m_stages.insert(id, stage);
    return stage;
}

SV_Condition* SV_Engine::buildCondition(const SV_XmlNode& node) {
    const QString name = node.nodeName();
    if (name == QLatin1String("var-condition")) {
        auto* condition = new SV_VarCondition(this);
        condition->setVariable(variable(loadAttr(node, QStringLiteral("var_id"))));
        condition->setOption(QStringLiteral("condition"),
                             loadAttr(node, QStringLiteral("condition")));
        condition->setOption(QStringLiteral("value"), loadAttr(node, QStringLiteral("value")));
        return condition;
    }
    if (name == QLatin1String("stage-condition")) {
        auto* condition = new SV_StageCondition(this);
        condition->setStage(stage(loadAttr(node, QStringLiteral("stage_id"))));
        condition->setOption(QStringLiteral("condition"),
                             loadAttr(node, QStringLiteral("condition")));
        return condition;
    }
    return nullptr;
}

SV_UIElement* SV_Engine::buildUIElement(const SV_XmlNode& node) {
    if (node.nodeName() != QLatin1String("ui-element")) {
        return nullptr;
    }
    SV_UIElement* result = nullptr;
    SV_XmlNode validConditions;
    QString outputText;
    // Only the last element built is kept; earlier ones are dropped (they stay unused
    // children of the engine, like every object built from the install file).
    auto take = [&result](SV_UIElement* element) { result = element; };

    for (SV_XmlNode child = node.firstChild(); !child.isNull(); child = child.nextSibling()) {
        const QString name = child.nodeName();
        if (name == QLatin1String("valid-conditions")) {
            validConditions = child;
        } else if (name == QLatin1String("input-element")) {
            for (SV_XmlNode kind = child.firstChild(); !kind.isNull(); kind = kind.nextSibling()) {
                if (kind.nodeName() != QLatin1String("variable-input")) {
                    continue;
                }
                if (SV_Variable* var = variable(loadAttr(kind, QStringLiteral("var_id")))) {
                    take(new SV_UIVariableInput(var, this));
                }
            }
        } else if (name == QLatin1String("output-element")) {
            outputText = loadDisplayText(child);
            for (SV_XmlNode kind = child.firstChild(); !kind.isNull(); kind = kind.nextSibling()) {
                const QString kindName = kind.nodeName();
                if (kindName == QLatin1String("variable-output")) {
                    if (SV_Variable* var = variable(loadAttr(kind, QStringLiteral("var_id")))) {
                        take(new SV_UIVariableOutput(var, this));
                    }
                } else if (kindName == QLatin1String("action-sequence")) {
                    auto* sequence = new SV_UIActionSequence(this);
                    sequence->setOption(QStringLiteral("output"),
                                        loadAttr(kind, QStringLiteral("output")));
                    loadSequenceActions(this, kind, sequence);
                    take(sequence);
                } else if (kindName == QLatin1String("text-output")) {
                    take(new SV_UIOutput(this));
                } else if (kindName == QLatin1String("install-sequence")) {
                    auto* install = new SV_UIInstallSequence(this);
                    for (SV_XmlNode seqNode = kind.firstChild(); !seqNode.isNull();
                         seqNode = seqNode.nextSibling()) {
                        if (seqNode.nodeName() != QLatin1String("installaction-sequence")) {
                            continue;
                        }
                        auto* sequence = new SV_UIActionSequence(this);
                        sequence->setText(loadDisplayText(seqNode));
                        SV_XmlNode seqConditions;
                        for (SV_XmlNode part = seqNode.firstChild(); !part.isNull();
                             part = part.nextSibling()) {
                            if (part.nodeName() == QLatin1String("valid-conditions")) {
                                seqConditions = part;
                            }
                        }
                        if (!seqConditions.isNull()) {
                            setElementConditions(this, seqConditions, sequence);
                        }
                        loadSequenceActions(this, seqNode, sequence);
                        install->addActionSequence(sequence);
                    }
                    take(install);
                } else if (kindName == QLatin1String("action-launcher")) {
                    if (SV_Action* act = action(loadAttr(kind, QStringLiteral("action_id")))) {
                        auto* launcher = new SV_UIActionLauncher(this);
                        launcher->setAction(act);
                        take(launcher);
                    }
                }
            }
        }
    }

    if (result) {
        if (!outputText.isNull()) {
            result->setText(outputText);
        }
        if (!validConditions.isNull()) {
            setElementConditions(this, validConditions, result);
        }
    }
    return result;
}
