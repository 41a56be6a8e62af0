#include "guarded_tcp_server.h"

#include <QTcpSocket>
#include <QTimer>

namespace varnex::registrar {

namespace {

const char kUnanswered[] = "varnexUnansweredBytes";
const char kWaiting[] = "varnexWaiting";

QTimer *idleTimer(QTcpSocket *socket)
{
    return socket->findChild<QTimer *>(QStringLiteral("idle"), Qt::FindDirectChildrenOnly);
}

} // namespace

GuardedTcpServer::GuardedTcpServer(Limits limits, QObject *parent) : QTcpServer(parent), m_limits(limits)
{
    setListenBacklogSize(m_limits.listenBacklog);
}

QTcpSocket *GuardedTcpServer::nextPendingConnection()
{
    QTcpSocket *socket = QTcpServer::nextPendingConnection();
    if (!socket)
        return nullptr;
    ++m_open;
    connect(socket, &QObject::destroyed, this, [this] { --m_open; });
    if (m_open > m_limits.maxConnections) {
        socket->abort();
        return socket;
    }

    auto *timer = new QTimer(socket);
    timer->setObjectName(QStringLiteral("idle"));
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, socket, [socket, timer] {
        if (socket->property(kWaiting).toBool())
            timer->start(); // a page is on its way
        else
            socket->abort();
    });
    timer->start(m_limits.idle);

    // Connected before the HTTP server's own handler, so it sees each read first.
    connect(socket, &QTcpSocket::readyRead, socket, [socket, limit = m_limits.maxUnansweredBytes] {
        const qint64 total = socket->property(kUnanswered).toLongLong() + socket->bytesAvailable();
        socket->setProperty(kUnanswered, total);
        if (total > limit)
            socket->abort();
    });
    return socket;
}

void GuardedTcpServer::answered(QTcpSocket *socket)
{
    socket->setProperty(kUnanswered, 0);
    if (QTimer *timer = idleTimer(socket))
        timer->start();
}

void GuardedTcpServer::setWaiting(QTcpSocket *socket, bool waiting)
{
    socket->setProperty(kWaiting, waiting);
}

} // namespace varnex::registrar
