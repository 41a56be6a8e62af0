#pragma once

#include "service/client_connection.h"
#include "service/guarded_tcp_server.h"
#include "service/page_assembly.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>

namespace varnex::registrar {

// The service's HTTP front: the registrar's WHOIS page, GET or HEAD
// /whois.cgi?vhost_name=NAME, made by PageAssembly. A Host that is not this
// service answers 421, other paths 404, other methods 405. What the request
// reader refuses (malformed 400, a body 405 or 413, a target over 2 KB 414, a
// head over 16 KiB 431, not HTTP/1.x 505) is answered with that status, and the
// connection closes. Answers go out in request order, in the client's HTTP
// version, with the Server mark. One line per request goes to standard error.
class RegistrarServer final : public QObject {
    Q_OBJECT

public:
    using Settings = PageAssembly::Settings;

    RegistrarServer(Bootstrap bootstrap, Settings settings, QObject *parent = nullptr);
    ~RegistrarServer() override;

    // Listens with the connection limits on; returns the port, 0 on failure.
    quint16 listenGuarded(const QHostAddress &address, quint16 port, GuardedTcpServer::Limits limits = {});
    // Answers the clients of a listener already listening; takes it over.
    void bind(GuardedTcpServer *listener);
    QList<GuardedTcpServer *> servers() const;
    QList<quint16> serverPorts() const;

    const RdapClient &rdap() const { return m_pages.lookups().rdap(); }
    const DnsScreen *dns() const { return m_pages.lookups().dns(); } // none without a resolver
    // New lookups go to the services this one names; those already queued keep their URL.
    void setBootstrap(Bootstrap bootstrap) { m_pages.lookups().setBootstrap(std::move(bootstrap)); }
    // Empty when the DNS screen, if asked for, is ready; otherwise why not.
    QString dnsError() const { return m_pages.lookups().dnsError(); }

private:
    void serve(ClientConnection *client);
    void onRequest(ClientConnection *client, const RequestHead &head, ClientConnection::Ticket ticket);
    void onRefused(ClientConnection *client, int status, const QByteArray &why, const RequestHead &head,
                   ClientConnection::Ticket ticket);

    PageAssembly m_pages;
    QList<QPointer<GuardedTcpServer>> m_listeners;
};

} // namespace varnex::registrar
