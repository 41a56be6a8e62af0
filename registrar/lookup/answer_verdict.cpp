#include "lookup/answer_verdict.h"

#include "lookup/json_members.h"
#include "lookup/request_target.h"
#include "lookup/retry_after.h"

#include <QJsonArray>
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

bool sameName(const QString &name, QLatin1String expected)
{
    return name.trimmed().compare(expected, Qt::CaseInsensitive) == 0;
}

// A domain object, or a domain's name, anywhere in the value: however its
// members are written, and however deep it lies.
bool holdsDomain(const QJsonValue &value)
{
    if (value.isArray()) {
        const QJsonArray array = value.toArray();
        return std::any_of(array.begin(), array.end(), [](const QJsonValue &item) { return holdsDomain(item); });
    }
    const QJsonObject object = value.toObject();
    for (auto member = object.begin(); member != object.end(); ++member) {
        const QString &name = member.key();
        if (sameName(name, QLatin1String("ldhName")) || sameName(name, QLatin1String("unicodeName")))
            return true;
        if (sameName(name, QLatin1String("objectClassName")) && sameName(member->toString(), QLatin1String("domain")))
            return true;
        if (holdsDomain(member.value()))
            return true;
    }
    return false;
}

// The body as an RDAP object: JSON that is one object and names no member twice.
std::optional<QJsonObject> rdapObject(const QByteArray &body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject() || jsonMembersOf(body).repeated)
        return std::nullopt;
    return document.object();
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
    const std::optional<QJsonObject> object = rdapObject(answer.body);
    if (!object)
        return QStringLiteral("the registry's 404 is not an RDAP object");
    if (holdsDomain(*object))
        return QStringLiteral("the registry's answer contradicts itself");
    return std::nullopt;
}

// Only what cannot be read two ways: a server may decode %2F or %5C into a
// path separator, or resolve dot segments, after we have read the path.
bool isPlainTarget(const QByteArray &location)
{
    if (location.isEmpty() || location.contains('%') || location.contains('\\') || location.contains('?')
        || location.contains('#'))
        return false;
    const bool oddByte = std::any_of(location.begin(), location.end(), [](char c) {
        return static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7f;
    });
    if (oddByte)
        return false;
    const QList<QByteArray> segments = location.split('/');
    return std::none_of(segments.begin(), segments.end(),
                        [](const QByteArray &segment) { return segment == "." || segment == ".."; });
}

// The redirect target is, byte for byte as it will be sent, one of the
// ending's base URLs followed by "domain/" and the name asked.
bool asksTheSameQuestion(const QUrl &target, const AskedQuestion &asked)
{
    if (!target.isValid() || !target.userInfo().isEmpty() || target.hasQuery() || target.hasFragment())
        return false;
    const QByteArray sent = requestTarget(target);
    return std::any_of(asked.bases.begin(), asked.bases.end(), [&](const QUrl &base) {
        const QByteArray expected = requestTarget(base) + "domain/";
        return origin(base) == origin(target) && sent.startsWith(expected)
               && QString::fromLatin1(sent.mid(expected.size())).compare(asked.domain, Qt::CaseInsensitive) == 0;
    });
}

Verdict onNotFound(const RegistryAnswer &answer)
{
    if (const std::optional<QString> problem = notFoundBodyProblem(answer))
        return unusable(*problem);
    return settled({State::NotRegistered, {}});
}

Verdict onDomainObject(const RegistryAnswer &answer, const AskedQuestion &asked)
{
    const QJsonObject object = rdapObject(answer.body).value_or(QJsonObject());
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
    if (!isPlainTarget(answer.location) || !asksTheSameQuestion(target, asked))
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
