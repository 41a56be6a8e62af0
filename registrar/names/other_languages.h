#pragma once

#include "names/word_field.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace varnex::registrar {

// The words of German, Spanish and French from Debian's word lists
// (wngerman, wspanish, wfrench), so a word of those languages is known as one
// and not split into English pieces ("fussball" is no "fuss ball"). Each word
// is kept as a 32-bit hash of its lower-case form, in its own letters and as
// typed without them ("fußball", "fussball"; "jardín", "jardin"): about 6 MB
// for the three lists. A word of none of them is taken for one about once in
// 3,000 (a made-up name then gets that language's short words).
class OtherLanguages final {
public:
    // Reads ngerman, spanish and french from `folder`; false, with `error`
    // set, when one cannot be read.
    bool load(const QString &folder, QString *error);

    // The language that lists a lower-case word (German first, then Spanish,
    // then French), or none. A German join of two listed words counts too,
    // unless `english` takes both for English words ("yoga" and "studio").
    std::optional<Field> languageOf(const QString &word, const std::function<bool(const QString &)> &english) const;
    bool lists(Field language, const QString &word) const;

    // The shop and its maker, each made from the other by the language's
    // usual ending, where its list holds the word: "panadero" for "panadería",
    // "boulanger" for "boulangerie", "metzger" for "metzgerei", and back.
    std::vector<QString> shopAndMaker(Field language, const QString &word) const;

private:
    std::array<std::vector<std::uint32_t>, 3> m_hashes; // German, Spanish, French; sorted
};

// The same kind of place named by a German join's kindred last words, best
// first: "sprachakademie", "sprachzentrum" for "sprachschule", as a school of
// languages or of dance goes by any of them. None for a word with no such last word.
QStringList kindredJoins(Field language, const QString &word);

} // namespace varnex::registrar
