// The installation log: message stores, the logger's echo and both renderings, byte for byte.
// The test functions run in order against the one engine of this process.
#include "sv_engine.h"
#include "sv_passwordvariable.h"
#include "sv_secrets.h"
#include "sv_testsupport.h"
#include "sv_textvariable.h"

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
    void everyScriptKept();
    void hideSecretTexts_data();
    void hideSecretTexts();
    void secretsNeverStoredOrEchoed();
    void echoOff();
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
                                                      "   caf\u00e9 \u20ac\n"
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
                            "<li><pre>&lt;b&gt;bold&lt;/b&gt;\n</pre>\n</li>\n"
                            "<li>Log message from ID: utf\n"
                            "<pre>caf\u00e9 \u20ac\n</pre>\n</li>\n"
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
                                                      "   caf\u00e9 \u20ac\n"
                                                      "\n"));
    QVERIFY(!e->getTextLog(SV_LogError).contains("Log message"));
    QVERIFY(!e->getTextLog(SV_LogError).contains("Debug"));
}

void TestLog::debugTextKeepsFullText() {
    SV_Engine* e = SV_Engine::engine();
    e->dbg(QStringLiteral("euro \u20ac"));
    // The debug text and standard error keep every character.
    QVERIFY(e->getTextLog(SV_LogDebug).endsWith(QStringLiteral("   euro \u20ac\n")));
    QCOMPARE(vantortest::messages().last(), QStringLiteral("euro \u20ac"));
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

// Cyrillic, Japanese and typographic characters stay as they are, in both renderings and
// on standard error; ids and texts are escaped in the rich text only.
void TestLog::everyScriptKept() {
    SV_Engine* e = SV_Engine::engine();
    vantortest::clearMessages();
    const QString russian = QStringLiteral("Установка почтового сервера");
    const QString japanese = QStringLiteral("メールサーバーをインストールしています");
    const QString german = QStringLiteral("Preis: 5 € – „gut“");
    e->log(QStringLiteral("шаг<1>"), russian + QLatin1Char('\n') + japanese);
    e->err(QStringLiteral("ja"), german);
    e->dbg(QStringLiteral("<i>") + japanese);
    QCOMPARE(vantortest::messages(),
             QStringList({QStringLiteral("Log message from: шаг<1>: ") + russian + "\n" + japanese,
                          QStringLiteral("Error message from: ja: ") + german,
                          QStringLiteral("<i>") + japanese}));
    QVERIFY(
        e->getTextLog(SV_LogLog).endsWith(QStringLiteral("   * Log message from ID: шаг<1>\n   ") +
                                          russian + "\n   " + japanese + "\n\n"));
    QVERIFY(e->getTextLog(SV_LogError)
                .endsWith(QStringLiteral("   * Error message from ID: ja\n   ") + german + "\n\n"));
    QVERIFY(e->getTextLog(SV_LogDebug).endsWith(QStringLiteral("   <i>") + japanese + "\n"));
    QVERIFY(e->getQMLLog(SV_LogLog).endsWith(
        QStringLiteral("<li>Log message from ID: шаг&lt;1&gt;\n<pre>") + russian + "\n" + japanese +
        "\n</pre>\n</li>\n</ul>\n</qt>\n"));
    QVERIFY(e->getQMLLog(SV_LogError)
                .endsWith(QStringLiteral("<pre>") + german + "\n</pre>\n</li>\n</ul>\n</qt>\n"));
    QVERIFY(e->getQMLLog(SV_LogDebug).contains(QStringLiteral("&lt;i&gt;") + japanese + "\n"));
    QVERIFY(!e->getQMLLog(SV_LogAll).contains(QStringLiteral("<i>")));
}

void TestLog::hideSecretTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("secrets");
    QTest::addColumn<QString>("hidden");
    QTest::newRow("no secret") << "plain text" << QStringList() << "plain text";
    QTest::newRow("empty secret ignored") << "abc" << QStringList{""} << "abc";
    QTest::newRow("every occurrence")
        << "pw=s3cret; echo s3cret" << QStringList{"s3cret"} << "pw=********; echo ********";
    QTest::newRow("overlapping secrets are one")
        << "x abcdef y" << QStringList{"abcd", "cdef"} << "x ******** y";
    QTest::newRow("adjacent occurrences are one") << "[s3s3]" << QStringList{"s3"} << "[********]";
    QTest::newRow("overlapping occurrences of one secret")
        << "aaaa" << QStringList{"aaa"} << "********";
    QTest::newRow("non-Latin secret")
        << QStringLiteral("пароль: секрет!") << QStringList{QStringLiteral("секрет")}
        << QStringLiteral("пароль: ********!");
    QTest::newRow("a secret of stars") << "a ** b" << QStringList{"**"} << "a ******** b";
}

void TestLog::hideSecretTexts() {
    QFETCH(QString, text);
    QFETCH(QStringList, secrets);
    QFETCH(QString, hidden);
    QCOMPARE(SV_Secrets::hide(text, secrets), hidden);
    // Hiding again reveals nothing and changes nothing.
    QCOMPARE(SV_Secrets::hide(hidden, secrets), hidden);
}

// A password variable's texts (also while the two do not agree), a variable made secret
// and a fixed secret never reach the stores or standard error; the variables keep them.
void TestLog::secretsNeverStoredOrEchoed() {
    SV_Engine* e = SV_Engine::engine();
    vantortest::clearMessages();
    {
        SV_PasswordVariable password;
        password.storeValue({QStringLiteral("Geheim-1"), QStringLiteral("Geheim-2")});
        SV_TextVariable generated;
        generated.storeValue({QStringLiteral("Zq9!xR")});
        SV_Secrets::addVariable(&generated);
        QVERIFY(SV_Secrets::isSecret(&password));
        QVERIFY(SV_Secrets::isSecret(&generated));
        e->log(QStringLiteral("write-secrets"),
               QStringLiteral("Command line = sh -c x Geheim-1 Zq9!xR\nStandard Out = Geheim-2\n"));
        e->err(QStringLiteral("write-secrets"),
               QStringLiteral("Process returned error message: Zq9!xR"));
        e->dbg(QStringLiteral("arg: Geheim-1"));
        QCOMPARE(password.option(QStringLiteral("pass1")), QStringLiteral("Geheim-1"));
        QCOMPARE(generated.value(), QStringLiteral("Zq9!xR"));
    }
    // Gone with the variables; a fixed secret stays for the rest of the run.
    SV_Secrets::addValue(QStringLiteral("T0k3n"));
    e->log(QStringLiteral("x"), QStringLiteral("Geheim-1 T0k3n"));
    QCOMPARE(
        vantortest::messages(),
        QStringList({"Log message from: write-secrets: Command line = sh -c x ******** ********\n"
                     "Standard Out = ********\n",
                     "Error message from: write-secrets: Process returned error message: ********",
                     "arg: ********", "Log message from: x: Geheim-1 ********"}));
    const QString all = e->getTextLog(SV_LogAll) + e->getQMLLog(SV_LogAll);
    for (const char* secret : {"Geheim-2", "Zq9!xR", "T0k3n"})
        QVERIFY2(!all.contains(QLatin1String(secret)), secret);
    QVERIFY(e->getTextLog(SV_LogLog).contains("   Command line = sh -c x ******** ********\n"
                                              "   Standard Out = ********\n"));
    QVERIFY(e->getTextLog(SV_LogDebug).endsWith("   arg: ********\n"));
}

// With the echo off, messages are stored but nothing is written to standard error.
void TestLog::echoOff() {
    SV_Engine* e = SV_Engine::engine();
    vantortest::clearMessages();
    SV_Logger::setEcho(false);
    e->log("quiet", "stored only");
    e->err("quiet", "error stored only");
    e->dbg("debug stored only");
    SV_Logger::setEcho(true);
    QVERIFY(vantortest::messages().isEmpty());
    QVERIFY(
        e->getTextLog(SV_LogLog).endsWith("   * Log message from ID: quiet\n   stored only\n\n"));
    QVERIFY(e->getTextLog(SV_LogError).endsWith("   error stored only\n\n"));
    QVERIFY(e->getTextLog(SV_LogDebug).endsWith("   debug stored only\n"));
    e->log("loud", "echoed");
    QCOMPARE(vantortest::messages(), QStringList{"Log message from: loud: echoed"});
}

QTEST_GUILESS_MAIN(TestLog)
#include "tst_log.moc"
