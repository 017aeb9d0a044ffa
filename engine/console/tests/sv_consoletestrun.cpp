#include "sv_consoletestrun.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace consoletest {

QString Run::logPath() const {
    static const QRegularExpression re(QStringLiteral("Installation log: (\\S+)"));
    const QRegularExpressionMatch m = re.match(QString::fromLocal8Bit(out));
    return m.hasMatch() ? m.captured(1) : QString();
}

Run runConsole(const vantortest::TempDir& dir, const QString& installFile,
               const QByteArray& answers, Input input, int timeoutMs, const QStringList& extraEnv,
               const QStringList& extraArgs, const QString& vantor) {
    Run run;
    QProcess process;
    QProcessEnvironment env = vantortest::cleanEnvironment(dir.mkdir(QStringLiteral("xdg")));
    QFile::setPermissions(dir.file(QStringLiteral("xdg")), QFileDevice::ReadOwner |
                                                                QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env.insert(QStringLiteral("TMPDIR"), dir.mkdir(QStringLiteral("tmp")));
    for (const QString& kv : extraEnv)
        env.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    QString program = vantor.isEmpty() ? QStringLiteral(VANTOR_PROGRAM) : vantor;
    QStringList args =
        QStringList{QStringLiteral("--console")} + extraArgs + QStringList{installFile};
    if (input == Input::DevNull) {
        process.setStandardInputFile(QProcess::nullDevice());
    } else if (input == Input::Closed) {
        args = QStringList{QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$@\" 0<&-"), program} + args;
        program = QStringLiteral("/bin/sh");
    } else {
        const QString answersFile = dir.write(QStringLiteral("answers.txt"), answers);
        process.setStandardInputFile(answersFile);
    }
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    if (!process.waitForStarted(timeoutMs))
        return run;
    if (!process.waitForFinished(timeoutMs)) {
        run.timedOut = true;
        process.kill();
        process.waitForFinished();
    }
    run.elapsedMs = timer.elapsed();
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString writeInstallFile(const vantortest::TempDir& dir, const QString& variables, const QString& actions,
                         const QString& stages, const QString& postInstall, const QString& profiles) {
    vantortest::InstallFileBuilder b;
    b.section(QStringLiteral("install-info")).addText(QStringLiteral("app-name"), QStringLiteral("Console test"));
    if (!profiles.isEmpty())
        b.section(QStringLiteral("profiles")).addXml(profiles);
    if (!variables.isEmpty())
        b.section(QStringLiteral("variables")).addXml(variables);
    if (!actions.isEmpty())
        b.section(QStringLiteral("actions")).addXml(actions);
    if (!stages.isEmpty())
        b.section(QStringLiteral("stages")).addXml(stages);
    if (!postInstall.isEmpty())
        b.section(QStringLiteral("post-install")).addXml(postInstall);
    const QString path = dir.file(QStringLiteral("install.xml"));
    b.save(path);
    return path;
}

QString shAction(const QString& id, const QString& script, const QStringList& args, bool ignoreErrors) {
    auto esc = [](QString s) {
        return s.replace(QLatin1Char('&'), QLatin1String("&amp;"))
            .replace(QLatin1Char('"'), QLatin1String("&quot;"))
            .replace(QLatin1Char('<'), QLatin1String("&lt;"))
            .replace(QLatin1Char('>'), QLatin1String("&gt;"));
    };
    QString xml = QStringLiteral("<action type=\"process\" id=\"%1\">"
                                 "<option-param param=\"process\" value=\"sh\"/>"
                                 "<option-param param=\"arg1\" value=\"-c\"/>"
                                 "<option-param param=\"arg2\" value=\"%2\"/>"
                                 "<option-param param=\"arg3\" value=\"%1\"/>")
                      .arg(id, esc(script));
    for (int i = 0; i < args.size(); ++i)
        xml += QStringLiteral("<option-param param=\"arg%1\" value=\"%2\"/>").arg(i + 4).arg(esc(args[i]));
    if (ignoreErrors)
        xml += QStringLiteral("<option-param param=\"ignore-errors\" value=\"true\"/>");
    return xml + QStringLiteral("</action>");
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace consoletest
