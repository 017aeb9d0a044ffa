#include "sv_engine_messagehandler.h"

#include "sv_secrets.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

void vantorMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    // Whatever part of the program wrote it, no secret reaches standard error.
    QByteArray bytes = SV_Secrets::hide(message).toUtf8();
    if (!bytes.endsWith('\n'))
        bytes.append('\n');
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
    if (type == QtFatalMsg)
        std::exit(1);
}

void installVantorMessageHandler() {
    qInstallMessageHandler(vantorMessageHandler);
}
