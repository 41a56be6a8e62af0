#include "app/cache_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace varnex::registrar {

QString cacheFolder()
{
    const QString given = qEnvironmentVariable("CACHE_DIRECTORY").section(QLatin1Char(':'), 0, 0);
    if (!given.isEmpty())
        return given;
    // Without a home folder Qt names one below the root, which is no user's own: nothing is kept then.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty() || QDir::homePath() == QDir::rootPath())
        return {};
    return cache + QStringLiteral("/varnex-registrar");
}

QString prepareCacheFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return QStringLiteral("the cache folder %1 cannot be made").arg(folder);
    if (!QFileInfo(folder).isWritable())
        return QStringLiteral("the cache folder %1 cannot be written").arg(folder);
    return {};
}

} // namespace varnex::registrar
