// Install files written to hurt: cycles, deep nesting and very long lists end in a result
// or in the one-line fatal message, never in a stack overflow or a run of minutes.
#include "sv_installfilebuilder.h"
#include "sv_testsupport.h"
#include "sv_validators.h"

#include <QFile>
#include <QtTest>

using vantortest::InstallFileBuilder;
using vantortest::ProcessResult;

namespace {

const QByteArray kParseFailure = "Could not parse install file...check for xml validity\n";

// The opening of an install file that has everything a run needs before its actions.
QByteArray installFileHead() {
    return "<installation><install-info><resources dir='res'/></install-info>"
           "<languages><language name='English' encoding='en'/></languages>";
}

// A process action that writes its text to a file: the run got that far.
QString markerAction(const QString& id, const QString& text, const QString& file) {
    return QStringLiteral("<action type='process' id='%1'>"
                          "<option-param param='process' value='sh'/>"
                          "<option-param param='arg1' value='-c'/>"
                          "<option-param param='arg2' value='printf %s \"$1\" > \"$2\"'/>"
                          "<option-param param='arg3' value='sh'/>"
                          "<option-param param='arg4' value='%2'/>"
                          "<option-param param='arg5' value='%3'/>"
                          "</action>")
        .arg(id, text, file);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestRobustness : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void deepDocumentsAreRefusedBeforeParsing_data();
    void deepDocumentsAreRefusedBeforeParsing();
    void nestedStagesWithinTheLimitLoad();
    void longPreinstallListRuns();
    void initializerCycleIsAnError();
    void profilesSelectingEachOtherStop();
    void ldapEscapeOfLongValue();

private:
    ProcessResult run(const QString& file, const QStringList& options = {});
    vantortest::TempDir m_tmp;
    QProcessEnvironment m_env;
};

void TestRobustness::initTestCase() {
    QVERIFY(m_tmp.isValid());
    const QString runtime = m_tmp.mkdir("runtime");
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_env = vantortest::cleanEnvironment(runtime);
}

ProcessResult TestRobustness::run(const QString& file, const QStringList& options) {
    // Console mode with nothing to answer: these files have no stages to walk.
    return vantortest::runProgram(QStringLiteral(VANTOR_PROGRAM),
                                  QStringList{QStringLiteral("--console")} + options +
                                      QStringList{file},
                                  m_env, QString(), 120000);
}

void TestRobustness::deepDocumentsAreRefusedBeforeParsing_data() {
    QTest::addColumn<QByteArray>("content");
    const int deep = 200000;
    QTest::newRow("inside an ignored element")
        << installFileHead() + "<ignored>" + QByteArray("<a>").repeated(deep) +
               QByteArray("</a>").repeated(deep) + "</ignored></installation>";
    const int stages = 6000;
    QTest::newRow("stages within stages")
        << installFileHead() + "<stages>" +
               QByteArray("<stage id='s'><sub-stages>").repeated(stages) +
               QByteArray("</sub-stages></stage>").repeated(stages) + "</stages></installation>";
    // Deep and not even well-formed: the depth decides first.
    QTest::newRow("unclosed") << installFileHead() + QByteArray("<a>").repeated(deep);
}

void TestRobustness::deepDocumentsAreRefusedBeforeParsing() {
    QFETCH(QByteArray, content);
    const QString file = m_tmp.write("deep.xml", content);
    const ProcessResult r = run(file);
    QVERIFY(r.started);
    QVERIFY(!r.crashed);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err, kParseFailure);
}

void TestRobustness::nestedStagesWithinTheLimitLoad() {
    const int stages = 200;
    const QString marker = m_tmp.file("nested.out");
    QByteArray xml = installFileHead();
    xml += "<actions>" + markerAction("mark", "loaded", marker).toUtf8() + "</actions>";
    xml += "<pre-install><run-action action_id='mark'/></pre-install><stages>";
    for (int i = 0; i < stages; ++i)
        xml += QStringLiteral("<stage id='s%1'><string>Stage %1</string><sub-stages>").arg(i).toUtf8();
    xml += QByteArray("</sub-stages></stage>").repeated(stages) + "</stages></installation>";
    const ProcessResult r = run(m_tmp.write("nested.xml", xml));
    QVERIFY(r.started);
    QVERIFY2(!r.crashed, r.err.right(2000).constData());
    QCOMPARE(readAll(marker), QByteArray("loaded"));
}

void TestRobustness::longPreinstallListRuns() {
    // Every entry finishes inside its own start; the processor must not nest a call per
    // entry (100,000 nested calls overflow the stack).
    const int entries = 100000;
    const QString marker = m_tmp.file("long.out");
    QByteArray xml = installFileHead();
    xml += "<variables><variable id='v'><data-type><text-data/></data-type></variable></variables>";
    xml += "<actions>" + markerAction("mark", "$$v$$", marker).toUtf8() + "</actions><pre-install>";
    for (int i = 0; i < entries; ++i)
        xml += QStringLiteral("<var-modify var_id='v' newstring='n%1'/>").arg(i).toUtf8();
    xml += "<run-action action_id='mark'/></pre-install></installation>";
    const ProcessResult r = run(m_tmp.write("long.xml", xml));
    QVERIFY(r.started);
    QVERIFY2(!r.crashed, r.err.right(2000).constData());
    QCOMPARE(readAll(marker), QByteArray("n99999"));
}

void TestRobustness::initializerCycleIsAnError() {
    const QString marker = m_tmp.file("cycle.out");
    QByteArray xml = installFileHead();
    xml += "<variables>"
           "<variable id='x'><data-type><text-data/></data-type></variable>"
           "<variable id='y'><data-type><text-data/></data-type></variable>"
           "</variables><actions>"
           "<action type='var-initializer' id='A'><option-param param='var_id' value='x'/>"
           "<option-param param='action_id' value='B'/></action>"
           "<action type='var-initializer' id='B'><option-param param='var_id' value='y'/>"
           "<option-param param='action_id' value='C'/></action>"
           "<action type='var-initializer' id='C'><option-param param='var_id' value='x'/>"
           "<option-param param='action_id' value='A'/></action>" +
           markerAction("mark", "after", marker).toUtf8() +
           "</actions><pre-install><run-action action_id='A'/><run-action action_id='B'/>"
           "<run-action action_id='mark'/></pre-install></installation>";
    // The errors are log messages: on standard error with --verbose.
    const ProcessResult r = run(m_tmp.write("cycle.xml", xml), {QStringLiteral("--verbose")});
    QVERIFY(r.started);
    QVERIFY2(!r.crashed, r.err.right(2000).constData());
    QVERIFY2(r.err.contains("Initializer cycle: A -> B -> C -> A"), r.err.constData());
    QVERIFY2(r.err.contains("Initializer cycle: B -> C -> A -> B"), r.err.constData());
    // The run goes on after the cycle was cut.
    QCOMPARE(readAll(marker), QByteArray("after"));
}

void TestRobustness::profilesSelectingEachOtherStop() {
    // "first" selects "second" through the profile variable, "second" selects "first".
    const QString marker = m_tmp.file("profiles.out");
    QByteArray xml = installFileHead();
    xml += "<profiles>"
           "<profile id='first'><string>First</string>"
           "<var-ref var_id='kind' value='second'/><var-ref var_id='t' value='one'/></profile>"
           "<profile id='second'><string>Second</string>"
           "<var-ref var_id='kind' value='first'/><var-ref var_id='t' value='two'/></profile>"
           "</profiles><variables>"
           "<variable id='t'><data-type><text-data/></data-type></variable>"
           "<variable id='kind'><data-type><profile-selection>"
           "<profile-choice profile_id='first'/><profile-choice profile_id='second'/>"
           "</profile-selection></data-type></variable></variables><actions>" +
           markerAction("mark", "$$t$$|$$kind$$", marker).toUtf8() +
           "</actions><pre-install><var-modify var_id='kind' newstring='first'/>"
           "<run-action action_id='mark'/></pre-install></installation>";
    const ProcessResult r = run(m_tmp.write("profiles.xml", xml));
    QVERIFY(r.started);
    QVERIFY2(!r.crashed, r.err.right(2000).constData());
    // The outer application stands: "first" set the variable to "second" (whose own
    // attempt to select "first" again was refused) and its own text value last.
    QCOMPARE(readAll(marker), QByteArray("one|Second"));
}

void TestRobustness::ldapEscapeOfLongValue() {
    // One pass: a million special characters take a moment, not hours.
    const int n = 1000000;
    QString value(n, QLatin1Char(','));
    SV_LDAPValueValidator validator;
    validator.fixup(value);
    QCOMPARE(value.size(), 2 * n);
    QCOMPARE(value.count(QStringLiteral("\\,")), n);

    // Typing at the end: the cursor stays behind the character just typed.
    QString typed = QStringLiteral("a\\,b,");
    int pos = typed.size();
    QCOMPARE(validator.validate(typed, pos), QValidator::Acceptable);
    QCOMPARE(typed, QStringLiteral("a\\,b\\,"));
    QCOMPARE(pos, typed.size());
}

QTEST_GUILESS_MAIN(TestRobustness)
#include "tst_robustness.moc"
