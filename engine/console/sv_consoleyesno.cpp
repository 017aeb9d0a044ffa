#include "sv_consoleyesno.h"

#include <QStringList>

QString SV_ConsoleYesNo::yesLetter() {
    //: The letter typed for "yes" on the console
    return tr("y");
}

QString SV_ConsoleYesNo::noLetter() {
    //: The letter typed for "no" on the console
    return tr("n");
}

QString SV_ConsoleYesNo::choices() {
    return QStringLiteral("(%1/%2)").arg(yesLetter(), noLetter());
}

SV_ConsoleYesNo::Answer SV_ConsoleYesNo::parse(const QString& line, const QString& extraYes,
                                               const QString& extraNo) {
    const QString answer = line.trimmed().toLower();
    if (answer.isEmpty())
        return Neither;
    const QStringList yes{QStringLiteral("y"), QStringLiteral("yes"), yesLetter().toLower(),
                          tr("yes").toLower(), extraYes.trimmed().toLower()};
    const QStringList no{QStringLiteral("n"), QStringLiteral("no"), noLetter().toLower(),
                         tr("no").toLower(), extraNo.trimmed().toLower()};
    const bool isYes = yes.contains(answer);
    const bool isNo = no.contains(answer);
    if (isYes == isNo) // neither, or a word that stands for both
        return Neither;
    return isYes ? Yes : No;
}
