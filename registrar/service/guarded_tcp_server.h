#pragma once

#include "service/client_connection.h"

#include <QTcpServer>

namespace varnex::registrar {

// The listening socket of the service, with limits that keep any one client
// from holding it: a connection must send a whole request within a few
// kilobytes and a few seconds of opening or of its last answer, and there is a
// cap on open connections. A connection over the cap is closed at once and
// takes no place; "at once" is once the events already in are handled, since
// a client that drops hundreds of connections and connects again at once
// would otherwise find the places of the dropped ones still taken. The page
// needs neither a body nor long headers. Each
// connection handed on carries its ClientConnection (ClientConnection::of())
// and is deleted once it closes.
class GuardedTcpServer final : public QTcpServer {
    Q_OBJECT

public:
    struct Limits {
        ClientConnection::Limits client;
        int maxConnections = 512;
        int listenBacklog = 512; // room for a burst of clients connecting at once (the default is 50)
    };

    explicit GuardedTcpServer(Limits limits, QObject *parent = nullptr);

    int openConnections() const { return m_open; }
    int refusedConnections() const { return m_refused; }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void take(qintptr descriptor);
    void placeOverCap();

    Limits m_limits;
    int m_open = 0;
    int m_refused = 0;
    QList<qintptr> m_overCap; // come in at the cap, decided on once the events already in are handled
};

} // namespace varnex::registrar
