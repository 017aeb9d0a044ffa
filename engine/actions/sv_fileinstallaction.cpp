#include "sv_fileinstallaction.h"

#include "sv_engine.h"
#include "sv_filereplacer.h"
#include "sv_variableregexp.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr qint64 blockSize = 16384;

} // namespace

void SV_FileInstallAction::slot_start() {
    SV_Action::slot_start();
    const QString action = option(QStringLiteral("action"));
    if (action == QLatin1String("remove"))
        removeFile();
    else if (action.isEmpty() || action == QLatin1String("install"))
        installFile();
    else
        err(ID(), QStringLiteral("Invalid action string: %1").arg(action));
    slot_setDone();
}

void SV_FileInstallAction::removeFile() {
    const QString path = option(QStringLiteral("file"));
    if (::unlink(QFile::encodeName(path).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        err(ID(),
            QStringLiteral("unlink failed for file: %1, error string = %2").arg(path, reason));
    }
}

void SV_FileInstallAction::installFile() {
    QString name = option(QStringLiteral("file"));
    SV_VariableRegExp::fixString(name);
    const QString source = SV_Engine::engine()->resource(name);
    if (source.isEmpty()) {
        err(ID(), QStringLiteral("Could not find file: %1 in resource directory").arg(name));
        return;
    }
    QString destination = option(QStringLiteral("install-location"));
    SV_VariableRegExp::fixString(destination);

    QFile in(source);
    // A template that cannot be read would otherwise give an empty destination.
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly)) {
        err(ID(), QStringLiteral("Could not read from input file: %1").arg(source));
        return;
    }

    SV_FileReplacer out(destination);
    if (option(QStringLiteral("template")) == QLatin1String("true")) {
        in.close();
        QString tempPath;
        bool ok = out.create();
        if (ok) {
            tempPath = out.tempPath();
            ok = SV_VariableRegExp::fixTemplateFile(source, tempPath) && out.commit();
        }
        if (!ok)
            err(ID(), QStringLiteral("Could not install template file: %1 to: %2")
                          .arg(source, destination));
        return;
    }

    log(ID(), QStringLiteral("Installing: %1 to: %2").arg(source, destination));
    if (!out.create()) {
        err(ID(), QStringLiteral("Could not write to output file: %1").arg(destination));
        return;
    }
    for (;;) {
        const QByteArray block = in.read(blockSize);
        if (block.isEmpty()) {
            if (in.error() != QFileDevice::NoError || !in.atEnd()) {
                dbg(QStringLiteral("SV_FileInstallAction: reading %1 failed: %2")
                        .arg(source, in.errorString()));
                err(ID(), QStringLiteral("Could not read from input file: %1").arg(source));
                return;
            }
            break;
        }
        if (!out.write(block)) {
            dbg(QStringLiteral("SV_FileInstallAction: ") + out.errorString());
            err(ID(), QStringLiteral("Could not write to output file: %1").arg(destination));
            return;
        }
    }
    if (!out.commit()) {
        dbg(QStringLiteral("SV_FileInstallAction: ") + out.errorString());
        err(ID(), QStringLiteral("Could not write to output file: %1").arg(destination));
    }
}
