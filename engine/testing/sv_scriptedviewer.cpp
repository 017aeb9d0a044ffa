#include "sv_scriptedviewer.h"

#include "sv_engine.h"

#include <QTimer>

namespace vantortest {

namespace {
ScriptedViewer* s_current = nullptr;
}

void ScriptedViewer::install(std::function<void(ScriptedViewer*)> setup) {
    SV_Engine::setViewerFactory([setup]() -> SV_Viewer* {
        s_current = new ScriptedViewer;
        if (setup)
            setup(s_current);
        return s_current;
    });
}

ScriptedViewer* ScriptedViewer::current() {
    return s_current;
}

QString ScriptedViewer::getLanguage() {
    calls << QStringLiteral("getLanguage");
    return language;
}

void ScriptedViewer::startLoading() {
    calls << QStringLiteral("startLoading");
}

void ScriptedViewer::setLoadingMessage(const QString& message) {
    calls << QStringLiteral("setLoadingMessage:") + message;
}

void ScriptedViewer::startInstaller() {
    calls << QStringLiteral("startInstaller");
    if (onStartInstaller)
        QTimer::singleShot(0, this, [this] { onStartInstaller(this); });
}

void ScriptedViewer::showLog() {
    calls << QStringLiteral("showLog");
}

QString ScriptedViewer::getYesNo(const QString& question) {
    calls << QStringLiteral("getYesNo:") + question;
    return yesNoAnswers.isEmpty() ? QStringLiteral("no") : yesNoAnswers.takeFirst();
}

void ScriptedViewer::showPrompt(const QString& message) {
    calls << QStringLiteral("showPrompt:") + message;
}

} // namespace vantortest
