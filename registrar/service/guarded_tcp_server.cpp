#include "service/guarded_tcp_server.h"

#include <QTcpSocket>

#include <unistd.h>

#include <utility>

namespace varnex::registrar {

GuardedTcpServer::GuardedTcpServer(Limits limits, QObject *parent) : QTcpServer(parent), m_limits(limits)
{
    setListenBacklogSize(m_limits.listenBacklog);
}

void GuardedTcpServer::incomingConnection(qintptr descriptor)
{
    if (m_open < m_limits.maxConnections && m_overCap.isEmpty()) {
        take(descriptor);
        return;
    }
    m_overCap.append(descriptor);
    if (m_overCap.size() == 1)
        QMetaObject::invokeMethod(this, &GuardedTcpServer::placeOverCap, Qt::QueuedConnection);
}

void GuardedTcpServer::take(qintptr descriptor)
{
    auto *socket = new QTcpSocket(this);
    socket->setSocketDescriptor(descriptor);
    ++m_open;
    // A closed connection gives its place back at once, not when it is deleted.
    connect(socket, &QAbstractSocket::disconnected, this, [this] { --m_open; });
    connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    new ClientConnection(socket, m_limits.client);
    addPendingConnection(socket);
}

void GuardedTcpServer::placeOverCap()
{
    bool placed = false;
    for (const qintptr descriptor : std::exchange(m_overCap, {})) {
        if (m_open < m_limits.maxConnections) {
            take(descriptor);
            placed = true;
        } else {
            ++m_refused;
            ::close(int(descriptor)); // never a socket, so nothing else would close it
        }
    }
    if (placed)
        emit newConnection();
}

} // namespace varnex::registrar
