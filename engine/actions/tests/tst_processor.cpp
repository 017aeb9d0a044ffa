#include "sv_actionprocessor.h"
#include "sv_childprocess.h"
#include "sv_engine.h"
#include "sv_processaction.h"
#include "sv_testdoubles.h"

#include <QSignalSpy>
#include <QtTest>

using vantortest::ScriptedAction;

// The action processor and the processor action: order, progress sums, error forwarding,
// ignore-errors, synchronous completion and cancel with late completion.
class TestProcessor : public QObject {
    Q_OBJECT

    static QList<int> ints(const QSignalSpy& spy) {
        QList<int> values;
        for (const QList<QVariant>& args : spy)
            values << args.at(0).toInt();
        return values;
    }

private slots:
    void emptyListIsDoneAtOnce() {
        SV_ActionProcessor processor;
        QSignalSpy done(&processor, &SV_ActionProcessor::sig_actionsDone);
        QVERIFY(!processor.actionsDone());
        processor.startActions();
        QCOMPARE(done.count(), 1);
        QVERIFY(processor.actionsDone());
        QCOMPARE(processor.totalActionSteps(), 0);
    }

    void progressIsSummedAndOversizedValuesDropped() {
        ScriptedAction a(QStringLiteral("a"), 1), b(QStringLiteral("b"), 5),
            c(QStringLiteral("c"), 2);
        b.progress = {3, 6};
        SV_ActionProcessor processor;
        processor.addAction(&a);
        processor.addAction(&b);
        processor.addAction(&c);
        QCOMPARE(processor.totalActionSteps(), 8);

        QSignalSpy progress(&processor, &SV_ActionProcessor::sig_actionProgress);
        QSignalSpy finished(&processor, &SV_ActionProcessor::sig_actionDone);
        QSignalSpy done(&processor, &SV_ActionProcessor::sig_actionsDone);
        // Synchronous actions: the whole list completes inside startActions().
        processor.startActions();
        QCOMPARE(done.count(), 1);
        QVERIFY(processor.actionsDone());
        QCOMPARE(ints(progress), (QList<int>{1, 4, 6, 8}));
        QCOMPARE(finished.count(), 3);
        QCOMPARE(finished.at(1).at(0).value<SV_Action*>(), &b);
        QVERIFY(a.done() && b.done() && c.done());

        // A second run starts the sums afresh.
        progress.clear();
        processor.startActions();
        QCOMPARE(ints(progress), (QList<int>{1, 4, 6, 8}));
        QCOMPARE(done.count(), 2);
    }

    void asynchronousActionsRunInOrder() {
        ScriptedAction a(QStringLiteral("a"), 2, ScriptedAction::Later);
        ScriptedAction b(QStringLiteral("b"), 3, ScriptedAction::Later);
        SV_ActionProcessor processor;
        processor.addAction(&a);
        processor.addAction(&b);
        processor.addAction(&a); // listed twice: runs twice
        QSignalSpy progress(&processor, &SV_ActionProcessor::sig_actionProgress);
        QSignalSpy done(&processor, &SV_ActionProcessor::sig_actionsDone);
        processor.startActions();
        QCOMPARE(a.starts, 1);
        QCOMPARE(b.starts, 0);
        QVERIFY(!processor.actionsDone());
        QVERIFY(done.wait(30000));
        QCOMPARE(done.count(), 1);
        QCOMPARE(a.starts, 2);
        QCOMPARE(b.starts, 1);
        QCOMPARE(ints(progress), (QList<int>{2, 5, 7}));
    }

    void errorsAreForwardedAndNeverStopTheList() {
        ScriptedAction a(QStringLiteral("first one"), 1), b(QStringLiteral("b"), 1);
        a.error = QStringLiteral("disk: full");
        SV_ActionProcessor processor;
        processor.addAction(&a);
        processor.addAction(&b);
        QSignalSpy errors(&processor, &SV_ActionProcessor::sig_actionError);
        processor.startActions();
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toString(),
                 QStringLiteral("Action: first one, error msg: disk: full"));
        QVERIFY(!a.successful());
        QVERIFY(a.done());
        QCOMPARE(b.starts, 1);
        QVERIFY(b.successful());
        QVERIFY(processor.actionsDone());

        // A new run resets the flag.
        a.error = QString();
        processor.startActions();
        QVERIFY(a.successful());
    }

    void ignoredErrorsAreLoggedButNotSignalled() {
        ScriptedAction a(QStringLiteral("quiet"), 1), b(QStringLiteral("b"), 1);
        a.setOption(QStringLiteral("ignore-errors"), QStringLiteral("true"));
        a.error = QStringLiteral("ignored failure 4711");
        SV_ActionProcessor processor;
        processor.addAction(&a);
        processor.addAction(&b);
        QSignalSpy errors(&processor, &SV_ActionProcessor::sig_actionError);
        QSignalSpy actionErrors(&a, &SV_Action::sig_error);
        processor.startActions();
        QCOMPARE(errors.count(), 0);
        QCOMPARE(actionErrors.count(), 0);
        QVERIFY(!a.successful());
        QCOMPARE(b.starts, 1);
        QVERIFY(SV_Engine::engine()
                    ->getTextLog(SV_LogError)
                    .contains(QStringLiteral("ignored failure 4711")));

        // Any other value lets the error through.
        a.setOption(QStringLiteral("ignore-errors"), QStringLiteral("TRUE"));
        processor.startActions();
        QCOMPARE(errors.count(), 1);
    }

    void stopActionsWaitsForTheCancelledProcess() {
        SV_ProcessAction sleeper;
        sleeper.setID(QStringLiteral("sleeper"));
        sleeper.setOption(QStringLiteral("process"), QStringLiteral("sleep"));
        sleeper.setOption(QStringLiteral("arg1"), QStringLiteral("60"));
        ScriptedAction after(QStringLiteral("after"));
        SV_ActionProcessor processor;
        processor.addAction(&sleeper);
        processor.addAction(&after);
        QSignalSpy done(&processor, &SV_ActionProcessor::sig_actionsDone);
        QSignalSpy errors(&processor, &SV_ActionProcessor::sig_actionError);
        processor.startActions();
        QVERIFY(sleeper.child()->isRunning());

        processor.stopActions();
        QCOMPARE(done.count(), 0);
        QVERIFY(!processor.actionsDone());
        // The terminated child's exit completes the run late, exactly once.
        QVERIFY(done.wait(30000));
        QTest::qWait(100);
        QCOMPARE(done.count(), 1);
        QVERIFY(processor.actionsDone());
        QCOMPARE(after.starts, 0);
        QVERIFY(sleeper.done());
        QVERIFY(!sleeper.successful());
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toString(),
                 QStringLiteral("Action: sleeper, error msg: The process exited abnormally"));
    }

    void cancelledActionThatNeverFinishesLeavesNoDoneSignal() {
        ScriptedAction hang(QStringLiteral("hang"), 1, ScriptedAction::Never);
        ScriptedAction next(QStringLiteral("next"));
        SV_ActionProcessor processor;
        processor.addAction(&hang);
        processor.addAction(&next);
        QSignalSpy done(&processor, &SV_ActionProcessor::sig_actionsDone);
        processor.startActions();
        processor.stopActions();
        QCOMPARE(hang.cancels, 1);
        QTest::qWait(100);
        QCOMPARE(done.count(), 0);
        // Finishing after all still ends the run, without starting the rest.
        hang.finish();
        QCOMPARE(done.count(), 1);
        QCOMPARE(next.starts, 0);
    }

    void emptyActionsClearsTheList() {
        ScriptedAction a(QStringLiteral("a"), 4);
        SV_ActionProcessor processor;
        processor.addAction(&a);
        QCOMPARE(processor.totalActionSteps(), 4);
        processor.emptyActions();
        QVERIFY(processor.actionList().isEmpty());
        processor.startActions();
        QCOMPARE(a.starts, 0);
        QVERIFY(processor.actionsDone());
    }

    void processorActionRunsAListAsOneAction() {
        ScriptedAction a(QStringLiteral("a"), 2), b(QStringLiteral("b"), 3, ScriptedAction::Later);
        a.error = QStringLiteral("inner");
        SV_ActionProcessorAction wrapper;
        QCOMPARE(wrapper.ID(), QStringLiteral("ActionProcessorAction"));
        QCOMPARE(wrapper.processor()->objectName(),
                 QStringLiteral("SV_ActionProcessorAction ActionProcessor"));
        wrapper.addAction(&a);
        wrapper.addAction(nullptr);
        wrapper.addAction(&b);
        QCOMPARE(wrapper.totalSteps(), 5);

        SV_ActionProcessor outer;
        ScriptedAction before(QStringLiteral("before"), 1);
        outer.addAction(&before);
        outer.addAction(&wrapper);
        QSignalSpy progress(&outer, &SV_ActionProcessor::sig_actionProgress);
        QSignalSpy errors(&outer, &SV_ActionProcessor::sig_actionError);
        QSignalSpy done(&outer, &SV_ActionProcessor::sig_actionsDone);
        outer.startActions();
        QVERIFY(done.wait(30000));
        QCOMPARE(ints(progress), (QList<int>{1, 3, 6, 6}));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("Action: a, error msg: inner"));
        QVERIFY(wrapper.done());
        QVERIFY(wrapper.successful()); // inner errors do not mark the wrapper
    }

    void cancelledProcessorActionFinishesLate() {
        SV_ProcessAction sleeper;
        sleeper.setID(QStringLiteral("sleeper"));
        sleeper.setOption(QStringLiteral("process"), QStringLiteral("sleep"));
        sleeper.setOption(QStringLiteral("arg1"), QStringLiteral("60"));
        SV_ActionProcessorAction wrapper;
        wrapper.addAction(&sleeper);
        QSignalSpy finished(&wrapper, &SV_Action::sig_actionDone);
        wrapper.slot_start();
        QVERIFY(sleeper.child()->isRunning());
        wrapper.slot_cancel();
        QVERIFY(finished.wait(30000));
        QTest::qWait(100);
        QCOMPARE(finished.count(), 1);
        QVERIFY(wrapper.done());
    }
};

QTEST_GUILESS_MAIN(TestProcessor)
#include "tst_processor.moc"
