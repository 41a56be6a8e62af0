#pragma once

#include "search/extension_filter.h"

#include <QStringList>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace varnex {

// A scanned name as the lists show it: UTF-8 where its bytes are valid UTF-8,
// and each other byte as the Latin-1 character of the same number, so no
// character is lost or replaced and a byte-order mark stays.
QString decodeName(std::string_view name);
QStringList decodeNames(const std::vector<std::string> &names);

// The page scan of the capture file, each name decoded as it is found, so the
// names go into the list without a byte copy of each in between. Throws
// SearchError on a file error.
QStringList scanCaptureNames(const std::filesystem::path &capture);

// The found names whose endings are ticked, in found order, duplicates kept.
QStringList filterNames(const QStringList &found, const TickedExtensions &ticked);

} // namespace varnex
