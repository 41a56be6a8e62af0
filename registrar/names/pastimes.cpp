#include "names/pastimes.h"

#include "names/curated_relatives.h"

#include <algorithm>
#include <array>
#include <utility>

namespace varnex::registrar {

std::optional<Pastimes> readPastimes(std::string_view text, QString *error)
{
    // Same lines as the relatives: a word, a tab, words; here exactly one, a kind.
    const std::optional<CuratedRelatives> lines = readCuratedRelatives(text, error, "pastimes");
    if (!lines)
        return std::nullopt;
    static constexpr std::array<std::pair<std::string_view, Field>, 5> kKinds{{
        {"sport", Field::Hobby},
        {"outdoors", Field::Outdoors},
        {"craft", Field::Craft},
        {"study", Field::Study},
        {"game", Field::Game},
    }};
    Pastimes pastimes;
    for (const auto &line : *lines) {
        const std::string &word = line.first;
        const std::vector<std::string> &kinds = line.second;
        const auto kind = std::find_if(kKinds.begin(), kKinds.end(),
                                       [&](const auto &known) { return kinds.size() == 1 && kinds[0] == known.first; });
        if (kind == kKinds.end()) {
            if (error)
                *error = QStringLiteral("pastimes: \"%1\" has no one kind of sport, outdoors, craft, study or game")
                             .arg(QString::fromStdString(word));
            return std::nullopt;
        }
        pastimes.emplace(word, kind->second);
    }
    return pastimes;
}

} // namespace varnex::registrar
