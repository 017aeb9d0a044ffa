#include "sv_scriptedviewer.h"

#include "sv_engine.h"
#include "sv_stage.h"
#include "sv_uielement.h"
#include "sv_variable.h"
#include "sv_wizard.h"

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
    if (walk) {
        m_wizard = new SV_Wizard(this);
        connect(m_wizard, &SV_Wizard::sig_stageEntered, this, [this](SV_Stage* stage) {
            stagesEntered << stage->ID();
            m_handled.clear();
        });
        connect(m_wizard, &SV_Wizard::sig_stateChanged, this, &ScriptedViewer::stageReady,
                Qt::QueuedConnection);
        if (!m_wizard->start())
            stuck = QStringLiteral("no stage");
    }
    if (onStartInstaller)
        QTimer::singleShot(0, this, [this] { onStartInstaller(this); });
}

void ScriptedViewer::stageReady() {
    SV_Stage* stage = m_wizard->currentStage();
    if (!stage || m_wizard->busy() || m_wizard->finishing() || !stuck.isNull() ||
        m_handled == stage->ID())
        return;
    m_handled = stage->ID();
    for (SV_UIElement* element : m_wizard->shownElements()) {
        auto* input = qobject_cast<SV_UIVariableInput*>(element);
        if (!input || !input->variable() || !answers.contains(input->variable()->ID()))
            continue;
        QStringList values;
        const QString why =
            input->variable()->parseAnswer(answers.value(input->variable()->ID()), values);
        if (!why.isNull()) {
            stuck = why;
            return;
        }
        input->variable()->storeValue(values);
    }
    if (!m_wizard->canContinue()) {
        stuck = m_wizard->whyNot();
        return;
    }
    m_wizard->forward();
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
