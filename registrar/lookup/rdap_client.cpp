#include "lookup/rdap_client.h"

#include "lookup/http_response_reader.h"
#include "lookup/registry_connection.h"

namespace varnex::registrar {

namespace {

using Clock = std::chrono::steady_clock;
using Failure = Availability::Failure;

QString hostKeyOf(const QUrl &url)
{
    return url.scheme() + QLatin1String("://") + url.host() + QLatin1Char(':')
           + QString::number(url.port(url.scheme() == QLatin1String("https") ? 443 : 80));
}

// A lookup that waited for a connection in vain may work in a few seconds.
constexpr std::chrono::seconds kBusyRetry{5};

} // namespace

RdapClient::RdapClient(Bootstrap bootstrap, Settings settings, QObject *parent)
    : QObject(parent), m_bootstrap(std::move(bootstrap)), m_settings(settings)
{
}

RdapClient::~RdapClient()
{
    // Nothing may call back into a client that is half gone: replies and
    // connections are deleted after the members their handlers use.
    for (RegistryConnection *connection : findChildren<RegistryConnection *>(Qt::FindDirectChildrenOnly))
        connection->disconnect(this);
    for (Http2Connection *connection : findChildren<Http2Connection *>(Qt::FindDirectChildrenOnly))
        connection->disconnect(this);
}

int RdapClient::queued() const
{
    int count = 0;
    for (const auto &[key, host] : m_hosts)
        count += int(host->queue.size());
    return count;
}

int RdapClient::inFlight() const
{
    return int(m_active.size());
}

void RdapClient::finishLater(Done done, Availability answer)
{
    QTimer::singleShot(0, this, [done = std::move(done), answer = std::move(answer)] { done(answer); });
}

RdapClient::Host &RdapClient::host(const QString &hostKey)
{
    std::unique_ptr<Host> &slot = m_hosts[hostKey];
    if (!slot) {
        slot = std::make_unique<Host>();
        slot->queueTimer.setSingleShot(true);
        connect(&slot->queueTimer, &QTimer::timeout, this, [this, hostKey] { expireQueue(hostKey); });
    }
    return *slot;
}

RdapClient::Ticket RdapClient::lookup(const QString &domain, Done done, bool likelyFree)
{
    const Ticket ticket = m_nextTicket++;
    const std::optional<QUrl> base = m_bootstrap.baseFor(domain);
    if (!base) {
        finishLater(std::move(done), Availability::unchecked(Failure::BadAnswer, QStringLiteral("no registry known for this ending")));
        return ticket;
    }
    const QString hostKey = hostKeyOf(*base);
    host(hostKey).base = *base;
    Lookup lookup{ticket, domain, base->resolved(QUrl(QStringLiteral("domain/") + domain)), std::move(done), 0, likelyFree};
    enqueue(hostKey, std::move(lookup));
    return ticket;
}

void RdapClient::cancel(Ticket ticket)
{
    for (auto &[key, host] : m_hosts) {
        std::erase_if(host->queue, [ticket](const Lookup &lookup) { return lookup.ticket == ticket; });
    }
}

void RdapClient::enqueue(const QString &hostKey, Lookup lookup, bool front)
{
    Host &target = host(hostKey);
    if (Clock::now() < target.unreachableUntil) {
        finishLater(std::move(lookup.done), Availability::unchecked(Failure::Unreachable, target.unreachableReason));
        return;
    }
    if (!front && int(target.queue.size()) >= m_settings.maxQueued) {
        finishLater(std::move(lookup.done), Availability::busy(QStringLiteral("the registry has too many questions waiting"), kBusyRetry));
        return;
    }
    lookup.queuedAt = Clock::now();
    if (front)
        target.queue.push_front(std::move(lookup));
    else
        target.queue.push_back(std::move(lookup));
    startNext(hostKey);
}

RegistryConnection *RdapClient::connectionFor(Host &host, bool mustBeNew)
{
    if (!mustBeNew) {
        for (RegistryConnection *connection : host.connections) {
            if (connection->isIdle())
                return connection;
        }
    }
    const auto busy = std::count_if(host.connections.begin(), host.connections.end(),
                                    [](const RegistryConnection *connection) { return connection->isBusy(); });
    if (busy >= m_settings.perHostLimit)
        return nullptr;
    // Make room by closing an idle connection rather than going over the limit.
    while (host.connections.size() >= m_settings.perHostLimit) {
        const auto idle = std::find_if(host.connections.begin(), host.connections.end(),
                                       [](const RegistryConnection *connection) { return !connection->isBusy(); });
        if (idle == host.connections.end())
            return nullptr;
        forget(host, *idle);
    }
    auto *connection = new RegistryConnection(host.base, m_settings.extraCertificates, m_settings.hostLookupBudget, this);
    host.connections.append(connection);
    connect(connection, &RegistryConnection::answered, this,
            [this, connection](const RegistryConnection::Outcome &outcome) { onAnswered(connection, outcome); });
    connect(connection, &RegistryConnection::closedWhileIdle, this, [this, &host, connection] { forget(host, connection); });
    return connection;
}

void RdapClient::forget(Host &host, RegistryConnection *connection)
{
    if (host.connections.removeOne(connection)) {
        connection->disconnect(this);
        connection->deleteLater();
    }
}

void RdapClient::startNext(const QString &hostKey)
{
    Host &host = this->host(hostKey);
    while (!host.queue.empty()) {
        if (host.quietUntil.isValid() && QDateTime::currentDateTimeUtc() < host.quietUntil) {
            Lookup lookup = std::move(host.queue.front());
            host.queue.pop_front();
            const auto wait = std::max<qint64>(1, QDateTime::currentDateTimeUtc().secsTo(host.quietUntil));
            finishLater(std::move(lookup.done), Availability::busy(QStringLiteral("the registry asked to slow down"),
                                                                   std::chrono::seconds(wait)));
            continue;
        }
        const bool http2 = triesHttp2(host);
        RegistryConnection *connection = nullptr;
        Http2Connection *streams = nullptr;
        if (http2) {
            streams = http2For(host);
            if (streams->openStreams() >= m_settings.perHostStreams)
                break;
        } else {
            connection = connectionFor(host, host.queue.front().needsNewConnection || host.lastWasNotFound);
            if (!connection)
                break;
        }
        Active &active = m_active.emplace_back();
        active.lookup = std::move(host.queue.front());
        host.queue.pop_front();
        active.hostKey = hostKey;
        active.connection = connection;
        active.timer.setSingleShot(true);
        connect(&active.timer, &QTimer::timeout, this, [this, pointer = &active] {
            if (pointer->connection)
                forget(this->host(pointer->hostKey), pointer->connection);
            finish(pointer, Availability::unchecked(Failure::Unreachable,
                                                    QStringLiteral("no answer within %1 s").arg(m_settings.lookupTimeout.count() / 1000.0)));
        });
        active.timer.start(m_settings.lookupTimeout);
        if (http2) {
            active.http2 = streams;
            active.stream = streams->get(active.lookup.url);
        } else {
            connection->get(active.lookup.url);
        }
    }
    // The oldest waiting lookup gives up when its wait is over.
    if (host.queue.empty()) {
        host.queueTimer.stop();
    } else if (!host.queueTimer.isActive()) {
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - host.queue.front().queuedAt);
        host.queueTimer.start(std::max(std::chrono::milliseconds(0), m_settings.queueTimeout - waited));
    }
}

void RdapClient::expireQueue(const QString &hostKey)
{
    Host &host = this->host(hostKey);
    const auto now = Clock::now();
    while (!host.queue.empty() && now - host.queue.front().queuedAt >= m_settings.queueTimeout) {
        Lookup lookup = std::move(host.queue.front());
        host.queue.pop_front();
        finishLater(std::move(lookup.done), Availability::busy(QStringLiteral("the registry is busy"), kBusyRetry));
    }
    startNext(hostKey);
}

void RdapClient::failQueue(Host &host, const QString &reason)
{
    for (Lookup &lookup : host.queue)
        finishLater(std::move(lookup.done), Availability::unchecked(Failure::Unreachable, reason));
    host.queue.clear();
}

void RdapClient::onAnswered(RegistryConnection *connection, const RegistryConnection::Outcome &outcome)
{
    const auto found = std::find_if(m_active.begin(), m_active.end(),
                                    [connection](const Active &active) { return active.connection == connection; });
    if (found == m_active.end())
        return;
    Active *active = &*found;
    Host &host = this->host(active->hostKey);
    if (!outcome.response || !connection->isIdle())
        forget(host, connection);

    if (!outcome.response) {
        if (outcome.transportError && outcome.unreachable)
            markUnreachable(host, outcome.error);
        // A reused connection may simply have been closed by the registry meanwhile: ask once more on a new one.
        if (!outcome.firstOnConnection && !outcome.transportError && !active->lookup.needsNewConnection) {
            Lookup again = release(active);
            again.needsNewConnection = true;
            askAgain(std::move(again));
            return;
        }
        finish(active, Availability::unchecked(outcome.transportError ? Failure::Unreachable : Failure::BadAnswer,
                                               outcome.error));
        return;
    }
    const RegistryAnswer answer = registryAnswerOf(*outcome.response, outcome.firstOnConnection);
    host.lastWasNotFound = answer.status == 404;
    conclude(active, answer);
}

// Every other lookup for this host would fail the same way: say so at once.
void RdapClient::markUnreachable(Host &host, const QString &reason)
{
    host.unreachableUntil = Clock::now() + m_settings.unreachableFor;
    host.unreachableReason = reason;
    failQueue(host, reason);
}

// Answers the lookup, or sends it again (a redirect, an answer to tie to its question) in its place.
void RdapClient::conclude(Active *active, const RegistryAnswer &answer)
{
    const Lookup &asked = active->lookup;
    const Verdict verdict = verdictOf(answer, {asked.domain, asked.url, asked.redirects, asked.needsNewConnection},
                                      m_settings.maxRedirects, QDateTime::currentDateTimeUtc());
    if (verdict.quietUntil.isValid())
        host(active->hostKey).quietUntil = verdict.quietUntil;
    switch (verdict.next) {
    case Verdict::Next::Settled:
        finish(active, verdict.availability);
        return;
    case Verdict::Next::AskOnNewConnection: {
        Lookup again = release(active);
        again.needsNewConnection = true;
        askAgain(std::move(again));
        return;
    }
    case Verdict::Next::Follow: {
        Lookup again = release(active);
        again.url = verdict.target;
        ++again.redirects;
        again.needsNewConnection = false;
        askAgain(std::move(again));
        return;
    }
    }
}

void RdapClient::askAgain(Lookup lookup)
{
    const QString key = hostKeyOf(lookup.url); // before the move below
    enqueue(key, std::move(lookup), true);
}

bool RdapClient::triesHttp2(const Host &host) const
{
    if (host.protocol == Protocol::Http1)
        return false;
    return host.base.scheme() == QLatin1String("https") || m_settings.cleartextHttp2;
}

// The host's HTTP/2 connection that takes new streams, opened when there is none.
Http2Connection *RdapClient::http2For(Host &host)
{
    if (host.http2 && host.http2->acceptsStreams())
        return host.http2;
    if (host.http2) {
        host.retiring.append(host.http2);
        retireIfDone(host, host.http2);
    }
    auto *connection = new Http2Connection(
        host.base,
        {.cleartext = host.base.scheme() == QLatin1String("http"),
         .extraCertificates = m_settings.extraCertificates,
         .hostLookupBudget = m_settings.hostLookupBudget},
        this);
    connect(connection, &Http2Connection::answered, this,
            [this, connection](Http2Connection::StreamId stream, const Http2Connection::Outcome &outcome) {
                onStreamAnswered(connection, stream, outcome);
            });
    host.http2 = connection;
    return connection;
}

void RdapClient::retireIfDone(Host &host, Http2Connection *connection)
{
    if (connection->openStreams() > 0 || !host.retiring.removeOne(connection))
        return;
    connection->disconnect(this);
    connection->deleteLater();
}

void RdapClient::onStreamAnswered(Http2Connection *connection, Http2Connection::StreamId stream,
                                  const Http2Connection::Outcome &outcome)
{
    const auto found = std::find_if(m_active.begin(), m_active.end(), [connection, stream](const Active &active) {
        return active.http2 == connection && active.stream == stream;
    });
    if (found == m_active.end())
        return;
    Active *active = &*found;
    Host &host = this->host(active->hostKey);
    active->http2 = nullptr; // its stream is over: nothing to cancel
    if (host.http2 == connection && !connection->acceptsStreams()) {
        host.retiring.append(connection);
        host.http2 = nullptr;
    }
    retireIfDone(host, connection);

    if (outcome.notHttp2) {
        // The registry does not speak HTTP/2: ask again, and from now on, over our own HTTP/1.1.
        host.protocol = Protocol::Http1;
        askAgain(release(active));
        return;
    }
    if (outcome.unprocessed && !active->lookup.needsNewConnection) {
        Lookup again = release(active);
        again.needsNewConnection = true;
        askAgain(std::move(again));
        return;
    }
    if (!outcome.answer) {
        if (outcome.transportError && outcome.unreachable)
            markUnreachable(host, outcome.error);
        finish(active, Availability::unchecked(outcome.transportError ? Failure::Unreachable : Failure::BadAnswer,
                                               outcome.error));
        return;
    }
    host.protocol = Protocol::Http2;
    conclude(active, *outcome.answer);
}

// Ends an active lookup without answering it; its slot is free for the next.
RdapClient::Lookup RdapClient::release(Active *active)
{
    const QString hostKey = active->hostKey;
    if (active->http2) {
        Host &host = this->host(hostKey);
        active->http2->cancel(active->stream);
        if (host.http2 != active->http2)
            retireIfDone(host, active->http2);
    }
    Lookup lookup = std::move(active->lookup);
    m_active.remove_if([active](const Active &item) { return &item == active; });
    QTimer::singleShot(0, this, [this, hostKey] { startNext(hostKey); });
    return lookup;
}

void RdapClient::finish(Active *active, const Availability &answer)
{
    Lookup lookup = release(active);
    finishLater(std::move(lookup.done), answer);
}

} // namespace varnex::registrar
