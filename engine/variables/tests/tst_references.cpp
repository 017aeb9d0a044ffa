// $$id$$ expansion in texts and template files.
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_testsupport.h"
#include "sv_variable.h"
#include "sv_variableregexp.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString expanded(QString s) {
    SV_VariableRegExp::fixString(s);
    return s;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestReferences : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        vantortest::installMessageHandler();
        SV_Engine::engine()->loadVariables(vantortest::parseXml(R"(<installation><variables>
            <variable id="dir" default="/opt/x"><data-type><text-data/></data-type></variable>
            <variable id="Res:Dir_[x]" default="/res"><data-type><text-data/></data-type></variable>
            <variable id="self" default="$$dir$$"><data-type><text-data/></data-type></variable>
            <variable id="" default="EMPTY"><data-type><text-data/></data-type></variable>
            <variable id="cnt" default=""><data-type><text-data/></data-type></variable>
            <variable id="pick" default="b"><data-type><single-selection>
              <choice id="a"><string>A</string></choice>
              <choice id="b"><string>In $$dir$$</string></choice>
            </single-selection></data-type></variable>
            <variable id="flag" default="true"><data-type><boolean>
              <true-text><string>Yes</string></true-text></boolean></data-type></variable>
          </variables></installation>)"));
    }

    void fixString_data() {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("followed by text") << "$$dir$$/bin"
                                          << "/opt/x/bin";
        QTest::newRow("back to back") << "$$dir$$$$dir$$"
                                      << "/opt/x/opt/x";
        QTest::newRow("value holds a reference") << "[$$self$$]"
                                                 << "[$$dir$$]";
        QTest::newRow("colon and brackets") << "$$Res:Dir_[x]$$/img"
                                            << "/res/img";
        QTest::newRow("hyphen is no id character") << "$$my-var$$ $$dir$$"
                                                   << "$$my-var$$ /opt/x";
        QTest::newRow("lone pair") << "cost: $$ 5"
                                   << "cost: $$ 5";
        QTest::newRow("blank inside") << "$$dir $$ and $$ dir$$"
                                      << "$$dir $$ and $$ dir$$";
        QTest::newRow("empty id") << "a$$$$b"
                                  << "aEMPTYb";
        QTest::newRow("three dollars") << "$$$dir$$"
                                       << "$/opt/x";
        QTest::newRow("choice text expands too") << "<$$pick$$>"
                                                 << "<In /opt/x>";
        QTest::newRow("boolean shows its text") << "$$flag$$"
                                                << "Yes";
        QTest::newRow("empty value") << "x$$cnt$$y$$dir$$"
                                     << "xy/opt/x";
        QTest::newRow("non-ASCII around")
            << QString::fromUtf8("\xc3\xa9$$dir$$\xe2\x82\xac$$x\xc3\xa9$$")
            << QString::fromUtf8("\xc3\xa9/opt/x\xe2\x82\xac$$x\xc3\xa9$$");
        QTest::newRow("dollar at the end") << "$$dir$$$"
                                           << "/opt/x$";
        QTest::newRow("nothing to do") << "plain text"
                                       << "plain text";
    }
    void fixString() {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(expanded(in), out);
    }

    // Template lines are filled by their own byte scanner: it must expand exactly as
    // fixString does.
    void templateLinesExpandAsTexts_data() { fixString_data(); }
    void templateLinesExpandAsTexts() {
        QFETCH(QString, in);
        QFETCH(QString, out);
        vantortest::TempDir dir;
        const QString tpl = dir.write("t", in.toUtf8() + "\n" + in.toUtf8());
        QString output = dir.file("out");
        QVERIFY(SV_VariableRegExp::fixTemplateFile(tpl, output));
        QCOMPARE(QString::fromUtf8(readAll(output)), out + "\n" + out + "\n");
    }

    void hyphenIsNotLookedUp() {
        vantortest::clearMessages();
        QCOMPARE(expanded("$$no-such$$"), QString("$$no-such$$"));
        QVERIFY(vantortest::messages().isEmpty());
    }

    void optionsTextExpands() {
        SV_Variable* pick = SV_Engine::engine()->variable("pick");
        QCOMPARE(pick->choice("b")->text(), QString("In /opt/x"));
        QCOMPARE(pick->choice("b")->option("text"), QString("In $$dir$$"));
    }

    void templateIntoFreshTempFile() {
        vantortest::TempDir dir;
        const QString tpl = dir.write("t.conf", "root=$$dir$$\r\n\nlast $$flag$$");
        QString out;
        QVERIFY(SV_VariableRegExp::fixTemplateFile(tpl, out));
        QVERIFY(out.startsWith("/tmp/vantortemplate"));
        QCOMPARE(out.size(), QString("/tmp/vantortemplate").size() + 6);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(out).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
        // Terminators become single newlines; the last line gets one too.
        QCOMPARE(readAll(out), QByteArray("root=/opt/x\n\nlast Yes\n"));

        QString second;
        QVERIFY(SV_VariableRegExp::fixTemplateFile(tpl, second));
        QVERIFY(second != out);
        QFile::remove(out);
        QFile::remove(second);
    }

    void templateIntoNamedFile() {
        vantortest::TempDir dir;
        const QString tpl = dir.write("t", "a $$dir$$\nb\n");
        QString out = dir.write("out", "old content that is longer than the new one\n");
        QVERIFY(SV_VariableRegExp::fixTemplateFile(tpl, out));
        QCOMPARE(out, dir.file("out"));
        QCOMPARE(readAll(out), QByteArray("a /opt/x\nb\n"));

        // Bytes that are not UTF-8 pass through lines without references untouched.
        const QString latin = dir.write("latin", "caf\xe9\n$$dir$$ \xc3\xa9\n");
        QVERIFY(SV_VariableRegExp::fixTemplateFile(latin, out));
        QCOMPARE(readAll(out), QByteArray("caf\xe9\n/opt/x \xc3\xa9\n"));

        // A long line is not cut.
        const QByteArray longLine = QByteArray(700000, 'x') + "$$dir$$" + QByteArray(10, 'y');
        const QString big = dir.write("long", longLine + "\nend");
        QVERIFY(SV_VariableRegExp::fixTemplateFile(big, out));
        QCOMPARE(readAll(out),
                 QByteArray(700000, 'x') + "/opt/x" + QByteArray(10, 'y') + "\nend\n");
    }

    void missingTemplate() {
        vantortest::TempDir dir;
        QString out = dir.write("out", "stale");
        QVERIFY(SV_VariableRegExp::fixTemplateFile(dir.file("missing"), out));
        QVERIFY(QFileInfo::exists(out));
        QCOMPARE(readAll(out), QByteArray());
    }

    void unwritableOutput() {
        vantortest::TempDir dir;
        const QString tpl = dir.write("t", "x\n");
        QString intoMissingDir = dir.file("no/such/dir/out");
        QVERIFY(!SV_VariableRegExp::fixTemplateFile(tpl, intoMissingDir));
        QString aDirectory = dir.mkdir("sub");
        QVERIFY(!SV_VariableRegExp::fixTemplateFile(tpl, aDirectory));
        if (::geteuid() != 0) {
            ::chmod(QFile::encodeName(dir.path()).constData(), 0500);
            QString denied = dir.file("denied");
            const bool ok = SV_VariableRegExp::fixTemplateFile(tpl, denied);
            ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
            QVERIFY(!ok);
        }
    }

    void writeFailureIsReported() {
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("no /dev/full");
        vantortest::TempDir dir;
        QByteArray content;
        for (int i = 0; i < 20000; ++i)
            content += "line $$dir$$\n";
        const QString tpl = dir.write("t", content);
        QString full = "/dev/full";
        QVERIFY(!SV_VariableRegExp::fixTemplateFile(tpl, full));
    }

    void eventsEveryEleventhLine() {
        vantortest::TempDir dir;
        QByteArray nine;
        for (int i = 0; i < 9; ++i)
            nine += "$$dir$$\n";
        const QString shortTpl = dir.write("short", nine);
        const QString longTpl = dir.write("long", nine + nine + "$$dir$$\n$$dir$$\n");

        bool fired = false;
        QTimer::singleShot(0, this, [&] { fired = true; });
        QString out = dir.file("out");
        QVERIFY(SV_VariableRegExp::fixTemplateFile(shortTpl, out));
        QVERIFY(!fired); // nine lines: no yield
        QVERIFY(SV_VariableRegExp::fixTemplateFile(longTpl, out));
        QVERIFY(fired);
        QCOMPARE(readAll(out).count('\n'), 20);
    }
};

QTEST_GUILESS_MAIN(TestReferences)
#include "tst_references.moc"
