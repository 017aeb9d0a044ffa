#ifndef SV_CHECKJAVAACTION_H
#define SV_CHECKJAVAACTION_H

#include "sv_processaction.h"

// Finds the Java runtime on PATH and, when "version" is given, runs it with -version and
// checks that the version it reports (on either output stream) is at least that one.
class SV_CheckJavaAction : public SV_ProcessAction {
    Q_OBJECT
public:
    explicit SV_CheckJavaAction(QObject* parent = nullptr) : SV_ProcessAction(parent) {}

    // The version a runtime's -version banner reports ("1.8.0_392", "17.0.9"); empty with
    // *error set to the error text when there is none.
    static QString findVersion(const QString& output, QString* error);

public slots:
    void slot_procDone() override;
    void slot_procDone(SV_ChildProcess* proc) override;

protected:
    bool fixCommandLine() override;

private:
    void checkVersion();

    QString m_requiredVersion;
};

#endif
