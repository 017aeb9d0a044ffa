#ifndef SV_CONSOLETESTRUN_H
#define SV_CONSOLETESTRUN_H

#include "sv_installfilebuilder.h"
#include "sv_testsupport.h"

#include <QByteArray>
#include <QString>

namespace consoletest {

// How standard input of a run is given.
enum class Input { Data, DevNull, Closed };

struct Run {
    int status = -1;
    bool timedOut = false;
    QByteArray out;
    QByteArray err;
    qint64 elapsedMs = 0;
    // The path printed after "Installation log: ", or empty.
    QString logPath() const;
};

// Runs `vantor --console file` with the answers on standard input, in the temporary
// directory, killed (and reported as timed out) after timeoutMs. extraArgs go before the
// file; program replaces the vantor built here (a link to it laid out as installed).
Run runConsole(const vantortest::TempDir& dir, const QString& installFile,
               const QByteArray& answers, Input input = Input::Data, int timeoutMs = 60000,
               const QStringList& extraEnv = {}, const QStringList& extraArgs = {},
               const QString& program = QString());

// An install file made of the given sections (XML fragments, any may be empty), saved
// in the directory; returns its path.
QString writeInstallFile(const vantortest::TempDir& dir, const QString& variables,
                         const QString& actions, const QString& stages,
                         const QString& postInstall = QString(), const QString& profiles = QString());

// A process action that runs sh -c script with the arguments ($1, $2, ...).
QString shAction(const QString& id, const QString& script, const QStringList& args,
                 bool ignoreErrors = false);

QByteArray readFile(const QString& path);

} // namespace consoletest

#endif
