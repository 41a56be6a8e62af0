#include "search/request_url.h"

namespace varnex {

QUrl whoisRequestUrl(const QString &registrarHost, const QString &typedName)
{
    QString query = typedName;
    query.removeIf([](QChar character) { return character.isSpace(); });
    const QByteArray encoded = QUrl::toPercentEncoding(query);
    return QUrl::fromEncoded("http://" + registrarHost.toUtf8() + "/whois.cgi?vhost_name=" + encoded, QUrl::StrictMode);
}

} // namespace varnex
