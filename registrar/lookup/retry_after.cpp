#include "lookup/retry_after.h"

#include <QLocale>
#include <QString>
#include <QTimeZone>

#include <algorithm>

namespace varnex::registrar {

namespace {

constexpr qint64 kDefaultSeconds = 60;
constexpr qint64 kLongestSeconds = 3600;

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

bool isDigits(const QByteArray &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

QDateTime retryAfter(const QByteArray &value, const QDateTime &now)
{
    const QByteArray text = value.trimmed();
    if (isDigits(text)) {
        bool fits = false;
        const qint64 seconds = text.size() <= 18 ? text.toLongLong(&fits) : 0;
        return now.addSecs(fits ? std::min(seconds, kLongestSeconds) : kLongestSeconds);
    }
    const QDateTime date = httpDate(text);
    if (!date.isValid())
        return now.addSecs(kDefaultSeconds);
    return std::clamp(date, now, now.addSecs(kLongestSeconds));
}

} // namespace varnex::registrar
