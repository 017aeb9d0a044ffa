// The installation log: the three message stores and their two renderings. Messages keep
// every character; the rich text (the log window) escapes ids and texts, so that they show
// as written, and has its headings in the user's language; the plain text (the saved log)
// is the same in every language.
#include "sv_engine.h"

#include "sv_secrets.h"

#include <QDomCDATASection>
#include <QDomNode>

namespace {

const QString kIndent = QStringLiteral("   ");

void appendMessage(QDomDocument& doc, const QString& type, const QString& id,
                   const QString& message) {
    QDomElement element = doc.createElement(QStringLiteral("log-message"));
    element.setAttribute(QStringLiteral("type"), type);
    element.setAttribute(QStringLiteral("id"), id);
    // Every character is kept; secrets are hidden before the text is stored.
    element.appendChild(doc.createCDATASection(SV_Secrets::hide(message)));
    doc.documentElement().appendChild(element);
}

struct StoredMessage {
    QString id;
    QString text;
};

// The stored messages of one log document, in the order in which they were added.
QList<StoredMessage> storedMessages(const QDomDocument& doc) {
    QList<StoredMessage> messages;
    for (QDomElement e = doc.documentElement().firstChildElement(); !e.isNull();
         e = e.nextSiblingElement()) {
        if (e.tagName() != QLatin1String("log-message"))
            continue;
        StoredMessage m;
        m.id = e.attribute(QStringLiteral("id"));
        for (QDomNode n = e.firstChild(); !n.isNull(); n = n.nextSibling()) {
            if (n.isCDATASection()) {
                m.text = n.toCDATASection().data();
                break;
            }
        }
        messages.append(m);
    }
    return messages;
}

void appendIndentedLines(QString& out, const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines)
        out += kIndent + line + QLatin1Char('\n');
}

bool wantsErrors(SV_LogMessageType type) {
    return type == SV_LogError || type == SV_LogAll;
}
bool wantsLog(SV_LogMessageType type) {
    return type == SV_LogLog || type == SV_LogAll;
}
bool wantsDebug(SV_LogMessageType type) {
    return type == SV_LogDebug || type == SV_LogAll;
}

} // namespace

QTextStream& SV_Engine::dbgStream() {
    return m_debugStream;
}

void SV_Engine::addLogMessage(const QString& id, const QString& message) {
    appendMessage(m_installLog, QStringLiteral("log"), id, message);
}

void SV_Engine::addErrMessage(const QString& id, const QString& message) {
    appendMessage(m_installErrors, QStringLiteral("error"), id, message);
}

SV_LogMessageType SV_Engine::logMessageType(const QString& word) {
    if (word == QLatin1String("debug"))
        return SV_LogDebug;
    if (word == QLatin1String("error"))
        return SV_LogError;
    if (word == QLatin1String("log"))
        return SV_LogLog;
    return SV_LogUnknown;
}

QString SV_Engine::logMessageTypeString(SV_LogMessageType type) {
    switch (type) {
    case SV_LogDebug:
        return QStringLiteral("debug");
    case SV_LogError:
        return QStringLiteral("error");
    case SV_LogLog:
        return QStringLiteral("log");
    default:
        return QString();
    }
}

QString SV_Engine::getQMLLog(SV_LogMessageType type) const {
    QString out = QStringLiteral("<qt>\n");
    if (wantsErrors(type)) {
        out += QStringLiteral("<h3><u>") + tr("Installation Error Messages") +
               QStringLiteral("</u></h3>\n<ul>\n");
        for (const StoredMessage& m : storedMessages(m_installErrors)) {
            out += QStringLiteral("<li><font color=red>") + tr("Error from ID: ") +
                   m.id.toHtmlEscaped() + QStringLiteral("</font>\n");
            out += QStringLiteral("<pre>") + m.text.toHtmlEscaped() +
                   QStringLiteral("\n</pre>\n</li>\n");
        }
        out += QStringLiteral("</ul>\n");
    }
    if (wantsLog(type)) {
        out += QStringLiteral("<h3><u>") + tr("Installation Log Messages") +
               QStringLiteral("</u></h3>\n<ul>\n");
        for (const StoredMessage& m : storedMessages(m_installLog)) {
            out += QStringLiteral("<li>");
            if (!m.id.isEmpty())
                out += tr("Log message from ID: ") + m.id.toHtmlEscaped() + QLatin1Char('\n');
            out += QStringLiteral("<pre>") + m.text.toHtmlEscaped() +
                   QStringLiteral("\n</pre>\n</li>\n");
        }
        out += QStringLiteral("</ul>\n");
    }
    if (wantsDebug(type)) {
        out += QStringLiteral("<h3><u>") + tr("Installation Debug Messages") +
               QStringLiteral("</u></h3>\n");
        out += QStringLiteral("<pre>") + m_debugText.toHtmlEscaped() + QStringLiteral("</pre>\n");
    }
    out += QStringLiteral("</qt>\n");
    return out;
}

QString SV_Engine::getTextLog(SV_LogMessageType type) const {
    QString out;
    if (wantsErrors(type)) {
        out += QStringLiteral("\nInstallation Error Messages:\n");
        for (const StoredMessage& m : storedMessages(m_installErrors)) {
            out += kIndent + QStringLiteral("* Error message");
            out += m.id.isEmpty() ? QStringLiteral(":") : QStringLiteral(" from ID: ") + m.id;
            out += QLatin1Char('\n');
            appendIndentedLines(out, m.text);
            out += QLatin1Char('\n');
        }
    }
    if (wantsLog(type)) {
        out += QStringLiteral("Installation Log Messages:\n");
        for (const StoredMessage& m : storedMessages(m_installLog)) {
            out += kIndent + QStringLiteral("* Log message");
            out += m.id.isEmpty() ? QStringLiteral(":") : QStringLiteral(" from ID: ") + m.id;
            out += QLatin1Char('\n');
            appendIndentedLines(out, m.text);
            out += QLatin1Char('\n');
        }
    }
    if (wantsDebug(type)) {
        out += QStringLiteral("\nInstallation Debug Messages:\n");
        appendIndentedLines(out, m_debugText);
    }
    return out;
}
