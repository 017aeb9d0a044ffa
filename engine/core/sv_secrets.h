#ifndef SV_SECRETS_H
#define SV_SECRETS_H

#include <QString>
#include <QStringList>

class SV_Variable;

// The secrets of the run: the values of password variables, of the variables that a
// generate-password action filled and the passwords such actions made. Every message
// that leaves the engine (the log stores, standard error, the console, the output lines
// of commands) goes through hide(), which puts kMask in place of each secret wherever it
// occurs. The values themselves stay untouched: the actions still get them.
class SV_Secrets {
public:
    static const QString kMask; // "********"

    // A variable whose value is secret from now on, for as long as it exists. Password
    // variables hide both typed texts, whether they agree or not.
    static void addVariable(SV_Variable* variable);
    static bool isSecret(const SV_Variable* variable);
    // A fixed secret text, kept for the rest of the run (an empty text is ignored).
    static void addValue(const QString& value);

    // The current secret texts, each non-empty one once.
    static QStringList values();
    // The text with every occurrence of every secret replaced; overlapping or adjacent
    // occurrences become one mask. Hiding a text twice reveals nothing.
    static QString hide(const QString& text);
    static QString hide(const QString& text, const QStringList& secrets);
};

#endif
