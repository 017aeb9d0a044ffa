#include "sv_passwordvariable.h"

#include <QtGlobal>

namespace {
const QString kPass1 = QStringLiteral("pass1");
const QString kPass2 = QStringLiteral("pass2");
} // namespace

SV_PasswordVariable::SV_PasswordVariable(QObject* parent) : SV_Variable(parent) {}

void SV_PasswordVariable::storeValue(const QStringList& values) {
    if (values.size() == 1) {
        // The form in which profiles and defaults set a password: no signal.
        setOption(kPass1, values.first());
        setOption(kPass2, values.first());
        return;
    }
    if (values.size() != 2)
        return;
    bool changed = false;
    if (values.at(0) != option(kPass1)) {
        setOption(kPass1, values.at(0));
        changed = true;
    }
    if (values.at(1) != option(kPass2)) {
        setOption(kPass2, values.at(1));
        changed = true;
    }
    if (changed)
        emit sig_valuechanged();
}

QString SV_PasswordVariable::value() {
    return isValidPassword() ? option(kPass1) : QLatin1String("");
}

bool SV_PasswordVariable::equals(const QString& s) {
    return isValidPassword() && option(kPass1) == s;
}

bool SV_PasswordVariable::isEmpty() {
    return isValidPassword() && option(kPass1).isEmpty();
}

bool SV_PasswordVariable::isCurrentDataValid(const QString& condition) {
    return condition == QLatin1String("valid-password") && isValidPassword();
}

bool SV_PasswordVariable::isValidPassword() {
    return problemOf(option(kPass1), option(kPass2), true).isNull();
}

bool SV_PasswordVariable::checkSecurity() {
    return securityProblem(option(kPass1), true).isNull();
}

QString SV_PasswordVariable::problemOf(const QString& password, const QString& confirmation,
                                       bool warn) {
    if (password != confirmation)
        return tr("the password and its confirmation differ");
    const QString minLength = option(QStringLiteral("min_length"));
    if (!minLength.isNull()) {
        bool ok = false;
        const uint minimum = minLength.toUInt(&ok, 10);
        if (!ok) {
            if (warn)
                qWarning("invalid setting for min_length");
        } else if (uint(password.size()) < minimum) {
            return tr("the password needs at least %1 characters").arg(minimum);
        }
    }
    return securityProblem(password, warn);
}

QString SV_PasswordVariable::securityProblem(const QString& password, bool warn) {
    const QString rule = option(QStringLiteral("security"));
    if (rule.isNull())
        return QString();
    if (rule == QLatin1String("non-dictionary")) {
        if (warn)
            qWarning("checking for non-dictionary passwords not done");
        return QString();
    }
    if (rule == QLatin1String("no-alpha")) {
        for (const QChar c : password) {
            if (c.isLetter())
                return tr("the password must not contain letters");
        }
        return QString();
    }
    return tr("the password rule \"%1\" is unknown, so no password meets it").arg(rule);
}

QString SV_PasswordVariable::parseAnswer(const QString& text, QStringList& values) {
    const QString why = problemOf(text, text, false);
    if (why.isNull())
        values = QStringList{text, text};
    return why;
}

QString SV_PasswordVariable::formatAnswer() {
    return option(kPass1);
}

QString SV_PasswordVariable::valueProblem() {
    return problemOf(option(kPass1), option(kPass2), false);
}
