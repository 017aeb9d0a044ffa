#include "sv_secrets.h"

#include "sv_passwordvariable.h"
#include "sv_variable.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <vector>

namespace {

struct Store {
    QList<QPointer<SV_Variable>> variables;
    QStringList values;
};

Store& store() {
    static Store s;
    return s;
}

void appendOnce(QStringList& list, const QString& value) {
    if (!value.isEmpty() && !list.contains(value))
        list.append(value);
}

} // namespace

const QString SV_Secrets::kMask = QStringLiteral("********");

void SV_Secrets::addVariable(SV_Variable* variable) {
    if (!variable || isSecret(variable))
        return;
    store().variables.append(QPointer<SV_Variable>(variable));
}

bool SV_Secrets::isSecret(const SV_Variable* variable) {
    if (!variable)
        return false;
    for (const QPointer<SV_Variable>& v : std::as_const(store().variables))
        if (v.data() == variable)
            return true;
    return false;
}

void SV_Secrets::addValue(const QString& value) {
    appendOnce(store().values, value);
}

QStringList SV_Secrets::values() {
    Store& s = store();
    QStringList all = s.values;
    // Variables that are gone drop out of the list.
    s.variables.removeIf([](const QPointer<SV_Variable>& v) { return v.isNull(); });
    for (const QPointer<SV_Variable>& v : std::as_const(s.variables)) {
        if (qobject_cast<SV_PasswordVariable*>(v.data())) {
            // Read the stored texts directly: value() is empty until the pair is valid,
            // and a half-typed password is a secret too.
            appendOnce(all, v->option(QStringLiteral("pass1")));
            appendOnce(all, v->option(QStringLiteral("pass2")));
        } else {
            appendOnce(all, v->value());
        }
    }
    return all;
}

QString SV_Secrets::hide(const QString& text) {
    if (text.isEmpty())
        return text;
    Store& s = store();
    if (s.values.isEmpty() && s.variables.isEmpty())
        return text;
    return hide(text, values());
}

QString SV_Secrets::hide(const QString& text, const QStringList& secrets) {
    const qsizetype n = text.size();
    std::vector<bool> covered;
    for (const QString& secret : secrets) {
        if (secret.isEmpty())
            continue;
        for (qsizetype at = text.indexOf(secret); at >= 0; at = text.indexOf(secret, at + 1)) {
            if (covered.empty())
                covered.assign(size_t(n), false);
            for (qsizetype i = at; i < at + secret.size(); ++i)
                covered[size_t(i)] = true;
        }
    }
    if (covered.empty())
        return text;
    QString out;
    out.reserve(n);
    for (qsizetype i = 0; i < n;) {
        if (!covered[size_t(i)]) {
            out += text.at(i++);
            continue;
        }
        out += kMask;
        while (i < n && covered[size_t(i)])
            ++i;
    }
    return out;
}
