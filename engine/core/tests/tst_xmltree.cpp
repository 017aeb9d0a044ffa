// The install file's tree: its depth limit wherever markup could hide or add a level, its
// node handles. That it reads every text as the toolkit's DOM does is the differential fuzz
// target's test (engine.fuzz.xmltree, over its corpus).
#include "sv_xmltree.h"

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

class TestXmlTree : public QObject {
    Q_OBJECT
private slots:
    void depthLimit_data();
    void depthLimit();
    void seedInstallFiles();
    void nodeHandles();
    void textsAndValues();
    void positions();
};

void TestXmlTree::depthLimit_data() {
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
        << "<r >" + QByteArray("<a ><b ></b ></a >").repeated(20) + "</r >" << 3 << false;
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
}

void TestXmlTree::depthLimit() {
    QFETCH(QByteArray, xml);
    QFETCH(int, limit);
    QFETCH(bool, deeper);
    SV_XmlDocument doc;
    QCOMPARE(doc.setContent(xml, limit), !deeper);
    QCOMPARE(doc.documentElement().isNull(), deeper);
    // Without a limit worth the name every one of them reads.
    QVERIFY(doc.setContent(xml, 1000));
}

// Every seed of the install-file fuzz target and the example, at every limit around its
// depth: read up to its depth, refused below it.
void TestXmlTree::seedInstallFiles() {
    const QDir seeds(QStringLiteral(VANTOR_FUZZ_SEEDS));
    QStringList files;
    for (const QString& name : seeds.entryList(QDir::Files))
        files << seeds.filePath(name);
    files << QStringLiteral(VANTOR_EXAMPLE_INSTALL_FILE);
    QVERIFY(files.size() > 3);
    int readSomewhere = 0;
    for (const QString& path : files) {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        const QByteArray xml = file.readAll();
        SV_XmlDocument doc;
        if (!doc.setContent(xml, 100000))
            continue; // not well-formed, or nested beyond any limit
        ++readSomewhere;
        int depth = 0;
        while (!doc.setContent(xml, depth))
            ++depth;
        QVERIFY2(depth > 0, qPrintable(path));
        for (int limit = depth; limit < depth + 3; ++limit)
            QVERIFY2(doc.setContent(xml, limit), qPrintable(path));
    }
    QVERIFY(readSomewhere > 3);
}

void TestXmlTree::nodeHandles() {
    SV_XmlDocument doc;
    QVERIFY(doc.documentElement().isNull());
    QVERIFY(!doc.setContent("<r/><r/>"));
    QVERIFY(!doc.setContent("<!-- no element -->"));
    QVERIFY(!doc.setContent(""));
    QVERIFY(!doc.setContent("<a><b></a>"));

    QVERIFY(doc.setContent("<!--before--><?pi x?><r a='1' b=''><x/>t<y n='2'/><x/><!--c--></r>"
                           "<!--after-->"));
    const SV_XmlNode root = doc.documentElement();
    QCOMPARE(root.nodeName(), QStringLiteral("r"));
    QVERIFY(root.nextSibling().isNull()); // nothing outside the root element is kept
    QCOMPARE(root.attribute("a"), QStringLiteral("1"));
    QVERIFY(root.hasAttribute("b"));
    QVERIFY(!root.attribute("b").isNull());
    QVERIFY(root.attribute("b").isEmpty());
    QVERIFY(!root.hasAttribute("A"));
    QCOMPARE(root.attribute("missing", "default"), QStringLiteral("default"));

    QStringList names;
    for (SV_XmlNode n = root.firstChild(); !n.isNull(); n = n.nextSibling())
        names << n.nodeName() + (n.isElement() ? "/e" : "");
    QCOMPARE(names, (QStringList{"x/e", "#text", "y/e", "x/e", "#comment"}));
    QCOMPARE(root.firstChildElement("y").attribute("n"), QStringLiteral("2"));
    QCOMPARE(root.firstChildElement().nextSiblingElement("x").nextSibling().nodeName(),
             QStringLiteral("#comment"));
    QVERIFY(root.firstChildElement("z").isNull());
    QVERIFY(root.firstChildElement("x").nextSiblingElement("x").nextSiblingElement().isNull());

    const SV_XmlNode text = root.firstChild().nextSibling();
    QVERIFY(!text.isElement());
    QVERIFY(text.toElement().isNull());
    QVERIFY(text.tagName().isNull());
    QCOMPARE(text.attribute("a", "d"), QStringLiteral("d"));
    QVERIFY(root.firstChildElement()
                .nextSibling()
                .nextSibling()
                .nextSibling()
                .nextSibling()
                .isComment());

    // A null node answers everything with nothing.
    const SV_XmlNode null;
    QVERIFY(null.nodeName().isNull() && null.firstChild().isNull() && null.nextSibling().isNull() &&
            null.firstChildElement().isNull() && !null.hasAttribute("a") && null.text().isNull());

    // Handles keep their tree: the document may be cleared or read again.
    const SV_XmlNode y = root.firstChildElement("y");
    doc.clear();
    QVERIFY(doc.documentElement().isNull());
    QVERIFY(doc.setContent("<other/>"));
    QCOMPARE(y.attribute("n"), QStringLiteral("2"));
    QCOMPARE(root.firstChildElement().tagName(), QStringLiteral("x"));
}

void TestXmlTree::textsAndValues() {
    SV_XmlDocument doc;
    QVERIFY(doc.setContent("<r>\n  <s>  one <b>two</b><![CDATA[ <three> ]]>&amp;&#65;</s>\n"
                           "  <e/><w>   </w><c><!-- note --></c><p><?target some data?></p></r>"));
    const SV_XmlNode root = doc.documentElement();
    const SV_XmlNode s = root.firstChildElement("s");
    QCOMPARE(s.text(), QStringLiteral("  one two <three> &A"));
    QCOMPARE(root.firstChildElement("e").text(), QStringLiteral(""));
    QVERIFY(!root.firstChildElement("e").text().isNull());
    // Text that is only white space is not a node; a CDATA section always is.
    QVERIFY(root.firstChildElement("w").firstChild().isNull());
    QCOMPARE(s.firstChild().nodeValue(), QStringLiteral("  one "));
    QCOMPARE(s.firstChild().nextSibling().nextSibling().nodeName(),
             QStringLiteral("#cdata-section"));
    QCOMPARE(s.firstChild().nextSibling().nextSibling().nodeValue(), QStringLiteral(" <three> "));
    QCOMPARE(root.firstChildElement("c").firstChild().nodeValue(), QStringLiteral(" note "));
    const SV_XmlNode pi = root.firstChildElement("p").firstChild();
    QCOMPARE(pi.nodeName(), QStringLiteral("target"));
    QCOMPARE(pi.nodeValue(), QStringLiteral("some data"));
    QVERIFY(doc.setContent("<r><?bare?><!----></r>"));
    QVERIFY(doc.documentElement().firstChild().nodeValue().isNull()); // no data at all
    QVERIFY(!doc.documentElement().firstChild().nextSibling().nodeValue().isNull());
    QVERIFY(root.nodeValue().isNull());
}

// Where each node begins (1-based), when asked for; the parser's place of an error.
void TestXmlTree::positions() {
    const QByteArray xml = "<?xml version='1.0'?>\n<r a='1'  b = \"2\">\n  <x/><y>text\n<z/></y><!-- c -->\n"
                           "\t<w><![CDATA[d]]></w></r>\n";
    SV_XmlDocument doc;
    QVERIFY(doc.setContent(xml, SV_XmlDocument::kMaxDepth, SV_XmlDocument::WithPositions));
    const SV_XmlNode r = doc.documentElement();
    QCOMPARE(r.attributeNames(), (QStringList{"a", "b"}));
    auto at = [](const SV_XmlNode& n) { return QStringLiteral("%1:%2").arg(n.line()).arg(n.column()); };
    QCOMPARE(at(r), QStringLiteral("2:1"));
    const SV_XmlNode x = r.firstChildElement();
    QCOMPARE(at(x), QStringLiteral("3:3"));                      // after white space
    const SV_XmlNode y = x.nextSibling();
    QCOMPARE(at(y), QStringLiteral("3:7"));                      // right after a tag
    QCOMPARE(at(y.firstChild()), QStringLiteral("3:10"));        // a text
    QCOMPARE(at(y.firstChildElement()), QStringLiteral("4:1"));  // after a text
    QCOMPARE(at(y.nextSibling()), QStringLiteral("4:9"));        // a comment
    const SV_XmlNode w = r.firstChildElement(QStringLiteral("w"));
    QCOMPARE(at(w), QStringLiteral("5:2"));                      // a tab counts one column
    QCOMPARE(at(w.firstChild()), QStringLiteral("5:5"));         // CDATA

    SV_XmlDocument plain; // without positions, every node is at 0:0
    QVERIFY(plain.setContent(xml));
    QCOMPARE(at(plain.documentElement().firstChildElement()), QStringLiteral("0:0"));

    SV_XmlDocument bad;
    QVERIFY(!bad.setContent("<r>\n<a>\n</b></r>"));
    QCOMPARE(bad.errorLine(), 3);
    QCOMPARE(bad.errorColumn(), 5);
    QVERIFY(!bad.errorString().isEmpty());
    QVERIFY(!bad.setContent(nested(4), 3));
    QCOMPARE(bad.errorString(), QStringLiteral("elements nest deeper than 3 levels"));
    QVERIFY(!bad.setContent("<!-- only -->"));
    QVERIFY(!bad.errorString().isEmpty());
}

QTEST_GUILESS_MAIN(TestXmlTree)
#include "tst_xmltree.moc"
