#pragma once

#include <QTcpServer>

#include <chrono>

namespace varnex::registrar {

// The listening socket of the service, with limits that keep any one client
// from holding it: a connection must send a whole request within a few
// kilobytes and a few seconds of opening or of its last answer, and there is a
// cap on open connections. The page needs neither a body nor long headers.
class GuardedTcpServer final : public QTcpServer {
    Q_OBJECT

public:
    struct Limits {
        qint64 maxUnansweredBytes = 32 * 1024;
        std::chrono::milliseconds idle = std::chrono::seconds(10);
        int maxConnections = 512;
        int listenBacklog = 512; // room for a burst of clients connecting at once (the default is 50)
    };

    explicit GuardedTcpServer(Limits limits, QObject *parent = nullptr);

    QTcpSocket *nextPendingConnection() override;

    // The service has answered on this connection: its allowance starts again.
    static void answered(QTcpSocket *socket);
    // A page is being worked on for this connection: it is not idle meanwhile.
    static void setWaiting(QTcpSocket *socket, bool waiting);

    int openConnections() const { return m_open; }

private:
    Limits m_limits;
    int m_open = 0;
};

} // namespace varnex::registrar
