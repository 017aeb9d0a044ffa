// The install-file check (vantor --check): what it reports, where, and that its knowledge of
// the install file is the engine's own (the action factory, the options the action classes
// and the viewer read, the names the loaders read).
#include "sv_action.h"
#include "sv_engine.h"
#include "sv_installcheck.h"
#include "sv_installschema.h"
#include "sv_testsupport.h"
#include "sv_xmltree.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

using namespace SV_InstallSchema;

namespace {

QString readSource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// The keys a source file reads with option("..."): the engine's option lookup.
QStringList optionKeysRead(const QString& source) {
    static const QRegularExpression read(
        QStringLiteral("option\\((?:QStringLiteral|QLatin1String)\\(\"([^\"]+)\"\\)"));
    QStringList keys;
    for (auto it = read.globalMatch(source); it.hasNext();)
        keys.append(it.next().captured(1));
    keys.removeDuplicates();
    return keys;
}

const char kHead[] = "<?xml version='1.0'?>\n<installation>\n";

} // namespace

class TestInstallCheck : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void problems_data();
    void problems();
    void clean();
    void files();
    void translations();
    void notWellFormed();
    void nearest();
    void actionTypesAreTheFactorys();
    void actionOptionsAreThoseRead();
    void viewerOptionsAreThoseRead();
    void loaderNamesAreKnown();
    void command();

private:
    // The report for an install file made of kHead, body and the closing tag.
    QString check(const QByteArray& body, int* errors = nullptr);

    vantortest::TempDir m_tmp;
    QString m_prefix;
};

void TestInstallCheck::initTestCase() {
    QVERIFY(m_tmp.isValid());
    m_prefix = m_tmp.mkdir(QStringLiteral("medium/bin"));
    m_tmp.write(QStringLiteral("medium/res/logo.png"), "png");
    m_tmp.write(QStringLiteral("medium/res/conf.in"),
                "host=$$host$$\nkind=$$kind$$\nbad=$$nothere$$\n");
    m_tmp.write(QStringLiteral("medium/pkgs/mta-2.0-1.i386.rpm"), "rpm");
    m_tmp.write(QStringLiteral("medium/pkgs/mta-devel-2.0-1.i386.rpm"), "rpm");
    m_tmp.write(QStringLiteral("medium/tr/intro.html"), "<p>Hello $$host$$ $$nobody$$</p>");
}

QString TestInstallCheck::check(const QByteArray& body, int* errors) {
    SV_InstallCheck check(m_prefix);
    check.checkContent(kHead + body + "</installation>\n");
    if (errors)
        *errors = check.errorCount();
    return check.report(QStringLiteral("f.xml"));
}

// Each case: a body (from line 3 of the file on) and the whole report.
void TestInstallCheck::problems_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("report");

    // A variable shown on a stage: nothing to report about it.
    const QByteArray host = "<variables><variable id='host'><string>Host</string>"
                            "<data-type><text-data/></data-type></variable></variables>\n";
    const QByteArray shown =
        "<ui><ui-element><input-element><variable-input var_id='host'/></input-element>"
        "</ui-element></ui>";

    QTest::newRow("misspelt element, with the name meant; a second section")
        << host + "<stages><stage id='t'>" + shown +
               "<contine-conditions/></stage></stages>\n<stages/>\n"
        << "f.xml:4:119: error: <contine-conditions> is not read inside <stage> (did you mean "
           "\"continue-conditions\"?)\n"
           "f.xml:5:1: error: <stages> is not read: only the first one inside <installation> is\n";
    QTest::newRow("element in the wrong place, text where none is read")
        << host + "<actions><var-condition/></actions>\n<stages><stage id='s'>" + shown +
               "Next page</stage></stages>\n"
        << "f.xml:4:10: error: <var-condition> is not read inside <actions> (it is read inside "
           "<valid-conditions>, <continue-conditions>)\n"
           "f.xml:5:119: warning: text inside <stage> is not read (a display text goes into a "
           "<string> child)\n";
    QTest::newRow("misspelt attribute, and the one missing")
        << QByteArray("<variables><variable "
                      "id='a'><data-type><text-data/></data-type></variable></variables>\n"
                      "<stages><stage id='s'><ui><ui-element><input-element>\n"
                      "  <variable-input "
                      "var_ID='a'/></input-element></ui-element></ui></stage></stages>\n")
        << "f.xml:3:12: warning: variable \"a\" is used nowhere: no stage shows it and no action, "
           "condition or "
           "text uses it\n"
           "f.xml:5:3: error: <variable-input> has no \"var_id\" attribute\n"
           "f.xml:5:19: error: attribute \"var_ID\" is not read on <variable-input> (did you mean "
           "\"var_id\"?)\n";
    QTest::newRow("references to nothing")
        << host +
               "<pre-install><run-action action_id='nope'/><var-init var_id='hots' "
               "action_id='x'/></pre-install>\n"
               "<profiles><profile id='p'><string>P $$host$$ "
               "$$hots$$</string></profile></profiles>\n"
               "<stages><stage id='s'>" +
               shown + "</stage></stages>\n"
        << "f.xml:4:26: error: there is no action \"nope\"\n"
           "f.xml:4:54: error: there is no variable \"hots\" (did you mean \"host\"?)\n"
           "f.xml:4:68: error: there is no action \"x\"\n"
           "f.xml:5:46: error: there is no variable \"hots\" for the reference $$hots$$ (did you "
           "mean \"host\"?)\n";
    QTest::newRow("unknown action type, unknown and missing options")
        << QByteArray("<actions><action type='rpms' id='a'/>\n"
                      "<action type='rpm' id='b'><option-param param='command' value='remove'/>"
                      "<option-param param='rmps' value='x'/></action></actions>\n"
                      "<post-install><run-action action_id='a'/><run-action "
                      "action_id='b'/></post-install>\n")
        << "f.xml:3:18: error: unknown action type \"rpms\" (did you mean \"rpm\"?); the types are "
           "check-java, "
           "check-process, file-edit, file-install, generate-password, gethostname, "
           "load-environment-variable, "
           "pause, process, read-file, rpm, server-connect, var-initializer, var-modifier\n"
           "f.xml:4:1: error: action \"b\" (rpm) needs the option \"rpms\"\n"
           "f.xml:4:87: error: action \"b\" (rpm) has no option \"rmps\" (did you mean "
           "\"rpms\"?)\n";
    QTest::newRow("values the engine cannot read")
        << QByteArray(
               "<actions><action type='pause' id='p'><option-param param='time' "
               "value='1s'/></action>"
               "<action type='check-java' id='j'><option-param param='version' "
               "value='1.x'/></action></actions>\n"
               "<pre-install><run-action action_id='p'/><run-action action_id='j'/></pre-install>\n"
               "<install-info><viewer-options><option-param param='size' value='big'/>"
               "<option-param param='bg-color' value='#12345'/>"
               "<option-param param='mdi-mode' value='yes'/></viewer-options></install-info>\n")
        << "f.xml:3:65: error: \"1s\" of option \"time\" is not a whole number\n"
           "f.xml:3:149: error: \"1.x\" of option \"version\" is not a version such as 1.8 or "
           "17.0.9\n"
           "f.xml:5:58: error: \"big\" is no value of option \"size\" (values: half-screen, "
           "maximized, full-screen)\n"
           "f.xml:5:102: error: \"#12345\" of option \"bg-color\" is not a colour (a name such as "
           "navy, or "
           "#RRGGBB)\n"
           "f.xml:5:149: warning: \"yes\" of option \"mdi-mode\" reads as false: only \"true\" "
           "switches it on\n";
    QTest::newRow("blank in a list, arguments after a gap, references taken as written")
        << QByteArray(
               "<actions><action type='rpm' id='r'><option-param param='command' value='remove'/>"
               "<option-param param='rpms' value='mta, ldap'/></action>\n"
               "<action type='process' id='p'><option-param param='process' value='echo'/>"
               "<option-param param='arg1' value='a'/><option-param param='arg3' value='c'/>"
               "<option-param param='java_exe' value='x'/></action>\n"
               "<action type='check-java' id='j'><option-param param='java_exe' "
               "value='$$BuiltInVars:ResourceDir$$/java'/>"
               "</action></actions>\n"
               "<pre-install><run-action action_id='r'/><run-action action_id='p'/><run-action "
               "action_id='j'/>"
               "</pre-install>\n")
        << "f.xml:3:109: warning: item \" ldap\" of option \"rpms\" begins or ends with a blank, "
           "which is part of it\n"
           "f.xml:4:127: error: option \"arg3\" is not read: the arguments end at the missing "
           "\"arg2\"\n"
           "f.xml:4:165: error: action \"p\" (process) has no option \"java_exe\"\n"
           "f.xml:5:72: warning: $$BuiltInVars:ResourceDir$$ is taken as written here: this "
           "option's references "
           "are not filled in\n";
    QTest::newRow("choice variables: values, conditions, filled in")
        << QByteArray("<variables><variable id='k' default='c'><data-type><single-selection>"
                      "<choice id='a'/><choice id='b'/></single-selection></data-type></variable>\n"
                      "<variable id='m' default='a, b'><data-type><multiple-selection>"
                      "<choice id='a' depends='z'/><choice "
                      "id='b'/></multiple-selection></data-type></variable></variables>\n"
                      "<actions><action type='var-modifier' id='v'><option-param param='var_id' "
                      "value='k'/>"
                      "<option-param param='newstring' value='$$k$$'/></action></actions>\n"
                      "<stages><stage id='s'><initialization><run-action "
                      "action_id='v'/></initialization>\n"
                      "<valid-conditions><var-condition var_id='m' condition='not-empty'/>"
                      "<var-condition var_id='k' condition='equal' "
                      "value='x'/></valid-conditions></stage></stages>\n")
        << "f.xml:3:29: error: variable \"k\" has no choice \"c\"\n"
           "f.xml:4:18: warning: item \" b\" of attribute \"default\" begins or ends with a blank, "
           "which is part of it\n"
           "f.xml:4:18: error: variable \"m\" has no choice \" b\"\n"
           "f.xml:4:79: error: variable \"m\" has no choice \"z\" for depends\n"
           "f.xml:5:124: warning: $$k$$ is a single-choice variable: its value is the translated "
           "display text of "
           "the choice, so what is written depends on the language the installer runs in (compare "
           "it with "
           "conditions instead)\n"
           "f.xml:6:9: warning: this stage \"s\" is never valid: its valid conditions can never "
           "hold\n"
           "f.xml:7:45: warning: this condition is always true: a multiple-choice variable is "
           "never empty\n"
           "f.xml:7:112: error: variable \"k\" has no choice \"x\"\n";
    QTest::newRow("stage conditions name stages built before them")
        << QByteArray(
               "<stages><stage id='a'><sub-stages><stage id='b'><valid-conditions>"
               "<stage-condition stage_id='a' "
               "condition='shown'/></valid-conditions></stage></sub-stages></stage>\n"
               "<stage id='c'><valid-conditions><stage-condition stage_id='b' condition='shown'/>"
               "<stage-condition stage_id='d' condition='not-shown'/><stage-condition stage_id='x' "
               "condition='seen'/>"
               "</valid-conditions></stage><stage id='d'/></stages>\n")
        << "f.xml:3:35: warning: this stage \"b\" is never valid: its valid conditions can never "
           "hold\n"
           "f.xml:3:84: error: stage \"a\" is not built yet where this condition is read (it "
           "contains this "
           "condition): only earlier stages can be named, so the condition is always false\n"
           "f.xml:4:1: warning: this stage \"c\" is never valid: its valid conditions can never "
           "hold\n"
           "f.xml:4:99: error: stage \"d\" is not built yet where this condition is read (it comes "
           "later in the "
           "file): only earlier stages can be named, so the condition is always false\n"
           "f.xml:4:152: error: there is no stage \"x\"\n"
           "f.xml:4:165: error: \"seen\" is no value of attribute \"condition\" (values: shown, "
           "not-shown)\n";
    QTest::newRow("one thing per element, the last valid-conditions")
        << host +
               "<stages><stage id='s'><ui><ui-element><valid-conditions condition='or'/>"
               "<valid-conditions/><input-element><variable-input var_id='host'/></input-element>"
               "<output-element><text-output/></output-element></ui-element></ui></stage></"
               "stages>\n"
        << "f.xml:4:39: error: <valid-conditions> is not read: a later one inside <ui-element> "
           "replaces it\n"
           "f.xml:4:107: error: <variable-input> is not shown: a <ui-element> shows one thing, the "
           "last of them "
           "(<text-output>)\n";
    QTest::newRow("unused variable and action, stage never valid, never left")
        << QByteArray(
               "<variables><variable id='v'><data-type><boolean/></data-type></variable>"
               "<variable "
               "id='d'><data-type><directory-selection/></data-type></variable></variables>\n"
               "<actions><action type='pause' id='p'><option-param param='time' "
               "value='10'/></action></actions>\n"
               "<stages><stage id='s'><valid-conditions condition='or'/>"
               "<continue-conditions><var-condition var_id='d' condition='valid-password'/>"
               "</continue-conditions></stage></stages>\n")
        << "f.xml:3:12: warning: variable \"v\" is used nowhere: no stage shows it and no action, "
           "condition or "
           "text uses it\n"
           "f.xml:4:10: warning: action \"p\" is never run: no action list, sequence, launcher or "
           "var-init names it\n"
           "f.xml:5:9: warning: this stage \"s\" is never valid: its valid conditions can never "
           "hold\n"
           "f.xml:5:9: warning: stage \"s\" can never be left: its continue conditions never hold\n"
           "f.xml:5:104: warning: this condition is always false: only a password variable has a "
           "valid password\n";
    QTest::newRow("variables: kinds, bounds, repeated ids")
        << QByteArray("<variables><variable id='n'><data-type><numeric-data datatype='uint' "
                      "min='-1' max='x'/>"
                      "</data-type></variable>\n"
                      "<variable id='n' default='maybe'><data-type><!-- c "
                      "--><boolen/></data-type></variable>\n"
                      "<variable id='b' "
                      "default='maybe'><data-type><boolean/><text-data/></data-type></variable>\n"
                      "<variable id='t'/></variables>\n"
                      "<stages><stage id='s'><string>$$n$$ $$b$$ $$t$$</string></stage></stages>\n")
        << "f.xml:3:70: error: \"-1\" is not a bound of a uint number: it is not used\n"
           "f.xml:3:79: error: \"x\" of attribute \"max\" is not a number\n"
           "f.xml:4:55: error: <boolen> is no kind of variable (did you mean \"boolean\"?): the "
           "variable is not "
           "created\n"
           "f.xml:5:18: error: \"maybe\" is no boolean value (true, false or undefined): the "
           "default is not stored\n"
           "f.xml:5:55: error: <text-data> is not read: only the first element inside <data-type> "
           "is\n"
           "f.xml:6:1: error: <variable> has no <data-type>: the engine does not create it\n"
           "f.xml:7:43: error: there is no variable \"t\" for the reference $$t$$\n";
}

void TestInstallCheck::problems() {
    QFETCH(QByteArray, body);
    QFETCH(QString, report);
    if (qEnvironmentVariableIsSet("SHOW"))
        fprintf(stderr, "%s\n", qPrintable(check(body)));
    QCOMPARE(check(body), report);
}

void TestInstallCheck::clean() {
    // Every element kind used as meant: nothing to report.
    int errors = -1;
    const QString report = check(
        "<install-info><resources dir='../res'/><app-icon file='logo.png'/>"
        "<viewer-options><option-param param='palette-active-Base' "
        "value='white'/></viewer-options></install-info>\n"
        "<profiles><profile id='p'><string>P</string><var-ref var_id='m' "
        "value='a,b'/></profile></profiles>\n"
        "<variables>\n"
        "<variable id='m' default='a'><string>M</string><data-type><!-- kinds "
        "--><multiple-selection>"
        "<choice id='a'><string>A</string></choice><choice id='b' "
        "depends='a'><string>B</string></choice>"
        "</multiple-selection></data-type></variable>\n"
        "<variable id='p' default='p'><data-type><profile-selection><profile-choice "
        "profile_id='p'/>"
        "</profile-selection></data-type></variable>\n"
        "<variable id='pw'><data-type><password-data><password-conditions min_length='6' "
        "security='no-alpha'/>"
        "</password-data></data-type></variable>\n"
        "<variable id='n' default='5'><data-type><numeric-data datatype='uint' min='1' "
        "max='10'/></data-type></variable>\n"
        "<variable id='b' "
        "default='true'><data-type><boolean><true-text><string>yes</string></true-text>"
        "</boolean></data-type></variable>\n"
        "</variables>\n"
        "<actions><action type='gethostname' id='h'><option-param param='rtype' value='fqdn'/>"
        "<option-param param='ignore-errors' value='true'/></action>\n"
        "<action type='process' id='r'><option-param param='process' value='echo'/>"
        "<option-param param='arg1' value='$$m$$ $$n$$ $$pw$$ $$b$$'/></action>"
        "<action type='rpm' id='q'><option-param param='command' value='query'/><option-param "
        "param='rpms' value='mta'/>"
        "<option-param param='extra-args' "
        "value='--root,$$BuiltInVars:ComponentDir$$'/></action></actions>\n"
        "<pre-install><var-init var_id='n' "
        "action_id='h'><prepend-data>x</prepend-data></var-init><run-action "
        "action_id='q'/></pre-install>\n"
        "<stages><stage id='s'><string>S</string><ui><next visible='yes'><string>Go</string></next>"
        "<ui-element><valid-conditions condition='or'><var-condition var_id='m' "
        "condition='item-selected' value='a'/>"
        "<var-condition var_id='b' condition='boolean' value='false'/></valid-conditions>"
        "<input-element><variable-input var_id='p'/></input-element></ui-element>"
        "<ui-element><output-element><string>Run</string><action-sequence output='text'>"
        "<actionID action_id='r'/></action-sequence></output-element></ui-element></ui>\n"
        "<continue-conditions><var-condition var_id='pw' "
        "condition='valid-password'/></continue-conditions>"
        "<sub-stages><stage id='t'><valid-conditions><stage-condition stage_id='s2' "
        "condition='not-shown'/>"
        "</valid-conditions></stage></sub-stages></stage>\n"
        "<stage id='s2'/><stage id='s3'><valid-conditions><stage-condition stage_id='t' "
        "condition='shown'/>"
        "</valid-conditions></stage></stages>\n",
        &errors);
    if (qEnvironmentVariableIsSet("SHOW"))
        fprintf(stderr, "%s\n", qPrintable(report));
    QCOMPARE(
        report,
        QString(
            "f.xml:16:111: warning: this stage \"t\" is never valid: its valid conditions can "
            "never "
            "hold\n"
            "f.xml:16:160: error: stage \"s2\" is not built yet where this condition is read (it "
            "comes later in the file): only earlier stages can be named, so the condition is "
            "always false\n"));
    QCOMPARE(errors, 1);
}

void TestInstallCheck::files() {
    // Resource, template, description and package files, looked up as a run looks them up.
    const QString report = check(
        "<install-info><resources dir='../res'/><components dir='../pkgs'/>"
        "<app-icon file='missing.png'/></install-info>\n"
        "<languages dir='../tr'><language encoding='en'/></languages>\n"
        "<variables><variable id='host'><data-type><text-data/></data-type></variable>"
        "<variable id='kind'><data-type><single-selection/></data-type></variable></variables>\n"
        "<actions><action type='file-install' id='f'><option-param param='file' value='conf.in'/>"
        "<option-param param='template' value='true'/><option-param param='install-location' "
        "value='/x'/></action>\n"
        "<action type='rpm' id='r'><option-param param='command' value='install'/>"
        "<option-param param='rpms' value='mta,ldap'/></action></actions>\n"
        "<pre-install><run-action action_id='f'/><run-action action_id='r'/></pre-install>\n"
        "<stages><stage id='s'><stage-description file='intro.html'/><stage-description "
        "file='none.html'/>"
        "</stage></stages>\n");
    if (qEnvironmentVariableIsSet("SHOW"))
        fprintf(stderr, "%s\n", qPrintable(report));
    const QString res = QDir::cleanPath(m_tmp.file(QStringLiteral("medium/res")));
    const QString tr = QDir::cleanPath(m_tmp.file(QStringLiteral("medium/tr")));
    const QString pkgs = QDir::cleanPath(m_tmp.file(QStringLiteral("medium/pkgs")));
    QCOMPARE(
        report,
        QString(
            "f.xml:3:77: error: the resource file \"missing.png\" does not exist (%1/missing.png)\n"
            "f.xml:6:72: warning: $$kind$$ on line 2 of \"conf.in\" is a single-choice variable: "
            "its value "
            "is the translated display text of the choice (compare it with conditions instead)\n"
            "f.xml:6:72: error: there is no variable \"nothere\" for the reference $$nothere$$ on "
            "line 3 "
            "of \"conf.in\"\n"
            "f.xml:7:101: error: no package file for \"ldap\": nothing matches ldap*.i386.rpm in "
            "the "
            "component directory %3\n"
            "f.xml:9:42: error: there is no variable \"nobody\" for the reference $$nobody$$ on "
            "line 1 of "
            "\"%2/intro.html\"\n"
            "f.xml:9:80: error: the description file \"none.html\" does not exist (%2/none.html)\n")
            .arg(res, tr, pkgs));
}

void TestInstallCheck::translations() {
    const QString trDir = m_tmp.mkdir(QStringLiteral("medium/tr2/de"));
    QVERIFY(QFile::copy(QStringLiteral(VANTOR_TEST_QM_DIR "/display_de.qm"),
                        trDir + QStringLiteral("/d.qm")));
    const QByteArray body =
        "<install-info><app-name><string>Not translated here</string></app-name></install-info>\n"
        "<languages dir='../tr2'><language encoding='en'/><language encoding='de'/></languages>\n"
        "<stages><stage id='s'><string> Welcome "
        "</string><ui><next><string>Goodbye</string></next></ui>"
        "</stage></stages>\n";
    QCOMPARE(
        check(body),
        QString("f.xml:5:59: warning: display text \"Goodbye\" has no translation for language "
                "\"de\"\n"));
    // Two languages without any translation file: one of them cannot be the file's own.
    const QByteArray none =
        "<languages dir='../nowhere'><language encoding='en'/><language encoding='fr'/>"
        "</languages>\n";
    const QString dir = QDir::cleanPath(m_tmp.file(QStringLiteral("medium/nowhere")));
    QCOMPARE(check(none),
             QString("f.xml:3:29: warning: language \"en\" has no translation files in %1: its "
                     "texts stay as "
                     "written, like those of 1 other language(s) without translations\n"
                     "f.xml:3:54: warning: language \"fr\" has no translation files in %1: its "
                     "texts stay as "
                     "written, like those of 1 other language(s) without translations\n")
                 .arg(dir));
}

void TestInstallCheck::notWellFormed() {
    SV_InstallCheck check(m_prefix);
    check.checkContent("<installation>\n  <stages>\n  </stage>\n</installation>\n");
    QCOMPARE(check.errorCount(), 1);
    QCOMPARE(check.report(QStringLiteral("f.xml")),
             QString("f.xml:3:11: error: not a well-formed install file: Opening and ending tag "
                     "mismatch.\n"));

    SV_InstallCheck deep(m_prefix);
    deep.checkContent(QByteArray("<a>").repeated(SV_XmlDocument::kMaxDepth + 1));
    QCOMPARE(deep.errorCount(), 1);
    QVERIFY2(deep.report(QStringLiteral("f")).contains(QStringLiteral("deeper than 512 levels")),
             qPrintable(deep.report(QStringLiteral("f"))));
}

void TestInstallCheck::nearest() {
    const QStringList names = {QStringLiteral("var_id"), QStringLiteral("action_id"),
                               QStringLiteral("value")};
    QCOMPARE(SV_InstallCheck::nearest(QStringLiteral("var-id"), names), QStringLiteral("var_id"));
    QCOMPARE(SV_InstallCheck::nearest(QStringLiteral("VAR_ID"), names), QStringLiteral("var_id"));
    QCOMPARE(SV_InstallCheck::nearest(QStringLiteral("actoin_id"), names),
             QStringLiteral("action_id"));
    QCOMPARE(SV_InstallCheck::nearest(QStringLiteral("valeu"), names), QStringLiteral("value"));
    QCOMPARE(SV_InstallCheck::nearest(QStringLiteral("colour"), names), QString());
    QCOMPARE(SV_InstallCheck::nearest(QStringLiteral("x"), names), QString());
}

void TestInstallCheck::actionTypesAreTheFactorys() {
    QStringList described;
    for (const ActionType& t : SV_InstallSchema::actionTypes())
        described.append(t.type);
    QStringList registered = SV_Engine::actionTypes();
    described.sort();
    registered.sort();
    QCOMPARE(described, registered);
}

// Every option an action class (or a base of it) reads is described for its type, and every
// option described is read by one of them.
void TestInstallCheck::actionOptionsAreThoseRead() {
    const QDir sources(QStringLiteral(VANTOR_ACTIONS_SOURCE_DIR));
    for (const ActionType& type : SV_InstallSchema::actionTypes()) {
        SV_Action* action = SV_Engine::engine()->createAction(type.type);
        QVERIFY(action);
        QStringList read;
        const QString className = QString::fromLatin1(action->metaObject()->className());
        for (const QMetaObject* m = action->metaObject(); m && m != &QObject::staticMetaObject;
             m = m->superClass()) {
            const QString file = sources.filePath(QString::fromLatin1(m->className()).toLower() +
                                                  QStringLiteral(".cpp"));
            const QString source = readSource(file);
            QVERIFY2(!source.isNull(), qPrintable(file));
            read += optionKeysRead(source);
        }
        // What a base reads in a function that the class replaces is not read by the class
        // (rpm, check-java and check-process build their own command lines; rpm has a value
        // of its own).
        const QString own =
            readSource(sources.filePath(className.toLower() + QStringLiteral(".cpp")));
        for (const QMetaObject* m = action->metaObject()->superClass();
             m && m != &QObject::staticMetaObject; m = m->superClass()) {
            const QString base = readSource(sources.filePath(
                QString::fromLatin1(m->className()).toLower() + QStringLiteral(".cpp")));
            static const QRegularExpression function(
                QStringLiteral("\\n[^\\n]*SV_\\w+::(\\w+)\\([^\\n]*\\{\\n"));
            QStringList defined; // the functions the class defines itself
            for (auto it = function.globalMatch(own); it.hasNext();)
                defined.append(it.next().captured(1));
            QStringList replaced, kept;
            for (auto it = function.globalMatch(base); it.hasNext();) {
                const QRegularExpressionMatch f = it.next();
                const qsizetype end = base.indexOf(QStringLiteral("\n}\n"), f.capturedEnd());
                const QStringList keys =
                    optionKeysRead(base.mid(f.capturedStart(), end - f.capturedStart()));
                (defined.contains(f.captured(1)) ? replaced : kept) += keys;
            }
            for (const QString& key : std::as_const(replaced))
                if (!kept.contains(key) && !optionKeysRead(own).contains(key))
                    read.removeAll(key);
        }
        delete action;
        for (const QString& key : std::as_const(read))
            QVERIFY2(actionOption(type, key),
                     qPrintable(type.type + QStringLiteral(" reads ") + key));
        for (const Option& option : type.options)
            QVERIFY2(!option.pattern.isEmpty() || read.contains(option.name),
                     qPrintable(type.type + QStringLiteral(" never reads ") + option.name));
    }
}

void TestInstallCheck::viewerOptionsAreThoseRead() {
    const QString source =
        readSource(QStringLiteral(VANTOR_QTVIEWER_SOURCE_DIR "/sv_qtviewer.cpp"));
    QVERIFY(!source.isEmpty());
    const QStringList read = optionKeysRead(source);
    QVERIFY(read.contains(QStringLiteral("size")));
    for (const QString& key : read)
        QVERIFY2(viewerOption(key), qPrintable(key));
    for (const Option& option : viewerOptions())
        QVERIFY2(!option.pattern.isEmpty() || read.contains(option.name), qPrintable(option.name));
    // The palette options: every group and colour role the viewer knows.
    static const QRegularExpression role(QStringLiteral("\\{\"(\\w+)\", QPalette::\\w+\\}"));
    static const QRegularExpression group(
        QStringLiteral("\\{\"(palette-\\w+-)\", QPalette::\\w+\\}"));
    int combinations = 0;
    for (auto g = group.globalMatch(source); g.hasNext();) {
        const QString prefix = g.next().captured(1);
        for (auto r = role.globalMatch(source); r.hasNext();) {
            QVERIFY2(viewerOption(prefix + r.next().captured(1)), qPrintable(prefix));
            ++combinations;
        }
    }
    QCOMPARE(combinations, 3 * 14);
}

// Every element and attribute name the loaders read is described.
void TestInstallCheck::loaderNamesAreKnown() {
    QStringList described;
    for (const Element& e : elements()) {
        described.append(e.name);
        for (const Attribute& a : e.attributes)
            described.append(a.name);
    }
    for (const ActionType& t : SV_InstallSchema::actionTypes())
        described.append(t.type); // the loaders create var-init and var-modify actions by type
    // Option keys the loaders store on the objects they build, under names of their own.
    // And the value of "visible" that shows a control.
    const QStringList options = {QStringLiteral("output"), QStringLiteral("prepend-data"),
                                 QStringLiteral("append-data"), QStringLiteral("yes")};
    static const QRegularExpression literal(
        QStringLiteral("(?:QStringLiteral|QLatin1String)\\(\"([a-z][a-zA-Z_-]*)\"\\)"));
    for (const char* file : {VANTOR_CORE_SOURCE_DIR "/sv_engine_installfile.cpp",
                             VANTOR_CORE_SOURCE_DIR "/sv_engine_stages.cpp",
                             VANTOR_VARIABLES_SOURCE_DIR "/sv_engine_variables.cpp",
                             VANTOR_ACTIONS_SOURCE_DIR "/sv_engine_actions.cpp"}) {
        const QString source = readSource(QLatin1String(file));
        QVERIFY2(!source.isEmpty(), file);
        for (auto it = literal.globalMatch(source); it.hasNext();) {
            const QString name = it.next().captured(1);
            QVERIFY2(described.contains(name) || options.contains(name),
                     qPrintable(QStringLiteral("%1 reads %2").arg(QLatin1String(file), name)));
        }
    }
}

// The program: one line per problem on standard output, status 1 with errors, 0 without;
// nothing is run.
void TestInstallCheck::command() {
    const QString runtime = m_tmp.mkdir(QStringLiteral("runtime"));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QProcessEnvironment env = vantortest::cleanEnvironment(runtime);
    const QString dir = m_tmp.mkdir(QStringLiteral("cmd"));
    const QString marker = m_tmp.file(QStringLiteral("cmd/ran"));
    m_tmp.write(
        QStringLiteral("cmd/bad.xml"),
        QStringLiteral(
            "<installation>\n<actions><action type='process' id='touch'>"
            "<option-param param='process' value='touch'/><option-param param='arg1' value='%1'/>"
            "</action></actions>\n<pre-install><run-action action_id='touch'/></pre-install>\n"
            "<stages><stage id='a'><sub-stage/></stage></stages>\n</installation>\n")
            .arg(marker)
            .toUtf8());
    const vantortest::ProcessResult bad =
        vantortest::runProgram(QStringLiteral(VANTOR_BINARY),
                               {QStringLiteral("--check"), QStringLiteral("bad.xml")}, env, dir);
    QCOMPARE(bad.exitCode, 1);
    QCOMPARE(bad.out,
             QByteArray("bad.xml:4:23: error: <sub-stage> is not read inside <stage> (did you mean "
                        "\"sub-stages\"?)\n"));
    QCOMPARE(bad.err, QByteArray());
    QVERIFY(!QFile::exists(marker));

    m_tmp.write(QStringLiteral("cmd/warn.xml"),
                "<installation><variables><variable id='x'><data-type>"
                "<text-data/></data-type></variable></variables></installation>");
    const vantortest::ProcessResult warn =
        vantortest::runProgram(QStringLiteral(VANTOR_BINARY),
                               {QStringLiteral("warn.xml"), QStringLiteral("--check")}, env, dir);
    QCOMPARE(warn.exitCode, 0);
    QVERIFY2(warn.out.startsWith("warn.xml:1:26: warning: variable \"x\" is used nowhere"),
             warn.out.constData());

    const vantortest::ProcessResult missing =
        vantortest::runProgram(QStringLiteral(VANTOR_BINARY),
                               {QStringLiteral("--check"), QStringLiteral("none.xml")}, env, dir);
    QCOMPARE(missing.exitCode, 1);
    QCOMPARE(missing.out,
             QByteArray("none.xml: error: cannot read the file: No such file or directory\n"));
}

QTEST_GUILESS_MAIN(TestInstallCheck)
#include "tst_installcheck.moc"
