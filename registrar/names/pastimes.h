#pragma once

// Pastimes written down by hand with their kind, for words WordNet files as a
// thing or a science: "pottery" the craft, not the ware; "astronomy" pursued
// with a society, not a discipline. One line a pastime: its letters joined
// ("birdwatching"), a tab, and sport, outdoors, craft, study or game.

#include "names/word_field.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace varnex::registrar {

using Pastimes = std::unordered_map<std::string, Field>;

// The list in `text`; an empty optional, with `error` naming the line, when a
// line is not a word, a tab and one kind, or a word comes twice.
std::optional<Pastimes> readPastimes(std::string_view text, QString *error = nullptr);

} // namespace varnex::registrar
