#include "sv_variableregexp.h"

#include "sv_engine.h"
#include "sv_variable.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// Two dollar signs, a run of identifier characters, two dollar signs. In the bracket
// expression ":-_" is the range from the colon to the underscore, so the hyphen itself
// is not an identifier character.
const QRegularExpression& referencePattern() {
    static const QRegularExpression pattern(QStringLiteral("\\$\\$[a-zA-Z0-9:-_]*\\$\\$"));
    return pattern;
}

const QString kMarker = QStringLiteral("$$");

// The variable of a reference; an unknown id is a fault of the install file and ends
// the program (after the lookup's own debug message).
SV_Variable* referencedVariable(const QString& id) {
    SV_Variable* variable = SV_Engine::engine()->variable(id);
    if (!variable) {
        const QByteArray message =
            QStringLiteral("SV_VariableRegExp::fixString, Found an invalid variable ID: %1")
                .arg(id)
                .toLocal8Bit();
        qFatal("%s", message.constData());
    }
    return variable;
}

} // namespace

void SV_VariableRegExp::fixString(QString& s) {
    if (!s.contains(kMarker))
        return;
    const QRegularExpression& pattern = referencePattern();
    qsizetype from = 0;
    QRegularExpressionMatch match = pattern.match(s, from);
    while (match.hasMatch()) {
        const qsizetype p = match.capturedStart();
        const qsizetype n = match.capturedLength();
        const QString v = referencedVariable(s.mid(p + 2, n - 4))->value();
        s.replace(p, n, v);
        // The search resumes after the inserted value: a reference that a value contains
        // is not expanded again.
        from = p + v.size();
        match = pattern.match(s, from);
    }
}

namespace {

// Reads a file in large blocks and hands out one line at a time, without its line
// terminator ("\n" or "\r\n"). Only the current block and the current line are held.
class LineReader {
public:
    explicit LineReader(QFile& file) : m_file(file) { m_buffer.resize(kBlock); }

    // False at the end of the file.
    bool next(const char*& line, qsizetype& length) {
        for (;;) {
            const char* begin = m_buffer.constData() + m_start;
            const qsizetype available = m_end - m_start;
            if (available > 0) {
                const void* nl = memchr(begin, '\n', size_t(available));
                if (nl) {
                    const qsizetype len = static_cast<const char*>(nl) - begin;
                    m_start += len + 1;
                    line = begin;
                    length = (len > 0 && begin[len - 1] == '\r') ? len - 1 : len;
                    return true;
                }
            }
            if (m_eof) {
                if (available <= 0)
                    return false;
                // Last line without a terminator.
                line = begin;
                length = available;
                m_start = m_end;
                return true;
            }
            fill();
        }
    }

private:
    void fill() {
        // Keep the unfinished line, move it to the front and grow the buffer if the
        // line alone fills it.
        const qsizetype pending = m_end - m_start;
        if (m_start > 0 && pending > 0)
            memmove(m_buffer.data(), m_buffer.constData() + m_start, size_t(pending));
        m_start = 0;
        m_end = pending;
        if (m_buffer.size() - m_end < kBlock / 2)
            m_buffer.resize(m_buffer.size() * 2);
        const qint64 got = m_file.read(m_buffer.data() + m_end, m_buffer.size() - m_end);
        if (got <= 0)
            m_eof = true;
        else
            m_end += got;
    }

    static constexpr qsizetype kBlock = 256 * 1024;
    QFile& m_file;
    QByteArray m_buffer;
    qsizetype m_start = 0;
    qsizetype m_end = 0;
    bool m_eof = false;
};

// Collects output and hands it to the file in large blocks.
class BlockWriter {
public:
    explicit BlockWriter(QFile& file) : m_file(file) { m_buffer.reserve(kBlock + 4096); }
    ~BlockWriter() { flush(); }

    void append(const char* data, qsizetype length) {
        m_buffer.append(data, size_t(length));
        if (m_buffer.size() >= size_t(kBlock))
            flush();
    }
    void append(const QByteArray& data) { append(data.constData(), data.size()); }
    void flush() {
        if (!m_buffer.empty() &&
            m_file.write(m_buffer.data(), qint64(m_buffer.size())) != qint64(m_buffer.size()))
            m_failed = true;
        m_buffer.clear(); // keeps the capacity
    }
    bool failed() const { return m_failed; }

private:
    static constexpr qsizetype kBlock = 256 * 1024;
    QFile& m_file;
    std::string m_buffer;
    bool m_failed = false;
};

// The identifier characters of the reference pattern: a-z, A-Z, 0-9 and the range from
// ':' to '_'. All are ASCII, and so are the dollar signs; bytes of multi-byte UTF-8
// characters never are, so scanning the UTF-8 bytes of a line finds exactly the matches
// that the pattern finds in its text.
bool isIdByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c >= ':' && c <= '_');
}

// Writes one template line with its references replaced, matching as the pattern does
// (leftmost first, each expanded once). Lines without "$$" are copied as they stand.
void fillLine(const char* line, qsizetype length, BlockWriter& writer) {
    const char* end = line + length;
    const char* copied = line; // start of the text not yet written
    const char* from = line;
    while (from < end) {
        const void* hit = memchr(from, '$', size_t(end - from));
        if (!hit)
            break;
        const char* p = static_cast<const char*>(hit);
        if (p + 1 >= end || p[1] != '$') {
            from = p + 1;
            continue;
        }
        const char* q = p + 2;
        while (q < end && isIdByte(static_cast<unsigned char>(*q)))
            ++q;
        if (q + 1 >= end || q[0] != '$' || q[1] != '$') {
            from = p + 1; // no reference starts here
            continue;
        }
        const QString id = QString::fromLatin1(p + 2, q - p - 2);
        const QByteArray value = referencedVariable(id)->value().toUtf8();
        writer.append(copied, p - copied);
        writer.append(value);
        copied = from = q + 2;
    }
    writer.append(copied, end - copied);
}

} // namespace

bool SV_VariableRegExp::fixTemplateFile(const QString& templatePath, QString& outputPath) {
    QFile output;
    if (outputPath.isEmpty()) {
        QByteArray name("/tmp/vantortemplateXXXXXX");
        const int fd = mkstemp(name.data()); // owner-only permissions
        if (fd < 0)
            return false;
        outputPath = QFile::decodeName(name);
        if (!output.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                         QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            return false;
        }
    } else {
        output.setFileName(outputPath);
        if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            return false;
    }

    bool written = true;
    QFile input(templatePath);
    if (input.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        LineReader reader(input);
        BlockWriter writer(output);
        const char* line = nullptr;
        qsizetype length = 0;
        int counter = 0;
        for (;;) {
            if (++counter > 10) {
                counter = 0;
                if (QCoreApplication::instance())
                    QCoreApplication::processEvents();
            }
            if (!reader.next(line, length))
                break;
            fillLine(line, length, writer);
            writer.append("\n", 1);
        }
        writer.flush();
        written = !writer.failed();
    }
    // A filled-out copy that did not reach the disk in full (a full file system, say)
    // must not be installed as if it were complete.
    if (!output.flush())
        written = false;
    output.close();
    return written;
}

QList<SV_VariableRegExp::Reference> SV_VariableRegExp::references(const QString& s) {
    QList<Reference> found;
    if (!s.contains(kMarker))
        return found;
    QRegularExpressionMatchIterator it = referencePattern().globalMatch(s);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        found.append({match.capturedStart(), s.mid(match.capturedStart() + 2, match.capturedLength() - 4)});
    }
    return found;
}
