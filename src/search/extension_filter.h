#pragma once

#include "shared/endings.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <string_view>

namespace varnex {

// One row of the ending table: the check box's caption and the last three
// characters a name must end with. ".info" is cut to "nfo" and ".us" keeps its
// dot, so every test is on exactly three characters.
struct ExtensionRow {
    std::string_view caption;
    std::string_view ending;
};

// In the order of the tests, which is also the order of the check boxes.
inline constexpr std::array<ExtensionRow, 6> kExtensionTable{{
    {".com", "com"},
    {".net", "net"},
    {".org", "org"},
    {".biz", "biz"},
    {".info", "nfo"},
    {".us", ".us"},
}};

// The table is the shared endings, each with its dot as caption and its last
// three characters as the test.
constexpr bool tableFollowsEndings()
{
    for (std::size_t i = 0; i < kEndings.size(); ++i) {
        const ExtensionRow &row = kExtensionTable[i];
        if (row.caption.substr(1) != kEndings[i] || row.caption.front() != '.' || !row.caption.ends_with(row.ending)
            || row.ending.size() != 3)
            return false;
    }
    return kExtensionTable.size() == kEndings.size();
}
static_assert(tableFollowsEndings());

// Bit i is set when the box of kExtensionTable[i] is ticked.
using TickedExtensions = std::bitset<kExtensionTable.size()>;

// True when the name's last three characters are the ending of a ticked row.
// Exact and case-sensitive; a name shorter than three characters matches nothing.
// Works on UTF-8 bytes and on UTF-16 code units alike: the endings are ASCII, and
// no multi-unit character contains an ASCII unit.
template <typename Char>
bool isShown(std::basic_string_view<Char> name, const TickedExtensions &ticked)
{
    if (name.size() < 3)
        return false;
    const Char *tail = name.data() + name.size() - 3;
    for (std::size_t row = 0; row < kExtensionTable.size(); ++row) {
        const std::string_view ending = kExtensionTable[row].ending;
        if (ticked.test(row) && tail[0] == Char(ending[0]) && tail[1] == Char(ending[1]) && tail[2] == Char(ending[2]))
            return true;
    }
    return false;
}

// Parses a comma-separated list of endings without dots, e.g. "com,info".
// Returns false on an unknown or empty item.
bool parseExtensionList(std::string_view list, TickedExtensions &ticked);

} // namespace varnex
