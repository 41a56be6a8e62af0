#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>

namespace varnex {

// The capture file and its cleaned copy, by their fixed names in a folder.
struct CaptureFiles {
    QString capture; // the page as received
    QString cleaned; // the same without CR and LF

    static CaptureFiles in(const QString &folder);
};

// Where an installed copy of the program lives: the system's program and data
// folders and the folder this build installs its programs into. Scratch files
// never go there, whoever runs the program (root could write to them).
QStringList installedLocations();

// Whether a folder is one of the roots or lies below one, symbolic links resolved.
bool isUnderAny(const QString &folder, const QStringList &roots);

// The folder the capture files go to: the program's own folder when it can be
// written and is not an installed location (a build or unpacked copy),
// otherwise the per-user cache folder, which is created if need be.
QString chooseCaptureFolder(const QString &programFolder, const QString &cacheFolder,
                            const QStringList &installed = installedLocations());

// chooseCaptureFolder() for this program.
QString defaultCaptureFolder();

// A Qt path as the scan's file functions take it, in the local 8-bit encoding.
std::filesystem::path localPath(const QString &path);

} // namespace varnex
