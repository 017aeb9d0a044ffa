#include "sv_consoleanswers.h"

#include "sv_boolvariable.h"
#include "sv_choicevariable.h"
#include "sv_directoryvariable.h"
#include "sv_engine.h"
#include "sv_numbervariable.h"
#include "sv_passwordvariable.h"
#include "sv_textvariable.h"

#include <QDoubleValidator>
#include <QHash>
#include <QIntValidator>

#include <algorithm>

namespace {

QStringList choiceIds(SV_Variable* variable) {
    QStringList ids;
    auto it = variable->choiceIterator();
    while (it.hasNext())
        ids << it.next()->ID();
    return ids;
}

QString expected(QValidator* validator) {
    if (auto* v = qobject_cast<QIntValidator*>(validator))
        return QStringLiteral("a whole number from %1 to %2").arg(v->bottom()).arg(v->top());
    if (auto* v = qobject_cast<QDoubleValidator*>(validator))
        return QStringLiteral("a number from %1 to %2").arg(v->bottom()).arg(v->top());
    return QStringLiteral("a valid value");
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
        const QString why = checkValue(variable, a.value);
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
    for (const SV_ConsoleAnswer& a : m_answers)
        if (SV_Variable* variable = engine->variable(a.id)) {
            storeValue(variable, a.value);
            m_applied.insert(a.id, qobject_cast<SV_PasswordVariable*>(variable) ? a.value : answerForm(variable));
        }
}

void SV_ConsoleAnswers::reapply(SV_Variable* variable) const {
    if (!variable)
        return;
    const auto it = m_applied.constFind(variable->ID());
    if (it == m_applied.constEnd())
        return;
    if (qobject_cast<SV_PasswordVariable*>(variable) || answerForm(variable) != *it)
        storeValue(variable, *it);
}

bool SV_ConsoleAnswers::has(const QString& id) const {
    for (const SV_ConsoleAnswer& a : m_answers)
        if (a.id == id)
            return true;
    return false;
}

QString SV_ConsoleAnswers::checkValue(SV_Variable* variable, const QString& value) {
    if (qobject_cast<SV_BoolVariable*>(variable)) {
        if (value != QLatin1String("true") && value != QLatin1String("false"))
            return QStringLiteral("\"%1\" is no boolean (true or false)").arg(value);
        return QString();
    }
    if (qobject_cast<SV_MChoiceVariable*>(variable)) {
        QStringList unknown;
        for (const QString& id : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
            if (!variable->choice(id.trimmed()))
                unknown << id.trimmed();
        if (!unknown.isEmpty())
            return QStringLiteral("no choice \"%1\" (choices: %2)")
                .arg(unknown.join(QLatin1String("\", \"")), choiceIds(variable).join(QLatin1String(", ")));
        return QString();
    }
    if (qobject_cast<SV_SChoiceVariable*>(variable) || qobject_cast<SV_ProfileVariable*>(variable)) {
        if (!variable->choice(value))
            return QStringLiteral("no choice \"%1\" (choices: %2)")
                .arg(value, choiceIds(variable).join(QLatin1String(", ")));
        return QString();
    }
    if (auto* password = qobject_cast<SV_PasswordVariable*>(variable)) {
        // Checked on a copy of the rules, so the variable keeps what it holds.
        SV_PasswordVariable probe;
        probe.setOption(QStringLiteral("min_length"), password->option(QStringLiteral("min_length")));
        probe.setOption(QStringLiteral("security"), password->option(QStringLiteral("security")));
        probe.storeValue({value, value});
        if (!probe.isValidPassword()) {
            const QString min = password->option(QStringLiteral("min_length"));
            return min.isNull() ? QStringLiteral("the password does not meet the rules")
                                : QStringLiteral("the password does not meet the rules (at least %1 characters)").arg(min);
        }
        return QString();
    }
    if (qobject_cast<SV_TextVariable*>(variable) || qobject_cast<SV_NumberVariable*>(variable)) {
        QValidator* validator = variable->validator();
        const bool number = qobject_cast<SV_NumberVariable*>(variable) != nullptr;
        if (!validator || (!number && value.isEmpty()))
            return QString();
        QString copy = value;
        int pos = 0;
        if (validator->validate(copy, pos) != QValidator::Acceptable)
            return QStringLiteral("\"%1\" is refused: %2 is expected").arg(value, expected(validator));
        return QString();
    }
    return QString();
}

void SV_ConsoleAnswers::storeValue(SV_Variable* variable, const QString& value) {
    if (qobject_cast<SV_MChoiceVariable*>(variable)) {
        QStringList ids;
        for (const QString& id : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
            ids << id.trimmed();
        variable->storeValue(ids);
    } else if (qobject_cast<SV_PasswordVariable*>(variable)) {
        variable->storeValue({value, value}); // a pair, so the change is signalled
    } else {
        variable->storeValue({value});
    }
}

QString SV_ConsoleAnswers::answerForm(SV_Variable* variable) {
    if (qobject_cast<SV_PasswordVariable*>(variable))
        return QString();
    if (qobject_cast<SV_BoolVariable*>(variable))
        return variable->option(QStringLiteral("value"));
    if (qobject_cast<SV_ChoiceVariable*>(variable)) {
        QStringList ids;
        auto it = variable->choiceIterator();
        while (it.hasNext()) {
            SV_Choice* c = it.next();
            if (c->selected)
                ids << c->ID();
        }
        return ids.join(QLatin1Char(','));
    }
    return variable->value();
}
