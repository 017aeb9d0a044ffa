#ifndef SV_CHECKPROCESSACTION_H
#define SV_CHECKPROCESSACTION_H

#include "sv_processaction.h"

// Checks that a process with the given command name runs ("ps -C NAME -o pid="); a
// missing process is an action error.
class SV_CheckProcessAction : public SV_ProcessAction {
    Q_OBJECT
public:
    explicit SV_CheckProcessAction(QObject* parent = nullptr) : SV_ProcessAction(parent) {}

    void checkOutput();

public slots:
    void slot_procDone() override;
    void slot_procDone(SV_ChildProcess* proc) override;

protected:
    bool fixCommandLine() override;

private:
    QString m_processName;
};

#endif
