#include "sv_actionrun.h"
#include "sv_childprocess.h"
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_processaction.h"
#include "sv_testmain.h"
#include "sv_testsupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

using vantortest::ActionRun;
using vantortest::inStart;
using vantortest::runAction;
using vantortest::TempDir;

namespace {

// Builds a process action from a program and its arguments (arg1, arg2, ...).
void setCommand(SV_ProcessAction& action, const QString& program, const QStringList& args = {}) {
    action.setOption(QStringLiteral("process"), program);
    for (int i = 0; i < args.size(); ++i)
        action.setOption(QStringLiteral("arg") + QString::number(i + 1), args.at(i));
}

bool messageSeen(const QString& text) {
    return vantortest::messages().contains(text);
}

bool logged(const QString& id, const QString& text) {
    return messageSeen(QStringLiteral("Log message from: ") + id + QStringLiteral(": ") + text);
}

} // namespace

// The process action with real children: the error table, the log record, arguments and
// template arguments, timed progress, detach and cancel.
class TestProcessAction : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Collect the messages while the tests run (QtTest installs its own handler).
        vantortest::installMessageHandler();
        SV_Engine::engine()->loadVariables(vantortest::parseXml(QStringLiteral(
            "<installation><variables><variable id='target' default='/opt/x'>"
            "<data-type><text-data/></data-type></variable></variables></installation>")));
        QVERIFY(SV_Engine::engine()->variable(QStringLiteral("target")));
    }
    void init() { vantortest::clearMessages(); }

    void exitStatusAndStandardErrorMakeTheErrorTable() {
        SV_ProcessAction action;
        action.setID(QStringLiteral("p"));

        // Non-zero status without text on standard error: no error.
        setCommand(action, QStringLiteral("false"));
        QCOMPARE(runAction(action).errors, QStringList());
        QVERIFY(action.done());
        QVERIFY(action.successful());

        // Text on standard error with status 0: no error.
        setCommand(action, QStringLiteral("sh"),
                   {QStringLiteral("-c"), QStringLiteral("echo note >&2")});
        QCOMPARE(runAction(action).errors, QStringList());

        // Both: an error carrying the whole standard error text.
        setCommand(
            action, QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("printf 'bad '>&2; echo thing >&2; exit 2")});
        QCOMPARE(runAction(action).errors,
                 QStringList(QStringLiteral(
                     "Action: p, error msg: Process returned error message: bad thing\n")));
        QVERIFY(!action.successful());

        // Only the word false turns it off.
        action.setOption(QStringLiteral("stderr-is-err"), QStringLiteral("no"));
        QCOMPARE(runAction(action).errors.size(), 1);
        action.setOption(QStringLiteral("stderr-is-err"), QStringLiteral("false"));
        vantortest::clearMessages();
        QCOMPARE(runAction(action).errors, QStringList());
        QVERIFY(action.successful());
        QVERIFY(
            logged(QStringLiteral("p"),
                   QStringLiteral("Command line = sh -c printf 'bad '>&2; echo thing >&2; exit 2\n"
                                  "Standard Err = bad thing\n\n")));
    }

    void logRecordHoldsTheFullOutput() {
        SV_ProcessAction action;
        action.setID(QStringLiteral("rec"));
        setCommand(
            action, QStringLiteral("sh"),
            {QStringLiteral("-c"),
             QStringLiteral("printf one; sleep 0.2; printf 'two\\n'; printf oops >&2; sleep 0.2; "
                            "printf three")});
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.standardOutput(), QStringLiteral("onetwo\nthree"));
        QVERIFY(logged(
            QStringLiteral("rec"),
            QStringLiteral("Command line = sh -c printf one; sleep 0.2; printf 'two\\n'; printf "
                           "oops >&2; sleep 0.2; printf three\n"
                           "Standard Out = onetwo\nthree\n"
                           "Standard Err = oops\n")));

        // A new run empties the captured texts.
        setCommand(action, QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("true")});
        vantortest::clearMessages();
        QCOMPARE(runAction(action).errors, QStringList());
        QVERIFY(action.standardOutput().isEmpty());
        QVERIFY(action.standardError().isEmpty());
        QVERIFY(logged(QStringLiteral("rec"), QStringLiteral("Command line = sh -c true\n")));
    }

    void charactersSplitAcrossChunksStayWhole() {
        SV_ProcessAction action;
        action.setID(QStringLiteral("utf"));
        setCommand(
            action, QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("printf '\\303'; sleep 0.3; printf '\\251'")});
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.standardOutput(), QString(QChar(0xE9)));
    }

    void failedStartStopsTheProgressTimer() {
        SV_ProcessAction action;
        action.setID(QStringLiteral("gone"));
        setCommand(action, QStringLiteral("quorelle-no-such-program"));
        action.setOption(QStringLiteral("time"), QStringLiteral("5000"));
        action.setOption(QStringLiteral("progress-interval"), QStringLiteral("20"));
        QSignalSpy progress(&action, &SV_Action::sig_progress);
        QCOMPARE(runAction(action).errors.size(), 1);
        QTest::qWait(300);
        QCOMPARE(progress.count(), 1); // only the final value
    }

    void startFailuresAreReported() {
        SV_ProcessAction action;
        action.setID(QStringLiteral("missing"));
        setCommand(action, QStringLiteral("quorelle-no-such-program"), {QStringLiteral("x")});
        // Finished before slot_start() returned.
        QCOMPARE(runAction(action, inStart).errors,
                 QStringList(QStringLiteral(
                     "Action: missing, error msg: The executable: quorelle-no-such-program was "
                     "not in $PATH")));
        for (const QString& m : vantortest::messages())
            QVERIFY(!m.contains(QStringLiteral("Command line =")));

        // A program name with blanks is not split into words.
        setCommand(action, QStringLiteral("sh -c true"));
        QCOMPARE(runAction(action).errors,
                 QStringList(QStringLiteral(
                     "Action: missing, error msg: The executable: sh -c true was not "
                     "in $PATH")));

        // A file that exists but cannot be run.
        TempDir dir;
        const QString plain = dir.write(QStringLiteral("plain"), "not a program\n");
        setCommand(action, plain);
        QCOMPARE(runAction(action).errors,
                 QStringList(QStringLiteral("Action: missing, error msg: The executable: ") +
                             plain +
                             QStringLiteral(" could not be started for an unknown reason")));
    }

    void exeInPathSearchesEveryDirectory() {
        TempDir dir;
        const QString first = dir.mkdir(QStringLiteral("a"));
        const QString second = dir.mkdir(QStringLiteral("b"));
        dir.write(QStringLiteral("b/tool"), "");
        dir.mkdir(QStringLiteral("a/subdir"));
        const QByteArray saved = qgetenv("PATH");
        qputenv("PATH",
                (QStringLiteral("::") + first + QStringLiteral(":") + second).toLocal8Bit());
        const bool tool = SV_ProcessAction::exeInPath(QStringLiteral("tool"));
        const bool subdir = SV_ProcessAction::exeInPath(QStringLiteral("subdir"));
        const bool none = SV_ProcessAction::exeInPath(QStringLiteral("none"));
        const bool absolute = SV_ProcessAction::exeInPath(dir.file(QStringLiteral("b/tool")));
        qputenv("PATH", saved);
        QVERIFY(tool);
        QVERIFY(!subdir);
        QVERIFY(!none);
        QVERIFY(absolute);
    }

    void argumentsEndAtTheFirstMissingNumber() {
        SV_ProcessAction action;
        action.setID(QStringLiteral("args"));
        action.setOption(QStringLiteral("process"), QStringLiteral("sh"));
        action.setOption(QStringLiteral("arg1"), QStringLiteral("-c"));
        action.setOption(QStringLiteral("arg2"), QStringLiteral("printf '%s:[%s]' \"$#\" \"$*\""));
        action.setOption(QStringLiteral("arg4"), QStringLiteral("four"));
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.commandLine().size(), 3);
        QCOMPARE(action.standardOutput(), QStringLiteral("0:[]"));

        // An empty argument is still an argument.
        action.setOption(QStringLiteral("arg3"), QString(""));
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.standardOutput(), QStringLiteral("1:[four]"));
    }

    void rvalIsStandardOutputOnlyWhenAsked() {
        SV_ProcessAction action;
        action.setID(QStringLiteral("answer"));
        setCommand(action, QStringLiteral("printf"), {QStringLiteral("x86_64\nsecond line\n\n")});
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.rval(), QString()); // the plain process action has no value
        action.setOption(QStringLiteral("rval"), QStringLiteral("stdout"));
        QCOMPARE(action.rval(), QStringLiteral("x86_64\nsecond line"));
        // A new run replaces the value; a program that prints nothing gives an empty one.
        setCommand(action, QStringLiteral("true"));
        QCOMPARE(runAction(action).errors, QStringList());
        QCOMPARE(action.rval(), QString(""));
    }

    void templateArgumentsAreFilledAndRemoved() {
        TempDir dir;
        const QString tmpl =
            dir.write(QStringLiteral("conf.in"), "path=$$target$$/bin\nplain line");
        SV_ProcessAction action;
        action.setID(QStringLiteral("tmpl"));
        action.setOption(QStringLiteral("process"), QStringLiteral("sh"));
        action.setOption(QStringLiteral("arg1"), QStringLiteral("-c"));
        action.setOption(QStringLiteral("arg2"), QStringLiteral("cat \"$0\"; cat \"$1\""));
        action.setOption(QStringLiteral("arg3"), tmpl);
        action.setOption(QStringLiteral("arg4"), tmpl);
        action.setOption(QStringLiteral("template-file"), QStringLiteral(",arg3,,"));
        QCOMPARE(runAction(action).errors, QStringList());
        const QString copy = action.commandLine().at(3);
        QVERIFY2(copy.startsWith(QStringLiteral("/tmp/vantortemplate")), qPrintable(copy));
        QCOMPARE(action.commandLine().at(4), tmpl); // not named in template-file
        QCOMPARE(action.standardOutput(),
                 QStringLiteral("path=/opt/x/bin\nplain line\npath=$$target$$/bin\nplain line"));
        QVERIFY(!QFile::exists(copy));
        QVERIFY(messageSeen(QStringLiteral("ProcessAction, replace arg: ") + tmpl +
                            QStringLiteral(" with filled out template")));

        // Also when the child cannot even be started.
        action.setOption(QStringLiteral("process"), QStringLiteral("quorelle-no-such-program"));
        QCOMPARE(runAction(action).errors.size(), 1);
        QVERIFY(!QFile::exists(action.commandLine().at(3)));
    }

    // An unknown reference in a template argument ends the program while the copy is being
    // filled; the copies made for this start go with it.
    void fatalTemplateLeavesNoCopies() {
        TempDir dir;
        const QString good = dir.write(QStringLiteral("good.in"), "plain\n");
        const QString bad = dir.write(QStringLiteral("bad.in"), "a\nb=$$nosuch$$\n");
        const vantortest::ProcessResult result =
            vantortest::runInOwnProcess(QStringLiteral("fatal-template"), {good, bad});
        QVERIFY(result.started);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains(
                     "SV_VariableRegExp::fixString, Found an invalid variable ID: nosuch\n"),
                 result.err.constData());
        QStringList copies;
        const QByteArray marker = "ProcessAction, template copy: ";
        for (const QByteArray& line : result.err.split('\n')) {
            if (line.startsWith(marker))
                copies << QString::fromLocal8Bit(line.mid(marker.size()));
        }
        QCOMPARE(copies.size(), 2);
        for (const QString& copy : copies) {
            QVERIFY2(copy.startsWith(QStringLiteral("/tmp/vantortemplate")), qPrintable(copy));
            QVERIFY2(!QFile::exists(copy), qPrintable(copy));
        }
    }

    void timedProgressStopsAfterTheLastStep() {
        TempDir dir;
        const QString release = dir.file(QStringLiteral("release"));
        SV_ProcessAction action;
        action.setID(QStringLiteral("timed"));
        setCommand(action, QStringLiteral("sh"),
                   {QStringLiteral("-c"),
                    QStringLiteral("while [ ! -e \"$0\" ]; do sleep 0.05; done"), release});
        action.setOption(QStringLiteral("time"), QStringLiteral("500"));
        action.setOption(QStringLiteral("progress-interval"), QStringLiteral("50"));
        QCOMPARE(action.totalSteps(), 10);

        QSignalSpy progress(&action, &SV_Action::sig_progress);
        QSignalSpy done(&action, &SV_Action::sig_actionDone);
        action.slot_start();
        QTRY_COMPARE_WITH_TIMEOUT(progress.count(), 10, 60000);
        QTest::qWait(500); // ten more intervals: the timer has stopped
        QCOMPARE(progress.count(), 10);
        QVERIFY(action.child()->isRunning());
        for (int i = 0; i < 10; ++i)
            QCOMPARE(progress.at(i).at(0).toInt(), i + 1);

        dir.write(QStringLiteral("release"), "");
        QVERIFY(done.wait(60000));
        QCOMPARE(progress.count(), 11);
        QCOMPARE(progress.last().at(0).toInt(), 10);
        QVERIFY(action.successful());
    }

    void stepCountsOfTheTimeOptions() {
        SV_ProcessAction action;
        QCOMPARE(action.totalSteps(), 1);
        action.setOption(QStringLiteral("time"), QStringLiteral("10000"));
        QCOMPARE(action.totalSteps(), 10);
        action.setOption(QStringLiteral("progress-interval"), QStringLiteral("2500"));
        QCOMPARE(action.totalSteps(), 4);
        // Intervals that are not positive numbers fall back to one second.
        for (const char* interval : {"0", "-20", "soon"}) {
            action.setOption(QStringLiteral("progress-interval"), QString::fromLatin1(interval));
            QCOMPARE(action.totalSteps(), 10);
        }
        action.setOption(QStringLiteral("time"), QStringLiteral("-3000"));
        QCOMPARE(action.totalSteps(), 0);
    }

    void zeroIntervalStillReportsProgress() {
        SV_ProcessAction action;
        action.setID(QStringLiteral("zero"));
        setCommand(action, QStringLiteral("sleep"), {QStringLiteral("0.3")});
        action.setOption(QStringLiteral("time"), QStringLiteral("1000"));
        action.setOption(QStringLiteral("progress-interval"), QStringLiteral("0"));
        const ActionRun run = runAction(action);
        QCOMPARE(run.errors, QStringList());
        // At most the final value: no storm of zero-interval ticks.
        QVERIFY2(run.progress.size() <= 2, qPrintable(QString::number(run.progress.size())));
        QCOMPARE(run.progress.last(), 1);
    }

    void invalidTimeIsFatal() {
        const vantortest::ProcessResult result =
            vantortest::runInOwnProcess(QStringLiteral("invalid-time"));
        QVERIFY(result.started);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.contains("Invalid time: soon given to process action\n"),
                 result.err.constData());
    }

    void detachedActionFinishesAtOnce() {
        TempDir dir;
        const QString marker = dir.file(QStringLiteral("marker"));
        SV_ProcessAction action;
        action.setID(QStringLiteral("daemon"));
        setCommand(
            action, QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("sleep 0.5; echo late; touch \"$0\""), marker});
        action.setOption(QStringLiteral("detach"), QStringLiteral("true"));
        action.setOption(QStringLiteral("time"), QStringLiteral("5000"));
        QSignalSpy done(&action, &SV_Action::sig_actionDone);
        QSignalSpy progress(&action, &SV_Action::sig_progress);
        action.slot_start();
        QCOMPARE(done.count(), 1);
        QVERIFY(action.successful());
        QVERIFY(!QFile::exists(marker));
        QVERIFY(logged(QStringLiteral("daemon"),
                       QStringLiteral("Command line = sh -c sleep 0.5; echo late; touch \"$0\" ") +
                           marker + QStringLiteral("\n")));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 30000);
        QTest::qWait(100);
        QCOMPARE(done.count(), 1);
        QCOMPARE(progress.count(), 1); // only the final value: no timer left running
        QVERIFY(action.standardOutput().isEmpty());
    }

    void cancelTerminatesTheChild() {
        SV_ProcessAction action;
        action.setID(QStringLiteral("long"));
        setCommand(action, QStringLiteral("sleep"), {QStringLiteral("60")});
        action.setOption(QStringLiteral("time"), QStringLiteral("60000"));
        QSignalSpy done(&action, &SV_Action::sig_actionDone);
        QSignalSpy errors(&action, &SV_Action::sig_error);
        action.slot_start();
        QVERIFY(action.child()->isRunning());
        action.slot_cancel();
        QVERIFY(done.wait(30000));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toString(),
                 QStringLiteral("Action: long, error msg: The process exited abnormally"));
        QVERIFY(!action.successful());
        QVERIFY(logged(QStringLiteral("long"), QStringLiteral("Command line = sleep 60\n")));
    }
};

static void ownProcessCases(const QString& name) {
    if (name == QLatin1String("fatal-template")) {
        const QStringList templates = vantortest::ownProcessArguments();
        SV_ProcessAction action;
        action.setOption(QStringLiteral("process"), QStringLiteral("true"));
        action.setOption(QStringLiteral("arg1"), templates.value(0));
        action.setOption(QStringLiteral("arg2"), templates.value(1));
        action.setOption(QStringLiteral("template-file"), QStringLiteral("arg1,arg2"));
        action.slot_start();
    }
    if (name == QLatin1String("invalid-time")) {
        SV_ProcessAction action;
        action.setOption(QStringLiteral("time"), QStringLiteral("soon"));
        action.totalSteps();
    }
}

VANTOR_TEST_MAIN(TestProcessAction, ownProcessCases)
#include "tst_processaction.moc"
