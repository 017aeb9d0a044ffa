#ifndef SV_WIZARD_H
#define SV_WIZARD_H

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QString>

#include <functional>

class SV_Condition;
class SV_Engine;
class SV_Stage;
class SV_UIElement;
class SV_Variable;

// The walk through the wizard's stages, for every viewer: the window, the console and
// the tests' scripted viewer only show what it says and pass the user's input on.
//
// - The wizard opens with the file's first stage when it is valid, else the next valid
//   stage (firstValidStage()); start() shows it.
// - next() moves to the next valid stage, only when the stage can continue; back() to the
//   previous valid stage, or to the file's first stage when there is none.
// - done() hands over to the post-install actions, once, on a stage with a finish control
//   that can continue; forward() is next() or done(), whichever the stage offers.
// - canContinue(): the stage's initialisation has finished, its action sequences have
//   finished on this visit, every input shown holds a value its variable takes, the
//   continue conditions hold, and there is somewhere to go (a next valid stage, or a
//   finish control). whyNot() names the first of these that fails, in that order.
// - cancel() asks the engine's question and ends the run on yes.
//
// The run ends with one of the statuses below (SV_Engine::endRun).
class SV_Wizard : public QObject {
    Q_OBJECT
public:
    // How a run ends, the same for every viewer.
    enum ExitStatus {
        ExitFinished = 0,     // the post-install list ended and no action reported an error
        ExitFatal = 1,        // a fault of the install file
        ExitIncomplete = 2,   // cancelled, or the answers could not carry the run on
        ExitActionFailed = 3, // an action reported an error (the run went on to its end)
        ExitUsage = 255,      // a command-line error
    };

    explicit SV_Wizard(QObject* parent = nullptr);
    ~SV_Wizard() override;
    // Called with every wizard right after it is made, before it shows a stage (the answer
    // recorder of --record follows the walk from there).
    static void setCreationHook(std::function<void(SV_Wizard*)> hook);

    // The stage the wizard opens with, or null when no stage is valid.
    static SV_Stage* firstValidStage();
    // Shows the first valid stage; false (nothing shown) when there is none.
    bool start();

    SV_Stage* currentStage() const { return m_current; }
    // Leaves the current stage (its actions are stopped) and enters the stage.
    void showStage(SV_Stage* stage);

    bool next();
    bool back();
    bool done();
    bool forward();
    // Asks "Are you sure you want to exit?" through the viewer; true when the run ends.
    bool cancel();

    // The current stage offers Done (its finish control) instead of Next.
    bool offersDone() const;
    bool canContinue() const;
    // Why the forward control is disabled, in one sentence; a null string when it is not.
    QString whyNot() const;
    // True from done() on: the post-install actions run, nothing can be changed.
    bool finishing() const { return m_finishing; }
    // The stage's initialisation or its action sequences are still running.
    bool busy() const;

    // The controls of the current stage: "cancel", "back", "next", "finish". Next is not
    // visible where Done is offered. A stage without a text of its own (or with an empty
    // one, <finish/>) gets the default label, with its keyboard mnemonic.
    bool controlVisible(const QString& control) const;
    QString controlText(const QString& control) const;
    static QString defaultControlText(const QString& control);

    // The elements of the current stage that are shown now, in document order.
    QList<SV_UIElement*> shownElements() const;
    // The label of a variable for messages: its display text, or its id without one.
    static QString variableLabel(SV_Variable* variable);

signals:
    // A stage was entered (its initialisation has been started).
    void sig_stageEntered(SV_Stage* stage);
    // canContinue() or whyNot() may have changed.
    void sig_stateChanged();
    // The stage's action sequences have finished on this visit.
    void sig_actionsFinished();
    // The user goes on from the current stage (Next or Done): emitted before it is left,
    // while it is still currentStage().
    void sig_stagePassed(SV_Stage* stage);

private:
    void slot_initializationDone();
    void slot_actionsDone();
    void slot_dataChanged();
    void disconnectStage();
    QString inputProblem() const;
    QString conditionProblem() const;
    static QString describeCondition(SV_Condition* condition);

    SV_Engine* m_engine;
    SV_Stage* m_current = nullptr;
    bool m_actionsRunning = false;
    bool m_finishing = false;
    QList<QMetaObject::Connection> m_connections;
};

#endif
