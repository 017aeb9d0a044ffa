#include "sv_readfileaction.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>

void SV_ReadFileAction::slot_start() {
    SV_Action::slot_start();
    if (option(QStringLiteral("type")) == QLatin1String("key=value"))
        readKeyValue();
    slot_setDone();
}

void SV_ReadFileAction::readKeyValue() {
    const QString fileName = option(QStringLiteral("file"));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        dbg(QStringLiteral("couldn't open file"));
        err(ID(), QStringLiteral("Could not open file: %1 for reading").arg(fileName));
        m_value = option(QStringLiteral("default"));
        return;
    }

    const QString name = option(QStringLiteral("name"));
    dbg(QStringLiteral("looking for property: %1 in file: %2").arg(name, fileName));
    const QStringList markers =
        option(QStringLiteral("comment-chars")).split(QLatin1Char(','), Qt::SkipEmptyParts);

    QTextStream in(&file);
    QString line;
    while (in.readLineInto(&line)) {
        const int p = line.indexOf(name);
        if (p < 0)
            continue;
        bool commented = false;
        for (const QString& marker : markers) {
            const int m = line.indexOf(marker);
            if (m >= 0 && m < p) {
                commented = true;
                break;
            }
        }
        if (commented)
            continue;
        const int eq = line.indexOf(QLatin1Char('='), p);
        if (eq < 0)
            continue;
        m_value = line.mid(eq + 1).trimmed();
        dbg(QStringLiteral("Found value: ") + m_value);
    }

    if (m_value.isNull())
        m_value = option(QStringLiteral("default"));
}
