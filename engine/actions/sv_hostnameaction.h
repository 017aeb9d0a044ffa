#ifndef SV_HOSTNAMEACTION_H
#define SV_HOSTNAMEACTION_H

#include "sv_action.h"

#include <QByteArray>

// Finds the machine's canonical host name; rval() gives it or a part of it (option
// "rtype": "domain", "toplevel" or "fqdn").
class SV_HostnameAction : public SV_Action {
    Q_OBJECT
public:
    explicit SV_HostnameAction(QObject* parent = nullptr) : SV_Action(parent) {}

    QString rval() override;
    QString fqdn() const { return m_fqdn; }

public slots:
    void slot_start() override;

protected:
    void do_gethostname();
    // The system's host name; false when it cannot be read.
    virtual bool systemHostName(QByteArray& name);
    // The canonical name of host through the system resolver; false when the lookup fails.
    virtual bool canonicalName(const QByteArray& host, QString& canonical);

private:
    QString m_fqdn;
};

#endif
