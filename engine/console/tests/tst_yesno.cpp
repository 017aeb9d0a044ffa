// The console's yes/no answers in English and, with the engine's German catalogue, in
// German: the letters offered and what is taken.
#include "sv_consoleyesno.h"

#include <QTranslator>
#include <QtTest>

using Answer = SV_ConsoleYesNo::Answer;

class TestYesNo : public QObject {
    Q_OBJECT
private slots:
    void english_data();
    void english();
    void german_data();
    void german();
};

void TestYesNo::english_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("answer");
    QTest::newRow("y") << "y" << int(SV_ConsoleYesNo::Yes);
    QTest::newRow("Yes with blanks") << "  Yes " << int(SV_ConsoleYesNo::Yes);
    QTest::newRow("n") << "n" << int(SV_ConsoleYesNo::No);
    QTest::newRow("NO") << "NO" << int(SV_ConsoleYesNo::No);
    QTest::newRow("German j is no English answer") << "j" << int(SV_ConsoleYesNo::Neither);
    QTest::newRow("empty") << "" << int(SV_ConsoleYesNo::Neither);
    QTest::newRow("other") << "maybe" << int(SV_ConsoleYesNo::Neither);
}

void TestYesNo::english() {
    QFETCH(QString, line);
    QFETCH(int, answer);
    QCOMPARE(SV_ConsoleYesNo::choices(), QStringLiteral("(y/n)"));
    QCOMPARE(int(SV_ConsoleYesNo::parse(line)), answer);
}

void TestYesNo::german_data() {
    english_data();
    QTest::newRow("j") << "j" << int(SV_ConsoleYesNo::Yes);
    QTest::newRow("Ja") << "Ja" << int(SV_ConsoleYesNo::Yes);
    QTest::newRow("nein") << "nein" << int(SV_ConsoleYesNo::No);
    // A boolean's own texts count too.
    QTest::newRow("own text") << "starten" << int(SV_ConsoleYesNo::Yes);
}

void TestYesNo::german() {
    QFETCH(QString, line);
    QFETCH(int, answer);
    if (QByteArray(QTest::currentDataTag()) == "German j is no English answer")
        answer = int(SV_ConsoleYesNo::Yes);
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(VANTOR_ENGINE_QM_DE)));
    QCoreApplication::installTranslator(&translator);
    QCOMPARE(SV_ConsoleYesNo::choices(), QStringLiteral("(j/n)"));
    QCOMPARE(
        int(SV_ConsoleYesNo::parse(line, QStringLiteral("Starten"), QStringLiteral("stoppen"))),
        answer);
    QCoreApplication::removeTranslator(&translator);
}

QTEST_GUILESS_MAIN(TestYesNo)
#include "tst_yesno.moc"
