#include "sv_validators.h"

#include <QCoreApplication>
#include <QLocale>

#include <climits>
#include <cmath>

namespace {

// Numbers in install files and in the commands built from them are written the C way,
// whatever the user's locale: no group separators, a dot as decimal point.
QLocale numberLocale() {
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

} // namespace

SV_IntValidator::SV_IntValidator(const QString& bottom, const QString& top)
    : QIntValidator(nullptr) {
    setLocale(numberLocale());
    bool ok = false;
    if (!bottom.isNull()) {
        const int value = bottom.toInt(&ok, 10);
        if (ok)
            setBottom(value);
    }
    if (!top.isNull()) {
        const int value = top.toInt(&ok, 10);
        if (ok)
            setTop(value);
    }
}

SV_UIntValidator::SV_UIntValidator(const QString& bottom, const QString& top)
    : QIntValidator(nullptr) {
    setLocale(numberLocale());
    setBottom(0);
    bool ok = false;
    if (!bottom.isNull()) {
        const uint value = bottom.toUInt(&ok, 10);
        if (ok && value <= uint(INT_MAX))
            setBottom(int(value));
    }
    if (!top.isNull()) {
        const uint value = top.toUInt(&ok, 10);
        // The toolkit keeps bounds as signed integers: a top beyond their range means
        // "no upper limit" rather than a negative one that would refuse every number.
        if (ok)
            setTop(value <= uint(INT_MAX) ? int(value) : INT_MAX);
    }
}

SV_DoubleValidator::SV_DoubleValidator(const QString& bottom, const QString& top)
    : QDoubleValidator(nullptr) {
    setLocale(numberLocale());
    bool ok = false;
    if (!bottom.isNull()) {
        const double value = bottom.toDouble(&ok);
        if (ok)
            setBottom(value);
    }
    if (!top.isNull()) {
        const double value = top.toDouble(&ok);
        if (ok)
            setTop(value);
    }
}

void SV_IntValidator::fixup(QString&) const {}
void SV_UIntValidator::fixup(QString&) const {}
void SV_DoubleValidator::fixup(QString&) const {}

namespace {

bool isLdapSpecial(QChar c) {
    switch (c.unicode()) {
    case ',':
    case '+':
    case '=':
    case '"':
    case '<':
    case '>':
    case '#':
    case ';':
        return true;
    default:
        return false;
    }
}

} // namespace

// Puts a backslash before every special character that does not already follow one.
// A cursor right behind such a character stays behind it. One pass over the text.
void SV_LDAPValueValidator::escape(QString& input, int* cursor) {
    QString out;
    out.reserve(input.size() + input.size() / 8 + 1);
    for (int i = 0; i < input.size(); ++i) {
        const QChar c = input.at(i);
        if (isLdapSpecial(c) && (i == 0 || input.at(i - 1) != QLatin1Char('\\'))) {
            if (cursor && *cursor == out.size() + 1)
                *cursor = out.size() + 2;
            out += QLatin1Char('\\');
        }
        out += c;
    }
    if (out.size() != input.size())
        input = out;
}

QValidator::State SV_LDAPValueValidator::validate(QString& input, int& pos) const {
    if (input.isEmpty())
        return Intermediate;
    escape(input, &pos);
    return Acceptable;
}

void SV_LDAPValueValidator::fixup(QString& input) const {
    escape(input, nullptr);
}

QValidator::State SV_LDAPDNValidator::validate(QString& input, int&) const {
    return input.isEmpty() ? Intermediate : Acceptable;
}

void SV_LDAPDNValidator::fixup(QString&) const {}

namespace {

QString tv(const char* text) {
    return QCoreApplication::translate("SV_Validators", text);
}

// What a validator expects, in words.
QString expectation(const QValidator* validator) {
    if (auto* v = qobject_cast<const QIntValidator*>(validator)) {
        const bool low = v->bottom() != INT_MIN;
        const bool high = v->top() != INT_MAX;
        if (low && high)
            return tv("a whole number from %1 to %2").arg(v->bottom()).arg(v->top());
        if (low)
            return tv("a whole number of at least %1").arg(v->bottom());
        if (high)
            return tv("a whole number of at most %1").arg(v->top());
        return tv("a whole number");
    }
    if (auto* v = qobject_cast<const QDoubleValidator*>(validator)) {
        const bool low = std::isfinite(v->bottom());
        const bool high = std::isfinite(v->top());
        if (low && high)
            return tv("a number from %1 to %2").arg(v->bottom()).arg(v->top());
        if (low)
            return tv("a number of at least %1").arg(v->bottom());
        if (high)
            return tv("a number of at most %1").arg(v->top());
        return tv("a number");
    }
    return tv("a valid value");
}

} // namespace

QString sv_validatorProblem(const QValidator* validator, const QString& text) {
    if (!validator)
        return QString();
    QString copy = text;
    int pos = 0;
    if (validator->validate(copy, pos) == QValidator::Acceptable)
        return QString();
    if (text.isEmpty())
        return tv("No value is given; %1 is needed").arg(expectation(validator));
    return tv("\"%1\" is not %2").arg(text, expectation(validator));
}
