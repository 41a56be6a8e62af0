#include "lookup/answer_verdict.h"

#include "lookup/retry_after.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <optional>

namespace varnex::registrar {

namespace {

using Failure = Availability::Failure;
using State = Availability::State;

QString origin(const QUrl &url)
{
    return url.scheme() + QLatin1String("://") + url.host() + QLatin1Char(':')
           + QString::number(url.port(url.scheme() == QLatin1String("https") ? 443 : 80));
}

Verdict settled(Availability availability)
{
    return {Verdict::Next::Settled, std::move(availability)};
}

Verdict unusable(const QString &why)
{
    return settled(Availability::unchecked(Failure::BadAnswer, why));
}

bool isJsonType(const QByteArray &contentType)
{
    const QByteArray type = contentType.split(';').constFirst().trimmed().toLower();
    return type == "application/rdap+json" || type == "application/json";
}

// An RDAP object of the domain class, however its name is written, or one that carries a domain's names.
bool describesDomain(const QJsonObject &object)
{
    return object.value(QLatin1String("objectClassName"))
                   .toString()
                   .compare(QLatin1String("domain"), Qt::CaseInsensitive)
               == 0
           || object.contains(QLatin1String("ldhName")) || object.contains(QLatin1String("unicodeName"));
}

// The body of a 404 that may say "not registered": nothing, or an RDAP error object.
std::optional<QString> notFoundBodyProblem(const RegistryAnswer &answer)
{
    if (answer.body.isEmpty())
        return std::nullopt;
    if (!isJsonType(answer.contentType))
        return QStringLiteral("the registry's 404 is not an RDAP answer (%1)")
            .arg(answer.contentType.isEmpty() ? QStringLiteral("no type")
                                              : QString::fromLatin1(answer.contentType.left(60)));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(answer.body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return QStringLiteral("the registry's 404 is not an RDAP object");
    if (describesDomain(document.object()))
        return QStringLiteral("the registry's answer contradicts itself");
    return std::nullopt;
}

// The redirect target still asks for this name's domain object, on the same origin.
bool asksTheSameQuestion(const QUrl &target, const AskedQuestion &asked)
{
    if (!target.isValid() || origin(target) != origin(asked.url) || target.hasQuery() || target.hasFragment())
        return false;
    const QStringList segments = target.path(QUrl::FullyDecoded).split(QLatin1Char('/'));
    return segments.size() >= 2 && segments.at(segments.size() - 2) == QLatin1String("domain")
           && segments.constLast().compare(asked.domain, Qt::CaseInsensitive) == 0;
}

Verdict onNotFound(const RegistryAnswer &answer)
{
    if (const std::optional<QString> problem = notFoundBodyProblem(answer))
        return unusable(*problem);
    return settled({State::NotRegistered, {}});
}

Verdict onDomainObject(const RegistryAnswer &answer, const AskedQuestion &asked)
{
    const QJsonObject object = QJsonDocument::fromJson(answer.body).object();
    if (object.value(QLatin1String("objectClassName")).toString() != QLatin1String("domain"))
        return unusable(QStringLiteral("the registry's answer is not a domain object"));
    QString ldhName = object.value(QLatin1String("ldhName")).toString().toLower();
    if (ldhName.endsWith(QLatin1Char('.')))
        ldhName.chop(1);
    if (ldhName != asked.domain)
        return unusable(QStringLiteral("the registry answered for another name"));
    return settled({State::Registered, {}});
}

Verdict onSlowDown(const RegistryAnswer &answer, const QDateTime &now)
{
    Verdict verdict = settled({});
    verdict.quietUntil = retryAfter(answer.retryAfter, now);
    verdict.availability =
        Availability::busy(QStringLiteral("the registry asked to slow down"),
                           std::chrono::seconds(std::max<qint64>(1, now.secsTo(verdict.quietUntil))));
    return verdict;
}

Verdict onRedirect(const RegistryAnswer &answer, const AskedQuestion &asked, int maxRedirects)
{
    const QUrl target = asked.url.resolved(QUrl(QString::fromLatin1(answer.location), QUrl::StrictMode));
    if (!asksTheSameQuestion(target, asked))
        return unusable(QStringLiteral("the registry sent the question elsewhere"));
    if (asked.redirects >= maxRedirects)
        return unusable(QStringLiteral("too many redirects"));
    return {Verdict::Next::Follow, {}, target};
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

Verdict verdictOf(const RegistryAnswer &answer, const AskedQuestion &asked, int maxRedirects, const QDateTime &now)
{
    if (!answer.complete)
        return unusable(QStringLiteral("the registry's answer may be cut off"));
    // Only a domain object names its question; any other answer on a reused
    // connection may be one left over from an earlier question, so it is asked again where it cannot be.
    if (!answer.bound && answer.status != 200) {
        if (asked.onNewConnection)
            return unusable(QStringLiteral("the registry's answer could not be tied to the question"));
        return {Verdict::Next::AskOnNewConnection};
    }
    if (isRedirect(answer.status))
        return onRedirect(answer, asked, maxRedirects);
    switch (answer.status) {
    case 404:
        return onNotFound(answer);
    case 200:
        return onDomainObject(answer, asked);
    case 400:
        return settled({State::Invalid, QStringLiteral("the registry calls this name invalid")});
    case 429:
        return onSlowDown(answer, now);
    case 0:
        return unusable(QStringLiteral("the registry's answer has no plain status"));
    default:
        return unusable(QStringLiteral("the registry answered HTTP %1").arg(answer.status));
    }
}

} // namespace varnex::registrar
