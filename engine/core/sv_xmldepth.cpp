#include "sv_xmldepth.h"

#include <QXmlStreamReader>

#include <cstring>

namespace {

// Encodings in which every byte below 0x80 stands for its ASCII character, so that markup
// can be found in the bytes themselves (the bytes of a UTF-8 sequence are all 0x80 or above).
bool asciiCompatible(QByteArrayView name) {
    static const char* const names[] = {"utf-8",      "utf8",   "us-ascii",    "ascii",
                                        "iso-8859-1", "latin1", "iso-8859-15", "iso-latin-1"};
    for (const char* n : names)
        if (name.compare(QByteArrayView(n), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// True when the text can be scanned byte by byte: it starts (after an optional UTF-8 byte
// order mark and ASCII white space) with '<', and an XML declaration names no encoding or an
// ASCII-compatible one. UTF-16 and UTF-32 texts (whose first bytes hold a NUL or a byte
// order mark of their own), and declarations of any other encoding, are left to the reader.
bool scannable(const QByteArray& xml, qsizetype& start) {
    start = xml.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < xml.size() && (xml.at(start) == ' ' || xml.at(start) == '\t' ||
                                  xml.at(start) == '\r' || xml.at(start) == '\n'))
        ++start;
    if (start >= xml.size())
        return true; // no markup at all
    if (xml.at(start) != '<')
        return false;
    if (!QByteArrayView(xml).sliced(start).startsWith("<?xml"))
        return true;
    const qsizetype end = xml.indexOf("?>", start);
    if (end < 0)
        return false;
    const QByteArrayView decl = QByteArrayView(xml).sliced(start, end - start);
    const qsizetype at = decl.indexOf("encoding");
    if (at < 0)
        return true;
    qsizetype i = at + 8;
    while (i < decl.size() && (decl[i] == ' ' || decl[i] == '\t' || decl[i] == '\r' ||
                               decl[i] == '\n' || decl[i] == '='))
        ++i;
    if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\''))
        return false;
    const char quote = decl[i];
    const qsizetype close = decl.indexOf(quote, i + 1);
    return close > i && asciiCompatible(decl.sliced(i + 1, close - i - 1));
}

} // namespace

bool xmlNestsDeeperThanStreamed(const QByteArray& xml, int limit) {
    QXmlStreamReader reader(xml);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > limit)
                return true;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return false;
}

// Counts start and end tags in the bytes, stepping over comments, CDATA sections,
// processing instructions and quoted attribute values. Where the text is well-formed this
// counts exactly as the reader does; where it is not, the reader (and so the DOM parser)
// stops at the fault, and what the count says beyond it does not matter. A document type
// declaration can define entities whose text holds markup: those are left to the reader.
bool xmlNestsDeeperThan(const QByteArray& xml, int limit) {
    qsizetype i = 0;
    if (!scannable(xml, i))
        return xmlNestsDeeperThanStreamed(xml, limit);
    const char* const p = xml.constData();
    const qsizetype n = xml.size();
    // The position just past the next `what` at or after `from`; n when there is none.
    auto after = [p, n](qsizetype from, const char* what) -> qsizetype {
        const qsizetype len = static_cast<qsizetype>(std::strlen(what));
        const QByteArrayView text(p, n);
        const qsizetype at = text.indexOf(QByteArrayView(what, len), from);
        return at < 0 ? n : at + len;
    };
    auto startsAt = [p, n](qsizetype at, const char* what) {
        const qsizetype len = static_cast<qsizetype>(std::strlen(what));
        return at + len <= n && std::memcmp(p + at, what, static_cast<size_t>(len)) == 0;
    };

    int depth = 0;
    while (i < n) {
        const void* lt = std::memchr(p + i, '<', static_cast<size_t>(n - i));
        if (!lt)
            break;
        i = static_cast<const char*>(lt) - p;
        if (i + 1 >= n)
            break;
        const char next = p[i + 1];
        if (next == '/') {
            --depth;
            i = after(i + 2, ">");
        } else if (next == '?') {
            i = after(i + 2, "?>");
        } else if (next == '!') {
            if (startsAt(i, "<!--"))
                i = after(i + 4, "-->");
            else if (startsAt(i, "<![CDATA["))
                i = after(i + 9, "]]>");
            else
                return xmlNestsDeeperThanStreamed(xml, limit); // <!DOCTYPE and the like
        } else {
            if (++depth > limit)
                return true;
            qsizetype j = i + 1;
            while (j < n && p[j] != '>') {
                if (p[j] == '"' || p[j] == '\'') {
                    const void* close =
                        std::memchr(p + j + 1, p[j], static_cast<size_t>(n - j - 1));
                    j = close ? static_cast<const char*>(close) - p : n;
                }
                ++j;
            }
            if (j < n && p[j - 1] == '/')
                --depth; // <name/>
            i = j + 1;
        }
    }
    return false;
}
