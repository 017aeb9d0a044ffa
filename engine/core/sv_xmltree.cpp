#include "sv_xmltree.h"

#include <QHashFunctions>
#include <QXmlStreamReader>

namespace {

constexpr quint32 kNone = 0xFFFFFFFFu;

// A piece of the document's character store; offset kNone for a value that is missing.
struct Span {
    quint32 offset = 0;
    quint32 length = 0;
};

struct Node {
    quint32 name = kNone; // index into names (elements, processing instructions, entities)
    quint32 firstChild = kNone;
    quint32 nextSibling = kNone;
    quint32 firstAttribute = 0;
    quint32 attributeCount = 0;
    Span value; // text, CDATA, comment, processing instruction data
    SV_XmlNode::Kind kind = SV_XmlNode::Element;
};

struct Attribute {
    quint32 name = 0;
    Span value;
};

// Where a node begins: line and column, both 1-based.
struct Position {
    quint32 line = 0;
    quint32 column = 0;
};

} // namespace

struct SV_XmlDocument::Data {
    std::vector<Node> nodes; // in document order; the root element is the first
    std::vector<Position> positions; // one per node, when asked for; else empty
    std::vector<Attribute> attributes;
    QList<QString> names; // each distinct name once
    QString chars;        // every value and text, one after the other

    // As the tokenizer gave the value: an empty one is an empty string (an attribute's
    // value="", an empty comment), a missing one a null string (a processing instruction
    // without data).
    QString string(Span span) const {
        if (span.offset == kNone)
            return QString();
        return span.length ? chars.mid(span.offset, span.length) : QStringLiteral("");
    }
    QStringView view(Span span) const {
        return span.offset == kNone ? QStringView()
                                    : QStringView(chars).mid(span.offset, span.length);
    }
};

namespace {

// Gives each distinct name one index; the few names of a document are met again and again.
class NameTable {
public:
    explicit NameTable(QList<QString>& names) : m_names(names), m_slots(64, kNone) {}

    quint32 index(QStringView name) {
        if (2 * (m_names.size() + 1) > qsizetype(m_slots.size()))
            grow();
        const size_t mask = m_slots.size() - 1;
        for (size_t i = hash(name) & mask;; i = (i + 1) & mask) {
            const quint32 at = m_slots[i];
            if (at == kNone) {
                m_slots[i] = quint32(m_names.size());
                m_names.append(name.toString());
                return m_slots[i];
            }
            if (m_names.at(at) == name)
                return at;
        }
    }

private:
    // Seeded per process, so that no document can be made of names that all collide.
    static size_t hash(QStringView name) { return qHash(name, QHashSeed::globalSeed()); }

    void grow() {
        std::vector<quint32> bigger(m_slots.size() * 2, kNone);
        const size_t mask = bigger.size() - 1;
        for (quint32 at = 0; at < quint32(m_names.size()); ++at) {
            size_t i = hash(m_names.at(at)) & mask;
            while (bigger[i] != kNone)
                i = (i + 1) & mask;
            bigger[i] = at;
        }
        m_slots.swap(bigger);
    }

    QList<QString>& m_names;
    std::vector<quint32> m_slots;
};

// Builds the tree from the tokenizer's stream, linking each node to its parent's last child.
class Builder {
public:
    Builder(SV_XmlDocument::Data& data, bool positions)
        : m_data(data), m_names(data.names), m_positions(positions) {}

    QString errorString;
    int errorLine = 0;
    int errorColumn = 0;

    bool read(const QByteArray& xml, int maxDepth) {
        QXmlStreamReader reader(xml);
        reader.setNamespaceProcessing(false);
        const bool ok = readTokens(reader, xml, maxDepth);
        if (!ok) {
            errorString = reader.hasError() ? reader.errorString()
                                            : QStringLiteral("not a readable install file");
            errorLine = int(reader.lineNumber());
            errorColumn = int(reader.columnNumber()) + 1;
        }
        return ok;
    }

private:
    // White space before the root element is no token of its own: the root begins after it.
    // (Counted in bytes, which are the characters of every ASCII-compatible encoding; in
    // any other the place stays where the previous token ended.)
    void skipPrologSpace(const QByteArray& xml, qint64 offset) {
        quint32 line = m_line, column = m_column;
        for (qint64 i = offset; i >= 0 && i < xml.size(); ++i) {
            const char c = xml.at(i);
            if (c == '<') {
                m_line = line;
                m_column = column;
                return;
            }
            if (c == '\n') {
                ++line;
                column = 1;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++column;
            } else {
                return;
            }
        }
    }

    bool readTokens(QXmlStreamReader& reader, const QByteArray& xml, int maxDepth) {
        while (!reader.atEnd()) {
            // Every token begins where the one before it ended (white space between tags is
            // a token of its own), so that end is where a new node begins; the tokenizer ends
            // a text only once it has read the "<" after it.
            qint64 offset = 0;
            if (m_positions) {
                m_line = quint32(reader.lineNumber());
                m_column = quint32(reader.columnNumber()) + (m_afterText ? 0 : 1);
                offset = reader.characterOffset();
            }
            const QXmlStreamReader::TokenType token = reader.readNext();
            if (m_positions && token == QXmlStreamReader::StartElement && m_open.empty())
                skipPrologSpace(xml, offset);
            m_afterText = token == QXmlStreamReader::Characters && !reader.isCDATA();
            switch (token) {
            case QXmlStreamReader::StartElement: {
                if (int(m_open.size()) >= maxDepth) {
                    reader.raiseError(QStringLiteral("elements nest deeper than %1 levels")
                                          .arg(maxDepth));
                    return false;
                }
                const quint32 index = add(SV_XmlNode::Element, reader.qualifiedName());
                if (index == kNone)
                    return false; // a second root element (the tokenizer says so too), or too many
                Node& node = m_data.nodes[index];
                const QXmlStreamAttributes attributes = reader.attributes();
                if (m_data.attributes.size() + attributes.size() >= kNone)
                    return false;
                node.firstAttribute = quint32(m_data.attributes.size());
                node.attributeCount = quint32(attributes.size());
                for (const QXmlStreamAttribute& a : attributes)
                    m_data.attributes.push_back(
                        {m_names.index(a.qualifiedName()), store(a.value())});
                m_open.push_back({index, kNone});
                break;
            }
            case QXmlStreamReader::EndElement:
                m_open.pop_back();
                break;
            case QXmlStreamReader::Characters:
                if (reader.isCDATA())
                    addValue(SV_XmlNode::CDATA, reader.text());
                else if (!reader.isWhitespace())
                    addValue(SV_XmlNode::Text, reader.text());
                break;
            case QXmlStreamReader::Comment:
                addValue(SV_XmlNode::Comment, reader.text());
                break;
            case QXmlStreamReader::ProcessingInstruction:
                addValue(SV_XmlNode::ProcessingInstruction, reader.processingInstructionData(),
                         reader.processingInstructionTarget());
                break;
            case QXmlStreamReader::EntityReference:
                add(SV_XmlNode::EntityReference, reader.name());
                break;
            case QXmlStreamReader::DTD:
                // The tokenizer takes a document type anywhere; the document has at most
                // one, before its root element.
                if (m_sawDocumentType || !m_data.nodes.empty()) {
                    reader.raiseError(QStringLiteral("a document type after the first or "
                                                     "after the root element"));
                    return false;
                }
                m_sawDocumentType = true;
                break;
            default: // the document's start and end
                break;
            }
        }
        if (!reader.hasError() && m_data.nodes.empty())
            reader.raiseError(QStringLiteral("no root element"));
        return !reader.hasError() && !m_tooLarge && !m_data.nodes.empty() &&
               m_data.nodes.front().kind == SV_XmlNode::Element;
    }

    struct Open {
        quint32 element;
        quint32 lastChild;
    };

    // A new node below the innermost open element. Nodes outside the root element (comments
    // and processing instructions before or after it) are not kept: they get kNone.
    quint32 add(SV_XmlNode::Kind kind, QStringView name = {}) {
        if (m_open.empty() && (kind != SV_XmlNode::Element || !m_data.nodes.empty()))
            return kNone;
        if (m_data.nodes.size() >= kNone - 1) {
            m_tooLarge = true;
            return kNone;
        }
        const quint32 index = quint32(m_data.nodes.size());
        Node node;
        node.kind = kind;
        if (!name.isNull())
            node.name = m_names.index(name);
        m_data.nodes.push_back(node);
        if (m_positions)
            m_data.positions.push_back({m_line, m_column});
        if (!m_open.empty()) {
            Open& parent = m_open.back();
            if (parent.lastChild == kNone)
                m_data.nodes[parent.element].firstChild = index;
            else
                m_data.nodes[parent.lastChild].nextSibling = index;
            parent.lastChild = index;
        }
        return index;
    }

    // A node that holds a value, when it is kept.
    void addValue(SV_XmlNode::Kind kind, QStringView value, QStringView name = {}) {
        const quint32 index = add(kind, name);
        if (index != kNone)
            m_data.nodes[index].value = store(value);
    }

    Span store(QStringView text) {
        if (text.isNull())
            return Span{kNone, 0};
        if (m_data.chars.size() + text.size() >= qsizetype(kNone))
            m_tooLarge = true; // offsets are 32 bits: a text of 4 G characters is refused
        if (m_tooLarge)
            return Span{};
        Span span{quint32(m_data.chars.size()), quint32(text.size())};
        m_data.chars.append(text);
        return span;
    }

    SV_XmlDocument::Data& m_data;
    NameTable m_names;
    std::vector<Open> m_open;
    bool m_sawDocumentType = false;
    bool m_tooLarge = false;
    const bool m_positions;
    bool m_afterText = false;
    quint32 m_line = 0;
    quint32 m_column = 0;
};

} // namespace

bool SV_XmlDocument::setContent(const QByteArray& xml, int maxDepth, Positions positions) {
    m_data.reset();
    m_errorString.clear();
    m_errorLine = m_errorColumn = 0;
    auto data = std::make_shared<Data>();
    // Every value and text is shorter than the text it came from; the pages of the store that
    // are never written are never touched. The tree lives only while the file is loaded.
    data->chars.reserve(xml.size());
    Builder builder(*data, positions == WithPositions);
    if (!builder.read(xml, maxDepth)) {
        m_errorString = builder.errorString;
        m_errorLine = builder.errorLine;
        m_errorColumn = builder.errorColumn;
        return false;
    }
    m_data = std::move(data);
    return true;
}

SV_XmlNode SV_XmlDocument::documentElement() const {
    return m_data ? SV_XmlNode(m_data, 0) : SV_XmlNode();
}

void SV_XmlDocument::clear() {
    m_data.reset();
}

// ---- node handles ----------------------------------------------------------------------

SV_XmlNode SV_XmlNode::at(quint32 index) const {
    return index == kNone ? SV_XmlNode() : SV_XmlNode(m_data, index);
}

bool SV_XmlNode::isElement() const {
    return m_data && m_data->nodes[m_index].kind == Element;
}

bool SV_XmlNode::isComment() const {
    return m_data && m_data->nodes[m_index].kind == Comment;
}

QString SV_XmlNode::nodeName() const {
    if (!m_data)
        return QString();
    const Node& node = m_data->nodes[m_index];
    switch (node.kind) {
    case Text:
        return QStringLiteral("#text");
    case CDATA:
        return QStringLiteral("#cdata-section");
    case Comment:
        return QStringLiteral("#comment");
    default:
        return m_data->names.at(node.name);
    }
}

SV_XmlNode SV_XmlNode::firstChild() const {
    return m_data ? at(m_data->nodes[m_index].firstChild) : SV_XmlNode();
}

SV_XmlNode SV_XmlNode::nextSibling() const {
    return m_data ? at(m_data->nodes[m_index].nextSibling) : SV_XmlNode();
}

namespace {

// The first element from `index` on along the sibling links with that name (any name when
// tagName is empty).
quint32 elementFrom(const SV_XmlDocument::Data& data, quint32 index, const QString& tagName) {
    for (; index != kNone; index = data.nodes[index].nextSibling) {
        const Node& node = data.nodes[index];
        if (node.kind == SV_XmlNode::Element &&
            (tagName.isEmpty() || data.names.at(node.name) == tagName))
            return index;
    }
    return kNone;
}

} // namespace

SV_XmlNode SV_XmlNode::firstChildElement(const QString& tagName) const {
    if (!m_data)
        return SV_XmlNode();
    return at(elementFrom(*m_data, m_data->nodes[m_index].firstChild, tagName));
}

SV_XmlNode SV_XmlNode::nextSiblingElement(const QString& tagName) const {
    if (!m_data)
        return SV_XmlNode();
    return at(elementFrom(*m_data, m_data->nodes[m_index].nextSibling, tagName));
}

bool SV_XmlNode::hasAttribute(const QString& name) const {
    if (!isElement())
        return false;
    const Node& node = m_data->nodes[m_index];
    for (quint32 i = 0; i < node.attributeCount; ++i)
        if (m_data->names.at(m_data->attributes[node.firstAttribute + i].name) == name)
            return true;
    return false;
}

QStringList SV_XmlNode::attributeNames() const {
    QStringList names;
    if (!isElement())
        return names;
    const Node& node = m_data->nodes[m_index];
    for (quint32 i = 0; i < node.attributeCount; ++i)
        names.append(m_data->names.at(m_data->attributes[node.firstAttribute + i].name));
    return names;
}

QString SV_XmlNode::attribute(const QString& name, const QString& defValue) const {
    if (!isElement())
        return defValue;
    const Node& node = m_data->nodes[m_index];
    for (quint32 i = 0; i < node.attributeCount; ++i) {
        const Attribute& a = m_data->attributes[node.firstAttribute + i];
        if (m_data->names.at(a.name) == name)
            return m_data->string(a.value);
    }
    return defValue;
}

QString SV_XmlNode::text() const {
    if (!isElement())
        return QString();
    QString text(QStringLiteral(""));
    // Depth first through the element's descendants, without recursion.
    std::vector<quint32> pending{m_data->nodes[m_index].firstChild};
    while (!pending.empty()) {
        const quint32 index = pending.back();
        if (index == kNone) {
            pending.pop_back();
            continue;
        }
        const Node& node = m_data->nodes[index];
        pending.back() = node.nextSibling;
        if (node.kind == Text || node.kind == CDATA)
            text += m_data->view(node.value);
        else if (node.kind == Element)
            pending.push_back(node.firstChild);
    }
    return text;
}

QString SV_XmlNode::nodeValue() const {
    if (!m_data)
        return QString();
    const Node& node = m_data->nodes[m_index];
    if (node.kind == Element || node.kind == EntityReference)
        return QString();
    return m_data->string(node.value);
}

int SV_XmlNode::line() const {
    return m_data && m_index < m_data->positions.size() ? int(m_data->positions[m_index].line) : 0;
}

int SV_XmlNode::column() const {
    return m_data && m_index < m_data->positions.size() ? int(m_data->positions[m_index].column)
                                                        : 0;
}
