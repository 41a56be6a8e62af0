#include "lookup/host_pool.h"

#include <algorithm>

namespace varnex::registrar {

HostPool::HostPool(const QUrl &base, Limits limits, QObject *parent)
    : QObject(parent), m_base(base), m_limits(std::move(limits))
{
}

HostPool::~HostPool()
{
    // Connections closed on the way out must not answer into a pool that is half gone.
    for (QObject *child : children())
        child->disconnect(this);
}

RegistryConnection *HostPool::connectionFor(bool mustBeNew)
{
    if (!mustBeNew) {
        for (RegistryConnection *connection : m_connections) {
            if (connection->isIdle())
                return connection;
        }
    }
    const auto busy = std::count_if(m_connections.begin(), m_connections.end(),
                                    [](const RegistryConnection *connection) { return connection->isBusy(); });
    if (busy >= m_limits.connections || !makeRoom())
        return nullptr;
    return openConnection();
}

// Closes idle connections rather than going over the limit.
bool HostPool::makeRoom()
{
    while (m_connections.size() >= m_limits.connections) {
        const auto idle = std::find_if(m_connections.begin(), m_connections.end(),
                                       [](const RegistryConnection *connection) { return !connection->isBusy(); });
        if (idle == m_connections.end())
            return false;
        forget(*idle);
    }
    return true;
}

RegistryConnection *HostPool::openConnection()
{
    auto *connection = new RegistryConnection(m_base, m_limits.extraCertificates, m_limits.hostLookupBudget, this);
    m_connections.append(connection);
    connect(connection, &RegistryConnection::answered, this,
            [this, connection](const RegistryConnection::Outcome &outcome) { emit answered(connection, outcome); });
    connect(connection, &RegistryConnection::closedWhileIdle, this, [this, connection] { forget(connection); });
    return connection;
}

void HostPool::answeredOn(RegistryConnection *connection, bool gotAnswer)
{
    if (!gotAnswer || !connection->isIdle())
        forget(connection);
}

void HostPool::forget(RegistryConnection *connection)
{
    if (m_connections.removeOne(connection)) {
        connection->disconnect(this);
        connection->deleteLater();
    }
}

Http2Connection *HostPool::streamsFor()
{
    if (!m_http2 || !m_http2->acceptsStreams()) {
        if (m_http2)
            retire(m_http2);
        m_http2 = openHttp2();
    }
    return m_http2->openStreams() < m_limits.streams ? m_http2 : nullptr;
}

Http2Connection *HostPool::openHttp2()
{
    auto *connection = new Http2Connection(m_base,
                                           {.cleartext = m_base.scheme() == QLatin1String("http"),
                                            .extraCertificates = m_limits.extraCertificates,
                                            .hostLookupBudget = m_limits.hostLookupBudget},
                                           this);
    connect(connection, &Http2Connection::answered, this,
            [this, connection](Http2Connection::StreamId stream, const Http2Connection::Outcome &outcome) {
                emit streamAnswered(connection, stream, outcome);
            });
    return connection;
}

void HostPool::streamEnded(Http2Connection *connection)
{
    if (m_http2 == connection && !connection->acceptsStreams()) {
        m_retiring.append(connection);
        m_http2 = nullptr;
    }
    retireIfDone(connection);
}

void HostPool::cancelStream(Http2Connection *connection, Http2Connection::StreamId stream)
{
    connection->cancel(stream);
    if (m_http2 != connection)
        retireIfDone(connection);
}

void HostPool::retire(Http2Connection *connection)
{
    m_retiring.append(connection);
    retireIfDone(connection);
}

void HostPool::retireIfDone(Http2Connection *connection)
{
    if (connection->openStreams() > 0 || !m_retiring.removeOne(connection))
        return;
    connection->disconnect(this);
    connection->deleteLater();
}

} // namespace varnex::registrar
