#pragma once

#include "service/client_connection.h"

#include <QList>
#include <QTcpServer>

namespace varnex::registrar {

// The listening socket of the service, with limits that keep any one client
// from holding it: a connection must send a whole request within a few
// kilobytes and a few seconds of opening or of its last answer, and there is a
// cap on open connections. A connection over the cap is closed at once and
// takes no place; "at once" is once the events already in are handled, since
// a client that drops hundreds of connections and connects again at once
// would otherwise find the places of the dropped ones still taken. The page
// needs neither a body nor long headers.
//
// The server owns every connection it takes: each is announced by connected()
// and deleted once it closes, which gives its place back.
class GuardedTcpServer final : public QTcpServer {
    Q_OBJECT

public:
    struct Limits {
        ClientConnection::Limits client;
        int maxConnections = 512;
        int listenBacklog = 512; // room for a burst of clients connecting at once (the default is 50)
    };

    explicit GuardedTcpServer(Limits limits, QObject *parent = nullptr);
    ~GuardedTcpServer() override;

    int openConnections() const { return int(m_connections.size()); }
    int refusedConnections() const { return m_refused; }
    const QList<ClientConnection *> &connections() const { return m_connections; }

    // QTcpServer hands each accepted descriptor here; public, so one accepted
    // elsewhere can be handed in the same way.
    void incomingConnection(qintptr descriptor) override;

signals:
    void connected(varnex::registrar::ClientConnection *client);

private:
    bool take(qintptr descriptor);
    void placeOverCap();
    void release(ClientConnection *client);

    Limits m_limits;
    int m_refused = 0;
    QList<ClientConnection *> m_connections; // children of this server, until they close
    QList<qintptr> m_overCap;                // come in at the cap, decided on once the events already in are handled
};

} // namespace varnex::registrar
