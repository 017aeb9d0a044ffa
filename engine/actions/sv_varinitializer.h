#ifndef SV_VARINITIALIZER_H
#define SV_VARINITIALIZER_H

#include "sv_action.h"

#include <QPointer>

class SV_Variable;

// Runs another action (option "action_id") and stores its outcome in a variable (option
// "var_id"): "true"/"false" by its success for a boolean variable, otherwise option
// "prepend-data" + its rval() + option "append-data".
class SV_VarInitializer : public SV_Action {
    Q_OBJECT
public:
    explicit SV_VarInitializer(QObject* parent = nullptr) : SV_Action(parent) {}

public slots:
    void slot_start() override;
    void slot_actionDone();

private:
    QPointer<SV_Action> m_action;
    QPointer<SV_Variable> m_variable;
};

#endif
