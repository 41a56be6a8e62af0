// Singular and plural: WordNet's irregular plurals, the rules of regular
// ones, and whether a word takes a plural at all.

#include "names/word_data.h"

#include <unordered_set>

namespace varnex::registrar {

using namespace wordnet;
using Data = WordKnowledge::Data;

namespace {

std::string regularPlural(const std::string &word)
{
    auto vowel = [](char c) { return std::string_view("aeiou").find(c) != std::string_view::npos; };
    if (word.ends_with('s') || word.ends_with('x') || word.ends_with('z') || word.ends_with("ch")
        || word.ends_with("sh"))
        return word + "es";
    if (word.size() > 1 && word.ends_with('y') && !vowel(word[word.size() - 2]))
        return word.substr(0, word.size() - 1) + "ies";
    return word + "s";
}

} // namespace

std::string WordKnowledge::Data::singular(const std::string &word) const
{
    if (const auto it = singularOf.find(word); it != singularOf.end())
        return it->second;
    if (word.size() < 3 || word.ends_with("ss") || (!word.ends_with('s') && !word.ends_with("men")))
        return word;
    // "cookies" are cookies before they are "cooky", WordNet's other spelling; "puppies" still puppies.
    static const std::array<std::pair<std::string_view, std::string_view>, 9> rules{{
        {"ies", "ie"},
        {"ies", "y"},
        {"ches", "ch"},
        {"shes", "sh"},
        {"ses", "s"},
        {"xes", "x"},
        {"zes", "z"},
        {"men", "man"},
        {"s", ""},
    }};
    // A word WordNet holds as a noun ("news") is no plural of a word it holds only otherwise ("new").
    // Of two nouns the rules give, the one in use: "vases" are vases, not the rare "vas".
    const bool wordIsNoun = isNoun(word);
    std::string found;
    for (const auto &[ending, replacement] : rules) {
        if (!word.ends_with(ending))
            continue;
        const std::string base = word.substr(0, word.size() - ending.size()) + std::string(replacement);
        if (isNoun(base) || (!wordIsNoun && find(base))) {
            if (found.empty())
                found = base;
            else if (usage(base) > usage(found))
                return base;
        }
    }
    return found.empty() ? word : found;
}

bool WordKnowledge::Data::mainlyNoun(const std::string &word) const
{
    int asNoun = 0, otherwise = 0;
    const SenseCount first{word, Noun, 0, 0};
    for (auto it = std::lower_bound(senseCounts.begin(), senseCounts.end(), first);
         it != senseCounts.end() && it->lemma == word; ++it)
        (it->pos == Noun ? asNoun : otherwise) += it->count;
    if (asNoun == 0 && otherwise == 0)
        return isNoun(word) || (indexLine(Verb, word).empty() && indexLine(Adjective, word).empty());
    return asNoun >= otherwise;
}

std::string WordKnowledge::Data::plural(const std::string &word) const
{
    if (!mainlyNoun(word) || singular(word) != word)
        return word;
    const std::string regular = regularPlural(word);
    // The list's plural, unless the rule's is a word too; but "midwifes", "knifes" and "leafs"
    // are the verb's.
    if (const auto it = pluralOf.find(word);
        it != pluralOf.end()
        && (!find(regular) || (it->second.ends_with("ves") && (regular.ends_with("fes") || regular.ends_with("fs")))))
        return it->second;
    // WordNet reads "women" back by rule, so the list does not hold it.
    if (word.ends_with("man") && !find(regular)) {
        const std::string men = word.substr(0, word.size() - 3) + "men";
        if (find(men))
            return men;
    }
    return regular;
}

QString WordKnowledge::plural(const QString &word) const
{
    if (!isAz(word))
        return word;
    return QString::fromStdString(m_data->plural(word.toStdString()));
}

QString WordKnowledge::singular(const QString &word) const
{
    if (!isAz(word))
        return word;
    return QString::fromStdString(m_data->singular(word.toStdString()));
}

bool WordKnowledge::takesPlural(const QString &word) const
{
    if (!listedPlural(word))
        return false;
    const std::string text = word.toStdString();
    if (m_data->mainlyAdjective(text) || m_data->pastimes.contains(text)) // no "potteries" for the craft
        return false;
    // Goods counted by the piece go by a mass noun, whatever the list holds as a verb's
    // or a rare plural: no "silverjewelries", "petinsurances", "skincaremerchandises";
    static const std::unordered_set<std::string_view> mass{
        "jewelry", "jewellery", "furniture", "clothing", "equipment", "luggage", "software", "merchandise", "apparel",
        "produce", "seafood", "bedding", "lighting", "flooring", "machinery", "cutlery", "stationery", "lingerie",
        "insurance", "advice", "information", "homework", "housework", "feedback",
        // and what is had, not counted, though the list holds a rare plural: no "musics", "fitnesses"
        "music", "fitness", "wellness", "nutrition", "research", "knowledge", "health", "wealth", "traffic", "weather",
        "luck", "fun", "safety", "security",
        // and a genre one enjoys, not its works: no "standupcomedies", "kbeauties"
        "comedy", "poetry", "beauty"};
    if (mass.contains(text) || text.ends_with("wear") || text.ends_with("ware"))
        return false;
    // "plumbings" and "knittings" read wrong: the activity has no plural; nor
    // has a sport or game ("footballs" for "5 a side football").
    const std::optional<Data::Sense> sense = m_data->mainNounSense(text);
    if (sense && sense->synset.lexFile == kActs) {
        const Field field = m_data->fieldOf(sense->synset);
        if (text.ends_with("ing") || isPastime(field))
            return false;
    }
    return !namesAnActivity(word);
}

std::optional<QString> WordKnowledge::listedPlural(const QString &word) const
{
    if (!isAz(word))
        return std::nullopt;
    const QString other = plural(word);
    if (other == word)
        return std::nullopt;
    if (m_data->find(word.toStdString()))
        return m_data->find(other.toStdString()) ? std::optional<QString>(other) : std::nullopt;
    // A person only WordNet knows counts as any person does: "doulas", "arborists"; so
    // does one only the lists written by hand know: "hypnotherapists".
    const std::optional<Data::Sense> sense = m_data->mainNounSense(word.toStdString());
    const bool person = sense ? sense->synset.lexFile == kPeople
                              : m_data->handWrittenWord(word.toStdString()) && isPerson(field({word}));
    return person ? std::optional<QString>(other) : std::nullopt;
}

} // namespace varnex::registrar
