#ifndef QTVIEWER_WIDGETTEST_H
#define QTVIEWER_WIDGETTEST_H

// What the stage and widget tests share: a QApplication main that can also run one
// fatal scenario in a child process, and loading one install file for the whole program.

#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_qtstagewidget.h"
#include "sv_scriptedviewer.h"
#include "sv_testsupport.h"

#include <QApplication>
#include <QGridLayout>
#include <QLayoutItem>
#include <QProcessEnvironment>
#include <QtTest>

#include <functional>
#include <memory>

namespace widgettest {

inline const char* fatalCaseVariable() {
    return "VANTOR_QTVIEWER_FATAL_CASE";
}

inline int runTests(QObject* test, int argc, char** argv,
                    const std::function<void(const QString&)>& fatalCases) {
    vantortest::installMessageHandler();
    QApplication app(argc, argv);
    const QString fatalCase = qEnvironmentVariable(fatalCaseVariable());
    if (!fatalCase.isEmpty() && fatalCases) {
        fatalCases(fatalCase);
        return 0; // reached only when the scenario did not end the process
    }
    return QTest::qExec(test, argc, argv);
}

// Runs this test program again with one fatal scenario.
inline vantortest::ProcessResult runFatalCase(const QString& name) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(fatalCaseVariable()), name);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return vantortest::runProgram(QCoreApplication::applicationFilePath(), {}, env);
}

// Writes an install file made of the given sections (XML text inside <installation>),
// runs the engine's start with a scripted viewer and waits until the wizard would be
// shown. Returns false when that did not happen.
inline bool loadInstallFile(const vantortest::TempDir& dir, const QString& sections) {
    const QString path = dir.write(
        QStringLiteral("install.xml"),
        (QStringLiteral("<installation>") + sections + QStringLiteral("</installation>")).toUtf8());
    vantortest::ScriptedViewer::install();
    SV_Engine* engine = SV_Engine::engine();
    engine->setInstallFile(path);
    engine->init();
    return QTest::qWaitFor([] {
        auto* viewer = vantortest::ScriptedViewer::current();
        return viewer && viewer->calls.contains(QStringLiteral("startInstaller"));
    }, 10000);
}

inline SV_Stage* stage(const QString& id) {
    return SV_Engine::engine()->stage(id);
}

// The stage widget of a loaded stage, shown on a fixed-size top-level window.
inline std::unique_ptr<SV_QtStageWidget> showStage(const QString& id,
                                                   const QString& location = QStringLiteral("top")) {
    auto widget = std::make_unique<SV_QtStageWidget>(stage(id), location, nullptr, nullptr);
    widget->resize(640, 480);
    widget->show();
    return widget;
}

// The grid cell of a widget as (row, column, rowSpan, columnSpan); row -1 when absent.
struct Cell {
    int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
};
inline Cell cellOf(QGridLayout* grid, QWidget* widget) {
    Cell cell;
    const int index = grid->indexOf(widget);
    if (index >= 0)
        grid->getItemPosition(index, &cell.row, &cell.column, &cell.rowSpan, &cell.columnSpan);
    return cell;
}

} // namespace widgettest

#define WIDGET_TEST_MAIN(TestClass, fatalCases)                                                    \
    int main(int argc, char** argv) {                                                              \
        TestClass test;                                                                            \
        return widgettest::runTests(&test, argc, argv, fatalCases);                                \
    }

#endif
