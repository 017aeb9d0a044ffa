// Answers recorded from a run (--record) and replayed (--answers): a run walked through the
// wizard with an answer for a variable of every kind is recorded; the file is exact, its
// secret only with --record-secrets and then readable by its owner only; the real program
// replays it unattended and ends with the same values; a cancelled run is recorded up to
// the stages passed. One scenario per process (the engine is a singleton).
#include "sv_answerrecorder.h"
#include "sv_engine.h"
#include "sv_scenariocheck.h"
#include "sv_scriptedviewer.h"
#include "sv_testsupport.h"
#include "sv_wizard.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

using vantortest::ScriptedViewer;

namespace {

const QString kSecret = QStringLiteral("s3cret#=x");

// Three stages showing a variable of every kind; the post-install list writes every value
// (as $$id$$ gives it) one a line into `out`.
QByteArray installFile(const QString& out) {
    return QStringLiteral(
               "<installation>\n"
               "<profiles><profile id='p1'><string>Small</string><var-ref var_id='note' "
               "value='from p1'/></profile>"
               "<profile id='p2'><string>Large</string><var-ref var_id='note' value='from "
               "p2'/></profile></profiles>\n"
               "<variables>\n"
               "<variable id='host' default='localhost'><string>Host "
               "name</string><data-type><text-data/></data-type></variable>\n"
               "<variable id='port' default='25'><string>Port</string><data-type><numeric-data "
               "datatype='uint' min='1' max='65535'/></data-type></variable>\n"
               "<variable id='flag' default='true'><string>Start "
               "it</string><data-type><boolean/></data-type></variable>\n"
               "<variable "
               "id='dir'><string>Directory</string><data-type><directory-selection/></data-type></"
               "variable>\n"
               "<variable id='fmt' default='a'><string>Format</string><data-type><single-selection>"
               "<choice id='a'><string>Format A</string></choice><choice id='b'><string>Format "
               "B</string></choice>"
               "</single-selection></data-type></variable>\n"
               "<variable id='svc' "
               "default='x'><string>Services</string><data-type><multiple-selection>"
               "<choice id='x'><string>X</string></choice><choice id='y' "
               "depends='x'><string>Y</string></choice>"
               "<choice "
               "id='z'><string>Z</string></choice></multiple-selection></data-type></variable>\n"
               "<variable id='kind' "
               "default='p1'><string>Kind</string><data-type><profile-selection>"
               "<profile-choice profile_id='p1'/><profile-choice "
               "profile_id='p2'/></profile-selection></data-type></variable>\n"
               "<variable id='pw'><string>Password</string><data-type><password-data>"
               "<password-conditions min_length='6'/></password-data></data-type></variable>\n"
               "<variable "
               "id='note'><string>Note</string><data-type><text-data/></data-type></variable>\n"
               "</variables>\n"
               "<actions><action type='process' id='write'><option-param param='process' "
               "value='sh'/>"
               "<option-param param='arg1' value='-c'/><option-param param='arg2' value='printf "
               "\"%s\\n\" \"$@\" &gt;\"$0\"'/>"
               "<option-param param='arg3' value='%1'/>"
               "<option-param param='arg4' value='$$host$$'/><option-param param='arg5' "
               "value='$$port$$'/>"
               "<option-param param='arg6' value='$$flag$$'/><option-param param='arg7' "
               "value='$$dir$$'/>"
               "<option-param param='arg8' value='$$fmt$$'/><option-param param='arg9' "
               "value='$$svc$$'/>"
               "<option-param param='arg10' value='$$kind$$'/><option-param param='arg11' "
               "value='$$pw$$'/>"
               "<option-param param='arg12' value='$$note$$'/></action></actions>\n"
               "<stages>\n"
               "<stage id='one'><string>One</string><ui>"
               "<ui-element><input-element><variable-input "
               "var_id='host'/></input-element></ui-element>"
               "<ui-element><input-element><variable-input "
               "var_id='port'/></input-element></ui-element>"
               "<ui-element><input-element><variable-input "
               "var_id='flag'/></input-element></ui-element>"
               "<ui-element><input-element><variable-input "
               "var_id='dir'/></input-element></ui-element></ui>"
               "<continue-conditions><var-condition var_id='dir' "
               "condition='existing-dir'/></continue-conditions></stage>\n"
               "<stage id='two'><string>Two</string><ui>"
               "<ui-element><input-element><variable-input "
               "var_id='fmt'/></input-element></ui-element>"
               "<ui-element><input-element><variable-input "
               "var_id='svc'/></input-element></ui-element>"
               "<ui-element><input-element><variable-input "
               "var_id='kind'/></input-element></ui-element>"
               "<ui-element><input-element><variable-input "
               "var_id='pw'/></input-element></ui-element></ui>"
               "<continue-conditions><var-condition var_id='pw' "
               "condition='valid-password'/></continue-conditions></stage>\n"
               "<stage id='three'><string>Three</string><ui><finish/>"
               "<ui-element><input-element><variable-input "
               "var_id='note'/></input-element></ui-element></ui></stage>\n"
               "</stages>\n"
               "<post-install><run-action action_id='write'/></post-install>\n"
               "</installation>\n")
        .arg(out)
        .toUtf8();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// The answers the walk gives: none is the variable's default.
QHash<QString, QString> answers(const QString& dir) {
    return {{"host", "mail.example.org"},
            {"port", "2525"},
            {"flag", "false"},
            {"dir", dir},
            {"fmt", "b"},
            {"svc", "y,x"},
            {"kind", "p2"},
            {"pw", kSecret},
            {"note", " spaced  value "}};
}

// Walks the install file with the answers through the wizard, recording into record.
int walk(const vantortest::TempDir& tmp, const QString& record, bool secrets,
         const QHash<QString, QString>& given, bool cancelWhenStuck) {
    tmp.write(QStringLiteral("install.xml"), installFile(tmp.file(QStringLiteral("out1"))));
    ScriptedViewer::install([&given, cancelWhenStuck](ScriptedViewer* v) {
        v->walk = true;
        v->answers = given;
        v->yesNoAnswers = QStringList{QStringLiteral("yes")};
        if (cancelWhenStuck)
            v->onStartInstaller = [](ScriptedViewer* viewer) {
                QTimer::singleShot(200, viewer, [viewer] {
                    CHECK(!viewer->stuck.isNull());
                    viewer->wizard()->cancel();
                });
            };
    });
    SV_Engine* engine = SV_Engine::engine();
    SV_AnswerRecorder recorder(record, secrets);
    // As the program attaches it: to the wizard as it is made.
    SV_Wizard::setCreationHook([&recorder](SV_Wizard* wizard) { recorder.attach(wizard); });
    engine->setInstallFile(tmp.file(QStringLiteral("install.xml")));
    engine->init();
    const int status = QCoreApplication::exec();
    CHECK(recorder.attached());
    CHECK(recorder.write());
    return status;
}

const char kHeader[] =
    "# Answers recorded by vantor. Replay them unattended with\n"
    "#   vantor --console --answers FILE INSTALL_FILE\n"
    "# One VARIABLE_ID=value a line; a value is everything after the first \"=\".\n";

QString recorded(const QString& dir, bool secrets) {
    return QString::fromLatin1(kHeader) +
           QStringLiteral("\n# Host name\nhost=mail.example.org\n"
                          "\n# Port\nport=2525\n"
                          "\n# Start it\nflag=false\n"
                          "\n# Directory\ndir=%1\n"
                          "\n# Format: Format B\nfmt=b\n"
                          "\n# Services: X, Y\nsvc=x,y\n"
                          "\n# Kind: Large\nkind=p2\n")
               .arg(dir) +
           (secrets ? QStringLiteral("\n# Password\npw=") + kSecret + QLatin1Char('\n')
                    : QStringLiteral(
                          "\n# Password (a password: not recorded; give it here, or record with "
                          "--record-secrets)\n#pw=\n")) +
           QStringLiteral("\n# Note\nnote= spaced  value \n");
}

// Every kind recorded with its secret, and replayed by the program to the same values.
int everyKind(const vantortest::TempDir& tmp) {
    const QString dir = tmp.mkdir(QStringLiteral("target"));
    const QString record = tmp.file(QStringLiteral("answers.txt"));
    const int status = walk(tmp, record, true, answers(dir), false);
    CHECK(status == 0);
    CHECK_EQ(QString::fromUtf8(readFile(record)), recorded(dir, true));
    CHECK((QFileInfo(record).permissions() &
           ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser)) ==
          QFileDevice::Permissions());
    const QByteArray values = readFile(tmp.file(QStringLiteral("out1")));
    CHECK_EQ(QString::fromUtf8(values),
             QStringLiteral("mail.example.org\n2525\nfalse\n%1\nFormat B\nx,y\nLarge\n%2\n"
                            " spaced  value \n")
                 .arg(dir, kSecret));

    // The program replays it unattended, from a file instead of standard input.
    tmp.write(QStringLiteral("replay.xml"), installFile(tmp.file(QStringLiteral("out2"))));
    const QString runtime = tmp.mkdir(QStringLiteral("runtime"));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const vantortest::ProcessResult replay =
        vantortest::runProgram(QStringLiteral(VANTOR_BINARY),
                               {QStringLiteral("--console"), QStringLiteral("--answers"), record,
                                tmp.file(QStringLiteral("replay.xml"))},
                               vantortest::cleanEnvironment(runtime), tmp.path());
    CHECK(replay.exitCode == 0);
    if (replay.exitCode != 0)
        std::fprintf(stderr, "%s\n%s\n", replay.out.constData(), replay.err.constData());
    CHECK_EQ(QString::fromUtf8(readFile(tmp.file(QStringLiteral("out2")))),
             QString::fromUtf8(values));
    return status;
}

// Without --record-secrets the password is a comment without its value, nowhere in the file.
int noSecrets(const vantortest::TempDir& tmp) {
    const QString dir = tmp.mkdir(QStringLiteral("target"));
    const QString record = tmp.file(QStringLiteral("answers.txt"));
    const int status = walk(tmp, record, false, answers(dir), false);
    CHECK(status == 0);
    const QByteArray text = readFile(record);
    CHECK_EQ(QString::fromUtf8(text), recorded(dir, false));
    CHECK(!text.contains(kSecret.toUtf8()));
    return status;
}

// A run cancelled on the second stage (its password is refused) is recorded up to the
// first, after the end of the run; an older file of that name is replaced as a whole.
int cancelled(const vantortest::TempDir& tmp) {
    const QString dir = tmp.mkdir(QStringLiteral("target"));
    const QString record = tmp.write(QStringLiteral("answers.txt"), "old answers\n");
    QFile::setPermissions(record, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QHash<QString, QString> given = answers(dir);
    given.insert(QStringLiteral("pw"), QStringLiteral("short"));
    const int status = walk(tmp, record, true, given, true);
    CHECK(status == SV_Wizard::ExitIncomplete);
    CHECK_EQ(QString::fromUtf8(readFile(record)),
             QString::fromLatin1(kHeader) + QStringLiteral("\n# Host name\nhost=mail.example.org\n"
                                                           "\n# Port\nport=2525\n"
                                                           "\n# Start it\nflag=false\n"
                                                           "\n# Directory\ndir=%1\n")
                                                .arg(dir));
    // No secret in it: the mode of the file it replaced.
    CHECK(QFileInfo(record).permissions() ==
          (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
           QFile::ReadGroup));
    return status;
}

// --answers without --console: the window opens with the answers filled in; answers it
// cannot take end the run (status 2) with every problem named; a file that cannot be read
// as well.
int window(const vantortest::TempDir& tmp) {
    tmp.write(QStringLiteral("install.xml"), installFile(tmp.file(QStringLiteral("out"))));
    const QString runtime = tmp.mkdir(QStringLiteral("runtime"));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = vantortest::cleanEnvironment(runtime);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VANTOR_EXIT_AFTER_FIRST_STAGE"), QStringLiteral("1"));
    auto run = [&](const QString& answers) {
        return vantortest::runProgram(
            QStringLiteral(VANTOR_BINARY),
            {QStringLiteral("--answers"), answers, tmp.file(QStringLiteral("install.xml"))}, env,
            tmp.path());
    };
    tmp.write(QStringLiteral("good.txt"), "host=mail.example.org\nsvc=z\n");
    const vantortest::ProcessResult good = run(tmp.file(QStringLiteral("good.txt")));
    CHECK(good.exitCode == 0);
    CHECK(good.err.contains("first stage shown: one"));

    tmp.write(QStringLiteral("bad.txt"), "host=mail.example.org\nport=70000\nnothing=1\n");
    const vantortest::ProcessResult bad = run(tmp.file(QStringLiteral("bad.txt")));
    CHECK(bad.exitCode == SV_Wizard::ExitIncomplete);
    const QByteArray prefix =
        "vantor: " + QFile::encodeName(tmp.file(QStringLiteral("bad.txt"))) + ": line ";
    CHECK(bad.err.contains(prefix + "2: port: "));
    CHECK(bad.err.contains(prefix + "3: unknown variable \"nothing\""));

    const vantortest::ProcessResult missing = run(tmp.file(QStringLiteral("none.txt")));
    CHECK(missing.exitCode == SV_Wizard::ExitIncomplete);
    CHECK(missing.err.startsWith("vantor: cannot read the answers " +
                                 QFile::encodeName(tmp.file(QStringLiteral("none.txt")))));
    if (vantortest::scenarioFailures())
        std::fprintf(stderr, "good:\n%s\nbad:\n%s\nmissing:\n%s\n", good.err.constData(),
                     bad.err.constData(), missing.err.constData());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    vantortest::installMessageHandler();
    QCoreApplication app(argc, argv);
    const QString scenario = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    vantortest::TempDir tmp;
    int rc = 99;
    if (scenario == QLatin1String("every-kind"))
        rc = everyKind(tmp);
    else if (scenario == QLatin1String("no-secrets"))
        rc = noSecrets(tmp);
    else if (scenario == QLatin1String("cancel"))
        rc = cancelled(tmp);
    else if (scenario == QLatin1String("window"))
        rc = window(tmp);
    else
        std::fprintf(stderr, "unknown scenario\n");
    std::fprintf(stderr, "%s: %d failures, exit status %d\n", qPrintable(scenario),
                 vantortest::scenarioFailures(), rc);
    if (vantortest::scenarioFailures())
        return 1;
    return rc == 99 ? 1 : 0;
}
