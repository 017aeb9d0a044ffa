#include "sv_installfilebuilder.h"

#include <QFile>

namespace vantortest {

XmlNode XmlNode::add(const QString& name, const Attributes& attributes) {
    QDomElement child = m_element.ownerDocument().createElement(name);
    for (const auto& a : attributes)
        child.setAttribute(a.first, a.second);
    m_element.appendChild(child);
    return XmlNode(child);
}

XmlNode XmlNode::addText(const QString& name, const QString& text, const Attributes& attributes) {
    XmlNode child = add(name, attributes);
    child.display(text);
    return child;
}

XmlNode& XmlNode::addXml(const QString& fragment) {
    QDomDocument doc;
    if (!doc.setContent(QStringLiteral("<fragment>") + fragment + QStringLiteral("</fragment>")))
        qFatal("install file builder: malformed fragment: %s", qUtf8Printable(fragment));
    QDomDocument owner = m_element.ownerDocument();
    for (QDomNode n = doc.documentElement().firstChild(); !n.isNull(); n = n.nextSibling())
        m_element.appendChild(owner.importNode(n, true));
    return *this;
}

XmlNode& XmlNode::attr(const QString& name, const QString& value) {
    m_element.setAttribute(name, value);
    return *this;
}

XmlNode& XmlNode::display(const QString& text) {
    QDomDocument owner = m_element.ownerDocument();
    QDomElement string = owner.createElement(QStringLiteral("string"));
    string.appendChild(owner.createTextNode(text));
    m_element.appendChild(string);
    return *this;
}

InstallFileBuilder::InstallFileBuilder(const QString& rootName) {
    m_doc.appendChild(m_doc.createElement(rootName));
}

XmlNode InstallFileBuilder::section(const QString& name, const Attributes& attributes) {
    QDomElement existing = m_doc.documentElement().firstChildElement(name);
    if (!existing.isNull()) {
        for (const auto& a : attributes)
            existing.setAttribute(a.first, a.second);
        return XmlNode(existing);
    }
    return addSection(name, attributes);
}

XmlNode InstallFileBuilder::addSection(const QString& name, const Attributes& attributes) {
    return root().add(name, attributes);
}

bool InstallFileBuilder::save(const QString& path) const {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(m_doc.toByteArray(2)) >= 0;
}

SV_XmlNode InstallFileBuilder::rootElement() const {
    return parseXml(xml());
}

SV_XmlNode parseXml(const QString& xml) {
    SV_XmlDocument doc;
    if (!doc.setContent(xml.toUtf8()))
        return SV_XmlNode();
    return doc.documentElement();
}

} // namespace vantortest
