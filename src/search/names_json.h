#pragma once

#include "search/byte_buffer.h"
#include "search/extension_filter.h"
#include "search/page_scan.h"

#include <cstddef>
#include <string_view>

namespace varnex {

// Appends `name` as a JSON string, decoded as the lists show it (UTF-8 where its
// bytes are valid UTF-8, each other byte as the Latin-1 character of the same
// number) and written as UTF-8 with the escapes of Qt's JSON writer: \" \\ \b \f
// \n \r \t, other control characters as \u00xx, everything else as it is.
void appendJsonString(ByteBuffer &out, std::string_view name);

// The found names and the shown ones as the items of two JSON arrays (the
// strings with commas between them, no brackets), written straight from the
// scanned bytes as they arrive: a shown name is escaped once and copied.
class NamesJson final : public NameSink {
public:
    explicit NamesJson(const TickedExtensions &ticked) : m_ticked(ticked) { }

    void found(std::string_view name) override;

    std::string_view foundItems() const { return m_found.view(); }
    std::string_view shownItems() const { return m_shown.view(); }
    std::size_t foundCount() const { return m_foundCount; }
    std::size_t shownCount() const { return m_shownCount; }

private:
    TickedExtensions m_ticked;
    ByteBuffer m_found;
    ByteBuffer m_shown;
    std::size_t m_foundCount = 0;
    std::size_t m_shownCount = 0;
};

} // namespace varnex
