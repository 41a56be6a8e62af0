#include "rdap_client.h"

#include "http_response_reader.h"
#include "registry_connection.h"

#include <QJsonDocument>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QJsonObject>
#include <QLocale>
#include <QTimeZone>

namespace varnex::registrar {

namespace {

using Clock = std::chrono::steady_clock;

constexpr qint64 kDefaultRetryAfterSeconds = 60;
constexpr qint64 kLongestRetryAfterSeconds = 3600;

QString hostKeyOf(const QUrl &url)
{
    return url.scheme() + QLatin1String("://") + url.host() + QLatin1Char(':')
           + QString::number(url.port(url.scheme() == QLatin1String("https") ? 443 : 80));
}

// The three date forms HTTP allows: IMF-fixdate, RFC 850 and asctime.
QDateTime httpDate(const QByteArray &value)
{
    // The weekday is left out of the reading: Qt checks it against the year it
    // guesses for a two-digit one, which is the wrong century.
    static const char *const formats[] = {"dd MMM yyyy HH:mm:ss 'GMT'", "dd-MMM-yy HH:mm:ss 'GMT'",
                                          "MMM d HH:mm:ss yyyy"};
    const QString text = QString::fromLatin1(value.simplified());
    const QString withoutWeekday = text.section(QLatin1Char(' '), 1);
    for (const char *format : formats) {
        QDateTime date = QLocale::c().toDateTime(withoutWeekday, QLatin1String(format));
        if (!date.isValid())
            continue;
        date.setTimeZone(QTimeZone::utc());
        // Qt reads a two-digit year as 19yy; HTTP takes the one nearest to now.
        if (QByteArrayView(format).contains("-yy ") && date.date().year() < 2000)
            date = date.addYears(100);
        return date;
    }
    return {};
}

} // namespace

QDateTime retryAfter(const QByteArray &value, const QDateTime &now)
{
    const QByteArray text = value.trimmed();
    bool isNumber = !text.isEmpty();
    for (const char c : text)
        isNumber = isNumber && c >= '0' && c <= '9';
    if (isNumber) {
        bool fits = false;
        const qint64 seconds = text.size() <= 18 ? text.toLongLong(&fits) : 0;
        return now.addSecs(fits ? std::min(seconds, kLongestRetryAfterSeconds) : kLongestRetryAfterSeconds);
    }
    const QDateTime date = httpDate(text);
    if (!date.isValid())
        return now.addSecs(kDefaultRetryAfterSeconds);
    return std::clamp(date, now, now.addSecs(kLongestRetryAfterSeconds));
}

RdapClient::RdapClient(Bootstrap bootstrap, Settings settings, QObject *parent)
    : QObject(parent), m_bootstrap(std::move(bootstrap)), m_settings(settings)
{
    // Registries are asked directly, as the HTTP/1.1 connections do.
    m_network.setProxy(QNetworkProxy::NoProxy);
    m_network.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

RdapClient::~RdapClient()
{
    // Nothing may call back into a client that is half gone: replies and
    // connections are deleted after the members their handlers use.
    for (Active &active : m_active) {
        if (active.reply)
            active.reply->disconnect(this);
    }
    for (RegistryConnection *connection : findChildren<RegistryConnection *>(Qt::FindDirectChildrenOnly))
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
        finishLater(std::move(done), Availability::unchecked(QStringLiteral("no registry known for this ending")));
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
        finishLater(std::move(lookup.done), Availability::unchecked(target.unreachableReason));
        return;
    }
    if (!front && int(target.queue.size()) >= m_settings.maxQueued) {
        finishLater(std::move(lookup.done), Availability::unchecked(QStringLiteral("the registry has too many questions waiting")));
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
    auto *connection = new RegistryConnection(host.base, this);
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
            finishLater(std::move(lookup.done), Availability::unchecked(QStringLiteral("the registry asked to slow down")));
            continue;
        }
        const bool http2 = triesHttp2(host);
        RegistryConnection *connection = nullptr;
        if (http2) {
            if (host.streams >= m_settings.perHostStreams)
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
            finish(pointer, Availability::unchecked(
                                QStringLiteral("no answer within %1 s").arg(m_settings.lookupTimeout.count() / 1000.0)));
        });
        active.timer.start(m_settings.lookupTimeout);
        if (http2)
            startHttp2(hostKey, active);
        else
            connection->get(active.lookup.url);
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
        finishLater(std::move(lookup.done), Availability::unchecked(QStringLiteral("the registry is busy")));
    }
    startNext(hostKey);
}

void RdapClient::failQueue(Host &host, const QString &reason)
{
    for (Lookup &lookup : host.queue)
        finishLater(std::move(lookup.done), Availability::unchecked(reason));
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
        if (outcome.transportError && outcome.unreachable) {
            // Every other lookup for this host would fail the same way: say so at once.
            host.unreachableUntil = Clock::now() + m_settings.unreachableFor;
            host.unreachableReason = outcome.error;
            failQueue(host, outcome.error);
        }
        // A reused connection may simply have been closed by the registry meanwhile: ask once more on a new one.
        if (!outcome.firstOnConnection && !outcome.transportError && !active->lookup.needsNewConnection) {
            Lookup again = release(active);
            again.needsNewConnection = true;
            askAgain(std::move(again));
            return;
        }
        finish(active, Availability::unchecked(outcome.error));
        return;
    }
    const HttpResponseReader &response = *outcome.response;
    const Answer answer{response.status(), response.body(), response.header("location"), response.header("retry-after"),
                        response.framedByClose(), outcome.firstOnConnection};
    host.lastWasNotFound = answer.status == 404;
    conclude(active, answer);
}

// Answers the lookup, or sends it again (a redirect, a 404 to confirm) in its place.
void RdapClient::conclude(Active *active, const Answer &answer)
{
    std::variant<Availability, Lookup> next = classify(*active, answer);
    if (Availability *verdict = std::get_if<Availability>(&next)) {
        finish(active, *verdict);
        return;
    }
    Lookup again = std::get<Lookup>(std::move(next));
    again.done = std::move(release(active).done);
    askAgain(std::move(again));
}

void RdapClient::askAgain(Lookup lookup)
{
    const QString key = hostKeyOf(lookup.url); // before the move below
    enqueue(key, std::move(lookup), true);
}

std::variant<Availability, RdapClient::Lookup> RdapClient::classify(const Active &active, const Answer &response)
{
    using State = Availability::State;
    const Lookup &asked = active.lookup;
    switch (const int status = response.status) {
    case 404: {
        if (response.framedByClose)
            return Availability::unchecked(QStringLiteral("the registry's answer had no length, so it may be cut off"));
        const QJsonObject object = QJsonDocument::fromJson(response.body).object();
        if (object.value(QLatin1String("objectClassName")).toString() == QLatin1String("domain"))
            return Availability::unchecked(QStringLiteral("the registry's answer contradicts itself"));
        if (!response.bound) {
            // On a reused connection a 404 could be an answer left over from another question.
            if (asked.needsNewConnection)
                return Availability::unchecked(QStringLiteral("the registry's answer could not be tied to the question"));
            Lookup again{asked.ticket, asked.domain, asked.url, {}, asked.redirects, true};
            return again;
        }
        return Availability{State::NotRegistered, {}};
    }
    case 200: {
        const QJsonObject object = QJsonDocument::fromJson(response.body).object();
        if (object.value(QLatin1String("objectClassName")).toString() != QLatin1String("domain"))
            return Availability::unchecked(QStringLiteral("the registry's answer is not a domain object"));
        QString ldhName = object.value(QLatin1String("ldhName")).toString().toLower();
        if (ldhName.endsWith(QLatin1Char('.')))
            ldhName.chop(1);
        if (ldhName != asked.domain)
            return Availability::unchecked(QStringLiteral("the registry answered for another name"));
        return Availability{State::Registered, {}};
    }
    case 400:
        return Availability{State::Invalid, QStringLiteral("the registry calls this name invalid")};
    case 429:
        host(active.hostKey).quietUntil = retryAfter(response.retryAfter, QDateTime::currentDateTimeUtc());
        return Availability::unchecked(QStringLiteral("the registry asked to slow down"));
    case 301:
    case 302:
    case 303:
    case 307:
    case 308: {
        // Redirects stay on the registry's own scheme, host and port: a "not registered" must come from it.
        const QUrl target = asked.url.resolved(QUrl(QString::fromLatin1(response.location)));
        if (!target.isValid() || hostKeyOf(target) != hostKeyOf(asked.url))
            return Availability::unchecked(QStringLiteral("the registry sent the question elsewhere"));
        if (asked.redirects >= m_settings.maxRedirects)
            return Availability::unchecked(QStringLiteral("too many redirects"));
        return Lookup{asked.ticket, asked.domain, target, {}, asked.redirects + 1, false};
    }
    default:
        return Availability::unchecked(QStringLiteral("the registry answered HTTP %1").arg(status));
    }
}

bool RdapClient::triesHttp2(const Host &host) const
{
    if (host.protocol == Protocol::Http1)
        return false;
    return host.base.scheme() == QLatin1String("https") || m_settings.cleartextHttp2;
}

void RdapClient::startHttp2(const QString &hostKey, Active &active)
{
    QNetworkRequest request(active.lookup.url);
    request.setRawHeader("Accept", "application/rdap+json");
    request.setRawHeader("Accept-Encoding", "identity"); // nothing to unpack, so nothing to blow up
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, true);
    if (active.lookup.url.scheme() == QLatin1String("http"))
        request.setAttribute(QNetworkRequest::Http2DirectAttribute, true);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply *reply = m_network.get(request);
    active.reply = reply;
    ++host(hostKey).streams;
    Active *pointer = &active;
    connect(reply, &QNetworkReply::readyRead, this, [pointer, reply] {
        pointer->body += reply->read(HttpResponseLimits{}.maxBody + 1 - pointer->body.size());
        if (pointer->body.size() > HttpResponseLimits{}.maxBody) {
            pointer->tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, pointer] { onReplyFinished(pointer); });
}

void RdapClient::onReplyFinished(Active *active)
{
    QNetworkReply *reply = active->reply;
    Host &host = this->host(active->hostKey);
    active->body += reply->readAll();
    const QNetworkReply::NetworkError error = reply->error();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!reply->attribute(QNetworkRequest::Http2WasUsedAttribute).toBool() && !active->tooLarge) {
        if (error == QNetworkReply::HostNotFoundError || error == QNetworkReply::ConnectionRefusedError) {
            host.unreachableUntil = Clock::now() + m_settings.unreachableFor;
            host.unreachableReason = reply->errorString();
            failQueue(host, host.unreachableReason);
            finish(active, Availability::unchecked(host.unreachableReason));
            return;
        }
        // The registry does not speak HTTP/2: ask again, and from now on, over our
        // own HTTP/1.1, this lookup and the others still out on HTTP/2.
        host.protocol = Protocol::Http1;
        std::vector<Active *> out{active};
        for (Active &other : m_active) {
            if (&other != active && other.reply && other.hostKey == active->hostKey)
                out.push_back(&other);
        }
        for (Active *each : out)
            askAgain(release(each));
        return;
    }
    host.protocol = Protocol::Http2;
    // Errors for an HTTP status still carry a whole answer; any other error means there is none.
    const bool statusError = (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError)
                             || (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError)
                             || error == QNetworkReply::ProtocolInvalidOperationError;
    bool lengthOk = true;
    const qlonglong length = reply->rawHeader("Content-Length").toLongLong(&lengthOk);
    const QByteArray encoding = reply->rawHeader("Content-Encoding").toLower();
    if (active->tooLarge)
        finish(active, Availability::unchecked(QStringLiteral("the answer is larger than 1024 KiB")));
    else if ((error != QNetworkReply::NoError && !statusError) || !status.isValid())
        finish(active, Availability::unchecked(reply->errorString()));
    else if (reply->hasRawHeader("Content-Length") && (!lengthOk || length != active->body.size()))
        finish(active, Availability::unchecked(QStringLiteral("the connection closed before the whole answer came")));
    else if (!encoding.isEmpty() && encoding != "identity")
        finish(active, Availability::unchecked(QStringLiteral("the answer is encoded, which was not asked for")));
    else {
        conclude(active, {status.toInt(), active->body, reply->rawHeader("Location"), reply->rawHeader("Retry-After"),
                          false, true});
    }
}

// Ends an active lookup without answering it; its slot is free for the next.
RdapClient::Lookup RdapClient::release(Active *active)
{
    const QString hostKey = active->hostKey;
    if (active->reply) {
        --host(hostKey).streams;
        active->reply->disconnect(this);
        active->reply->abort(); // a no-op once finished
        active->reply->deleteLater();
        active->reply = nullptr;
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
