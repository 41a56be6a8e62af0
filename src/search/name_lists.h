#pragma once

#include "search/extension_filter.h"

#include <QStringList>

#include <string>
#include <vector>

namespace varnex {

// The scanned names as the lists show them, decoded from UTF-8.
QStringList decodeNames(const std::vector<std::string> &names);

// The found names whose endings are ticked, in found order, duplicates kept.
QStringList filterNames(const QStringList &found, const TickedExtensions &ticked);

} // namespace varnex
