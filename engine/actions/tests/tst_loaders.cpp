#include "sv_actionprocessor.h"
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_testsupport.h"
#include "sv_variable.h"
#include "sv_testmain.h"

#include <QSignalSpy>
#include <QtTest>

// The action factory and the readers of the actions, pre-install and post-install sections.
class TestLoaders : public QObject {
    Q_OBJECT

    SV_Engine* engine = nullptr;
    SV_XmlNode root;

    static QString className(const QObject* object) {
        return object ? QString::fromLatin1(object->metaObject()->className()) : QString();
    }

private slots:
    void initTestCase() {
        vantortest::installMessageHandler();
        engine = SV_Engine::engine();
        root = vantortest::parseXml(QStringLiteral(R"(
<installation>
  <variables>
    <variable id="t" default="start"><data-type><text-data/></data-type></variable>
  </variables>
  <actions>
    <action type="gethostname" id="host"><option-param param="rtype" value="fqdn"/></action>
    <action type="process" id="proc">
      <option-param param="process" value="sh"/>
      <option-param param="arg1" value="first"/>
      <option-param param="arg1" value="second"/>
      <comment-like-element param="arg2" value="ignored"/>
    </action>
    <action type="pause" id="pause"/>
    <action type="server-connect" id="connect"/>
    <action type="read-file" id="read"/>
    <action type="var-modifier" id="modify"/>
    <action type="var-initializer" id="init"/>
    <action type="generate-password" id="password"/>
    <action type="load-environment-variable" id="env">
      <option-param param="environment-variable" value="QUORELLE_LOADERS_TEST"/>
    </action>
    <action type="pause" id="renamed"><option-param param="id" value="other name"/></action>
    <action type="pause" id="twice"><option-param param="time" value="1"/></action>
    <action type="pause" id="twice"><option-param param="time" value="2"/></action>
    <not-an-action type="bogus" id="ignored"/>
  </actions>
  <pre-install>
    <run-action action_id="env"/>
    <run-action action_id="no-such-action"/>
    <var-init var_id="t" action_id="env"><prepend-data>  [ </prepend-data><append-data> ]
</append-data></var-init>
    <unknown-entry action_id="env"/>
    <var-modify var_id="t" newstring="$$t$$!"/>
  </pre-install>
  <post-install>
    <var-init var_id="t" action_id="env"/>
  </post-install>
</installation>)"));
        engine->loadVariables(root);
        engine->loadActions(root);
        engine->loadPreInstall(root);
        engine->loadPostInstall(root);
    }

    void factoryCreatesEveryType() {
        const struct {
            const char* id;
            const char* cls;
        } expected[] = {
            {"host", "SV_HostnameAction"},         {"proc", "SV_ProcessAction"},
            {"pause", "SV_PauseAction"},           {"connect", "SV_ServerConnectAction"},
            {"read", "SV_ReadFileAction"},         {"modify", "SV_VarModifier"},
            {"init", "SV_VarInitializer"},         {"password", "SV_GenRandomPasswordAction"},
            {"env", "SV_LoadEnvironmentVarAction"}};
        for (const auto& e : expected) {
            SV_Action* action = engine->action(QString::fromLatin1(e.id));
            QVERIFY2(action, e.id);
            QCOMPARE(className(action), QString::fromLatin1(e.cls));
            QCOMPARE(action->parent(), engine);
            QCOMPARE(action->ID(), QString::fromLatin1(e.id));
        }
        QVERIFY(!engine->action(QStringLiteral("ignored")));
    }

    void optionsOfTheActionsSection() {
        SV_Action* proc = engine->action(QStringLiteral("proc"));
        QCOMPARE(proc->option(QStringLiteral("arg1")), QStringLiteral("second"));
        QVERIFY(proc->option(QStringLiteral("arg2")).isNull());

        // An id option renames the action but not its registry entry.
        SV_Action* renamed = engine->action(QStringLiteral("renamed"));
        QVERIFY(renamed);
        QCOMPARE(renamed->ID(), QStringLiteral("other name"));
        QVERIFY(!engine->action(QStringLiteral("other name")));

        // A repeated id hides the earlier action.
        QCOMPARE(engine->action(QStringLiteral("twice"))->option(QStringLiteral("time")),
                 QStringLiteral("2"));
    }

    void actionListsHoldTheEntriesInOrder() {
        const QList<SV_Action*>& pre = engine->preinstallProcessor()->actionList();
        QCOMPARE(pre.size(), 3);
        QCOMPARE(pre.at(0), engine->action(QStringLiteral("env")));
        QCOMPARE(className(pre.at(1)), QStringLiteral("SV_VarInitializer"));
        QCOMPARE(className(pre.at(2)), QStringLiteral("SV_VarModifier"));
        QVERIFY(vantortest::messages().contains(
            QStringLiteral("Non-valid action: no-such-action requested")));

        // Built entries carry no id and are not registered.
        QVERIFY(pre.at(1)->ID().isNull());
        QCOMPARE(pre.at(1)->parent(), engine);
        QCOMPARE(pre.at(1)->option(QStringLiteral("var_id")), QStringLiteral("t"));
        QCOMPARE(pre.at(1)->option(QStringLiteral("action_id")), QStringLiteral("env"));
        QCOMPARE(pre.at(1)->option(QStringLiteral("prepend-data")), QStringLiteral("  [ "));
        QCOMPARE(pre.at(1)->option(QStringLiteral("append-data")), QStringLiteral(" ]\n"));
        QCOMPARE(pre.at(2)->option(QStringLiteral("newstring")), QStringLiteral("$$t$$!"));

        const QList<SV_Action*>& post = engine->postinstallProcessor()->actionList();
        QCOMPARE(post.size(), 1);
        QVERIFY(post.at(0)->option(QStringLiteral("prepend-data")).isEmpty());
        QVERIFY(post.at(0)->option(QStringLiteral("append-data")).isEmpty());
    }

    void theListsRun() {
        // The engine's own processors hand over to the viewer when done, so the same
        // entries run here in a processor of the test.
        qputenv("QUORELLE_LOADERS_TEST", "value");
        SV_ActionProcessor processor;
        for (SV_Action* action : engine->preinstallProcessor()->actionList())
            processor.addAction(action);
        QSignalSpy done(&processor, &SV_ActionProcessor::sig_actionsDone);
        QSignalSpy errors(&processor, &SV_ActionProcessor::sig_actionError);
        processor.startActions();
        QCOMPARE(done.count(), 1);
        QCOMPARE(errors.count(), 0);
        QCOMPARE(engine->variable(QStringLiteral("t"))->value(), QStringLiteral("  [ value ]\n!"));
    }

    void buildActionListEntry() {
        const SV_XmlNode list = vantortest::parseXml(
            QStringLiteral("<initialization><run-action action_id='pause'/><run-action/><stage/>"
                           "<var-modify var_id='t'/></initialization>"));
        SV_XmlNode e = list.firstChildElement();
        QCOMPARE(engine->buildActionListEntry(e), engine->action(QStringLiteral("pause")));
        e = e.nextSiblingElement();
        QVERIFY(!engine->buildActionListEntry(e));
        e = e.nextSiblingElement();
        QVERIFY(!engine->buildActionListEntry(e));
        e = e.nextSiblingElement();
        SV_Action* modifier = engine->buildActionListEntry(e);
        QCOMPARE(className(modifier), QStringLiteral("SV_VarModifier"));
        QVERIFY(modifier->option(QStringLiteral("newstring")).isNull());
    }

    void unknownTypeIsFatal() {
        const vantortest::ProcessResult result =
            vantortest::runInOwnProcess(QStringLiteral("unknown-type"));
        QVERIFY(result.started);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains("Could not create action for type: check-nothing\n"),
                 result.err.constData());
    }
};

static void ownProcessCases(const QString& name) {
    if (name == QLatin1String("unknown-type"))
        SV_Engine::engine()->createAction(QStringLiteral("check-nothing"));
}

VANTOR_TEST_MAIN(TestLoaders, ownProcessCases)
#include "tst_loaders.moc"
