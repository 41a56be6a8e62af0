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

// A name as a list draws it: a character that would act on the text around
// it instead of showing (bidirectional and other format controls, control
// characters) is written out as \uXXXX, so "rtl<U+202E>moc.us" cannot pass
// for "rtlsu.com". The list keeps the name itself, for the filter and a search.
QString visibleText(const QString &name);

// The found names whose endings are ticked, in found order, duplicates kept.
QStringList filterNames(const QStringList &found, const TickedExtensions &ticked);

} // namespace varnex
