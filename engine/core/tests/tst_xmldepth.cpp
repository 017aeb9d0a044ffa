// The depth check made before an install file is parsed: the byte scan answers as the
// toolkit's tokenizer does wherever markup could hide a tag from a plain search, and texts
// that it cannot read itself go to the tokenizer.
#include "sv_xmldepth.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtTest>

namespace {

QByteArray nested(int depth, const QByteArray& open = "<a>", const QByteArray& close = "</a>") {
    return open.repeated(depth) + close.repeated(depth);
}

QByteArray utf16(const QByteArray& utf8) {
    QStringEncoder encode(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    return encode(QString::fromUtf8(utf8));
}

} // namespace

class TestXmlDepth : public QObject {
    Q_OBJECT
private slots:
    void sameVerdictAsTheTokenizer_data();
    void sameVerdictAsTheTokenizer();
    void seedInstallFiles();
};

void TestXmlDepth::sameVerdictAsTheTokenizer_data() {
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("deeper");

    QTest::newRow("at the limit") << nested(5) << 5 << false;
    QTest::newRow("one past the limit") << nested(6) << 5 << true;
    QTest::newRow("declaration and byte order mark")
        << "\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?>\n" + nested(6) << 5 << true;
    QTest::newRow("leading white space") << "\n  " + nested(6) << 5 << true;
    QTest::newRow("siblings do not add up")
        << "<r>" + QByteArray("<a><b/></a>").repeated(50) + "</r>" << 3 << false;
    QTest::newRow("empty elements")
        << "<r>" + QByteArray("<a x='1'/><b />").repeated(50) + "</r>" << 2 << false;
    QTest::newRow("end tags with space")
        << QByteArray("<a ><b ></b ></a >").repeated(20) << 2 << false;
    QTest::newRow("closing bracket and slash in values")
        << "<r>" + QByteArray("<a x='/>' y=\"a>b/\"><b z='/'>t</b></a>").repeated(20) + "</r>" << 3
        << false;
    QTest::newRow("slash-bracket in a value does not close")
        << QByteArray("<a x='/'><b y=\"/>\"><c/></b></a>") << 2 << true;
    QTest::newRow("tags in a comment")
        << "<r><!-- " + QByteArray("<a>").repeated(20) + " --></r>" << 2 << false;
    QTest::newRow("comment with dashes and brackets")
        << QByteArray("<r><!-- <a> -> - > --><a><b/></a></r>") << 2 << true;
    QTest::newRow("tags in a CDATA section")
        << "<r><![CDATA[" + QByteArray("<a>").repeated(20) + "]]></r>" << 2 << false;
    QTest::newRow("tags in a processing instruction")
        << "<r><?pi " + QByteArray("<a>").repeated(20) + " ?></r>" << 2 << false;
    QTest::newRow("escaped brackets in text")
        << "<r>" + QByteArray("&lt;a&gt;").repeated(20) + "</r>" << 1 << false;
    QTest::newRow("deep after a comment") << "<!-- <x/> -->" + nested(6) << 5 << true;
    // Entities declared in the document may hold markup of their own.
    QTest::newRow("entity with markup")
        << QByteArray("<!DOCTYPE r [<!ENTITY e '<a><a><a></a></a></a>'>]><r>&e;&e;</r>") << 3
        << true;
    QTest::newRow("entity with markup, within")
        << QByteArray("<!DOCTYPE r [<!ENTITY e '<a><a></a></a>'>]><r>&e;&e;</r>") << 3 << false;
    QTest::newRow("doctype with brackets in a comment")
        << "<!DOCTYPE r [<!-- <a><a><a> -->]>" + nested(3) << 3 << false;
    // Other encodings: their bytes do not spell the markup in ASCII.
    QTest::newRow("utf-16, shallow and long")
        << utf16("<r>" + QByteArray("<a><b/></a>").repeated(100) + "</r>") << 3 << false;
    QTest::newRow("utf-16, deep") << utf16(nested(6)) << 5 << true;
    QTest::newRow("declared latin-1")
        << "<?xml version='1.0' encoding='ISO-8859-1'?>\n<r>\xE9" + nested(4) + "</r>" << 4 << true;
    // Malformed text: past the first fault nothing counts, before it everything does.
    QTest::newRow("unclosed and deep") << QByteArray("<a>").repeated(10) << 9 << true;
    QTest::newRow("unclosed start tag") << QByteArray("<a><b x='1") << 5 << false;
    QTest::newRow("lone bracket at the end") << QByteArray("<a><") << 5 << false;
    QTest::newRow("empty") << QByteArray() << 0 << false;
}

void TestXmlDepth::sameVerdictAsTheTokenizer() {
    QFETCH(QByteArray, xml);
    QFETCH(int, limit);
    QFETCH(bool, deeper);
    QCOMPARE(xmlNestsDeeperThanStreamed(xml, limit), deeper);
    QCOMPARE(xmlNestsDeeperThan(xml, limit), deeper);
}

// Every seed of the install-file fuzz target and the example, at every limit up to its
// depth: the scan and the tokenizer agree.
void TestXmlDepth::seedInstallFiles() {
    const QDir seeds(QStringLiteral(VANTOR_FUZZ_SEEDS));
    QStringList files;
    for (const QString& name : seeds.entryList(QDir::Files))
        files << seeds.filePath(name);
    files << QStringLiteral(VANTOR_EXAMPLE_INSTALL_FILE);
    QVERIFY(files.size() > 3);
    for (const QString& path : files) {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        const QByteArray xml = file.readAll();
        for (int limit : {0, 1, 2, 3, 4, 5, 6, 8, 12, 20, 64, 512}) {
            const bool streamed = xmlNestsDeeperThanStreamed(xml, limit);
            QVERIFY2(xmlNestsDeeperThan(xml, limit) == streamed,
                     qPrintable(QStringLiteral("%1 at limit %2").arg(path).arg(limit)));
        }
    }
}

QTEST_GUILESS_MAIN(TestXmlDepth)
#include "tst_xmldepth.moc"
