#pragma once

#include <QByteArray>
#include <QUrl>

namespace varnex::registrar {

// What both transports send for a registry's URL: the Host or :authority
// (port only when it is not the scheme's own), and the path with its query.
inline QByteArray authorityOf(const QUrl &base)
{
    const int defaultPort = base.scheme() == QLatin1String("https") ? 443 : 80;
    QByteArray host = base.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (base.port(defaultPort) != defaultPort)
        host += ':' + QByteArray::number(base.port());
    return host;
}

inline QByteArray requestTarget(const QUrl &url)
{
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    return target;
}

} // namespace varnex::registrar
