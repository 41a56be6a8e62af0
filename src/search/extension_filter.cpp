#include "search/extension_filter.h"

namespace varnex {

bool parseExtensionList(std::string_view list, TickedExtensions &ticked)
{
    ticked.reset();
    if (list.empty())
        return true;
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view item = list.substr(0, comma);
        bool known = false;
        for (std::size_t row = 0; row < kExtensionTable.size(); ++row) {
            if (kExtensionTable[row].caption.substr(1) == item) {
                ticked.set(row);
                known = true;
            }
        }
        if (!known)
            return false;
        if (comma == std::string_view::npos)
            return true;
        list.remove_prefix(comma + 1);
    }
}

} // namespace varnex
