#include "sv_actionrun.h"
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_rpmaction.h"
#include "sv_testsupport.h"
#include "sv_versioncompare.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using vantortest::actionError;
using vantortest::ActionRun;
using vantortest::runAction;
using vantortest::TempDir;

namespace {

// rpm runs slowly on a busy machine.
constexpr int rpmTimeoutMs = 120000;

bool logged(const QString& id, const QString& text) {
    return vantortest::messages().contains(QStringLiteral("Log message from: ") + id +
                                           QStringLiteral(": ") + text);
}

bool rpmRan() {
    for (const QString& m : vantortest::messages())
        if (m.contains(QLatin1String("Command line = rpm")))
            return true;
    return false;
}

vantortest::ProcessResult rpm(const QStringList& args) {
    return vantortest::runProgram(QStringLiteral("rpm"), args,
                                  QProcessEnvironment::systemEnvironment());
}

// A private rpm database: packages go there, never into the machine's own.
class Root {
public:
    Root() {
        m_ok =
            rpm({QStringLiteral("--root"), m_dir.path(), QStringLiteral("--initdb")}).exitCode == 0;
    }
    bool ok() const { return m_ok; }
    QString path() const { return m_dir.path(); }
    QString extraArgs() const {
        return QStringLiteral("--root,") + path() + QStringLiteral(",--nodeps");
    }
    bool install(const QString& file) const {
        return rpm({QStringLiteral("--root"), path(), QStringLiteral("-U"),
                    QStringLiteral("--nodeps"), file})
                   .exitCode == 0;
    }
    // version:release of the installed package, empty when it is not installed.
    QString installed(const QString& name) const {
        const vantortest::ProcessResult r =
            rpm({QStringLiteral("--root"), path(), QStringLiteral("-q"),
                 QStringLiteral("--queryformat"), QStringLiteral("%{VERSION}:%{RELEASE}"), name});
        return r.exitCode == 0 ? QString::fromUtf8(r.out) : QString();
    }

private:
    TempDir m_dir;
    bool m_ok = false;
};

} // namespace

// The rpm action with the real rpm: packages built by the test, installed into private
// roots through "extra-args".
class TestRPMAction : public QObject {
    Q_OBJECT

    TempDir m_top;
    QString m_rpms; // built package files: NAME-VERSION-RELEASE.i386.rpm

    QString build(const QString& name, const QString& version, const QString& release) {
        const QString spec =
            m_top.write(name + QLatin1Char('-') + version + QLatin1Char('-') + release +
                            QStringLiteral(".spec"),
                        QStringLiteral("Name: %1\nVersion: %2\nRelease: %3\nSummary: test package\n"
                                       "License: none\n%description\ntest package\n%files\n")
                            .arg(name, version, release)
                            .toUtf8());
        const vantortest::ProcessResult r =
            vantortest::runProgram(QStringLiteral("rpmbuild"),
                                   {QStringLiteral("-bb"), QStringLiteral("--define"),
                                    QStringLiteral("_topdir ") + m_top.path(),
                                    QStringLiteral("--target"), QStringLiteral("i386"), spec},
                                   QProcessEnvironment::systemEnvironment());
        return r.exitCode == 0
                   ? file(name + QLatin1Char('-') + version + QLatin1Char('-') + release)
                   : QString();
    }
    QString file(const QString& nvr) const {
        return m_rpms + QLatin1Char('/') + nvr + QStringLiteral(".i386.rpm");
    }

    // A component directory holding copies of the named packages; made the engine's.
    QString components(const TempDir& dir, const QStringList& nvrs) {
        const QString path = dir.mkdir(QStringLiteral("RPMS"));
        for (const QString& nvr : nvrs)
            QFile::copy(file(nvr), path + QLatin1Char('/') + nvr + QStringLiteral(".i386.rpm"));
        setComponentDir(path);
        return path;
    }
    static void setComponentDir(const QString& path) {
        SV_Engine::engine()->loadInstallInfo(vantortest::parseXml(
            QStringLiteral("<installation><install-info><components dir='%1'/></install-info>"
                           "</installation>")
                .arg(path)));
    }

    static void setUp(SV_RPMAction& action, const QString& command, const QString& rpms,
                      const Root& root) {
        action.setID(QStringLiteral("pkg"));
        action.setOption(QStringLiteral("command"), command);
        action.setOption(QStringLiteral("rpms"), rpms);
        action.setOption(QStringLiteral("extra-args"), root.extraArgs());
    }

private slots:
    void initTestCase() {
        vantortest::installMessageHandler();
        m_rpms = m_top.path() + QStringLiteral("/RPMS/i386");
        const QList<QStringList> packages = {{"mta", "2.0", "1"},  {"mta-devel", "2.0", "1"},
                                             {"mta", "10.0", "1"}, {"mta", "1.2", "3"},
                                             {"mta", "1.2", "9"},  {"mta", "1.2", "10"},
                                             {"mta", "1.2", "3a"}};
        for (const QStringList& p : packages)
            QVERIFY2(!build(p.at(0), p.at(1), p.at(2)).isEmpty(), qPrintable(p.join('-')));
    }
    void init() { vantortest::clearMessages(); }

    void packageFileNamesSplit() {
        const QString path = QStringLiteral("/media/RPMS/mta-2.0.13-4.i386.rpm");
        QCOMPARE(SV_RPMAction::rpmName(path), QStringLiteral("mta"));
        QCOMPARE(SV_RPMAction::rpmVersion(path), QStringLiteral("2.0.13"));
        QCOMPARE(SV_RPMAction::rpmRelease(path), QStringLiteral("4"));
        QCOMPARE(SV_RPMAction::rpmName(QStringLiteral("mta-devel-2.0-1.i386.rpm")),
                 QStringLiteral("mta-devel"));
    }

    void versionsFollowRpmOrdering() {
        using SV_VersionCompare::rpm;
        const QList<QPair<const char*, const char*>> older = {
            {"1.9", "1.10"},       {"9.0", "10.0"},  {"1.0", "1.0.1"},   {"1.0", "1.0a"},
            {"3", "3a"},           {"1.a", "1.1"},   {"1.0~rc1", "1.0"}, {"1.0", "1.0^git1"},
            {"1.0^git1", "1.0.1"}, {"2.0", "2.0.0"}, {"a", "b"},         {"9", "10"}};
        for (const auto& p : older) {
            const QString a = QLatin1String(p.first);
            const QString b = QLatin1String(p.second);
            QVERIFY2(rpm(a, b) < 0 && rpm(b, a) > 0, qPrintable(a + QLatin1String(" < ") + b));
        }
        QCOMPARE(rpm(QStringLiteral("2.0"), QStringLiteral("2.00")), 0);
        QCOMPARE(rpm(QStringLiteral("1_0"), QStringLiteral("1.0")), 0);
        QCOMPARE(rpm(QStringLiteral("007"), QStringLiteral("7")), 0);
    }

    void installsWhatIsMissingWithProgress() {
        Root root;
        QVERIFY(root.ok());
        TempDir dir;
        const QString rpms = components(dir, {"mta-2.0-1", "mta-devel-2.0-1"});
        // A decoy that sorts before mta-2.0-1 and also matches mta*.i386.rpm.
        QVERIFY(QFile::copy(file(QStringLiteral("mta-devel-2.0-1")),
                            rpms + QStringLiteral("/mta-+extra-2.0-1.i386.rpm")));
        QCOMPARE(
            QDir(rpms, QString(), QDir::Name | QDir::IgnoreCase, QDir::Files).entryList().first(),
            QStringLiteral("mta-+extra-2.0-1.i386.rpm"));
        SV_RPMAction action;
        setUp(action, QStringLiteral("install"), QStringLiteral("mta,mta-devel"), root);
        QCOMPARE(action.totalSteps(), 110);
        const ActionRun r = runAction(action, rpmTimeoutMs);
        QCOMPARE(r.errors, QStringList());
        QVERIFY(action.successful());
        QCOMPARE(action.rval(), QStringLiteral("true"));
        // mta takes mta-2.0-1, not mta-devel: the character after the name's separator is a digit.
        QCOMPARE(action.packageFiles(),
                 QStringList({rpms + QStringLiteral("/mta-2.0-1.i386.rpm"),
                              rpms + QStringLiteral("/mta-devel-2.0-1.i386.rpm")}));
        QCOMPARE(root.installed(QStringLiteral("mta")), QStringLiteral("2.0:1"));
        QCOMPARE(root.installed(QStringLiteral("mta-devel")), QStringLiteral("2.0:1"));
        // "package mta is not installed" is no version: the query's status says so.
        QVERIFY(vantortest::messages().contains(
            QStringLiteral("SV_RPMAction::isAlreadyInstalled, mta is not installed")));

        // Progress: 5 once the command line stands, rising while rpm prints its hash
        // marks, never beyond the total, which is reached at the end.
        QVERIFY(r.progress.size() >= 3);
        QCOMPARE(r.progress.first(), 5);
        QCOMPARE(r.progress.last(), 110);
        for (int i = 1; i < r.progress.size(); ++i)
            QVERIFY2(r.progress.at(i) >= r.progress.at(i - 1) && r.progress.at(i) <= 110,
                     qPrintable(QString::number(r.progress.at(i))));
        QVERIFY(std::any_of(r.progress.begin(), r.progress.end(),
                            [](int p) { return p > 5 && p < 110; }));
        QCOMPARE(r.progress.count(110), 1);

        // Everything installed: no rpm run, success, progress at the total.
        vantortest::clearMessages();
        const ActionRun again = runAction(action, rpmTimeoutMs);
        QCOMPARE(again.errors, QStringList());
        QVERIFY(action.successful());
        QVERIFY(!rpmRan());
        QVERIFY(
            logged(QStringLiteral("pkg"),
                   QStringLiteral("Not installing mta since version: 2.0-1 is already installed")));
        QVERIFY(logged(QStringLiteral("pkg"),
                       QStringLiteral("Not installing mta-devel since version: 2.0-1 is already "
                                      "installed")));
        QCOMPARE(again.progress.last(), 110);
    }

    void versionsCompareAsRpmDoes() {
        // Installed 2.0, medium 10.0: newer, so installed (not older as text).
        {
            Root root;
            QVERIFY(root.install(file(QStringLiteral("mta-2.0-1"))));
            TempDir dir;
            components(dir, {"mta-10.0-1"});
            SV_RPMAction action;
            setUp(action, QStringLiteral("install"), QStringLiteral("mta"), root);
            const ActionRun r = runAction(action, rpmTimeoutMs);
            QCOMPARE(r.errors, QStringList());
            QCOMPARE(root.installed(QStringLiteral("mta")), QStringLiteral("10.0:1"));
            QCOMPARE(r.progress.last(), 60);
            for (int p : r.progress)
                QVERIFY(p <= 60);
        }
        // Installed 10.0, medium 2.0: left out silently, no downgrade attempted.
        {
            vantortest::clearMessages();
            Root root;
            QVERIFY(root.install(file(QStringLiteral("mta-10.0-1"))));
            TempDir dir;
            components(dir, {"mta-2.0-1"});
            SV_RPMAction action;
            setUp(action, QStringLiteral("install"), QStringLiteral("mta"), root);
            QCOMPARE(runAction(action, rpmTimeoutMs).errors, QStringList());
            QVERIFY(action.successful());
            QVERIFY(!rpmRan());
            QCOMPARE(root.installed(QStringLiteral("mta")), QStringLiteral("10.0:1"));
        }
    }

    void releasesOfTheSameVersion_data() {
        QTest::addColumn<QString>("installed");
        QTest::addColumn<QString>("medium");
        QTest::addColumn<QString>("message"); // empty: the medium's package is installed
        QTest::newRow("same") << "mta-1.2-3"
                              << "mta-1.2-3"
                              << "Not installing mta since version: 1.2-3 is already installed";
        QTest::newRow("10 over 9")
            << "mta-1.2-10"
            << "mta-1.2-9"
            << "Not installing mta since version: 1.2-10 is already installed";
        QTest::newRow("9 under 10") << "mta-1.2-9"
                                    << "mta-1.2-10"
                                    << "";
        QTest::newRow("3a over 3")
            << "mta-1.2-3a"
            << "mta-1.2-3"
            << "Not installing mta since version: 1.2-3a is already installed which is greater or "
               "equal according to alphabetical order";
        QTest::newRow("3 under 3a") << "mta-1.2-3"
                                    << "mta-1.2-3a"
                                    << "";
    }
    void releasesOfTheSameVersion() {
        QFETCH(QString, installed);
        QFETCH(QString, medium);
        QFETCH(QString, message);
        Root root;
        QVERIFY(root.install(file(installed)));
        TempDir dir;
        components(dir, {medium});
        SV_RPMAction action;
        setUp(action, QStringLiteral("install"), QStringLiteral("mta"), root);
        QCOMPARE(runAction(action, rpmTimeoutMs).errors, QStringList());
        QVERIFY(action.successful());
        const QString expected = (message.isEmpty() ? medium : installed)
                                     .mid(4)
                                     .replace(QLatin1Char('-'), QLatin1Char(':'));
        QCOMPARE(root.installed(QStringLiteral("mta")), expected);
        if (message.isEmpty()) {
            QVERIFY(rpmRan());
        } else {
            QVERIFY(!rpmRan());
            QVERIFY(logged(QStringLiteral("pkg"), message));
        }
    }

    void archAndExtraArgumentsNameVariables() {
        Root root;
        QVERIFY(root.ok());
        TempDir dir;
        components(dir, {QStringLiteral("mta-2.0-1")});
        // The root holds a comma: the extra arguments are split before the replacement.
        const QString target = dir.mkdir(QStringLiteral("a,b"));
        QVERIFY(rpm({QStringLiteral("--root"), target, QStringLiteral("--initdb")}).exitCode == 0);
        SV_Engine::engine()->loadVariables(vantortest::parseXml(
            QStringLiteral("<installation><variables>"
                           "<variable id='rpmroot' default='%1'><data-type><text-data/></data-type></variable>"
                           "<variable id='rpmarch' default='i386'><data-type><text-data/></data-type></variable>"
                           "</variables></installation>")
                .arg(target)));
        SV_RPMAction action;
        setUp(action, QStringLiteral("install"), QStringLiteral("mta"), root);
        action.setOption(QStringLiteral("extra-args"), QStringLiteral("--root,$$rpmroot$$,--nodeps"));
        action.setOption(QStringLiteral("arch"), QStringLiteral("$$rpmarch$$"));
        QCOMPARE(runAction(action).errors, QStringList());
        QVERIFY(action.successful());
        QCOMPARE(action.commandLine().mid(1, 4),
                 QStringList({"-Uh", "--root", target, "--nodeps"}));
        const vantortest::ProcessResult q =
            rpm({QStringLiteral("--root"), target, QStringLiteral("-q"), QStringLiteral("mta")});
        QCOMPARE(q.exitCode, 0);
        QCOMPARE(root.installed(QStringLiteral("mta")), QString()); // the other root is untouched
        // The second run asks the same root and leaves the package out.
        vantortest::clearMessages();
        QCOMPARE(runAction(action).errors, QStringList());
        QVERIFY(!rpmRan());
    }

    void queryAndRemove() {
        Root root;
        QVERIFY(root.install(file(QStringLiteral("mta-2.0-1"))));
        SV_RPMAction action;
        setUp(action, QStringLiteral("query"), QStringLiteral("mta,ignored"), root);
        action.setOption(QStringLiteral("extra-args"), QStringLiteral("--root,") + root.path());
        QCOMPARE(action.totalSteps(), 1);
        QCOMPARE(runAction(action, rpmTimeoutMs).errors, QStringList());
        QVERIFY(action.successful());
        QCOMPARE(action.rval(), QString());
        QCOMPARE(action.standardOutput(), QStringLiteral("2.0:1"));
        QCOMPARE(action.commandLine(),
                 QStringList({"rpm", "-q", "--queryformat", "%{VERSION}:%{RELEASE}", "--root",
                              root.path(), "mta"}));

        // A "time" for the process action's timed steps does not count past the total.
        action.setOption(QStringLiteral("time"), QStringLiteral("5000"));
        action.setOption(QStringLiteral("progress-interval"), QStringLiteral("1"));
        const ActionRun timed = runAction(action, rpmTimeoutMs);
        QCOMPARE(timed.errors, QStringList());
        for (int p : timed.progress)
            QVERIFY2(p <= 1, qPrintable(QString::number(p)));
        action.setOption(QStringLiteral("time"), QString());

        action.setOption(QStringLiteral("version"), QStringLiteral("2.0"));
        QCOMPARE(runAction(action, rpmTimeoutMs).errors, QStringList());
        QVERIFY(action.successful());
        action.setOption(QStringLiteral("version"), QStringLiteral("2.1"));
        QCOMPARE(runAction(action, rpmTimeoutMs).errors, QStringList());
        QVERIFY(!action.successful());

        // A package that is not installed: not successful, and no error (rpm's own notices
        // on standard error are no error message).
        action.setOption(QStringLiteral("version"), QString());
        action.setOption(QStringLiteral("rpms"), QStringLiteral("mta-devel"));
        QCOMPARE(runAction(action, rpmTimeoutMs).errors, QStringList());
        QVERIFY(!action.successful());

        SV_RPMAction remove;
        setUp(remove, QStringLiteral("remove"), QStringLiteral("mta"), root);
        QCOMPARE(runAction(remove, rpmTimeoutMs).errors, QStringList());
        QVERIFY(remove.successful());
        QCOMPARE(remove.rval(), QStringLiteral("true"));
        QCOMPARE(root.installed(QStringLiteral("mta")), QString());
        // Removing it again: rpm fails and says why.
        const ActionRun again = runAction(remove, rpmTimeoutMs);
        QCOMPARE(again.errors.size(), 1);
        QVERIFY2(again.errors.first().startsWith(actionError(
                     QStringLiteral("pkg"), QStringLiteral("Process returned error message: "))),
                 qPrintable(again.errors.first()));
        QVERIFY(again.errors.first().contains(QLatin1String("package mta is not installed")));
        QCOMPARE(remove.rval(), QStringLiteral("false"));
    }

    void errorsOfTheOptionsAndTheMedium() {
        Root root;
        TempDir dir;
        SV_RPMAction action;
        setUp(action, QStringLiteral("install"), QStringLiteral("mta"), root);

        const QString missing = dir.file(QStringLiteral("nowhere"));
        setComponentDir(missing);
        QCOMPARE(runAction(action, rpmTimeoutMs).errors,
                 QStringList{
                     actionError(QStringLiteral("pkg"),
                                 QStringLiteral("No rpm's to install could be found, %1 does not "
                                                "exist")
                                     .arg(missing))});
        QVERIFY(vantortest::messages().contains(
            QStringLiteral("SV_RPMAction::fixCommandLine, component dir does not exist")));

        // One name without a package: nothing is run, also for the others.
        components(dir, {"mta-2.0-1"});
        action.setOption(QStringLiteral("rpms"), QStringLiteral("mta,postfix"));
        QCOMPARE(runAction(action, rpmTimeoutMs).errors,
                 QStringList{actionError(QStringLiteral("pkg"),
                                         QStringLiteral("Could not find an rpm for postfix"))});
        QCOMPARE(root.installed(QStringLiteral("mta")), QString());
        QCOMPARE(action.rval(), QStringLiteral("false"));

        // Another architecture than the medium's.
        action.setOption(QStringLiteral("rpms"), QStringLiteral("mta"));
        action.setOption(QStringLiteral("arch"), QStringLiteral("x86_64"));
        QCOMPARE(runAction(action, rpmTimeoutMs).errors,
                 QStringList{actionError(QStringLiteral("pkg"),
                                         QStringLiteral("Could not find an rpm for mta"))});
        action.setOption(QStringLiteral("arch"), QString());

        // A name whose only package is another one that begins with it.
        TempDir devel;
        components(devel, {"mta-devel-2.0-1"});
        QCOMPARE(runAction(action, rpmTimeoutMs).errors,
                 QStringList{actionError(QStringLiteral("pkg"),
                                         QStringLiteral("Could not find an rpm for mta"))});

        SV_RPMAction noRpms;
        noRpms.setID(QStringLiteral("pkg"));
        noRpms.setOption(QStringLiteral("command"), QStringLiteral("install"));
        QCOMPARE(noRpms.totalSteps(), 1);
        QCOMPARE(runAction(noRpms, rpmTimeoutMs).errors,
                 QStringList{actionError(QStringLiteral("pkg"),
                                         QStringLiteral("The rpms options was not specified"))});
        noRpms.setOption(QStringLiteral("command"), QStringLiteral("query"));
        noRpms.setOption(QStringLiteral("rpms"), QStringLiteral(","));
        QCOMPARE(
            runAction(noRpms, rpmTimeoutMs).errors,
            QStringList{actionError(QStringLiteral("pkg"),
                                    QStringLiteral("Missing rpm argument for rpm query action"))});
        // An unknown command runs nothing and is no error.
        noRpms.setOption(QStringLiteral("command"), QStringLiteral("upgrade"));
        QCOMPARE(runAction(noRpms, rpmTimeoutMs).errors, QStringList());
        QVERIFY(!rpmRan());
    }

    void rpmFailing() {
        Root root;
        TempDir dir;
        const QString rpms = components(dir, {"mta-devel-2.0-1"});
        // Not a package at all.
        QFile broken(rpms + QStringLiteral("/mta-3.0-1.i386.rpm"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("this is not an rpm package\n");
        broken.close();
        SV_RPMAction action;
        setUp(action, QStringLiteral("install"), QStringLiteral("mta-devel,mta"), root);
        const ActionRun r = runAction(action, rpmTimeoutMs);
        QCOMPARE(r.errors.size(), 1);
        QVERIFY2(r.errors.first().startsWith(actionError(
                     QStringLiteral("pkg"), QStringLiteral("Process returned error message: "))),
                 qPrintable(r.errors.first()));
        QVERIFY(!action.successful());
        QCOMPARE(action.rval(), QStringLiteral("false"));
        QCOMPARE(r.progress.last(), 110);
        for (int p : r.progress)
            QVERIFY(p <= 110);
    }
};

QTEST_GUILESS_MAIN(TestRPMAction)
#include "tst_rpmaction.moc"
