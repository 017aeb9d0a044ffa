#include "sv_serverconnectaction.h"

#include "sv_variableregexp.h"

#include <QTcpSocket>

SV_ServerConnectAction::SV_ServerConnectAction(QObject* parent)
    : SV_Action(parent), m_socket(new QTcpSocket(this)) {
    connect(m_socket, &QTcpSocket::connected, this, &SV_ServerConnectAction::slot_connected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &SV_ServerConnectAction::slot_error);
}

void SV_ServerConnectAction::slot_start() {
    SV_Action::slot_start();
    m_connecting = false;
    m_socket->abort();

    m_name = option(QStringLiteral("name"));
    m_port = option(QStringLiteral("port"));
    SV_VariableRegExp::fixString(m_name);
    SV_VariableRegExp::fixString(m_port);

    bool ok = false;
    const int port = m_port.toInt(&ok);
    // A number outside the port range would silently probe another port.
    if (!ok || port < 0 || port > 65535) {
        err(ID(), QStringLiteral("Invalid port string: ") + m_port);
        slot_setDone();
        return;
    }
    if (m_name.isNull()) {
        err(ID(), QStringLiteral("No server name given"));
        slot_setDone();
        return;
    }
    m_connecting = true;
    m_socket->connectToHost(m_name, quint16(port));
}

void SV_ServerConnectAction::slot_connected() {
    if (!m_connecting)
        return;
    m_connecting = false;
    log(ID(), QStringLiteral("Connection to host: %1 at port: %2 established").arg(m_name, m_port));
    m_socket->abort();
    slot_setDone();
}

void SV_ServerConnectAction::slot_error(QAbstractSocket::SocketError code) {
    if (!m_connecting)
        return;
    m_connecting = false;
    m_socket->abort();
    switch (code) {
    case QAbstractSocket::ConnectionRefusedError:
        err(ID(), QStringLiteral("Connection Refused to %1 at port %2").arg(m_name, m_port));
        break;
    case QAbstractSocket::HostNotFoundError:
        err(ID(), QStringLiteral("Could not resolve hostname: %1").arg(m_name));
        break;
    case QAbstractSocket::RemoteHostClosedError:
        err(ID(), QStringLiteral("Could not read from socket"));
        break;
    default:
        err(ID(), QStringLiteral("Connection failed: unknown error code %1").arg(int(code)));
        break;
    }
    slot_setDone();
}
