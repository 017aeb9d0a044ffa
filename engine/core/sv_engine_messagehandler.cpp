#include "sv_engine_messagehandler.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

void vantorMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    QByteArray bytes = message.toLocal8Bit();
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
