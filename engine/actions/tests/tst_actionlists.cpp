// One whole run of the engine with the scripted viewer: the pre-install list runs before
// the wizard starts, the post-install list after the viewer finishes, and the program's
// event loop then ends with 0. Exit status 0 when everything was observed as expected.
#include "sv_actionprocessor.h"
#include "sv_engine.h"
#include "sv_installfilebuilder.h"
#include "sv_scriptedviewer.h"
#include "sv_testsupport.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

using namespace vantortest;

namespace {

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

int failures = 0;

void expect(bool ok, const QString& what) {
    if (!ok) {
        ++failures;
        std::fprintf(stderr, "FAIL: %s\n", qPrintable(what));
    }
}

// A process action appending "<word> <value>" to the record file.
void addRecorder(XmlNode& actions, const QString& id, const QString& word, const QString& value,
                 const QString& record) {
    XmlNode action = actions.add(QStringLiteral("action"), {{"type", "process"}, {"id", id}});
    const QList<QPair<QString, QString>> params = {
        {"process", "sh"}, {"arg1", "-c"},  {"arg2", "echo \"$0 $1\" >> \"$2\""},
        {"arg3", word},    {"arg4", value}, {"arg5", record}};
    for (const auto& p : params)
        action.add(QStringLiteral("option-param"), {{"param", p.first}, {"value", p.second}});
}

} // namespace

int main(int argc, char** argv) {
    installMessageHandler();
    QCoreApplication app(argc, argv);
    qputenv("QUORELLE_E2E_VALUE", "from env");

    TempDir dir;
    const QString record = dir.file(QStringLiteral("record"));

    InstallFileBuilder b;
    XmlNode variables = b.section(QStringLiteral("variables"));
    variables.addXml(QStringLiteral(
        "<variable id='target' default='none'><data-type><text-data/></data-type></variable>"
        "<variable id='ok' default='undefined'><data-type><boolean/></data-type></variable>"));
    XmlNode actions = b.section(QStringLiteral("actions"));
    addRecorder(actions, QStringLiteral("mark-pre"), QStringLiteral("pre"),
                QStringLiteral("$$target$$"), record);
    addRecorder(actions, QStringLiteral("mark-post"), QStringLiteral("post"),
                QStringLiteral("$$target$$"), record);
    actions.addXml(QStringLiteral(
        "<action type='load-environment-variable' id='env'>"
        "<option-param param='environment-variable' value='QUORELLE_E2E_VALUE'/></action>"
        "<action type='process' id='fails'><option-param param='process' "
        "value='quorelle-no-such-program'/>"
        "</action>"
        "<action type='pause' id='nap'><option-param param='time' value='100'/>"
        "<option-param param='progress-interval' value='50'/></action>"));
    b.section(QStringLiteral("pre-install"))
        .addXml(QStringLiteral(
            "<run-action action_id='mark-pre'/>"
            "<run-action action_id='no-such-action'/>"
            "<var-init var_id='target' action_id='env'><prepend-data>[</prepend-data>"
            "<append-data>]</append-data></var-init>"
            "<run-action action_id='mark-pre'/>"
            "<var-init var_id='ok' action_id='fails'/>"
            "<something-else/>"));
    b.section(QStringLiteral("post-install"))
        .addXml(QStringLiteral("<run-action action_id='nap'/>"
                               "<var-modify var_id='target' newstring='$$target$$+$$ok$$'/>"
                               "<run-action action_id='mark-post'/>"));
    const QString installFile = dir.file(QStringLiteral("install.xml"));
    if (!b.save(installFile)) {
        std::fprintf(stderr, "FAIL: could not write the install file\n");
        return 1;
    }

    QString atStart;
    bool preDoneAtStart = false;
    ScriptedViewer::install([&](ScriptedViewer* viewer) {
        viewer->onStartInstaller = [&](ScriptedViewer*) {
            atStart = readAll(record);
            preDoneAtStart = SV_Engine::engine()->preinstallProcessor()->actionsDone();
            SV_Engine::engine()->finishInstall();
        };
    });

    SV_Engine* engine = SV_Engine::engine();
    engine->setInstallFile(installFile);
    engine->init();
    const int rc = app.exec();

    // The pre-install action 'fails' reported an error that was not ignored: the run goes
    // on to the end, and its status says an action failed.
    expect(rc == 3, QStringLiteral("event loop result %1").arg(rc));
    expect(ScriptedViewer::current() &&
               ScriptedViewer::current()->calls.contains(QStringLiteral("startInstaller")),
           QStringLiteral("the viewer was started"));
    expect(preDoneAtStart, QStringLiteral("pre-install done when the wizard starts"));
    expect(atStart == QStringLiteral("pre none\npre [from env]\n"),
           QStringLiteral("record at the wizard's start: ") + atStart);
    const QString final = readAll(record);
    expect(final == QStringLiteral("pre none\npre [from env]\npost [from env]+false\n"),
           QStringLiteral("final record: ") + final);
    expect(engine->postinstallProcessor()->actionsDone(), QStringLiteral("post-install done"));
    expect(engine->getTextLog(SV_LogError)
               .contains(QStringLiteral("quorelle-no-such-program was not in $PATH")),
           QStringLiteral("the failing inner action's error is logged"));
    std::fprintf(stderr, failures ? "e2e: FAILED\n" : "e2e: passed\n");
    return failures ? 1 : 0;
}
