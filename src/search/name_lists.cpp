#include "search/name_lists.h"

namespace varnex {

namespace {

// The length of the well-formed UTF-8 sequence at the start of `bytes` (1 to 4),
// or 0 when there is none: no overlong forms, no surrogates, nothing past U+10FFFF.
int utf8SequenceLength(std::string_view bytes)
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

} // namespace

QString decodeName(std::string_view name)
{
    QString decoded;
    decoded.reserve(static_cast<qsizetype>(name.size()));
    while (!name.empty()) {
        const auto lead = static_cast<unsigned char>(name.front());
        const int length = utf8SequenceLength(name);
        if (length <= 1) { // ASCII, or a byte that starts no UTF-8 character: Latin-1
            decoded.append(QChar(char16_t(lead)));
            name.remove_prefix(1);
            continue;
        }
        char32_t code = lead & (0x7F >> length);
        for (int i = 1; i < length; ++i)
            code = (code << 6) | (static_cast<unsigned char>(name[std::size_t(i)]) & 0x3F);
        for (const char16_t unit : QChar::fromUcs4(code))
            decoded.append(QChar(unit));
        name.remove_prefix(std::size_t(length));
    }
    return decoded;
}

QStringList decodeNames(const std::vector<std::string> &names)
{
    QStringList decoded;
    decoded.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string &name : names)
        decoded.append(decodeName(name));
    return decoded;
}

QStringList filterNames(const QStringList &found, const TickedExtensions &ticked)
{
    QStringList shown;
    for (const QString &name : found) {
        if (isShown(std::u16string_view(reinterpret_cast<const char16_t *>(name.utf16()),
                                        static_cast<std::size_t>(name.size())),
                    ticked))
            shown.append(name);
    }
    return shown;
}

} // namespace varnex
