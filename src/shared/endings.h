#pragma once

#include <array>
#include <string_view>

namespace varnex {

// The six endings Varnex knows, in the order of the window's boxes and of the
// registrar page's list. The window filters on them and the registrar checks
// them, so both read them from here.
inline constexpr std::array<std::string_view, 6> kEndings{"com", "net", "org", "biz", "info", "us"};

} // namespace varnex
