#include "search/names_json.h"

#include "search/utf8_sequence.h"

namespace varnex {

namespace {

void appendEscape(std::string &out, unsigned char c)
{
    static constexpr char kHex[] = "0123456789abcdef";
    switch (c) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\b': out += "\\b"; break;
    case '\f': out += "\\f"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default: {
        const char escape[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
        out.append(escape, sizeof escape);
    }
    }
}

} // namespace

void appendJsonString(std::string &out, std::string_view name)
{
    out += '"';
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
        out.append(name.data() + plain, i - plain);
        plain = i + 1;
        if (c >= 0x80) { // the Latin-1 character of that number, in UTF-8
            const char latin1[] = {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
            out.append(latin1, sizeof latin1);
        } else {
            appendEscape(out, c);
        }
    }
    out.append(name.data() + plain, name.size() - plain);
    out += '"';
}

NamesJson::NamesJson(const TickedExtensions &ticked, std::size_t room) : m_ticked(ticked)
{
    m_found.reserve(room);
    m_shown.reserve(room);
}

void NamesJson::found(std::string_view name)
{
    if (m_foundCount++ > 0)
        m_found += ',';
    const std::size_t start = m_found.size();
    appendJsonString(m_found, name);
    // The endings are ASCII, and both decodings keep an ASCII byte as it is, so
    // the bytes' last three tell what the decoded name's last three would.
    if (isShown(name, m_ticked)) {
        if (m_shownCount++ > 0)
            m_shown += ',';
        m_shown.append(m_found, start, m_found.size() - start);
    }
}

} // namespace varnex
