#pragma once

#include "names/word_field.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace varnex::registrar {

// English words as the name suggestions need them: which strings are words
// and how common each is (to split a typed label the way a person reads it),
// their synonyms and close relatives, what they name, and their plurals; and
// which words are German, Spanish or French. Read once at start-up from a
// plain word list, WordNet's dictionary files and the other languages' word
// lists beside the English one; WordNet's large files stay mapped and are
// read only where a lookup lands. Copies share the loaded data.
class WordKnowledge final {
public:
    // An empty optional, with `error` set, when a file cannot be read. The
    // German, Spanish and French lists are read from the English list's
    // folder (Debian's wngerman, wspanish and wfrench).
    static std::optional<WordKnowledge> load(const QString &wordList, const QString &wordnetFolder,
                                             QString *error = nullptr);
    static QString defaultWordList();      // Debian's wamerican
    static QString defaultWordnetFolder(); // Debian's wordnet-base

    // The words of a label as a person reads them ("bestpizzaplace" gives
    // best, pizza, place): few words, common ones, digits apart, hyphens as
    // breaks; text that holds no known word stays whole, and so does a
    // German, Spanish or French word ("fussball" is no "fuss ball").
    QStringList split(const QString &label) const;
    // Higher is more common (WordNet's tagged sense counts, small words of
    // the language set high); 0 for a word not known to be used.
    int commonness(const QString &word) const;
    bool isWord(const QString &word) const;
    // Synonyms and close relatives of a word's usual senses, single words of
    // a to z only, most common first.
    QStringList relatives(const QString &word) const;
    // Only the synonyms of the word's usual sense (and of a second sense
    // nearly as common): no broader, narrower or sibling terms, which drift
    // off topic ("pizza" is no "dish", "wedding" no "funeral"). Most used first.
    QStringList synonyms(const QString &word) const;
    // The close relatives of a word's main sense, for names that say the
    // same in other words: the other words of its sense ("bike" for
    // "bicycle"), words derived from it or it from them ("photography" for
    // "photographer", "knit" for "knitting"), words its definition builds it
    // from ("electrical" for "electrician", "plumber" for "plumbing"), and
    // the topic it belongs to. Single words of a to z, the closest and most
    // familiar first.
    QStringList closeRelatives(const QString &word) const;
    // Relatives written down by hand for the word or its singular, where
    // WordNet has none in the field ("footcare" for "podiatrist", "movies"
    // for "cinema"), best first; never the word itself or its other number.
    QStringList curatedRelatives(const QString &word) const;
    // The words written down by hand that a business in the word's (or its
    // singular's) field puts beside it, marked as field heads are: "-agency"
    // after "marketing", "smile-" before "dentist"; best first.
    QStringList fieldWords(const QString &word) const;
    // The people who do an activity, by WordNet's derivations ("cleaner" for
    // "cleaning", "preparer" for "preparation"); none for a word that names
    // no activity. Most used first.
    QStringList doers(const QString &activity) const;
    // Whether a word is the "-ing" of a verb: "mounting", "baking", "wrapping".
    bool isDoing(const QString &word) const;
    // One who takes up what a verb names, by its form: "stitcher" of "stitch"
    // or "stitching", "gamer" of "games", "tier" of "tying"; a person WordNet
    // knows, or a word of the list WordNet lacks. Empty where none reads.
    QString doerByForm(const QString &word) const;
    // What a tradesman works on, as WordNet's definition names it: "glass"
    // for "glazier", "pipe" for "plumber"; a thing, a substance or a process
    // that is no mere kind of thing ("equipment"), or empty.
    QString workedOn(const QString &person) const;
    // What the typed words name, by their head noun (word_field.h).
    Field field(const QStringList &words) const;
    // The other language a word belongs to, when it is no English word.
    std::optional<Field> language(const QString &word) const;
    // Whether that language's word list holds the form ("abogados").
    bool listedIn(Field language, const QString &word) const;
    // An "-ing" word used mostly otherwise than as a noun that names doing
    // something ("mowing", "towing", "moving"): a noun of a name all the same.
    bool namesAnActivity(const QString &word) const;
    // Whether the word's main sense is something done: "repair", "cleaning", not "tune".
    bool namesWork(const QString &word) const;
    // Whether the word is one who does work to a thing named before it, though its main
    // sense is a thing: "walker" of "dog walker", "cleaner" of "window cleaner".
    bool namesWorkerOn(const QString &word) const;
    // Whether the word's main sense is a time: "weekend", "tonight", "sundays".
    bool namesTime(const QString &word) const;
    // A game played at sport, on a court or a field ("badminton", "golf"), which one plays as well as learns.
    bool isPlayedAtSport(const QString &word) const;
    // Whether WordNet knows the word as a verb at all: "plan", "fix", "build".
    bool isVerb(const QString &word) const;
    // Whether words[at] heads what the words before it name: a noun, an
    // activity, or work done to the noun before it where English uses the
    // word more as a verb ("repair" in "phone repair", "care" in "lawn care").
    bool headsPhrase(const QStringList &words, qsizetype at) const;
    // What words glued together name, where WordNet knows them as one noun
    // ("bed and breakfast" a lodging, not a breakfast).
    std::optional<Field> fieldOfWhole(const QStringList &words) const;
    // Whether two words make one noun in WordNet ("dog food", "high school").
    bool isCompound(const QString &first, const QString &second) const;
    // Whether an adjective of size measures the group or amount after it
    // ("small batch", "large group"), so the two go together.
    bool measures(const QString &adjective, const QString &noun) const;
    // Whether the person works at a studio: an artist, an architect, a designer or a
    // photographer; not a nanny, a breeder or a fitter.
    bool worksAtStudio(const QString &word) const;
    // Whether the word names one city or region ("rome", "texas"), not a kind of place.
    bool isPlaceName(const QString &word) const;
    // A shop's maker and a maker's shop in that language ("panadero" for
    // "panadería", "metzgerei" for "metzger"), where its list holds them.
    QStringList shopAndMaker(Field language, const QString &word) const;
    bool isNoun(const QString &word) const;      // used as a noun at least as much as otherwise
    bool isAdjective(const QString &word) const; // used as an adjective more than otherwise
    bool describes(const QString &word) const;   // used as an adjective at all ("cosy", "vintage")
    bool namesToo(const QString &word) const;    // used as a noun at all ("escape", "buy")
    // Whether a reader takes the word's plural: a countable noun, not an
    // activity ("plumbing"), a mass noun ("fitness") or an adjective.
    bool takesPlural(const QString &word) const;
    QString plural(const QString &word) const;
    QString singular(const QString &word) const;
    // A plural that names a thing of its own, not many of its singular:
    // "sunglasses", "glasses", "arts"; no "sunglassshop".
    bool livesInPlural(const QString &word) const;
    // The plural, when the word list holds it, or of a person only WordNet
    // knows ("doulas"): a made-up word ("zentrova") or a mass noun ("fitness")
    // has none a reader would accept.
    std::optional<QString> listedPlural(const QString &word) const;

    struct Data;

private:
    explicit WordKnowledge(std::shared_ptr<const Data> data);
    std::shared_ptr<const Data> m_data;
};

} // namespace varnex::registrar
