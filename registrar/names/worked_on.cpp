// What a tradesman works on, read from the way WordNet defines a trade:
// "someone who cuts flat glass to size" (a glazier), "a craftsman who
// installs and repairs pipes" (a plumber). People name such a business after
// the material as often as after themselves (glasspros, pipeservices).

#include "names/word_data.h"
#include "names/word_knowledge.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace varnex::registrar {

using namespace wordnet;

namespace {

// Things, substances and processes make a business's name; people, groups,
// places, abstractions and animals do not ("lines" for the electrician,
// "objects" for the carpenter, "horses" for the farrier).
constexpr std::array kMaterialFiles{kArtifacts, kProcesses, kSubstances};
constexpr size_t kShortestMaterial = 4;
// A word used this often names a kind of thing, no trade's material:
// "equipment" for the steamfitter, "piece" for the splicer.
constexpr int kGeneric = 45;

// A preposition or a relative word ends the phrase that names the material:
// "glass" in "cuts flat glass to size", "pipes" in "repairs pipes and fixtures".
bool endsPhrase(std::string_view word)
{
    static constexpr std::array<std::string_view, 15> kEnds{"to", "for", "in",   "with", "by",    "from",  "of", "on",
                                                            "at", "as",  "into", "that", "which", "whose", "who"};
    return std::find(kEnds.begin(), kEnds.end(), word) != kEnds.end();
}

// The definition's lower-case words, up to its examples; a comma or a
// bracket ends a word as a break of its own ("(").
std::vector<std::string> definitionWords(std::string_view gloss)
{
    gloss = gloss.substr(0, gloss.find_first_of(";\""));
    std::vector<std::string> words;
    std::string word;
    for (const char c : gloss) {
        const char lower = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
        if (lower >= 'a' && lower <= 'z') {
            word += lower;
            continue;
        }
        if (!word.empty())
            words.push_back(std::move(word));
        word.clear();
        if (c == ',' || c == '(' || c == ')')
            words.emplace_back(",");
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

// Where the material's phrase starts: after the verbs of "who makes or
// repairs". The definition's other shapes ("a worker skilled in applying
// plaster") say too little.
size_t phraseStart(const std::vector<std::string> &words)
{
    for (size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == "who") {
            size_t at = i + 2; // past the verb
            while (at + 1 < words.size() && (words[at] == "or" || words[at] == "and"))
                at += 2;
            return at;
        }
    }
    return words.size();
}

} // namespace

QString WordKnowledge::workedOn(const QString &person) const
{
    if (!isAz(person))
        return {};
    const std::optional<Data::Sense> sense = m_data->mainNounSense(person.toStdString());
    if (!sense || sense->synset.lexFile != kPeople)
        return {};
    const std::vector<std::string> words = definitionWords(sense->synset.gloss);
    // The phrase's last noun is its head: "glass" of "flat glass"; a
    // second one joined by "and" or "or" is left out ("pipes and fixtures").
    std::string head;
    for (size_t at = phraseStart(words); at < words.size(); ++at) {
        const std::string &word = words[at];
        if (word == "," || endsPhrase(word) || ((word == "and" || word == "or") && !head.empty()))
            break;
        if (word == "a" || word == "an" || word == "the" || word == "and" || word == "or")
            continue;
        if (m_data->isNoun(m_data->singular(word)) && !m_data->mainlyAdjective(word))
            head = word;
    }
    if (head.empty() || livesInPlural(QString::fromStdString(head))) // "glasses" are no glass
        return {};
    const std::string material = m_data->singular(head);
    const std::optional<Data::Sense> named = m_data->mainNounSense(material);
    if (!named || material.size() < kShortestMaterial || !m_data->common(material)
        || std::find(kMaterialFiles.begin(), kMaterialFiles.end(), named->synset.lexFile) == kMaterialFiles.end()
        || m_data->usage(material) >= kGeneric
        || person.toStdString().starts_with(material)) // the locksmith's "lock" is a relative already
        return {};
    return QString::fromStdString(material);
}

} // namespace varnex::registrar
