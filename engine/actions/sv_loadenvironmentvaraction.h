#ifndef SV_LOADENVIRONMENTVARACTION_H
#define SV_LOADENVIRONMENTVARACTION_H

#include "sv_action.h"

// Reads a variable of the process environment (option "environment-variable"); rval()
// gives its value, null when it is not set.
class SV_LoadEnvironmentVarAction : public SV_Action {
    Q_OBJECT
public:
    explicit SV_LoadEnvironmentVarAction(QObject* parent = nullptr) : SV_Action(parent) {}

    QString rval() override { return m_value; }

public slots:
    void slot_start() override;

private:
    QString m_name;
    QString m_value;
};

#endif
