#include "sv_actionrun.h"
#include "sv_checkjavaaction.h"
#include "sv_checkprocessaction.h"
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_testsupport.h"
#include "sv_versioncompare.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

using vantortest::actionError;
using vantortest::runAction;
using vantortest::TempDir;

namespace {

// The -version banners of real runtimes, as they print them.
QString banner(const QString& version) {
    if (version == QLatin1String("1.4.2"))
        return QStringLiteral("java version \"1.4.2\"\n"
                              "Java(TM) 2 Runtime Environment, Standard Edition (build 1.4.2-b28)\n"
                              "Java HotSpot(TM) Client VM (build 1.4.2-b28, mixed mode)\n");
    if (version == QLatin1String("1.8.0_392"))
        return QStringLiteral(
            "openjdk version \"1.8.0_392\"\n"
            "OpenJDK Runtime Environment (build 1.8.0_392-8u392-ga-1~deb12u1-b08)\n"
            "OpenJDK 64-Bit Server VM (build 25.392-b08, mixed mode)\n");
    return QStringLiteral("openjdk version \"%1\" 2023-10-17\n"
                          "OpenJDK Runtime Environment (build %1+9-Debian-1deb12u1)\n"
                          "OpenJDK 64-Bit Server VM (build %1+9-Debian-1deb12u1, mixed mode, "
                          "sharing)\n")
        .arg(version);
}

// A "java" program in its own directory that prints text on one stream (the shell's
// built-in printf: the PATH of the test may hold nothing else).
QString writeJava(const TempDir& dir, const QString& text, bool onStderr = true) {
    QString script = QStringLiteral("#!/bin/sh\nprintf '%s' '") + text + QStringLiteral("'");
    if (onStderr)
        script += QStringLiteral(" >&2");
    script += QStringLiteral("\n");
    const QString path = dir.write(QStringLiteral("bin/java"), script.toUtf8());
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    return path;
}

// Sets PATH for its lifetime.
class PathSetting {
public:
    explicit PathSetting(const QByteArray& value) : m_old(qgetenv("PATH")) {
        qputenv("PATH", value);
    }
    ~PathSetting() { qputenv("PATH", m_old); }

private:
    QByteArray m_old;
};

} // namespace

// check-process with processes the test starts; check-java with scripts printing the
// banners of real runtimes.
class TestCheckActions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        vantortest::installMessageHandler();
        SV_Engine::engine()->loadVariables(vantortest::parseXml(QStringLiteral(
            "<installation><variables><variable id='daemon' default='vtcheckdaemon'>"
            "<data-type><text-data/></data-type></variable></variables></installation>")));
    }
    void init() { vantortest::clearMessages(); }

    void processByWholeCommandName() {
        TempDir dir;
        const QString program = dir.file(QStringLiteral("vtcheckdaemon"));
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), program));
        QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
        QProcess daemon;
        daemon.start(program, {QStringLiteral("120")});
        QVERIFY(daemon.waitForStarted());

        SV_CheckProcessAction action;
        action.setID(QStringLiteral("chk"));
        action.setOption(QStringLiteral("name"), QStringLiteral("$$daemon$$"));
        QCOMPARE(runAction(action).errors, QStringList());
        QVERIFY(action.successful());
        QCOMPARE(action.commandLine(), QStringList({"ps", "-C", "vtcheckdaemon", "-o", "pid="}));
        QCOMPARE(action.standardOutput().trimmed().toLongLong(), daemon.processId());
        QVERIFY(vantortest::messages().contains(
            QStringLiteral("Log message from: chk: Checking for process name: vtcheckdaemon")));

        // A prefix of the name is not the name; exactly one error.
        action.setOption(QStringLiteral("name"), QStringLiteral("vtcheck"));
        QCOMPARE(runAction(action).errors,
                 QStringList{actionError(QStringLiteral("chk"),
                                         QStringLiteral("Process: vtcheck is not running"))});
        QVERIFY(!action.successful());

        daemon.kill();
        daemon.waitForFinished();
        action.setOption(QStringLiteral("name"), QStringLiteral("$$daemon$$"));
        QCOMPARE(runAction(action).errors,
                 QStringList{actionError(QStringLiteral("chk"),
                                         QStringLiteral("Process: vtcheckdaemon is not "
                                                        "running"))});

        action.setOption(QStringLiteral("name"), QString());
        QCOMPARE(runAction(action).errors,
                 QStringList{actionError(QStringLiteral("chk"),
                                         QStringLiteral("No process name to check was "
                                                        "given"))});
    }

    void dottedVersionsCompareByParts() {
        using SV_VersionCompare::dotted;
        const QStringList ascending = {"1.2", "1.4.2",   "1.8", "1.8.0_392", "9",
                                       "11",  "11.0.21", "17",  "17.0.9",    "21.0.1"};
        for (int i = 0; i + 1 < ascending.size(); ++i)
            QVERIFY2(dotted(ascending.at(i), ascending.at(i + 1)) < 0 &&
                         dotted(ascending.at(i + 1), ascending.at(i)) > 0,
                     qPrintable(ascending.at(i)));
        QCOMPARE(dotted(QStringLiteral("17"), QStringLiteral("17.0.0")), 0);
        QVERIFY(SV_VersionCompare::isDotted(QStringLiteral("1.8.0_392")));
        QVERIFY(!SV_VersionCompare::isDotted(QStringLiteral("1..2")));
        QVERIFY(!SV_VersionCompare::isDotted(QStringLiteral("1.2e0")));
    }

    void javaVersionAgainstTheRequired_data() {
        QTest::addColumn<QString>("found");
        QTest::addColumn<QString>("required");
        QTest::addColumn<bool>("met");
        const QStringList runtimes = {"1.4.2", "1.8.0_392", "11.0.21", "17.0.9", "21.0.1"};
        for (const QString& r : runtimes) {
            QTest::newRow(qPrintable(r + QLatin1String(" >= 1.2"))) << r << "1.2" << true;
            QTest::newRow(qPrintable(r + QLatin1String(" vs 11")))
                << r << "11" << (SV_VersionCompare::dotted(r, QStringLiteral("11")) >= 0);
        }
        QTest::newRow("1.4.2 < 1.8") << "1.4.2"
                                     << "1.8" << false;
        QTest::newRow("1.8.0_392 >= 1.8") << "1.8.0_392"
                                          << "1.8" << true;
        QTest::newRow("17.0.9 >= 17.0.9") << "17.0.9"
                                          << "17.0.9" << true;
        QTest::newRow("17.0.9 < 17.0.10") << "17.0.9"
                                          << "17.0.10" << false;
        QTest::newRow("21.0.1 >= 21") << "21.0.1"
                                      << "21" << true;
    }
    void javaVersionAgainstTheRequired() {
        QFETCH(QString, found);
        QFETCH(QString, required);
        QFETCH(bool, met);
        TempDir dir;
        const QString java = writeJava(dir, banner(found));
        PathSetting path(QFile::encodeName(dir.file(QStringLiteral("bin"))));
        SV_CheckJavaAction action;
        action.setID(QStringLiteral("java"));
        action.setOption(QStringLiteral("version"), required);
        const QStringList errors = runAction(action).errors;
        QCOMPARE(action.commandLine(), QStringList({java, QStringLiteral("-version")}));
        if (met)
            QCOMPARE(errors, QStringList());
        else
            QCOMPARE(errors,
                     QStringList{actionError(QStringLiteral("java"),
                                             QStringLiteral("JVM Version %1 is not supported,"
                                                            "Version %2 or greater is required")
                                                 .arg(found, required))});
        QCOMPARE(action.successful(), met);
    }

    void javaFoundOnPath() {
        TempDir dir;
        const QString java = writeJava(dir, banner(QStringLiteral("11.0.21")), false);
        const QByteArray bin = QFile::encodeName(dir.file(QStringLiteral("bin")));
        SV_CheckJavaAction action;
        action.setID(QStringLiteral("java"));
        {
            // Presence only: found, logged, no child, no error.
            PathSetting path(":/nonexistent::" + bin);
            QCOMPARE(runAction(action).errors, QStringList());
            QVERIFY(action.commandLine().isEmpty());
            QVERIFY(vantortest::messages().contains(
                QStringLiteral("Log message from: java: java exe found at: ") + java));
            // A banner on standard output (older runtimes) is read too; two starts give
            // the same command line.
            action.setOption(QStringLiteral("version"), QStringLiteral("1.2"));
            QCOMPARE(runAction(action).errors, QStringList());
            QCOMPARE(runAction(action).errors, QStringList());
            QCOMPARE(action.commandLine(), QStringList({java, QStringLiteral("-version")}));
            action.setOption(QStringLiteral("version"), QStringLiteral("one"));
            QCOMPARE(runAction(action).errors,
                     QStringList{actionError(QStringLiteral("java"),
                                             QStringLiteral("Invalid version string: one"))});
        }
        action.setOption(QStringLiteral("version"), QString());
        {
            PathSetting path("");
            QCOMPARE(runAction(action).errors,
                     QStringList{actionError(QStringLiteral("java"),
                                             QStringLiteral("Could not find the java "
                                                            "executable in "))});
            // An absolute java_exe needs one directory on PATH.
            action.setOption(QStringLiteral("java_exe"), java);
            QCOMPARE(runAction(action).errors.size(), 1);
        }
        {
            PathSetting path("/nonexistent");
            QCOMPARE(runAction(action).errors, QStringList());
            action.setOption(QStringLiteral("java_exe"), QStringLiteral("kaffe"));
            QCOMPARE(runAction(action).errors,
                     QStringList{actionError(QStringLiteral("java"),
                                             QStringLiteral("Could not find the java "
                                                            "executable in /nonexistent"))});
        }
    }

    void bannersWithoutAVersion_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("message");
        QTest::newRow("no version") << "Unrecognized option: -version\n"
                                    << "Could not find version in: Unrecognized option: -version\n";
        QTest::newRow("no number") << "java version .x\n"
                                   << "Could not find a number in: java version .x\n";
        QTest::newRow("unreadable") << "java version \"1..2\"\n"
                                    << "Could not parse version number from: 1..2";
        QTest::newRow("at the start") << "version 9\n"
                                      << "";
    }
    void bannersWithoutAVersion() {
        QFETCH(QString, output);
        QFETCH(QString, message);
        TempDir dir;
        writeJava(dir, output);
        PathSetting path(QFile::encodeName(dir.file(QStringLiteral("bin"))));
        SV_CheckJavaAction action;
        action.setID(QStringLiteral("java"));
        action.setOption(QStringLiteral("version"), QStringLiteral("1.2"));
        QCOMPARE(runAction(action).errors,
                 message.isEmpty() ? QStringList()
                                   : QStringList{actionError(QStringLiteral("java"), message)});
    }
};

QTEST_GUILESS_MAIN(TestCheckActions)
#include "tst_checkactions.moc"
