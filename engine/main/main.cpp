#include "sv_consoleviewer.h"
#include "sv_engine.h"
#include "sv_engine_messagehandler.h"
#include "sv_qtviewer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <memory>

#ifdef VANTOR_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace {

const char kUsage[] = "usage: vantor <opts> file\n"
                      "  Options: \n"
                      "    --console         Force install to run in console mode\n"
                      "    --lang <encoding> Specify the language\n"
                      "    --verbose         Show the log messages on standard error\n";

struct CommandLine {
    bool console = false;
    bool verbose = false;
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
            } else if (arg == "--verbose") {
                cl.verbose = true;
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

// Finds out whether the window can come up: problem() is a null string when a display is
// there, or why not. Qt itself would abort the process ("could not connect to display")
// instead of reporting it. The probe's connection stays open until release(), called once
// Qt has its own: an X server with no other client (Xvfb) resets itself when its last
// client leaves, and Qt's connection, made during that reset, would be refused.
class DisplayProbe {
public:
    DisplayProbe() = default;
    DisplayProbe(const DisplayProbe&) = delete;
    DisplayProbe& operator=(const DisplayProbe&) = delete;
    ~DisplayProbe() { release(); }

    QString problem() {
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        if (!platform.isEmpty() && !platform.startsWith("xcb"))
            return QString(); // offscreen, wayland, vnc, ...: Qt's own business
        if (platform.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            return QString();
        const QByteArray display = qgetenv("DISPLAY");
        if (display.isEmpty())
            return QStringLiteral("DISPLAY is not set");
#ifdef VANTOR_HAVE_XCB
        release();
        m_connection = xcb_connect(display.constData(), nullptr);
        if (xcb_connection_has_error(m_connection) != 0) {
            release();
            return QStringLiteral("cannot open display %1").arg(QString::fromLocal8Bit(display));
        }
#endif
        return QString();
    }

    void release() {
#ifdef VANTOR_HAVE_XCB
        if (m_connection)
            xcb_disconnect(m_connection);
        m_connection = nullptr;
#endif
    }

private:
#ifdef VANTOR_HAVE_XCB
    xcb_connection_t* m_connection = nullptr;
#endif
};

// Internal hook for the start-up benchmark: with VANTOR_EXIT_AFTER_FIRST_STAGE set, the
// program ends (status 0) once the first stage has been shown and drawn.
void exitAfterFirstStage(SV_QtViewer* viewer) {
    if (qEnvironmentVariableIsEmpty("VANTOR_EXIT_AFTER_FIRST_STAGE"))
        return;
    viewer->setStageShownHook([](const QString& id) {
        QTimer::singleShot(0, [id] {
            std::fprintf(stderr, "first stage shown: %s\n", qPrintable(id));
            QCoreApplication::exit(0);
        });
    });
}

} // namespace

int main(int argc, char** argv) {
    installVantorMessageHandler();

    CommandLine cl;
    if (!parseCommandLine(argc, argv, cl)) {
        qWarning("%s", kUsage);
        return 255;
    }

    // Without a display the window cannot come up: say so in one line and go on as with
    // --console.
    DisplayProbe probe;
    if (!cl.console) {
        const QString problem = probe.problem();
        if (!problem.isNull()) {
            qWarning("vantor: no display (%s); running without the window, as with --console",
                     qUtf8Printable(problem));
            cl.console = true;
        }
    }

    // Log messages are echoed to standard error as they happen, except where the console
    // viewer uses the terminal (they would break its lines, and an unattended run's
    // standard error often ends up in a build log): there only --verbose shows them. The
    // log itself always has them.
    SV_Logger::setEcho(!cl.console || cl.verbose);

    // The viewer seam: the wizard window unless in console mode.
    std::unique_ptr<QCoreApplication> app;
    if (cl.console) {
        app = std::make_unique<QCoreApplication>(argc, argv);
        // The wizard in the terminal, or unattended with answers from standard input.
        SV_Engine::setConsoleViewerFactory([] { return new SV_ConsoleViewer; });
    } else {
        app = std::make_unique<QApplication>(argc, argv);
        probe.release(); // Qt is connected now
        SV_Engine::setViewerFactory([] {
            auto* viewer = new SV_QtViewer(nullptr, "viewer");
            exitAfterFirstStage(viewer);
            return viewer;
        });
    }

    SV_Engine* engine = SV_Engine::engine();
    engine->setInstallFile(cl.file);
    engine->setPrefix(programDirectory(argv[0]));
    engine->setConsoleMode(cl.console);
    if (!cl.language.isEmpty())
        engine->setLocale(cl.language);
    engine->init();

    return app->exec();
}
