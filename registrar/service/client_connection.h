#pragma once

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>

class QTcpSocket;

namespace varnex::registrar {

// What the service keeps for one client connection: how much it has sent
// without an answer, when it last did anything, the HTTP version and
// keep-alive wish of each request it sent, and the answers owed, which go out
// in the order the requests came however the pages finish.
class ClientConnection final : public QObject {
    Q_OBJECT

public:
    struct Limits {
        qint64 maxUnansweredBytes = 32 * 1024;
        std::chrono::milliseconds idle = std::chrono::seconds(10);
    };
    struct Request {
        quint64 sequence = 0;
        bool http10 = false;
        bool keepAlive = true;
    };

    ClientConnection(QTcpSocket *socket, Limits limits);
    static ClientConnection *of(QTcpSocket *socket);

    // The HTTP server has read the next request: its place in the answer order.
    Request begin();
    // The answer to `request`, written once every earlier answer is.
    void answer(const Request &request, const QByteArray &bytes);
    int owed() const { return int(m_begun - m_written); }

private:
    struct Head {
        bool http10 = false;
        bool keepAlive = true;
    };
    void onBytes();
    void track(QByteArrayView bytes);
    void onLine(const QByteArray &line);

    QTcpSocket *m_socket;
    Limits m_limits;
    QTimer m_idle;
    qint64 m_unanswered = 0;
    quint64 m_begun = 0;
    quint64 m_written = 0;
    QMap<quint64, std::pair<QByteArray, bool>> m_ready; // finished out of order: bytes and whether to close after
    bool m_closing = false;

    // Request heads seen on the wire, in order, for what the HTTP server does not tell.
    std::deque<Head> m_heads;
    QByteArray m_line;
    bool m_inHead = false;
    Head m_head;
    qint64 m_bodyLeft = 0;
    bool m_lost = false; // a body framing it cannot follow: later requests get the defaults
};

} // namespace varnex::registrar
