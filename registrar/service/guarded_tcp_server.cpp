#include "service/guarded_tcp_server.h"

#include <QTcpSocket>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

namespace varnex::registrar {

namespace {

// The file a descriptor stands for. A socket that refuses a descriptor may
// have closed it already, and its number may stand for another file since: it
// is closed only while it is still the one accepted.
std::optional<std::pair<dev_t, ino_t>> fileOf(qintptr descriptor)
{
    struct stat status = {};
    if (::fstat(int(descriptor), &status) != 0)
        return std::nullopt;
    return std::pair(status.st_dev, status.st_ino);
}

} // namespace

GuardedTcpServer::GuardedTcpServer(Limits limits, QObject *parent) : QTcpServer(parent), m_limits(limits)
{
    setListenBacklogSize(m_limits.listenBacklog);
}

GuardedTcpServer::~GuardedTcpServer()
{
    for (const qintptr descriptor : std::as_const(m_overCap))
        ::close(int(descriptor)); // never given to a socket
}

void GuardedTcpServer::incomingConnection(qintptr descriptor)
{
    if (openConnections() < m_limits.maxConnections && m_overCap.isEmpty()) {
        take(descriptor);
        return;
    }
    m_overCap.append(descriptor);
    if (m_overCap.size() == 1)
        QMetaObject::invokeMethod(this, &GuardedTcpServer::placeOverCap, Qt::QueuedConnection);
}

bool GuardedTcpServer::take(qintptr descriptor)
{
    const auto accepted = fileOf(descriptor);
    auto socket = std::make_unique<QTcpSocket>();
    if (!socket->setSocketDescriptor(descriptor)) {
        // It never becomes a connection, so it holds no place and nothing else would close it.
        if (accepted && fileOf(descriptor) == accepted)
            ::close(int(descriptor));
        std::fprintf(stderr, "varnex-registrar: a connection could not be taken: %s\n",
                     qPrintable(socket->errorString()));
        return false;
    }
    auto *client = new ClientConnection(socket.release(), m_limits.client, this);
    m_connections.append(client);
    // A closed connection gives its place back at once, not when it is deleted.
    connect(client, &ClientConnection::closed, this, [this, client] { release(client); });
    emit connected(client);
    return true;
}

void GuardedTcpServer::release(ClientConnection *client)
{
    if (m_connections.removeOne(client))
        client->deleteLater(); // its socket is still in the middle of telling it
}

void GuardedTcpServer::placeOverCap()
{
    for (const qintptr descriptor : std::exchange(m_overCap, {})) {
        if (openConnections() < m_limits.maxConnections) {
            take(descriptor);
        } else {
            ++m_refused;
            ::close(int(descriptor)); // never a socket, so nothing else would close it
        }
    }
}

} // namespace varnex::registrar
