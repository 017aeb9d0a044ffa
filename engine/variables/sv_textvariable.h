#ifndef SV_TEXTVARIABLE_H
#define SV_TEXTVARIABLE_H

#include "sv_variable.h"

#include <QValidator>

#include <memory>

// Free text, optionally checked by a validator chosen by option "validation-type"
// ("int", "uint", "double", "ldap-name-part"); the validator's fixup is applied on store.
class SV_TextVariable : public SV_Variable {
    Q_OBJECT
public:
    explicit SV_TextVariable(QObject* parent = nullptr);
    ~SV_TextVariable() override;

    void storeValue(const QStringList& values) override;
    QString value() override;
    QValidator* validator() override;
    bool equals(const QString& s) override;
    bool isEmpty() override;
    // The validator (if any) must call a non-empty text Acceptable; an empty text is
    // always taken.
    QString parseAnswer(const QString& text, QStringList& values) override;
    QString valueProblem() override;

private:
    std::unique_ptr<QValidator> m_validator;
};

#endif
