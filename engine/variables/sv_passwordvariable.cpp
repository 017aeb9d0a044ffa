#include "sv_passwordvariable.h"

#include "sv_secrets.h"

#include <QtGlobal>

namespace {
const QString kPass1 = QStringLiteral("pass1");
const QString kPass2 = QStringLiteral("pass2");
} // namespace

// A password is never shown in a message: both typed texts are secrets.
SV_PasswordVariable::SV_PasswordVariable(QObject* parent) : SV_Variable(parent) {
    SV_Secrets::addVariable(this);
}

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
    const QString password = option(kPass1);
    if (password != option(kPass2))
        return false;
    const QString minLength = option(QStringLiteral("min_length"));
    if (minLength.isNull())
        return checkSecurity();
    bool ok = false;
    const uint minimum = minLength.toUInt(&ok, 10);
    if (!ok) {
        qWarning("invalid setting for min_length");
        return checkSecurity();
    }
    if (uint(password.size()) < minimum)
        return false;
    return checkSecurity();
}

bool SV_PasswordVariable::checkSecurity() {
    const QString rule = option(QStringLiteral("security"));
    if (rule.isNull())
        return true;
    if (rule == QLatin1String("non-dictionary")) {
        qWarning("checking for non-dictionary passwords not done");
        return true;
    }
    if (rule == QLatin1String("no-alpha")) {
        for (const QChar c : option(kPass1)) {
            if (c.isLetter())
                return false;
        }
        return true;
    }
    return false;
}
