#include "sv_checkjavaaction.h"

#include "sv_versioncompare.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>

bool SV_CheckJavaAction::fixCommandLine() {
    dbg(QStringLiteral("SV_CheckJavaAction::slot_start"));
    const QString path = QString::fromLocal8Bit(qgetenv("PATH"));
    dbg(QStringLiteral("$PATH = ") + path);
    const QStringList dirs = path.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    QString exe = option(QStringLiteral("java_exe"));
    if (exe.isNull())
        exe = QStringLiteral("java");

    QString found;
    for (const QString& dir : dirs) {
        dbg(QStringLiteral("checking for ") + exe + QStringLiteral(" in: ") + dir);
        const QFileInfo info(QDir(dir), exe);
        if (info.isFile()) {
            found = info.absoluteFilePath();
            break;
        }
    }
    if (found.isEmpty()) {
        err(ID(), QStringLiteral("Could not find the java executable in %1").arg(path));
        return false;
    }
    dbg(QStringLiteral("found java exe at: ") + found);
    log(ID(), QStringLiteral("java exe found at: %1").arg(found));

    const QString version = option(QStringLiteral("version"));
    if (version.isNull())
        return false;
    // Versions have one or more parts ("1.2", "11", "17.0.9").
    m_requiredVersion = version.trimmed();
    if (!SV_VersionCompare::isDotted(m_requiredVersion)) {
        err(ID(), QStringLiteral("Invalid version string: %1").arg(version));
        return false;
    }
    m_commandLine = {found, QStringLiteral("-version")};
    dbg(QStringLiteral("SV_CheckJavaAction::slot_start(), args = ") +
        m_commandLine.join(QLatin1Char(' ')));
    return true;
}

QString SV_CheckJavaAction::findVersion(const QString& output, QString* error) {
    static const QRegularExpression word(QStringLiteral("version[\\s]*\"?[0-9.]"));
    const QRegularExpressionMatch match = word.match(output);
    if (!match.hasMatch()) {
        *error = QStringLiteral("Could not find version in: %1").arg(output);
        return QString();
    }
    // The number after the word: digits, dots and the update separator '_' of the 1.x
    // scheme ("1.8.0_392"); dots or separators at its end are not part of it.
    static const QRegularExpression number(QStringLiteral("[0-9._]*"));
    qsizetype start = match.capturedStart() + 7;
    while (start < output.size() &&
           (output.at(start).isSpace() || output.at(start) == QLatin1Char('"')))
        ++start;
    const QString run = number
                            .match(output, start, QRegularExpression::NormalMatch,
                                   QRegularExpression::AnchorAtOffsetMatchOption)
                            .captured();
    QString text = run;
    while (text.endsWith(QLatin1Char('.')) || text.endsWith(QLatin1Char('_')))
        text.chop(1);
    if (text.isEmpty()) {
        *error = QStringLiteral("Could not find a number in: %1").arg(output);
        return QString();
    }
    if (!SV_VersionCompare::isDotted(text)) {
        *error = QStringLiteral("Could not parse version number from: %1").arg(run);
        return QString();
    }
    return text;
}

void SV_CheckJavaAction::slot_procDone() {
    checkVersion();
}

void SV_CheckJavaAction::slot_procDone(SV_ChildProcess*) {
    checkVersion();
}

void SV_CheckJavaAction::checkVersion() {
    if (m_progressTimer)
        m_progressTimer->stop();
    dbg(QStringLiteral("SV_CheckJavaAction::slot_procDone, output = ") + m_stdout);
    // Runtimes print their banner on standard error (older ones on standard output).
    QString output = m_stdout;
    if (!m_stderr.isEmpty()) {
        if (!output.isEmpty() && !output.endsWith(QLatin1Char('\n')))
            output += QLatin1Char('\n');
        output += m_stderr;
    }
    QString error;
    const QString found = findVersion(output, &error);
    if (found.isEmpty())
        err(ID(), error);
    else if (SV_VersionCompare::dotted(found, m_requiredVersion) < 0)
        err(ID(),
            QStringLiteral("JVM Version %1 is not supported,Version %2 or greater is required")
                .arg(found, m_requiredVersion));
    slot_setDone();
}
