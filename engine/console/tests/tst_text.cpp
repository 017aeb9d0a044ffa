// The console viewer's text handling: reading answer files, wrapping to the terminal
// width, rich text shown as plain text.
#include "sv_consoleanswers.h"
#include "sv_consoleterminal.h"
#include "sv_consoleviewer.h"
#include "sv_engine.h"
#include "sv_passwordvariable.h"
#include "sv_variable.h"

#include <QFile>
#include <QtTest>

namespace {

SV_Variable* variable(const char* id) {
    return SV_Engine::engine()->variable(QLatin1String(id));
}

// The first block of the README's section on unattended runs, as printed.
QByteArray readmeAnswerFile() {
    QFile readme(QStringLiteral(VANTOR_README));
    if (!readme.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray text = readme.readAll();
    const int section = text.indexOf("**Unattended**");
    const int open = text.indexOf("```\n", section);
    const int close = text.indexOf("```\n", open + 4);
    if (section < 0 || open < 0 || close < 0)
        return QByteArray();
    return text.mid(open + 4, close - open - 4);
}

} // namespace

class TestText : public QObject {
    Q_OBJECT
private slots:
    void answerLines();
    void wrapping();
    void richTextAsPlainText();
    void readmeExampleAsPrinted();
    void trailingComments();
};

void TestText::answerLines() {
    SV_ConsoleAnswers a;
    a.parse("# comment\n\n   \n  # indented comment\nid=value\r\nurl = a=b=c\nblank= two words \nnoequals\n=orphan\nlast=no newline");
    QCOMPARE(a.answers().size(), 4);
    QCOMPARE(a.answers()[0].line, 5);
    QCOMPARE(a.answers()[0].id, QStringLiteral("id"));
    QCOMPARE(a.answers()[0].value, QStringLiteral("value")); // the CR of a CRLF file is dropped
    QCOMPARE(a.answers()[1].id, QStringLiteral("url"));
    QCOMPARE(a.answers()[1].value, QStringLiteral(" a=b=c")); // split at the first "=", value as written
    QCOMPARE(a.answers()[2].value, QStringLiteral(" two words "));
    QCOMPARE(a.answers()[3].line, 10);
    QCOMPARE(a.answers()[3].value, QStringLiteral("no newline"));
    QCOMPARE(a.problems(), (QStringList{
                               QStringLiteral("line 8: \"noequals\" is not of the form VARIABLE_ID=value"),
                               QStringLiteral("line 9: no variable id before \"=\""),
                           }));
    QVERIFY(a.has(QStringLiteral("url")));
    QVERIFY(!a.has(QStringLiteral("URL")));

    SV_ConsoleAnswers empty;
    empty.parse(QByteArray());
    QVERIFY(empty.answers().isEmpty());
    QVERIFY(empty.problems().isEmpty());
}

void TestText::wrapping() {
    QCOMPARE(SV_ConsoleTerminal::wrap(QStringLiteral("aaa bbb ccc"), 7),
             (QStringList{QStringLiteral("aaa bbb"), QStringLiteral("ccc")}));
    // A word longer than the width is cut, never lost.
    QCOMPARE(SV_ConsoleTerminal::wrap(QStringLiteral("x abcdefghij y"), 4),
             (QStringList{QStringLiteral("x"), QStringLiteral("abcd"), QStringLiteral("efgh"), QStringLiteral("ij y")}));
    // Line ends stay, so do empty lines between paragraphs.
    QCOMPARE(SV_ConsoleTerminal::wrap(QStringLiteral("one\n\ntwo"), 10),
             (QStringList{QStringLiteral("one"), QString(), QStringLiteral("two")}));
    for (const QString& line : SV_ConsoleTerminal::wrap(QString(50, QLatin1Char('w')) + QStringLiteral(" and more words here"), 20))
        QVERIFY(line.size() <= 20);
}

void TestText::richTextAsPlainText() {
    QCOMPARE(SV_ConsoleViewer::plainText(QStringLiteral("no markup at all")), QStringLiteral("no markup at all"));
    QCOMPARE(SV_ConsoleViewer::plainText(QStringLiteral("<h3>Title</h3><p>First <b>bold</b> &amp; more</p><p>Second<br>line</p>")),
             QStringLiteral("Title\n\nFirst bold & more\n\nSecond\nline"));
    // The install sequence's question.
    QCOMPARE(SV_ConsoleViewer::plainText(QStringLiteral("<p>The following error occurred:<blockquote>Action: a, error msg: x &lt;y&gt;<blockquote><br>Do you want to continue?</p>")),
             QStringLiteral("The following error occurred:\nAction: a, error msg: x <y>\n\nDo you want to continue?"));
    QCOMPARE(SV_ConsoleViewer::plainText(QStringLiteral("&amp;lt;")), QStringLiteral("&lt;"));
}

// The README's answer file works as printed with the example install file: no problem,
// and each value as the comments beside it promise.
void TestText::readmeExampleAsPrinted() {
    QFile file(QStringLiteral(VANTOR_EXAMPLE_DIR "/install.xml"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    SV_XmlDocument document;
    QVERIFY(document.setContent(file.readAll()));
    SV_Engine::engine()->loadProfiles(document.documentElement());
    SV_Engine::engine()->loadVariables(document.documentElement());
    const QByteArray answers = readmeAnswerFile();
    QVERIFY2(answers.contains("hostname="), answers.constData());

    SV_ConsoleAnswers a;
    a.parse(answers);
    a.check(SV_Engine::engine());
    QCOMPARE(a.problems(), QStringList());
    a.applyAll(SV_Engine::engine());
    QCOMPARE(variable("hostname")->value(), QStringLiteral("mail.example.org"));
    QCOMPARE(variable("imap_port")->value(), QStringLiteral("143"));
    QCOMPARE(variable("start_services")->formatAnswer(), QStringLiteral("true"));
    QCOMPARE(variable("setup_kind")->formatAnswer(), QStringLiteral("single-host"));
    QCOMPARE(variable("services")->value(), QStringLiteral("imap,smtp"));
    auto* password = qobject_cast<SV_PasswordVariable*>(variable("admin_password"));
    QVERIFY(password && password->isValidPassword());
    QCOMPARE(password->value(), QStringLiteral("s3cret-value"));
}

// A trailing comment is taken off a number, boolean or choice only; a text or password
// keeps everything after "=", and nothing is trimmed silently.
void TestText::trailingComments() {
    SV_ConsoleAnswers a;
    a.parse("hostname=mail # not a comment\n"
            "admin_password=pa ss#word # too\n"
            "imap_port=993\t # the port\n"
            "services=imap # and no more\n"
            "mailbox_format=mbox#no blank before\n"
            "start_services=false \n");
    a.check(SV_Engine::engine());
    QCOMPARE(a.problems(),
             (QStringList{
                 QStringLiteral("line 5: mailbox_format: there is no choice \"mbox#no blank "
                                "before\" (the choices are: maildir, mbox)"),
                 QStringLiteral("line 6: start_services: \"false \" is neither true nor false"),
             }));
    SV_ConsoleAnswers good;
    good.parse("hostname=mail # not a comment\n"
               "admin_password=pa ss#word # too\n"
               "imap_port=993\t # the port\n"
               "services=imap # and no more\n");
    good.check(SV_Engine::engine());
    QCOMPARE(good.problems(), QStringList());
    good.applyAll(SV_Engine::engine());
    QCOMPARE(variable("hostname")->value(), QStringLiteral("mail # not a comment"));
    QCOMPARE(variable("admin_password")->value(), QStringLiteral("pa ss#word # too"));
    QCOMPARE(variable("imap_port")->value(), QStringLiteral("993"));
    QCOMPARE(variable("services")->value(), QStringLiteral("imap"));
}

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
