#include "sv_textvariable.h"

#include "sv_validators.h"

namespace {
const QString kValue = QStringLiteral("value");
}

SV_TextVariable::SV_TextVariable(QObject* parent) : SV_Variable(parent) {}

SV_TextVariable::~SV_TextVariable() = default;

void SV_TextVariable::storeValue(const QStringList& values) {
    if (values.size() != 1)
        return;
    QString v = values.first();
    // Compared before the fixup: a value that the fixup turns back into the stored one
    // is stored and signalled again.
    if (v == option(kValue))
        return;
    if (QValidator* check = validator())
        check->fixup(v);
    setOption(kValue, v);
    emit sig_valuechanged();
}

QString SV_TextVariable::value() {
    return option(kValue);
}

QValidator* SV_TextVariable::validator() {
    if (m_validator)
        return m_validator.get();
    const QString type = option(QStringLiteral("validation-type"));
    if (type == QLatin1String("int"))
        m_validator = std::make_unique<SV_IntValidator>(QString(), QString());
    else if (type == QLatin1String("uint"))
        m_validator = std::make_unique<SV_UIntValidator>(QString(), QString());
    else if (type == QLatin1String("double"))
        m_validator = std::make_unique<SV_DoubleValidator>(QString(), QString());
    else if (type == QLatin1String("ldap-name-part"))
        m_validator = std::make_unique<SV_LDAPValueValidator>();
    return m_validator.get();
}

bool SV_TextVariable::equals(const QString& s) {
    return s == option(kValue);
}

QString SV_TextVariable::parseAnswer(const QString& text, QStringList& values) {
    const QString why = text.isEmpty() ? QString() : sv_validatorProblem(validator(), text);
    if (why.isNull())
        values = QStringList{text};
    return why;
}

QString SV_TextVariable::valueProblem() {
    const QString current = option(kValue);
    return current.isEmpty() ? QString() : sv_validatorProblem(validator(), current);
}

bool SV_TextVariable::isEmpty() {
    return option(kValue).isEmpty();
}
