#ifndef SV_READFILEACTION_H
#define SV_READFILEACTION_H

#include "sv_action.h"

// Reads the value of a key from a key=value file; rval() gives it (the last matching line
// wins; option "default" when nothing matches or the file cannot be read).
class SV_ReadFileAction : public SV_Action {
    Q_OBJECT
public:
    explicit SV_ReadFileAction(QObject* parent = nullptr) : SV_Action(parent) {}

    QString rval() override { return m_value; }

public slots:
    void slot_start() override;

private:
    void readKeyValue();

    QString m_value;
};

#endif
