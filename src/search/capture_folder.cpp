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

QString chooseCaptureFolder(const QString &programFolder, const QString &cacheFolder)
{
    const QFileInfo program(programFolder);
    if (program.isDir() && program.isWritable())
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
