// Reading the install file: attributes, display texts, install-info, languages, the
// directories against the prefix, file lookups and the registries' lookups.
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_testsupport.h"
#include "sv_variable.h"

#include <QtTest>

using vantortest::InstallFileBuilder;
using vantortest::parseXml;

class TestInstallFile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { vantortest::installMessageHandler(); }
    void noInstallInfo(); // first: needs the engine untouched
    void attributes();
    void displayTexts();
    void installInfo();
    void languages();
    void resourceLookup();
    void registryLookups();
    void viewerServicesWithoutViewer();
};

static QString variableValue(const QString& id) {
    SV_Variable* v = SV_Engine::engine()->variable(id);
    return v ? v->value() : QStringLiteral("<missing>");
}

void TestInstallFile::noInstallInfo() {
    SV_Engine* e = SV_Engine::engine();
    e->setPrefix("/opt/inst");
    e->loadInstallInfo(parseXml("<install/>"));
    e->loadLanguages(parseXml("<install/>"));
    QVERIFY(e->resourceDir().isNull());
    QVERIFY(e->componentDir().isNull());
    QVERIFY(e->translationDir().isNull());
    QVERIFY(e->languages().isEmpty());
    QVERIFY(e->variable("BuiltInVars:ResourceDir"));
    QVERIFY(e->variable("BuiltInVars:ComponentDir"));
    QCOMPARE(variableValue("BuiltInVars:ResourceDir"), QString());
    QCOMPARE(variableValue("BuiltInVars:ComponentDir"), QString());
}

void TestInstallFile::attributes() {
    const SV_XmlNode root = parseXml("<r><e a='x' empty=''/>text<!--c--></r>");
    const SV_XmlNode e = root.firstChildElement("e");
    QCOMPARE(SV_Engine::loadAttr(e, "a"), QStringLiteral("x"));
    QVERIFY(SV_Engine::loadAttr(e, "missing").isNull());
    QVERIFY(SV_Engine::loadAttr(e, "empty").isEmpty());
    QVERIFY(!SV_Engine::loadAttr(e, "empty").isNull());
    QVERIFY(SV_Engine::loadAttr(e, "A").isNull());               // case matters
    QVERIFY(SV_Engine::loadAttr(e.nextSibling(), "a").isNull()); // a text node
    QVERIFY(SV_Engine::loadAttr(SV_XmlNode(), "a").isNull());
}

void TestInstallFile::displayTexts() {
    SV_Engine* e = SV_Engine::engine();
    const SV_XmlNode root =
        parseXml("<r>"
                 "<padded><string>  \n  Hello world \n\t</string></padded>"
                 "<two><other>no</other><string>first</string><string>second</string></two>"
                 "<none>own content</none>"
                 "<deep><x><string>nested</string></x></deep>"
                 "<wide><string>caf\u00e9 \u20ac</string></wide>"
                 "</r>");
    QCOMPARE(e->loadDisplayText(root.firstChildElement("padded")), QStringLiteral("Hello world"));
    QCOMPARE(e->loadDisplayText(root.firstChildElement("two")), QStringLiteral("first"));
    QCOMPARE(e->loadDisplayText(root.firstChildElement("none")), QStringLiteral(""));
    QCOMPARE(e->loadDisplayText(root.firstChildElement("deep")), QStringLiteral(""));
    // Without a translation the text comes back as written, every character kept.
    QCOMPARE(e->loadDisplayText(root.firstChildElement("wide")),
             QStringLiteral("caf\u00e9 \u20ac"));
}

void TestInstallFile::installInfo() {
    SV_Engine* e = SV_Engine::engine();
    e->setPrefix("/opt/inst");
    InstallFileBuilder b;
    auto info = b.section("install-info");
    info.addText("author", "Old Author", {{"dir", "old"}});
    info.addText("author", "  Quorelle Ltd  ", {{"dir", "vendor/q"}});
    info.addText("app-name", "Quorelle Mail");
    info.add("components", {{"dir", "/srv/comp"}});
    info.add("resources", {{"dir", "res"}});
    info.add("app-icon", {{"file", "app.png"}});
    info.add("author-icon", {{"file", "img/author.png"}});
    info.add("unknown-thing", {{"dir", "ignored"}});
    // No viewer here: viewer options are dropped without harm.
    info.add("viewer-options").add("option-param", {{"param", "mdi-mode"}, {"value", "true"}});
    e->loadInstallInfo(b.rootElement());

    const SV_InstallInfo& i = e->installInfo();
    QCOMPARE(i.author, QStringLiteral("Quorelle Ltd"));
    QCOMPARE(i.authorDir, QStringLiteral("vendor/q"));
    QCOMPARE(i.appName, QStringLiteral("Quorelle Mail"));
    QCOMPARE(i.componentDir, QStringLiteral("/srv/comp"));
    QCOMPARE(i.resourceDir, QStringLiteral("/opt/inst/res"));
    QCOMPARE(i.appIcon, QStringLiteral("app.png"));
    QCOMPARE(i.authorIcon, QStringLiteral("img/author.png"));
    QCOMPARE(e->resourceDir(), QStringLiteral("/opt/inst/res"));
    QCOMPARE(e->componentDir(), QStringLiteral("/srv/comp"));
    QCOMPARE(variableValue("BuiltInVars:ResourceDir"), QStringLiteral("/opt/inst/res"));
    QCOMPARE(variableValue("BuiltInVars:ComponentDir"), QStringLiteral("/srv/comp"));

    // An empty or absent dir is the prefix itself.
    e->loadInstallInfo(
        parseXml("<i><install-info><resources dir=''/><components/></install-info></i>"));
    QCOMPARE(e->resourceDir(), QStringLiteral("/opt/inst"));
    QCOMPARE(e->componentDir(), QStringLiteral("/opt/inst"));
    QCOMPARE(variableValue("BuiltInVars:ResourceDir"), QStringLiteral("/opt/inst"));
}

void TestInstallFile::languages() {
    SV_Engine* e = SV_Engine::engine();
    e->setPrefix("/opt/inst");
    InstallFileBuilder b;
    auto langs = b.section("languages", {{"dir", "translations"}});
    langs.add("language", {{"name", "Deutsch"}, {"encoding", "de"}});
    langs.add("other");
    langs.add("language", {{"name", "No code"}});
    b.addSection("languages", {{"dir", "/second"}})
        .add("language", {{"name", "Ignored"}, {"encoding", "xx"}});
    e->loadLanguages(b.rootElement());

    QCOMPARE(e->translationDir(), QStringLiteral("/opt/inst/translations"));
    QCOMPARE(e->languages().size(), 2);
    QCOMPARE(e->languages().at(0).name, QStringLiteral("Deutsch"));
    QCOMPARE(e->languages().at(0).encoding, QStringLiteral("de"));
    QCOMPARE(e->languages().at(1).name, QStringLiteral("No code"));
    QVERIFY(e->languages().at(1).encoding.isNull());
}

void TestInstallFile::resourceLookup() {
    vantortest::TempDir tmp;
    QVERIFY(tmp.isValid());
    tmp.mkdir("app/res/images");
    SV_Engine* e = SV_Engine::engine();
    e->setPrefix(tmp.file("app"));
    e->loadInstallInfo(
        parseXml("<i><install-info><resources dir='res'/><components dir='/nonexistent/comp'/>"
                 "</install-info></i>"));
    const QString res = tmp.file("app/res");
    QCOMPARE(e->resource("logo.png"), res + "/logo.png");
    QCOMPARE(e->resource("images/logo.png"), res + "/images/logo.png");
    QCOMPARE(e->resource("missing/logo.png"), res + "/logo.png");
    QCOMPARE(e->resource("/etc/passwd"), res + "/passwd");
    QCOMPARE(e->resource("//images//a/logo.png"), res + "/images/logo.png");
    tmp.mkdir("app/res/etc");
    QCOMPARE(e->resource("/etc/passwd"), res + "/etc/passwd");
    // A file is not a directory to enter.
    tmp.write("app/res/plain", "x");
    QCOMPARE(e->resource("plain/logo.png"), res + "/logo.png");
    QCOMPARE(e->component("pkg.rpm"), QStringLiteral("/nonexistent/comp/pkg.rpm"));
    QCOMPARE(e->component("RPMS/pkg.rpm"), QStringLiteral("/nonexistent/comp/pkg.rpm"));
}

void TestInstallFile::registryLookups() {
    SV_Engine* e = SV_Engine::engine();
    vantortest::clearMessages();
    QVERIFY(!e->action(QString()));
    QVERIFY(!e->variable(QString()));
    QVERIFY(!e->profile(QString()));
    QVERIFY(!e->stage(QString()));
    QVERIFY(vantortest::messages().isEmpty());

    QVERIFY(!e->action("a1"));
    QVERIFY(!e->variable("v1"));
    QVERIFY(!e->profile("p1"));
    QVERIFY(!e->stage("s1"));
    QVERIFY(!e->variable("builtinvars:resourcedir")); // keys are case-sensitive
    QCOMPARE(vantortest::messages(),
             QStringList({"Non-valid action: a1 requested", "Non-valid variable: v1 requested",
                          "Non-valid profile: p1 requested", "Non-valid stage: s1 requested",
                          "Non-valid variable: builtinvars:resourcedir requested"}));
    QVERIFY(e->getTextLog(SV_LogDebug).contains("   Non-valid stage: s1 requested\n"));

    // A later entry hides the earlier one.
    SV_Variable* before = e->variable("BuiltInVars:ResourceDir");
    e->loadInstallInfo(parseXml("<i><install-info><resources dir='/later'/></install-info></i>"));
    QVERIFY(e->variable("BuiltInVars:ResourceDir") != before);
    QCOMPARE(variableValue("BuiltInVars:ResourceDir"), QStringLiteral("/later"));
    QCOMPARE(before->parent(), static_cast<QObject*>(e));
}

void TestInstallFile::viewerServicesWithoutViewer() {
    SV_Engine* e = SV_Engine::engine();
    QVERIFY(!e->viewer());
    // Without a viewer nothing is asked or shown, and cancelling leaves the run as it is.
    QVERIFY(e->getYesNo("Continue?").isNull());
    e->showPrompt("Hello");
    e->showLog();
    // An ended run would end every event loop with 0; this one must run to its own end.
    QEventLoop loop;
    QTimer::singleShot(50, &loop, [&loop] { loop.exit(7); });
    e->cancelInstall();
    QCOMPARE(loop.exec(), 7);
}

QTEST_GUILESS_MAIN(TestInstallFile)
#include "tst_installfile.moc"
