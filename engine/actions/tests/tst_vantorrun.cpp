#include "sv_installfilebuilder.h"
#include "sv_testsupport.h"
#include "sv_testmain.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace vantortest;

// The real `vantor` program in console mode: the pre-install list runs, then the console
// viewer takes over; an unknown action type stops the run while loading.
class TestVantorRun : public QObject {
    Q_OBJECT

    static QString readAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // An install file whose lists append words to the record file.
    static InstallFileBuilder installFile(const QString& record,
                                          const QString& extraActions = QString()) {
        InstallFileBuilder b;
        b.section(QStringLiteral("variables"))
            .addXml(QStringLiteral(
                "<variable id='word' default='first'><data-type><text-data/></data-type>"
                "</variable>"));
        b.section(QStringLiteral("actions"))
            .addXml(QStringLiteral(
                        "<action type='process' id='mark'>"
                        "<option-param param='process' value='sh'/>"
                        "<option-param param='arg1' value='-c'/>"
                        "<option-param param='arg2' value='echo &quot;$0&quot; >> &quot;$1&quot;'/>"
                        "<option-param param='arg3' value='$$word$$'/>"
                        "<option-param param='arg4' value='%1'/></action>")
                        .arg(record) +
                    extraActions);
        b.section(QStringLiteral("pre-install"))
            .addXml(QStringLiteral("<run-action action_id='mark'/>"
                                   "<var-modify var_id='word' newstring='second'/>"
                                   "<run-action action_id='mark'/>"));
        b.section(QStringLiteral("post-install"))
            .addXml(QStringLiteral("<run-action action_id='mark'/>"));
        return b;
    }

private slots:
    void consoleRunsThePreInstallList() {
        TempDir dir;
        const QString record = dir.file(QStringLiteral("record"));
        const QString file = dir.file(QStringLiteral("install.xml"));
        QVERIFY(installFile(record).save(file));
        const ProcessResult result =
            runProgram(QStringLiteral(VANTOR_PROGRAM),
                       {QStringLiteral("--console"), QStringLiteral("--verbose"), file},
                       cleanEnvironment(dir.mkdir(QStringLiteral("run"))));
        QVERIFY(result.started);
        // The console viewer goes on after the pre-install list; a file without a stage to
        // show ends there with status 1, as in the window: the post-install list is not run.
        // The log messages are on standard error with --verbose only.
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.out.contains("The installation has no stage to show."),
                 result.out.constData());
        QVERIFY2(!result.err.contains("Could not create a viewer for the installation"),
                 result.err.constData());
        QCOMPARE(readAll(record), QStringLiteral("first\nsecond\n"));
        QVERIFY2(result.err.contains("Command line = sh -c echo \"$0\" >> \"$1\" second " +
                                     record.toUtf8()),
                 result.err.constData());
    }

    // A template with an unknown reference ends the program (status 1) while the file is
    // being filled: the temporary file beside the destination goes with it, and an existing
    // destination stays as it was.
    void fatalTemplateLeavesNothingBehind() {
        TempDir dir;
        const QString resources = dir.mkdir(QStringLiteral("res"));
        dir.write(QStringLiteral("res/main.cf.in"), "relay = none\nmyhostname = $$nosuch$$\n");
        const QString etc = dir.mkdir(QStringLiteral("etc"));
        dir.write(QStringLiteral("etc/old.cf"), "kept\n");
        const QString file = dir.file(QStringLiteral("install.xml"));
        const QStringList expected = {QStringLiteral("old.cf")};
        // A new destination, then one that exists.
        for (const QString& name : {QStringLiteral("main.cf"), QStringLiteral("old.cf")}) {
            InstallFileBuilder b;
            b.section(QStringLiteral("install-info"))
                .addXml(QStringLiteral("<resources dir='%1'/>").arg(resources));
            b.section(QStringLiteral("actions"))
                .addXml(QStringLiteral("<action type='file-install' id='conf'>"
                                       "<option-param param='file' value='main.cf.in'/>"
                                       "<option-param param='install-location' value='%1/%2'/>"
                                       "<option-param param='template' value='true'/></action>")
                            .arg(etc, name));
            b.section(QStringLiteral("pre-install"))
                .addXml(QStringLiteral("<run-action action_id='conf'/>"));
            QVERIFY(b.save(file));
            const ProcessResult result =
                runProgram(QStringLiteral(VANTOR_PROGRAM), {QStringLiteral("--console"), file},
                           cleanEnvironment(dir.mkdir(QStringLiteral("run"))));
            QVERIFY(result.started);
            QCOMPARE(result.exitCode, 1);
            QVERIFY2(result.err.contains(
                         "SV_VariableRegExp::fixString, Found an invalid variable ID: nosuch\n"),
                     result.err.constData());
            QCOMPARE(QDir(etc).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                             QDir::NoDotAndDotDot,
                                         QDir::Name),
                     expected);
            QCOMPARE(readAll(etc + QStringLiteral("/old.cf")), QStringLiteral("kept\n"));
        }
    }

    void unknownActionTypeStopsTheLoad() {
        TempDir dir;
        const QString record = dir.file(QStringLiteral("record"));
        const QString file = dir.file(QStringLiteral("install.xml"));
        QVERIFY(installFile(record, QStringLiteral("<action type='Process' id='x'/>")).save(file));
        const ProcessResult result =
            runProgram(QStringLiteral(VANTOR_PROGRAM), {QStringLiteral("--console"), file},
                       cleanEnvironment(dir.mkdir(QStringLiteral("run"))));
        QVERIFY(result.started);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains("Could not create action for type: Process\n"),
                 result.err.constData());
        QVERIFY(!QFile::exists(record));
    }
};

VANTOR_TEST_MAIN(TestVantorRun, nullptr)
#include "tst_vantorrun.moc"
