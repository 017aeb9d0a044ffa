// Interactive runs of `vantor --console` in a real pseudo-terminal: typed answers, a
// refused value asked again, a hidden password, going back a stage, Cancel, Ctrl-D.
#include "sv_consoletestrun.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace consoletest;
using vantortest::TempDir;

namespace {

// A program on the slave side of a pseudo-terminal, driven through the master.
class PtySession {
public:
    ~PtySession() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_fd >= 0)
            close(m_fd);
    }

    bool start(const QStringList& argv, const QProcessEnvironment& env, const QString& dir) {
        QList<QByteArray> args, vars;
        for (const QString& a : argv)
            args << a.toLocal8Bit();
        for (const QString& v : env.toStringList())
            vars << v.toLocal8Bit();
        std::vector<char*> cargs, cvars;
        for (QByteArray& a : args)
            cargs.push_back(a.data());
        cargs.push_back(nullptr);
        for (QByteArray& v : vars)
            cvars.push_back(v.data());
        cvars.push_back(nullptr);
        const QByteArray cwd = dir.toLocal8Bit();
        struct winsize ws = {};
        ws.ws_col = 100;
        ws.ws_row = 40;
        m_pid = forkpty(&m_fd, nullptr, nullptr, &ws);
        if (m_pid < 0)
            return false;
        if (m_pid == 0) {
            if (chdir(cwd.constData()) != 0)
                _exit(126);
            execve(cargs[0], cargs.data(), cvars.data());
            _exit(127);
        }
        return true;
    }

    // Waits until the output since the last match holds the text; false after the time.
    bool expect(const QByteArray& text, int timeoutMs = 20000) {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            const int at = m_transcript.indexOf(text, m_mark);
            if (at >= 0) {
                m_mark = at + text.size();
                return true;
            }
            const int left = timeoutMs - int(timer.elapsed());
            if (left <= 0 || !readSome(left))
                return false;
        }
    }

    void send(const QByteArray& bytes) {
        if (::write(m_fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
            qWarning("short write to the terminal");
    }

    // The exit status, or -1 when the program did not end in time (it is killed then).
    int wait(int timeoutMs = 20000) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            readSome(50);
            int status = 0;
            const pid_t r = waitpid(m_pid, &status, WNOHANG);
            if (r == m_pid) {
                m_pid = -1;
                while (readSome(50)) {
                }
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
        }
        return -1;
    }

    const QByteArray& transcript() const { return m_transcript; }

private:
    bool readSome(int timeoutMs) {
        struct pollfd p = {m_fd, POLLIN, 0};
        const int r = poll(&p, 1, timeoutMs);
        if (r <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0)
            return false; // EIO once the program has gone
        m_transcript.append(buffer, n);
        return true;
    }

    pid_t m_pid = -1;
    int m_fd = -1;
    QByteArray m_transcript;
    int m_mark = 0;
};

QString wizard(const TempDir& dir, const QString& root) {
    const QString vars = QStringLiteral(
        "<variable id=\"name\" default=\"nobody\"><string>Name</string><data-type><text-data/></data-type></variable>"
        "<variable id=\"port\" default=\"25\"><string>Port</string><data-type><numeric-data datatype=\"uint\" min=\"1\" max=\"65535\"/></data-type></variable>"
        "<variable id=\"secret\"><string>Secret</string><data-type><password-data><password-conditions min_length=\"6\"/></password-data></data-type></variable>"
        "<variable id=\"enabled\" default=\"false\"><string>Enabled</string><data-type><boolean><true-text><string>on</string></true-text><false-text><string>off</string></false-text></boolean></data-type></variable>"
        "<variable id=\"flavour\" default=\"a\"><string>Flavour</string><data-type><single-selection><choice id=\"a\"><string>Plain</string></choice><choice id=\"b\"><string>Spicy</string></choice></single-selection></data-type></variable>");
    const QString actions = shAction(QStringLiteral("dump"), QStringLiteral("printf '%s|' \"$2\" \"$3\" \"$4\" \"$5\" \"$6\" >\"$1/values\""),
                                     {root, QStringLiteral("$$name$$"), QStringLiteral("$$port$$"), QStringLiteral("$$secret$$"),
                                      QStringLiteral("$$enabled$$"), QStringLiteral("$$flavour$$")});
    const QString hello = shAction(QStringLiteral("hello"), QStringLiteral("echo hello from the launcher; echo launched >\"$1/launched\""), {root});
    auto in = [](const char* id) {
        return QStringLiteral("<ui-element><input-element><variable-input var_id=\"%1\"/></input-element></ui-element>").arg(QLatin1String(id));
    };
    const QString stages =
        QStringLiteral("<stage id=\"first\"><string>First</string><ui>%1%3%2%4</ui></stage>")
            .arg(in("name"), in("port"),
                 QStringLiteral("<ui-element><output-element><string>Between the inputs</string>"
                                "<text-output/></output-element></ui-element>"),
                 QStringLiteral("<ui-element><output-element><string>After the inputs</string>"
                                "<text-output/></output-element></ui-element>")) +
        QStringLiteral("<stage id=\"second\"><string>Second</string><ui>%1%2%3</ui><continue-conditions>"
                       "<var-condition var_id=\"secret\" condition=\"valid-password\"/></continue-conditions></stage>")
            .arg(in("secret"), in("enabled"), in("flavour")) +
        QStringLiteral("<stage id=\"end\"><string>End</string><ui><finish><string>Finish</string></finish>"
                       "<ui-element><output-element><string>Say hello</string><action-launcher action_id=\"hello\"/>"
                       "</output-element></ui-element></ui></stage>");
    return writeInstallFile(dir, vars, actions + hello, stages, QStringLiteral("<run-action action_id=\"dump\"/>"));
}

bool startWizard(PtySession& pty, const TempDir& dir, const QString& file) {
    QProcessEnvironment env = vantortest::cleanEnvironment(dir.mkdir(QStringLiteral("xdg")));
    QFile::setPermissions(dir.file(QStringLiteral("xdg")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env.insert(QStringLiteral("TMPDIR"), dir.mkdir(QStringLiteral("tmp")));
    env.insert(QStringLiteral("TERM"), QStringLiteral("dumb"));
    return pty.start({QStringLiteral(VANTOR_PROGRAM), QStringLiteral("--console"), file}, env, dir.path());
}

} // namespace

class TestInteractive : public QObject {
    Q_OBJECT
private slots:
    void typedAnswersBackAndHiddenPassword();
    void cancelAskedAndEndOfInput();
    void germanLettersAndTexts();
};

#define EXPECT(text) QVERIFY2(pty.expect(text), qPrintable(QString::fromLocal8Bit(pty.transcript())))

void TestInteractive::typedAnswersBackAndHiddenPassword() {
    TempDir dir;
    const QString root = dir.mkdir(QStringLiteral("root"));
    PtySession pty;
    QVERIFY(startWizard(pty, dir, wizard(dir, root)));

    EXPECT("== First ==");
    EXPECT("Name [nobody]: ");
    pty.send("alice\n");
    // The elements in the order of the install file, as the window places them.
    EXPECT("Between the inputs");
    EXPECT("Port [25]: ");
    pty.send("99999\n");
    // The variable's own reason, the same the window and answer files give.
    EXPECT("\"99999\" is not a whole number from 1 to 65535. Please try again.");
    EXPECT("Port [25]: ");
    pty.send("8080\n");
    EXPECT("After the inputs");
    EXPECT("Enter = Next");
    EXPECT("> ");
    pty.send("\n");

    EXPECT("== Second ==");
    EXPECT("Secret: ");
    pty.send("short\n");
    EXPECT("the password needs at least 6 characters. Please try again.");
    EXPECT("Secret: ");
    pty.send("topsecret\n");
    EXPECT("Repeat the password: ");
    pty.send("topsecreT\n");
    EXPECT("The passwords do not match.");
    EXPECT("Secret: ");
    pty.send("topsecret\n");
    EXPECT("Repeat the password: ");
    pty.send("topsecret\n");
    EXPECT("Enabled? (y = on, n = off) [n]: ");
    pty.send("y\n");
    EXPECT("2) Spicy");
    EXPECT("Number or id [1]: ");
    pty.send("2\n");
    EXPECT("b = Back");
    EXPECT("> ");
    pty.send("b\n");

    // Back on the first stage the answers given are the defaults now.
    EXPECT("== First ==");
    EXPECT("Name [alice]: ");
    pty.send("\n");
    EXPECT("Port [8080]: ");
    pty.send("\n");
    EXPECT("> ");
    pty.send("\n");
    EXPECT("== Second ==");
    EXPECT("Secret (Enter keeps the current one): ");
    pty.send("\n");
    EXPECT("[y]: ");
    pty.send("\n");
    EXPECT("Number or id [2]: ");
    pty.send("\n");
    EXPECT("> ");
    pty.send("\n");
    EXPECT("== End ==");
    EXPECT("Enter = Finish");
    EXPECT("1 = Say hello");
    EXPECT("> ");
    QVERIFY(!QFile::exists(root + QStringLiteral("/launched")));
    pty.send("1\n"); // the action launcher, run to its end
    EXPECT("Say hello: done");
    QCOMPARE(readFile(root + QStringLiteral("/launched")), QByteArray("launched\n"));
    EXPECT("> ");
    pty.send("l\n"); // the log
    EXPECT("Installation Log Messages:");
    EXPECT("> ");
    pty.send("\n");
    EXPECT("The installation is complete.");
    EXPECT("Installation log: ");
    QCOMPARE(pty.wait(), 0);

    QCOMPARE(readFile(root + QStringLiteral("/values")), QByteArray("alice|8080|topsecret|on|Spicy|"));
    // The typed passwords were never shown, not even in the log that "l" shows or by the
    // post-install action that gets the password on its command line; what was typed
    // elsewhere was. The log messages were not echoed into the wizard's lines either.
    const QByteArray wizard = pty.transcript();
    QVERIFY2(!wizard.contains("topsecret") && !wizard.contains("topsecreT"), wizard.constData());
    QVERIFY(!wizard.contains("short"));
    QVERIFY(wizard.contains("alice"));
    QVERIFY2(!wizard.contains("Log message from:") && !wizard.contains("Error message from:"),
             wizard.constData());
    const QRegularExpressionMatch logPath =
        QRegularExpression(QStringLiteral("Installation log: (\\S+)"))
            .match(QString::fromUtf8(wizard));
    QVERIFY(logPath.hasMatch());
    const QByteArray log = readFile(logPath.captured(1));
    QVERIFY(log.contains("Command line = sh -c"));
    QVERIFY2(!log.contains("topsecret"), log.constData());
}

void TestInteractive::cancelAskedAndEndOfInput() {
    TempDir dir;
    const QString root = dir.mkdir(QStringLiteral("root"));
    const QString file = wizard(dir, root);
    {
        PtySession pty;
        QVERIFY(startWizard(pty, dir, file));
        EXPECT("Name [nobody]: ");
        pty.send("\n");
        EXPECT("Port [25]: ");
        pty.send("\n");
        EXPECT("c = Cancel");
        EXPECT("> ");
        pty.send("c\n");
        EXPECT("Are you sure you want to exit?");
        EXPECT("(y/n): ");
        pty.send("n\n");
        EXPECT("> "); // still on the stage
        pty.send("c\n");
        EXPECT("(y/n): ");
        pty.send("y\n");
        QCOMPARE(pty.wait(), 2);
        QVERIFY(pty.transcript().contains("The installation was not completed (exit status 2)."));
    }
    for (const char* where : {"Name [nobody]: ", "Secret: "}) {
        PtySession pty;
        QVERIFY(startWizard(pty, dir, file));
        if (QByteArray(where) == "Secret: ") {
            EXPECT("Name [nobody]: ");
            pty.send("\n");
            EXPECT("Port [25]: ");
            pty.send("\n");
            EXPECT("> ");
            pty.send("\n");
        }
        EXPECT(where);
        pty.send("\x04"); // Ctrl-D
        EXPECT("End of input: the installation is cancelled.");
        QCOMPARE(pty.wait(), 2);
        QVERIFY(!QFile::exists(root + QStringLiteral("/values")));
    }
}

// In German the prompts, the boolean's letters and the cancel question are German, and
// "j" answers yes; the texts of the install file's own language are kept as written.
void TestInteractive::germanLettersAndTexts() {
    TempDir dir;
    const QString root = dir.mkdir(QStringLiteral("root"));
    vantortest::InstallFileBuilder b;
    b.section("languages")
        .attr("dir", QStringLiteral(VANTOR_TRANSLATIONS_DIR))
        .addXml("<language name='Deutsch' encoding='de'/>");
    b.section("variables").addXml(
        "<variable id='start' default='false'><string>Dienste starten</string><data-type><boolean>"
        "<true-text><string>starten</string></true-text><false-text><string>nicht starten</string>"
        "</false-text></boolean></data-type></variable>");
    b.section("actions").addXml(shAction(QStringLiteral("dump"),
                                         QStringLiteral("printf %s \"$2\" >\"$1/start\""),
                                         {root, QStringLiteral("$$start$$")}));
    b.section("stages").addXml(
        "<stage id='one'><string>Größe – „eins“</string><ui><ui-element><input-element>"
        "<variable-input var_id='start'/></input-element></ui-element></ui></stage>"
        "<stage id='two'><string>Zwei</string><ui><ui-element><output-element><string>Ende</string>"
        "<action-sequence><actionID action_id='dump'/></action-sequence></output-element>"
        "</ui-element></ui></stage>");
    const QString file = dir.file(QStringLiteral("install.xml"));
    QVERIFY(b.save(file));
    PtySession pty;
    QVERIFY(startWizard(pty, dir, file));
    EXPECT("== Größe – „eins“ ==");
    EXPECT("Dienste starten? (j = starten, n = nicht starten) [n]: ");
    pty.send("j\n");
    EXPECT("Eingabetaste = Weiter");
    EXPECT("c = Abbrechen");
    EXPECT("> ");
    pty.send("\n");
    EXPECT("== Zwei ==");
    EXPECT("> ");
    pty.send("c\n");
    EXPECT("Möchten Sie die Installation wirklich beenden?");
    EXPECT("(j/n): ");
    pty.send("vielleicht\n");
    EXPECT("Bitte antworten Sie mit j oder n.");
    EXPECT("(j/n): ");
    pty.send("j\n");
    EXPECT("Die Installation wurde nicht abgeschlossen (Exit-Status 2).");
    QCOMPARE(pty.wait(), 2);
    QCOMPARE(readFile(root + QStringLiteral("/start")), QByteArray("starten")); // "j" chose true
}

QTEST_GUILESS_MAIN(TestInteractive)
#include "tst_interactive.moc"
