// The install-sequence action under a running engine: combined progress, the pauses
// between sequences, the continue question and cancelling.
#include "sv_actionprocessor.h"
#include "sv_engine.h"
#include "sv_installsequenceaction.h"
#include "sv_scriptedviewer.h"
#include "sv_stage.h"
#include "sv_testdoubles.h"
#include "sv_testsupport.h"
#include "sv_uielement.h"
#include "sv_vendoraction.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

using vantortest::ScriptedAction;

// Test actions through the engine's hook for further action types.
SV_Action* createVendorAction(const QString& type, QObject* parent) {
    return vantortest::createScriptedAction(type, parent);
}

namespace {

using vantortest::ScriptedViewer;

ScriptedViewer* s_viewer = nullptr;

const char* const installFile = R"(<install>
  <variables>
    <variable id="pkg" default="mail"><string>Package</string><data-type><text-data/></data-type></variable>
    <variable id="gate" default="closed"><string>Gate</string><data-type><text-data/></data-type></variable>
  </variables>
  <actions>
    <action type="test-sync" id="three"><option-param param="steps" value="3"/></action>
    <action type="test-sync" id="four"><option-param param="steps" value="4"/></action>
    <action type="test-manual" id="first"/>
    <action type="test-manual" id="second"/>
  </actions>
  <stages>
    <stage id="twoparts"><ui><ui-element><output-element><install-sequence>
      <installaction-sequence><string>Packages for $$pkg$$</string><actionID action_id="three"/></installaction-sequence>
      <installaction-sequence><string>Configuration</string><actionID action_id="four"/></installaction-sequence>
    </install-sequence></output-element></ui-element></ui></stage>
    <stage id="gated"><ui><ui-element><output-element><install-sequence>
      <installaction-sequence><string>Always</string><actionID action_id="three"/></installaction-sequence>
      <installaction-sequence><string>When open</string>
        <valid-conditions><var-condition var_id="gate" condition="equal" value="open"/></valid-conditions>
        <actionID action_id="four"/>
      </installaction-sequence>
    </install-sequence></output-element></ui-element></ui></stage>
    <stage id="manual"><ui><ui-element><output-element><install-sequence>
      <installaction-sequence><string>One</string><actionID action_id="first"/></installaction-sequence>
      <installaction-sequence><string>Two</string><actionID action_id="second"/></installaction-sequence>
    </install-sequence></output-element></ui-element></ui></stage>
    <stage id="none"><ui><ui-element><output-element><install-sequence>
      <installaction-sequence><string>Never</string><valid-conditions condition="or"/>
        <actionID action_id="three"/></installaction-sequence>
    </install-sequence></output-element></ui-element></ui></stage>
  </stages>
</install>)";

// Generous bound for waiting on one or two 500 ms pauses.
constexpr int WaitMs = 10000;

ScriptedAction* testAction(const char* id) {
    return qobject_cast<ScriptedAction*>(SV_Engine::engine()->action(QLatin1String(id)));
}

SV_InstallSequenceAction* sequenceOf(const char* stageId) {
    SV_Stage* stage = SV_Engine::engine()->stage(QLatin1String(stageId));
    if (!stage || stage->uiElements().size() != 1) {
        return nullptr;
    }
    auto* element = qobject_cast<SV_UIInstallSequence*>(stage->uiElements().first());
    return element ? element->action() : nullptr;
}

void resetActions() {
    for (const char* id : {"three", "four", "first", "second"}) {
        ScriptedAction* action = testAction(id);
        action->starts = 0;
        action->cancels = 0;
        action->error = QString();
    }
    s_viewer->yesNoAnswers.clear();
    s_viewer->calls.clear();
}

QList<int> progressValues(const QSignalSpy& spy) {
    QList<int> values;
    for (const QList<QVariant>& args : spy) {
        values << args.first().toInt();
    }
    return values;
}

// The yes/no questions the viewer was asked since the last reset.
QStringList questions() {
    QStringList asked;
    for (const QString& call : std::as_const(s_viewer->calls)) {
        if (call.startsWith(QLatin1String("getYesNo:"))) {
            asked << call.mid(9);
        }
    }
    return asked;
}

QString question(const QString& error) {
    return QStringLiteral("<p>The following error occurred:<blockquote>") + error +
           QStringLiteral("<blockquote><br>Do you want to continue?</p>");
}

} // namespace

class TestInstallSequence : public QObject {
    Q_OBJECT

    vantortest::TempDir m_dir;

private slots:
    void initTestCase() {
        vantortest::installMessageHandler();
        QVERIFY(m_dir.isValid());
        const QString path = m_dir.write(QStringLiteral("install.xml"), installFile);

        ScriptedViewer::install([](ScriptedViewer* viewer) { s_viewer = viewer; });
        SV_Engine* engine = SV_Engine::engine();
        engine->setInstallFile(path);
        engine->init();
        QVERIFY(s_viewer);
        QCOMPARE(engine->viewer(), s_viewer);
        QTRY_VERIFY_WITH_TIMEOUT(s_viewer->calls.contains(QStringLiteral("startInstaller")),
                                 WaitMs);
        for (const char* id : {"twoparts", "gated", "manual", "none"}) {
            QVERIFY2(sequenceOf(id), id);
        }
    }

    void init() { resetActions(); }

    void combinedProgress() {
        SV_InstallSequenceAction* action = sequenceOf("twoparts");
        QCOMPARE(action->totalSteps(), 7);
        QSignalSpy progress(action, &SV_Action::sig_progress);
        QSignalSpy subjobs(action, &SV_InstallSequenceAction::sig_new_subjob);
        QSignalSpy done(action, &SV_Action::sig_actionDone);
        // Progress seen at the moment each new sequence is announced.
        QList<int> progressAtSubjob;
        QObject context;
        connect(action, &SV_InstallSequenceAction::sig_new_subjob, &context,
                [&] { progressAtSubjob << progress.count(); });

        action->slot_start();
        QCOMPARE(subjobs.count(), 0); // the first sequence starts after a pause too
        QVERIFY(done.wait(WaitMs));
        QCOMPARE(done.count(), 1);
        QVERIFY(action->done());
        QVERIFY(action->successful());

        QCOMPARE(subjobs.count(), 2);
        QCOMPARE(subjobs.at(0).at(0).toString(), QStringLiteral("Packages for mail"));
        QCOMPARE(subjobs.at(0).at(1).value<SV_Action*>(),
                 static_cast<SV_Action*>(action->sequences().at(0)->action()));
        QCOMPARE(subjobs.at(1).at(0).toString(), QStringLiteral("Configuration"));

        const QList<int> values = progressValues(progress);
        const QList<int> first = values.mid(0, progressAtSubjob.at(1));
        const QList<int> second = values.mid(progressAtSubjob.at(1));
        QVERIFY(!first.isEmpty() && !second.isEmpty());
        // Within the first sequence progress runs up to 3, in the second from 3 to 7.
        QCOMPARE(first.first(), 1);
        QCOMPARE(first.last(), 3);
        for (int v : first) {
            QVERIFY2(v >= 1 && v <= 3, qPrintable(QString::number(v)));
        }
        QCOMPARE(second.first(), 4);
        for (int v : second) {
            QVERIFY2(v >= 4 && v <= 7, qPrintable(QString::number(v)));
        }
        QCOMPARE(second.last(), 7);
        for (int i = 1; i < values.size(); ++i) {
            QVERIFY(values.at(i) >= values.at(i - 1));
        }
        QCOMPARE(testAction("three")->starts, 1);
        QCOMPARE(testAction("four")->starts, 1);
        QVERIFY(questions().isEmpty());
    }

    void pauseBetweenSequences() {
        SV_InstallSequenceAction* action = sequenceOf("twoparts");
        QSignalSpy subjobs(action, &SV_InstallSequenceAction::sig_new_subjob);
        QSignalSpy done(action, &SV_Action::sig_actionDone);
        QElapsedTimer timer;
        timer.start();
        action->slot_start();
        QVERIFY(done.wait(WaitMs));
        // Three pauses: before each sequence and before the end. Only a lower bound is
        // checked, with room for coarse timers.
        QVERIFY2(timer.elapsed() >= 3 * 400, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(subjobs.count(), 2);
    }

    void noValidSequence() {
        SV_InstallSequenceAction* action = sequenceOf("none");
        QCOMPARE(action->totalSteps(), 0);
        QSignalSpy progress(action, &SV_Action::sig_progress);
        QSignalSpy subjobs(action, &SV_InstallSequenceAction::sig_new_subjob);
        QSignalSpy done(action, &SV_Action::sig_actionDone);
        QElapsedTimer timer;
        timer.start();
        action->slot_start();
        QCOMPARE(done.count(), 0);
        QVERIFY(done.wait(WaitMs));
        QVERIFY(timer.elapsed() >= 400);
        QCOMPARE(subjobs.count(), 0);
        QCOMPARE(progressValues(progress), QList<int>{0});
        QCOMPARE(testAction("three")->starts, 0);
    }

    void errorAnsweredNo() {
        SV_InstallSequenceAction* action = sequenceOf("twoparts");
        testAction("three")->error = QStringLiteral("broken");
        s_viewer->yesNoAnswers = QStringList{QStringLiteral("no")};
        QSignalSpy errors(action, &SV_Action::sig_error);
        QSignalSpy done(action, &SV_Action::sig_actionDone);
        action->slot_start();
        QVERIFY(done.wait(WaitMs));
        QCOMPARE(questions(),
                 QStringList{question(QStringLiteral("Action: three, error msg: broken"))});
        QCOMPARE(testAction("four")->starts, 0);
        QVERIFY(!action->successful());
        QCOMPARE(errors.count(), 0); // never passed on as an error of its own
        // Nothing more happens after the end.
        QVERIFY(!done.wait(1200));
        QCOMPARE(testAction("four")->starts, 0);
    }

    // Answering "yes" runs the next sequence. The run before it was stopped by a "no",
    // which cancelled the failing action: the error must still be asked about once only.
    void errorAnsweredYes() {
        SV_InstallSequenceAction* action = sequenceOf("twoparts");
        testAction("three")->error = QStringLiteral("broken");
        s_viewer->yesNoAnswers = QStringList{QStringLiteral("no")};
        QSignalSpy done(action, &SV_Action::sig_actionDone);
        action->slot_start();
        QVERIFY(done.wait(WaitMs));
        QCOMPARE(testAction("four")->starts, 0);

        s_viewer->calls.clear();
        s_viewer->yesNoAnswers = QStringList{QStringLiteral("yes")};
        action->slot_start();
        QVERIFY(done.wait(WaitMs));
        QCOMPARE(questions().size(), 1);
        QCOMPARE(testAction("four")->starts, 1);
        QVERIFY(!action->successful());

        // A later run without errors is successful again.
        resetActions();
        action->slot_start();
        QVERIFY(done.wait(WaitMs));
        QVERIFY(action->successful());
    }

    void errorInLastSequenceAsksNothing() {
        SV_InstallSequenceAction* action = sequenceOf("twoparts");
        testAction("four")->error = QStringLiteral("late");
        s_viewer->yesNoAnswers = QStringList{QStringLiteral("no")};
        QSignalSpy done(action, &SV_Action::sig_actionDone);
        action->slot_start();
        QVERIFY(done.wait(WaitMs));
        QVERIFY(questions().isEmpty());
        QVERIFY(!action->successful());
        QCOMPARE(testAction("four")->starts, 1);
    }

    void validityDecidedAtStart() {
        SV_InstallSequenceAction* action = sequenceOf("gated");
        SV_Variable* gate = SV_Engine::engine()->variable(QStringLiteral("gate"));
        gate->storeValue(QStringList{QStringLiteral("closed")});
        QCOMPARE(action->totalSteps(), 3);
        QSignalSpy subjobs(action, &SV_InstallSequenceAction::sig_new_subjob);
        QSignalSpy progress(action, &SV_Action::sig_progress);
        QSignalSpy done(action, &SV_Action::sig_actionDone);
        action->slot_start();
        gate->storeValue(QStringList{QStringLiteral("open")}); // valid only after the start
        QCOMPARE(action->totalSteps(), 7);
        QVERIFY(done.wait(WaitMs));
        QCOMPARE(subjobs.count(), 1);
        QCOMPARE(testAction("four")->starts, 0);
        QCOMPARE(progressValues(progress).last(), 3);

        // The next run sees it.
        action->slot_start();
        QVERIFY(done.wait(WaitMs));
        QCOMPARE(subjobs.count(), 3);
        QCOMPARE(testAction("four")->starts, 1);
        QCOMPARE(progressValues(progress).last(), 7);
        gate->storeValue(QStringList{QStringLiteral("closed")});
    }

    void cancelWhileRunning() {
        SV_InstallSequenceAction* action = sequenceOf("manual");
        ScriptedAction* first = testAction("first");
        ScriptedAction* second = testAction("second");
        QSignalSpy subjobs(action, &SV_InstallSequenceAction::sig_new_subjob);
        QSignalSpy done(action, &SV_Action::sig_actionDone);
        action->slot_start();
        QVERIFY(subjobs.wait(WaitMs));
        QCOMPARE(first->starts, 1);

        action->slot_cancel();
        QCOMPARE(first->cancels, 1);
        QVERIFY(!done.wait(1200)); // no end while the cancelled action has not finished
        first->finish();
        QVERIFY(done.wait(WaitMs));
        QCOMPARE(second->starts, 0);
        QCOMPARE(subjobs.count(), 1);
    }

    void cancelBetweenSequences() {
        SV_InstallSequenceAction* action = sequenceOf("manual");
        ScriptedAction* first = testAction("first");
        ScriptedAction* second = testAction("second");
        QSignalSpy subjobs(action, &SV_InstallSequenceAction::sig_new_subjob);
        QSignalSpy done(action, &SV_Action::sig_actionDone);
        action->slot_start();
        QVERIFY(subjobs.wait(WaitMs));
        first->finish(); // the pause before the second sequence begins
        action->slot_cancel();
        QVERIFY(done.wait(WaitMs));
        QCOMPARE(second->starts, 0);
        QCOMPARE(first->cancels, 0);
    }

    // Answering "no" while the failing action is still running cancels it; the run ends
    // when it finishes.
    void answerNoCancelsRunningSequence() {
        SV_InstallSequenceAction* action = sequenceOf("manual");
        ScriptedAction* first = testAction("first");
        ScriptedAction* second = testAction("second");
        first->error = QStringLiteral("stuck");
        s_viewer->yesNoAnswers = QStringList{QStringLiteral("no")};
        QSignalSpy done(action, &SV_Action::sig_actionDone);
        QSignalSpy subjobs(action, &SV_InstallSequenceAction::sig_new_subjob);
        action->slot_start();
        QVERIFY(subjobs.wait(WaitMs));
        QCOMPARE(questions().size(), 1);
        QCOMPARE(first->cancels, 1);
        first->finish();
        QVERIFY(done.wait(WaitMs));
        QCOMPARE(second->starts, 0);
        QVERIFY(!action->successful());
    }

    // Starting again while a run is going abandons that run: each sequence of the new
    // run is announced and finished once.
    void restartWhileRunning() {
        SV_InstallSequenceAction* action = sequenceOf("manual");
        ScriptedAction* first = testAction("first");
        ScriptedAction* second = testAction("second");
        QSignalSpy subjobs(action, &SV_InstallSequenceAction::sig_new_subjob);
        QSignalSpy done(action, &SV_Action::sig_actionDone);
        action->slot_start();
        QVERIFY(subjobs.wait(WaitMs));
        action->slot_start();
        QVERIFY(subjobs.wait(WaitMs));
        QCOMPARE(first->starts, 2);
        first->finish();
        QVERIFY(subjobs.wait(WaitMs));
        QCOMPARE(subjobs.count(), 3);
        QCOMPARE(second->starts, 1);
        second->finish();
        QVERIFY(done.wait(WaitMs));
        QVERIFY(!done.wait(1200));
        QCOMPARE(done.count(), 1);
        QCOMPARE(subjobs.count(), 3);
    }

    // The install sequence inside a stage: the stage may continue once it has ended.
    void stageRunsInstallSequence() {
        SV_Stage* stage = SV_Engine::engine()->stage(QStringLiteral("twoparts"));
        QVERIFY(stage->hasActionSequences());
        QSignalSpy actionsDone(stage, &SV_Stage::sig_stageActionsDone);
        stage->init();
        QVERIFY(!stage->canContinue());
        QVERIFY(actionsDone.wait(WaitMs));
        QVERIFY(stage->canContinue());
        QCOMPARE(testAction("three")->starts, 1);
        QCOMPARE(testAction("four")->starts, 1);
        stage->finish();
    }
};

QTEST_GUILESS_MAIN(TestInstallSequence)
#include "tst_installsequence.moc"
