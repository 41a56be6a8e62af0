#pragma once

#include "service/request_reader.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QTimer>

#include <chrono>

class QTcpSocket;

namespace varnex::registrar {

// One client connection: reads its requests with RequestReader, hands each on
// with its place in the answer order, and writes the answers in that order
// however the pages finish, each in the HTTP version of its request. It keeps
// the client within limits: bytes sent without an answer, requests waiting for
// theirs (the rest wait unread), and time without a whole request. It owns its
// socket; whoever owns it deletes it once closed() comes.
class ClientConnection final : public QObject {
    Q_OBJECT

public:
    struct Limits {
        qint64 maxUnansweredBytes = 32 * 1024;
        std::chrono::milliseconds idle = std::chrono::seconds(10);
        RequestLimits request;
        int maxOwed = 16;
    };
    // A request's place in the answer order, and how its answer goes out.
    struct Ticket {
        quint64 sequence = 0;
        bool http10 = false;
        bool keepAlive = true;
    };

    // Takes `socket`, connected, as its own.
    ClientConnection(QTcpSocket *socket, Limits limits, QObject *parent = nullptr);

    // The answer for `ticket`, written once every earlier answer is; the
    // connection closes after it unless the ticket keeps it alive.
    void answer(const Ticket &ticket, const QByteArray &bytes);
    int owed() const { return int(m_begun - m_written); }
    const QTcpSocket *socket() const { return m_socket; }

signals:
    // The client or the limits closed the connection; nothing more comes of it.
    void closed();
    // A whole request head, to be answered with `ticket`.
    void requested(const varnex::registrar::RequestHead &head, varnex::registrar::ClientConnection::Ticket ticket);
    // Bytes that are not a request the service takes: answered with `status`,
    // then the connection closes; nothing after them is read.
    void refused(int status, const QByteArray &why, const varnex::registrar::RequestHead &head,
                 varnex::registrar::ClientConnection::Ticket ticket);

private:
    void onBytes();
    void readRequests();

    QTcpSocket *m_socket;
    Limits m_limits;
    QTimer m_idle;
    RequestReader m_reader;
    QByteArray m_unread;     // come in while as many requests as allowed wait for answers
    qint64 m_unanswered = 0; // bytes since the last answer
    quint64 m_begun = 0;
    quint64 m_written = 0;
    QMap<quint64, std::pair<QByteArray, bool>> m_ready; // finished out of order: bytes and whether to close after
    bool m_reading = false;                             // in readRequests(), which an answer given at once re-enters
    bool m_lastRead = false;                            // a request that closes the connection, or a refusal, was read
    bool m_closing = false;
};

} // namespace varnex::registrar
