// Locale detection, translation file lookup and installing the translations of a locale.
// The test functions run in order: detection must run before anything sets the locale.
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_testsupport.h"

#include <QFile>
#include <QtTest>

using vantortest::parseXml;

class TestLocale : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void detectLocale_data();
    void detectLocale();
    void detectLocaleFromFullNames_data();
    void detectLocaleFromFullNames();
    void translationFile();
    void loadLocaleInNameOrder();
    void loadLocaleWithoutLocaleDir();

private:
    void copyQm(const QString& name, const QString& to);
    vantortest::TempDir m_tmp;
};

void TestLocale::initTestCase() {
    vantortest::installMessageHandler();
    QVERIFY(m_tmp.isValid());
    SV_Engine* e = SV_Engine::engine();
    e->setPrefix(m_tmp.path());
    e->loadLanguages(parseXml("<i><languages dir='tr'>"
                              "<language name='Deutsch' encoding='de_DE'/>"
                              "<language name='Deutsch (Schweiz)' encoding='de_CH'/>"
                              "<language name='Nameless'/>"
                              "</languages></i>"));
    QCOMPARE(e->translationDir(), m_tmp.file("tr"));
}

void TestLocale::detectLocale_data() {
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcCtype");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<QString>("locale");
    QTest::newRow("nothing set") << QByteArray() << QByteArray() << QByteArray() << "en";
    QTest::newRow("LANG substring of an encoding")
        << QByteArray() << QByteArray() << QByteArray("de") << "de_DE";
    QTest::newRow("second language") << QByteArray() << QByteArray() << QByteArray("CH") << "de_CH";
    QTest::newRow("no match keeps the value")
        << QByteArray() << QByteArray() << QByteArray("fr_FR.UTF-8") << "fr_FR.UTF-8";
    QTest::newRow("character set left out")
        << QByteArray() << QByteArray() << QByteArray("de_DE.UTF-8") << "de_DE";
    QTest::newRow("case matters") << QByteArray() << QByteArray() << QByteArray("ch") << "ch";
    QTest::newRow("LC_ALL C wins")
        << QByteArray("C") << QByteArray("de") << QByteArray("de") << "en";
    QTest::newRow("POSIX") << QByteArray() << QByteArray() << QByteArray("POSIX") << "en";
    QTest::newRow("LC_CTYPE before LANG")
        << QByteArray() << QByteArray("fr_FR") << QByteArray("de") << "fr_FR";
    QTest::newRow("LC_ALL before LC_CTYPE")
        << QByteArray("de") << QByteArray("fr_FR") << QByteArray() << "de_DE";
    // An empty value counts as unset, as the C library treats it.
    QTest::newRow("empty LC_ALL") << QByteArray("") << QByteArray() << QByteArray("CH") << "de_CH";
}

void TestLocale::detectLocale() {
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcCtype);
    QFETCH(QByteArray, lang);
    QFETCH(QString, locale);
    const auto set = [](const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    qunsetenv("LC_MESSAGES");
    set("LC_ALL", lcAll);
    set("LC_CTYPE", lcCtype);
    set("LANG", lang);
    SV_Engine::engine()->detectLocale();
    QCOMPARE(SV_Engine::engine()->locale(), locale);
}

// Locale names as systems set them (language_TERRITORY.CODESET@MODIFIER) choose the
// offered language they stand for; LC_MESSAGES counts after LC_ALL.
void TestLocale::detectLocaleFromFullNames_data() {
    QTest::addColumn<QByteArrayList>("environment"); // NAME=value entries
    QTest::addColumn<QString>("locale");
    QTest::newRow("LANG de_CH.UTF-8") << QByteArrayList{"LANG=de_CH.UTF-8"} << "de_CH";
    QTest::newRow("modifier") << QByteArrayList{"LANG=de_CH@euro"} << "de_CH";
    QTest::newRow("codeset and modifier")
        << QByteArrayList{"LANG=de_DE.ISO-8859-15@euro"} << "de_DE";
    QTest::newRow("other territory of an offered language")
        << QByteArrayList{"LANG=de_AT.UTF-8"} << "de_DE";
    QTest::newRow("language not offered") << QByteArrayList{"LANG=ru_RU.UTF-8"} << "ru_RU.UTF-8";
    QTest::newRow("C with a character set") << QByteArrayList{"LANG=C.UTF-8"} << "en";
    QTest::newRow("LC_MESSAGES before LC_CTYPE and LANG")
        << QByteArrayList{"LC_MESSAGES=de_CH.UTF-8", "LC_CTYPE=fr_FR.UTF-8", "LANG=de_DE"}
        << "de_CH";
    QTest::newRow("LC_ALL before LC_MESSAGES")
        << QByteArrayList{"LC_ALL=de_DE.UTF-8", "LC_MESSAGES=de_CH.UTF-8"} << "de_DE";
}

void TestLocale::detectLocaleFromFullNames() {
    QFETCH(QByteArrayList, environment);
    QFETCH(QString, locale);
    const auto unsetAll = [] {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LC_CTYPE", "LANG"})
            qunsetenv(name);
    };
    unsetAll();
    const auto cleanup = qScopeGuard(unsetAll); // the later functions set what they need
    for (const QByteArray& entry : environment) {
        const int eq = entry.indexOf('=');
        qputenv(entry.left(eq).constData(), entry.mid(eq + 1));
    }
    SV_Engine::engine()->detectLocale();
    QCOMPARE(SV_Engine::engine()->locale(), locale);
}

void TestLocale::translationFile() {
    SV_Engine* e = SV_Engine::engine();
    m_tmp.write("tr/de_DE/welcome.html", "de");
    m_tmp.write("tr/welcome.html", "common");
    m_tmp.write("tr/common.html", "common");
    qputenv("LANG", "de");
    e->detectLocale();
    QCOMPARE(e->locale(), QStringLiteral("de_DE"));
    QVERIFY(e->translationFile(QString()).isNull());
    QVERIFY(e->translationFile(QStringLiteral("")).isNull());
    QCOMPARE(e->translationFile("welcome.html"), m_tmp.file("tr/de_DE/welcome.html"));
    QCOMPARE(e->translationFile("common.html"), m_tmp.file("tr/common.html"));
    QCOMPARE(e->translationFile("missing.html"), m_tmp.file("tr/missing.html"));
    // The detected locale is not an explicit choice: setLocale still decides.
    e->setLocale("fr");
    QCOMPARE(e->translationFile("welcome.html"), m_tmp.file("tr/welcome.html"));
    e->detectLocale(); // no effect any more
    QCOMPARE(e->locale(), QStringLiteral("fr"));
}

void TestLocale::copyQm(const QString& name, const QString& to) {
    m_tmp.mkdir(QFileInfo(m_tmp.file(to)).path());
    QVERIFY2(QFile::copy(QStringLiteral(VANTOR_TEST_QM_DIR "/") + name, m_tmp.file(to)),
             qPrintable(name));
}

void TestLocale::loadLocaleInNameOrder() {
    SV_Engine* e = SV_Engine::engine();
    e->setLocale("de_DE");
    // Both translate "Shared"; "Bb" comes after "aa" when case is ignored, so it wins.
    copyQm("Bb_de.qm", "tr/de_DE/Bb_de.qm");
    copyQm("aa_de.qm", "tr/de_DE/aa_de.qm");
    copyQm("flat.qm", "tr/flat.qm"); // not in the locale's directory: not loaded
    m_tmp.write("tr/de_DE/broken.qm", "not a translation file");
    m_tmp.write("tr/de_DE/notes.txt", "ignored");
    e->loadLocale();
    QCOMPARE(QCoreApplication::translate("SV_Engine", "Shared"), QStringLiteral("from Bb"));
    QCOMPARE(QCoreApplication::translate("SV_Engine", "Only aa"), QStringLiteral("nur aa"));
    QCOMPARE(QCoreApplication::translate("SV_Engine", "Flat"), QStringLiteral("Flat"));
    QCOMPARE(QCoreApplication::translate("OtherContext", "Shared"), QStringLiteral("Shared"));

    // Display texts of the install file go through the same translators.
    const SV_XmlNode root =
        parseXml("<r><a><string> Shared </string></a><b><string>Untranslated</string></b></r>");
    QCOMPARE(e->loadDisplayText(root.firstChildElement("a")), QStringLiteral("from Bb"));
    QCOMPARE(e->loadDisplayText(root.firstChildElement("b")), QStringLiteral("Untranslated"));
}

void TestLocale::loadLocaleWithoutLocaleDir() {
    SV_Engine* e = SV_Engine::engine();
    // A locale without its own directory: the files directly in the translation directory.
    e->setLocale("it");
    e->loadLocale();
    QCOMPARE(QCoreApplication::translate("SV_Engine", "Flat"), QStringLiteral("Flach"));
}

QTEST_GUILESS_MAIN(TestLocale)
#include "tst_locale.moc"
