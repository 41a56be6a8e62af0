#include "service/guarded_tcp_server.h"

#include <QTcpSocket>

namespace varnex::registrar {

GuardedTcpServer::GuardedTcpServer(Limits limits, QObject *parent) : QTcpServer(parent), m_limits(limits)
{
    setListenBacklogSize(m_limits.listenBacklog);
}

QTcpSocket *GuardedTcpServer::nextPendingConnection()
{
    while (QTcpSocket *socket = QTcpServer::nextPendingConnection()) {
        if (m_open >= m_limits.maxConnections) {
            // Never handed on, so nothing else would free it.
            ++m_refused;
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_open;
        connect(socket, &QObject::destroyed, this, [this] { --m_open; });
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        new ClientConnection(socket, m_limits.client);
        return socket;
    }
    return nullptr;
}

} // namespace varnex::registrar
