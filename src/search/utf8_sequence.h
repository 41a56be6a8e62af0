#pragma once

#include <string_view>

namespace varnex {

// The length of the well-formed UTF-8 sequence at the start of `bytes` (1 to 4),
// or 0 when there is none: no overlong forms, no surrogates, nothing past U+10FFFF.
inline int utf8SequenceLength(std::string_view bytes)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < std::size_t(length) || byte(1) < low || byte(1) > high)
        return 0;
    for (int i = 2; i < length; ++i) {
        if (byte(std::size_t(i)) < 0x80 || byte(std::size_t(i)) > 0xBF)
            return 0;
    }
    return length;
}

} // namespace varnex
