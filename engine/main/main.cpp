#include "sv_actionprocessor.h"
#include "sv_answerrecorder.h"
#include "sv_consoleanswers.h"
#include "sv_consoleviewer.h"
#include "sv_engine.h"
#include "sv_engine_messagehandler.h"
#include "sv_installcheck.h"
#include "sv_qtviewer.h"
#include "sv_wizard.h"

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
                      "    --check           Only check the install file and report its problems\n"
                      "    --record <file>   Write the answers of this run to the file\n"
                      "    --record-secrets  With --record: write passwords too\n"
                      "    --answers <file>  Take the answers from the file instead of standard input\n";

struct CommandLine {
    bool console = false;
    bool check = false;
    QString record;
    bool recordSecrets = false;
    QString answers;
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
            } else if (arg == "--check") {
                cl.check = true;
            } else if (arg == "--record" || arg == "--answers") {
                if (i + 1 >= argc)
                    return false;
                (arg == "--record" ? cl.record : cl.answers) = QFile::decodeName(argv[++i]);
            } else if (arg == "--record-secrets") {
                cl.recordSecrets = true;
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
    // Secrets are recorded only into a file that is recorded.
    return haveFile && (!cl.recordSecrets || !cl.record.isEmpty());
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

// --check: reads the install file as a run would (directories relative to this program),
// runs nothing, prints one line per problem on standard output. Status 1 with errors.
int checkInstallFile(int argc, char** argv, const QString& file) {
    QCoreApplication app(argc, argv);
    SV_InstallCheck check(programDirectory(argv[0]));
    check.checkFile(file);
    const QByteArray report = check.report(file).toLocal8Bit();
    std::fwrite(report.constData(), 1, size_t(report.size()), stdout);
    std::fflush(stdout);
    return check.errorCount() > 0 ? 1 : 0;
}

// The window's answers: all checked first, as an unattended run checks them; with a problem
// the run ends (status 2) before anything was done.
void fillInAnswers(SV_Engine* engine, const QString& file, const QByteArray& text) {
    SV_ConsoleAnswers answers;
    answers.parse(text);
    answers.check(engine);
    if (!answers.problems().isEmpty()) {
        for (const QString& problem : answers.problems())
            qWarning("vantor: %s: %s", qUtf8Printable(file), qUtf8Printable(problem));
        engine->endRun(SV_Wizard::ExitIncomplete);
        return;
    }
    answers.applyAll(engine);
}

} // namespace

int main(int argc, char** argv) {
    installVantorMessageHandler();

    CommandLine cl;
    if (!parseCommandLine(argc, argv, cl)) {
        qWarning("%s", kUsage);
        return 255;
    }

    if (cl.check)
        return checkInstallFile(argc, argv, cl.file);

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

    // --answers: an unattended console run reads them as it reads standard input; the window
    // opens with them filled in, for review.
    QByteArray windowAnswers;
    if (!cl.answers.isEmpty()) {
        QFile answers(cl.answers);
        if (!answers.open(QIODevice::ReadOnly)) {
            qWarning("vantor: cannot read the answers %s: %s", qUtf8Printable(cl.answers),
                     qUtf8Printable(answers.errorString()));
            return SV_Wizard::ExitIncomplete;
        }
        if (cl.console) {
            if (!std::freopen(QFile::encodeName(cl.answers).constData(), "r", stdin)) {
                qWarning("vantor: cannot read the answers %s", qUtf8Printable(cl.answers));
                return SV_Wizard::ExitIncomplete;
            }
        } else {
            windowAnswers = answers.readAll();
        }
    }

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

    // After the engine's own handling of the end of the pre-install list, which has shown the
    // first stage: the wizard to record from, the answers to fill in.
    std::unique_ptr<SV_AnswerRecorder> recorder;
    if (!cl.record.isEmpty()) {
        recorder = std::make_unique<SV_AnswerRecorder>(cl.record, cl.recordSecrets);
        SV_Wizard::setCreationHook([&recorder](SV_Wizard* wizard) { recorder->attach(wizard); });
    }
    QObject::connect(engine->preinstallProcessor(), &SV_ActionProcessor::sig_actionsDone, engine,
                     [&recorder, &windowAnswers, &cl, engine] {
                         if (recorder && !recorder->attached())
                             qWarning("vantor: --record: this viewer does not walk the stages "
                                      "through the wizard; nothing will be recorded");
                         if (!windowAnswers.isNull())
                             fillInAnswers(engine, cl.answers, windowAnswers);
                     });
    engine->init();

    const int status = app->exec();
    if (recorder && !recorder->write()) {
        qWarning("vantor: --record: %s", qUtf8Printable(recorder->errorString()));
        return status == 0 ? SV_Wizard::ExitIncomplete : status;
    }
    return status;
}
