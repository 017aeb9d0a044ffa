#ifndef SV_VALIDATORS_H
#define SV_VALIDATORS_H

#include <QDoubleValidator>
#include <QIntValidator>
#include <QValidator>

// The numeric validators check with the toolkit's own validate(), on numbers written
// the C way (no group separators, a dot as decimal point) whatever the user's locale.
// Their fixup() leaves the text as it is: the toolkit's would rewrite it ("007" to "7",
// "1.5" to "1.5e+00", "1." to "1"), and a text variable applies the fixup on every store
// while its line edit shows the stored value, so typing a number would become impossible.

// Signed integer validator. Bounds are given as text; a null or unparsable bound keeps
// the toolkit's default for that side.
class SV_IntValidator : public QIntValidator {
    Q_OBJECT
public:
    SV_IntValidator(const QString& bottom, const QString& top);
    void fixup(QString& input) const override;
};

// Non-negative integer validator: bottom 0 unless a usable bottom is given.
class SV_UIntValidator : public QIntValidator {
    Q_OBJECT
public:
    SV_UIntValidator(const QString& bottom, const QString& top);
    void fixup(QString& input) const override;
};

// Floating-point validator with optional bounds given as text.
class SV_DoubleValidator : public QDoubleValidator {
    Q_OBJECT
public:
    SV_DoubleValidator(const QString& bottom, const QString& top);
    void fixup(QString& input) const override;
};

// Makes a text usable as one value of an LDAP distinguished name: every special
// character gets a backslash before it, unless it already has one.
class SV_LDAPValueValidator : public QValidator {
    Q_OBJECT
public:
    SV_LDAPValueValidator() = default;
    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

    // Inserts the missing backslashes; moves cursor (when given) to stay after an
    // escaped character that it directly followed.
    static void escape(QString& input, int* cursor);
};

// Accepts any non-empty text unchanged.
class SV_LDAPDNValidator : public QValidator {
    Q_OBJECT
public:
    SV_LDAPDNValidator() = default;
    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
};

// Why a validator refuses a text, or a null string when it calls the text Acceptable. The
// reason names what is expected ("a whole number from 1 to 65535"); a text that the
// validator would still let the user type on (Intermediate) is refused too.
QString sv_validatorProblem(const QValidator* validator, const QString& text);

#endif
