#include "service/client_connection.h"

#include <QTcpSocket>

#include <utility>

namespace varnex::registrar {

ClientConnection::ClientConnection(QTcpSocket *socket, Limits limits, QObject *parent)
    : QObject(parent), m_socket(socket), m_limits(limits), m_reader(limits.request)
{
    m_socket->setParent(this);
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this, [this] {
        if (owed() > 0)
            m_idle.start(m_limits.idle); // a page is on its way
        else
            m_socket->abort();
    });
    m_idle.start(m_limits.idle);
    connect(socket, &QTcpSocket::readyRead, this, &ClientConnection::onBytes);
    connect(socket, &QTcpSocket::disconnected, this, &ClientConnection::closed);
}

void ClientConnection::onBytes()
{
    const QByteArray bytes = m_socket->readAll();
    if (m_lastRead)
        return; // nothing after it is read
    m_unanswered += bytes.size();
    m_unread += bytes;
    readRequests();
    if (!m_lastRead && (m_unanswered > m_limits.maxUnansweredBytes || m_unread.size() > m_limits.maxUnansweredBytes))
        m_socket->abort();
}

void ClientConnection::readRequests()
{
    if (m_reading)
        return;
    m_reading = true;
    while (!m_lastRead && !m_unread.isEmpty() && owed() < m_limits.maxOwed) {
        m_unread.remove(0, m_reader.feed(m_unread));
        if (m_reader.state() == RequestReader::State::Reading)
            break; // all taken; the rest of the head is still to come
        const RequestReader reader = std::exchange(m_reader, RequestReader(m_limits.request));
        const RequestHead &head = reader.head();
        Ticket ticket{m_begun++, head.http10, head.keepAlive};
        if (reader.state() == RequestReader::State::Complete) {
            m_lastRead = !ticket.keepAlive;
            emit requested(head, ticket);
        } else {
            m_lastRead = true;
            ticket.keepAlive = false;
            emit refused(reader.errorStatus(), reader.error(), head, ticket);
        }
    }
    if (m_lastRead)
        m_unread.clear();
    m_reading = false;
}

void ClientConnection::answer(const Ticket &ticket, const QByteArray &bytes)
{
    m_ready.insert(ticket.sequence, {bytes, !ticket.keepAlive});
    while (!m_ready.isEmpty() && m_ready.firstKey() == m_written) {
        const auto [answerBytes, close] = m_ready.take(m_written);
        ++m_written;
        if (m_closing)
            continue;
        m_unanswered = 0;
        m_idle.start(m_limits.idle);
        m_socket->write(answerBytes);
        if (close) {
            m_closing = true;
            m_socket->disconnectFromHost();
        }
    }
    if (!m_closing)
        readRequests(); // requests that waited for a place
}

} // namespace varnex::registrar
