#pragma once

namespace varnex {

// The maker's web host: the status line shows it at start and every web page
// the program opens lies on it.
inline constexpr char kMakerHost[] = "www.ormbrook.com";

} // namespace varnex
