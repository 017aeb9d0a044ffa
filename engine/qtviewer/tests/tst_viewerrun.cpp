// Whole runs of the engine with the wizard window, one scenario per process (the engine
// is a singleton whose init() runs once). The scenario is the first argument; the exit
// status of the run is checked against the one the scenario expects.
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_qtoutputwidgets.h"
#include "sv_qtstagewidget.h"
#include "sv_qtviewer.h"
#include "sv_scenariocheck.h"
#include "sv_testsupport.h"
#include "sv_variable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <functional>

using vantortest::InstallFileBuilder;

namespace {

SV_QtViewer* g_viewer = nullptr;

// Waits (from the event loop) for a modal message box, records its text and clicks the
// button with the given text, or the first one.
void answerMessageBox(const QString& buttonText, QString* seenText,
                      std::function<void()> then = {}) {
    auto* poll = new QTimer(qApp);
    auto tries = std::make_shared<int>(500);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (--*tries <= 0) {
                std::fprintf(stderr, "FAIL: no message box appeared\n");
                ++vantortest::scenarioFailures();
                poll->deleteLater();
                QCoreApplication::exit(99);
            }
            return;
        }
        poll->stop();
        poll->deleteLater();
        if (seenText)
            *seenText = box->text();
        for (QAbstractButton* b : box->buttons()) {
            if (buttonText.isEmpty() || b->text() == buttonText) {
                QTest::mouseClick(b, Qt::LeftButton);
                break;
            }
        }
        if (then)
            QTimer::singleShot(0, then);
    });
    poll->start();
}

QString textVar(const QString& id) {
    return QStringLiteral("<variable id='%1'><string>%1</string>"
                          "<data-type><text-data/></data-type></variable>")
        .arg(id);
}

// Two stages; post-install appends "x" to variable "count" and then pauses, so that it
// is still running when Done is clicked again.
InstallFileBuilder twoStages(bool valid) {
    InstallFileBuilder b;
    b.section("variables").addXml(textVar("count"));
    b.section("actions").addXml(
        "<action type='pause' id='wait'><option-param param='time' value='400'/></action>");
    b.section("post-install")
        .addXml("<var-modify var_id='count' newstring='$$count$$x'/>"
                "<run-action action_id='wait'/>");
    const QString never = valid ? QString() : QStringLiteral("<valid-conditions condition='or'/>");
    b.section("stages").addXml(
        QStringLiteral("<stage id='one'><string>One</string>%1<ui><ui-element><output-element>"
                       "<string>Hello</string><text-output/></output-element></ui-element></ui>"
                       "</stage>"
                       "<stage id='two'><string>Two</string>%1<ui><finish/></ui></stage>")
            .arg(never));
    return b;
}

// An install page whose first sequence fails (a command that cannot be started), a
// second sequence after it, and a last page with Done.
InstallFileBuilder failingInstall() {
    InstallFileBuilder b;
    b.section("variables").addXml(textVar("count"));
    b.section("actions").addXml(
        "<action type='process' id='broken'>"
        "<option-param param='process' value='/nonexistent/vantor-test-command'/></action>"
        "<action type='pause' id='wait'><option-param param='time' value='300'/>"
        "<option-param param='progress-interval' value='100'/></action>");
    b.section("post-install").addXml("<var-modify var_id='count' newstring='$$count$$x'/>");
    b.section("stages").addXml(
        "<stage id='install'><string>Installing</string><ui><ui-element><output-element>"
        "<string>Installation</string><install-sequence>"
        "<installaction-sequence><string>Writing the configuration</string>"
        "<actionID action_id='broken'/></installaction-sequence>"
        "<installaction-sequence><string>Starting the services</string>"
        "<actionID action_id='wait'/></installaction-sequence>"
        "</install-sequence></output-element></ui-element></ui></stage>"
        "<stage id='end'><string>End</string><ui><finish/></ui></stage>");
    return b;
}

SV_QtInstallOutput* installOutput() {
    SV_QtStageWidget* page = g_viewer->currentStageWidget();
    return page ? qobject_cast<SV_QtInstallOutput*>(page->providers().value(0)) : nullptr;
}

// Closing through the window manager: "No" keeps the wizard, "Yes" ends with 2.
int scenarioClose(QString* question2) {
    static QString storage;
    QString* question1 = &storage;
    QTimer::singleShot(0, [=] {
        CHECK(g_viewer && g_viewer->mainWindow() && g_viewer->mainWindow()->isVisible());
        answerMessageBox(QStringLiteral("&No"), question1, [=] {
            CHECK(*question1 == QStringLiteral("Are you sure you want to exit?"));
            CHECK(g_viewer->mainWindow()->isVisible());
            answerMessageBox(QStringLiteral("&Yes"), question2);
            g_viewer->mainWindow()->close();
        });
        g_viewer->mainWindow()->close(); // what the window manager's close button sends
    });
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    vantortest::installMessageHandler();
    QApplication app(argc, argv);
    const QString scenario = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();

    vantortest::TempDir dir;
    const QString file = dir.file("install.xml");
    SV_Engine::setViewerFactory([] {
        g_viewer = new SV_QtViewer(nullptr, "viewer");
        g_viewer->setDesktopSize(1024, 768);
        return g_viewer;
    });
    SV_Engine* engine = SV_Engine::engine();
    engine->setInstallFile(file);
    engine->setPrefix(dir.path());

    int expected = 0;
    QString finalQuestion;
    if (scenario == QLatin1String("close")) {
        CHECK(twoStages(true).save(file));
        expected = 2;
        engine->init();
        scenarioClose(&finalQuestion);
    } else if (scenario == QLatin1String("cancel")) {
        // Cancel asks; "No" keeps the wizard on its stage, "Yes" ends the run with 2.
        expected = 2;
        CHECK(twoStages(true).save(file));
        engine->init();
        QTimer::singleShot(0, [&finalQuestion] {
            answerMessageBox(QStringLiteral("&No"), nullptr, [&finalQuestion] {
                CHECK(g_viewer->mainWindow()->isVisible());
                answerMessageBox(QStringLiteral("&Yes"), &finalQuestion);
                QTest::mouseClick(g_viewer->cancelButton(), Qt::LeftButton);
            });
            QTest::mouseClick(g_viewer->cancelButton(), Qt::LeftButton);
        });
    } else if (scenario == QLatin1String("done-twice")) {
        // Done starts the post-install list once, however often it is clicked, and a
        // stage update while it runs does not enable the button again.
        CHECK(twoStages(true).save(file));
        engine->init();
        finalQuestion = QStringLiteral("Are you sure you want to exit?");
        QTimer::singleShot(0, [] {
            QTest::mouseClick(g_viewer->nextButton(), Qt::LeftButton);
            CHECK(!g_viewer->doneButton()->isHidden());
            QTimer::singleShot(50, [] {
                CHECK(g_viewer->doneButton()->isEnabled());
                QTest::mouseClick(g_viewer->doneButton(), Qt::LeftButton);
                CHECK(!g_viewer->doneButton()->isEnabled());
                g_viewer->slot_checkCurrStage();
                CHECK(!g_viewer->doneButton()->isEnabled());
                g_viewer->slot_done();
                QTest::mouseClick(g_viewer->doneButton(), Qt::LeftButton);
            });
        });
    } else if (scenario == QLatin1String("failed")) {
        // A sequence fails: the question is a warning whose default (Return) does not go
        // on; the install page then says so, with what failed and an enabled "Show Log",
        // the bar short of its end; Done runs the post-install list, and the run ends
        // with 3.
        CHECK(failingInstall().save(file));
        expected = 3;
        finalQuestion = QStringLiteral("Are you sure you want to exit?");
        auto* poll = new QTimer(qApp);
        poll->setInterval(20);
        QObject::connect(poll, &QTimer::timeout, [poll] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            // Once it has the focus, as a user sees it: before, Return still went to the
            // window below.
            if (!box || !box->isVisible() || !box->isActiveWindow())
                return;
            poll->stop();
            CHECK(box->icon() == QMessageBox::Warning);
            CHECK(box->text().contains(QStringLiteral("Do you want to continue?")));
            CHECK(box->defaultButton() && box->defaultButton()->text() == QStringLiteral("&No"));
            QTest::keyClick(box, Qt::Key_Return);
        });
        poll->start();
        engine->init();
        auto* wait = new QTimer(qApp);
        wait->setInterval(20);
        QObject::connect(wait, &QTimer::timeout, [wait] {
            SV_QtInstallOutput* out = installOutput();
            if (!out || !g_viewer->nextButton()->isEnabled())
                return;
            wait->stop();
            const QString result = out->resultLabel()->text();
            std::fprintf(stderr, "install page says: %s (bar %d of %d)\n", qPrintable(result), out->overallBar()->value(), out->overallBar()->maximum());
            CHECK(result.startsWith(QStringLiteral(
                "An error occured during installation, please view the Log for details")));
            CHECK(result.contains(QStringLiteral("What failed:\nWriting the configuration: ")));
            CHECK(!result.contains(QStringLiteral("Starting the services")));
            CHECK(out->resultIcon()->isVisible());
            CHECK(out->logButton()->isEnabled());
            CHECK(out->overallBar()->value() < out->overallBar()->maximum());
            CHECK(out->failures().size() == 1);
            // A picture of the page, for looking at it (VANTOR_TEST_PNG_DIR).
            const QString png = qEnvironmentVariable("VANTOR_TEST_PNG_DIR");
            if (!png.isEmpty())
                g_viewer->mainWindow()->grab().save(png + QStringLiteral("/failed-install.png"));
            QTest::mouseClick(g_viewer->nextButton(), Qt::LeftButton);
            QTimer::singleShot(100, [] {
                CHECK(g_viewer->doneButton()->isEnabled());
                QTest::mouseClick(g_viewer->doneButton(), Qt::LeftButton);
            });
        });
        wait->start();
    } else if (scenario == QLatin1String("no-stage")) {
        // No stage can be shown: a message, status 1, and no window at all.
        CHECK(twoStages(false).save(file));
        expected = 1;
        answerMessageBox(QString(), &finalQuestion);
        engine->init();
    } else {
        std::fprintf(stderr, "unknown scenario\n");
        return 2;
    }

    QTimer::singleShot(20000, [] {
        std::fprintf(stderr, "FAIL: time-out\n");
        QCoreApplication::exit(98);
    });
    const int status = app.exec();
    CHECK(status == expected);
    if (scenario == QLatin1String("done-twice") || scenario == QLatin1String("failed")) {
        SV_Variable* count = engine->variable(QStringLiteral("count"));
        CHECK(count && count->value() == QStringLiteral("x"));
    } else if (scenario == QLatin1String("no-stage")) {
        CHECK(finalQuestion == SV_QtViewer::noStageMessage());
        CHECK(g_viewer && !g_viewer->mainWindow());
    } else {
        CHECK(finalQuestion == QStringLiteral("Are you sure you want to exit?"));
    }
    std::fprintf(stderr, "%s: %s\n", qPrintable(scenario), vantortest::scenarioFailures() ? "FAILED" : "passed");
    return vantortest::scenarioFailures() ? 1 : 0;
}
