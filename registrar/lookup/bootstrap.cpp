#include "lookup/bootstrap.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace varnex::registrar {

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
        std::optional<QUrl> chosen;
        for (const QJsonValue &value : pair[1].toArray()) {
            QUrl url(value.toString(), QUrl::StrictMode);
            if (!url.isValid() || url.host().isEmpty()
                || (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")))
                continue;
            // IANA's files have carried base URLs without the final slash.
            if (!url.path().endsWith(QLatin1Char('/')))
                url.setPath(url.path() + QLatin1Char('/'));
            if (!chosen || (url.scheme() == QLatin1String("https") && chosen->scheme() != QLatin1String("https")))
                chosen = url;
        }
        QStringList endings;
        for (const QJsonValue &ending : pair[0].toArray())
            endings.append(ending.toString().toLower());
        if (!chosen) {
            warn(QStringLiteral("skipped %1: no usable base URL").arg(endings.join(QLatin1Char(' '))));
            continue;
        }
        for (const QString &ending : endings)
            bootstrap.m_bases.insert(ending, *chosen);
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
    const auto found = m_bases.constFind(domain.section(QLatin1Char('.'), -1).toLower());
    if (found == m_bases.constEnd())
        return std::nullopt;
    return *found;
}

void Bootstrap::addMissing(const Bootstrap &fallback)
{
    for (auto it = fallback.m_bases.constBegin(); it != fallback.m_bases.constEnd(); ++it) {
        if (!m_bases.contains(it.key()))
            m_bases.insert(it.key(), it.value());
    }
}

} // namespace varnex::registrar
