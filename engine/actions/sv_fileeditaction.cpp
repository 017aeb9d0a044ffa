#include "sv_fileeditaction.h"

#include "sv_filereplacer.h"
#include "sv_variableregexp.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

// The text of the error for a pattern that cannot be used.
QString invalidPattern(const QString& text) {
    return QStringLiteral("The Regular Expression: %1 is invalid").arg(text);
}

// Rewrites an install file's pattern into the engine's expression syntax, keeping its
// meaning: "$" (outside a bracket expression, not escaped) stands for the very end of the
// text, never for a position before a final line end.
QString endOnlyDollars(const QString& pattern) {
    QString result;
    result.reserve(pattern.size() + 8);
    bool inClass = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        // Quoted text ("\Q...\E") is taken as written.
        if (c == QLatin1Char('\\') && i + 1 < pattern.size() &&
            pattern.at(i + 1) == QLatin1Char('Q')) {
            const qsizetype end = pattern.indexOf(QLatin1String("\\E"), i + 2);
            const qsizetype stop = end < 0 ? pattern.size() : end + 2;
            result += pattern.mid(i, stop - i);
            i = stop - 1;
            continue;
        }
        if (c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            result += c;
            result += pattern.at(++i);
            continue;
        }
        if (inClass) {
            // A POSIX class name ("[:alpha:]") inside a bracket expression.
            if (c == QLatin1Char('[') && i + 1 < pattern.size() &&
                pattern.at(i + 1) == QLatin1Char(':')) {
                const qsizetype end = pattern.indexOf(QLatin1String(":]"), i + 2);
                if (end > 0) {
                    result += pattern.mid(i, end + 2 - i);
                    i = end + 1;
                    continue;
                }
            }
            if (c == QLatin1Char(']'))
                inClass = false;
            result += c;
            continue;
        }
        if (c == QLatin1Char('[')) {
            inClass = true;
            result += c;
            // A "]" right after "[" or "[^" is a member, not the end.
            if (i + 1 < pattern.size() && pattern.at(i + 1) == QLatin1Char('^'))
                result += pattern.at(++i);
            if (i + 1 < pattern.size() && pattern.at(i + 1) == QLatin1Char(']'))
                result += pattern.at(++i);
            continue;
        }
        if (c == QLatin1Char('$'))
            result += QLatin1String("\\z");
        else
            result += c;
    }
    return result;
}

// A pattern of the install file as the file-edit action means it: matched against the
// whole content as one text, where a line end is an ordinary character ("." matches it,
// "^" is the start and "$" the very end of the text), "\w", "\d", "\s" and "\b" know every
// Unicode letter, digit and space, and letters are told apart by case. An empty pattern
// is invalid: it would match between every two characters.
QRegularExpression filePattern(const QString& text) {
    if (text.isEmpty())
        return QRegularExpression(QStringLiteral("("));
    return QRegularExpression(endOnlyDollars(text),
                              QRegularExpression::DotMatchesEverythingOption |
                                  QRegularExpression::UseUnicodePropertiesOption);
}

// The line end the content uses: CRLF when it holds one, a newline otherwise.
QString lineEnd(const QString& content) {
    return content.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
}

} // namespace

void SV_FileEditAction::slot_start() {
    SV_Action::slot_start();
    QString fileName = option(QStringLiteral("file"));
    QString newString = option(QStringLiteral("newstring"));
    QString action = option(QStringLiteral("action"));
    SV_VariableRegExp::fixString(fileName);
    SV_VariableRegExp::fixString(newString);
    SV_VariableRegExp::fixString(action);
    log(ID(), QStringLiteral("changing file: %1\nnewstring = %2\naction to perform = %3")
                  .arg(fileName, newString, action));

    QFile file(fileName);
    if (!file.exists()) {
        err(ID(), QStringLiteral("Input File %1 does not exist").arg(fileName));
        slot_setDone();
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        err(ID(), QStringLiteral("Could not open input file: %1 for reading").arg(fileName));
        slot_setDone();
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();

    // The file is written back in the encoding it was read in: UTF-8 when it is valid
    // UTF-8, otherwise byte for byte (Latin-1), so that no byte the edit does not touch
    // changes.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString content = utf8.decode(bytes);
    const bool isUtf8 = !utf8.hasError();
    if (!isUtf8)
        content = QString::fromLatin1(bytes);

    bool changed = false;
    if (action == QLatin1String("replace"))
        changed = replace(content, newString);
    else if (action == QLatin1String("add_newline"))
        changed = addNewline(content, newString);

    if (changed) {
        const QByteArray out = isUtf8 ? content.toUtf8() : content.toLatin1();
        SV_FileReplacer replacer(fileName);
        if (!replacer.create() || !replacer.write(out) || !replacer.commit()) {
            dbg(QStringLiteral("SV_FileEditAction: ") + replacer.errorString());
            err(ID(), QStringLiteral("Could not write to file %1").arg(fileName));
        }
    }
    slot_setDone();
}

bool SV_FileEditAction::replace(QString& content, const QString& newString) {
    const QString patternText = option(QStringLiteral("replace_regexp"));
    const QRegularExpression pattern = filePattern(patternText);
    if (!pattern.isValid()) {
        err(ID(), invalidPattern(patternText));
        return false;
    }
    bool changed = false;
    qsizetype from = 0;
    while (from <= content.size()) {
        const QRegularExpressionMatch match = pattern.match(content, from);
        if (!match.hasMatch())
            break;
        const qsizetype p = match.capturedStart();
        const qsizetype n = match.capturedLength();
        content.replace(p, n, newString);
        changed = true;
        // The inserted text is not searched again; after an empty match the search moves
        // on by one character, or it would match at the same place for ever.
        from = p + newString.size() + (n == 0 ? 1 : 0);
    }
    if (!changed) {
        if (option(QStringLiteral("fallback")) == QLatin1String("append")) {
            content += lineEnd(content) + newString;
            changed = true;
        } else {
            log(ID(),
                QStringLiteral("The Regular Expression: %1 matched nothing").arg(patternText));
        }
    }
    return changed;
}

bool SV_FileEditAction::addNewline(QString& content, const QString& newString) {
    // Both patterns are checked first: a pattern that cannot be used leaves the file alone.
    const QString uniqueText = option(QStringLiteral("unique_regexp"));
    const QString appendText = option(QStringLiteral("append_regexp"));
    const QRegularExpression unique = filePattern(uniqueText);
    const QRegularExpression append = filePattern(appendText);
    bool valid = true;
    if (!uniqueText.isEmpty() && !unique.isValid()) {
        err(ID(), invalidPattern(uniqueText));
        valid = false;
    }
    if (!appendText.isEmpty() && !append.isValid()) {
        err(ID(), invalidPattern(appendText));
        valid = false;
    }
    if (!valid)
        return false;

    const bool needed =
        uniqueText.isEmpty() ? !content.contains(newString) : !unique.match(content).hasMatch();
    if (!needed)
        return false;

    const QString eol = lineEnd(content);
    if (content.isEmpty()) {
        // An empty file becomes the new line.
        content = newString + eol;
        return true;
    }

    qsizetype position = -1;
    if (!appendText.isEmpty()) {
        const QRegularExpressionMatch match = append.match(content);
        if (match.hasMatch()) {
            position = content.indexOf(QLatin1Char('\n'), match.capturedEnd());
            if (position < 0)
                position = content.size();
        }
    }
    if (position < 0) {
        // After the last line: before the final newline, or at the very end when the last
        // line has none (inserting before its last character would split that line).
        position = content.endsWith(QLatin1Char('\n')) ? content.size() - 1 : content.size();
    }
    // A new line between a CR and its LF would break the CRLF line end.
    if (position > 0 && position < content.size() && content.at(position) == QLatin1Char('\n') &&
        content.at(position - 1) == QLatin1Char('\r'))
        --position;
    content.insert(position, eol + newString);
    return true;
}
