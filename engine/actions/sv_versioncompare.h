#ifndef SV_VERSIONCOMPARE_H
#define SV_VERSIONCOMPARE_H

#include <QString>
#include <QStringView>

// Version orderings. Each returns a negative number, 0 or a positive number as a is older
// than, the same as or newer than b.
namespace SV_VersionCompare {

// Two runs of decimal digits by their value, of any length (leading zeros do not count).
int compareNumbers(QStringView a, QStringView b);

// The ordering of the RPM package manager for versions and releases: the texts are cut
// into runs of digits and runs of letters (other characters only separate them); digit
// runs compare by value, letter runs by character code, a digit run is newer than a letter
// run; when one text runs out first the other, longer one is newer. '~' sorts before
// everything, even the end of the text (1.0~rc1 < 1.0); '^' sorts after the end but
// before any other run (1.0 < 1.0^git1 < 1.0.1).
int rpm(const QString& a, const QString& b);

// Dotted versions of the Java kind ("1.8.0_392", "17.0.9", "21"): numbers separated by
// '.' or '_', compared part by part; a missing part counts as 0, so 17 and 17.0 are the
// same. Both texts must be isDotted().
int dotted(const QString& a, const QString& b);
// True for one or more runs of digits separated by single '.' or '_' characters.
bool isDotted(const QString& text);

} // namespace SV_VersionCompare

#endif
