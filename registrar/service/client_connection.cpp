#include "service/client_connection.h"

#include <QTcpSocket>

namespace varnex::registrar {

namespace {

constexpr qsizetype kMaxLine = 8 * 1024;

} // namespace

ClientConnection::ClientConnection(QTcpSocket *socket, Limits limits) : QObject(socket), m_socket(socket), m_limits(limits)
{
    setObjectName(QStringLiteral("varnexClient"));
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this, [this] {
        if (owed() > 0)
            m_idle.start(m_limits.idle); // a page is on its way
        else
            m_socket->abort();
    });
    m_idle.start(m_limits.idle);
    // Connected before the HTTP server's own handler, which reads everything
    // available each time, so this sees each byte once, before it does.
    connect(socket, &QTcpSocket::readyRead, this, &ClientConnection::onBytes);
}

ClientConnection *ClientConnection::of(QTcpSocket *socket)
{
    return socket->findChild<ClientConnection *>(QStringLiteral("varnexClient"), Qt::FindDirectChildrenOnly);
}

void ClientConnection::onBytes()
{
    const QByteArray bytes = m_socket->peek(m_socket->bytesAvailable());
    m_unanswered += bytes.size();
    if (m_unanswered > m_limits.maxUnansweredBytes) {
        m_socket->abort();
        return;
    }
    track(bytes);
}

void ClientConnection::track(QByteArrayView bytes)
{
    while (!bytes.isEmpty() && !m_lost) {
        if (m_bodyLeft > 0) {
            const qsizetype skip = qsizetype(std::min<qint64>(m_bodyLeft, bytes.size()));
            m_bodyLeft -= skip;
            bytes = bytes.sliced(skip);
            continue;
        }
        const qsizetype end = bytes.indexOf('\n');
        m_line += bytes.first(end < 0 ? bytes.size() : end);
        if (m_line.size() > kMaxLine) {
            m_lost = true;
            return;
        }
        if (end < 0)
            return;
        bytes = bytes.sliced(end + 1);
        if (m_line.endsWith('\r'))
            m_line.chop(1);
        onLine(std::exchange(m_line, {}));
    }
}

void ClientConnection::onLine(const QByteArray &line)
{
    if (!m_inHead) {
        if (line.isEmpty())
            return; // stray line ends between requests are allowed
        m_inHead = true;
        m_head = {};
        m_head.http10 = line.endsWith(" HTTP/1.0");
        m_head.keepAlive = !m_head.http10;
        return;
    }
    if (line.isEmpty()) {
        m_inHead = false;
        m_heads.push_back(m_head);
        return;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon < 0)
        return;
    const QByteArray name = line.first(colon).trimmed().toLower();
    const QByteArray value = line.sliced(colon + 1).trimmed().toLower();
    if (name == "connection") {
        for (const QByteArray &option : value.split(',')) {
            if (option.trimmed() == "close")
                m_head.keepAlive = false;
            else if (option.trimmed() == "keep-alive")
                m_head.keepAlive = true;
        }
    } else if (name == "content-length") {
        m_bodyLeft = value.toLongLong();
    } else if (name == "transfer-encoding") {
        m_lost = true;
    }
}

ClientConnection::Request ClientConnection::begin()
{
    Request request;
    request.sequence = m_begun++;
    if (!m_heads.empty()) {
        request.http10 = m_heads.front().http10;
        request.keepAlive = m_heads.front().keepAlive;
        m_heads.pop_front();
    }
    if (m_lost)
        request.keepAlive = false;
    return request;
}

void ClientConnection::answer(const Request &request, const QByteArray &bytes)
{
    m_ready.insert(request.sequence, {bytes, !request.keepAlive});
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
}

} // namespace varnex::registrar
