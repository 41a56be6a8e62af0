#include "search/names_json.h"

#include "search/utf8_sequence.h"

#include <cstring>

namespace varnex {

namespace {

// Writes the escape of an ASCII byte that JSON cannot carry as it is; returns its length.
std::size_t writeEscape(char *out, unsigned char c)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out[0] = '\\';
    switch (c) {
    case '"':
        out[1] = '"';
        return 2;
    case '\\':
        out[1] = '\\';
        return 2;
    case '\b':
        out[1] = 'b';
        return 2;
    case '\f':
        out[1] = 'f';
        return 2;
    case '\n':
        out[1] = 'n';
        return 2;
    case '\r':
        out[1] = 'r';
        return 2;
    case '\t':
        out[1] = 't';
        return 2;
    default:
        out[1] = 'u';
        out[2] = '0';
        out[3] = '0';
        out[4] = kHex[c >> 4];
        out[5] = kHex[c & 0xF];
        return 6;
    }
}

} // namespace

void appendJsonString(ByteBuffer &buffer, std::string_view name)
{
    // At most six bytes for each byte of the name, and the two quotation marks.
    char *const start = buffer.room(6 * name.size() + 2);
    char *out = start;
    *out++ = '"';
    std::size_t plain = 0; // start of the bytes not yet copied
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\')
            continue;
        if (c >= 0x80) {
            const int length = utf8SequenceLength(name.substr(i));
            if (length > 1) { // valid UTF-8 goes out as it came
                i += std::size_t(length) - 1;
                continue;
            }
        }
        std::memcpy(out, name.data() + plain, i - plain);
        out += i - plain;
        plain = i + 1;
        if (c >= 0x80) { // the Latin-1 character of that number, in UTF-8
            *out++ = char(0xC0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3F));
        } else {
            out += writeEscape(out, c);
        }
    }
    std::memcpy(out, name.data() + plain, name.size() - plain);
    out += name.size() - plain;
    *out++ = '"';
    buffer.commit(static_cast<std::size_t>(out - start));
}

void NamesJson::found(std::string_view name)
{
    if (m_foundCount++ > 0)
        m_found.append(',');
    const std::size_t start = m_found.size();
    appendJsonString(m_found, name);
    // The endings are ASCII, and both decodings keep an ASCII byte as it is, so
    // the bytes' last three tell what the decoded name's last three would.
    if (isShown(name, m_ticked)) {
        if (m_shownCount++ > 0)
            m_shown.append(',');
        m_shown.append(m_found.view().substr(start));
    }
}

} // namespace varnex
