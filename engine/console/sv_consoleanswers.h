#ifndef SV_CONSOLEANSWERS_H
#define SV_CONSOLEANSWERS_H

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class SV_Engine;
class SV_Variable;

// One line VARIABLE_ID=value of an answer file.
struct SV_ConsoleAnswer {
    int line = 0;
    QString id;
    QString value;
};

// The answers of an unattended installation, read from standard input: lines
// VARIABLE_ID=value; blank lines and lines starting with "#" are ignored; booleans true or
// false, single choices and profiles by choice id, multiple choices as comma-separated
// ids, a password once. Also the value checks and stores that the interactive prompts use.
class SV_ConsoleAnswers {
public:
    // Reads the text; every malformed line is a problem ("line N: ...").
    void parse(const QByteArray& text);
    // Checks every answer against the engine's variables in one pass: unknown ids,
    // repeated ids, refused values, unknown choice ids. Appends to problems().
    void check(SV_Engine* engine);
    // Stores every answer, in file order, and remembers what each variable then held.
    void applyAll(SV_Engine* engine);
    // Gives the variable again what it held after its answer was stored, if it has an
    // answer and holds something else now (a stage's initialisation may have changed it).
    // The value held, not the answer, is stored again: a multiple choice answered "b"
    // holds "a,b" when b requires a, and storing "b" again would untick both.
    void reapply(SV_Variable* variable) const;
    bool has(const QString& id) const;

    const QList<SV_ConsoleAnswer>& answers() const { return m_answers; }
    const QStringList& problems() const { return m_problems; }

    // Why the variable refuses the value, or a null string when it takes it. The value is
    // in answer form (choice ids, "true"/"false", one password).
    static QString checkValue(SV_Variable* variable, const QString& value);
    // Stores a value in answer form.
    static void storeValue(SV_Variable* variable, const QString& value);
    // The variable's current value in answer form (ids for choices, the stored word for
    // booleans); passwords give a null string.
    static QString answerForm(SV_Variable* variable);

private:
    QList<SV_ConsoleAnswer> m_answers;
    QStringList m_problems;
    QHash<QString, QString> m_applied;
};

#endif
