#include "sv_boolvariable.h"

namespace {
const QString kValue = QStringLiteral("value");
const QString kTrue = QStringLiteral("true");
const QString kFalse = QStringLiteral("false");
const QString kUndefined = QStringLiteral("undefined");
} // namespace

SV_BoolVariable::SV_BoolVariable(QObject* parent) : SV_Variable(parent) {}

void SV_BoolVariable::storeValue(const QStringList& values) {
    if (values.size() != 1)
        return;
    const QString& v = values.first();
    if (v != kTrue && v != kFalse && v != kUndefined)
        return;
    if (v == option(kValue))
        return;
    setOption(kValue, v);
    emit sig_valuechanged();
}

QString SV_BoolVariable::parseAnswer(const QString& text, QStringList& values) {
    if (text != kTrue && text != kFalse)
        return tr("\"%1\" is neither true nor false").arg(text);
    values = QStringList{text};
    return QString();
}

QString SV_BoolVariable::formatAnswer() {
    const QString stored = option(kValue);
    return stored == kTrue || stored == kFalse ? stored : QString();
}

QString SV_BoolVariable::value() {
    const QString stored = option(kValue);
    if (stored == kTrue || stored == kFalse || stored == kUndefined)
        return option(stored + QLatin1String("-text"), stored);
    return stored;
}

bool SV_BoolVariable::equals(const QString& s) {
    if (s == kUndefined)
        return isUndefined();
    if (s == kTrue)
        return isTrue();
    if (s == kFalse)
        return isFalse();
    return s == option(kValue);
}

bool SV_BoolVariable::isEmpty() {
    return option(kValue).isEmpty();
}

bool SV_BoolVariable::isTrue() {
    return option(kValue) == kTrue;
}

bool SV_BoolVariable::isFalse() {
    return option(kValue) == kFalse;
}

bool SV_BoolVariable::isUndefined() {
    return !isTrue() && !isFalse();
}
