#include "sv_versioncompare.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace SV_VersionCompare {

namespace {

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isAsciiLetter(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

} // namespace

int compareNumbers(QStringView a, QStringView b) {
    while (!a.isEmpty() && a.front() == QLatin1Char('0'))
        a = a.mid(1);
    while (!b.isEmpty() && b.front() == QLatin1Char('0'))
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return sign(a.compare(b));
}

int rpm(const QString& a, const QString& b) {
    if (a == b)
        return 0;
    const qsizetype na = a.size();
    const qsizetype nb = b.size();
    qsizetype i = 0;
    qsizetype j = 0;
    const auto separator = [](QChar c) {
        return !isAsciiDigit(c) && !isAsciiLetter(c) && c != QLatin1Char('~') &&
               c != QLatin1Char('^');
    };
    while (i < na || j < nb) {
        while (i < na && separator(a.at(i)))
            ++i;
        while (j < nb && separator(b.at(j)))
            ++j;

        const bool tildeA = i < na && a.at(i) == QLatin1Char('~');
        const bool tildeB = j < nb && b.at(j) == QLatin1Char('~');
        if (tildeA || tildeB) {
            if (!tildeA)
                return 1;
            if (!tildeB)
                return -1;
            ++i;
            ++j;
            continue;
        }
        const bool caretA = i < na && a.at(i) == QLatin1Char('^');
        const bool caretB = j < nb && b.at(j) == QLatin1Char('^');
        if (caretA || caretB) {
            if (i >= na)
                return -1;
            if (j >= nb)
                return 1;
            if (!caretA)
                return 1;
            if (!caretB)
                return -1;
            ++i;
            ++j;
            continue;
        }
        if (i >= na || j >= nb)
            break;

        const bool numeric = isAsciiDigit(a.at(i));
        const auto inRun = [numeric](QChar c) {
            return numeric ? isAsciiDigit(c) : isAsciiLetter(c);
        };
        qsizetype ei = i;
        while (ei < na && inRun(a.at(ei)))
            ++ei;
        qsizetype ej = j;
        while (ej < nb && inRun(b.at(ej)))
            ++ej;
        // Runs of different kinds: the digit run is the newer one.
        if (ej == j)
            return numeric ? 1 : -1;
        const QStringView runA = QStringView(a).mid(i, ei - i);
        const QStringView runB = QStringView(b).mid(j, ej - j);
        const int c = numeric ? compareNumbers(runA, runB) : sign(runA.compare(runB));
        if (c != 0)
            return c;
        i = ei;
        j = ej;
    }
    if (i >= na && j >= nb)
        return 0;
    return i >= na ? -1 : 1;
}

bool isDotted(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^[0-9]+([._][0-9]+)*$"));
    return pattern.match(text).hasMatch();
}

int dotted(const QString& a, const QString& b) {
    static const QRegularExpression separators(QStringLiteral("[._]"));
    const QStringList pa = a.split(separators);
    const QStringList pb = b.split(separators);
    const qsizetype n = std::max(pa.size(), pb.size());
    for (qsizetype k = 0; k < n; ++k) {
        const QString x = k < pa.size() ? pa.at(k) : QStringLiteral("0");
        const QString y = k < pb.size() ? pb.at(k) : QStringLiteral("0");
        const int c = compareNumbers(x, y);
        if (c != 0)
            return c;
    }
    return 0;
}

} // namespace SV_VersionCompare
