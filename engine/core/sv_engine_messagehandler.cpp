#include "sv_engine_messagehandler.h"

#include "sv_secrets.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QThread>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

void vantorMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    // Whatever part of the program wrote it, no secret reaches standard error. The
    // secrets live on the engine's thread; a message of another thread (Qt's own) is
    // written as it is.
    const QCoreApplication* app = QCoreApplication::instance();
    const bool engineThread = !app || QThread::currentThread() == app->thread();
    QByteArray bytes = (engineThread ? SV_Secrets::hide(message) : message).toUtf8();
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
