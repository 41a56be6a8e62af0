#pragma once

#include <QString>

namespace varnex::registrar {

// Where the service keeps what it fetched: $CACHE_DIRECTORY, which systemd's
// CacheDirectory= sets (the first, if it names several), else the user's cache
// folder (~/.cache/varnex-registrar); empty when there is none.
QString cacheFolder();

// Makes the folder if it is missing. Empty when it can be written; otherwise why not.
QString prepareCacheFolder(const QString &folder);

} // namespace varnex::registrar
