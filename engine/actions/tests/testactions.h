#ifndef ACTIONS_TESTACTIONS_H
#define ACTIONS_TESTACTIONS_H

#include "sv_action.h"

#include <QStringList>
#include <QTimer>

// An action that follows a script: progress values to report, an optional error, and a
// finish either inside slot_start() or from the event loop (or never).
class ScriptedAction : public SV_Action {
    Q_OBJECT
public:
    enum Finish { Synchronous, Later, Never };

    explicit ScriptedAction(const QString& id, int steps = 1, Finish finish = Synchronous)
        : m_finish(finish) {
        setID(id);
        m_totalSteps = steps;
    }

    QList<int> progress;
    QString error;
    QString result;
    bool failIfCancelled = false;
    int starts = 0;
    int cancels = 0;

    QString rval() override { return result; }

    void finishNow() { slot_setDone(); }

public slots:
    void slot_start() override {
        SV_Action::slot_start();
        ++starts;
        for (int p : progress)
            emit sig_progress(p);
        if (!error.isNull())
            err(ID(), error);
        if (m_finish == Synchronous)
            slot_setDone();
        else if (m_finish == Later)
            QTimer::singleShot(10, this, &SV_Action::slot_setDone);
    }
    void slot_cancel() override {
        SV_Action::slot_cancel();
        ++cancels;
    }

private:
    Finish m_finish;
};

#endif
