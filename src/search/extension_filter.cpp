#include "search/extension_filter.h"

namespace varnex {

bool parseExtensionList(std::string_view list, TickedExtensions &ticked)
{
    ticked.reset();
    if (list.empty())
        return true;
    for (;;) {
        const std::size_t comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        // ".com" and "COM" name the same box as "com".
        if (item.starts_with('.'))
            item.remove_prefix(1);
        bool known = false;
        for (std::size_t row = 0; row < kExtensionTable.size(); ++row) {
            const std::string_view ending = kExtensionTable[row].caption.substr(1);
            const bool same = ending.size() == item.size()
                              && std::equal(ending.begin(), ending.end(), item.begin(), [](char a, char b) {
                                     return a == (b >= 'A' && b <= 'Z' ? char(b - 'A' + 'a') : b);
                                 });
            if (same) {
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
