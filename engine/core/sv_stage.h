#ifndef SV_STAGE_H
#define SV_STAGE_H

#include "sv_conditionprocessor.h"
#include "sv_logger.h"
#include "sv_options.h"

#include <QList>
#include <QListIterator>
#include <QObject>

class SV_Action;
class SV_ActionProcessor;
class SV_Condition;
class SV_UIElement;

// One page of the wizard: title, description file, UI elements, navigation controls,
// initialisation actions, the action sequences of its elements and two condition sets.
// Stages form a tree through their sibling, parent and child links.
class SV_Stage : public QObject, public SV_Options, public SV_Logger {
    Q_OBJECT
public:
    explicit SV_Stage(QObject* parent = nullptr);

    // Controls: "cancel", "back", "next", "finish"; other names are ignored.
    void setControlVisible(const QString& control, bool visible);
    bool controlVisible(const QString& control) const;
    void setControlText(const QString& control, const QString& text);
    QString controlText(const QString& control) const;

    void setDescriptionFile(const QString& file);
    QString descriptionFile() const;

    QListIterator<SV_UIElement*> ui_iterator() const;
    const QList<SV_UIElement*>& uiElements() const { return m_uiElements; }

    void addValidCondition(SV_Condition* condition);
    // Only variable conditions take effect here; anything else is ignored.
    void addContinueCondition(SV_Condition* condition);
    void setValidConditionOperator(const QString& op);
    void setContinueConditionOperator(const QString& op);
    const SV_ConditionProcessor& validConditions() const { return m_validConditions; }
    const SV_ConditionProcessor& continueConditions() const { return m_continueConditions; }
    // Whether the stage is currently part of the wizard (its valid conditions).
    bool isValid() const { return m_validConditions.eval(); }

    void addUIElement(SV_UIElement* element);
    void addInitializer(SV_Action* action);

    // Life cycle, driven by the viewer.
    void init();
    void finish();
    bool canContinue() const;
    void initActions();

    // Navigation through the tree.
    SV_Stage* getNextValidStage() const;
    SV_Stage* getPrevValidStage() const;
    SV_Stage* lastValidChild();

    // Tree links; appendChild makes a stage the last child of this one.
    void appendChild(SV_Stage* child);
    void setNextSibling(SV_Stage* stage) { m_nextSibling = stage; }
    void setPrevSibling(SV_Stage* stage) { m_prevSibling = stage; }
    SV_Stage* prevSibling() const { return m_prevSibling; }
    SV_Stage* nextSibling() const { return m_nextSibling; }
    SV_Stage* parentStage() const { return m_parentStage; }
    SV_Stage* firstChild() const { return m_firstChild; }
    SV_Stage* lastChild() const { return m_lastChild; }

    bool shown() const { return m_shown; }
    bool initializationDone() const { return m_initializationDone; }
    bool actionsDone() const { return m_actionsDone; }
    bool hasActionSequences() const { return m_hasActionSequences; }
    SV_ActionProcessor* initializer() const { return m_initializer; }
    SV_ActionProcessor* actionRunner() const { return m_actionRunner; }

public slots:
    void slot_initializationDone();
    void slot_stageActionsDone();
    void slot_stageDataChanged();

signals:
    void sig_initializationDone();
    void sig_stageActionsDone();
    void sig_stageDataValid();
    void sig_stageDataInvalid();

private:
    SV_ConditionProcessor m_validConditions;
    SV_ConditionProcessor m_continueConditions;
    SV_ActionProcessor* m_initializer;
    QList<SV_UIElement*> m_uiElements;
    SV_ActionProcessor* m_actionRunner;
    bool m_nextVisible = true;
    bool m_backVisible = true;
    bool m_cancelVisible = true;
    bool m_finishVisible = false;
    bool m_hasActionSequences = false;
    bool m_actionsDone = true;
    bool m_shown = false;
    bool m_initializationDone = false;
    SV_Stage* m_prevSibling = nullptr;
    SV_Stage* m_nextSibling = nullptr;
    SV_Stage* m_parentStage = nullptr;
    SV_Stage* m_firstChild = nullptr;
    SV_Stage* m_lastChild = nullptr;
};

#endif
