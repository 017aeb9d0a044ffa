#include "sv_actionrun.h"

#include "sv_action.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

namespace vantortest {

ActionRun runAction(SV_Action& action, int timeoutMs) {
    QSignalSpy done(&action, &SV_Action::sig_actionDone);
    QSignalSpy errors(&action, &SV_Action::sig_error);
    QSignalSpy progress(&action, &SV_Action::sig_progress);
    action.slot_start();

    ActionRun run;
    run.finishedInStart = !done.isEmpty();
    if (done.isEmpty() && timeoutMs > 0)
        done.wait(timeoutMs);
    // A second completion already on its way (a queued signal, a zero timer) shows here.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();

    run.done = int(done.count());
    for (const QList<QVariant>& args : std::as_const(errors))
        run.errors << args.at(0).toString();
    for (const QList<QVariant>& args : std::as_const(progress))
        run.progress << args.at(0).toInt();

    const bool inTime = timeoutMs > 0 || run.finishedInStart;
    if (run.done != 1 || !inTime) {
        const QString expected = timeoutMs > 0 ? QStringLiteral("once within %1 ms").arg(timeoutMs)
                                               : QStringLiteral("once inside slot_start()");
        const QByteArray text =
            QStringLiteral("action \"%1\" sent sig_actionDone() %2 times "
                           "for one start (first inside slot_start(): %3); "
                           "the contract is %4")
                .arg(action.ID())
                .arg(run.done)
                .arg(run.finishedInStart ? QStringLiteral("yes") : QStringLiteral("no"))
                .arg(expected)
                .toUtf8();
        QTest::qFail(text.constData(), __FILE__, __LINE__);
    }
    return run;
}

QString actionError(const QString& id, const QString& message) {
    return QStringLiteral("Action: ") + id + QStringLiteral(", error msg: ") + message;
}

} // namespace vantortest
