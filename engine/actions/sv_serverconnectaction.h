#ifndef SV_SERVERCONNECTACTION_H
#define SV_SERVERCONNECTACTION_H

#include "sv_action.h"

#include <QAbstractSocket>

class QTcpSocket;

// Probes a TCP service: succeeds exactly when a connection to option "name" at option
// "port" can be opened. Nothing is sent.
class SV_ServerConnectAction : public SV_Action {
    Q_OBJECT
public:
    explicit SV_ServerConnectAction(QObject* parent = nullptr);

public slots:
    void slot_start() override;
    void slot_connected();
    void slot_error(QAbstractSocket::SocketError code);

private:
    QTcpSocket* m_socket;
    QString m_name;
    QString m_port;
    bool m_connecting = false;
};

#endif
