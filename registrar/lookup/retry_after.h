#pragma once

#include <QByteArray>
#include <QDateTime>

namespace varnex::registrar {

// When a registry that answered 429 may be asked again: Retry-After in seconds
// or as an HTTP date in any of its three forms; missing or unreadable means a
// minute, and no wait is longer than an hour.
QDateTime retryAfter(const QByteArray &value, const QDateTime &now);

} // namespace varnex::registrar
