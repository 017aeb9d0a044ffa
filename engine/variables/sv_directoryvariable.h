#ifndef SV_DIRECTORYVARIABLE_H
#define SV_DIRECTORYVARIABLE_H

#include "sv_variable.h"

// A directory path; the "existing-dir" condition asks whether it exists.
class SV_DirectoryVariable : public SV_Variable {
    Q_OBJECT
public:
    explicit SV_DirectoryVariable(QObject* parent = nullptr);

    void storeValue(const QStringList& values) override;
    QString value() override;
    bool equals(const QString& s) override;
    bool isEmpty() override;
    bool isCurrentDataValid(const QString& condition) override;

    bool dirExists();
};

#endif
