// The stage walk of every viewer, through its controller: the first stage, Next, Back and
// Done, whether and why not the stage can be left, the controls' labels and the end.
#include "sv_actionprocessor.h"
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_stage.h"
#include "sv_testdoubles.h"
#include "sv_variable.h"
#include "sv_wizard.h"

#include <QSignalSpy>
#include <QtTest>

using vantortest::parseXml;
using vantortest::ScriptedAction;

SV_Action* createVendorAction(const QString& type, QObject* parent) {
    return vantortest::createScriptedAction(type, parent);
}

namespace {

SV_Engine* engine() {
    return SV_Engine::engine();
}

void loadStages(const QString& stages) {
    const SV_XmlNode root =
        parseXml(QStringLiteral("<i><stages>") + stages + QStringLiteral("</stages></i>"));
    QVERIFY(!root.isNull());
    engine()->loadStages(root);
}

void set(const char* id, const QString& value) {
    SV_Variable* v = engine()->variable(QLatin1String(id));
    QVERIFY(v);
    v->storeValue({value});
}

QString input(const char* var, const char* conditions = "") {
    return QStringLiteral("<ui-element>%2<input-element><variable-input var_id='%1'/>"
                          "</input-element></ui-element>")
        .arg(QLatin1String(var), QLatin1String(conditions));
}

QString current(const SV_Wizard& w) {
    return w.currentStage() ? w.currentStage()->ID() : QString();
}

const char kNever[] = "<valid-conditions condition='or'/>";

const char* const declarations = R"(
<install>
  <variables>
    <variable id="name"><string>Name</string><data-type><text-data/></data-type></variable>
    <variable id="port" default="143"><string>IMAP port</string>
      <data-type><numeric-data datatype="uint" min="1" max="65535"/></data-type></variable>
    <variable id="show"><string>Show</string><data-type><boolean/></data-type></variable>
    <variable id="kind" default="a"><string>Kind</string><data-type><single-selection>
      <choice id="a"><string>Kind A</string></choice><choice id="b"><string>Kind B</string></choice>
      </single-selection></data-type></variable>
    <variable id="pw"><string>Password</string><data-type><password-data>
      <password-conditions min_length="6"/></password-data></data-type></variable>
  </variables>
  <actions>
    <action type="test-manual" id="check"/>
  </actions>
</install>)";

} // namespace

class TestWizard : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const SV_XmlNode root = parseXml(QLatin1String(declarations));
        engine()->loadVariables(root);
        engine()->loadActions(root);
        QVERIFY(engine()->variable(QStringLiteral("port")));
    }

    // The first valid stage opens the wizard; Next and Back follow the tree's valid
    // stages; Back from the first shown stage goes to the file's first stage, valid or not.
    void walk() {
        loadStages(QStringLiteral("<stage id='x'><string>X</string>%1</stage>"
                                  "<stage id='a'><string>A</string><sub-stages>"
                                  "<stage id='a1'/><stage id='a2'>%1</stage></sub-stages></stage>"
                                  "<stage id='b'/><stage id='c'>%1</stage>")
                       .arg(QLatin1String(kNever)));
        QCOMPARE(SV_Wizard::firstValidStage()->ID(), QStringLiteral("a"));
        SV_Wizard w;
        QSignalSpy entered(&w, &SV_Wizard::sig_stageEntered);
        QVERIFY(w.start());
        QCOMPARE(current(w), QStringLiteral("a"));
        QTRY_VERIFY(w.canContinue());
        QVERIFY(w.next());
        QCOMPARE(current(w), QStringLiteral("a1"));
        QTRY_VERIFY(w.canContinue());
        QVERIFY(w.next());
        QCOMPARE(current(w), QStringLiteral("b")); // a2 is skipped
        // b is the last valid stage and offers no Done: nowhere to go, and it says so.
        QTRY_VERIFY(!w.busy());
        QVERIFY(!w.canContinue());
        QVERIFY2(w.whyNot().contains(QStringLiteral("last stage")), qPrintable(w.whyNot()));
        QVERIFY(!w.next());
        QCOMPARE(current(w), QStringLiteral("b"));
        QVERIFY(w.back());
        QCOMPARE(current(w), QStringLiteral("a1"));
        QVERIFY(w.back());
        QCOMPARE(current(w), QStringLiteral("a"));
        QVERIFY(w.back());
        QCOMPARE(current(w), QStringLiteral("x"));
        QCOMPARE(entered.count(), 6);
        QVERIFY(engine()->stage(QStringLiteral("a1"))->shown());
        QVERIFY(!engine()->stage(QStringLiteral("a2"))->shown());
    }

    void noValidStage() {
        loadStages(QStringLiteral("<stage id='n'>%1</stage>").arg(QLatin1String(kNever)));
        SV_Wizard w;
        QVERIFY(!SV_Wizard::firstValidStage());
        QVERIFY(!w.start());
        QVERIFY(!w.currentStage());
        QVERIFY(!w.canContinue());
        QVERIFY(!w.next() && !w.back() && !w.done());
    }

    // One validation: an input shown on the stage holds the stage while its variable
    // refuses the value, whoever stored it; the reason names the input and what it needs.
    // A hidden input holds nothing.
    void inputValues_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("reason");
        QTest::newRow("too big") << "70000"
                                 << "IMAP port: \"70000\" is not a whole number from 1 to 65535";
        QTest::newRow("zero") << "0"
                              << "IMAP port: \"0\" is not a whole number from 1 to 65535";
        QTest::newRow("empty") << ""
                               << "IMAP port: No value is given; a whole number from 1 to "
                                  "65535 is needed";
        QTest::newRow("fine") << "993" << QString();
    }

    void inputValues() {
        QFETCH(QString, value);
        QFETCH(QString, reason);
        loadStages(
            QStringLiteral("<stage id='p'><ui>%1%2<finish/></ui></stage>")
                .arg(input("name"), input("port", "<valid-conditions><var-condition var_id='show' "
                                                  "condition='boolean'/></valid-conditions>")));
        set("show", QStringLiteral("true"));
        set("port", QStringLiteral("143"));
        SV_Wizard w;
        QVERIFY(w.start());
        QTRY_VERIFY(w.canContinue());
        QSignalSpy changed(&w, &SV_Wizard::sig_stateChanged);
        set("port", value);
        QCOMPARE(engine()->variable(QStringLiteral("port"))->value(), value);
        QVERIFY(!changed.isEmpty());
        QCOMPARE(w.whyNot(), reason);
        QCOMPARE(w.canContinue(), reason.isNull());
        if (!reason.isNull()) {
            QVERIFY(!w.done());
            QVERIFY(!w.finishing());
            // The same input hidden by its display condition does not hold the stage.
            set("show", QStringLiteral("false"));
            QVERIFY(w.canContinue());
        }
    }

    // A continue condition that fails is named, alone, in words about its variable.
    void conditionReasons_data() {
        QTest::addColumn<QString>("conditions");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not-empty") << "<var-condition var_id='name' condition='not-empty'/>"
                                   << "Name must not be empty.";
        QTest::newRow("second of two")
            << "<var-condition var_id='kind' condition='item-selected' value='a'/>"
               "<var-condition var_id='kind' condition='item-selected' value='b'/>"
            << "Kind: \"Kind B\" must be selected.";
        QTest::newRow("password") << "<var-condition var_id='pw' condition='valid-password'/>"
                                  << "Password: the password needs at least 6 characters.";
        QTest::newRow("equal") << "<var-condition var_id='name' condition='equal' value='x'/>"
                               << "Name must be \"x\".";
        QTest::newRow("unknown variable")
            << "<var-condition var_id='nowhere' condition='not-empty'/>"
            << "A condition of this stage names a variable that does not exist.";
    }

    void conditionReasons() {
        QFETCH(QString, conditions);
        QFETCH(QString, reason);
        set("name", QString());
        set("kind", QStringLiteral("a"));
        engine()
            ->variable(QStringLiteral("pw"))
            ->storeValue({QStringLiteral("abc"), QStringLiteral("abc")});
        loadStages(QStringLiteral("<stage id='c'><ui><finish/></ui><continue-conditions>%1"
                                  "</continue-conditions></stage>")
                       .arg(conditions));
        SV_Wizard w;
        QVERIFY(w.start());
        QTRY_VERIFY(!w.busy());
        QCOMPARE(w.whyNot(), reason);
        QVERIFY(!w.done());
    }

    void orConditions() {
        set("name", QString());
        loadStages(
            QStringLiteral("<stage id='o'><ui><finish/></ui><continue-conditions condition='or'>"
                           "<var-condition var_id='name' condition='not-empty'/>"
                           "<var-condition var_id='kind' condition='item-selected' value='b'/>"
                           "</continue-conditions></stage>"));
        set("kind", QStringLiteral("a"));
        SV_Wizard w;
        QVERIFY(w.start());
        QTRY_VERIFY(!w.busy());
        QCOMPARE(w.whyNot(), QStringLiteral("One of these must hold: Name must not be empty.; "
                                            "Kind: \"Kind B\" must be selected."));
        set("kind", QStringLiteral("b"));
        QVERIFY(w.canContinue());
    }

    // A stage's action sequences run on every visit, and the stage cannot be left before
    // they have finished on this visit (the stage's own flag is still set from the first).
    void sequencesOnEveryVisit() {
        loadStages(QStringLiteral(
            "<stage id='s1'/>"
            "<stage id='s2'><ui><ui-element><output-element><string>Checks</string>"
            "<action-sequence output='text'><actionID action_id='check'/></action-sequence>"
            "</output-element></ui-element></ui></stage><stage id='s3'/>"));
        auto* check = qobject_cast<ScriptedAction*>(engine()->action(QStringLiteral("check")));
        QVERIFY(check);
        SV_Wizard w;
        QVERIFY(w.start());
        QTRY_VERIFY(w.canContinue());
        QVERIFY(w.next());
        QTRY_VERIFY(check->running);
        QVERIFY(w.busy());
        QCOMPARE(w.whyNot(), QStringLiteral("The stage's actions are still running."));
        QSignalSpy finished(&w, &SV_Wizard::sig_actionsFinished);
        check->finish();
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(w.canContinue());
        QVERIFY(w.back());
        QTRY_VERIFY(w.canContinue());
        QVERIFY(w.next());
        QCOMPARE(current(w), QStringLiteral("s2"));
        QTRY_VERIFY(check->running);
        QVERIFY(engine()->stage(QStringLiteral("s2"))->canContinue()); // the stage alone
        QVERIFY(!w.canContinue());
        QVERIFY(!w.next());
        check->finish();
        QTRY_VERIFY(w.canContinue());
        QVERIFY(w.next());
        QCOMPARE(current(w), QStringLiteral("s3"));
    }

    // A control without a text of its own, or with an empty one (<finish/>), gets the
    // default label with its mnemonic; Next is not offered where Done is.
    void controls() {
        loadStages(QStringLiteral(
            "<stage id='k1'><ui><back visible='no'/><next><string>Go &amp;on</string></next>"
            "<cancel><string> </string></cancel></ui></stage>"
            "<stage id='k2'><ui><finish/></ui></stage>"
            "<stage id='k3'><ui><finish><string>&amp;Install</string></finish></ui></stage>"));
        SV_Wizard w;
        QVERIFY(w.start());
        QCOMPARE(w.controlText(QStringLiteral("next")), QStringLiteral("Go &on"));
        QCOMPARE(w.controlText(QStringLiteral("cancel")), QStringLiteral("&Cancel"));
        QVERIFY(!w.controlVisible(QStringLiteral("back")));
        QVERIFY(!w.back()); // no Back control, no going back
        QVERIFY(w.controlVisible(QStringLiteral("next")));
        QVERIFY(!w.offersDone());
        QTRY_VERIFY(w.canContinue());
        QVERIFY(w.forward());
        QCOMPARE(current(w), QStringLiteral("k2"));
        QVERIFY(w.offersDone());
        QVERIFY(!w.controlVisible(QStringLiteral("next")));
        QVERIFY(w.controlVisible(QStringLiteral("finish")));
        QCOMPARE(w.controlText(QStringLiteral("finish")), QStringLiteral("&Done"));
        QVERIFY(!w.next()); // Done, not Next, leaves a finishing stage
        QCOMPARE(current(w), QStringLiteral("k2"));
        QVERIFY(w.back());
        QTRY_VERIFY(w.canContinue());
        QVERIFY(w.next());
        QVERIFY(w.back());
        QCOMPARE(current(w), QStringLiteral("k1"));
        QCOMPARE(SV_Wizard::defaultControlText(QStringLiteral("back")), QStringLiteral("&Back"));
    }

    // Done hands over to the post-install list once; after it nothing moves. The run
    // ends with status 0, no action having failed.
    void doneOnce() {
        loadStages(QStringLiteral("<stage id='d1'/><stage id='d2'><ui><finish/></ui></stage>"));
        SV_Wizard w;
        QVERIFY(w.start());
        QTRY_VERIFY(w.canContinue());
        QVERIFY(w.forward());
        QTRY_VERIFY(w.canContinue());
        QSignalSpy postDone(engine()->postinstallProcessor(), &SV_ActionProcessor::sig_actionsDone);
        QVERIFY(w.done());
        QVERIFY(w.finishing());
        QVERIFY(!w.done());
        QVERIFY(!w.back());
        QVERIFY(!w.canContinue());
        QCOMPARE(w.whyNot(), QStringLiteral("The installation is being finished."));
        QTRY_COMPARE(postDone.count(), 1);
        QCOMPARE(engine()->exitStatus(), int(SV_Wizard::ExitFinished));
    }
};

QTEST_GUILESS_MAIN(TestWizard)
#include "tst_wizard.moc"
