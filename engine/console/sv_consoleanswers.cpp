#include "sv_consoleanswers.h"

#include "sv_boolvariable.h"
#include "sv_choicevariable.h"
#include "sv_directoryvariable.h"
#include "sv_engine.h"
#include "sv_numbervariable.h"
#include "sv_passwordvariable.h"
#include "sv_textvariable.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace {

// The kinds whose answers never hold a blank followed by "#": a comment may follow them.
bool takesComment(SV_Variable* variable) {
    return qobject_cast<SV_NumberVariable*>(variable) || qobject_cast<SV_BoolVariable*>(variable) ||
           qobject_cast<SV_ChoiceVariable*>(variable);
}

} // namespace

void SV_ConsoleAnswers::parse(const QByteArray& text) {
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = QString::fromLocal8Bit(lines[i]);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) {
            m_problems << QStringLiteral("line %1: \"%2\" is not of the form VARIABLE_ID=value")
                              .arg(i + 1)
                              .arg(trimmed);
            continue;
        }
        SV_ConsoleAnswer answer;
        answer.line = i + 1;
        answer.id = line.left(eq).trimmed();
        answer.value = line.mid(eq + 1); // taken as written: blanks may matter
        if (answer.id.isEmpty()) {
            m_problems << QStringLiteral("line %1: no variable id before \"=\"").arg(i + 1);
            continue;
        }
        m_answers << answer;
    }
}

void SV_ConsoleAnswers::check(SV_Engine* engine) {
    QHash<QString, int> seen;
    for (const SV_ConsoleAnswer& a : m_answers) {
        const auto first = seen.constFind(a.id);
        if (first != seen.constEnd()) {
            m_problems << QStringLiteral("line %1: \"%2\" is answered again (first on line %3)")
                              .arg(a.line)
                              .arg(a.id)
                              .arg(*first);
            continue;
        }
        seen.insert(a.id, a.line);
        SV_Variable* variable = engine->variable(a.id);
        if (!variable) {
            m_problems << QStringLiteral("line %1: unknown variable \"%2\"").arg(a.line).arg(a.id);
            continue;
        }
        QStringList values;
        const QString why = variable->parseAnswer(answerText(variable, a.value), values);
        if (!why.isNull())
            m_problems << QStringLiteral("line %1: %2: %3").arg(a.line).arg(a.id, why);
    }
    // Problems are reported in the order of their lines.
    std::stable_sort(m_problems.begin(), m_problems.end(), [](const QString& x, const QString& y) {
        return x.section(QLatin1Char(':'), 0, 0).mid(5).toInt() <
               y.section(QLatin1Char(':'), 0, 0).mid(5).toInt();
    });
}

void SV_ConsoleAnswers::applyAll(SV_Engine* engine) {
    for (const SV_ConsoleAnswer& a : m_answers) {
        if (SV_Variable* variable = engine->variable(a.id)) {
            const QString text = answerText(variable, a.value);
            store(variable, text);
            // What the variable holds now, in answer form: a multiple choice answered "b"
            // holds "a,b" when b requires a. A password is kept as answered.
            m_applied.insert(a.id, qobject_cast<SV_PasswordVariable*>(variable)
                                       ? text
                                       : variable->formatAnswer());
        }
    }
}

void SV_ConsoleAnswers::reapply(SV_Variable* variable) const {
    if (!variable)
        return;
    const auto it = m_applied.constFind(variable->ID());
    if (it == m_applied.constEnd())
        return;
    if (qobject_cast<SV_PasswordVariable*>(variable) || variable->formatAnswer() != *it)
        store(variable, *it);
}

bool SV_ConsoleAnswers::has(const QString& id) const {
    for (const SV_ConsoleAnswer& a : m_answers)
        if (a.id == id)
            return true;
    return false;
}

QString SV_ConsoleAnswers::answerText(SV_Variable* variable, const QString& value) {
    if (!takesComment(variable))
        return value;
    static const QRegularExpression comment(QStringLiteral("[ \\t]+#.*$"));
    QString text = value;
    text.remove(comment);
    return text;
}

QString SV_ConsoleAnswers::store(SV_Variable* variable, const QString& text) {
    QStringList values;
    const QString why = variable->parseAnswer(text, values);
    if (why.isNull())
        variable->storeValue(values);
    return why;
}
