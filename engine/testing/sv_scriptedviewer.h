#ifndef SV_SCRIPTEDVIEWER_H
#define SV_SCRIPTEDVIEWER_H

#include "sv_viewer.h"

#include <QHash>
#include <QStringList>

#include <functional>

class SV_Wizard;

namespace vantortest {

// A viewer driven by the test: answers come from lists, every call is recorded, and the
// wizard part is a callback that the test fills with its own walk through the stages.
class ScriptedViewer : public SV_Viewer {
    Q_OBJECT
public:
    explicit ScriptedViewer(QObject* parent = nullptr) : SV_Viewer(parent) {}

    // Makes the engine create a ScriptedViewer (unless in console mode); setup, if
    // given, prepares each one right after it is created.
    static void install(std::function<void(ScriptedViewer*)> setup = {});
    // The viewer created last through install(), or null.
    static ScriptedViewer* current();

    // Every call from the engine in order: "getLanguage", "startLoading",
    // "setLoadingMessage:<message>", "startInstaller", "showLog", "getYesNo:<question>",
    // "showPrompt:<message>".
    QStringList calls;
    // The answer of getLanguage().
    QString language;
    // Answers of getYesNo() in order; "no" once they are used up.
    QStringList yesNoAnswers;
    // Run from the event loop once startInstaller() has returned (the wizard's work).
    std::function<void(ScriptedViewer*)> onStartInstaller;

    // The walk through the stages, as the window and the console do it: with walk set,
    // startInstaller() starts a wizard controller on the first valid stage. Each stage
    // entered is recorded; once it is ready, the answers for its inputs (variable id ->
    // answer text, as in an answer file) are stored, and the walk goes Next, or Done at
    // the end. A stage that cannot continue stops the walk with its reason in stuck.
    bool walk = false;
    QHash<QString, QString> answers;
    QStringList stagesEntered;
    QString stuck;
    SV_Wizard* wizard() const { return m_wizard; }

    QString getLanguage() override;
    void startLoading() override;
    void setLoadingMessage(const QString& message) override;
    void startInstaller() override;
    void showLog() override;
    QString getYesNo(const QString& question) override;
    void showPrompt(const QString& message) override;

private:
    void stageReady();

    SV_Wizard* m_wizard = nullptr;
    QString m_handled;
};

} // namespace vantortest

#endif
