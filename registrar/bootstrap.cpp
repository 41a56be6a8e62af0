#include "bootstrap.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace varnex::registrar {

std::optional<Bootstrap> Bootstrap::fromJson(const QByteArray &json, QString *error)
{
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
    for (const QJsonValue &service : services.toArray()) {
        const QJsonArray pair = service.toArray();
        if (pair.size() != 2 || !pair[0].isArray() || !pair[1].isArray())
            return fail(QStringLiteral("a service is not a pair of lists"));
        std::optional<QUrl> chosen;
        for (const QJsonValue &value : pair[1].toArray()) {
            const QUrl url(value.toString(), QUrl::StrictMode);
            if (!url.isValid() || !url.path().endsWith(QLatin1Char('/'))
                || (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")))
                continue;
            if (!chosen || (url.scheme() == QLatin1String("https") && chosen->scheme() != QLatin1String("https")))
                chosen = url;
        }
        if (!chosen)
            return fail(QStringLiteral("a service has no usable base URL ending in /"));
        for (const QJsonValue &ending : pair[0].toArray())
            bootstrap.m_bases.insert(ending.toString().toLower(), *chosen);
    }
    return bootstrap;
}

std::optional<Bootstrap> Bootstrap::fromFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return fromJson(file.read(1 << 20), error);
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

} // namespace varnex::registrar
