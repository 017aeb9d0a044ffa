#ifndef SV_INSTALLSEQUENCEACTION_H
#define SV_INSTALLSEQUENCEACTION_H

#include "sv_action.h"

#include <QList>
#include <QQueue>

class QTimer;
class SV_UIActionSequence;

// Runs the action sequences that are valid when it starts, one after another with a
// short pause between them, and reports their combined progress. On an error it asks
// the user whether to go on when further sequences wait.
class SV_InstallSequenceAction : public SV_Action {
    Q_OBJECT
public:
    explicit SV_InstallSequenceAction(QObject* parent = nullptr);

    // Pause between the end of one sequence and the start of the next.
    static constexpr int SequenceGapMs = 500;

    void addActionSequence(SV_UIActionSequence* sequence);
    const QList<SV_UIActionSequence*>& sequences() const { return m_sequences; }
    // Sum of the steps of the sequences that are valid now.
    int totalSteps() override;

public slots:
    void slot_start() override;
    void slot_cancel() override;
    void slot_startNextSequence();
    void slot_sequenceDone();
    void slot_sequenceProgress(int steps);
    void slot_error(const QString& message);

signals:
    void sig_new_subjob(const QString& title, SV_Action* action);

private:
    SV_Action* currentAction() const;

    QList<SV_UIActionSequence*> m_sequences;
    QQueue<SV_UIActionSequence*> m_queue;
    SV_UIActionSequence* m_current = nullptr;
    QTimer* m_gapTimer;
};

#endif
