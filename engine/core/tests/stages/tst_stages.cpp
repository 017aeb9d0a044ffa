// Stage trees built from install-file XML: loading, controls, conditions, navigation,
// the stage life cycle and the UI element builder.
#include "sv_actionprocessor.h"
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_installsequenceaction.h"
#include "sv_stage.h"
#include "sv_testdoubles.h"
#include "sv_uielement.h"
#include "sv_vendoraction.h"

#include <QSignalSpy>
#include <QtTest>

using vantortest::ScriptedAction;
using vantortest::parseXml;

// The engine's hook for further action types supplies the test actions: "test-sync"
// finishes inside slot_start(), "test-manual" runs until the test finishes it.
SV_Action* createVendorAction(const QString& type, QObject* parent) {
    return vantortest::createScriptedAction(type, parent);
}

namespace {

SV_Engine* engine() {
    return SV_Engine::engine();
}

ScriptedAction* testAction(const char* id) {
    return qobject_cast<ScriptedAction*>(engine()->action(QLatin1String(id)));
}

SV_Stage* stage(const char* id) {
    return engine()->stage(QLatin1String(id));
}

// Builds one stage (with its sub-stages) from XML.
SV_Stage* buildStage(const QString& xml) {
    return engine()->buildStage(parseXml(xml));
}

SV_UIElement* buildElement(const QString& xml) {
    return engine()->buildUIElement(parseXml(xml));
}

const char* const declarations = R"(
<install>
  <variables>
    <variable id="name"><string>Name</string><data-type><text-data/></data-type></variable>
    <variable id="flag"><string>Flag</string><data-type><boolean/></data-type></variable>
  </variables>
  <actions>
    <action type="test-sync" id="sync1"/>
    <action type="test-sync" id="sync2"/>
    <action type="test-manual" id="initGate"/>
    <action type="test-manual" id="seqOnly"/>
    <action type="test-manual" id="seqAfterGate"/>
    <action type="test-manual" id="launched"/>
    <action type="test-manual" id="neverRun"/>
  </actions>
</install>)";

} // namespace

class TestStages : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const SV_XmlNode root = parseXml(QLatin1String(declarations));
        QVERIFY(!root.isNull());
        engine()->loadVariables(root);
        engine()->loadActions(root);
        QVERIFY(engine()->variable(QStringLiteral("name")));
        QVERIFY(testAction("sync1"));
        QVERIFY(testAction("seqOnly"));
    }

    // The stages section: top-level siblings, sub-stages, registration and navigation
    // in the tree A(A1, A2), B with A2 invalid.
    void sectionAndSmallTree() {
        const SV_XmlNode root = parseXml(QStringLiteral(R"(
<install>
  <stages>
    <stage id="A"><string> Stage A </string>
      <sub-stages>
        <stage id="A1"/>
        <unknown/>
        <stage id="A2"><valid-conditions condition="or"/></stage>
      </sub-stages>
    </stage>
    <not-a-stage id="N"/>
    <stage id="B"><valid-conditions/></stage>
  </stages>
</install>)"));
        engine()->loadStages(root);
        SV_Stage* a = stage("A");
        SV_Stage* a1 = stage("A1");
        SV_Stage* a2 = stage("A2");
        SV_Stage* b = stage("B");
        QVERIFY(a && a1 && a2 && b);
        QVERIFY(!engine()->stage(QStringLiteral("N")));

        QCOMPARE(engine()->firstStage(), a);
        QCOMPARE(a->text(), QStringLiteral("Stage A"));
        QCOMPARE(a->nextSibling(), b);
        QCOMPARE(b->prevSibling(), a);
        QVERIFY(!a->prevSibling() && !b->nextSibling());
        QVERIFY(!a->parentStage() && !b->parentStage());
        QCOMPARE(a->firstChild(), a1);
        QCOMPARE(a->lastChild(), a2);
        QCOMPARE(a1->nextSibling(), a2);
        QCOMPARE(a2->prevSibling(), a1);
        QCOMPARE(a1->parentStage(), a);
        QCOMPARE(a2->parentStage(), a);

        QVERIFY(!a2->isValid()); // "or" without conditions
        QVERIFY(b->isValid());   // no operator, no conditions

        QCOMPARE(a1->getNextValidStage(), b);
        QCOMPARE(b->getPrevValidStage(), a1);
        QCOMPARE(a->getNextValidStage(), a1);
        QCOMPARE(a1->getPrevValidStage(), a);
        QCOMPARE(b->getNextValidStage(), nullptr);
        QCOMPARE(a->getPrevValidStage(), nullptr);
        QCOMPARE(a->lastValidChild(), a1);
        QCOMPARE(b->lastValidChild(), b);
    }

    // Navigation over several levels: R(X(X1(X1a), X2*(X2a)), Y*(Y1), Z(Z1)), * invalid.
    void deepTreeNavigation() {
        SV_Stage* r = buildStage(QStringLiteral(R"(
<stage id="R"><sub-stages>
  <stage id="X"><sub-stages>
    <stage id="X1"><sub-stages><stage id="X1a"/></sub-stages></stage>
    <stage id="X2"><valid-conditions condition="or"/><sub-stages><stage id="X2a"/></sub-stages></stage>
  </sub-stages></stage>
  <stage id="Y"><valid-conditions condition="or"/><sub-stages><stage id="Y1"/></sub-stages></stage>
  <stage id="Z"><sub-stages><stage id="Z1"/></sub-stages></stage>
</sub-stages></stage>)"));
        QVERIFY(r);
        QCOMPARE(stage("R"), r);
        SV_Stage* x = stage("X");
        SV_Stage* x1 = stage("X1");
        SV_Stage* x1a = stage("X1a");
        SV_Stage* x2a = stage("X2a");
        SV_Stage* y = stage("Y");
        SV_Stage* y1 = stage("Y1");
        SV_Stage* z = stage("Z");
        SV_Stage* z1 = stage("Z1");
        QVERIFY(x && x1 && x1a && x2a && y && y1 && z && z1);

        // Forward: children first, then siblings, then the ancestors' siblings; invalid
        // subtrees are skipped; a stage found as a sibling is returned before its children.
        QCOMPARE(r->getNextValidStage(), x);
        QCOMPARE(x->getNextValidStage(), x1);
        QCOMPARE(x1->getNextValidStage(), x1a);
        QCOMPARE(x1a->getNextValidStage(), z);
        QCOMPARE(z->getNextValidStage(), z1);
        QCOMPARE(z1->getNextValidStage(), nullptr);
        QCOMPARE(y->getNextValidStage(), y1); // an invalid stage still finds its children
        QCOMPARE(x2a->getNextValidStage(), z);

        // Backward: the deepest last valid descendant of the nearest valid previous
        // sibling, else the nearest valid ancestor.
        QCOMPARE(z1->getPrevValidStage(), z);
        QCOMPARE(z->getPrevValidStage(), x1a);
        QCOMPARE(y1->getPrevValidStage(), x1a);
        QCOMPARE(x2a->getPrevValidStage(), x1a);
        QCOMPARE(x1a->getPrevValidStage(), x1);
        QCOMPARE(x->getPrevValidStage(), r);
        QCOMPARE(r->getPrevValidStage(), nullptr);

        QCOMPARE(r->lastValidChild(), z1);
        QCOMPARE(x->lastValidChild(), x1a);
        QCOMPARE(y->lastValidChild(), y1);
        QCOMPARE(z1->lastValidChild(), z1);
    }

    void optionsAndControls() {
        SV_Stage* s = buildStage(QStringLiteral(R"(
<stage id="opts"><string>Options</string>
  <stage-description file="first.qml"/>
  <stage-description file="second.qml"/>
  <ui>
    <cancel visible="no"><string>Stop</string></cancel>
    <back><string>Previous</string></back>
    <next visible="YES"><string>Forward</string></next>
    <help visible="no"/>
  </ui>
</stage>)"));
        QVERIFY(s);
        QCOMPARE(stage("opts"), s);
        QCOMPARE(s->ID(), QStringLiteral("opts"));
        QCOMPARE(s->text(), QStringLiteral("Options"));
        QCOMPARE(s->descriptionFile(), QStringLiteral("second.qml"));
        QCOMPARE(s->option(QStringLiteral("description-file")), QStringLiteral("second.qml"));
        QCOMPARE(s->controlVisible(QStringLiteral("cancel")), false);
        QCOMPARE(s->controlVisible(QStringLiteral("back")), true);
        QCOMPARE(s->controlVisible(QStringLiteral("next")), false); // only "yes" shows
        QCOMPARE(s->controlVisible(QStringLiteral("finish")), false);
        QCOMPARE(s->controlText(QStringLiteral("cancel")), QStringLiteral("Stop"));
        QCOMPARE(s->option(QStringLiteral("cancel_text")), QStringLiteral("Stop"));
        QCOMPARE(s->controlText(QStringLiteral("back")), QStringLiteral("Previous"));
        QCOMPARE(s->controlText(QStringLiteral("next")), QStringLiteral("Forward"));
        QVERIFY(s->controlText(QStringLiteral("finish")).isNull());
        QVERIFY(s->controlText(QStringLiteral("help")).isNull());
        QCOMPARE(s->controlVisible(QStringLiteral("help")), false);

        SV_Stage* f = buildStage(QStringLiteral(R"(
<stage id="fin">
  <ui>
    <cancel visible="no"/>
    <cancel visible="yes"><string>Quit</string></cancel>
    <next visible="no"/>
    <finish><string>Install</string></finish>
  </ui>
</stage>)"));
        QVERIFY(f);
        QCOMPARE(f->controlVisible(QStringLiteral("cancel")), true); // later one overwrites
        QCOMPARE(f->controlText(QStringLiteral("cancel")), QStringLiteral("Quit"));
        QCOMPARE(f->controlVisible(QStringLiteral("next")), false);
        QCOMPARE(f->controlVisible(QStringLiteral("finish")), true);
        QCOMPARE(f->controlText(QStringLiteral("finish")), QStringLiteral("Install"));
        QVERIFY(f->descriptionFile().isNull());

        // Defaults of a fresh stage, and names that are not controls.
        SV_Stage fresh;
        QCOMPARE(fresh.controlVisible(QStringLiteral("cancel")), true);
        QCOMPARE(fresh.controlVisible(QStringLiteral("back")), true);
        QCOMPARE(fresh.controlVisible(QStringLiteral("next")), true);
        QCOMPARE(fresh.controlVisible(QStringLiteral("finish")), false);
        fresh.setControlVisible(QStringLiteral("help"), true);
        fresh.setControlText(QStringLiteral("help"), QStringLiteral("Help"));
        QCOMPARE(fresh.controlVisible(QStringLiteral("help")), false);
        QVERIFY(fresh.controlText(QStringLiteral("help")).isNull());
        QVERIFY(fresh.option(QStringLiteral("help_text")).isNull());
        QVERIFY(fresh.controlText(QStringLiteral("next")).isNull());
        QCOMPARE(fresh.actionRunner()->objectName(), QStringLiteral("Stage Action Runner"));
        QVERIFY(fresh.initializer()->objectName().isEmpty());

        // A stage without id is built but cannot be looked up; a non-stage node gives null.
        QVERIFY(buildStage(QStringLiteral("<stage><string>No id</string></stage>")));
        QVERIFY(!engine()->stage(QString()));
        QVERIFY(!buildStage(QStringLiteral("<stages/>")));
    }

    // Stage conditions find only stages whose building has completed.
    void stageConditionLookup() {
        SV_Stage* p = buildStage(QStringLiteral(R"(
<stage id="P"><sub-stages>
  <stage id="P1"/>
  <stage id="P2"><valid-conditions><stage-condition stage_id="P1" condition="shown"/></valid-conditions></stage>
  <stage id="P3"><valid-conditions condition="or">
    <stage-condition stage_id="P" condition="not-shown"/>
    <stage-condition stage_id="P3" condition="not-shown"/>
    <stage-condition stage_id="Later" condition="not-shown"/>
  </valid-conditions></stage>
</sub-stages></stage>)"));
        QVERIFY(p);
        buildStage(QStringLiteral("<stage id=\"Later\"/>"));
        SV_Stage* p1 = stage("P1");
        SV_Stage* p2 = stage("P2");
        SV_Stage* p3 = stage("P3");
        QVERIFY(p1 && p2 && p3);

        const auto& p2Conditions = p2->validConditions().conditions();
        QCOMPARE(p2Conditions.size(), 1);
        QCOMPARE(qobject_cast<SV_StageCondition*>(p2Conditions.first())->stage(), p1);
        const auto& p3Conditions = p3->validConditions().conditions();
        QCOMPARE(p3Conditions.size(), 3);
        for (SV_Condition* condition : p3Conditions) {
            // The ancestor, the stage itself and a later stage are not found.
            auto* stageCondition = qobject_cast<SV_StageCondition*>(condition);
            QVERIFY(stageCondition);
            QVERIFY(!stageCondition->stage());
            QCOMPARE(condition->eval(), false);
        }
        QVERIFY(!p3->isValid());

        QVERIFY(!p2->isValid());
        QCOMPARE(p1->getNextValidStage(), nullptr);
        p1->init();
        QVERIFY(p2->isValid());
        QCOMPARE(p1->getNextValidStage(), p2);
    }

    void continueConditionsAndDataSignals() {
        SV_Stage* s = buildStage(QStringLiteral(R"(
<stage id="cont">
  <continue-conditions condition="or">
    <stage-condition stage_id="cont" condition="shown"/>
    <var-condition var_id="name" condition="equal" value="ok"/>
    <whatever/>
    <var-condition var_id="ghost" condition="not-empty"/>
  </continue-conditions>
  <ui>
    <ui-element><input-element><variable-input var_id="name"/></input-element></ui-element>
    <ui-element><output-element><variable-output var_id="flag"/></output-element></ui-element>
  </ui>
</stage>)"));
        QVERIFY(s);
        // Only variable conditions take effect (one of them without a variable).
        QCOMPARE(s->continueConditions().conditions().size(), 2);
        QCOMPARE(s->continueConditions().conditionOperator(), QStringLiteral("or"));
        QCOMPARE(s->uiElements().size(), 2);
        QVERIFY(!s->hasActionSequences());
        QVERIFY(s->actionsDone());

        SV_Variable* name = engine()->variable(QStringLiteral("name"));
        SV_Variable* flag = engine()->variable(QStringLiteral("flag"));
        name->storeValue(QStringList{QStringLiteral("start")});
        QVERIFY(!s->canContinue()); // not initialised yet

        QSignalSpy initDone(s, &SV_Stage::sig_initializationDone);
        QSignalSpy actionsDone(s, &SV_Stage::sig_stageActionsDone);
        s->init();
        QCOMPARE(initDone.count(), 1);    // no initialisation actions: done at once
        QCOMPARE(actionsDone.count(), 1); // and no action sequences either
        QVERIFY(s->initializationDone());
        QVERIFY(!s->canContinue());

        QSignalSpy valid(s, &SV_Stage::sig_stageDataValid);
        QSignalSpy invalid(s, &SV_Stage::sig_stageDataInvalid);
        name->storeValue(QStringList{QStringLiteral("ok")});
        QCOMPARE(valid.count(), 1);
        QCOMPARE(invalid.count(), 0);
        QVERIFY(s->canContinue());
        flag->storeValue(QStringList{QStringLiteral("true")}); // output element's variable
        QCOMPARE(valid.count(), 2);
        name->storeValue(QStringList{QStringLiteral("not ok")});
        QCOMPARE(invalid.count(), 1);
        QVERIFY(!s->canContinue());

        // Without an operator a stage condition in continue-conditions blocks nothing.
        SV_Stage* t = buildStage(QStringLiteral(R"(
<stage id="cont2">
  <continue-conditions><stage-condition stage_id="nowhere" condition="shown"/></continue-conditions>
</stage>)"));
        QVERIFY(t && t->continueConditions().conditions().isEmpty());
        t->init();
        QVERIFY(t->canContinue());
    }

    // Initialisation actions run first; the action sequences start only after them.
    void initializationThenActions() {
        SV_Stage* s = buildStage(QStringLiteral(R"(
<stage id="gated">
  <initialization>
    <run-action action_id="initGate"/>
    <run-action action_id="noSuchAction"/>
    <run-action/>
    <var-modify var_id="name" newstring="set by init"/>
    <other action_id="sync1"/>
  </initialization>
  <ui><ui-element><output-element>
    <action-sequence><actionID action_id="seqAfterGate"/></action-sequence>
  </output-element></ui-element></ui>
</stage>)"));
        QVERIFY(s);
        QCOMPARE(s->initializer()->actionList().size(), 2);
        ScriptedAction* gate = testAction("initGate");
        ScriptedAction* seq = testAction("seqAfterGate");
        SV_Variable* name = engine()->variable(QStringLiteral("name"));
        name->storeValue(QStringList{QStringLiteral("before")});

        QSignalSpy initDone(s, &SV_Stage::sig_initializationDone);
        QSignalSpy actionsDone(s, &SV_Stage::sig_stageActionsDone);
        s->init();
        QVERIFY(s->shown());
        QCOMPARE(gate->starts, 1);
        QVERIFY(!s->initializationDone());
        QCOMPARE(initDone.count(), 0);
        QCOMPARE(seq->starts, 0);
        QCOMPARE(name->value(), QStringLiteral("before"));

        gate->finish();
        QCOMPARE(name->value(), QStringLiteral("set by init"));
        QCOMPARE(initDone.count(), 1);
        QVERIFY(s->initializationDone());
        QCOMPARE(seq->starts, 1);
        QVERIFY(!s->canContinue());
        seq->finish();
        QCOMPARE(actionsDone.count(), 1);
        QVERIFY(s->canContinue());
        s->finish();
    }

    // A stage whose only element is an action sequence.
    void actionSequenceOnlyStage() {
        SV_Stage* s = buildStage(QStringLiteral(R"(
<stage id="seqstage"><ui><ui-element><output-element>
  <action-sequence output="text"><actionID action_id="seqOnly"/></action-sequence>
</output-element></ui-element></ui></stage>)"));
        QVERIFY(s);
        ScriptedAction* action = testAction("seqOnly");
        QVERIFY(s->hasActionSequences());
        QVERIFY(!s->actionsDone());

        QSignalSpy actionsDone(s, &SV_Stage::sig_stageActionsDone);
        s->init();
        QVERIFY(s->initializationDone());
        QCOMPARE(action->starts, 1);
        QVERIFY(!s->canContinue()); // its actions have not finished yet
        action->finish();
        QCOMPARE(actionsDone.count(), 1);
        QVERIFY(s->canContinue());
        s->finish();
        QCOMPARE(action->cancels, 0); // nothing was running any more

        // Second visit: the actions run again, but the stage may continue at once.
        s->init();
        QCOMPARE(action->starts, 2);
        QVERIFY(action->running);
        QVERIFY(s->canContinue());
        s->finish(); // leaving stops the runner
        QCOMPARE(action->cancels, 1);
        action->finish(); // a late completion after the stop
        QVERIFY(s->canContinue());
    }

    void elementBuildingRules() {
        QVERIFY(!buildElement(QStringLiteral("<stage/>")));
        QVERIFY(!buildElement(
            QStringLiteral("<ui-element><valid-conditions condition=\"or\"/></ui-element>")));
        QTest::ignoreMessage(QtDebugMsg, "Non-valid variable: ghost requested");
        QVERIFY(!buildElement(QStringLiteral(
            "<ui-element><input-element><variable-input var_id=\"ghost\"/></input-element>"
            "</ui-element>")));
        QVERIFY(!buildElement(QStringLiteral(
            "<ui-element><output-element><action-launcher action_id=\"ghostAction\"/>"
            "</output-element></ui-element>")));

        auto* input = qobject_cast<SV_UIVariableInput*>(buildElement(QStringLiteral(
            "<ui-element><input-element><variable-input var_id=\"name\"/></input-element>"
            "</ui-element>")));
        QVERIFY(input);
        QCOMPARE(input->variable(), engine()->variable(QStringLiteral("name")));
        QCOMPARE(input->parent(), engine());
        QVERIFY(input->option(QStringLiteral("text")).isNull());

        // Several kinds: the last one built wins, across input and output elements too.
        SV_UIElement* e = buildElement(QStringLiteral(R"(
<ui-element><output-element><string>Shown text</string>
  <text-output/><variable-output var_id="flag"/>
</output-element></ui-element>)"));
        auto* output = qobject_cast<SV_UIVariableOutput*>(e);
        QVERIFY(output);
        QCOMPARE(output->variable(), engine()->variable(QStringLiteral("flag")));
        QCOMPARE(output->text(), QStringLiteral("Shown text"));

        e = buildElement(QStringLiteral(R"(
<ui-element><output-element><variable-output var_id="flag"/><text-output/></output-element>
</ui-element>)"));
        QVERIFY(qobject_cast<SV_UIOutput*>(e));
        e = buildElement(QStringLiteral(R"(
<ui-element>
  <output-element><text-output/></output-element>
  <input-element><variable-input var_id="name"/></input-element>
</ui-element>)"));
        QVERIFY(qobject_cast<SV_UIVariableInput*>(e));
        e = buildElement(QStringLiteral(R"(
<ui-element>
  <output-element><text-output/></output-element>
  <input-element><variable-input var_id="ghost"/></input-element>
</ui-element>)"));
        QVERIFY(qobject_cast<SV_UIOutput*>(e)); // an unbuilt kind does not replace it

        // Action sequences: missing actions are skipped, the option "output" is kept.
        auto* sequence = qobject_cast<SV_UIActionSequence*>(buildElement(QStringLiteral(R"(
<ui-element><output-element><action-sequence output="text">
  <actionID action_id="sync1"/><actionID action_id="missing"/><actionID action_id="sync2"/>
  <actionID action_id="sync1"/>
</action-sequence></output-element></ui-element>)")));
        QVERIFY(sequence);
        QCOMPARE(sequence->option(QStringLiteral("output")), QStringLiteral("text"));
        QCOMPARE(sequence->action()->processor()->actionList().size(), 3);
        QCOMPARE(sequence->action()->parent(), sequence);
        auto* empty = qobject_cast<SV_UIActionSequence*>(buildElement(QStringLiteral(
            "<ui-element><output-element><action-sequence><actionID action_id=\"gone\"/>"
            "</action-sequence></output-element></ui-element>")));
        QVERIFY(empty);
        QVERIFY(empty->option(QStringLiteral("output")).isNull());
        QVERIFY(empty->action()->processor()->actionList().isEmpty());

        // The launcher starts its action.
        auto* launcher = qobject_cast<SV_UIActionLauncher*>(buildElement(
            QStringLiteral("<ui-element><output-element><action-launcher action_id=\"launched\"/>"
                           "</output-element></ui-element>")));
        QVERIFY(launcher);
        ScriptedAction* launched = testAction("launched");
        QCOMPARE(launcher->action(), launched);
        launcher->launchAction();
        QCOMPARE(launched->starts, 1);
        SV_UIActionLauncher bare;
        bare.launchAction(); // no action: nothing happens

        // Valid conditions: the last valid-conditions node counts, wherever it stands.
        e = buildElement(QStringLiteral(R"(
<ui-element>
  <valid-conditions condition="or"/>
  <output-element><text-output/></output-element>
  <valid-conditions><var-condition var_id="name" condition="equal" value="shown"/></valid-conditions>
</ui-element>)"));
        QVERIFY(e);
        QCOMPARE(e->validConditions().conditions().size(), 1);
        engine()->variable(QStringLiteral("name"))->storeValue(QStringList{QStringLiteral("x")});
        QVERIFY(!e->isValid());
        engine()
            ->variable(QStringLiteral("name"))
            ->storeValue(QStringList{QStringLiteral("shown")});
        QVERIFY(e->isValid());
    }

    void installSequenceElement() {
        auto* install = qobject_cast<SV_UIInstallSequence*>(buildElement(QStringLiteral(R"(
<ui-element><output-element><string>Installing</string><install-sequence>
  <installaction-sequence><string>First part</string>
    <actionID action_id="sync1"/><actionID action_id="missing"/>
  </installaction-sequence>
  <ignored/>
  <installaction-sequence><string>Second part</string>
    <valid-conditions condition="or"/>
    <actionID action_id="sync1"/><actionID action_id="sync2"/>
  </installaction-sequence>
</install-sequence></output-element></ui-element>)")));
        QVERIFY(install);
        QCOMPARE(install->text(), QStringLiteral("Installing"));
        SV_InstallSequenceAction* action = install->action();
        QCOMPARE(action->parent(), install);
        QCOMPARE(action->ID(), QStringLiteral("InstallSequenceAction"));
        const auto& sequences = action->sequences();
        QCOMPARE(sequences.size(), 2); // an invalid sequence is still added
        QCOMPARE(sequences.at(0)->text(), QStringLiteral("First part"));
        QCOMPARE(sequences.at(1)->text(), QStringLiteral("Second part"));
        QVERIFY(sequences.at(0)->isValid());
        QVERIFY(!sequences.at(1)->isValid());
        QCOMPARE(sequences.at(0)->action()->processor()->actionList().size(), 1);
        QCOMPARE(sequences.at(1)->action()->processor()->actionList().size(), 2);
        QCOMPARE(action->totalSteps(), 1); // only the valid sequence counts
    }

    // Elements that are never valid do not run; a stage whose sequences are all invalid
    // can continue once initialised. Empty sequences still count as action sequences.
    void invalidAndEmptySequencesInStage() {
        SV_Stage* s = buildStage(QStringLiteral(R"(
<stage id="invalidseq"><ui>
  <ui-element><valid-conditions condition="or"/><output-element>
    <action-sequence><actionID action_id="neverRun"/></action-sequence>
  </output-element></ui-element>
  <ui-element><output-element><action-sequence><actionID action_id="gone"/></action-sequence>
  </output-element></ui-element>
</ui></stage>)"));
        QVERIFY(s);
        QCOMPARE(s->uiElements().size(), 2);
        QVERIFY(s->hasActionSequences());
        QVERIFY(!s->actionsDone());
        QVERIFY(!s->canContinue());
        QSignalSpy actionsDone(s, &SV_Stage::sig_stageActionsDone);
        s->init();
        QCOMPARE(testAction("neverRun")->starts, 0);
        QCOMPARE(actionsDone.count(), 1);
        QVERIFY(s->canContinue());
        QCOMPARE(s->actionRunner()->actionList().size(), 1); // the valid, empty sequence
    }
};

QTEST_GUILESS_MAIN(TestStages)
#include "tst_stages.moc"
