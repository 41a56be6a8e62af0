#include "lookup/bootstrap_refresh.h"

#include <QDir>
#include <QFile>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSaveFile>
#include <QSslConfiguration>

#include <algorithm>

namespace varnex::registrar {

namespace {

QString published(const Bootstrap &bootstrap)
{
    if (!bootstrap.publication().isValid())
        return {};
    return QStringLiteral(" (published %1)").arg(bootstrap.publication().toString(Qt::ISODate));
}

} // namespace

QUrl BootstrapRefresh::defaultUrl()
{
    return QUrl(QStringLiteral("https://data.iana.org/rdap/dns.json"));
}

std::optional<Bootstrap> BootstrapRefresh::usable(const QByteArray &json, const Bootstrap &builtIn, QString *error,
                                                  QStringList *warnings)
{
    std::optional<Bootstrap> bootstrap = Bootstrap::fromJson(json, error, warnings);
    if (!bootstrap)
        return std::nullopt;
    // A file that parses but names no service would leave only the built-in
    // entries, and say nothing about why.
    if (bootstrap->endingCount() == 0) {
        if (error)
            *error = QStringLiteral("no service in it can be used");
        return std::nullopt;
    }
    bootstrap->addMissing(builtIn);
    return bootstrap;
}

BootstrapRefresh::BootstrapRefresh(Bootstrap builtIn, Settings settings, QObject *parent)
    : QObject(parent),
      m_builtIn(std::move(builtIn)),
      m_settings(std::move(settings)),
      m_current(m_builtIn),
      m_source(QStringLiteral("the built-in file"))
{
    // As the registries are asked: directly, whatever proxy the environment names,
    // and never led from https to plain http.
    m_network.setProxy(QNetworkProxy::NoProxy);
    m_network.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (m_reply) {
            m_timedOut = true;
            m_reply->abort();
        }
    });
    m_next.setSingleShot(true);
    connect(&m_next, &QTimer::timeout, this, &BootstrapRefresh::fetch);

    if (m_settings.cacheFolder.isEmpty())
        return;
    QFile file(keptPath());
    if (!file.exists())
        return;
    QString error;
    std::optional<Bootstrap> kept;
    if (!file.open(QIODevice::ReadOnly))
        error = file.errorString();
    else if (file.size() > m_settings.maxBytes)
        error = QStringLiteral("larger than %1 KiB").arg(m_settings.maxBytes / 1024);
    else
        kept = usable(file.readAll(), m_builtIn, &error, &m_warnings);
    if (kept) {
        m_current = std::move(*kept);
        m_fromFile = true;
        m_source = QStringLiteral("the copy in %1%2").arg(keptPath(), published(m_current));
    } else {
        m_warnings.clear();
        m_source = QStringLiteral("the built-in file (the copy in %1 cannot be used: %2)").arg(keptPath(), error);
    }
}

BootstrapRefresh::~BootstrapRefresh()
{
    // The reply goes with the network manager; it must not call back into a half-gone refresh.
    if (m_reply)
        m_reply->disconnect(this);
}

QString BootstrapRefresh::source() const
{
    return m_source;
}

QString BootstrapRefresh::keptPath() const
{
    return m_settings.cacheFolder.isEmpty() ? QString()
                                            : QDir(m_settings.cacheFolder).filePath(QStringLiteral("dns.json"));
}

void BootstrapRefresh::start()
{
    if (!m_reply && !m_next.isActive())
        fetch();
}

void BootstrapRefresh::fetch()
{
    QNetworkRequest request(m_settings.url);
    request.setRawHeader("Accept", "application/json");
    request.setRawHeader("Accept-Encoding", "identity"); // nothing to unpack, so nothing to blow up
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setMaximumRedirectsAllowed(3);
    if (!m_settings.extraCertificates.isEmpty()) {
        QSslConfiguration tls = request.sslConfiguration();
        tls.setCaCertificates(tls.caCertificates() + m_settings.extraCertificates);
        request.setSslConfiguration(tls);
    }
    m_body.clear();
    m_tooLarge = false;
    m_timedOut = false;
    QNetworkReply *reply = m_network.get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        m_body += reply->read(m_settings.maxBytes + 1 - m_body.size());
        if (m_body.size() > m_settings.maxBytes) {
            m_tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, &BootstrapRefresh::finished);
    m_deadline.start(m_settings.timeout);
}

void BootstrapRefresh::finished()
{
    m_deadline.stop();
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->deleteLater();

    if (!m_tooLarge && reply->isOpen()) // an aborted reply is closed
        m_body += reply->read(m_settings.maxBytes + 1 - m_body.size());
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // A redirect that was not followed says why better than its status does.
    const bool redirectRefused = reply->error() == QNetworkReply::InsecureRedirectError
                                 || reply->error() == QNetworkReply::TooManyRedirectsError;
    if (m_timedOut)
        return fail(QStringLiteral("no answer within %1 s").arg(m_settings.timeout.count() / 1000.0));
    if (status.isValid() && status.toInt() != 200 && !redirectRefused)
        return fail(QStringLiteral("the server answered HTTP %1").arg(status.toInt()));
    if (m_tooLarge || m_body.size() > m_settings.maxBytes)
        return fail(QStringLiteral("the file is larger than %1 KiB").arg(m_settings.maxBytes / 1024));
    if (reply->error() != QNetworkReply::NoError)
        return fail(reply->errorString());
    QString error;
    QStringList warnings;
    std::optional<Bootstrap> fetched = usable(m_body, m_builtIn, &error, &warnings);
    if (!fetched)
        return fail(QStringLiteral("not a bootstrap file that can be used: %1").arg(error));
    if (const std::optional<QString> older = olderThanInUse(*fetched))
        return fail(*older);

    m_current = std::move(*fetched);
    m_fromFile = true;
    m_warnings = std::move(warnings);
    m_source = QStringLiteral("the file fetched from %1%2").arg(m_settings.url.toString(), published(m_current));
    keep(m_body);
    m_body.clear();
    m_next.start(m_settings.interval);
    emit updated(m_current);
}

// A file published before the one in use is an old copy served again (a stale
// mirror, a replayed answer): it would bring back services that have moved since.
std::optional<QString> BootstrapRefresh::olderThanInUse(const Bootstrap &fetched) const
{
    const QDateTime &inUse = m_current.publication();
    if (!m_fromFile || !inUse.isValid() || !fetched.publication().isValid() || fetched.publication() >= inUse)
        return std::nullopt;
    return QStringLiteral("the file was published %1, before the one in use (%2)")
        .arg(fetched.publication().toString(Qt::ISODate), inUse.toString(Qt::ISODate));
}

void BootstrapRefresh::fail(const QString &reason)
{
    m_body.clear();
    m_next.start(std::min(m_settings.retryInterval, m_settings.interval));
    emit fetchFailed(reason);
}

// Written whole or not at all, so a crash or a full disk never leaves half a file for the next start.
void BootstrapRefresh::keep(const QByteArray &json)
{
    if (m_settings.cacheFolder.isEmpty())
        return;
    if (!QDir().mkpath(m_settings.cacheFolder)) {
        emit notKept(QStringLiteral("cannot make the folder %1").arg(m_settings.cacheFolder));
        return;
    }
    QSaveFile file(keptPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit())
        emit notKept(QStringLiteral("cannot write %1: %2").arg(keptPath(), file.errorString()));
}

} // namespace varnex::registrar
