#include "lookup/bootstrap.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace varnex::registrar {

namespace {

bool isHttps(const QUrl &url)
{
    return url.scheme() == QLatin1String("https");
}

// The entry's base URLs that can be used, in its order: its https ones, or its
// plain http ones only when it gives no https one.
QList<QUrl> usableBases(const QJsonArray &urls)
{
    QList<QUrl> bases;
    for (const QJsonValue &value : urls) {
        QUrl url(value.toString(), QUrl::StrictMode);
        if (!url.isValid() || url.host().isEmpty() || (!isHttps(url) && url.scheme() != QLatin1String("http")))
            continue;
        // IANA's files have carried base URLs without the final slash.
        if (!url.path().endsWith(QLatin1Char('/')))
            url.setPath(url.path() + QLatin1Char('/'));
        bases.append(url);
    }
    if (std::any_of(bases.cbegin(), bases.cend(), isHttps))
        bases.removeIf([](const QUrl &url) { return !isHttps(url); });
    return bases;
}

} // namespace

std::optional<Bootstrap> Bootstrap::fromJson(const QByteArray &json, QString *error, QStringList *warnings)
{
    auto warn = [warnings](const QString &warning) {
        if (warnings)
            warnings->append(warning);
    };
    auto fail = [&](const QString &why) -> std::optional<Bootstrap> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (!document.isObject())
        return fail(QStringLiteral("not a JSON object: %1").arg(parseError.errorString()));
    const QJsonValue services = document.object().value(QLatin1String("services"));
    if (!services.isArray())
        return fail(QStringLiteral("no \"services\" array"));

    Bootstrap bootstrap;
    bootstrap.m_publication =
        QDateTime::fromString(document.object().value(QLatin1String("publication")).toString(), Qt::ISODate);
    for (const QJsonValue &service : services.toArray()) {
        const QJsonArray pair = service.toArray();
        if (pair.size() != 2 || !pair[0].isArray() || !pair[1].isArray()) {
            warn(QStringLiteral("skipped a service that is not a pair of lists"));
            continue;
        }
        QStringList endings;
        for (const QJsonValue &ending : pair[0].toArray())
            endings.append(ending.toString().toLower());
        const QList<QUrl> bases = usableBases(pair[1].toArray());
        if (bases.isEmpty()) {
            warn(QStringLiteral("skipped %1: no usable base URL").arg(endings.join(QLatin1Char(' '))));
            continue;
        }
        for (const QString &ending : endings) {
            // A later entry must not quietly move an ending elsewhere.
            if (bootstrap.m_bases.contains(ending))
                warn(QStringLiteral("%1 is listed again: its first entry is kept").arg(ending));
            else
                bootstrap.m_bases.insert(ending, bases);
        }
    }
    return bootstrap;
}

std::optional<Bootstrap> Bootstrap::fromFile(const QString &path, QString *error, QStringList *warnings)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return fromJson(file.readAll(), error, warnings);
}

Bootstrap Bootstrap::bundled()
{
    QString error;
    std::optional<Bootstrap> bootstrap = fromFile(QStringLiteral(":/registrar/bootstrap.json"), &error);
    if (!bootstrap)
        qFatal("the built-in bootstrap file is broken: %s", qPrintable(error));
    return *bootstrap;
}

std::optional<QUrl> Bootstrap::baseFor(const QString &domain) const
{
    const QList<QUrl> bases = basesFor(domain);
    if (bases.isEmpty())
        return std::nullopt;
    return bases.constFirst();
}

QList<QUrl> Bootstrap::basesFor(const QString &domain) const
{
    return m_bases.value(domain.section(QLatin1Char('.'), -1).toLower());
}

void Bootstrap::addMissing(const Bootstrap &fallback)
{
    for (auto it = fallback.m_bases.constBegin(); it != fallback.m_bases.constEnd(); ++it) {
        if (!m_bases.contains(it.key()))
            m_bases.insert(it.key(), it.value());
    }
}

} // namespace varnex::registrar
