#ifndef SV_TESTSUPPORT_H
#define SV_TESTSUPPORT_H

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace vantortest {

// The program's message handling for test executables: every message on standard error,
// a fatal message ends the process with exit status 1 (as in `vantor` itself). Messages
// are also collected, so a test can check what was reported.
void installMessageHandler();
// Every message since the handler was installed or the last clear, one entry each.
const QStringList& messages();
void clearMessages();

// The picture programs' "--png DIR" argument (from argument `first` on): DIR, created when
// missing, or a null string when the argument is not given.
QString pngDirArgument(int argc, char** argv, int first = 1);

// A temporary directory, removed with everything in it when the helper goes away.
class TempDir {
public:
    TempDir();
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    // The absolute path of a name inside the directory.
    QString file(const QString& name) const;
    // Creates the directory (and its parents) inside this one; returns its path.
    QString mkdir(const QString& name) const;
    // Writes content to a file inside (creating parent directories); returns its path.
    QString write(const QString& name, const QByteArray& content) const;

private:
    QTemporaryDir m_dir;
};

// A finished child process.
struct ProcessResult {
    bool started = false;
    bool crashed = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// An environment for running `vantor` with stable output: the caller's environment
// with XDG_RUNTIME_DIR and TMPDIR (where a console run leaves its log file) pointing at a
// private directory and no locale variables.
QProcessEnvironment cleanEnvironment(const QString& runtimeDir);

// Runs a program to its end (killed after timeoutMs), with the given environment and
// working directory (empty: the current one).
ProcessResult runProgram(const QString& program, const QStringList& args,
                         const QProcessEnvironment& env, const QString& workDir = QString(),
                         int timeoutMs = 60000);

} // namespace vantortest

#endif
