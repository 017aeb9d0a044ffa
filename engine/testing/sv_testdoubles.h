#ifndef SV_TESTDOUBLES_H
#define SV_TESTDOUBLES_H

// The engine's test doubles: an action, a variable and a condition whose behaviour the
// test decides and which record how they were used. Use these rather than writing a new
// double in a test file; extend them when a test needs more.

#include "sv_action.h"
#include "sv_condition.h"
#include "sv_variable.h"

#include <QList>
#include <QStringList>

namespace vantortest {

// An action that follows a script. At each start it reports `error` (when not null), then
// the steps 1..totalSteps() (with reportSteps), then the values in `progress`, and
// finishes inside slot_start() (Synchronous), from the event loop 10 ms later (Later) or
// only when the test calls finish() (Never). It never finishes because of a cancel.
//
//   ScriptedAction a(QStringLiteral("unpack"), 5, ScriptedAction::Later);
//   a.progress = {2, 5};
//   a.error = QStringLiteral("disk full");
class ScriptedAction : public SV_Action {
    Q_OBJECT
public:
    enum Finish { Synchronous, Later, Never };

    explicit ScriptedAction(const QString& id, int steps = 1, Finish finish = Synchronous,
                            QObject* parent = nullptr);

    // Option "steps", when set, overrides the step count given at construction.
    int totalSteps() override;
    // `result`.
    QString rval() override;

    // Reported through err() at each start when not null.
    QString error;
    // Values reported through sig_progress() at each start.
    QList<int> progress;
    // Report each step 1..totalSteps() at each start, before `progress`.
    bool reportSteps = false;
    // What rval() returns.
    QString result;

    int starts = 0;
    int cancels = 0;
    // Started and not finished yet.
    bool running = false;

    // Finishes the current run now (sig_actionDone() follows).
    void finish();

public slots:
    void slot_start() override;
    void slot_cancel() override;

private:
    Finish m_finish;
};

// Scripted actions for install files, for a test program's createVendorAction() hook:
// "test-sync" reports each step and finishes inside slot_start(), "test-manual" runs
// until the test calls finish(); any other type gives null.
//   SV_Action* createVendorAction(const QString& type, QObject* parent) {
//       return vantortest::createScriptedAction(type, parent);
//   }
SV_Action* createScriptedAction(const QString& type, QObject* parent);

// A variable that answers the condition questions from fields and records what it was
// asked ("equals:<text>", "isEmpty", "isChoiceSelected:<id>", "isCurrentDataValid:<c>").
class FakeVariable : public SV_Variable {
    Q_OBJECT
public:
    explicit FakeVariable(QObject* parent = nullptr) : SV_Variable(parent) {}

    QString stored;
    bool empty = false;
    QStringList selectedChoices;
    QStringList validConditions;
    QStringList asked;

    // Stores a single value; a change emits sig_valuechanged().
    void storeValue(const QStringList& values) override;
    QString value() override { return stored; }
    bool equals(const QString& s) override;
    bool isEmpty() override;
    bool isChoiceSelected(const QString& id) override;
    bool isCurrentDataValid(const QString& condition) override;
};

// A condition with a fixed answer that counts how often it was evaluated.
class FixedCondition : public SV_Condition {
    Q_OBJECT
public:
    explicit FixedCondition(bool answer, QObject* parent = nullptr)
        : SV_Condition(parent), answer(answer) {}
    bool answer;
    int evaluations = 0;
    bool eval() override;
};

} // namespace vantortest

#endif
