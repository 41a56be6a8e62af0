#include "search/name_lists.h"

#include "search/page_scan.h"
#include "search/utf8_sequence.h"

#include <algorithm>

namespace varnex {

namespace {

// Appends each found name, decoded, to a list.
class DecodingSink final : public NameSink {
public:
    void found(std::string_view name) override { names.append(decodeName(name)); }
    QStringList names;
};

} // namespace

QString decodeName(std::string_view name)
{
    // Names are ASCII nearly always, and ASCII is its own Latin-1.
    if (std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
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

QStringList scanCaptureNames(const std::filesystem::path &capture)
{
    DecodingSink sink;
    scanCaptureFile(capture, sink);
    return std::move(sink.names);
}

QString visibleText(const QString &name)
{
    const auto acts = [](char32_t point) {
        const QChar::Category category = QChar::category(point);
        return category == QChar::Other_Format || category == QChar::Other_Control;
    };
    const QList<uint> points = name.toUcs4();
    if (std::none_of(points.begin(), points.end(), acts))
        return name;
    QString shown;
    for (const char32_t point : points) {
        if (acts(point))
            shown +=
                QStringLiteral("\\u%1").arg(QString::number(point, 16).toUpper().rightJustified(4, QLatin1Char('0')));
        else
            shown += QString::fromUcs4(&point, 1);
    }
    return shown;
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
