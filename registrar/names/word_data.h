#pragma once

// What WordKnowledge holds once loaded, shared by the files that read it:
// word_files (loading), word_knowledge (words and their commonness),
// word_number (singular and plural), word_split and word_relatives.

#include "names/curated_relatives.h"
#include "names/pastimes.h"
#include "names/other_languages.h"
#include "names/word_field.h"
#include "names/word_knowledge.h"
#include "names/wordnet_text.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace varnex::registrar {

// Shorter words count only from the lists of small words and name words.
constexpr size_t kMinPlainWord = 3;

// Words of a to z only: no proper noun, possessive, compound or accent.
inline bool isAz(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

inline bool isAz(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('a') && c <= QLatin1Char('z');
    });
}

struct WordKnowledge::Data {
    struct Entry {
        std::string word;
        int count = 0;
        bool common = false; // in the short list of common words
        bool operator<(const Entry &other) const { return word < other.word; }
    };
    std::vector<Entry> words; // sorted; the word list's a-z words and WordNet's counted lemmas
    // How often each sense of a lemma was tagged: "shop" as a store more than as a class.
    struct SenseCount {
        std::string lemma;
        int pos = wordnet::Noun;
        int sense = 0; // 1 for the first synset the index lists
        int count = 0;
        auto key() const { return std::tie(lemma, pos, sense); }
        bool operator<(const SenseCount &other) const { return key() < other.key(); }
    };
    std::vector<SenseCount> senseCounts;                               // sorted
    std::unordered_map<std::string, std::string> singularOf, pluralOf; // WordNet's irregular plurals
    std::array<std::unique_ptr<QFile>, wordnet::PosCount * 2> files;   // index then data, mapped
    std::array<std::string_view, wordnet::PosCount> index, data;
    OtherLanguages otherLanguages;
    CuratedRelatives curated;    // written by hand: field_relatives.txt
    CuratedRelatives fieldWords; // written by hand: field_words.txt
    Pastimes pastimes;           // written by hand: pastimes.txt

    // Words and how common they are (word_knowledge.cpp).
    const Entry *find(std::string_view word) const;
    int count(std::string_view word) const;
    // A word's count, or its singular's: "friends" is as common as "friend".
    int usage(std::string_view word) const;
    // Whether the word, or its singular, is on the short list of common words
    // ("bike", "venue"; not "ticker", "locus").
    bool common(std::string_view word) const;
    // Whether a piece of a label may stand as a word of it.
    bool splitWord(std::string_view word) const;
    // A word only the lists written by hand hold, unless it reads as words of the list of
    // three letters or more, the last maybe glue: "ramen", never "ra men"; "gelato", never
    // "gel a to"; "carwash" is still "car wash", "howto" "how to" (word_split.cpp).
    bool handWrittenWord(std::string_view word) const;
    // An "-ing" no list holds, of a noun or verb WordNet knows: "bouldering" (word_split.cpp).
    bool doingOfKnownWord(std::string_view word) const;
    // One who does what a verb WordNet knows names, no list holding the word:
    // "scaffolder", "groomer", "groomers" (word_split.cpp).
    bool doerOfKnownVerb(std::string_view word) const;
    // A place WordNet names in two words, joined, one of them in no word list:
    // "sandiego", "lasvegas" (word_split.cpp).
    bool joinedPlace(std::string_view word) const;
    int senseCount(const std::string &lemma, wordnet::Pos pos, int sense) const;

    // WordNet's senses.
    std::string_view indexLine(wordnet::Pos pos, std::string_view lemma) const
    {
        return wordnet::indexLine(index[pos], lemma);
    }
    std::vector<unsigned long> senses(wordnet::Pos pos, std::string_view lemma) const
    {
        return wordnet::senses(index[pos], lemma);
    }
    wordnet::Synset synset(wordnet::Pos pos, unsigned long offset) const { return wordnet::synset(data[pos], offset); }
    bool isNoun(std::string_view word) const { return !indexLine(wordnet::Noun, word).empty(); }

    // A word's main sense and what it names (word_fields.cpp).
    struct Sense {
        wordnet::Pos pos = wordnet::Noun;
        unsigned long offset = 0;
        wordnet::Synset synset;
        int count = 0; // how often it was tagged
    };
    // The noun sense most used in the corpus; of senses used alike, the one a
    // name is likeliest to mean (a person, a thing, food, an activity), then
    // the one WordNet says most about. An "-ing" word's activity before what
    // it makes ("knitting" the craft, not the knitwork).
    std::optional<Sense> mainNounSense(const std::string &lemma) const;
    // The main sense of a noun as typed: a plural whose main sense nobody tagged
    // and names a person is the thing of that name ("coasters" the mats).
    std::optional<Sense> typedNounSense(const std::string &typed, const std::string &lemma) const;
    // The field a noun sense belongs to, from its lexicographer file and the
    // senses above it.
    Field fieldOf(const wordnet::Synset &synset) const;
    // The first noun sense that is an activity, among the usual few.
    std::optional<Sense> activitySense(const std::string &lemma) const;
    // Whether a verb's noun names the act nearly as often as the thing it is
    // most used for: "wash" (a coat of paint, and washing).
    bool namesActToo(const std::string &lemma) const;
    // Whether a word is used as an adjective more than as a noun ("cheap", "best").
    bool mainlyAdjective(const std::string &word) const;

    // Singular and plural (word_number.cpp).
    std::string singular(const std::string &word) const;
    std::string plural(const std::string &word) const;
    // Whether a word is used as a noun at least as much as otherwise ("best" is not).
    bool mainlyNoun(const std::string &word) const;
};

} // namespace varnex::registrar
