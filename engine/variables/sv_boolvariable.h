#ifndef SV_BOOLVARIABLE_H
#define SV_BOOLVARIABLE_H

#include "sv_variable.h"

// Holds "true", "false" or "undefined"; value() shows the matching option "true-text",
// "false-text" or "undefined-text" when the install file gave one.
class SV_BoolVariable : public SV_Variable {
    Q_OBJECT
public:
    explicit SV_BoolVariable(QObject* parent = nullptr);

    void storeValue(const QStringList& values) override;
    QString value() override;
    bool equals(const QString& s) override;
    bool isEmpty() override;
    // Answers are "true" or "false"; the display texts are not answers.
    QString parseAnswer(const QString& text, QStringList& values) override;
    QString formatAnswer() override;

    virtual bool isTrue();
    virtual bool isFalse();
    virtual bool isUndefined();
};

#endif
