#pragma once

// Relatives written down by hand for words WordNet relates poorly in their
// field: "footcare" for a podiatrist, "movies" for a cinema, "lamp" for a
// lantern. One line a word: the word, a tab, its relatives best first.

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace varnex::registrar {

using CuratedRelatives = std::unordered_map<std::string, std::vector<std::string>>;

// The list in `text`; an empty optional, with `error` naming the list and the
// line, when a line is not a word, a tab and words of a to z, or a word comes twice.
std::optional<CuratedRelatives> readCuratedRelatives(std::string_view text, QString *error = nullptr,
                                                     const char *list = "relatives");

// The words that fit a word's field, written the same way, each with the side it
// joins marked as the field heads are: "marketing<TAB>-agency -digital",
// "dentist<TAB>smile-". Refused as above, and where a word is not one affix.
std::optional<CuratedRelatives> readFieldWords(std::string_view text, QString *error = nullptr);

} // namespace varnex::registrar
