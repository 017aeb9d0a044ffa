#include "sv_numbervariable.h"

#include "sv_validators.h"

namespace {
const QString kValue = QStringLiteral("value");
}

SV_NumberVariable::SV_NumberVariable(QObject* parent) : SV_Variable(parent) {}

SV_NumberVariable::~SV_NumberVariable() = default;

void SV_NumberVariable::storeValue(const QStringList& values) {
    if (values.size() != 1)
        return;
    const QString& v = values.first();
    // A datatype outside "int", "uint" and "double" offers no check: such a variable
    // stores what it is given, like a text variable without validation.
    if (QValidator* check = validator()) {
        QString copy = v;
        int pos = 0;
        if (check->validate(copy, pos) == QValidator::Invalid)
            return;
    }
    if (v == option(kValue))
        return;
    setOption(kValue, v);
    emit sig_valuechanged();
}

QString SV_NumberVariable::value() {
    return option(kValue);
}

QValidator* SV_NumberVariable::validator() {
    if (m_validatorMade)
        return m_validator.get();
    m_validatorMade = true;
    const QString type = option(QStringLiteral("datatype"));
    const QString min = option(QStringLiteral("min"));
    const QString max = option(QStringLiteral("max"));
    if (type.isNull() || type == QLatin1String("int"))
        m_validator = std::make_unique<SV_IntValidator>(min, max);
    else if (type == QLatin1String("uint"))
        m_validator = std::make_unique<SV_UIntValidator>(min, max);
    else if (type == QLatin1String("double"))
        m_validator = std::make_unique<SV_DoubleValidator>(min, max);
    return m_validator.get();
}

bool SV_NumberVariable::equals(const QString& s) {
    return s == option(kValue);
}

QString SV_NumberVariable::parseAnswer(const QString& text, QStringList& values) {
    const QString why = sv_validatorProblem(validator(), text);
    if (why.isNull())
        values = QStringList{text};
    return why;
}

QString SV_NumberVariable::valueProblem() {
    return sv_validatorProblem(validator(), option(kValue));
}

bool SV_NumberVariable::isEmpty() {
    return option(kValue).isEmpty();
}
