#ifndef SV_PAUSEACTION_H
#define SV_PAUSEACTION_H

#include "sv_action.h"

class QTimer;

// Waits for option "time" milliseconds, reporting one progress step per option
// "progress-interval" milliseconds (1000 when not a positive number).
class SV_PauseAction : public SV_Action {
    Q_OBJECT
public:
    explicit SV_PauseAction(QObject* parent = nullptr);

    int totalSteps() override;

public slots:
    void slot_start() override;
    void slot_cancel() override;
    void slot_progress();

private:
    QTimer* m_timer;
};

#endif
