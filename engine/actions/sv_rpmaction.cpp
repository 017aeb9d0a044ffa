#include "sv_rpmaction.h"
#include "sv_variableregexp.h"

#include "sv_childprocess.h"
#include "sv_engine.h"
#include "sv_versioncompare.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <algorithm>

namespace {

const QString queryFormat = QStringLiteral("%{VERSION}:%{RELEASE}");
constexpr int hashesPerLine = 40;

// Notices that Debian's rpm prints on standard error at every run, also at successful
// ones; they are not errors of the run.
const QStringList platformNotices = {
    QStringLiteral("rpm: RPM should not be used directly install RPM packages, use Alien instead!"),
    QStringLiteral("rpm: However assuming you know what you are doing..."),
};

QString withoutPlatformNotices(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    lines.erase(std::remove_if(
                    lines.begin(), lines.end(),
                    [](const QString& line) { return platformNotices.contains(line.trimmed()); }),
                lines.end());
    return lines.join(QLatin1Char('\n'));
}

// Positions in a package file name name-version-release.arch.rpm: e before the version,
// c before the release, b before the architecture.
struct NameParts {
    qsizetype b = -1;
    qsizetype c = -1;
    qsizetype e = -1;
};

NameParts nameParts(const QString& path) {
    NameParts p;
    const qsizetype a = path.lastIndexOf(QLatin1Char('.'));
    p.b = a > 0 ? path.lastIndexOf(QLatin1Char('.'), a - 1) : -1;
    p.c = p.b > 0 ? path.lastIndexOf(QLatin1Char('-'), p.b - 1) : -1;
    p.e = p.c > 0 ? path.lastIndexOf(QLatin1Char('-'), p.c - 1) : -1;
    return p;
}

bool isNumber(const QString& text) {
    bool ok = false;
    text.toLongLong(&ok);
    return ok;
}

} // namespace

SV_RPMAction::SV_RPMAction(QObject* parent)
    : SV_ProcessAction(parent), m_queryChild(new SV_ChildProcess(this)) {
    connect(m_queryChild, &SV_ChildProcess::receivedStdout, this,
            qOverload<SV_ChildProcess*, const QByteArray&>(&SV_RPMAction::slot_isInstalled));
}

void SV_RPMAction::initInternalOptions(bool reportErrors) {
    // "arch" and each piece of "extra-args" may name variables ($$target$$): an install file
    // can then install into the root and the architecture it found out. The pieces are
    // split before the replacement, so a value holding a comma stays one argument.
    m_arch = option(QStringLiteral("arch"));
    SV_VariableRegExp::fixString(m_arch);
    if (m_arch.isEmpty())
        m_arch = QStringLiteral("i386");
    m_command = option(QStringLiteral("command"));
    m_extraArgs = option(QStringLiteral("extra-args")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& arg : m_extraArgs)
        SV_VariableRegExp::fixString(arg);
    const QString rpms = option(QStringLiteral("rpms"));
    if (rpms.isNull()) {
        m_rpms.clear();
        if (reportErrors)
            err(ID(), QStringLiteral("The rpms options was not specified"));
        return;
    }
    m_rpms = rpms.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (m_command == QLatin1String("install"))
        m_totalSteps = 50 * int(m_rpms.size()) + 10;
    else if (m_command == QLatin1String("remove") || m_command == QLatin1String("query"))
        m_totalSteps = 1;
}

int SV_RPMAction::totalSteps() {
    initInternalOptions(false);
    return m_totalSteps;
}

QString SV_RPMAction::rval() {
    const QString command = option(QStringLiteral("command"));
    if (command == QLatin1String("install") || command == QLatin1String("remove"))
        return successful() ? QStringLiteral("true") : QStringLiteral("false");
    return QString();
}

QString SV_RPMAction::rpmName(const QString& path) {
    const NameParts p = nameParts(path);
    if (p.e < 0)
        return QString();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'), p.e);
    return slash >= 0 ? path.mid(slash + 1, p.e - slash - 1) : path.left(p.e);
}

QString SV_RPMAction::rpmVersion(const QString& path) {
    const NameParts p = nameParts(path);
    return p.e < 0 ? QString() : path.mid(p.e + 1, p.c - p.e - 1);
}

QString SV_RPMAction::rpmRelease(const QString& path) {
    const NameParts p = nameParts(path);
    return p.c < 0 ? QString() : path.mid(p.c + 1, p.b - p.c - 1);
}

QStringList SV_RPMAction::databaseArguments() const {
    // The arguments among extra-args that choose the package database (a private root,
    // another database path, macro definitions): the installed-version queries must ask
    // the same database the installation writes.
    static const QStringList withValue = {QStringLiteral("--root"), QStringLiteral("-r"),
                                          QStringLiteral("--dbpath"), QStringLiteral("--define"),
                                          QStringLiteral("-D")};
    QStringList result;
    for (qsizetype i = 0; i < m_extraArgs.size(); ++i) {
        const QString& arg = m_extraArgs.at(i);
        if (withValue.contains(arg) && i + 1 < m_extraArgs.size()) {
            result << arg << m_extraArgs.at(i + 1);
            ++i;
        } else if (arg.startsWith(QLatin1String("--root=")) ||
                   arg.startsWith(QLatin1String("--dbpath=")) ||
                   arg.startsWith(QLatin1String("--define="))) {
            result << arg;
        }
    }
    return result;
}

bool SV_RPMAction::isAlreadyInstalled(const QString& path) {
    const QString name = rpmName(path);
    QStringList query = {QStringLiteral("rpm"), QStringLiteral("-q"),
                         QStringLiteral("--queryformat"), queryFormat};
    query << databaseArguments() << name;
    dbg(QStringLiteral("SV_RPMAction::isInstalled, query process = ") +
        query.join(QLatin1Char(' ')));

    m_queryOutput.clear();
    m_queryChild->clearArguments();
    for (const QString& arg : std::as_const(query))
        *m_queryChild << arg;
    if (!m_queryChild->start(SV_ChildProcess::Block, SV_ChildProcess::AllOutput)) {
        dbg(QStringLiteral("SV_RPMAction::isAlreadyInstalled, the query could not be started"));
        return false;
    }
    // rpm answers a query for a package that is not installed with a message on standard
    // output and a non-zero exit status: only the status tells.
    if (!m_queryChild->normalExit() || m_queryChild->exitStatus() != 0) {
        dbg(QStringLiteral("SV_RPMAction::isAlreadyInstalled, %1 is not installed").arg(name));
        return false;
    }
    const QString output = QString::fromLocal8Bit(m_queryOutput).trimmed();
    if (output.isEmpty()) {
        dbg(QStringLiteral("SV_RPMAction::isAlreadyInstalled, no output from query!!!"));
        return false;
    }
    dbg(QStringLiteral("SV_RPMAction::isAlreadyInstalled, query output = ") + output);
    ++m_upgrades;

    const QStringList parts = output.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const QString installedVersion = parts.value(0);
    const QString installedRelease = parts.value(1);
    const QString version = rpmVersion(path);
    const QString release = rpmRelease(path);

    const int byVersion = SV_VersionCompare::rpm(installedVersion, version);
    if (byVersion > 0) {
        --m_upgrades;
        return true;
    }
    if (byVersion < 0)
        return false;

    dbg(QStringLiteral("installed version %1 == cd version %2, now checking releases %3 to %4")
            .arg(installedVersion, version, installedRelease, release));
    const bool newerOrSame = SV_VersionCompare::rpm(installedRelease, release) >= 0;
    if (!isNumber(installedRelease) || !isNumber(release)) {
        dbg(QStringLiteral("Couldn't convert release fields to numbers...trying alphabetical "
                           "order"));
        if (!newerOrSame)
            return false;
        log(ID(), QStringLiteral("Not installing %1 since version: %2-%3 is already installed "
                                 "which is greater or equal according to alphabetical order")
                      .arg(name, installedVersion, installedRelease));
        --m_upgrades;
        return true;
    }
    if (!newerOrSame)
        return false;
    log(ID(), QStringLiteral("Not installing %1 since version: %2-%3 is already installed")
                  .arg(name, installedVersion, installedRelease));
    --m_upgrades;
    return true;
}

bool SV_RPMAction::fixCommandLine() {
    initInternalOptions();
    // rpm's progress is counted in the action's own steps (hash marks for "install"); the
    // timed steps of "time" would count past the total.
    if (m_progressTimer)
        m_progressTimer->stop();
    m_commandLine.clear();
    m_commandLine << QStringLiteral("rpm");
    m_hashes = 0;
    m_expectedHashes = 0;
    m_upgrades = 0;

    if (m_command == QLatin1String("remove")) {
        m_commandLine << QStringLiteral("-e") << m_extraArgs << m_rpms;
        return true;
    }
    if (m_command == QLatin1String("query")) {
        m_commandLine << QStringLiteral("-q") << QStringLiteral("--queryformat") << queryFormat
                      << m_extraArgs;
        if (m_rpms.isEmpty()) {
            err(ID(), QStringLiteral("Missing rpm argument for rpm query action"));
            return false;
        }
        m_commandLine << m_rpms.first();
        return true;
    }
    if (m_command != QLatin1String("install"))
        return false;

    const QString componentDir = SV_Engine::engine()->componentDir();
    const QDir dir(componentDir, QString(), QDir::Name | QDir::IgnoreCase, QDir::Files);
    if (!dir.exists()) {
        dbg(QStringLiteral("SV_RPMAction::fixCommandLine, component dir does not exist"));
        err(ID(), QStringLiteral("No rpm's to install could be found, %1 does not exist")
                      .arg(componentDir));
        return false;
    }
    m_commandLine << QStringLiteral("-Uh") << m_extraArgs;

    m_packageFiles.clear();
    for (const QString& name : std::as_const(m_rpms)) {
        const QStringList entries =
            dir.entryList({name + QStringLiteral("*.") + m_arch + QStringLiteral(".rpm")},
                          QDir::Files, QDir::Name | QDir::IgnoreCase);
        QString taken;
        if (entries.size() == 1) {
            // The only match may still be another package whose name goes on from this
            // one (mta-devel for mta): that one is not taken.
            const QString other = rpmName(entries.first());
            if (other == name || !other.startsWith(name))
                taken = entries.first();
        } else {
            // Several files: the one whose name goes on with a version (a digit after the
            // separator), so that mta is not taken for mta-devel.
            for (const QString& entry : entries) {
                if (entry.size() > name.size() + 1 && entry.at(name.size() + 1).isDigit()) {
                    taken = entry;
                    break;
                }
            }
        }
        if (taken.isEmpty()) {
            err(ID(), QStringLiteral("Could not find an rpm for %1").arg(name));
            return false;
        }
        m_packageFiles << dir.absoluteFilePath(taken);
    }

    int installing = 0;
    for (const QString& path : std::as_const(m_packageFiles)) {
        if (!isAlreadyInstalled(path)) {
            m_commandLine << QFile::decodeName(QFile::encodeName(path));
            ++installing;
        }
    }
    if (installing == 0)
        return false;

    // The packages left out count as done at once.
    m_currSteps += 5 + 50 * int(m_packageFiles.size() - installing);
    m_baseSteps = m_currSteps;
    m_expectedHashes = hashesPerLine * (2 + installing + m_upgrades);
    emit sig_progress(m_currSteps);
    return true;
}

void SV_RPMAction::slot_readStdout() {}

void SV_RPMAction::slot_isInstalled() {}

void SV_RPMAction::slot_isInstalled(SV_ChildProcess*, const QByteArray& chunk) {
    m_queryOutput += chunk;
}

void SV_RPMAction::slot_readStdout(SV_ChildProcess*, const QByteArray& chunk) {
    process_stdout(QString::fromLocal8Bit(chunk).trimmed());
}

void SV_RPMAction::process_stdout(const QString& text) {
    if (m_command == QLatin1String("install")) {
        const int hashes = int(text.count(QLatin1Char('#')));
        if (hashes == 0 || m_expectedHashes <= 0)
            return;
        m_hashes += hashes;
        // Scaled to the steps left; the last step is reached only when rpm has ended.
        const int room = m_totalSteps - m_baseSteps;
        const int steps = std::min(m_totalSteps - 1,
                                   m_baseSteps + int(qint64(std::min(m_hashes, m_expectedHashes)) *
                                                     room / m_expectedHashes));
        if (steps > m_currSteps) {
            m_currSteps = steps;
            emit sig_progress(m_currSteps);
        }
    } else if (m_command == QLatin1String("query")) {
        m_stdout += text;
    }
}

void SV_RPMAction::slot_procDone() {
    process_procDone();
}

void SV_RPMAction::slot_procDone(SV_ChildProcess*) {
    process_procDone();
}

void SV_RPMAction::process_procDone() {
    m_stderr = withoutPlatformNotices(m_stderr);
    if (m_command == QLatin1String("query")) {
        const QString version = option(QStringLiteral("version"));
        // A package that is not installed is answered with a message and a non-zero status.
        if (m_stdout.isEmpty() || !child()->normalExit() || child()->exitStatus() != 0)
            setNotSuccessful();
        else if (!version.isEmpty() && version != m_stdout.section(QLatin1Char(':'), 0, 0))
            setNotSuccessful();
    }
    SV_ProcessAction::process_procDone();
}
