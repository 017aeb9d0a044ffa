#ifndef QTVIEWER_WIDGETTEST_H
#define QTVIEWER_WIDGETTEST_H

// What the stage and widget tests share: loading one install file for the whole program,
// showing a stage, finding a widget's grid cell. Their main() is VANTOR_TEST_MAIN with a
// QApplication (WIDGET_TEST_MAIN below).

#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_qtstagewidget.h"
#include "sv_scriptedviewer.h"
#include "sv_testmain.h"
#include "sv_testsupport.h"

#include <QApplication>
#include <QGridLayout>
#include <QLayoutItem>
#include <QtTest>

#include <memory>

namespace widgettest {

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

// VANTOR_TEST_MAIN for widget tests: the same own-process cases, with a QApplication.
#define WIDGET_TEST_MAIN(TestClass, cases)                                                         \
    int main(int argc, char** argv) {                                                              \
        TestClass test;                                                                            \
        return vantortest::runTestMain<QApplication>(&test, argc, argv, cases);                    \
    }

#endif
