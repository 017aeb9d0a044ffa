#include "sv_testdoubles.h"

#include <QTimer>

namespace vantortest {

ScriptedAction::ScriptedAction(const QString& id, int steps, Finish finish, QObject* parent)
    : SV_Action(parent), m_finish(finish) {
    setID(id);
    m_totalSteps = steps;
}

int ScriptedAction::totalSteps() {
    const QString steps = option(QStringLiteral("steps"));
    if (!steps.isNull())
        m_totalSteps = steps.toInt();
    return m_totalSteps;
}

QString ScriptedAction::rval() {
    return result;
}

void ScriptedAction::finish() {
    running = false;
    slot_setDone();
}

void ScriptedAction::slot_start() {
    SV_Action::slot_start();
    ++starts;
    running = true;
    if (!error.isNull())
        err(ID(), error);
    if (reportSteps) {
        const int steps = totalSteps();
        for (int step = 1; step <= steps; ++step)
            emit sig_progress(step);
    }
    for (int p : progress)
        emit sig_progress(p);
    if (m_finish == Synchronous)
        finish();
    else if (m_finish == Later)
        QTimer::singleShot(10, this, &ScriptedAction::finish);
}

void ScriptedAction::slot_cancel() {
    SV_Action::slot_cancel();
    ++cancels;
}

SV_Action* createScriptedAction(const QString& type, QObject* parent) {
    if (type == QLatin1String("test-sync")) {
        auto* action = new ScriptedAction(QString(), 1, ScriptedAction::Synchronous, parent);
        action->reportSteps = true;
        return action;
    }
    if (type == QLatin1String("test-manual"))
        return new ScriptedAction(QString(), 1, ScriptedAction::Never, parent);
    return nullptr;
}

void FakeVariable::storeValue(const QStringList& values) {
    if (values.size() == 1 && values.first() != stored) {
        stored = values.first();
        emit sig_valuechanged();
    }
}

bool FakeVariable::equals(const QString& s) {
    asked << QStringLiteral("equals:") + s;
    return s == stored;
}

bool FakeVariable::isEmpty() {
    asked << QStringLiteral("isEmpty");
    return empty;
}

bool FakeVariable::isChoiceSelected(const QString& id) {
    asked << QStringLiteral("isChoiceSelected:") + id;
    return selectedChoices.contains(id);
}

bool FakeVariable::isCurrentDataValid(const QString& condition) {
    asked << QStringLiteral("isCurrentDataValid:") + condition;
    return validConditions.contains(condition);
}

bool FixedCondition::eval() {
    ++evaluations;
    return answer;
}

} // namespace vantortest
