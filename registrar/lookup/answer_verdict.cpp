#include "lookup/answer_verdict.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTimeZone>

#include <algorithm>

namespace varnex::registrar {

namespace {

using Failure = Availability::Failure;
using State = Availability::State;

constexpr qint64 kDefaultRetryAfterSeconds = 60;
constexpr qint64 kLongestRetryAfterSeconds = 3600;

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

QString origin(const QUrl &url)
{
    return url.scheme() + QLatin1String("://") + url.host() + QLatin1Char(':')
           + QString::number(url.port(url.scheme() == QLatin1String("https") ? 443 : 80));
}

Availability unusable(const QString &why)
{
    return Availability::unchecked(Failure::BadAnswer, why);
}

bool isJsonType(const QByteArray &contentType)
{
    const QByteArray type = contentType.split(';').constFirst().trimmed().toLower();
    return type == "application/rdap+json" || type == "application/json";
}

// An RDAP object of the domain class, however its name is written, or one that carries a domain's names.
bool describesDomain(const QJsonObject &object)
{
    return object.value(QLatin1String("objectClassName")).toString().compare(QLatin1String("domain"), Qt::CaseInsensitive) == 0
           || object.contains(QLatin1String("ldhName")) || object.contains(QLatin1String("unicodeName"));
}

// The body of a 404 that may say "not registered": nothing, or an RDAP error object.
std::optional<QString> notFoundBodyProblem(const RegistryAnswer &answer)
{
    if (answer.body.isEmpty())
        return std::nullopt;
    if (!isJsonType(answer.contentType))
        return QStringLiteral("the registry's 404 is not an RDAP answer (%1)")
            .arg(answer.contentType.isEmpty() ? QStringLiteral("no type") : QString::fromLatin1(answer.contentType.left(60)));
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

Verdict verdictOf(const RegistryAnswer &answer, const AskedQuestion &asked, int maxRedirects, const QDateTime &now)
{
    auto settled = [](Availability availability) { return Verdict{Verdict::Next::Settled, std::move(availability)}; };
    if (!answer.complete)
        return settled(unusable(QStringLiteral("the registry's answer may be cut off")));
    // Only a domain object names its question; any other answer on a reused
    // connection may be one left over from an earlier question, so it is asked again where it cannot be.
    if (!answer.bound && answer.status != 200) {
        if (asked.onNewConnection)
            return settled(unusable(QStringLiteral("the registry's answer could not be tied to the question")));
        return {Verdict::Next::AskOnNewConnection};
    }
    switch (answer.status) {
    case 404:
        if (const std::optional<QString> problem = notFoundBodyProblem(answer))
            return settled(unusable(*problem));
        return settled({State::NotRegistered, {}});
    case 200: {
        const QJsonObject object = QJsonDocument::fromJson(answer.body).object();
        if (object.value(QLatin1String("objectClassName")).toString() != QLatin1String("domain"))
            return settled(unusable(QStringLiteral("the registry's answer is not a domain object")));
        QString ldhName = object.value(QLatin1String("ldhName")).toString().toLower();
        if (ldhName.endsWith(QLatin1Char('.')))
            ldhName.chop(1);
        if (ldhName != asked.domain)
            return settled(unusable(QStringLiteral("the registry answered for another name")));
        return settled({State::Registered, {}});
    }
    case 400:
        return settled({State::Invalid, QStringLiteral("the registry calls this name invalid")});
    case 429: {
        Verdict verdict = settled({});
        verdict.quietUntil = retryAfter(answer.retryAfter, now);
        verdict.availability = Availability::busy(QStringLiteral("the registry asked to slow down"),
                                                  std::chrono::seconds(std::max<qint64>(1, now.secsTo(verdict.quietUntil))));
        return verdict;
    }
    case 301:
    case 302:
    case 303:
    case 307:
    case 308: {
        const QUrl target = asked.url.resolved(QUrl(QString::fromLatin1(answer.location), QUrl::StrictMode));
        if (!asksTheSameQuestion(target, asked))
            return settled(unusable(QStringLiteral("the registry sent the question elsewhere")));
        if (asked.redirects >= maxRedirects)
            return settled(unusable(QStringLiteral("too many redirects")));
        return {Verdict::Next::Follow, {}, target};
    }
    case 0:
        return settled(unusable(QStringLiteral("the registry's answer has no plain status")));
    default:
        return settled(unusable(QStringLiteral("the registry answered HTTP %1").arg(answer.status)));
    }
}

} // namespace varnex::registrar
