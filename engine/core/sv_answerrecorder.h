#ifndef SV_ANSWERRECORDER_H
#define SV_ANSWERRECORDER_H

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class SV_Stage;
class SV_Variable;
class SV_Wizard;

// Records the answers of a run (vantor --record FILE) in the answer-file form that an
// unattended run reads back: every variable that an input showed on a stage the user went
// on from (Next or Done), with the value it held then, in the order first shown, each after
// its display text as a comment. A password is written as a comment without its value
// unless secrets are recorded; a file that holds a secret is created readable by its owner
// only. The file is written at the end of the run, also after a cancel, as a whole (a
// temporary file in its directory renamed over it).
class SV_AnswerRecorder : public QObject {
    Q_OBJECT
public:
    SV_AnswerRecorder(const QString& path, bool secrets, QObject* parent = nullptr);

    // Follows the stage walk of the wizard.
    void attach(SV_Wizard* wizard);
    bool attached() const { return !m_wizard.isNull(); }
    // Takes the inputs of a stage the user goes on from.
    void stagePassed(SV_Stage* stage);

    // The answer file as it stands.
    QString text() const;
    // Writes it; false (with errorString()) when it cannot be written.
    bool write();
    QString errorString() const { return m_error; }

private:
    struct Answer {
        QString id;
        QString label;
        QString shown; // what the user saw chosen, for choices
        QString answer;
        bool password = false;
    };

    QString m_path;
    bool m_secrets;
    QPointer<SV_Wizard> m_wizard;
    QList<Answer> m_answers;
    QString m_error;
};

#endif
