#include "rdap_client.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace varnex::registrar {

namespace {

constexpr int kDefaultRetryAfterSeconds = 60;
constexpr qint64 kMaxAnswerSize = 1 << 20; // an RDAP domain object is a few kilobytes

// Retry-After as seconds or as an HTTP date.
QDateTime retryAfter(const QByteArray &value)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    bool isNumber = false;
    const qint64 seconds = value.trimmed().toLongLong(&isNumber);
    if (isNumber && seconds >= 0)
        return now.addSecs(std::min<qint64>(seconds, 3600));
    const QDateTime date = QDateTime::fromString(QString::fromLatin1(value.trimmed()), Qt::RFC2822Date);
    if (date.isValid() && date > now)
        return std::min(date.toUTC(), now.addSecs(3600));
    return now.addSecs(kDefaultRetryAfterSeconds);
}

} // namespace

RdapClient::RdapClient(Bootstrap bootstrap, QNetworkAccessManager &network, Settings settings, QObject *parent)
    : QObject(parent), m_bootstrap(std::move(bootstrap)), m_network(network), m_settings(settings)
{
}

void RdapClient::finishLater(Done done, Availability answer)
{
    QTimer::singleShot(0, this, [done = std::move(done), answer = std::move(answer)] { done(answer); });
}

void RdapClient::lookup(const QString &domain, Done done)
{
    const std::optional<QUrl> base = m_bootstrap.baseFor(domain);
    if (!base) {
        finishLater(std::move(done), Availability::unchecked(QStringLiteral("no registry known for this ending")));
        return;
    }
    const QString hostKey = base->host() + QLatin1Char(':') + QString::number(base->port(base->scheme() == QLatin1String("https") ? 443 : 80));
    m_hosts[hostKey].queue.push_back({domain, base->resolved(QUrl(QStringLiteral("domain/") + domain)), std::move(done)});
    startNext(hostKey);
}

void RdapClient::startNext(const QString &hostKey)
{
    Host &host = m_hosts[hostKey];
    while (!host.queue.empty() && host.inFlight < m_settings.perHostLimit) {
        Pending pending = std::move(host.queue.front());
        host.queue.pop_front();
        if (host.quietUntil.isValid() && QDateTime::currentDateTimeUtc() < host.quietUntil) {
            finishLater(std::move(pending.done), Availability::unchecked(QStringLiteral("the registry asked to slow down")));
            continue;
        }
        start(hostKey, std::move(pending));
    }
}

void RdapClient::start(const QString &hostKey, Pending pending)
{
    QNetworkRequest request(pending.url);
    request.setRawHeader("Accept", "application/rdap+json");
    // Redirects stay on the registry's own host: a "not registered" must come from it.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    request.setMaximumRedirectsAllowed(m_settings.maxRedirects);
    QNetworkReply *reply = m_network.get(request);
    ++m_hosts[hostKey].inFlight;

    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, reply, [reply] {
        reply->setProperty("timedOut", true);
        reply->abort();
    });
    timer->start(m_settings.lookupTimeout);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received) {
        if (received > kMaxAnswerSize)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, hostKey, done = std::move(pending.done)] {
        reply->deleteLater();
        const Availability answer = classify(reply, hostKey, reply->property("timedOut").toBool());
        --m_hosts[hostKey].inFlight;
        startNext(hostKey);
        done(answer);
    });
}

Availability RdapClient::classify(QNetworkReply *reply, const QString &hostKey, bool timedOut)
{
    using State = Availability::State;
    if (timedOut)
        return Availability::unchecked(QStringLiteral("no answer within %1 s").arg(m_settings.lookupTimeout.count() / 1000.0));
    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!statusAttribute.isValid())
        return Availability::unchecked(reply->errorString());
    switch (const int status = statusAttribute.toInt()) {
    case 404:
        if (reply->error() != QNetworkReply::ContentNotFoundError) // e.g. cut off
            return Availability::unchecked(reply->errorString());
        return {State::NotRegistered, {}};
    case 400:
        return {State::Invalid, QStringLiteral("the registry calls this name invalid")};
    case 429:
        m_hosts[hostKey].quietUntil = retryAfter(reply->rawHeader("Retry-After"));
        return Availability::unchecked(QStringLiteral("the registry asked to slow down"));
    case 200: {
        if (reply->error() != QNetworkReply::NoError)
            return Availability::unchecked(reply->errorString());
        const QJsonObject object = QJsonDocument::fromJson(reply->readAll()).object();
        if (object.value(QLatin1String("objectClassName")).toString() == QLatin1String("domain"))
            return {State::Registered, {}};
        return Availability::unchecked(QStringLiteral("the registry's answer is not a domain object"));
    }
    default:
        return Availability::unchecked(QStringLiteral("the registry answered HTTP %1").arg(status));
    }
}

} // namespace varnex::registrar
