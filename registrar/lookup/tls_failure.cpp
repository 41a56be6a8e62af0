#include "lookup/tls_failure.h"

#include <QSslSocket>

namespace varnex::registrar {

std::optional<QString> certificateRefusal(const QAbstractSocket &socket)
{
    const auto *tls = qobject_cast<const QSslSocket *>(&socket);
    if (!tls || socket.error() != QAbstractSocket::SslHandshakeFailedError)
        return std::nullopt;
    const QList<QSslError> errors = tls->sslHandshakeErrors();
    if (errors.isEmpty())
        return std::nullopt; // the handshake failed on something else than the certificate
    return QStringLiteral("the registry's certificate could not be verified (%1)")
        .arg(errors.constFirst().errorString());
}

} // namespace varnex::registrar
