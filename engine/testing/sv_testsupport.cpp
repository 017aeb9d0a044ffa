#include "sv_testsupport.h"

#include "sv_engine_messagehandler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>


namespace vantortest {

namespace {

QStringList& messageStore() {
    static QStringList store;
    return store;
}

void testMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    messageStore().append(message);
    vantorMessageHandler(type, context, message);
}

} // namespace

QString pngDirArgument(int argc, char** argv, int first) {
    QString dir;
    for (int i = first; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--png")
            dir = QFile::decodeName(argv[i + 1]);
    if (!dir.isEmpty())
        QDir().mkpath(dir);
    return dir;
}

void installMessageHandler() {
    qInstallMessageHandler(testMessageHandler);
}
const QStringList& messages() {
    return messageStore();
}
void clearMessages() {
    messageStore().clear();
}

TempDir::TempDir() : m_dir(QDir::tempPath() + QStringLiteral("/vantortest-XXXXXX")) {}

QString TempDir::file(const QString& name) const {
    return QDir(m_dir.path()).absoluteFilePath(name);
}

QString TempDir::mkdir(const QString& name) const {
    const QString p = file(name);
    QDir().mkpath(p);
    return p;
}

QString TempDir::write(const QString& name, const QByteArray& content) const {
    const QString p = file(name);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
    return p;
}

QProcessEnvironment cleanEnvironment(const QString& runtimeDir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    env.insert(QStringLiteral("TMPDIR"), runtimeDir);
    for (const char* name :
         {"LC_ALL", "LC_MESSAGES", "LC_CTYPE", "LANG", "LANGUAGE", "QT_MESSAGE_PATTERN"})
        env.remove(QString::fromLatin1(name));
    return env;
}

ProcessResult runProgram(const QString& program, const QStringList& args,
                         const QProcessEnvironment& env, const QString& workDir, int timeoutMs) {
    ProcessResult result;
    QProcess process;
    process.setProcessEnvironment(env);
    if (!workDir.isEmpty())
        process.setWorkingDirectory(workDir);
    process.start(program, args);
    result.started = process.waitForStarted(timeoutMs);
    if (!result.started)
        return result;
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace vantortest
