#pragma once

#include <QAbstractSocket>
#include <QString>

#include <optional>

namespace varnex::registrar {

// Why a registry's TLS certificate was refused (wrong host, expired, unknown
// authority...), when that is why the socket failed; nothing otherwise. A
// refused certificate is no network fault, and the page says so apart.
std::optional<QString> certificateRefusal(const QAbstractSocket &socket);

} // namespace varnex::registrar
