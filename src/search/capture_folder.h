#pragma once

#include <QString>

#include <filesystem>

namespace varnex {

// The capture file and its cleaned copy, by their fixed names in a folder.
struct CaptureFiles {
    QString capture; // the page as received
    QString cleaned; // the same without CR and LF

    static CaptureFiles in(const QString &folder);
};

// The folder the capture files go to: the program's own folder when it can be
// written, otherwise (an installed copy under /usr) the per-user cache folder,
// which is created if need be.
QString chooseCaptureFolder(const QString &programFolder, const QString &cacheFolder);

// chooseCaptureFolder() for this program.
QString defaultCaptureFolder();

// A Qt path as the scan's file functions take it, in the local 8-bit encoding.
std::filesystem::path localPath(const QString &path);

} // namespace varnex
