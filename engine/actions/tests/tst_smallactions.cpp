#include "sv_actionrun.h"
#include "sv_engine.h"
#include "sv_genrandompasswordaction.h"
#include "sv_hostnameaction.h"
#include "sv_installfilebuilder.h"
#include "sv_loadenvironmentvaraction.h"
#include "sv_pauseaction.h"
#include "sv_readfileaction.h"
#include "sv_serverconnectaction.h"
#include "sv_testmain.h"
#include "sv_testsupport.h"
#include "sv_variable.h"
#include "sv_varinitializer.h"
#include "sv_varmodifier.h"

#include <QSet>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

using vantortest::ActionRun;
using vantortest::runAction;
using vantortest::TempDir;

namespace {

bool messageSeen(const QString& text) {
    return vantortest::messages().contains(text);
}

// A host-name action whose system answers are set by the test.
class FakeHostname : public SV_HostnameAction {
public:
    bool nameOk = true;
    bool lookupOk = true;
    QString canonical;

protected:
    bool systemHostName(QByteArray& name) override {
        name = "host";
        return nameOk;
    }
    bool canonicalName(const QByteArray& host, QString& result) override {
        if (!lookupOk || host != "host")
            return false;
        result = canonical;
        return true;
    }
};

} // namespace

class TestSmallActions : public QObject {
    Q_OBJECT

    SV_Engine* engine = nullptr;

private slots:
    void initTestCase() {
        vantortest::installMessageHandler();
        engine = SV_Engine::engine();
        const SV_XmlNode root = vantortest::parseXml(QStringLiteral(R"(
<installation>
  <variables>
    <variable id="t" default="x"><data-type><text-data/></data-type></variable>
    <variable id="b"><data-type><boolean/></data-type></variable>
    <variable id="host" default="127.0.0.1"><data-type><text-data/></data-type></variable>
  </variables>
  <actions>
    <action type="load-environment-variable" id="env">
      <option-param param="environment-variable" value="QUORELLE_ACTIONS_TEST_VALUE"/>
    </action>
    <action type="process" id="fails">
      <option-param param="process" value="quorelle-no-such-program"/>
    </action>
    <action type="process" id="succeeds">
      <option-param param="process" value="true"/>
    </action>
    <action type="var-initializer" id="self">
      <option-param param="action_id" value="self"/>
      <option-param param="var_id" value="t"/>
    </action>
  </actions>
</installation>)"));
        engine->loadVariables(root);
        engine->loadActions(root);
        QVERIFY(engine->variable(QStringLiteral("b")));
        QVERIFY(engine->action(QStringLiteral("env")));
    }
    void init() { vantortest::clearMessages(); }

    void hostnameParts() {
        FakeHostname action;
        action.setID(QStringLiteral("h"));
        action.canonical = QStringLiteral("a.b.c");
        QCOMPARE(runAction(action).errors, QStringList());
        action.setOption(QStringLiteral("rtype"), QStringLiteral("domain"));
        QCOMPARE(action.rval(), QStringLiteral("b"));
        QVERIFY(messageSeen(QStringLiteral(
            "Log message from: h: GetHostnameAction, obtained the network domain: b")));
        action.setOption(QStringLiteral("rtype"), QStringLiteral("toplevel"));
        QCOMPARE(action.rval(), QStringLiteral("c"));
        QVERIFY(messageSeen(
            QStringLiteral("Log message from: h: GetHostnameAction, obtained toplevel: c")));
        action.setOption(QStringLiteral("rtype"), QStringLiteral("fqdn"));
        QCOMPARE(action.rval(), QStringLiteral("a.b.c"));
        QVERIFY(messageSeen(
            QStringLiteral("Log message from: h: GetHostnameAction, obtained fqdn: a.b.c")));
        action.setOption(QStringLiteral("rtype"), QStringLiteral("Domain"));
        QVERIFY(action.rval().isNull());

        const struct {
            const char* fqdn;
            const char* domain;
            const char* toplevel;
        } cases[] = {{"a.b.c.d", "b.c", "d"}, {"a.b", "", "b"}, {"single", "single", "single"}};
        for (const auto& c : cases) {
            action.canonical = QString::fromLatin1(c.fqdn);
            QCOMPARE(runAction(action).errors, QStringList());
            action.setOption(QStringLiteral("rtype"), QStringLiteral("domain"));
            QCOMPARE(action.rval(), QString::fromLatin1(c.domain));
            action.setOption(QStringLiteral("rtype"), QStringLiteral("toplevel"));
            QCOMPARE(action.rval(), QString::fromLatin1(c.toplevel));
        }
    }

    void hostnameFailuresAndDefault() {
        FakeHostname action;
        action.setID(QStringLiteral("h"));
        action.lookupOk = false;
        QCOMPARE(runAction(action).errors,
                 QStringList(QStringLiteral("Action: h, error msg: gethostbyname call failed")));
        QVERIFY(action.done());
        QCOMPARE(action.fqdn(), QStringLiteral("noname.nodomain.nowhere"));
        QVERIFY(messageSeen(QStringLiteral("get hostname, m_fqdn is empty, using default")));
        action.setOption(QStringLiteral("rtype"), QStringLiteral("domain"));
        QCOMPARE(action.rval(), QStringLiteral("nodomain"));
        action.setOption(QStringLiteral("rtype"), QStringLiteral("toplevel"));
        QCOMPARE(action.rval(), QStringLiteral("nowhere"));

        // A failure keeps the name found before.
        action.lookupOk = true;
        action.canonical = QStringLiteral("mail.example.org");
        QCOMPARE(runAction(action).errors, QStringList());
        action.nameOk = false;
        QCOMPARE(runAction(action).errors,
                 QStringList(QStringLiteral("Action: h, error msg: gethostname call failed")));
        QCOMPARE(action.fqdn(), QStringLiteral("mail.example.org"));

        // An empty canonical name gives the default too.
        action.nameOk = true;
        action.canonical = QString();
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.fqdn(), QStringLiteral("noname.nodomain.nowhere"));
    }

    void hostnameOfThisMachine() {
        SV_HostnameAction action;
        action.setID(QStringLiteral("real"));
        action.setOption(QStringLiteral("ignore-errors"), QStringLiteral("true"));
        QCOMPARE(runAction(action).errors, QStringList());
        QVERIFY(action.done());
        QVERIFY(!action.fqdn().isEmpty());
    }

    void readFileKeyValue() {
        TempDir dir;
        SV_ReadFileAction action;
        action.setID(QStringLiteral("r"));
        action.setOption(QStringLiteral("type"), QStringLiteral("key=value"));
        action.setOption(QStringLiteral("name"), QStringLiteral("port"));
        action.setOption(QStringLiteral("default"), QStringLiteral("def"));

        // The commented-out setting is skipped only with the marker.
        action.setOption(QStringLiteral("file"),
                         dir.write(QStringLiteral("a.conf"), "port = 389\n# port = 1\n"));
        action.setOption(QStringLiteral("comment-chars"), QStringLiteral("#"));
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.rval(), QStringLiteral("389"));
        QVERIFY(messageSeen(QStringLiteral("looking for property: port in file: ") +
                            dir.file(QStringLiteral("a.conf"))));
        QVERIFY(messageSeen(QStringLiteral("Found value: 389")));
        action.setOption(QStringLiteral("comment-chars"), QString());
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.rval(), QStringLiteral("1"));

        // Several markers; a marker after the name does not count; the first '=' at or
        // after the name; a longer key matches too; lines without '=' are passed over.
        action.setOption(QStringLiteral("comment-chars"), QStringLiteral("//,,;"));
        action.setOption(QStringLiteral("file"),
                         dir.write(QStringLiteral("b.conf"), "x=1 // port = 2\n"
                                                             "; port = 3\n"
                                                             "sslport =\t636 ; secure \n"
                                                             "port\n"));
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.rval(), QStringLiteral("636 ; secure"));
        action.setOption(QStringLiteral("file"),
                         dir.write(QStringLiteral("c.conf"), "a=b port: x = y\nPORT = 5\n"));
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.rval(), QStringLiteral("y"));
    }

    void readFileFallsBackToTheDefault() {
        TempDir dir;
        SV_ReadFileAction action;
        action.setID(QStringLiteral("r"));
        action.setOption(QStringLiteral("type"), QStringLiteral("key=value"));
        action.setOption(QStringLiteral("name"), QStringLiteral("port"));
        action.setOption(QStringLiteral("default"), QStringLiteral("def"));

        action.setOption(QStringLiteral("file"),
                         dir.write(QStringLiteral("none.conf"), "host = a\n"));
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.rval(), QStringLiteral("def"));

        const QString missing = dir.file(QStringLiteral("missing.conf"));
        action.setOption(QStringLiteral("file"), missing);
        action.setOption(QStringLiteral("default"), QStringLiteral("other"));
        QCOMPARE(runAction(action).errors,
                 QStringList(QStringLiteral("Action: r, error msg: Could not open file: ") +
                             missing + QStringLiteral(" for reading")));
        QCOMPARE(action.rval(), QStringLiteral("other"));
        QVERIFY(messageSeen(QStringLiteral("couldn't open file")));

        // Other types read nothing and keep the value.
        action.setOption(QStringLiteral("type"), QStringLiteral("xml"));
        action.setOption(QStringLiteral("default"), QStringLiteral("third"));
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.rval(), QStringLiteral("other"));
        SV_ReadFileAction fresh;
        QCOMPARE(runAction(fresh).errors, QStringList());
        QVERIFY(fresh.rval().isNull());
    }

    void passwordAlphabetAndLength() {
        SV_GenRandomPasswordAction action;
        action.setID(QStringLiteral("pw"));
        QCOMPARE(runAction(action).errors, QStringList());
        const QString first = action.rval();
        QCOMPARE(first.size(), 12);
        QCOMPARE(runAction(action).errors, QStringList());
        QVERIFY(action.rval() != first);

        action.setOption(QStringLiteral("length"), QStringLiteral("4000"));
        QCOMPARE(runAction(action).errors, QStringList());
        const QString many = action.rval();
        QCOMPARE(many.size(), 4000);
        QSet<QChar> seen;
        for (QChar c : many) {
            QVERIFY(c.unicode() >= 0x20 && c.unicode() <= 0x7E);
            QVERIFY(!QStringLiteral("\"<>&").contains(c));
            seen.insert(c);
        }
        QCOMPARE(seen.size(), 91); // every character of the alphabet occurs

        action.setOption(QStringLiteral("length"), QStringLiteral("0"));
        QCOMPARE(runAction(action).errors, QStringList());
        QVERIFY(action.rval().isEmpty());

        // A length that does not parse keeps the last one.
        action.setOption(QStringLiteral("length"), QStringLiteral("ten"));
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.rval().size(), 0);
    }

    void passwordBounds() {
        SV_GenRandomPasswordAction action;
        action.setID(QStringLiteral("pw"));
        action.setOption(QStringLiteral("min"), QStringLiteral("48"));
        action.setOption(QStringLiteral("max"), QStringLiteral("57"));
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.rval().size(), 12);
        for (QChar c : action.rval())
            QVERIFY(c.isDigit());

        // Only the low byte counts: -191 is 'A' (0x41) in its low byte.
        action.setOption(QStringLiteral("min"), QStringLiteral("-191"));
        action.setOption(QStringLiteral("max"), QStringLiteral("-191"));
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.rval(), QStringLiteral("AAAAAAAAAAAA"));

        // Bounds that admit no acceptable character end with an error.
        action.setOption(QStringLiteral("min"), QStringLiteral("34"));
        action.setOption(QStringLiteral("max"), QStringLiteral("34"));
        QCOMPARE(
            runAction(action).errors,
            QStringList(QStringLiteral(
                "Action: pw, error msg: No password character lies between min: 34 and max: 34")));
        QVERIFY(action.done());
        QVERIFY(action.rval().isEmpty());
        action.setOption(QStringLiteral("min"), QStringLiteral("60"));
        action.setOption(QStringLiteral("max"), QStringLiteral("50"));
        QCOMPARE(runAction(action).errors.size(), 1);
        action.setOption(QStringLiteral("min"), QStringLiteral("-2147483648"));
        action.setOption(QStringLiteral("max"), QStringLiteral("2147483647"));
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.rval().size(), 12);
    }

    void environmentVariable() {
        SV_LoadEnvironmentVarAction action;
        action.setID(QStringLiteral("e"));
        QCOMPARE(runAction(action).errors,
                 QStringList(QStringLiteral(
                     "Action: e, error msg: No environment variable to load was specified!")));

        qputenv("QUORELLE_ACTIONS_TEST_VALUE", "set value");
        action.setOption(QStringLiteral("environment-variable"),
                         QStringLiteral("QUORELLE_ACTIONS_TEST_VALUE"));
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.rval(), QStringLiteral("set value"));

        qunsetenv("QUORELLE_ACTIONS_TEST_VALUE");
        QCOMPARE(runAction(action).errors, QStringList());
        QVERIFY(action.successful());
        QVERIFY(action.rval().isNull());
    }

    void varInitializerStoresTheResult() {
        SV_Variable* text = engine->variable(QStringLiteral("t"));
        SV_Variable* flag = engine->variable(QStringLiteral("b"));
        qputenv("QUORELLE_ACTIONS_TEST_VALUE", "mid");
        SV_VarInitializer init;
        init.setOption(QStringLiteral("action_id"), QStringLiteral("env"));
        init.setOption(QStringLiteral("var_id"), QStringLiteral("t"));
        init.setOption(QStringLiteral("prepend-data"), QStringLiteral("[ "));
        init.setOption(QStringLiteral("append-data"), QStringLiteral(" ]"));
        QCOMPARE(runAction(init).errors, QStringList());
        QCOMPARE(text->value(), QStringLiteral("[ mid ]"));
        qunsetenv("QUORELLE_ACTIONS_TEST_VALUE");

        // A boolean variable gets the inner action's success; inner errors stay inside.
        init.setOption(QStringLiteral("var_id"), QStringLiteral("b"));
        init.setOption(QStringLiteral("action_id"), QStringLiteral("fails"));
        QCOMPARE(runAction(init).errors, QStringList());
        QCOMPARE(flag->option(QStringLiteral("value")), QStringLiteral("false"));
        QVERIFY(init.successful());
        init.setOption(QStringLiteral("action_id"), QStringLiteral("succeeds"));
        QCOMPARE(runAction(init).errors, QStringList());
        QCOMPARE(flag->option(QStringLiteral("value")), QStringLiteral("true"));
    }

    void varInitializerWithoutItsObjects() {
        SV_VarInitializer init;
        init.setID(QStringLiteral("vi"));
        init.setOption(QStringLiteral("action_id"), QStringLiteral("env"));
        init.setOption(QStringLiteral("var_id"), QStringLiteral("nothing"));
        QCOMPARE(runAction(init).errors,
                 QStringList(QStringLiteral(
                     "Action: vi, error msg: Could not load the needed variable or action")));
        init.setOption(QStringLiteral("action_id"), QStringLiteral("nothing"));
        init.setOption(QStringLiteral("var_id"), QStringLiteral("t"));
        QCOMPARE(runAction(init).errors.size(), 1);

        // An initializer naming itself does not recurse.
        SV_Action* self = engine->action(QStringLiteral("self"));
        QVERIFY(self);
        QCOMPARE(runAction(*self).errors.size(), 1);
        QVERIFY(self->done());
    }

    void varModifierExpandsReferences() {
        SV_Variable* text = engine->variable(QStringLiteral("t"));
        text->storeValue(QStringList(QStringLiteral("/opt/x")));
        SV_VarModifier modifier;
        modifier.setOption(QStringLiteral("var_id"), QStringLiteral("t"));
        modifier.setOption(QStringLiteral("newstring"), QStringLiteral("$$t$$/bin:$$host$$"));
        QCOMPARE(runAction(modifier).errors, QStringList());
        QCOMPARE(text->value(), QStringLiteral("/opt/x/bin:127.0.0.1"));

        modifier.setOption(QStringLiteral("var_id"), QStringLiteral("nothing"));
        QCOMPARE(runAction(modifier).errors, QStringList());
        QVERIFY(modifier.done());
        QVERIFY(modifier.successful());
    }

    void pauseTicks() {
        SV_PauseAction pause;
        pause.setID(QStringLiteral("wait"));
        pause.setOption(QStringLiteral("time"), QStringLiteral("250"));
        pause.setOption(QStringLiteral("progress-interval"), QStringLiteral("100"));
        QCOMPARE(pause.totalSteps(), 2);
        ActionRun run = runAction(pause);
        QCOMPARE(run.errors, QStringList());
        QVERIFY(pause.done());
        QCOMPARE(run.progress, (QList<int>{1, 2, 2}));
        QVERIFY(messageSeen(QStringLiteral(
            "Log message from: wait: Pausing for 250 ms, progress interval = 100 ms")));

        // Shorter than one interval: ends at the first tick.
        pause.setOption(QStringLiteral("time"), QStringLiteral("50"));
        QCOMPARE(pause.totalSteps(), 0);
        run = runAction(pause);
        QCOMPARE(run.errors, QStringList());
        QVERIFY(pause.done());
        QCOMPARE(run.progress.first(), 1);

        // Step counts of odd settings.
        pause.setOption(QStringLiteral("time"), QStringLiteral("2500"));
        pause.setOption(QStringLiteral("progress-interval"), QString());
        QCOMPARE(pause.totalSteps(), 2);
        pause.setOption(QStringLiteral("progress-interval"), QStringLiteral("0"));
        QCOMPARE(pause.totalSteps(), 2);
        pause.setOption(QStringLiteral("time"), QStringLiteral("-5"));
        QCOMPARE(pause.totalSteps(), 0);
    }

    void pauseErrorsAndCancel() {
        SV_PauseAction pause;
        pause.setID(QStringLiteral("wait"));
        pause.setOption(QStringLiteral("time"), QStringLiteral("later"));
        QCOMPARE(pause.totalSteps(), 1);
        QCOMPARE(runAction(pause).errors,
                 QStringList(QStringLiteral(
                     "Action: wait, error msg: Invalid time: later, specified for PauseAction")));
        QVERIFY(pause.done());

        pause.setOption(QStringLiteral("time"), QStringLiteral("200"));
        pause.setOption(QStringLiteral("progress-interval"), QStringLiteral("100"));
        QSignalSpy done(&pause, &SV_Action::sig_actionDone);
        QSignalSpy progress(&pause, &SV_Action::sig_progress);
        pause.slot_start();
        pause.slot_cancel();
        QTest::qWait(400);
        QCOMPARE(done.count(), 0);
        QCOMPARE(progress.count(), 0);
        QVERIFY(!pause.done());
    }

    void serverConnectOpenAndClosedPorts() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const QString open = QString::number(server.serverPort());
        SV_ServerConnectAction action;
        action.setID(QStringLiteral("probe"));
        action.setOption(QStringLiteral("name"), QStringLiteral("$$host$$"));
        action.setOption(QStringLiteral("port"), open);
        QCOMPARE(runAction(action).errors, QStringList());
        QVERIFY(action.done());
        QVERIFY(action.successful());
        QVERIFY(messageSeen(
            QStringLiteral("Log message from: probe: Connection to host: 127.0.0.1 at port: ") +
            open + QStringLiteral(" established")));

        server.close();
        QCOMPARE(
            runAction(action).errors,
            QStringList(QStringLiteral(
                            "Action: probe, error msg: Connection Refused to 127.0.0.1 at port ") +
                        open));
        QVERIFY(!action.successful());
    }

    void serverConnectBadInput() {
        SV_ServerConnectAction action;
        action.setID(QStringLiteral("probe"));
        action.setOption(QStringLiteral("name"), QStringLiteral("no such host.invalid"));
        action.setOption(QStringLiteral("port"), QStringLiteral("389"));
        QCOMPARE(
            runAction(action, 120000).errors,
            QStringList(QStringLiteral(
                "Action: probe, error msg: Could not resolve hostname: no such host.invalid")));

        for (const char* port : {"ldap", "70000", "-1", ""}) {
            action.setOption(QStringLiteral("port"), QString::fromLatin1(port));
            QCOMPARE(runAction(action).errors,
                     QStringList(QStringLiteral("Action: probe, error msg: Invalid port string: ") +
                                 QString::fromLatin1(port)));
        }
        SV_ServerConnectAction nameless;
        nameless.setID(QStringLiteral("probe"));
        nameless.setOption(QStringLiteral("port"), QStringLiteral("389"));
        QCOMPARE(runAction(nameless).errors,
                 QStringList(QStringLiteral("Action: probe, error msg: No server name given")));
    }
};

VANTOR_TEST_MAIN(TestSmallActions, nullptr)
#include "tst_smallactions.moc"
