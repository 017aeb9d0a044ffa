#ifndef SV_ACTIONRUN_H
#define SV_ACTIONRUN_H

// The one way a test runs an action: start it, wait for its end, and hold it to the
// contract of sv_action.h on the way (exactly one sig_actionDone() per start).
//
//   SV_PauseAction pause;
//   pause.setOption(QStringLiteral("time"), QStringLiteral("20"));
//   const vantortest::ActionRun run = vantortest::runAction(pause);
//   QCOMPARE(run.errors, QStringList());
//   QCOMPARE(run.progress.last(), 1);

#include <QList>
#include <QString>
#include <QStringList>

class SV_Action;

namespace vantortest {

// What one start of an action reported.
struct ActionRun {
    // sig_actionDone() signals of this start (1 when the action kept the contract).
    int done = 0;
    // The first sig_actionDone() came before slot_start() returned.
    bool finishedInStart = false;
    // The texts of sig_error(), in order.
    QStringList errors;
    // The values of sig_progress(), in order.
    QList<int> progress;
};

// A time-out of runAction() for an action that must finish before slot_start() returns
// (the file actions, the small actions without a timer or socket).
constexpr int inStart = 0;

// Starts the action and waits up to timeoutMs for its sig_actionDone() (with inStart: not
// at all); then the events pending at that moment are delivered, so that a second
// completion queued behind the first is counted too. A start that does not end with
// exactly one sig_actionDone() in that time fails the running test function (naming the
// action), whatever the caller checks afterwards.
ActionRun runAction(SV_Action& action, int timeoutMs = 60000);

// The text sig_error() carries for an error the action reports with err(id, message).
QString actionError(const QString& id, const QString& message);

} // namespace vantortest

#endif
