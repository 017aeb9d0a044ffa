#include "sv_action.h"
#include "sv_actionrun.h"
#include "sv_actiontypes.h"
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_testmain.h"
#include "sv_testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>

#include <cstdlib>
#include <functional>

using vantortest::ActionRun;
using vantortest::runAction;
using vantortest::TempDir;

namespace {

// The runs a row can set up.
enum class Kind {
    Quick,  // real work that ends soon
    Broken, // options that make the run fail (it still ends, once)
    Long,   // a run that goes on long enough to be cancelled
};

// Whether a quick run reports errors.
enum class Errors {
    None,
    Either, // depends on the machine
};

// What slot_cancel() does to a run of the type that is still going.
enum class Cancel {
    NothingRuns, // the run has ended inside slot_start(): a cancel changes nothing
    Finishes,    // the work stops, and the action finishes once, later
    Stops,       // the work stops, and the action does not finish by itself
};

// One action type under the contract: how to set up its runs and what to expect of them.
struct Row {
    // Sets the action's options for a run of that kind; false when the type has no such
    // run (nothing makes a host-name lookup fail on purpose).
    std::function<bool(SV_Action& action, Kind kind)> configure;
    // A quick run ends inside slot_start().
    bool inStart;
    Errors errors;
    // A quick run counts as successful (a query of a package that is not there does not).
    bool successful;
    Cancel cancel;
    // How long a long run of a Cancel::Stops type would take: it must not end after that.
    int longRunMs = 0;
};

const char* text(Cancel cancel) {
    switch (cancel) {
    case Cancel::NothingRuns:
        return "nothing runs";
    case Cancel::Finishes:
        return "finishes";
    case Cancel::Stops:
        return "stops";
    }
    return "?";
}

// Enough for an action whose run has ended to deliver a second, stray completion (a timer
// or a child's exit left behind).
constexpr int settleMs = 20;

// An action that breaks the contract: it finishes twice per start.
class FinishesTwice : public SV_Action {
    Q_OBJECT
public slots:
    void slot_start() override {
        SV_Action::slot_start();
        slot_setDone();
        QTimer::singleShot(0, this, &SV_Action::slot_setDone);
    }
};

// Runs FinishesTwice under runAction() inside a test function of its own.
class InnerContractTest : public QObject {
    Q_OBJECT
private slots:
    void finishesTwice() {
        FinishesTwice action;
        action.setID(QStringLiteral("twice"));
        runAction(action);
    }
};

} // namespace

// Every action type the engine's factory knows goes through the action contract of
// sv_action.h with real work: a start ends with exactly one sig_actionDone() and progress
// up to the step count, also when the run fails; the action can be started again once
// done, and nothing of an earlier run shows in a later one; a cancel while it runs does not
// finish it inside slot_cancel(), and afterwards it either finishes once or not at all, as
// its type says; and a cancelled action starts and finishes cleanly again.
class TestActionContract : public QObject {
    Q_OBJECT

    TempDir m_dir;
    QTcpServer m_server;
    QMap<QString, Row> m_rows;

    QString write(const QString& name, const QByteArray& content, bool executable = false) {
        const QString path = m_dir.write(name, content);
        if (executable)
            QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
        return path;
    }

    void buildRows() {
        const QString dir = m_dir.path();
        const QString root = m_dir.mkdir(QStringLiteral("root"));
        const QString editFile = write(QStringLiteral("edit.conf"), "a\nb\n");
        const QString keyValues = write(QStringLiteral("values.conf"), "port = 389\n");
        const QString java =
            write(QStringLiteral("java"),
                  "#!/bin/sh\necho 'openjdk version \"17.0.9\" 2023-10-17' >&2\n", true);
        const QString mute = write(QStringLiteral("mutejava"), "#!/bin/sh\necho hello\n", true);
        const QString slowJava =
            write(QStringLiteral("slowjava"), "#!/bin/sh\nexec sleep 30\n", true);
        // The command name ps -C knows this program by (at most 15 characters).
        const QString ownName =
            QFileInfo(QCoreApplication::applicationFilePath()).fileName().left(15);
        const QString openPort = QString::number(m_server.serverPort());
        QString closedPort;
        {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
            closedPort = QString::number(closed.serverPort());
        }

        // Sets the options; a null value removes one.
        using Options = QList<QPair<const char*, QString>>;
        auto set = [](SV_Action& a, const Options& options) {
            for (const auto& o : options)
                a.setOption(QString::fromLatin1(o.first), o.second);
            return true;
        };
        auto pick = [](Kind kind, const QString& quick, const QString& broken,
                       const QString& longRun) {
            return kind == Kind::Quick ? quick : kind == Kind::Broken ? broken : longRun;
        };

        m_rows[QStringLiteral("gethostname")] = {
            [](SV_Action&, Kind kind) { return kind != Kind::Broken; }, true,
            // The machine's name may not resolve; the run ends all the same.
            Errors::Either, true, Cancel::NothingRuns};
        m_rows[QStringLiteral("process")] = {
            [=](SV_Action& a, Kind kind) {
                return set(a, {{"process", pick(kind, QStringLiteral("sleep"), QStringLiteral("sh"),
                                                QStringLiteral("sleep"))},
                               {"arg1", pick(kind, QStringLiteral("0"), QStringLiteral("-c"),
                                             QStringLiteral("30"))},
                               {"arg2", pick(kind, QString(), QStringLiteral("echo no >&2; exit 3"),
                                             QString())}});
            },
            false, Errors::None, true, Cancel::Finishes};
        m_rows[QStringLiteral("file-edit")] = {
            [=](SV_Action& a, Kind kind) {
                return set(
                    a, {{"file", kind == Kind::Broken ? dir + QStringLiteral("/none") : editFile},
                        {"action", QStringLiteral("replace")},
                        {"replace_regexp", QStringLiteral("b")},
                        {"newstring", QStringLiteral("b")}});
            },
            true, Errors::None, true, Cancel::NothingRuns};
        m_rows[QStringLiteral("file-install")] = {
            [=](SV_Action& a, Kind kind) {
                return set(a, {{"file", kind == Kind::Broken ? QStringLiteral("none.txt")
                                                             : QStringLiteral("payload.txt")},
                               {"install-location", dir + QStringLiteral("/installed.txt")}});
            },
            true, Errors::None, true, Cancel::NothingRuns};
        m_rows[QStringLiteral("rpm")] = {
            [=](SV_Action& a, Kind kind) {
                // Not installed in the private database: unsuccessful, but no error. Without
                // a package name the query cannot run.
                return set(
                    a, {{"command", QStringLiteral("query")},
                        {"rpms", kind == Kind::Broken ? QString()
                                                      : QStringLiteral("quorelle-contract-none")},
                        {"extra-args", QStringLiteral("--root,") + root}});
            },
            false, Errors::None, false, Cancel::Finishes};
        m_rows[QStringLiteral("check-java")] = {
            [=](SV_Action& a, Kind kind) {
                return set(a, {{"java_exe", pick(kind, java, mute, slowJava)},
                               {"version", QStringLiteral("11")}});
            },
            false, Errors::None, true, Cancel::Finishes};
        m_rows[QStringLiteral("check-process")] = {
            [=](SV_Action& a, Kind kind) {
                return set(a, {{"name", kind == Kind::Broken ? QStringLiteral("quorelle-nothere")
                                                             : ownName}});
            },
            false, Errors::None, true, Cancel::Finishes};
        m_rows[QStringLiteral("pause")] = {
            [=](SV_Action& a, Kind kind) {
                return set(a, {{"time", pick(kind, QStringLiteral("30"), QStringLiteral("soon"),
                                             QStringLiteral("150"))},
                               {"progress-interval", QStringLiteral("10")}});
            },
            false,
            Errors::None,
            true,
            Cancel::Stops,
            150};
        m_rows[QStringLiteral("server-connect")] = {
            [=](SV_Action& a, Kind kind) {
                return set(a, {{"name", QStringLiteral("127.0.0.1")},
                               {"port", kind == Kind::Broken ? closedPort : openPort}});
            },
            false, Errors::None, true, Cancel::Finishes};
        m_rows[QStringLiteral("read-file")] = {
            [=](SV_Action& a, Kind kind) {
                return set(
                    a, {{"type", QStringLiteral("key=value")},
                        {"file", kind == Kind::Broken ? dir + QStringLiteral("/none") : keyValues},
                        {"name", QStringLiteral("port")}});
            },
            true, Errors::None, true, Cancel::NothingRuns};
        m_rows[QStringLiteral("var-modifier")] = {
            [=](SV_Action& a, Kind kind) {
                // A variable that does not exist is skipped without an error.
                return kind != Kind::Broken && set(a, {{"var_id", QStringLiteral("target")},
                                                       {"newstring", QStringLiteral("x")}});
            },
            true, Errors::None, true, Cancel::NothingRuns};
        m_rows[QStringLiteral("var-initializer")] = {
            [=](SV_Action& a, Kind kind) {
                return set(a, {{"var_id", QStringLiteral("target")},
                               {"action_id", kind == Kind::Broken ? QStringLiteral("none")
                                                                  : QStringLiteral("inner")}});
            },
            true, Errors::None, true, Cancel::NothingRuns};
        m_rows[QStringLiteral("generate-password")] = {
            [=](SV_Action& a, Kind kind) {
                // No printable character lies between 0 and 5. (A bound that is not given
                // keeps the value of the last run, so both are always set.)
                return set(a, {{"length", QStringLiteral("16")},
                               {"min", QStringLiteral("0")},
                               {"max", kind == Kind::Broken ? QStringLiteral("5")
                                                            : QStringLiteral("2147483647")}});
            },
            true, Errors::None, true, Cancel::NothingRuns};
        m_rows[QStringLiteral("load-environment-variable")] = {
            [=](SV_Action& a, Kind kind) {
                return set(a, {{"environment-variable",
                                kind == Kind::Broken ? QString() : QStringLiteral("PATH")}});
            },
            true, Errors::None, true, Cancel::NothingRuns};
    }

    // The contract for one run that has ended; errors tells whether errors are expected
    // (Errors::Either: whatever comes).
    static void checkRun(SV_Action& action, const ActionRun& run, int total, bool inStart,
                         Errors errors, bool broken) {
        QVERIFY(action.done());
        QCOMPARE(action.currSteps(), 0);
        if (!broken)
            QCOMPARE(run.finishedInStart, inStart);
        QVERIFY(!run.progress.isEmpty());
        for (int p : run.progress)
            QVERIFY2(p >= 0 && p <= total,
                     qPrintable(QStringLiteral("progress %1 of %2 steps").arg(p).arg(total)));
        QCOMPARE(run.progress.last(), total);
        const QString prefix =
            QStringLiteral("Action: ") + action.ID() + QStringLiteral(", error msg: ");
        for (const QString& e : run.errors)
            QVERIFY2(e.startsWith(prefix), qPrintable(e));
        if (!run.errors.isEmpty())
            QVERIFY(!action.successful());
        if (broken)
            QVERIFY(!run.errors.isEmpty());
        else if (errors == Errors::None)
            QCOMPARE(run.errors, QStringList());
    }

    // Runs the action as configured and holds the run to the contract; a run that does not
    // end inside slot_start() is watched a little longer for a stray second completion.
    static void startAndCheck(SV_Action& action, const Row& row, bool broken = false) {
        const int total = action.totalSteps();
        QSignalSpy done(&action, &SV_Action::sig_actionDone);
        QSignalSpy progress(&action, &SV_Action::sig_progress);
        QSignalSpy errors(&action, &SV_Action::sig_error);
        const ActionRun run =
            runAction(action, row.inStart && !broken ? vantortest::inStart : 60000);
        checkRun(action, run, total, row.inStart, row.errors, broken);
        if (QTest::currentTestFailed())
            return;
        if (!broken && row.errors == Errors::None)
            QCOMPARE(action.successful(), row.successful);
        // Nothing of the run comes after its end.
        if (!run.finishedInStart)
            QTest::qWait(settleMs);
        QCOMPARE(done.count(), 1);
        QCOMPARE(progress.count(), run.progress.size());
        QCOMPARE(errors.count(), run.errors.size());
    }

private slots:
    void initTestCase() {
        vantortest::installMessageHandler();
        QVERIFY(m_dir.isValid());
        QVERIFY(m_server.listen(QHostAddress::LocalHost, 0));
        QCOMPARE(
            vantortest::runProgram(QStringLiteral("rpm"),
                                   {QStringLiteral("--root"), m_dir.mkdir(QStringLiteral("root")),
                                    QStringLiteral("--initdb")},
                                   QProcessEnvironment::systemEnvironment())
                .exitCode,
            0);
        SV_Engine* engine = SV_Engine::engine();
        const QString resources = m_dir.mkdir(QStringLiteral("resources"));
        m_dir.write(QStringLiteral("resources/payload.txt"), "payload\n");
        engine->loadInstallInfo(vantortest::parseXml(
            QStringLiteral("<installation><install-info><resources dir='%1'/></install-info>"
                           "</installation>")
                .arg(resources)));
        const SV_XmlNode file = vantortest::parseXml(QStringLiteral(
            "<installation><variables><variable id='target' default='/opt'>"
            "<data-type><text-data/></data-type></variable></variables>"
            "<actions><action type='load-environment-variable' id='inner'>"
            "<option-param param='environment-variable' value='HOME'/></action></actions>"
            "</installation>"));
        engine->loadVariables(file);
        engine->loadActions(file);
        buildRows();
    }

    // A type added to the factory without a row here fails, and so does a row for a type
    // the factory no longer knows.
    void everyRegisteredTypeHasARow() {
        const QStringList types = SV_ActionTypes::names();
        QVERIFY(!types.isEmpty());
        for (const QString& type : types)
            QVERIFY2(m_rows.contains(type),
                     qPrintable(QStringLiteral("no contract row for the action type ") + type));
        for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it)
            QVERIFY2(types.contains(it.key()),
                     qPrintable(QStringLiteral("a row for the unknown action type ") + it.key()));
    }

    void contract_data() {
        QTest::addColumn<QString>("type");
        for (const QString& type : SV_ActionTypes::names())
            QTest::newRow(qPrintable(type)) << type;
    }

    void contract() {
        QFETCH(QString, type);
        if (!m_rows.contains(type))
            QSKIP("no row (reported by everyRegisteredTypeHasARow)");
        const Row& row = m_rows[type];
        SV_Engine* engine = SV_Engine::engine();
        SV_Action* action = engine->createAction(type);
        QVERIFY(action);
        QCOMPARE(action->parent(), engine);
        action->setID(QStringLiteral("contract-") + type);

        // Start, and start again once done.
        QVERIFY(row.configure(*action, Kind::Quick));
        startAndCheck(*action, row);
        if (QTest::currentTestFailed())
            return;
        startAndCheck(*action, row);
        if (QTest::currentTestFailed())
            return;

        // A failing run ends once as well, and the next run is not marked by it.
        if (row.configure(*action, Kind::Broken)) {
            startAndCheck(*action, row, true);
            if (QTest::currentTestFailed())
                return;
            QVERIFY(row.configure(*action, Kind::Quick));
            startAndCheck(*action, row);
            if (QTest::currentTestFailed())
                return;
        }

        // Cancel a long run.
        QVERIFY(row.configure(*action, Kind::Long));
        QSignalSpy done(action, &SV_Action::sig_actionDone);
        QSignalSpy errors(action, &SV_Action::sig_error);
        action->slot_start();
        const bool ended = !done.isEmpty();
        QVERIFY2(ended == (row.cancel == Cancel::NothingRuns), text(row.cancel));
        if (!ended)
            QVERIFY(!action->done());
        action->slot_cancel();
        switch (row.cancel) {
        case Cancel::NothingRuns:
            QCoreApplication::processEvents();
            QCOMPARE(done.count(), 1);
            QVERIFY(action->done());
            break;
        case Cancel::Finishes:
            QCOMPARE(done.count(), 0); // not inside slot_cancel()
            QVERIFY(done.wait(30000));
            QTest::qWait(settleMs);
            QCOMPARE(done.count(), 1);
            QVERIFY(action->done());
            break;
        case Cancel::Stops:
            QTest::qWait(row.longRunMs + 50);
            QCOMPARE(done.count(), 0);
            QCOMPARE(errors.count(), 0);
            QVERIFY(!action->done());
            break;
        }

        // A cancelled action starts afresh; nothing of the cancelled run comes after.
        QVERIFY(row.configure(*action, Kind::Quick));
        startAndCheck(*action, row);
    }

    // runAction() fails the test function of an action that finishes twice.
    void runActionCatchesASecondCompletion() {
        const vantortest::ProcessResult r =
            vantortest::runInOwnProcess(QStringLiteral("finishes-twice"));
        QVERIFY(r.started);
        QCOMPARE(r.exitCode, 1); // one failed test function
        QVERIFY2(r.out.contains("FAIL!  : InnerContractTest::finishesTwice() action \"twice\" "
                                "sent sig_actionDone() 2 times"),
                 r.out.constData());
    }
};

static void ownProcessCases(const QString& name) {
    if (name == QLatin1String("finishes-twice")) {
        InnerContractTest inner;
        std::exit(QTest::qExec(&inner));
    }
}

VANTOR_TEST_MAIN(TestActionContract, ownProcessCases)
#include "tst_actioncontract.moc"
