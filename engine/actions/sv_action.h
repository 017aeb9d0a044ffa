#ifndef SV_ACTION_H
#define SV_ACTION_H

#include "sv_logger.h"
#include "sv_options.h"

#include <QObject>

// One unit of installation work. Started by slot_start(); reports progress in its own
// steps and errors as text; every run ends with exactly one slot_setDone().
class SV_Action : public QObject, public SV_Options, public SV_Logger {
    Q_OBJECT
public:
    explicit SV_Action(QObject* parent = nullptr) : QObject(parent) {}

    virtual int totalSteps();
    virtual QString rval();

    // Logs the error, marks the run unsuccessful and, unless option "ignore-errors" is
    // "true", emits sig_error("Action: " + source + ", error msg: " + message).
    void err(const QString& source, const QString& message) override;

    bool done() const { return m_done; }
    bool successful() const { return m_successful; }
    int currSteps() const { return m_currSteps; }
    void setNotSuccessful() { m_successful = false; }

public slots:
    virtual void slot_start();
    virtual void slot_cancel();
    void slot_setDone();

signals:
    void sig_actionDone();
    void sig_progress(int steps);
    void sig_error(const QString& message);
    // A line of text the action reports while it runs (a command's output, say), without
    // its line end; an action sequence passes its actions' lines on.
    void sig_text(const QString& text);

protected:
    bool m_done = false;
    bool m_successful = true;
    int m_currSteps = 0;
    int m_totalSteps = 1;
};

#endif
