#include "search/capture_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace varnex {

CaptureFiles CaptureFiles::in(const QString &folder)
{
    const QDir dir(folder);
    return {dir.filePath(QStringLiteral("chkdom.tmp")), dir.filePath(QStringLiteral("clean.tmp"))};
}

QStringList installedLocations()
{
    return {QStringLiteral("/usr"), QStringLiteral("/bin"),   QStringLiteral("/sbin"),
            QStringLiteral("/lib"), QStringLiteral("/lib64"), QStringLiteral("/opt"),
            QStringLiteral("/etc"), QStringLiteral("/boot"),  QStringLiteral(VARNEX_INSTALL_BINDIR)};
}

bool isUnderAny(const QString &folder, const QStringList &roots)
{
    const QFileInfo info(folder);
    const QString path = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
    for (const QString &root : roots) {
        const QFileInfo rootInfo(root);
        const QString rootPath = rootInfo.exists() ? rootInfo.canonicalFilePath() : QDir::cleanPath(root);
        if (rootPath.isEmpty())
            continue;
        if (path == rootPath || rootPath == QLatin1String("/") || path.startsWith(rootPath + QLatin1Char('/')))
            return true;
    }
    return false;
}

QString chooseCaptureFolder(const QString &programFolder, const QString &cacheFolder, const QStringList &installed)
{
    const QFileInfo program(programFolder);
    if (program.isDir() && program.isWritable() && !isUnderAny(programFolder, installed))
        return program.absoluteFilePath();
    QDir().mkpath(cacheFolder);
    return cacheFolder;
}

QString defaultCaptureFolder()
{
    return chooseCaptureFolder(QCoreApplication::applicationDirPath(),
                               QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
}

std::filesystem::path localPath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace varnex
