#ifndef SV_NUMBERVARIABLE_H
#define SV_NUMBERVARIABLE_H

#include "sv_variable.h"

#include <QValidator>

#include <memory>

// A number kept as text. Option "datatype" ("int" or none, "uint", "double") chooses
// the validator, options "min" and "max" its bounds; values it calls Invalid are refused.
class SV_NumberVariable : public SV_Variable {
    Q_OBJECT
public:
    explicit SV_NumberVariable(QObject* parent = nullptr);
    ~SV_NumberVariable() override;

    void storeValue(const QStringList& values) override;
    QString value() override;
    QValidator* validator() override;
    bool equals(const QString& s) override;
    bool isEmpty() override;
    // The validator must call the text Acceptable: an empty text, or one out of the
    // bounds, is refused (storeValue keeps such a text while it is being typed, and
    // valueProblem then says why it cannot stay).
    QString parseAnswer(const QString& text, QStringList& values) override;
    QString valueProblem() override;

private:
    std::unique_ptr<QValidator> m_validator;
    bool m_validatorMade = false;
};

#endif
