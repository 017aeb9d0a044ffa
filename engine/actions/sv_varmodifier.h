#ifndef SV_VARMODIFIER_H
#define SV_VARMODIFIER_H

#include "sv_action.h"

// Stores option "newstring", with its $$id$$ references replaced, in the variable named
// by option "var_id".
class SV_VarModifier : public SV_Action {
    Q_OBJECT
public:
    explicit SV_VarModifier(QObject* parent = nullptr) : SV_Action(parent) {}

public slots:
    void slot_start() override;
};

#endif
