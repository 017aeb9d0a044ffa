#include "sv_logger.h"

#include "sv_engine.h"
#include "sv_secrets.h"

#include <QtGlobal>

namespace {
bool s_echo = true;

void echoMessage(const QString& text) {
    if (s_echo)
        qDebug("%s", qUtf8Printable(SV_Secrets::hide(text)));
}
} // namespace

SV_Logger::~SV_Logger() = default;

void SV_Logger::setEcho(bool on) {
    s_echo = on;
}

bool SV_Logger::echo() {
    return s_echo;
}

void SV_Logger::dbg(const QString& message) const {
    echoMessage(message);
    QTextStream& stream = SV_Engine::engine()->dbgStream();
    stream << SV_Secrets::hide(message) << '\n';
    stream.flush();
}

void SV_Logger::log(const QString& source, const QString& message) const {
    echoMessage(QStringLiteral("Log message from: ") + source + QStringLiteral(": ") + message);
    SV_Engine::engine()->addLogMessage(source, message);
}

void SV_Logger::err(const QString& source, const QString& message) {
    echoMessage(QStringLiteral("Error message from: ") + source + QStringLiteral(": ") + message);
    SV_Engine::engine()->addErrMessage(source, message);
}
