#pragma once

#include "search/extension_filter.h"
#include "search/page_scan.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace varnex {

// Appends `name` as a JSON string, decoded as the lists show it (UTF-8 where its
// bytes are valid UTF-8, each other byte as the Latin-1 character of the same
// number) and written as UTF-8 with the escapes of Qt's JSON writer: \" \\ \b \f
// \n \r \t, other control characters as \u00xx, everything else as it is.
void appendJsonString(std::string &out, std::string_view name);

// The found names and the shown ones as the items of two JSON arrays (the
// strings with commas between them, no brackets), written straight from the
// scanned bytes as they arrive: a shown name is escaped once and copied.
class NamesJson final : public NameSink {
public:
    // `room`: bytes to set aside for each array up front, so that growing does not
    // copy them (only what is written is ever touched).
    NamesJson(const TickedExtensions &ticked, std::size_t room);

    void found(std::string_view name) override;

    std::string_view foundItems() const { return m_found; }
    std::string_view shownItems() const { return m_shown; }
    std::size_t foundCount() const { return m_foundCount; }
    std::size_t shownCount() const { return m_shownCount; }

private:
    TickedExtensions m_ticked;
    std::string m_found;
    std::string m_shown;
    std::size_t m_foundCount = 0;
    std::size_t m_shownCount = 0;
};

} // namespace varnex
