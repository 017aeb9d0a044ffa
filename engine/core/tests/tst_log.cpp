// The installation log: message stores, the logger's echo and both renderings, byte for byte.
// The test functions run in order against the one engine of this process.
#include "sv_engine.h"
#include "sv_testsupport.h"

#include <QtTest>

class TestLog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { vantortest::installMessageHandler(); }
    void emptyStores();
    void messageTypeWords();
    void renderings();
    void debugTextKeepsFullText();
    void loggerEchoesToStandardError();
};

void TestLog::emptyStores() {
    SV_Engine* e = SV_Engine::engine();
    QCOMPARE(e->getTextLog(SV_LogAll), QStringLiteral("\nInstallation Error Messages:\n"
                                                      "Installation Log Messages:\n"
                                                      "\nInstallation Debug Messages:\n"));
    QCOMPARE(e->getQMLLog(SV_LogAll),
             QStringLiteral("<qt>\n"
                            "<h3><u>Installation Error Messages</u></h3>\n<ul>\n</ul>\n"
                            "<h3><u>Installation Log Messages</u></h3>\n<ul>\n</ul>\n"
                            "<h3><u>Installation Debug Messages</u></h3>\n<pre></pre>\n"
                            "</qt>\n"));
    QCOMPARE(e->getTextLog(SV_LogUnknown), QString());
    QCOMPARE(e->getQMLLog(SV_LogUnknown), QStringLiteral("<qt>\n</qt>\n"));
    QCOMPARE(e->getTextLog(SV_LogError), QStringLiteral("\nInstallation Error Messages:\n"));
    QCOMPARE(e->getTextLog(SV_LogLog), QStringLiteral("Installation Log Messages:\n"));
    QCOMPARE(e->getTextLog(SV_LogDebug), QStringLiteral("\nInstallation Debug Messages:\n"));
    // Out-of-range kinds render like the unknown kind.
    QCOMPARE(e->getTextLog(static_cast<SV_LogMessageType>(7)), QString());
    QCOMPARE(e->getQMLLog(static_cast<SV_LogMessageType>(7)), QStringLiteral("<qt>\n</qt>\n"));
}

void TestLog::messageTypeWords() {
    QCOMPARE(SV_Engine::logMessageType("debug"), SV_LogDebug);
    QCOMPARE(SV_Engine::logMessageType("error"), SV_LogError);
    QCOMPARE(SV_Engine::logMessageType("log"), SV_LogLog);
    QCOMPARE(SV_Engine::logMessageType("Error"), SV_LogUnknown);
    QCOMPARE(SV_Engine::logMessageType("all"), SV_LogUnknown);
    QCOMPARE(SV_Engine::logMessageType(QString()), SV_LogUnknown);
    QCOMPARE(SV_Engine::logMessageTypeString(SV_LogDebug), QStringLiteral("debug"));
    QCOMPARE(SV_Engine::logMessageTypeString(SV_LogError), QStringLiteral("error"));
    QCOMPARE(SV_Engine::logMessageTypeString(SV_LogLog), QStringLiteral("log"));
    QVERIFY(SV_Engine::logMessageTypeString(SV_LogAll).isNull());
    QVERIFY(SV_Engine::logMessageTypeString(SV_LogUnknown).isNull());
}

void TestLog::renderings() {
    SV_Engine* e = SV_Engine::engine();
    e->addErrMessage("rpm1", "install failed");
    e->addErrMessage("", "no id");
    e->addLogMessage("proc", "first\n\nsecond\n");
    e->addLogMessage("", "<b>bold</b>");
    e->addLogMessage("utf", QStringLiteral("caf\u00e9 \u20ac"));
    e->dbgStream() << "debug one\n";
    e->dbgStream().flush();

    QCOMPARE(e->getTextLog(SV_LogAll), QStringLiteral("\nInstallation Error Messages:\n"
                                                      "   * Error message from ID: rpm1\n"
                                                      "   install failed\n"
                                                      "\n"
                                                      "   * Error message:\n"
                                                      "   no id\n"
                                                      "\n"
                                                      "Installation Log Messages:\n"
                                                      "   * Log message from ID: proc\n"
                                                      "   first\n"
                                                      "   second\n"
                                                      "\n"
                                                      "   * Log message:\n"
                                                      "   <b>bold</b>\n"
                                                      "\n"
                                                      "   * Log message from ID: utf\n"
                                                      "   caf\u00e9 ?\n"
                                                      "\n"
                                                      "\nInstallation Debug Messages:\n"
                                                      "   debug one\n"));

    QCOMPARE(e->getQMLLog(SV_LogAll),
             QStringLiteral("<qt>\n"
                            "<h3><u>Installation Error Messages</u></h3>\n<ul>\n"
                            "<li><font color=red>Error from ID: rpm1</font>\n"
                            "<pre>install failed\n</pre>\n</li>\n"
                            "<li><font color=red>Error from ID: </font>\n"
                            "<pre>no id\n</pre>\n</li>\n"
                            "</ul>\n"
                            "<h3><u>Installation Log Messages</u></h3>\n<ul>\n"
                            "<li>Log message from ID: proc\n"
                            "<pre>first\n\nsecond\n\n</pre>\n</li>\n"
                            "<li><pre><b>bold</b>\n</pre>\n</li>\n"
                            "<li>Log message from ID: utf\n"
                            "<pre>caf\u00e9 ?\n</pre>\n</li>\n"
                            "</ul>\n"
                            "<h3><u>Installation Debug Messages</u></h3>\n"
                            "<pre>debug one\n</pre>\n"
                            "</qt>\n"));

    // Each kind on its own.
    QCOMPARE(e->getQMLLog(SV_LogError),
             QStringLiteral("<qt>\n"
                            "<h3><u>Installation Error Messages</u></h3>\n<ul>\n"
                            "<li><font color=red>Error from ID: rpm1</font>\n"
                            "<pre>install failed\n</pre>\n</li>\n"
                            "<li><font color=red>Error from ID: </font>\n"
                            "<pre>no id\n</pre>\n</li>\n"
                            "</ul>\n</qt>\n"));
    QCOMPARE(e->getQMLLog(SV_LogDebug),
             QStringLiteral("<qt>\n<h3><u>Installation Debug Messages</u></h3>\n"
                            "<pre>debug one\n</pre>\n</qt>\n"));
    QCOMPARE(e->getTextLog(SV_LogLog), QStringLiteral("Installation Log Messages:\n"
                                                      "   * Log message from ID: proc\n"
                                                      "   first\n"
                                                      "   second\n"
                                                      "\n"
                                                      "   * Log message:\n"
                                                      "   <b>bold</b>\n"
                                                      "\n"
                                                      "   * Log message from ID: utf\n"
                                                      "   caf\u00e9 ?\n"
                                                      "\n"));
    QVERIFY(!e->getTextLog(SV_LogError).contains("Log message"));
    QVERIFY(!e->getTextLog(SV_LogError).contains("Debug"));
}

void TestLog::debugTextKeepsFullText() {
    SV_Engine* e = SV_Engine::engine();
    e->dbg(QStringLiteral("euro \u20ac"));
    // The debug text keeps the message in full; standard error gets its Latin-1 form.
    QVERIFY(e->getTextLog(SV_LogDebug).endsWith(QStringLiteral("   euro \u20ac\n")));
    QCOMPARE(vantortest::messages().last(), QStringLiteral("euro ?"));
}

void TestLog::loggerEchoesToStandardError() {
    SV_Engine* e = SV_Engine::engine();
    vantortest::clearMessages();
    e->log("act", "copied");
    e->err("act", "broken");
    e->dbg("plain");
    QCOMPARE(vantortest::messages(), QStringList({"Log message from: act: copied",
                                                  "Error message from: act: broken", "plain"}));
    QVERIFY(e->getTextLog(SV_LogLog).endsWith("   * Log message from ID: act\n   copied\n\n"));
    QVERIFY(e->getTextLog(SV_LogError).endsWith("   * Error message from ID: act\n   broken\n\n"));
    QVERIFY(e->getTextLog(SV_LogDebug).endsWith("   plain\n"));
}

QTEST_GUILESS_MAIN(TestLog)
#include "tst_log.moc"
