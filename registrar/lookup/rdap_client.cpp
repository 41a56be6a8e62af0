#include "lookup/rdap_client.h"

#include <algorithm>

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

RdapClient::Host::Host(const QUrl &base, const Settings &settings)
    : pool(base,
           {settings.perHostLimit, settings.perHostStreams, settings.extraCertificates, settings.hostLookupBudget}),
      queue(settings.maxQueued, settings.queueTimeout),
      transport(base, settings.cleartextHttp2)
{
    queueTimer.setSingleShot(true);
}

RdapClient::RdapClient(Bootstrap bootstrap, Settings settings, QObject *parent)
    : QObject(parent), m_bootstrap(std::move(bootstrap)), m_settings(settings)
{
}

// Each host's pool keeps its connections from answering while it goes.
RdapClient::~RdapClient() = default;

int RdapClient::queued() const
{
    int count = 0;
    for (const auto &[key, host] : m_hosts)
        count += host->queue.size();
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

RdapClient::Host &RdapClient::hostFor(const QString &hostKey, const QUrl &base)
{
    std::unique_ptr<Host> &slot = m_hosts[hostKey];
    if (!slot) {
        slot = std::make_unique<Host>(base, m_settings);
        connect(&slot->queueTimer, &QTimer::timeout, this, [this, hostKey] { expireQueue(hostKey); });
        connect(&slot->pool, &HostPool::answered, this, &RdapClient::onAnswered);
        connect(&slot->pool, &HostPool::streamAnswered, this, &RdapClient::onStreamAnswered);
    }
    slot->pool.setBase(base);
    return *slot;
}

void RdapClient::lookup(Ticket ticket, const QString &domain, Done done, bool likelyFree)
{
    const std::optional<QUrl> base = m_bootstrap.baseFor(domain);
    if (!base) {
        finishLater(std::move(done),
                    Availability::unchecked(Failure::BadAnswer, QStringLiteral("no registry known for this ending")));
        return;
    }
    const QString hostKey = hostKeyOf(*base);
    hostFor(hostKey, *base);
    Lookup lookup{ticket,          domain, base->resolved(QUrl(QStringLiteral("domain/") + domain)),
                  std::move(done), 0,      likelyFree};
    lookup.bases = m_bootstrap.basesFor(domain);
    enqueue(hostKey, std::move(lookup));
}

bool RdapClient::cancel(Ticket ticket)
{
    return std::any_of(m_hosts.begin(), m_hosts.end(),
                       [ticket](const auto &host) { return host.second->queue.remove(ticket); });
}

void RdapClient::enqueue(const QString &hostKey, Lookup lookup, bool front)
{
    Host &target = host(hostKey);
    if (std::optional<Availability> refusal = target.backOff.whileUnreachable(Clock::now())) {
        finishLater(std::move(lookup.done), std::move(*refusal));
        return;
    }
    if (!front && target.queue.full()) {
        finishLater(std::move(lookup.done),
                    Availability::busy(QStringLiteral("the registry has too many questions waiting"), kBusyRetry));
        return;
    }
    if (front)
        target.queue.pushFront(std::move(lookup), Clock::now());
    else
        target.queue.pushBack(std::move(lookup), Clock::now());
    startNext(hostKey);
}

void RdapClient::startNext(const QString &hostKey)
{
    Host &host = this->host(hostKey);
    while (!host.queue.empty()) {
        if (std::optional<Availability> refusal = host.backOff.whileQuiet(QDateTime::currentDateTimeUtc())) {
            finishLater(host.queue.takeFront().done, std::move(*refusal));
            continue;
        }
        if (!sendNext(hostKey, host))
            break;
    }
    armQueueTimer(host);
}

// Sends the first queued lookup if a connection or a stream is free for it.
bool RdapClient::sendNext(const QString &hostKey, Host &host)
{
    const bool http2 = host.transport.triesHttp2();
    RegistryConnection *connection = nullptr;
    Http2Connection *streams = nullptr;
    if (http2)
        streams = host.pool.streamsFor();
    else
        connection = host.pool.connectionFor(host.queue.front().needsNewConnection || host.lastWasNotFound);
    if (!streams && !connection)
        return false;
    Active &active = m_active.emplace_back();
    active.lookup = host.queue.takeFront();
    active.hostKey = hostKey;
    active.connection = connection;
    startTimer(active);
    if (http2) {
        active.http2 = streams;
        active.stream = streams->get(active.lookup.url);
    } else {
        connection->get(active.lookup.url);
    }
    return true;
}

void RdapClient::startTimer(Active &active)
{
    active.timer.setSingleShot(true);
    connect(&active.timer, &QTimer::timeout, this, [this, pointer = &active] {
        if (pointer->connection)
            host(pointer->hostKey).pool.forget(pointer->connection);
        finish(pointer, Availability::unchecked(
                            Failure::Unreachable,
                            QStringLiteral("no answer within %1 s").arg(m_settings.lookupTimeout.count() / 1000.0)));
    });
    active.timer.start(m_settings.lookupTimeout);
}

// The oldest waiting lookup gives up when its wait is over.
void RdapClient::armQueueTimer(Host &host)
{
    if (host.queue.empty())
        host.queueTimer.stop();
    else if (!host.queueTimer.isActive())
        host.queueTimer.start(host.queue.waitLeft(Clock::now()));
}

void RdapClient::expireQueue(const QString &hostKey)
{
    for (Lookup &lookup : host(hostKey).queue.takeExpired(Clock::now()))
        finishLater(std::move(lookup.done), Availability::busy(QStringLiteral("the registry is busy"), kBusyRetry));
    startNext(hostKey);
}

void RdapClient::onAnswered(RegistryConnection *connection, const RegistryConnection::Outcome &outcome)
{
    const auto found = std::find_if(m_active.begin(), m_active.end(),
                                    [connection](const Active &active) { return active.connection == connection; });
    if (found == m_active.end())
        return;
    Host &host = this->host(found->hostKey);
    host.pool.answeredOn(connection, outcome.response != nullptr);
    const TransportStep step = stepAfter(outcome, found->lookup.needsNewConnection);
    if (step.answer)
        host.lastWasNotFound = step.answer->status == 404;
    take(&*found, step);
}

void RdapClient::onStreamAnswered(Http2Connection *connection, Http2Connection::StreamId stream,
                                  const Http2Connection::Outcome &outcome)
{
    const auto found = std::find_if(m_active.begin(), m_active.end(), [connection, stream](const Active &active) {
        return active.http2 == connection && active.stream == stream;
    });
    if (found == m_active.end())
        return;
    Host &host = this->host(found->hostKey);
    found->http2 = nullptr; // its stream is over: nothing to cancel
    host.pool.streamEnded(connection);
    const TransportStep step = stepAfter(outcome, found->lookup.needsNewConnection);
    if (step.next == TransportStep::Next::AskOverHttp1)
        host.transport.fallBackToHttp1();
    else if (step.answer)
        host.transport.answeredOverHttp2();
    take(&*found, step);
}

// Does what a transport's outcome calls for.
void RdapClient::take(Active *active, const TransportStep &step)
{
    switch (step.next) {
    case TransportStep::Next::Read:
        conclude(active, *step.answer);
        return;
    case TransportStep::Next::AskOnNewConnection:
        askOnNewConnection(active);
        return;
    case TransportStep::Next::AskOverHttp1:
        askAgain(release(active));
        return;
    case TransportStep::Next::Fail:
        if (step.failsWholeHost)
            markUnreachable(host(active->hostKey), step.failure);
        finish(active, step.failure);
        return;
    }
}

// Every other lookup for this host would fail the same way: say so at once.
void RdapClient::markUnreachable(Host &host, const Availability &failure)
{
    host.backOff.unreachableUntil(Clock::now() + m_settings.unreachableFor, failure);
    for (Lookup &lookup : host.queue.takeAll())
        finishLater(std::move(lookup.done), failure);
}

// Answers the lookup, or sends it again (a redirect, an answer to tie to its question) in its place.
void RdapClient::conclude(Active *active, const RegistryAnswer &answer)
{
    const Lookup &asked = active->lookup;
    const Verdict verdict =
        verdictOf(answer, {asked.domain, asked.url, asked.redirects, asked.needsNewConnection, asked.bases},
                  m_settings.maxRedirects, QDateTime::currentDateTimeUtc());
    if (verdict.quietUntil.isValid())
        host(active->hostKey).backOff.quietUntil(verdict.quietUntil);
    switch (verdict.next) {
    case Verdict::Next::Settled:
        finish(active, verdict.availability);
        return;
    case Verdict::Next::AskOnNewConnection:
        askOnNewConnection(active);
        return;
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

void RdapClient::askOnNewConnection(Active *active)
{
    Lookup again = release(active);
    again.needsNewConnection = true;
    askAgain(std::move(again));
}

void RdapClient::askAgain(Lookup lookup)
{
    const QString key = hostKeyOf(lookup.url); // before the move below
    // A redirect may lead to another of the ending's base URLs, on a host not asked before.
    if (!m_hosts.contains(key))
        hostFor(key, lookup.url);
    enqueue(key, std::move(lookup), true);
}

// Ends an active lookup without answering it; its slot is free for the next.
RdapClient::Lookup RdapClient::release(Active *active)
{
    const QString hostKey = active->hostKey;
    if (active->http2)
        host(hostKey).pool.cancelStream(active->http2, active->stream);
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
