// A word's synonyms and close relatives in WordNet, for suggestions that say
// the same thing in other words.

#include "names/ranking.h"
#include "names/word_data.h"

#include <cmath>

namespace varnex::registrar {

using namespace wordnet;
using Data = WordKnowledge::Data;

namespace {

// A relative's score is how often it was used in the word's very sense
// (log2 of WordNet's tag count, 0 to about 13), plus how close it stands to
// the word, plus how familiar it is when this is its usual sense.
// A synonym in the word's usual sense means just what the word means;
constexpr double kUsualSynonym = 3.0;
// a synonym in its second sense is right only when that sense was meant;
constexpr double kSecondSenseSynonym = 2.0;
// a similar adjective, or the broader term ("outlet" for "shop"), names the
// same thing less exactly;
constexpr double kSimilarOrBroader = 1.5;
// a narrower term names one kind of it ("bakery" for "shop"), a step
// further;
constexpr double kNarrower = 0.5;
// a sibling, another kind of the broader term, is a different thing nearby
// and gains nothing;
constexpr double kSibling = 0.0;
// a narrower term in a large family is one of many ("dish" has over a
// hundred), so it ranks below all the rest and counts only when it was used
// in that sense at all.
constexpr double kNarrowerInLargeFamily = -1.0;
// A word is familiar when used a lot in any sense; that counts half as much
// as use in this sense, so a common word in a rare sense stays behind.
constexpr double kFamiliarityWeight = 0.5;
// Beyond this many narrower terms, a family's members are too far apart to
// count: "soup" is no relative of "pizza".
constexpr size_t kSmallFamily = 50;

// A second sense counts when it was used at least 3 times for every 10 uses
// of the first: "place" the spot and the building.
bool nearlyAsCommon(int second, int first)
{
    return second > 0 && second * 10 >= first * 3;
}

// A-to-z words long enough and known enough to be a word of a name.
bool isNameWord(const Data &data, std::string_view candidate)
{
    return isAz(candidate) && candidate.size() >= kMinPlainWord && data.splitWord(candidate);
}

size_t familySize(const Synset &synset)
{
    return size_t(std::count_if(synset.pointers.begin(), synset.pointers.end(),
                                [](const Synset::Pointer &p) { return p.symbol == "~"; }));
}

struct Meaning {
    Pos pos;
    unsigned long offset;
    int count;
};

// The meanings a name means: nouns and adjectives, the most tagged sense
// first, and a second one when it is nearly as common; verbs only for a word
// that is nothing else.
std::vector<Meaning> usualMeanings(const Data &data, const std::string &lemma)
{
    std::vector<Meaning> meanings;
    for (const Pos pos : {Noun, Adjective}) {
        const std::vector<unsigned long> senses = data.senses(pos, lemma);
        for (size_t i = 0; i < senses.size(); ++i)
            meanings.push_back({pos, senses[i], data.senseCount(lemma, pos, int(i + 1))});
    }
    if (meanings.empty()) {
        const std::vector<unsigned long> senses = data.senses(Verb, lemma);
        if (!senses.empty())
            meanings.push_back({Verb, senses.front(), 0});
    }
    if (meanings.empty())
        return meanings;
    std::stable_sort(meanings.begin(), meanings.end(),
                     [](const Meaning &a, const Meaning &b) { return a.count > b.count; });
    meanings.resize(meanings.size() > 1 && nearlyAsCommon(meanings[1].count, meanings[0].count) ? 2 : 1);
    return meanings;
}

// The relatives found so far, each at its best score.
class RelativeScores final {
public:
    RelativeScores(const Data &data, std::vector<std::string> excluded) : m_data(data), m_excluded(std::move(excluded))
    {
    }

    // A lemma of the sense at `offset`. With `needsUse`, only when the lemma
    // was used in that sense.
    void offer(std::string_view candidate, Pos pos, unsigned long offset, double closeness, bool needsUse = false)
    {
        const std::string text(candidate);
        if (!isNameWord(m_data, text) || std::find(m_excluded.begin(), m_excluded.end(), text) != m_excluded.end())
            return;
        const std::vector<unsigned long> senses = m_data.senses(pos, text);
        const auto at = std::find(senses.begin(), senses.end(), offset);
        const int rank = at == senses.end() ? 0 : int(at - senses.begin()) + 1;
        double score = std::log2(1.0 + m_data.senseCount(text, pos, rank)) + closeness;
        if (rank == 1)
            score += kFamiliarityWeight * std::log2(1.0 + m_data.count(text));
        if (needsUse && score - closeness <= 0)
            return;
        auto [it, inserted] = m_scores.emplace(text, score);
        if (!inserted)
            it->second = std::max(it->second, score);
    }

    // Every lemma of the sense a pointer leads to.
    void offerAll(const Synset::Pointer &pointer, double closeness, bool needsUse = false)
    {
        for (std::string_view relative : m_data.synset(pointer.pos, pointer.offset).lemmas)
            offer(relative, pointer.pos, pointer.offset, closeness, needsUse);
    }

    // Highest score first; of equal ones, the shorter, then in alphabetical order.
    QStringList ranked() const
    {
        std::vector<std::pair<std::string, double>> ranked(m_scores.begin(), m_scores.end());
        std::sort(ranked.begin(), ranked.end(), ranksBefore<std::string>);
        QStringList result;
        for (const auto &[text, score] : ranked)
            result.append(QString::fromStdString(text));
        return result;
    }

private:
    const Data &m_data;
    const std::vector<std::string> m_excluded; // the word itself, in every form
    std::unordered_map<std::string, double> m_scores;
};

// The broader term, and its other narrower terms when the family is small.
void offerBroader(RelativeScores &scores, const Data &data, const Synset::Pointer &up, unsigned long own)
{
    scores.offerAll(up, kSimilarOrBroader);
    const Synset broader = data.synset(up.pos, up.offset);
    if (familySize(broader) > kSmallFamily)
        return;
    for (const Synset::Pointer &down : broader.pointers) {
        if (down.symbol == "~" && down.offset != own)
            scores.offerAll(down, kSibling);
    }
}

// The usual meaning's neighbours: similar adjectives, narrower terms, and the
// broader term with its family.
void offerNeighbours(RelativeScores &scores, const Data &data, const Synset &synset, const Meaning &meaning)
{
    const bool largeFamily = familySize(synset) > kSmallFamily;
    for (const Synset::Pointer &pointer : synset.pointers) {
        if (pointer.symbol == "&")
            scores.offerAll(pointer, kSimilarOrBroader);
        else if (pointer.symbol == "~")
            scores.offerAll(pointer, largeFamily ? kNarrowerInLargeFamily : kNarrower, largeFamily);
        else if (pointer.symbol == "@")
            offerBroader(scores, data, pointer, meaning.offset);
    }
}

// The synonyms of the word's usual sense in one part of speech, and of its
// second sense when that is nearly as common; the most used first.
QStringList synonymsIn(const Data &data, Pos pos, const std::vector<unsigned long> &senses, const std::string &lemma,
                       const std::string &ownPlural)
{
    const int first = data.senseCount(lemma, pos, 1);
    const int second = senses.size() > 1 ? data.senseCount(lemma, pos, 2) : 0;
    const size_t used = nearlyAsCommon(second, first) ? 2 : 1;
    std::vector<std::pair<std::string, int>> found;
    for (size_t i = 0; i < used; ++i) {
        for (std::string_view synonym : data.synset(pos, senses[i]).lemmas) {
            const std::string text(synonym);
            if (!isNameWord(data, text) || text == lemma || text == ownPlural)
                continue;
            if (std::none_of(found.begin(), found.end(), [&](const auto &entry) { return entry.first == text; }))
                found.emplace_back(text, data.count(text));
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
    QStringList result;
    for (const auto &[text, count] : found)
        result.append(QString::fromStdString(text));
    return result;
}

bool isKnown(const Data &data, const std::string &word)
{
    for (int pos = 0; pos < PosCount; ++pos) {
        if (!data.indexLine(Pos(pos), word).empty())
            return true;
    }
    return false;
}

} // namespace

QStringList WordKnowledge::relatives(const QString &word) const
{
    if (!isAz(word))
        return {};
    const std::string typed = word.toStdString();
    std::string lemma = typed;
    if (const std::string base = m_data->singular(lemma); base != lemma && isKnown(*m_data, base))
        lemma = base; // "shoes" the footwear, not the situation
    const std::vector<Meaning> meanings = usualMeanings(*m_data, lemma);
    if (meanings.empty())
        return {};

    RelativeScores scores(*m_data, {lemma, m_data->plural(lemma), typed});
    for (size_t m = 0; m < meanings.size(); ++m) {
        const Synset synset = m_data->synset(meanings[m].pos, meanings[m].offset);
        for (std::string_view synonym : synset.lemmas)
            scores.offer(synonym, meanings[m].pos, meanings[m].offset, m == 0 ? kUsualSynonym : kSecondSenseSynonym);
        if (m == 0)
            offerNeighbours(scores, *m_data, synset, meanings[m]);
    }
    return scores.ranked();
}

QStringList WordKnowledge::synonyms(const QString &word) const
{
    if (!isAz(word))
        return {};
    std::string lemma = word.toStdString();
    if (const std::string base = m_data->singular(lemma); base != lemma && m_data->isNoun(base))
        lemma = base;
    const std::string ownPlural = m_data->plural(lemma);
    // As a noun, else as an adjective, else as a verb.
    for (const Pos pos : {Noun, Adjective, Verb}) {
        const std::vector<unsigned long> senses = m_data->senses(pos, lemma);
        if (!senses.empty())
            return synonymsIn(*m_data, pos, senses, lemma, ownPlural);
    }
    return {};
}

} // namespace varnex::registrar
