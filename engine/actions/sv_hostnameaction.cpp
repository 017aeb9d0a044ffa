#include "sv_hostnameaction.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

void SV_HostnameAction::slot_start() {
    SV_Action::slot_start();
    do_gethostname();
    if (m_fqdn.isEmpty()) {
        dbg(QStringLiteral("get hostname, m_fqdn is empty, using default"));
        m_fqdn = QStringLiteral("noname.nodomain.nowhere");
    }
    slot_setDone();
}

void SV_HostnameAction::do_gethostname() {
    QByteArray host;
    if (!systemHostName(host)) {
        err(ID(), QStringLiteral("gethostname call failed"));
        return;
    }
    QString canonical;
    if (!canonicalName(host, canonical)) {
        err(ID(), QStringLiteral("gethostbyname call failed"));
        return;
    }
    m_fqdn = canonical;
}

bool SV_HostnameAction::systemHostName(QByteArray& name) {
    char buffer[256];
    if (gethostname(buffer, 255) != 0)
        return false;
    buffer[255] = '\0';
    name = QByteArray(buffer);
    return true;
}

bool SV_HostnameAction::canonicalName(const QByteArray& host, QString& canonical) {
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* result = nullptr;
    if (getaddrinfo(host.constData(), nullptr, &hints, &result) != 0 || !result)
        return false;
    canonical = QString::fromLocal8Bit(result->ai_canonname ? result->ai_canonname : "");
    freeaddrinfo(result);
    return true;
}

QString SV_HostnameAction::rval() {
    const QString rtype = option(QStringLiteral("rtype"));
    const int first = m_fqdn.indexOf(QLatin1Char('.'));
    const int last = m_fqdn.lastIndexOf(QLatin1Char('.'));
    if (rtype == QLatin1String("domain")) {
        const QString domain =
            first < 0 ? m_fqdn : m_fqdn.mid(first + 1, std::max(0, last - first - 1));
        log(ID(), QStringLiteral("GetHostnameAction, obtained the network domain: ") + domain);
        return domain;
    }
    if (rtype == QLatin1String("toplevel")) {
        const QString toplevel = last < 0 ? m_fqdn : m_fqdn.mid(last + 1);
        log(ID(), QStringLiteral("GetHostnameAction, obtained toplevel: ") + toplevel);
        return toplevel;
    }
    if (rtype == QLatin1String("fqdn")) {
        log(ID(), QStringLiteral("GetHostnameAction, obtained fqdn: ") + m_fqdn);
        return m_fqdn;
    }
    return QString();
}
