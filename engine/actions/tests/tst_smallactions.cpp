#include "sv_engine.h"
#include "sv_genrandompasswordaction.h"
#include "sv_hostnameaction.h"
#include "sv_installfilebuilder.h"
#include "sv_loadenvironmentvaraction.h"
#include "sv_pauseaction.h"
#include "sv_readfileaction.h"
#include "sv_serverconnectaction.h"
#include "sv_testsupport.h"
#include "sv_variable.h"
#include "sv_varinitializer.h"
#include "sv_varmodifier.h"
#include "sv_testmain.h"

#include <QSet>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

using vantortest::TempDir;

namespace {

// Starts the action, waits for its end and returns the errors it signalled.
QStringList run(SV_Action& action, int timeoutMs = 60000) {
    QSignalSpy done(&action, &SV_Action::sig_actionDone);
    QSignalSpy errors(&action, &SV_Action::sig_error);
    action.slot_start();
    if (done.isEmpty())
        done.wait(timeoutMs);
    QStringList texts;
    for (const QList<QVariant>& args : errors)
        texts << args.at(0).toString();
    return texts;
}

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
        QCOMPARE(run(action), QStringList());
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
            QCOMPARE(run(action), QStringList());
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
        QCOMPARE(run(action),
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
        QCOMPARE(run(action), QStringList());
        action.nameOk = false;
        QCOMPARE(run(action),
                 QStringList(QStringLiteral("Action: h, error msg: gethostname call failed")));
        QCOMPARE(action.fqdn(), QStringLiteral("mail.example.org"));

        // An empty canonical name gives the default too.
        action.nameOk = true;
        action.canonical = QString();
        QCOMPARE(run(action), QStringList());
        QCOMPARE(action.fqdn(), QStringLiteral("noname.nodomain.nowhere"));
    }

    void hostnameOfThisMachine() {
        SV_HostnameAction action;
        action.setID(QStringLiteral("real"));
        action.setOption(QStringLiteral("ignore-errors"), QStringLiteral("true"));
        QCOMPARE(run(action), QStringList());
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
        QCOMPARE(run(action), QStringList());
        QCOMPARE(action.rval(), QStringLiteral("389"));
        QVERIFY(messageSeen(QStringLiteral("looking for property: port in file: ") +
                            dir.file(QStringLiteral("a.conf"))));
        QVERIFY(messageSeen(QStringLiteral("Found value: 389")));
        action.setOption(QStringLiteral("comment-chars"), QString());
        QCOMPARE(run(action), QStringList());
        QCOMPARE(action.rval(), QStringLiteral("1"));

        // Several markers; a marker after the name does not count; the first '=' at or
        // after the name; a longer key matches too; lines without '=' are passed over.
        action.setOption(QStringLiteral("comment-chars"), QStringLiteral("//,,;"));
        action.setOption(QStringLiteral("file"),
                         dir.write(QStringLiteral("b.conf"), "x=1 // port = 2\n"
                                                             "; port = 3\n"
                                                             "sslport =\t636 ; secure \n"
                                                             "port\n"));
        QCOMPARE(run(action), QStringList());
        QCOMPARE(action.rval(), QStringLiteral("636 ; secure"));
        action.setOption(QStringLiteral("file"),
                         dir.write(QStringLiteral("c.conf"), "a=b port: x = y\nPORT = 5\n"));
        QCOMPARE(run(action), QStringList());
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
        QCOMPARE(run(action), QStringList());
        QCOMPARE(action.rval(), QStringLiteral("def"));

        const QString missing = dir.file(QStringLiteral("missing.conf"));
        action.setOption(QStringLiteral("file"), missing);
        action.setOption(QStringLiteral("default"), QStringLiteral("other"));
        QCOMPARE(run(action),
                 QStringList(QStringLiteral("Action: r, error msg: Could not open file: ") +
                             missing + QStringLiteral(" for reading")));
        QCOMPARE(action.rval(), QStringLiteral("other"));
        QVERIFY(messageSeen(QStringLiteral("couldn't open file")));

        // Other types read nothing and keep the value.
        action.setOption(QStringLiteral("type"), QStringLiteral("xml"));
        action.setOption(QStringLiteral("default"), QStringLiteral("third"));
        QCOMPARE(run(action), QStringList());
        QCOMPARE(action.rval(), QStringLiteral("other"));
        SV_ReadFileAction fresh;
        QCOMPARE(run(fresh), QStringList());
        QVERIFY(fresh.rval().isNull());
    }

    void passwordAlphabetAndLength() {
        SV_GenRandomPasswordAction action;
        action.setID(QStringLiteral("pw"));
        QCOMPARE(run(action), QStringList());
        const QString first = action.rval();
        QCOMPARE(first.size(), 12);
        QCOMPARE(run(action), QStringList());
        QVERIFY(action.rval() != first);

        action.setOption(QStringLiteral("length"), QStringLiteral("4000"));
        QCOMPARE(run(action), QStringList());
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
        QCOMPARE(run(action), QStringList());
        QVERIFY(action.rval().isEmpty());

        // A length that does not parse keeps the last one.
        action.setOption(QStringLiteral("length"), QStringLiteral("ten"));
        QCOMPARE(run(action), QStringList());
        QCOMPARE(action.rval().size(), 0);
    }

    void passwordBounds() {
        SV_GenRandomPasswordAction action;
        action.setID(QStringLiteral("pw"));
        action.setOption(QStringLiteral("min"), QStringLiteral("48"));
        action.setOption(QStringLiteral("max"), QStringLiteral("57"));
        QCOMPARE(run(action), QStringList());
        QCOMPARE(action.rval().size(), 12);
        for (QChar c : action.rval())
            QVERIFY(c.isDigit());

        // Only the low byte counts: -191 is 'A' (0x41) in its low byte.
        action.setOption(QStringLiteral("min"), QStringLiteral("-191"));
        action.setOption(QStringLiteral("max"), QStringLiteral("-191"));
        QCOMPARE(run(action), QStringList());
        QCOMPARE(action.rval(), QStringLiteral("AAAAAAAAAAAA"));

        // Bounds that admit no acceptable character end with an error.
        action.setOption(QStringLiteral("min"), QStringLiteral("34"));
        action.setOption(QStringLiteral("max"), QStringLiteral("34"));
        QCOMPARE(
            run(action),
            QStringList(QStringLiteral(
                "Action: pw, error msg: No password character lies between min: 34 and max: 34")));
        QVERIFY(action.done());
        QVERIFY(action.rval().isEmpty());
        action.setOption(QStringLiteral("min"), QStringLiteral("60"));
        action.setOption(QStringLiteral("max"), QStringLiteral("50"));
        QCOMPARE(run(action).size(), 1);
        action.setOption(QStringLiteral("min"), QStringLiteral("-2147483648"));
        action.setOption(QStringLiteral("max"), QStringLiteral("2147483647"));
        QCOMPARE(run(action), QStringList());
        QCOMPARE(action.rval().size(), 12);
    }

    void environmentVariable() {
        SV_LoadEnvironmentVarAction action;
        action.setID(QStringLiteral("e"));
        QCOMPARE(run(action),
                 QStringList(QStringLiteral(
                     "Action: e, error msg: No environment variable to load was specified!")));

        qputenv("QUORELLE_ACTIONS_TEST_VALUE", "set value");
        action.setOption(QStringLiteral("environment-variable"),
                         QStringLiteral("QUORELLE_ACTIONS_TEST_VALUE"));
        QCOMPARE(run(action), QStringList());
        QCOMPARE(action.rval(), QStringLiteral("set value"));

        qunsetenv("QUORELLE_ACTIONS_TEST_VALUE");
        QCOMPARE(run(action), QStringList());
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
        QCOMPARE(run(init), QStringList());
        QCOMPARE(text->value(), QStringLiteral("[ mid ]"));
        qunsetenv("QUORELLE_ACTIONS_TEST_VALUE");

        // A boolean variable gets the inner action's success; inner errors stay inside.
        init.setOption(QStringLiteral("var_id"), QStringLiteral("b"));
        init.setOption(QStringLiteral("action_id"), QStringLiteral("fails"));
        QCOMPARE(run(init), QStringList());
        QCOMPARE(flag->option(QStringLiteral("value")), QStringLiteral("false"));
        QVERIFY(init.successful());
        init.setOption(QStringLiteral("action_id"), QStringLiteral("succeeds"));
        QCOMPARE(run(init), QStringList());
        QCOMPARE(flag->option(QStringLiteral("value")), QStringLiteral("true"));
    }

    void varInitializerWithoutItsObjects() {
        SV_VarInitializer init;
        init.setID(QStringLiteral("vi"));
        init.setOption(QStringLiteral("action_id"), QStringLiteral("env"));
        init.setOption(QStringLiteral("var_id"), QStringLiteral("nothing"));
        QCOMPARE(run(init),
                 QStringList(QStringLiteral(
                     "Action: vi, error msg: Could not load the needed variable or action")));
        init.setOption(QStringLiteral("action_id"), QStringLiteral("nothing"));
        init.setOption(QStringLiteral("var_id"), QStringLiteral("t"));
        QCOMPARE(run(init).size(), 1);

        // An initializer naming itself does not recurse.
        SV_Action* self = engine->action(QStringLiteral("self"));
        QVERIFY(self);
        QSignalSpy errors(self, &SV_Action::sig_error);
        QCOMPARE(run(*self).size(), 1);
        QVERIFY(self->done());
    }

    void varModifierExpandsReferences() {
        SV_Variable* text = engine->variable(QStringLiteral("t"));
        text->storeValue(QStringList(QStringLiteral("/opt/x")));
        SV_VarModifier modifier;
        modifier.setOption(QStringLiteral("var_id"), QStringLiteral("t"));
        modifier.setOption(QStringLiteral("newstring"), QStringLiteral("$$t$$/bin:$$host$$"));
        QCOMPARE(run(modifier), QStringList());
        QCOMPARE(text->value(), QStringLiteral("/opt/x/bin:127.0.0.1"));

        modifier.setOption(QStringLiteral("var_id"), QStringLiteral("nothing"));
        QCOMPARE(run(modifier), QStringList());
        QVERIFY(modifier.done());
        QVERIFY(modifier.successful());
    }

    void pauseTicks() {
        SV_PauseAction pause;
        pause.setID(QStringLiteral("wait"));
        pause.setOption(QStringLiteral("time"), QStringLiteral("250"));
        pause.setOption(QStringLiteral("progress-interval"), QStringLiteral("100"));
        QCOMPARE(pause.totalSteps(), 2);
        QSignalSpy progress(&pause, &SV_Action::sig_progress);
        QCOMPARE(run(pause), QStringList());
        QVERIFY(pause.done());
        QCOMPARE(progress.count(), 3);
        QCOMPARE(progress.at(0).at(0).toInt(), 1);
        QCOMPARE(progress.at(1).at(0).toInt(), 2);
        QCOMPARE(progress.at(2).at(0).toInt(), 2);
        QVERIFY(messageSeen(QStringLiteral(
            "Log message from: wait: Pausing for 250 ms, progress interval = 100 ms")));

        // Shorter than one interval: ends at the first tick.
        pause.setOption(QStringLiteral("time"), QStringLiteral("50"));
        QCOMPARE(pause.totalSteps(), 0);
        progress.clear();
        QCOMPARE(run(pause), QStringList());
        QVERIFY(pause.done());
        QCOMPARE(progress.at(0).at(0).toInt(), 1);

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
        QCOMPARE(run(pause),
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
        QCOMPARE(run(action), QStringList());
        QVERIFY(action.done());
        QVERIFY(action.successful());
        QVERIFY(messageSeen(
            QStringLiteral("Log message from: probe: Connection to host: 127.0.0.1 at port: ") +
            open + QStringLiteral(" established")));

        server.close();
        QCOMPARE(
            run(action),
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
            run(action, 120000),
            QStringList(QStringLiteral(
                "Action: probe, error msg: Could not resolve hostname: no such host.invalid")));

        for (const char* port : {"ldap", "70000", "-1", ""}) {
            action.setOption(QStringLiteral("port"), QString::fromLatin1(port));
            QCOMPARE(run(action),
                     QStringList(QStringLiteral("Action: probe, error msg: Invalid port string: ") +
                                 QString::fromLatin1(port)));
        }
        SV_ServerConnectAction nameless;
        nameless.setID(QStringLiteral("probe"));
        nameless.setOption(QStringLiteral("port"), QStringLiteral("389"));
        QCOMPARE(run(nameless),
                 QStringList(QStringLiteral("Action: probe, error msg: No server name given")));
    }
};

VANTOR_TEST_MAIN(TestSmallActions, nullptr)
#include "tst_smallactions.moc"
