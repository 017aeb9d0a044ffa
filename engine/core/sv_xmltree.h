#ifndef SV_XMLTREE_H
#define SV_XMLTREE_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The install file as a read-only tree, built in one pass of the toolkit's XML tokenizer.
// A large install file is read many times faster, and held in a fraction of the memory,
// than with the toolkit's DOM, whose reading of the same text it reproduces node for node
// (the same tokenizer, namespace processing off): elements with their qualified names and
// attributes, text and CDATA nodes (text that is only white space is dropped), comments,
// processing instructions and entity references. Node handles follow the DOM's names and
// meanings (nodeName() "#text", "#cdata-section", "#comment", ...; a null node where there
// is none), so the loaders read as DOM code does.
class SV_XmlNode;

class SV_XmlDocument {
public:
    // Elements may nest this deep at the most: a document nested deeper is refused. The
    // engine walks parts of the tree recursively (stages within stages); real install files
    // nest about a dozen levels.
    static constexpr int kMaxDepth = 512;

    // Whether the tree keeps where each node begins in the text (line() and column()). The
    // engine's run does not need it; the install-file check does.
    enum Positions { NoPositions, WithPositions };

    // Reads the text; false (and an empty document) when it is not well-formed XML, has no
    // root element, or nests deeper than maxDepth. After a failure errorString(),
    // errorLine() and errorColumn() say what and where (1-based).
    bool setContent(const QByteArray& xml, int maxDepth = kMaxDepth,
                    Positions positions = NoPositions);
    QString errorString() const { return m_errorString; }
    int errorLine() const { return m_errorLine; }
    int errorColumn() const { return m_errorColumn; }
    // The root element; a null node before a successful setContent().
    SV_XmlNode documentElement() const;
    // Drops the tree (node handles still held keep theirs alive).
    void clear();

    struct Data;

private:
    std::shared_ptr<const Data> m_data;
    QString m_errorString;
    int m_errorLine = 0;
    int m_errorColumn = 0;
};

class SV_XmlNode {
public:
    enum Kind : unsigned char {
        Element,
        Text,
        CDATA,
        Comment,
        ProcessingInstruction,
        EntityReference
    };

    SV_XmlNode() = default;

    bool isNull() const { return !m_data; }
    bool isElement() const;
    bool isComment() const;
    // This node when it is an element, else a null node.
    SV_XmlNode toElement() const { return isElement() ? *this : SV_XmlNode(); }

    // An element's qualified name, "#text", "#cdata-section", "#comment", a processing
    // instruction's target or an entity's name; a null string for a null node.
    QString nodeName() const;
    // An element's name; a null string for any other node.
    QString tagName() const { return isElement() ? nodeName() : QString(); }

    SV_XmlNode firstChild() const;
    SV_XmlNode nextSibling() const;
    // The first child (next sibling) element with that name, any element for a null name.
    SV_XmlNode firstChildElement(const QString& tagName = QString()) const;
    SV_XmlNode nextSiblingElement(const QString& tagName = QString()) const;

    bool hasAttribute(const QString& name) const;
    // An element's attribute names in document order; empty for any other node.
    QStringList attributeNames() const;
    // The attribute's value (an empty value is an empty string, not a null one), or
    // defValue when the element has no such attribute.
    QString attribute(const QString& name, const QString& defValue = QString()) const;
    // The text of all text and CDATA nodes below an element, in document order (an empty
    // string when there is none); a null string for any other node.
    QString text() const;
    // The value of a text, CDATA or comment node, the data of a processing instruction; a
    // null string for any other node.
    QString nodeValue() const;

    // Where the node begins in the text (an element at its "<"), 1-based; 0 for a null node
    // and when the document was read without positions.
    int line() const;
    int column() const;

private:
    friend class SV_XmlDocument;
    SV_XmlNode(std::shared_ptr<const SV_XmlDocument::Data> data, quint32 index)
        : m_data(std::move(data)), m_index(index) {}
    SV_XmlNode at(quint32 index) const;

    std::shared_ptr<const SV_XmlDocument::Data> m_data;
    quint32 m_index = 0;
};

#endif
