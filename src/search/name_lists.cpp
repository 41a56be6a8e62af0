#include "search/name_lists.h"

namespace varnex {

QStringList decodeNames(const std::vector<std::string> &names)
{
    QStringList decoded;
    decoded.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string &name : names)
        decoded.append(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
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
