#include "sv_logger.h"

#include "sv_engine.h"

#include <QtGlobal>

SV_Logger::~SV_Logger() = default;

void SV_Logger::dbg(const QString& message) const {
    // Standard error gets the Latin-1 form, the debug text the message in full.
    qDebug("%s", qUtf8Printable(QString::fromLatin1(message.toLatin1())));
    QTextStream& stream = SV_Engine::engine()->dbgStream();
    stream << message << '\n';
    stream.flush();
}

void SV_Logger::log(const QString& source, const QString& message) const {
    qDebug("%s", qUtf8Printable(QStringLiteral("Log message from: ") + source +
                                QStringLiteral(": ") + message));
    SV_Engine::engine()->addLogMessage(source, message);
}

void SV_Logger::err(const QString& source, const QString& message) {
    qDebug("%s", qUtf8Printable(QStringLiteral("Error message from: ") + source +
                                QStringLiteral(": ") + message));
    SV_Engine::engine()->addErrMessage(source, message);
}
