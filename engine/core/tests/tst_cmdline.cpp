// The `vantor` program itself: command line, usage text, exit statuses, fatal paths,
// the console run and the program's directory.
#include "sv_installfilebuilder.h"
#include "sv_testsupport.h"

#include <QFile>
#include <QtTest>

using vantortest::InstallFileBuilder;
using vantortest::ProcessResult;

namespace {

const QByteArray kUsage = "usage: vantor <opts> file\n"
                          "  Options: \n"
                          "    --console         Force install to run in console mode\n"
                          "    --lang <encoding> Specify the language\n"
                          "    --check           Only check the install file and report its problems\n"
                          "    --record <file>   Write the answers of this run to the file\n"
                          "    --record-secrets  With --record: write passwords too\n"
                          "    --answers <file>  Take the answers from the file instead of standard input\n";
const QByteArray kNoDisplay =
    "vantor: no display (DISPLAY is not set); running without the window, as with --console\n";

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void usage_data();
    void usage();
    void fatalLoadErrors_data();
    void fatalLoadErrors();
    void runStopsAfterPreinstall_data();
    void runStopsAfterPreinstall();
    void programDirectory();

private:
    ProcessResult run(const QStringList& args, const QString& workDir = QString());
    // An install file whose pre-install list writes "<resource dir>|<language>" to out.
    QString writeInstallFile(const QString& dir);

    vantortest::TempDir m_tmp;
    QProcessEnvironment m_env;
};

void TestCommandLine::initTestCase() {
    QVERIFY(m_tmp.isValid());
    const QString runtime = m_tmp.mkdir("runtime");
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_env = vantortest::cleanEnvironment(runtime);
}

ProcessResult TestCommandLine::run(const QStringList& args, const QString& workDir) {
    return vantortest::runProgram(QStringLiteral(VANTOR_BINARY), args, m_env, workDir);
}

QString TestCommandLine::writeInstallFile(const QString& dir) {
    m_tmp.mkdir(dir);
    const QString out = m_tmp.file(dir + "/out");
    QFile::remove(out);
    InstallFileBuilder b;
    b.section("install-info").add("resources", {{"dir", "res"}});
    b.section("languages").addXml("<language name='English' encoding='en'/>");
    b.section("actions").addXml(
        QStringLiteral("<action type='process' id='write'>"
                       "<option-param param='process' value='sh'/>"
                       "<option-param param='arg1' value='-c'/>"
                       "<option-param param='arg2' value='printf %s \"$1\" > \"$2\"'/>"
                       "<option-param param='arg3' value='sh'/>"
                       "<option-param param='arg4' value='$$BuiltInVars:ResourceDir$$|"
                       "$$BuiltInVars:Language$$'/>"
                       "<option-param param='arg5' value='%1'/>"
                       "</action>")
            .arg(out));
    b.section("pre-install").addXml("<run-action action_id='write'/>");
    const QString path = m_tmp.file(dir + "/install.xml");
    b.save(path);
    return path;
}

void TestCommandLine::usage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no arguments") << QStringList();
    QTest::newRow("unknown option") << QStringList{"--help"};
    QTest::newRow("bare double dash") << QStringList{"--", "file.xml"};
    QTest::newRow("option case matters") << QStringList{"--Console", "file.xml"};
    QTest::newRow("two files") << QStringList{"a.xml", "b.xml"};
    QTest::newRow("only options") << QStringList{"--console"};
    QTest::newRow("lang takes the file") << QStringList{"--lang", "file.xml"};
    QTest::newRow("error before a file") << QStringList{"--bogus", "--console", "file.xml"};
    QTest::newRow("record without its file") << QStringList{"file.xml", "--record"};
    QTest::newRow("answers without their file") << QStringList{"file.xml", "--answers"};
    QTest::newRow("secrets without a record") << QStringList{"--record-secrets", "file.xml"};
}

void TestCommandLine::usage() {
    QFETCH(QStringList, args);
    const ProcessResult r = run(args);
    QVERIFY(r.started);
    QCOMPARE(r.err, kUsage);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(r.exitCode, 255);
}

void TestCommandLine::fatalLoadErrors_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("message");
    const QByteArray open = "Could not open installation file\n";
    const QByteArray parse = "Could not parse install file...check for xml validity\n";
    QTest::newRow("missing") << "missing.xml" << QByteArray() << open;
    QTest::newRow("directory") << "adir" << QByteArray() << open;
    QTest::newRow("single dash is a file name") << "-x" << QByteArray() << open;
    QTest::newRow("not well-formed")
        << "bad.xml" << QByteArray("<install><unclosed></install>") << parse;
    QTest::newRow("empty") << "empty.xml" << QByteArray("") << parse;
    QTest::newRow("no element") << "comment.xml"
                                << QByteArray("<?xml version='1.0'?><!-- nothing -->") << parse;
}

void TestCommandLine::fatalLoadErrors() {
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, message);
    const QString dir = m_tmp.mkdir("load");
    m_tmp.mkdir("load/adir");
    if (!content.isNull())
        m_tmp.write("load/" + file, content);
    for (const QStringList& args : {QStringList{"--console", file}, QStringList{file}}) {
        const ProcessResult r = run(args, dir);
        QVERIFY(r.started);
        QCOMPARE(r.err, message);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.exitCode, 1);
        QVERIFY(!r.crashed);
    }
}

void TestCommandLine::runStopsAfterPreinstall_data() {
    QTest::addColumn<QStringList>("options");
    QTest::newRow("console") << QStringList{"--console"};
    // Without --console and without a display the run takes the same path, after one line.
    QTest::newRow("no display") << QStringList();
    QTest::newRow("lang as last argument") << QStringList{"--console", "FILE", "--lang"};
    QTest::newRow("lang before the file") << QStringList{"--lang", "de", "FILE"};
}

void TestCommandLine::runStopsAfterPreinstall() {
    QFETCH(QStringList, options);
    const QString file = writeInstallFile("run");
    QStringList args = options;
    if (args.contains("FILE"))
        args.replaceInStrings(QRegularExpression("^FILE$"), file);
    else
        args << file;
    // The window needs a display; this environment offers none.
    QProcessEnvironment env = m_env;
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    const ProcessResult r = vantortest::runProgram(QStringLiteral(VANTOR_BINARY), args, env);
    QVERIFY(r.started);
    // The console viewer takes over: this file has no stage, so the run goes on to the
    // post-install list and ends regularly.
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.contains("The installation has no stage to show."), r.out.constData());
    QCOMPARE(r.err.startsWith(kNoDisplay), !args.contains("--console"));
    // The pre-install list ran before the stop; the one language was chosen.
    QFile out(m_tmp.file("run/out"));
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(),
             QFileInfo(QStringLiteral(VANTOR_BINARY)).absolutePath().toUtf8() + "/res|en");
}

void TestCommandLine::programDirectory() {
    // Relative resource directories are taken from the program's directory: as started
    // with a relative path, and as found through PATH.
    const QString bin = m_tmp.mkdir("bin");
    QVERIFY(QFile::copy(QStringLiteral(VANTOR_BINARY), bin + "/vantor"));
    QFile::setPermissions(bin + "/vantor", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString file = writeInstallFile("prefix");

    ProcessResult r =
        vantortest::runProgram("./bin/vantor", {"--console", file}, m_env, m_tmp.path());
    QVERIFY(r.started);
    QCOMPARE(r.exitCode, 0); // the console viewer ends a run without stages regularly
    QFile out(m_tmp.file("prefix/out"));
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(), (bin + "/res|en").toUtf8());
    out.close();

    QFile::remove(m_tmp.file("prefix/out"));
    QProcessEnvironment env = m_env;
    env.insert("PATH", bin + ":" + env.value("PATH"));
    r = vantortest::runProgram("/bin/sh", {"-c", "exec vantor --console \"$0\"", file}, env,
                               m_tmp.file("prefix"));
    QVERIFY(r.started);
    QCOMPARE(r.exitCode, 0);
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(), (bin + "/res|en").toUtf8());
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_cmdline.moc"
