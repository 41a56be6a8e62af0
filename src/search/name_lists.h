#pragma once

#include "search/extension_filter.h"

#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

namespace varnex {

// A scanned name as the lists show it: UTF-8 where its bytes are valid UTF-8,
// and each other byte as the Latin-1 character of the same number, so no
// character is lost or replaced and a byte-order mark stays.
QString decodeName(std::string_view name);
QStringList decodeNames(const std::vector<std::string> &names);

// The found names whose endings are ticked, in found order, duplicates kept.
QStringList filterNames(const QStringList &found, const TickedExtensions &ticked);

} // namespace varnex
