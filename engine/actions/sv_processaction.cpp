#include "sv_processaction.h"

#include "sv_childprocess.h"
#include "sv_exitcleanup.h"
#include "sv_progresssteps.h"
#include "sv_secrets.h"
#include "sv_variableregexp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

SV_ProcessAction::SV_ProcessAction(QObject* parent)
    : SV_Action(parent), m_child(new SV_ChildProcess(this)),
      m_stdoutDecoder(QStringDecoder::System), m_stderrDecoder(QStringDecoder::System) {
    connect(m_child, &SV_ChildProcess::receivedStdout, this,
            qOverload<SV_ChildProcess*, const QByteArray&>(&SV_ProcessAction::slot_readStdout));
    connect(m_child, &SV_ChildProcess::receivedStderr, this,
            qOverload<SV_ChildProcess*, const QByteArray&>(&SV_ProcessAction::slot_readStderr));
    connect(m_child, &SV_ChildProcess::processExited, this,
            qOverload<SV_ChildProcess*>(&SV_ProcessAction::slot_procDone));
}

SV_ProcessAction::~SV_ProcessAction() {
    // The child object goes with the action; its exit must not call back into a
    // half-destroyed action.
    m_child->disconnect(this);
    removeTempFiles();
}

int SV_ProcessAction::totalSteps() {
    const QString timeText = option(QStringLiteral("time"));
    if (timeText.isEmpty())
        return m_totalSteps = 1;
    bool ok = false;
    const int time = timeText.toInt(&ok);
    if (!ok)
        qFatal("Invalid time: %s given to process action", qPrintable(timeText));
    m_totalSteps = SV_ProgressSteps::steps(time, option(QStringLiteral("progress-interval")));
    return m_totalSteps;
}

QString SV_ProcessAction::rval() {
    if (option(QStringLiteral("rval")) != QLatin1String("stdout"))
        return SV_Action::rval();
    QString out = m_stdout;
    while (out.endsWith(QLatin1Char('\n')) || out.endsWith(QLatin1Char('\r')))
        out.chop(1);
    return out;
}

bool SV_ProcessAction::exeInPath(const QString& name) {
    if (QDir::isAbsolutePath(name))
        return QFileInfo(name).isFile();
    const QStringList dirs =
        QString::fromLocal8Bit(qgetenv("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& dir : dirs) {
        if (QFileInfo(QDir(dir), name).isFile())
            return true;
    }
    return false;
}

bool SV_ProcessAction::fixCommandLine() {
    m_commandLine.clear();
    QString program = option(QStringLiteral("process"));
    SV_VariableRegExp::fixString(program);
    m_commandLine.append(program);

    m_templateArgs =
        option(QStringLiteral("template-file")).split(QLatin1Char(','), Qt::SkipEmptyParts);

    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("arg") + QString::number(n);
        QString value = option(name);
        if (value.isNull())
            return true;
        SV_VariableRegExp::fixString(value);
        if (m_templateArgs.contains(name)) {
            dbg(QStringLiteral("ProcessAction, replace arg: %1 with filled out template")
                    .arg(value));
            // The copy is created here rather than by the template filling, so that it is
            // listed for removal before anything is written into it: an unknown reference
            // in the template ends the program in the middle of the filling.
            QString tempPath = createTemplateCopy();
            if (tempPath.isEmpty() || !SV_VariableRegExp::fixTemplateFile(value, tempPath)) {
                dbg(QStringLiteral("could not fix the template file..."));
                return false;
            }
            value = tempPath;
        }
        m_commandLine.append(value);
    }
}

QString SV_ProcessAction::createTemplateCopy() {
    QByteArray name("/tmp/vantortemplateXXXXXX");
    const int fd = ::mkstemp(name.data()); // owner-only permissions
    if (fd < 0)
        return QString();
    ::close(fd);
    const QString path = QFile::decodeName(name);
    SV_ExitCleanup::add(path);
    m_tempFiles.append(path);
    dbg(QStringLiteral("ProcessAction, template copy: ") + path);
    return path;
}

void SV_ProcessAction::loadArguments() {
    m_child->clearArguments();
    for (const QString& arg : std::as_const(m_commandLine))
        *m_child << arg;
}

void SV_ProcessAction::slot_start() {
    SV_Action::slot_start();
    removeTempFiles();

    const QString timeText = option(QStringLiteral("time"));
    if (!timeText.isEmpty()) {
        bool ok = false;
        m_time = timeText.toInt(&ok);
        m_interval = SV_ProgressSteps::interval(option(QStringLiteral("progress-interval")));
        if (ok) {
            if (!m_progressTimer) {
                m_progressTimer = new QTimer(this);
                connect(m_progressTimer, &QTimer::timeout, this, &SV_ProcessAction::slot_progress);
            }
            m_currSteps = 0;
            m_elapsed = 0;
            m_progressTimer->start(m_interval);
        }
    }

    if (!fixCommandLine()) {
        dbg(QStringLiteral("SV_ProcessAction for %1, fixCommandLine returned false").arg(ID()));
        stopProgress();
        removeTempFiles();
        slot_setDone();
        return;
    }

    loadArguments();
    m_stdout.clear();
    m_stderr.clear();
    m_stdoutDecoder.resetState();
    m_stderrDecoder.resetState();
    m_pendingStdout.clear();
    m_pendingStderr.clear();

    if (m_child->start(SV_ChildProcess::NotifyOnExit, SV_ChildProcess::AllOutput)) {
        if (option(QStringLiteral("detach")) == QLatin1String("true")) {
            // A detached child is never waited for: the action finishes once it runs.
            // Its template copies stay until it exits.
            // The copies are the detached child's now; they go when it exits.
            for (const QString& file : std::as_const(m_tempFiles))
                SV_ExitCleanup::remove(file);
            m_child->detach(m_tempFiles);
            m_tempFiles.clear();
            stopProgress();
            log_output();
            slot_setDone();
        }
        return;
    }

    const QString program = m_commandLine.first();
    if (!exeInPath(program))
        err(ID(), QStringLiteral("The executable: %1 was not in $PATH").arg(program));
    else
        err(ID(), QStringLiteral("The executable: %1 could not be started for an unknown reason")
                      .arg(program));
    stopProgress();
    removeTempFiles();
    slot_setDone();
}

void SV_ProcessAction::slot_cancel() {
    if (m_child->isRunning())
        m_child->kill(15);
    stopProgress();
    SV_Action::slot_cancel();
}

void SV_ProcessAction::slot_readStdout() {}

void SV_ProcessAction::slot_readStderr() {}

void SV_ProcessAction::slot_procDone() {
    process_procDone();
}

void SV_ProcessAction::slot_readStdout(SV_ChildProcess*, const QByteArray& chunk) {
    const QString text = m_stdoutDecoder.decode(chunk);
    m_stdout += text;
    emitLines(m_pendingStdout, text);
}

void SV_ProcessAction::slot_readStderr(SV_ChildProcess*, const QByteArray& chunk) {
    const QString text = m_stderrDecoder.decode(chunk);
    m_stderr += text;
    emitLines(m_pendingStderr, text);
}

void SV_ProcessAction::slot_procDone(SV_ChildProcess*) {
    process_procDone();
}

void SV_ProcessAction::slot_progress() {
    ++m_currSteps;
    emit sig_progress(m_currSteps);
    m_elapsed += m_interval;
    if (m_elapsed >= m_time)
        stopProgress();
}

void SV_ProcessAction::process_procDone() {
    flushLines();
    stopProgress();
    removeTempFiles();
    checkErrors();
    log_output();
    slot_setDone();
}

void SV_ProcessAction::checkErrors() {
    if (!m_child->normalExit()) {
        err(ID(), QStringLiteral("The process exited abnormally"));
        return;
    }
    if (m_child->exitStatus() == 0 || m_stderr.isEmpty())
        return;
    if (option(QStringLiteral("stderr-is-err")) != QLatin1String("false"))
        err(ID(), QStringLiteral("Process returned error message: %1").arg(m_stderr));
}

void SV_ProcessAction::log_output() {
    QString text = QStringLiteral("Command line = ") + m_commandLine.join(QLatin1Char(' ')) +
                   QLatin1Char('\n');
    if (!m_stdout.isEmpty())
        text += QStringLiteral("Standard Out = ") + m_stdout + QLatin1Char('\n');
    if (!m_stderr.isEmpty())
        text += QStringLiteral("Standard Err = ") + m_stderr + QLatin1Char('\n');
    log(ID(), text);
}

void SV_ProcessAction::stopProgress() {
    if (m_progressTimer)
        m_progressTimer->stop();
}

void SV_ProcessAction::removeTempFiles() {
    for (const QString& file : std::as_const(m_tempFiles)) {
        QFile::remove(file);
        SV_ExitCleanup::remove(file);
    }
    m_tempFiles.clear();
}

void SV_ProcessAction::emitLines(QString& pending, const QString& text) {
    pending += text;
    qsizetype start = 0;
    for (qsizetype end = pending.indexOf(QLatin1Char('\n')); end >= 0;
         end = pending.indexOf(QLatin1Char('\n'), start)) {
        qsizetype length = end - start;
        if (length > 0 && pending.at(end - 1) == QLatin1Char('\r'))
            --length;
        emit sig_text(SV_Secrets::hide(pending.mid(start, length)));
        start = end + 1;
    }
    pending.remove(0, start);
}

void SV_ProcessAction::flushLines() {
    for (QString* pending : {&m_pendingStdout, &m_pendingStderr}) {
        if (!pending->isEmpty())
            emit sig_text(SV_Secrets::hide(*pending));
        pending->clear();
    }
}
