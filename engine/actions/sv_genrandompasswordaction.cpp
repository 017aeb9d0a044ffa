#include "sv_genrandompasswordaction.h"

#include "sv_secrets.h"

#include <QRandomGenerator>

bool SV_GenRandomPasswordAction::acceptable(qint64 drawn) {
    const unsigned c = unsigned(drawn & 0xFF);
    return c >= 0x20 && c <= 0x7E && c != '"' && c != '<' && c != '>' && c != '&';
}

void SV_GenRandomPasswordAction::slot_start() {
    SV_Action::slot_start();
    bool ok = false;
    const unsigned length = option(QStringLiteral("length")).toUInt(&ok);
    if (ok)
        m_length = length;
    const int min = option(QStringLiteral("min")).toInt(&ok);
    if (ok)
        m_min = min;
    const int max = option(QStringLiteral("max")).toInt(&ok);
    if (ok)
        m_max = max;

    m_password.clear();

    // Values are drawn evenly from [min, max]; a range of 256 values or more holds every
    // byte, a smaller one must hold at least one acceptable character.
    const qint64 span = qint64(m_max) - qint64(m_min) + 1;
    bool possible = span >= 256;
    for (qint64 v = m_min; !possible && v <= m_max; ++v)
        possible = acceptable(v);
    if (!possible) {
        err(ID(), QStringLiteral("No password character lies between min: %1 and max: %2")
                      .arg(m_min)
                      .arg(m_max));
        slot_setDone();
        return;
    }

    QRandomGenerator* random = QRandomGenerator::system();
    while (unsigned(m_password.size()) < m_length) {
        const qint64 drawn = qint64(m_min) + qint64(random->bounded(quint64(span)));
        if (acceptable(drawn))
            m_password.append(QLatin1Char(char(drawn & 0xFF)));
    }
    // The password is never shown: every message hides it from now on.
    SV_Secrets::addValue(m_password);
    slot_setDone();
}
