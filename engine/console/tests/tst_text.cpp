// The console viewer's text handling: reading answer files, wrapping to the terminal
// width, rich text shown as plain text.
#include "sv_consoleanswers.h"
#include "sv_consoleterminal.h"
#include "sv_consoleviewer.h"

#include <QtTest>

class TestText : public QObject {
    Q_OBJECT
private slots:
    void answerLines();
    void wrapping();
    void richTextAsPlainText();
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

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
