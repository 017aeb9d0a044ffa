// Fuzz target: the engine's XML tree of a text against the toolkit's DOM of the same text.
// Both accept or refuse it alike (the tree also refuses what nests deeper than its limit),
// and where they accept it, every node reads the same: kind and name, attributes (values
// and whether they are null), an element's text, a node's value, the order of the children.
// A difference aborts with both readings of the first node that differs.
#include "sv_xmltree.h"

#include <QDomDocument>
#include <QDomNamedNodeMap>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// How deep a DOM element lies below the root element (the root: 1).
int deepest(const QDomNode& node) {
    int most = 0;
    std::vector<std::pair<QDomNode, int>> pending{{node, 1}};
    while (!pending.empty()) {
        auto [n, depth] = pending.back();
        pending.pop_back();
        most = std::max(most, depth);
        for (QDomNode c = n.firstChild(); !c.isNull(); c = c.nextSibling())
            if (c.isElement())
                pending.push_back({c, depth + 1});
    }
    return most;
}

[[noreturn]] void differ(const char* what, const QString& dom, const QString& tree) {
    std::fprintf(stderr, "xmltree differs from the DOM: %s\n  DOM:  %s\n  tree: %s\n", what,
                 qUtf8Printable(dom), qUtf8Printable(tree));
    std::abort();
}

QString nullable(const QString& s) {
    return s.isNull() ? QStringLiteral("(null)") : QLatin1Char('"') + s + QLatin1Char('"');
}

void compare(const QDomNode& dom, const SV_XmlNode& tree) {
    std::vector<std::pair<QDomNode, SV_XmlNode>> pending{{dom, tree}};
    while (!pending.empty()) {
        auto [d, t] = pending.back();
        pending.pop_back();
        if (d.isNull() != t.isNull())
            differ("node present", d.nodeName(), t.nodeName());
        if (d.isNull())
            continue;
        if (d.nodeName() != t.nodeName())
            differ("name", d.nodeName(), t.nodeName());
        if (d.isElement() != t.isElement())
            differ("element", d.nodeName(), t.nodeName());
        if (d.isElement()) {
            const QDomElement e = d.toElement();
            const QDomNamedNodeMap attributes = e.attributes();
            for (int i = 0; i < attributes.size(); ++i) {
                const QString name = attributes.item(i).nodeName();
                if (!t.hasAttribute(name))
                    differ("attribute present", name, QString());
                if (nullable(e.attribute(name)) != nullable(t.attribute(name)))
                    differ("attribute value", nullable(e.attribute(name)),
                           nullable(t.attribute(name)));
            }
            if (t.hasAttribute(QStringLiteral("\x01")))
                differ("attribute that cannot exist", QString(), QStringLiteral("\\x01"));
            if (nullable(e.text()) != nullable(t.text()))
                differ("element text", nullable(e.text()), nullable(t.text()));
            if (e.firstChildElement().tagName() != t.firstChildElement().tagName())
                differ("first child element", e.firstChildElement().tagName(),
                       t.firstChildElement().tagName());
        } else if (d.nodeType() != QDomNode::EntityReferenceNode &&
                   nullable(d.nodeValue()) != nullable(t.nodeValue())) {
            differ("value", nullable(d.nodeValue()), nullable(t.nodeValue()));
        }
        // Children: an entity reference's expansion is the DOM's own business.
        if (d.nodeType() == QDomNode::EntityReferenceNode)
            continue;
        QDomNode dc = d.firstChild();
        SV_XmlNode tc = t.firstChild();
        for (; !dc.isNull() && !tc.isNull(); dc = dc.nextSibling(), tc = tc.nextSibling())
            pending.push_back({dc, tc});
        if (dc.isNull() != tc.isNull())
            differ("number of children", d.nodeName(), t.nodeName());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray xml(reinterpret_cast<const char*>(data), qsizetype(size));
    QDomDocument dom;
    const bool domRead = dom.setContent(xml) && !dom.documentElement().isNull();
    SV_XmlDocument tree;
    const bool treeRead = tree.setContent(xml);
    const bool tooDeep = domRead && deepest(dom.documentElement()) > SV_XmlDocument::kMaxDepth;
    if (treeRead != (domRead && !tooDeep))
        differ("accepted", domRead ? (tooDeep ? "yes, too deep" : "yes") : "no",
               treeRead ? "yes" : "no");
    if (treeRead)
        compare(dom.documentElement(), tree.documentElement());
    return 0;
}
