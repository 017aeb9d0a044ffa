// What the console run shows, seen from outside the real `vantor --console`: texts in any
// script kept byte for byte (terminal, log file), no secret in any output while the
// actions still get it, a quiet standard error unless --verbose, and the language that
// the environment's locale names.
#include "sv_consoleterminal.h"
#include "sv_consoletestrun.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

using namespace consoletest;
using vantortest::TempDir;

namespace {

QByteArray u8(const char* text) {
    return QByteArray(text);
}

} // namespace

class TestTextSecrets : public QObject {
    Q_OBJECT
private slots:
    void nonLatinInstallFile_data();
    void nonLatinInstallFile();
    void secretsNeverShown_data();
    void secretsNeverShown();
    void localeSelectsGerman();
    void wideCharactersTakeTwoColumns();
};

void TestTextSecrets::nonLatinInstallFile_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArrayList>("shown");    // on the terminal, in this order
    QTest::addColumn<QByteArrayList>("logLines"); // lines of the log file
    QTest::newRow("russian")
        << QStringLiteral(VANTOR_UNICODE_DATA "/russian.xml")
        << QByteArrayList{u8("\nПочтовый сервер «Кворель»\n="),
                          u8("== Добро пожаловать =="),
                          u8("Мастер установит почтовый сервер на узле почта.пример.рф."),
                          u8("Имя узла"),
                          u8("почта.пример.рф"),
                          u8("Полная установка"),
                          u8("== Проверка =="),
                          u8("Сервер почта.пример.рф — готов\n")}
        << QByteArrayList{u8("   * Log message from ID: greet\n"),
                          u8("   Command line = sh -c printf '%s\\n' \"$1\" greet Сервер "
                             "почта.пример.рф — готов\n"),
                          u8("   Standard Out = Сервер почта.пример.рф — готов\n")};
    QTest::newRow("japanese")
        << QStringLiteral(VANTOR_UNICODE_DATA "/japanese.xml")
        << QByteArrayList{u8("\nメールサーバー「クォレル」\n="),
                          u8("== ようこそ =="),
                          u8("このウィザードは メール.例え.jp "
                             "にメールサーバーをインストールします。"),
                          u8("ホスト名"),
                          u8("メール.例え.jp"),
                          u8("完全インストール"),
                          u8("== 確認 =="),
                          u8("サーバー メール.例え.jp の準備ができました\n")}
        << QByteArrayList{u8("   * Log message from ID: greet\n"),
                          u8("   Standard Out = サーバー メール.例え.jp の準備ができました\n")};
}

void TestTextSecrets::nonLatinInstallFile() {
    QFETCH(QString, file);
    QFETCH(QByteArrayList, shown);
    QFETCH(QByteArrayList, logLines);
    TempDir dir;
    const Run run = runConsole(dir, file, QByteArray(), Input::DevNull);
    QVERIFY2(!run.timedOut, run.out.constData());
    QCOMPARE(run.status, 0);
    qsizetype at = 0;
    for (const QByteArray& text : shown) {
        const qsizetype next = run.out.indexOf(text, at);
        QVERIFY2(next >= 0, (text + " missing or out of order in:\n" + run.out).constData());
        at = next;
    }
    QVERIFY2(!run.out.contains('?'), run.out.constData());
    // Nothing on standard error: the log messages are not echoed beside the wizard.
    QCOMPARE(run.err, QByteArray());
    const QByteArray log = readFile(run.logPath());
    for (const QByteArray& line : logLines)
        QVERIFY2(log.contains(line), (line + " missing in:\n" + log).constData());

    // --verbose echoes the messages, every character kept.
    TempDir dir2;
    const Run verbose =
        runConsole(dir2, file, QByteArray(), Input::DevNull, 60000, {}, {"--verbose"});
    QCOMPARE(verbose.status, 0);
    QVERIFY2(verbose.err.contains("Log message from: greet: Command line = sh -c"),
             verbose.err.constData());
    QVERIFY2(verbose.err.contains(logLines.last().mid(3 + 15)), verbose.err.constData());
}

void TestTextSecrets::secretsNeverShown_data() {
    QTest::addColumn<QStringList>("options");
    QTest::newRow("quiet") << QStringList();
    QTest::newRow("verbose") << QStringList{"--verbose"};
}

// A password (typed in the answers) and a generated secret go to a command on its command
// line; the command echoes both on standard output and standard error and fails with
// them in its message. Neither appears on the terminal, on standard error or in the log
// file, which only its owner can read; the command received both.
void TestTextSecrets::secretsNeverShown() {
    QFETCH(QStringList, options);
    TempDir dir;
    const QString root = dir.mkdir(QStringLiteral("root"));
    const QString password = QStringLiteral("Пароль-s3cret-€");
    const QString variables =
        QStringLiteral(
            "<variable id='pw'><string>Password</string><data-type><password-data>"
            "<password-conditions min_length='6'/></password-data></data-type></variable>"
            "<variable "
            "id='gen'><string>Generated</string><data-type><text-data/></data-type></variable>"
            "<variable id='root' "
            "default='%1'><string>Root</string><data-type><text-data/></data-type></variable>")
            .arg(root);
    const QString actions =
        QStringLiteral(
            "<action type='generate-password' id='make'><option-param param='length' value='14'/>"
            "<option-param param='min' value='65'/><option-param param='max' "
            "value='90'/></action>") +
        shAction(
            QStringLiteral("use"),
            QStringLiteral("printf '%s %s\\n' \"$2\" \"$3\" >\"$1/received\"; echo \"out $2 $3\"; "
                           "echo \"err $2 $3\" >&2; exit 1"),
            {QStringLiteral("$$root$$"), QStringLiteral("$$pw$$"), QStringLiteral("$$gen$$")});
    const QString stages = QStringLiteral(
        "<stage id='s'><string>Secrets</string><initialization><var-init var_id='gen' "
        "action_id='make'/></initialization>"
        "<ui><ui-element><input-element><variable-input var_id='pw'/></input-element></ui-element>"
        "<ui-element><input-element><variable-input var_id='gen'/></input-element></ui-element>"
        "<ui-element><output-element><string>Using them</string><action-sequence output='text'>"
        "<actionID action_id='use'/></action-sequence></output-element></ui-element></ui>"
        "<continue-conditions><var-condition var_id='pw' "
        "condition='valid-password'/></continue-conditions></stage>");
    const QString file = writeInstallFile(dir, variables, actions, stages);
    const Run run =
        runConsole(dir, file, "pw=" + password.toUtf8() + "\n", Input::Data, 60000, {}, options);
    QVERIFY2(!run.timedOut, run.out.constData());
    QCOMPARE(run.status, 3); // the command failed

    // The command got both secrets.
    const QByteArray received = readFile(root + QStringLiteral("/received"));
    QVERIFY2(received.startsWith(password.toUtf8() + ' '), received.constData());
    const QByteArray generated = received.mid(password.toUtf8().size() + 1).trimmed();
    QCOMPARE(generated.size(), 14);

    const QString logPath = run.logPath();
    QVERIFY(!logPath.isEmpty());
    const QByteArray log = readFile(logPath);
    QCOMPARE(QFileInfo(logPath).permissions() & ~(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ReadUser | QFileDevice::WriteUser),
             QFileDevice::Permissions());
    for (const QByteArray& secret : {password.toUtf8(), generated}) {
        QVERIFY2(!run.out.contains(secret), run.out.constData());
        QVERIFY2(!run.err.contains(secret), run.err.constData());
        QVERIFY2(!log.contains(secret), log.constData());
    }
    // What was hidden is still there, as the mask.
    QVERIFY2(run.out.contains("out ******** ********"), run.out.constData());
    QVERIFY2(log.contains("   Standard Out = out ******** ********\n"), log.constData());
    QVERIFY2(log.contains("   Standard Err = err ******** ********\n"), log.constData());
    QVERIFY2(log.contains("Process returned error message: err ******** ********"),
             log.constData());
    if (options.contains("--verbose"))
        QVERIFY2(run.err.contains("Log message from: use: Command line = sh -c"),
                 run.err.constData());
    else
        QCOMPARE(run.err, QByteArray());
}

// LANG=de_DE.UTF-8 chooses the German offered as "de" by the example: its texts and the
// engine's own are German. The program runs from a directory laid out as installed.
void TestTextSecrets::localeSelectsGerman() {
    TempDir dir;
    const QString root = dir.mkdir(QStringLiteral("root"));
    const QString bin = dir.mkdir(QStringLiteral("prefix/bin"));
    dir.mkdir(QStringLiteral("prefix/share/quorelle"));
    QVERIFY(QFile::link(QStringLiteral(VANTOR_PROGRAM), bin + QStringLiteral("/vantor")));
    QVERIFY(QFile::link(QStringLiteral(VANTOR_TRANSLATIONS_DIR),
                        dir.file(QStringLiteral("prefix/share/quorelle/translations"))));
    QByteArray answers = readFile(QStringLiteral(VANTOR_EXAMPLE_DIR "/answers.txt"));
    QVERIFY(!answers.isEmpty());
    for (const char* lang : {"de_DE.UTF-8", "C.UTF-8"}) {
        const Run run = runConsole(
            dir, QStringLiteral(VANTOR_EXAMPLE_DIR "/install.xml"), answers, Input::Data, 90000,
            {QStringLiteral("QUORELLE_INSTALL_ROOT=") + root, QStringLiteral("LANG=") + lang}, {},
            bin + QStringLiteral("/vantor"));
        QVERIFY2(!run.timedOut, run.out.constData());
        QCOMPARE(run.status, 0);
        const bool german = QByteArray(lang).startsWith("de");
        // A stage title of the example and a result text of the engine.
        QVERIFY2(run.out.contains("== Willkommen ==") == german, run.out.constData());
        QVERIFY2(run.out.contains("== Welcome ==") != german, run.out.constData());
        QVERIFY2(run.out.contains("Die Installation wurde erfolgreich abgeschlossen.") == german,
                 run.out.constData());
    }
}

// Japanese text is wrapped by the columns it takes on a terminal (two per character), so
// a line never runs past the width; combining marks take none.
void TestTextSecrets::wideCharactersTakeTwoColumns() {
    QCOMPARE(SV_ConsoleTerminal::columns(QStringLiteral("abc")), 3);
    QCOMPARE(SV_ConsoleTerminal::columns(QStringLiteral("ようこそ")), 8);
    QCOMPARE(SV_ConsoleTerminal::columns(QStringLiteral("Почта")), 5);
    QCOMPARE(SV_ConsoleTerminal::columns(QStringLiteral("e\u0301")), 1);
    QCOMPARE(SV_ConsoleTerminal::columns(QString::fromUcs4(U"\U00020B9F")), 2); // beyond the BMP
    QCOMPARE(SV_ConsoleTerminal::leftColumns(QStringLiteral("ようこそ"), 5),
             QStringLiteral("よう"));
    QCOMPARE(SV_ConsoleTerminal::wrap(QStringLiteral("サーバー メール 準備ができました"), 10),
             QStringList({QStringLiteral("サーバー"), QStringLiteral("メール"),
                          QStringLiteral("準備ができ"), QStringLiteral("ました")}));
    QCOMPARE(SV_ConsoleTerminal::wrap(QStringLiteral("aa ようこそ"), 11),
             QStringList{QStringLiteral("aa ようこそ")});
    QCOMPARE(SV_ConsoleTerminal::wrap(QStringLiteral("aa ようこそ"), 10),
             QStringList({QStringLiteral("aa"), QStringLiteral("ようこそ")}));
}

QTEST_GUILESS_MAIN(TestTextSecrets)
#include "tst_textsecrets.moc"
