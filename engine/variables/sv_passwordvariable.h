#ifndef SV_PASSWORDVARIABLE_H
#define SV_PASSWORDVARIABLE_H

#include "sv_variable.h"

// A password typed twice ("pass1", "pass2"), with an optional minimum length
// ("min_length") and security rule ("security": "no-alpha" or "non-dictionary").
// Anywhere but the "valid-password" condition it has no value until the pair is valid.
class SV_PasswordVariable : public SV_Variable {
    Q_OBJECT
public:
    explicit SV_PasswordVariable(QObject* parent = nullptr);

    void storeValue(const QStringList& values) override;
    QString value() override;
    bool equals(const QString& s) override;
    bool isEmpty() override;
    bool isCurrentDataValid(const QString& condition) override;

    bool isValidPassword();
    bool checkSecurity();

    // An answer gives the password once; it must meet the rules.
    QString parseAnswer(const QString& text, QStringList& values) override;
    // The password (a secret: for answer files only).
    QString formatAnswer() override;
    QString valueProblem() override;

private:
    // Why the pair is not a valid password, or a null string. warn: write the rules'
    // warnings (as every check of the "valid-password" condition does).
    QString problemOf(const QString& password, const QString& confirmation, bool warn);
    QString securityProblem(const QString& password, bool warn);
};

#endif
