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
// VARIABLE_ID=value; blank lines and lines starting with "#" are ignored, blanks around
// the id too. The value is everything after the first "=", as written, in the answer form
// of its variable (SV_Variable::parseAnswer): booleans true or false, single choices and
// profiles by choice id, multiple choices as comma-separated ids, a password once. Only
// after a number, boolean or choice may blanks and a "# comment" follow; a text,
// directory or password value may itself hold " #".
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

    // The answer text of a line's value for the variable: the value without a trailing
    // comment where the variable's kind allows one, else the value as written.
    static QString answerText(SV_Variable* variable, const QString& value);
    // Parses an answer text and stores it; the variable's reason when it refuses it.
    static QString store(SV_Variable* variable, const QString& text);

private:
    QList<SV_ConsoleAnswer> m_answers;
    QStringList m_problems;
    QHash<QString, QString> m_applied;
};

#endif
