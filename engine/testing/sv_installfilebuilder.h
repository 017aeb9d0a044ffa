#ifndef SV_INSTALLFILEBUILDER_H
#define SV_INSTALLFILEBUILDER_H

#include "sv_xmltree.h"

#include <QDomDocument>
#include <QDomElement>
#include <QList>
#include <QPair>
#include <QString>

namespace vantortest {

using Attributes = QList<QPair<QString, QString>>;

// One element of an install file under construction.
class XmlNode {
public:
    explicit XmlNode(const QDomElement& element) : m_element(element) {}

    // Appends a child element and returns it.
    XmlNode add(const QString& name, const Attributes& attributes = {});
    // Appends a child element with a display text (its `string` child) and returns it.
    XmlNode addText(const QString& name, const QString& text, const Attributes& attributes = {});
    // Appends the elements of an XML fragment (any number of top-level elements).
    XmlNode& addXml(const QString& fragment);
    XmlNode& attr(const QString& name, const QString& value);
    // Adds the display text: a child `string` holding the text.
    XmlNode& display(const QString& text);
    QDomElement element() const { return m_element; }

private:
    QDomElement m_element;
};

// Builds an install file from a few lines of C++:
//   InstallFileBuilder b;
//   b.section("install-info").add("resources", {{"dir", "res"}});
//   b.section("languages", {{"dir", "tr"}}).add("language", {{"name", "Deutsch"}, {"encoding",
//   "de"}}); b.save(path);
class InstallFileBuilder {
public:
    explicit InstallFileBuilder(const QString& rootName = QStringLiteral("installation"));

    XmlNode root() { return XmlNode(m_doc.documentElement()); }
    // The first top-level section of that name, created (with the attributes) when missing.
    XmlNode section(const QString& name, const Attributes& attributes = {});
    // Appends a further top-level element even if one of that name exists.
    XmlNode addSection(const QString& name, const Attributes& attributes = {});

    QString xml() const { return m_doc.toString(2); }
    bool save(const QString& path) const;
    // The root element as the engine reads the file (its XML text parsed into a tree).
    SV_XmlNode rootElement() const;
    const QDomDocument& document() const { return m_doc; }

private:
    QDomDocument m_doc;
};

// Parses XML text as the engine reads an install file and returns its root element (null on
// malformed input); the node keeps its tree alive.
SV_XmlNode parseXml(const QString& xml);

} // namespace vantortest

#endif
