// The option store and profiles: loading, lookup and applying them to variables.
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_options.h"
#include "sv_profile.h"
#include "sv_testsupport.h"
#include "sv_variable.h"

#include <QSignalSpy>
#include <QtTest>

using vantortest::parseXml;

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { vantortest::installMessageHandler(); }
    void nullVersusEmpty();
    void idAndText();
    void loadProfiles();
    void storeProfile();
};

void TestOptions::nullVersusEmpty() {
    SV_Options o;
    QCOMPARE(o.option("k", "def"), QStringLiteral("def"));
    QVERIFY(o.option("k").isNull());
    o.setOption("k", QStringLiteral(""));
    QVERIFY(!o.option("k", "def").isNull());
    QCOMPARE(o.option("k", "def"), QStringLiteral(""));
    o.setOption("k", QString());
    QCOMPARE(o.option("k", "def"), QStringLiteral("def"));
    o.setOption("k", "v1");
    o.setOption("k", "v2");
    QCOMPARE(o.option("k", "def"), QStringLiteral("v2"));
    QCOMPARE(o.option("K", "def"), QStringLiteral("def")); // keys are case-sensitive
    // A null key stores nothing and reads as the default; the empty key is a key.
    o.setOption(QString(), "x");
    QCOMPARE(o.option(QString(), "def"), QStringLiteral("def"));
    QVERIFY(!o.options().contains(QString()));
    o.setOption(QStringLiteral(""), "e");
    QCOMPARE(o.option(QStringLiteral(""), "def"), QStringLiteral("e"));
    QCOMPARE(o.options().keys(), QStringList({"", "k"}));
}

void TestOptions::idAndText() {
    SV_Options o;
    QVERIFY(o.ID().isNull());
    o.setID("stage1");
    QCOMPARE(o.ID(), QStringLiteral("stage1"));
    QCOMPARE(o.option("id"), QStringLiteral("stage1"));
    o.setText("Install to $$BuiltInVars:ResourceDir$$ now");
    SV_Engine::engine()->setPrefix("/opt/p");
    SV_Engine::engine()->loadInstallInfo(
        parseXml("<i><install-info><resources dir='r'/></install-info></i>"));
    QCOMPARE(o.option("text"), QStringLiteral("Install to $$BuiltInVars:ResourceDir$$ now"));
    QCOMPARE(o.text(), QStringLiteral("Install to /opt/p/r now"));
}

void TestOptions::loadProfiles() {
    SV_Engine* e = SV_Engine::engine();
    vantortest::InstallFileBuilder b;
    auto profiles = b.section("profiles");
    auto small = profiles.addText("profile", " Small server ", {{"id", "small"}});
    small.add("var-ref", {{"var_id", "host"}, {"value", "first"}});
    small.add("var-ref", {{"var_id", "host"}, {"value", "mail.example.org"}});
    small.add("var-ref", {{"var_id", "parts"}, {"value", "imap,,smtp"}});
    small.add("var-ref", {{"var_id", "nothere"}, {"value", "x"}});
    small.add("var-ref", {{"var_id", "emptied"}, {"value", ""}});
    small.add("other", {{"var_id", "ignored"}, {"value", "x"}});
    profiles.addText("profile", "Old big", {{"id", "big"}});
    profiles.addText("profile", "Big", {{"id", "big"}})
        .add("var-ref", {{"var_id", "host"}, {"value", "big"}});
    b.addSection("profiles").addText("profile", "Second section", {{"id", "second"}});
    e->loadProfiles(b.rootElement());

    SV_Profile* p = e->profile("small");
    QVERIFY(p);
    QCOMPARE(p->ID(), QStringLiteral("small"));
    QCOMPARE(p->text(), QStringLiteral("Small server"));
    QCOMPARE(p->parent(), static_cast<QObject*>(e));
    QCOMPARE(p->variableValue("host"), QStringLiteral("mail.example.org"));
    QVERIFY(p->variableValue("ignored").isNull());
    QCOMPARE(p->varSettings().keys(), QStringList({"emptied", "host", "nothere", "parts"}));
    QCOMPARE(e->profile("big")->text(), QStringLiteral("Big"));
    QCOMPARE(e->profile("big")->variableValue("host"), QStringLiteral("big"));
    vantortest::clearMessages();
    QVERIFY(!e->profile("second"));
    QVERIFY(!e->profile("Small"));
}

void TestOptions::storeProfile() {
    SV_Engine* e = SV_Engine::engine();
    e->loadVariables(
        parseXml("<i><variables>"
                 "<variable id='host' default='localhost'><string>Host</string>"
                 "<data-type><text-data/></data-type></variable>"
                 "<variable id='emptied' default='full'><string>E</string>"
                 "<data-type><text-data/></data-type></variable>"
                 "<variable id='parts' default=''><string>Parts</string><data-type>"
                 "<multiple-selection><choice id='imap'><string>IMAP</string></choice>"
                 "<choice id='pop'><string>POP</string></choice>"
                 "<choice id='smtp'><string>SMTP</string></choice></multiple-selection>"
                 "</data-type></variable>"
                 "</variables></i>"));
    SV_Variable* host = e->variable("host");
    SV_Variable* parts = e->variable("parts");
    QVERIFY(host && parts && e->variable("emptied"));
    QCOMPARE(host->value(), QStringLiteral("localhost"));
    QSignalSpy hostChanged(host, &SV_Variable::sig_valuechanged);

    vantortest::clearMessages();
    e->storeProfile("unknown");
    QVERIFY(vantortest::messages().isEmpty());
    QCOMPARE(host->value(), QStringLiteral("localhost"));

    e->storeProfile("small");
    QCOMPARE(host->value(), QStringLiteral("mail.example.org"));
    QCOMPARE(hostChanged.count(), 1);
    QCOMPARE(parts->value(), QStringLiteral("imap,smtp"));
    QVERIFY(parts->isChoiceSelected("imap") && parts->isChoiceSelected("smtp") &&
            !parts->isChoiceSelected("pop"));
    // An empty profile value is an empty list, which a single-valued variable ignores.
    QCOMPARE(e->variable("emptied")->value(), QStringLiteral("full"));
    QCOMPARE(vantortest::messages(), QStringList({"Non-valid variable: nothere requested"}));

    e->storeProfile("big");
    QCOMPARE(host->value(), QStringLiteral("big"));
}

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
