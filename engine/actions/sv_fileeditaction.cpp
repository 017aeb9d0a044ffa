#include "sv_fileeditaction.h"

#include "sv_filereplacer.h"
#include "sv_variableregexp.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

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
    const QRegularExpression pattern(patternText);
    if (!pattern.isValid()) {
        err(ID(), QStringLiteral("The Regular Expression: %1 is invalid").arg(patternText));
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
    if (!changed && option(QStringLiteral("fallback")) == QLatin1String("append")) {
        content += lineEnd(content) + newString;
        changed = true;
    }
    return changed;
}

bool SV_FileEditAction::addNewline(QString& content, const QString& newString) {
    const QString uniqueText = option(QStringLiteral("unique_regexp"));
    bool needed;
    if (!uniqueText.isEmpty()) {
        const QRegularExpression unique(uniqueText);
        needed = !(unique.isValid() && unique.match(content).hasMatch());
    } else {
        needed = !content.contains(newString);
    }
    if (!needed)
        return false;

    const QString eol = lineEnd(content);
    if (content.isEmpty()) {
        // An empty file becomes the new line.
        content = newString + eol;
        return true;
    }

    qsizetype position = -1;
    const QRegularExpression append(option(QStringLiteral("append_regexp")));
    if (append.isValid() && !append.pattern().isEmpty()) {
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
