// Whole unattended installations through the real `vantor --console`, answers on
// standard input: what the variables end up as (seen through files the actions write),
// which actions ran, the problems reported, the log file and the exit status.
#include "sv_consoletestrun.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

using namespace consoletest;
using vantortest::TempDir;

namespace {

// One stage holding an input of every variable kind; the post-install list writes every
// value to ROOT/values.
const char kVariables[] = R"(
<variable id="name" default="nobody"><string>Name</string><data-type><text-data/></data-type></variable>
<variable id="note"><string>Note</string><data-type><text-data/></data-type></variable>
<variable id="count"><string>Count</string><data-type><text-data validation-type="int"/></data-type></variable>
<variable id="port" default="25"><string>Port</string><data-type><numeric-data datatype="uint" min="1" max="65535"/></data-type></variable>
<variable id="root"><string>Root</string><data-type><directory-selection/></data-type></variable>
<variable id="secret"><string>Secret</string><data-type><password-data><password-conditions min_length="6"/></password-data></data-type></variable>
<variable id="enabled" default="false"><string>Enabled</string><data-type><boolean><true-text><string>on</string></true-text><false-text><string>off</string></false-text></boolean></data-type></variable>
<variable id="flavour" default="a"><string>Flavour</string><data-type><single-selection><choice id="a"><string>Plain</string></choice><choice id="b"><string>Spicy</string></choice></single-selection></data-type></variable>
<variable id="extras"><string>Extras</string><data-type><multiple-selection><choice id="x"><string>X</string></choice><choice id="y" depends="x"><string>Y</string></choice><choice id="z"><string>Z</string></choice></multiple-selection></data-type></variable>
<variable id="kind"><string>Kind</string><data-type><profile-selection><profile-choice profile_id="p1"/><profile-choice profile_id="p2"/></profile-selection></data-type></variable>
)";
const char kProfiles[] = R"(
<profile id="p1"><string>First</string><var-ref var_id="note" value="from-profile-1"/></profile>
<profile id="p2"><string>Second</string><var-ref var_id="note" value="from-profile-2"/></profile>
)";

QString inputs(const QStringList& ids) {
    QString xml;
    for (const QString& id : ids)
        xml += QStringLiteral("<ui-element><input-element><variable-input var_id=\"%1\"/></input-element></ui-element>").arg(id);
    return xml;
}

QString allKindsStages(const QString& init = QString()) {
    return QStringLiteral("<stage id=\"input\"><string>Inputs</string>%1<ui>%2</ui>"
                          "<continue-conditions><var-condition var_id=\"secret\" condition=\"valid-password\"/>"
                          "<var-condition var_id=\"root\" condition=\"existing-dir\"/></continue-conditions></stage>"
                          "<stage id=\"end\"><string>End</string><ui><finish><string>Finish</string></finish></ui></stage>")
        .arg(init,
             inputs({QStringLiteral("name"), QStringLiteral("count"), QStringLiteral("port"), QStringLiteral("root"),
                     QStringLiteral("secret"), QStringLiteral("enabled"), QStringLiteral("flavour"),
                     QStringLiteral("extras"), QStringLiteral("kind")}));
}

QString allKindsFile(const TempDir& dir, const QString& extraActions = QString(), const QString& init = QString()) {
    const QString actions =
        shAction(QStringLiteral("dump"), QStringLiteral("printf '%s|' \"$2\" \"$3\" \"$4\" \"$5\" \"$6\" \"$7\" \"$8\" \"$9\" \"${10}\" >\"$1/values\""),
                 {QStringLiteral("$$root$$"), QStringLiteral("$$name$$"), QStringLiteral("$$note$$"),
                  QStringLiteral("$$count$$"), QStringLiteral("$$port$$"), QStringLiteral("$$secret$$"),
                  QStringLiteral("$$enabled$$"), QStringLiteral("$$flavour$$"), QStringLiteral("$$extras$$"),
                  QStringLiteral("$$kind$$")}) +
        extraActions;
    return writeInstallFile(dir, QString::fromLatin1(kVariables), actions, allKindsStages(init),
                            QStringLiteral("<run-action action_id=\"dump\"/>"), QString::fromLatin1(kProfiles));
}

QByteArray exampleAnswers() {
    return readFile(QStringLiteral(VANTOR_EXAMPLE_DIR "/answers.txt"));
}

} // namespace

class TestUnattended : public QObject {
    Q_OBJECT
private slots:
    void everyVariableKind();
    void answerProblemsReportedInOnePass();
    void stageThatCannotContinue();
    void failingSequenceAnsweredNo_data();
    void failingSequenceAnsweredNo();
    void emptyInput_data();
    void emptyInput();
    void example();
    void exampleWithoutInstallRoot();
};

void TestUnattended::everyVariableKind() {
    TempDir dir;
    const QString root = dir.mkdir(QStringLiteral("root"));
    const QString file = allKindsFile(dir);
    const QByteArray answers = "# every kind\n\nname=alice\ncount=42\nport=2525\nroot=" + root.toLocal8Bit() +
                               "\nsecret=abcdef1\nenabled=true\nflavour=b\nextras=y\nkind=p2\n";
    const Run run = runConsole(dir, file, answers);
    QVERIFY2(!run.timedOut, run.out.constData());
    QCOMPARE(run.status, 0);
    // extras=y also selects what y requires; the profile set the unanswered note.
    QCOMPARE(readFile(root + QStringLiteral("/values")),
             QByteArray("alice|from-profile-2|42|2525|abcdef1|on|Spicy|x,y|Second|"));
    QVERIFY(run.out.contains("The installation is complete."));

    // Unanswered variables keep their defaults (port 25, enabled false, flavour a).
    const Run defaults = runConsole(dir, file, "root=" + root.toLocal8Bit() + "\nsecret=123456\n");
    QCOMPARE(defaults.status, 0);
    QCOMPARE(readFile(root + QStringLiteral("/values")), QByteArray("nobody|||25|123456|off|Plain|||"));

    // The log file holds the whole plain-text log and is where the run says.
    const QString log = defaults.logPath();
    QVERIFY2(!log.isEmpty(), defaults.out.constData());
    QVERIFY(log.startsWith(dir.file(QStringLiteral("tmp"))));
    const QByteArray text = readFile(log);
    QVERIFY2(text.contains("Command line = sh -c"), text.constData());
    QCOMPARE(QFileInfo(log).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), QFileDevice::Permissions());
}

void TestUnattended::answerProblemsReportedInOnePass() {
    TempDir dir;
    const QString root = dir.mkdir(QStringLiteral("root"));
    // A stage initialisation that would install something: it must not run.
    const QString file = allKindsFile(dir, shAction(QStringLiteral("mark"), QStringLiteral("touch \"$1/marker\""), {root}),
                                      QStringLiteral("<initialization><run-action action_id=\"mark\"/></initialization>"));
    const QByteArray answers = "# problems\n"
                               "name=alice\n"
                               "bogus=1\n"
                               "port=70000\n"
                               "port=25\n"
                               "flavour=c\n"
                               "enabled=maybe\n"
                               "secret=abc\n"
                               "extras=x,q\n"
                               "count=abc\n"
                               "just some text\n"
                               "root=" + root.toLocal8Bit() + "\n";
    const Run run = runConsole(dir, file, answers);
    QVERIFY(!run.timedOut);
    QCOMPARE(run.status, 2);
    const QString err = QString::fromLocal8Bit(run.err);
    const QStringList expected{
        QStringLiteral("line 3: unknown variable \"bogus\""),
        QStringLiteral("line 4: port: \"70000\" is refused: a whole number from 1 to 65535 is expected"),
        QStringLiteral("line 5: \"port\" is answered again (first on line 4)"),
        QStringLiteral("line 6: flavour: no choice \"c\" (choices: a, b)"),
        QStringLiteral("line 7: enabled: \"maybe\" is no boolean (true or false)"),
        QStringLiteral("line 8: secret: the password does not meet the rules (at least 6 characters)"),
        QStringLiteral("line 9: extras: no choice \"q\" (choices: x, y, z)"),
        QStringLiteral("line 10: count: \"abc\" is refused"),
        QStringLiteral("line 11: \"just some text\" is not of the form VARIABLE_ID=value"),
    };
    int last = -1;
    for (const QString& e : expected) {
        const int at = err.indexOf(e);
        QVERIFY2(at >= 0, qPrintable(QStringLiteral("missing \"%1\" in:\n%2").arg(e, err)));
        QVERIFY2(at > last, qPrintable(QStringLiteral("not in line order: %1").arg(e)));
        last = at;
    }
    QVERIFY(!err.contains(QStringLiteral("line 2:")));
    QVERIFY(!QFile::exists(root + QStringLiteral("/marker")));
    QVERIFY(!QFile::exists(root + QStringLiteral("/values")));
    QVERIFY(!run.out.contains("== Inputs =="));
}

void TestUnattended::stageThatCannotContinue() {
    TempDir dir;
    const QString root = dir.mkdir(QStringLiteral("root"));
    const QString file = allKindsFile(dir);
    // No password: the stage's continue conditions do not hold.
    const Run run = runConsole(dir, file, "root=" + root.toLocal8Bit() + "\n", Input::Data, 20000);
    QVERIFY2(!run.timedOut, "the run waited for input");
    QCOMPARE(run.status, 2);
    const QString err = QString::fromLocal8Bit(run.err);
    QVERIFY2(err.contains(QStringLiteral("the stage \"Inputs\" (input) cannot continue")), qPrintable(err));
    QVERIFY2(err.contains(QStringLiteral("secret (Secret) = (not a valid password)")), qPrintable(err));
    QVERIFY(err.contains(QStringLiteral("root (Root) = \"%1\"").arg(root)));
    QVERIFY(!QFile::exists(root + QStringLiteral("/values")));
    QVERIFY(!run.out.contains("== End =="));
    // A missing directory holds the stage as well; the run ends at once, not after a wait.
    const Run missing = runConsole(dir, file, "root=" + root.toLocal8Bit() + "/nope\nsecret=123456\n", Input::Data, 20000);
    QCOMPARE(missing.status, 2);
    QVERIFY(missing.err.contains("root (Root) = \"" + root.toLocal8Bit() + "/nope\""));
    QVERIFY2(missing.elapsedMs < run.elapsedMs + 1000, "the stage that cannot continue was not left at once");
}

void TestUnattended::failingSequenceAnsweredNo_data() {
    QTest::addColumn<bool>("ignored");
    QTest::newRow("error") << false;
    QTest::newRow("ignore-errors") << true;
}

void TestUnattended::failingSequenceAnsweredNo() {
    QFETCH(bool, ignored);
    TempDir dir;
    const QString root = dir.mkdir(QStringLiteral("root"));
    const QString actions =
        shAction(QStringLiteral("broken"), QStringLiteral("echo broken >&2; exit 1"), {}, ignored) +
        shAction(QStringLiteral("second"), QStringLiteral("touch \"$1/second\""), {root}) +
        shAction(QStringLiteral("post"), QStringLiteral("touch \"$1/post\""), {root});
    const QString stages = QStringLiteral(
        "<stage id=\"install\"><string>Install</string><ui><ui-element><output-element><string>Setup</string>"
        "<install-sequence>"
        "<installaction-sequence><string>First part</string><actionID action_id=\"broken\"/></installaction-sequence>"
        "<installaction-sequence><string>Second part</string><actionID action_id=\"second\"/></installaction-sequence>"
        "</install-sequence></output-element></ui-element></ui></stage>");
    const QString file = writeInstallFile(dir, QString(), actions, stages, QStringLiteral("<run-action action_id=\"post\"/>"));
    const Run run = runConsole(dir, file, QByteArray());
    QVERIFY(!run.timedOut);
    // The run ends the way the install file says: the post-install list runs.
    QVERIFY(QFile::exists(root + QStringLiteral("/post")));
    if (ignored) {
        QCOMPARE(run.status, 0);
        QVERIFY(QFile::exists(root + QStringLiteral("/second")));
        QVERIFY(!run.out.contains("Do you want to continue?"));
        QVERIFY(run.out.contains("The Installation appears to have successfully completed."));
    } else {
        QCOMPARE(run.status, 3);
        QVERIFY2(run.out.contains("The following error occurred:"), run.out.constData());
        QVERIFY(run.out.contains("Action: broken, error msg:"));
        QVERIFY(run.out.contains("Answered \"no\""));
        QVERIFY(!QFile::exists(root + QStringLiteral("/second")));
        QVERIFY(run.out.contains("An error occured during installation, please view the Log for details"));
        QVERIFY(run.out.contains("Setup: First part"));
    }
}

void TestUnattended::emptyInput_data() {
    QTest::addColumn<int>("input");
    QTest::newRow("dev-null") << int(Input::DevNull);
    QTest::newRow("closed") << int(Input::Closed);
    QTest::newRow("empty-file") << int(Input::Data);
}

void TestUnattended::emptyInput() {
    QFETCH(int, input);
    TempDir dir;
    const QString root = dir.mkdir(QStringLiteral("root"));
    const QString stage = QStringLiteral(
        "<stage id=\"s\"><string>Only</string><ui>%1</ui>"
        "<continue-conditions><var-condition var_id=\"%2\" condition=\"%3\"/></continue-conditions></stage>");
    const QString vars = QStringLiteral(
        "<variable id=\"dir\" default=\"%1\"><string>Dir</string><data-type><directory-selection/></data-type></variable>"
        "<variable id=\"pw\"><string>Password</string><data-type><password-data/></data-type></variable>"
        "<variable id=\"user\"><string>User</string><data-type><text-data/></data-type></variable>")
                             .arg(root);
    const QString post = QStringLiteral("<run-action action_id=\"post\"/>");
    const QString actions = shAction(QStringLiteral("post"), QStringLiteral("touch \"$1/post\""), {QStringLiteral("$$dir$$")});

    // Defaults are enough: the installation goes through.
    TempDir a;
    const QString fine = writeInstallFile(a, vars, actions, stage.arg(inputs({QStringLiteral("dir")}), QStringLiteral("dir"), QStringLiteral("existing-dir")), post);
    const Run ok = runConsole(a, fine, QByteArray(), Input(input), 30000);
    QVERIFY(!ok.timedOut);
    QCOMPARE(ok.status, 0);
    QVERIFY(QFile::exists(root + QStringLiteral("/post")));
    QVERIFY(!ok.logPath().isEmpty());

    // A value without a default is needed: status 2 naming it.
    QFile::remove(root + QStringLiteral("/post"));
    TempDir b;
    const QString needs = writeInstallFile(b, vars, actions, stage.arg(inputs({QStringLiteral("user")}), QStringLiteral("user"), QStringLiteral("not-empty")), post);
    const Run missing = runConsole(b, needs, QByteArray(), Input(input), 30000);
    QVERIFY(!missing.timedOut);
    QCOMPARE(missing.status, 2);
    QVERIFY2(missing.err.contains("(s) cannot continue") && missing.err.contains("user (User) = \"\""), missing.err.constData());
    QVERIFY(!QFile::exists(root + QStringLiteral("/post")));
}

void TestUnattended::example() {
    TempDir dir;
    const QString root = dir.mkdir(QStringLiteral("root"));
    const QString env = QStringLiteral("QUORELLE_INSTALL_ROOT=") + root;
    const Run run = runConsole(dir, QStringLiteral(VANTOR_EXAMPLE_DIR "/install.xml"), exampleAnswers(), Input::Data, 60000, {env});
    QVERIFY2(!run.timedOut, run.out.constData());
    QCOMPARE(run.status, 0);
    QCOMPARE(readFile(root + QStringLiteral("/etc/quorelle.conf")),
             QByteArray("host=mail.example.org\ndomain=example.org\nimap_port=143\nservices=imap,smtp,ldap\n"
                        "mailbox_format=maildir\n"));
    QCOMPARE(readFile(root + QStringLiteral("/etc/admin.secret")), QByteArray("demo-secret-42\n"));
    QCOMPARE(QFileInfo(root + QStringLiteral("/etc/admin.secret")).permissions() & QFileDevice::ReadOther, QFileDevice::Permissions());
    QCOMPARE(readFile(root + QStringLiteral("/run/started")), QByteArray("imap\nsmtp\nldap\n"));
    QCOMPARE(readFile(root + QStringLiteral("/installed")), QByteArray("Quorelle mail server installed on mail.example.org\n"));
    // Every stage in order, the sequence's progress with the sub-job titles.
    int at = 0;
    for (const char* s : {"== Welcome ==", "== Kind of installation ==", "== Settings ==", "== Administrator ==",
                          "== Checks ==", "is writable", "== Installing ==", "Installation: Writing the configuration",
                          "Installation: Starting the services", "== Ready ==", "Installation log: "}) {
        const int next = run.out.indexOf(s, at);
        QVERIFY2(next >= 0, qPrintable(QStringLiteral("\"%1\" missing or out of order in:\n%2").arg(QLatin1String(s), QString::fromLocal8Bit(run.out))));
        at = next;
    }
    QVERIFY2(!run.out.contains('\r'), "progress on a plain output uses carriage returns");
    QVERIFY(readFile(run.logPath()).contains("write-config"));

    // Services not started: the second install sequence is not valid and does not run.
    TempDir dir2;
    const QString root2 = dir2.mkdir(QStringLiteral("root"));
    QByteArray answers = exampleAnswers();
    answers.replace("start_services=true", "start_services=false");
    const Run stopped = runConsole(dir2, QStringLiteral(VANTOR_EXAMPLE_DIR "/install.xml"), answers, Input::Data, 60000,
                                   {QStringLiteral("QUORELLE_INSTALL_ROOT=") + root2});
    QCOMPARE(stopped.status, 0);
    QVERIFY(QFile::exists(root2 + QStringLiteral("/etc/quorelle.conf")));
    QVERIFY(!QFile::exists(root2 + QStringLiteral("/run/started")));
}

void TestUnattended::exampleWithoutInstallRoot() {
    // Without an installation directory the example writes nothing and says why.
    TempDir dir;
    const Run run = runConsole(dir, QStringLiteral(VANTOR_EXAMPLE_DIR "/install.xml"), exampleAnswers(), Input::Data, 60000,
                               {QStringLiteral("QUORELLE_INSTALL_ROOT=")});
    QVERIFY(!run.timedOut);
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains("the stage \"Settings\" (settings) cannot continue"), run.err.constData());
    QVERIFY(run.err.contains("install_root (Installation directory) = \"\""));
}

QTEST_GUILESS_MAIN(TestUnattended)
#include "tst_unattended.moc"
