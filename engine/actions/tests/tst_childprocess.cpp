#include "sv_childprocess.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The child-process layer with real children: argument vectors, start failures, output
// chunks, exit reporting, block mode, kill and detach.
class TestChildProcess : public QObject {
    Q_OBJECT

    struct Recorder {
        QByteArray out;
        QByteArray err;
        int exits = 0;
        QByteArray outAtExit;
        QByteArray errAtExit;

        void attach(SV_ChildProcess* proc) {
            QObject::connect(proc, &SV_ChildProcess::receivedStdout,
                             [this](SV_ChildProcess*, const QByteArray& c) { out += c; });
            QObject::connect(proc, &SV_ChildProcess::receivedStderr,
                             [this](SV_ChildProcess*, const QByteArray& c) { err += c; });
            QObject::connect(proc, &SV_ChildProcess::processExited, [this](SV_ChildProcess*) {
                ++exits;
                outAtExit = out;
                errAtExit = err;
            });
        }
    };

private slots:
    void startFailuresAreKnownAtOnce() {
        SV_ChildProcess proc;
        QSignalSpy exited(&proc, &SV_ChildProcess::processExited);
        QVERIFY(!proc.start()); // no program at all

        proc << QStringLiteral("/nonexistent/quorelle-no-such-program");
        QVERIFY(!proc.start());
        QVERIFY(!proc.isRunning());

        // A name with blanks is one program name: never split into words.
        proc.clearArguments();
        proc << QStringLiteral("sh -c true");
        QVERIFY(!proc.start());

        // A file that exists but cannot be executed.
        QTemporaryDir dir;
        QFile plain(dir.filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        proc.clearArguments();
        proc << plain.fileName();
        QVERIFY(!proc.start());

        QTest::qWait(100);
        QCOMPARE(exited.count(), 0);
    }

    void argumentsReachTheProgramUnchanged() {
        SV_ChildProcess proc;
        Recorder rec;
        rec.attach(&proc);
        QSignalSpy exited(&proc, &SV_ChildProcess::processExited);
        proc << QStringLiteral("sh") << QStringLiteral("-c")
             << QStringLiteral("for a in \"$@\"; do printf '[%s]' \"$a\"; done")
             << QStringLiteral("x") << QStringLiteral("two words") << QStringLiteral("$HOME")
             << QString() << QStringLiteral("*");
        QVERIFY(proc.start());
        QVERIFY(exited.wait(30000));
        QCOMPARE(rec.out, QByteArray("[two words][$HOME][][*]"));
    }

    void chunksArriveInOrderAndBeforeTheExit() {
        SV_ChildProcess proc;
        Recorder rec;
        rec.attach(&proc);
        QSignalSpy exited(&proc, &SV_ChildProcess::processExited);
        proc << QStringLiteral("sh") << QStringLiteral("-c")
             << QStringLiteral("printf one; sleep 0.3; printf two; printf oops >&2; sleep 0.3; "
                               "printf three; exit 3");
        QVERIFY(proc.start());
        QVERIFY(proc.isRunning());
        QVERIFY(exited.wait(30000));
        QTest::qWait(50);
        QCOMPARE(rec.exits, 1);
        QCOMPARE(rec.outAtExit, QByteArray("onetwothree"));
        QCOMPARE(rec.errAtExit, QByteArray("oops"));
        QCOMPARE(rec.out, rec.outAtExit); // nothing after the exit signal
        QVERIFY(!proc.isRunning());
        QVERIFY(proc.normalExit());
        QCOMPARE(proc.exitStatus(), 3);
    }

    void largeOutputIsDeliveredCompletely() {
        SV_ChildProcess proc;
        Recorder rec;
        rec.attach(&proc);
        QSignalSpy exited(&proc, &SV_ChildProcess::processExited);
        proc << QStringLiteral("sh") << QStringLiteral("-c")
             << QStringLiteral("head -c 1048576 /dev/zero; head -c 70000 /dev/zero >&2");
        QVERIFY(proc.start());
        QVERIFY(exited.wait(60000));
        QCOMPARE(rec.outAtExit.size(), 1048576);
        QCOMPARE(rec.errAtExit.size(), 70000);
    }

    void blockModeReturnsAfterTheExit() {
        SV_ChildProcess proc;
        Recorder rec;
        rec.attach(&proc);
        proc << QStringLiteral("sh") << QStringLiteral("-c")
             << QStringLiteral("sleep 0.2; echo done; exit 0");
        QVERIFY(proc.start(SV_ChildProcess::Block, SV_ChildProcess::AllOutput));
        QCOMPARE(rec.exits, 1);
        QCOMPARE(rec.outAtExit, QByteArray("done\n"));
        QVERIFY(!proc.isRunning());
        QVERIFY(proc.normalExit());
        QCOMPARE(proc.exitStatus(), 0);
    }

    void uncapturedOutputIsDiscarded() {
        SV_ChildProcess proc;
        Recorder rec;
        rec.attach(&proc);
        proc << QStringLiteral("sh") << QStringLiteral("-c")
             << QStringLiteral("echo out; echo err >&2; read x; exit 0");
        QVERIFY(proc.start(SV_ChildProcess::Block, SV_ChildProcess::Stdout));
        QCOMPARE(rec.out, QByteArray("out\n"));
        QVERIFY(rec.err.isEmpty());
        QCOMPARE(rec.exits, 1); // standard input is at its end at once
    }

    void killEndsTheChildAbnormally() {
        SV_ChildProcess proc;
        QSignalSpy exited(&proc, &SV_ChildProcess::processExited);
        QVERIFY(!proc.kill(15)); // nothing to kill yet
        proc << QStringLiteral("sleep") << QStringLiteral("60");
        QVERIFY(proc.start());
        QVERIFY(!proc.start()); // already running
        QVERIFY(proc.kill(15));
        QVERIFY(exited.wait(30000));
        QVERIFY(!proc.normalExit());
        QVERIFY(!proc.isRunning());

        // The same object runs the next child; false exits normally with status 1.
        proc.clearArguments();
        proc << QStringLiteral("false");
        QVERIFY(proc.start());
        QVERIFY(exited.wait(30000));
        QVERIFY(proc.normalExit());
        QCOMPARE(proc.exitStatus(), 1);
    }

    void detachReleasesTheChild() {
        QTemporaryDir dir;
        const QString marker = dir.filePath(QStringLiteral("marker"));
        const QString leftover = dir.filePath(QStringLiteral("leftover"));
        QFile file(leftover);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        auto* proc = new SV_ChildProcess;
        QSignalSpy exited(proc, &SV_ChildProcess::processExited);
        QSignalSpy out(proc, &SV_ChildProcess::receivedStdout);
        *proc << QStringLiteral("sh") << QStringLiteral("-c")
              << QStringLiteral("sleep 0.5; echo late; touch \"$0\"") << marker;
        QVERIFY(proc->start());
        proc->detach(QStringList(leftover));
        QVERIFY(!proc->isRunning());

        // The object can run another child meanwhile; deleting it does not end the
        // released one.
        proc->clearArguments();
        *proc << QStringLiteral("true");
        QVERIFY(proc->start());
        QVERIFY(exited.wait(30000));
        QCOMPARE(exited.count(), 1);
        delete proc;

        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(leftover), 30000);
        QCOMPARE(out.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestChildProcess)
#include "tst_childprocess.moc"
