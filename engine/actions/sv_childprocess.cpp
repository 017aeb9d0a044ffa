#include "sv_childprocess.h"

#include <QFile>

#include <signal.h>

namespace {

// Detached children are kept here until they exit, so that no destructor kills them;
// the list itself is never freed.
QList<QProcess*>& detachedProcesses() {
    static auto* list = new QList<QProcess*>;
    return *list;
}

} // namespace

SV_ChildProcess::SV_ChildProcess(QObject* parent) : QObject(parent) {
    createProcess();
}

SV_ChildProcess::~SV_ChildProcess() {
    // A running child does not outlive its object (QProcess kills and reaps it); no
    // signal reaches a half-destroyed owner.
    m_process->disconnect(this);
}

void SV_ChildProcess::createProcess() {
    m_process = new QProcess(this);
    connect(m_process, &QProcess::readyReadStandardOutput, this, &SV_ChildProcess::readStdout);
    connect(m_process, &QProcess::readyReadStandardError, this, &SV_ChildProcess::readStderr);
    connect(m_process, &QProcess::finished, this, &SV_ChildProcess::finished);
}

void SV_ChildProcess::clearArguments() {
    m_arguments.clear();
}

SV_ChildProcess& SV_ChildProcess::operator<<(const QString& arg) {
    m_arguments.append(arg);
    return *this;
}

bool SV_ChildProcess::start(RunMode runMode, Communication comm) {
    if (m_running || m_process->state() != QProcess::NotRunning || m_arguments.isEmpty())
        return false;

    m_comm = comm;
    m_exited = false;
    m_normalExit = false;
    m_exitStatus = 0;

    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardOutputFile((comm & Stdout) ? QString() : QProcess::nullDevice());
    m_process->setStandardErrorFile((comm & Stderr) ? QString() : QProcess::nullDevice());

    m_running = true;
    m_process->start(m_arguments.first(), m_arguments.mid(1), QIODevice::ReadOnly);
    if (!m_process->waitForStarted(-1)) {
        m_running = false;
        return false;
    }

    if (runMode == Block && m_process->state() != QProcess::NotRunning)
        m_process->waitForFinished(-1);
    return true;
}

void SV_ChildProcess::readStdout() {
    const QByteArray chunk = m_process->readAllStandardOutput();
    if (!chunk.isEmpty())
        emit receivedStdout(this, chunk);
}

void SV_ChildProcess::readStderr() {
    const QByteArray chunk = m_process->readAllStandardError();
    if (!chunk.isEmpty())
        emit receivedStderr(this, chunk);
}

void SV_ChildProcess::finished(int exitCode, QProcess::ExitStatus status) {
    if (!m_running)
        return;
    // Whatever is still buffered is delivered before the exit.
    readStdout();
    readStderr();
    m_running = false;
    m_exited = true;
    m_normalExit = status == QProcess::NormalExit;
    m_exitStatus = m_normalExit ? exitCode : 0;
    emit processExited(this);
}

bool SV_ChildProcess::normalExit() const {
    return m_exited && m_normalExit;
}

int SV_ChildProcess::exitStatus() const {
    return m_exitStatus;
}

bool SV_ChildProcess::isRunning() const {
    return m_running;
}

pid_t SV_ChildProcess::pid() const {
    return m_running ? pid_t(m_process->processId()) : 0;
}

bool SV_ChildProcess::kill(int signo) {
    if (!m_running)
        return false;
    const qint64 id = m_process->processId();
    return id > 0 && ::kill(pid_t(id), signo) == 0;
}

void SV_ChildProcess::detach(const QStringList& removeOnExit) {
    if (!m_running)
        return;
    m_running = false;

    QProcess* orphan = m_process;
    orphan->disconnect(this);
    orphan->setParent(nullptr);
    detachedProcesses().append(orphan);
    // Keep draining the pipes so that the child never blocks on a full one.
    connect(orphan, &QProcess::readyReadStandardOutput, orphan,
            [orphan] { orphan->readAllStandardOutput(); });
    connect(orphan, &QProcess::readyReadStandardError, orphan,
            [orphan] { orphan->readAllStandardError(); });
    connect(orphan, &QProcess::finished, orphan, [orphan, removeOnExit] {
        for (const QString& file : removeOnExit)
            QFile::remove(file);
        detachedProcesses().removeOne(orphan);
        orphan->deleteLater();
    });

    createProcess();
}
