#include "sv_engine.h"
#include "sv_engine_messagehandler.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

const char kUsage[] = "usage: vantor <opts> file\n"
                      "  Options: \n"
                      "    --console         Force install to run in console mode\n"
                      "    --lang <encoding> Specify the language\n";

struct CommandLine {
    bool console = false;
    QString language;
    QString file;
};

// False on an unknown option, a second file, or no file at all.
bool parseCommandLine(int argc, char** argv, CommandLine& cl) {
    bool haveFile = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg.startsWith("--")) {
            if (arg == "--console") {
                cl.console = true;
            } else if (arg == "--lang") {
                if (i + 1 < argc)
                    cl.language = QString::fromLocal8Bit(argv[++i]);
            } else {
                return false;
            }
        } else {
            if (haveFile)
                return false;
            cl.file = QFile::decodeName(arg);
            haveFile = true;
        }
    }
    return haveFile;
}

// The directory of the program as it was started. A program found through PATH (no
// directory in its name) lives where the running executable is.
QString programDirectory(const char* argv0) {
    const QString program = QFile::decodeName(QByteArray(argv0 ? argv0 : ""));
    const int slash = program.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QCoreApplication::applicationDirPath();
    if (slash == 0)
        return QStringLiteral("/");
    return QDir(program.left(slash)).absolutePath();
}

} // namespace

int main(int argc, char** argv) {
    installVantorMessageHandler();

    CommandLine cl;
    if (!parseCommandLine(argc, argv, cl)) {
        qWarning("%s", kUsage);
        return 255;
    }

    // The viewer seam: a graphical viewer, once built into this program, registers its
    // factory here with SV_Engine::setViewerFactory (not in console mode) and needs a
    // QApplication instead. Until then no factory is set, the application object needs no
    // display, and a run without --console takes the engine's no-viewer path: the
    // pre-install actions run, then "Could not create a viewer for the installation".
    QCoreApplication app(argc, argv);

    SV_Engine* engine = SV_Engine::engine();
    engine->setInstallFile(cl.file);
    engine->setPrefix(programDirectory(argv[0]));
    engine->setConsoleMode(cl.console);
    if (!cl.language.isEmpty())
        engine->setLocale(cl.language);
    engine->init();

    return app.exec();
}
