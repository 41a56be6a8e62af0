// A word's close relatives in WordNet: the words of its main sense, words
// derived from it, words its definition builds it from, and its topic.
// Broader, narrower and sibling senses stay out: they drift off topic.

#include "names/ranking.h"
#include "names/word_data.h"

#include <array>
#include <cmath>
#include <limits>

namespace varnex::registrar {

using namespace wordnet;
using Data = WordKnowledge::Data;

namespace {

// How close each kind of relative stands, added to half the log of how
// familiar it is (0 to about 7), so a closer kind wins unless the other word
// is far more familiar.
// another word of the very sense names the same thing;
constexpr double kSameSense = 3.0;
// a word derived from the word, or the word from it, names it from another side;
constexpr double kDerived = 2.5;
// a word the definition builds it from ("electrical" in the electrician's) is nearly as close;
constexpr double kInDefinition = 2.0;
// its topic, or a word of the topic that starts with it ("chessboard"), is about the same thing.
constexpr double kTopic = 1.0;
constexpr double kFamiliarityWeight = 0.5;
// A word of another sense counts only where that sense is among its own first
// few: "bike" is a bicycle second, but "wheel" is one seventh.
constexpr int kOwnSenses = 2;
// A person's other words ("lineman" for "electrician") count only where that
// sense is a usual one for them: tagged this often in the corpus ("lawyer"
// as "attorney" 15 times).
constexpr int kUsualPersonWord = 5;
// An activity's other words likewise, at a lower bar: "cleansing" is tagged
// as the act of cleaning once, and "window cleansing" is nobody's trade.
constexpr int kUsualActWord = 2;
// Three letters say too little to carry a name ("fit" for "fitness", "veg").
constexpr size_t kShortestRelative = 4;
// A word of the definition is a relative when it shares a long start with the word.
constexpr size_t kSharedStart = 4; // "locks" in the locksmith's
constexpr double kSharedShare = 0.6;

size_t sharedStart(std::string_view a, std::string_view b)
{
    size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

std::string lowered(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return out;
}

class Relatives final {
public:
    Relatives(const Data &data, std::string lemma, std::string typed)
        : m_data(data), m_lemma(std::move(lemma)), m_typed(std::move(typed)), m_plural(data.plural(m_lemma))
    {
    }

    // The sense's other words, where the sense is among their own first few;
    // a person's only where the word was used in that sense ("lawyer" for
    // "attorney", not "linesman" for "electrician").
    void offerSenseWords(const Synset &synset, Pos pos, unsigned long offset, int ownSenses, double closeness)
    {
        for (std::string_view lemma : synset.lemmas) {
            const std::string word = lowered(lemma);
            const std::vector<unsigned long> own = m_data.senses(pos, word);
            const auto at = std::find(own.begin(), own.end(), offset);
            const int rank = at == own.end() ? 0 : int(at - own.begin()) + 1;
            // A longer word for the same ("telephone" for "phone") is nobody's
            // first try, nor a rare one ("ticker" for "watch", "locus" for
            // "venue", "vesture" for "clothing"), though that costs a few fair
            // ones the short list lacks ("earphone").
            if (rank == 0 || rank > ownSenses || word.find(m_lemma) != std::string::npos || !m_data.common(word))
                continue;
            if (synset.lexFile == kPeople && m_data.senseCount(word, pos, rank) < kUsualPersonWord)
                continue;
            if (synset.lexFile == kActs && m_data.senseCount(word, pos, rank) < kUsualActWord)
                continue;
            offer(word, closeness);
        }
    }

    // Words derived from the word in this sense; without the word's own start
    // where a person's work stands for it ("drive" for "driver").
    void offerDerived(const Synset &synset, bool skipStart)
    {
        const unsigned own = ownNumber(synset);
        for (const Synset::Pointer &pointer : synset.lexicalPointers) {
            if ((pointer.symbol != "+" && pointer.symbol != "\\") || (own != 0 && pointer.source != own))
                continue;
            const Synset target = m_data.synset(pointer.pos, pointer.offset);
            if (pointer.target == 0 || pointer.target > target.lemmas.size())
                continue;
            const std::string word = lowered(target.lemmas[pointer.target - 1]);
            if (skipStart && m_lemma.starts_with(word))
                continue;
            // A verb only as the stem of an activity ("knit" for "knitting") or
            // where it is mostly a noun ("photograph").
            const bool stem = synset.lexFile == kActs && m_lemma.ends_with("ing") && m_lemma.starts_with(word);
            // A person's verb names other things as a noun ("account" for
            // "accountant", "drive" for "driver"); their work stands for it.
            if (pointer.pos == Verb && ((!stem && !m_data.mainlyNoun(word)) || synset.lexFile == kPeople))
                continue;
            offer(word, kDerived);
        }
    }

    // A person's work, two derivations away: the person's verb, then the
    // verb's activity ("welder", weld, "welding"; "tailor", "tailoring").
    // Whether any was offered.
    bool offerWork(const Synset &person)
    {
        const size_t before = m_scores.size();
        const unsigned own = ownNumber(person);
        for (const Synset::Pointer &toVerb : person.lexicalPointers) {
            if (toVerb.symbol != "+" || toVerb.pos != Verb || (own != 0 && toVerb.source != own))
                continue;
            for (const Synset::Pointer &toWork : m_data.synset(Verb, toVerb.offset).lexicalPointers) {
                if (toWork.symbol != "+" || toWork.pos != Noun || toWork.source != toVerb.target)
                    continue;
                const Synset work = m_data.synset(Noun, toWork.offset);
                if (work.lexFile != kActs || toWork.target == 0 || toWork.target > work.lemmas.size())
                    continue;
                // The act in the word's own start says it worse: "surveying", not "survey".
                if (const std::string word = lowered(work.lemmas[toWork.target - 1]); !m_lemma.starts_with(word))
                    offer(word, kDerived, true);
            }
        }
        // WordNet links few ("plumber" to nothing): the "-ing" of a doer's
        // "-er", where WordNet knows it as an activity ("plumbing", "roofing").
        if (m_lemma.ends_with("er")) {
            const std::string work = m_lemma.substr(0, m_lemma.size() - 2) + "ing";
            if (m_data.activitySense(work))
                offer(work, kDerived, true);
        }
        return m_scores.size() > before;
    }

    // Words of the definition that share a long start with the word.
    // Without the word's own start where a person's work stands for it:
    // "surveying", not "survey", for "surveyor".
    void offerDefinitionWords(std::string_view gloss, bool skipStart)
    {
        gloss = gloss.substr(0, gloss.find_first_of(";\"")); // the definition, not the examples
        for (std::string_view token : fields(gloss)) {
            std::string word = lowered(token);
            while (!word.empty() && !(word.back() >= 'a' && word.back() <= 'z'))
                word.pop_back();
            word = m_data.singular(word);
            if (!m_data.isNoun(word) && m_data.indexLine(Adjective, word).empty())
                continue; // "removing" in "the act of removing" is no word of a name
            const size_t shared = sharedStart(word, m_lemma);
            if (skipStart && shared == word.size())
                continue;
            if (shared >= kSharedStart
                && double(shared) >= kSharedShare * double(std::min(word.size(), m_lemma.size())))
                offer(word, kInDefinition);
        }
    }

    // The topic the sense belongs to, and the topic's words that start with
    // the word; a topic only where it is the word's own field by name
    // ("dentistry" for "dentist"), not a broad one ("jurisprudence" for
    // "notary", "business" for "cinema").
    void offerTopic(const Synset &synset)
    {
        for (const Synset::Pointer &pointer : synset.pointers) {
            if (pointer.symbol == ";c") {
                for (std::string_view lemma : m_data.synset(pointer.pos, pointer.offset).lemmas) {
                    if (sharedStart(lowered(lemma), m_lemma) >= kSharedStart)
                        offer(lowered(lemma), kTopic);
                }
            } else if (pointer.symbol == "-c") {
                for (std::string_view lemma : m_data.synset(pointer.pos, pointer.offset).lemmas) {
                    if (lowered(lemma).starts_with(m_lemma))
                        offer(lowered(lemma), kTopic);
                }
            }
        }
    }

    QStringList ranked() const
    {
        std::vector<std::pair<std::string, double>> ranked(m_scores.begin(), m_scores.end());
        std::sort(ranked.begin(), ranked.end(), ranksBefore<std::string>);
        QStringList result;
        for (const auto &[word, score] : ranked)
            result.append(QString::fromStdString(word));
        return result;
    }

private:
    unsigned ownNumber(const Synset &synset) const
    {
        for (size_t i = 0; i < synset.lemmas.size(); ++i) {
            if (lowered(synset.lemmas[i]) == m_lemma)
                return unsigned(i + 1);
        }
        return 0;
    }

    void offer(const std::string &word, double closeness, bool activity = false)
    {
        if (!isAz(word) || word.size() < kShortestRelative || !m_data.splitWord(word) || word == m_lemma
            || word == m_typed || word == m_plural || m_data.singular(word) == m_lemma)
            return;
        // A small one of the word is another thing: no "booklet" for a book.
        for (const std::string_view ending : {"let", "lets", "ette", "ettes", "ling", "lings"}) {
            if (word.size() == m_lemma.size() + ending.size() && word.starts_with(m_lemma) && word.ends_with(ending))
                return;
        }
        // A verb's forms ("readying", "knitted") read as no name's word, unless the word is one itself.
        for (const std::string_view ending : {"ing", "ed"}) {
            if (word.ends_with(ending) && !m_typed.ends_with(ending) && !activity)
                return;
        }
        const double score = closeness + kFamiliarityWeight * std::log2(1.0 + m_data.usage(word));
        auto [it, inserted] = m_scores.emplace(word, score);
        if (!inserted)
            it->second = std::max(it->second, score);
    }

    const Data &m_data;
    const std::string m_lemma, m_typed, m_plural;
    std::unordered_map<std::string, double> m_scores;
};

// The people who do an activity, two derivations away: the activity's verb,
// then the verb's doers ("cleaning", clean, "cleaner"; "preparation",
// prepare, "preparer"), the most used first.
std::vector<std::pair<std::string, int>> doersOf(const Data &data, const Synset &activity, const std::string &lemma)
{
    std::vector<std::pair<std::string, int>> doers;
    // A doer by its ending ("-er", "-or"): not "groom" for "grooming", nor "trainee" for "training".
    const auto add = [&](const std::string &word, int usage) {
        if (word.size() >= kShortestRelative && (word.ends_with("er") || word.ends_with("or"))
            && std::none_of(doers.begin(), doers.end(), [&](const auto &d) { return d.first == word; }))
            doers.emplace_back(word, usage);
    };
    for (const Synset::Pointer &toVerb : activity.lexicalPointers) {
        if (toVerb.symbol != "+" || toVerb.pos != Verb || toVerb.target == 0)
            continue;
        if (toVerb.source != 0 && toVerb.source <= activity.lemmas.size()
            && lowered(activity.lemmas[toVerb.source - 1]) != lemma)
            continue;
        const Synset verb = data.synset(Verb, toVerb.offset);
        for (const Synset::Pointer &toDoer : verb.lexicalPointers) {
            if (toDoer.symbol != "+" || toDoer.pos != Noun || toDoer.source != toVerb.target || toDoer.target == 0)
                continue;
            const Synset doer = data.synset(Noun, toDoer.offset);
            if (doer.lexFile != kPeople || toDoer.target > doer.lemmas.size())
                continue;
            const std::string word = lowered(doer.lemmas[toDoer.target - 1]);
            if (isAz(word))
                add(word, data.usage(word));
        }
    }
    // WordNet links few doers ("remover" is none of "removal"'s): the usual
    // ways English makes one, where WordNet knows the word as a person.
    struct DoerEnding {
        std::string_view activity, doer;
    };
    static constexpr std::array kDoerEndings{DoerEnding{"ing", "er"}, DoerEnding{"ation", "er"},
                                             DoerEnding{"ation", "ator"}, DoerEnding{"al", "er"}};
    for (const auto &[ending, doerEnding] : kDoerEndings) {
        if (!lemma.ends_with(ending))
            continue;
        const std::string word = lemma.substr(0, lemma.size() - ending.size()) + std::string(doerEnding);
        const std::vector<unsigned long> senses = data.senses(Noun, word);
        const bool person =
            std::any_of(senses.begin(), senses.begin() + std::min<size_t>(senses.size(), kOwnSenses),
                        [&](unsigned long offset) { return data.synset(Noun, offset).lexFile == kPeople; });
        if (person) // the doer the word itself makes goes first
            add(word, std::numeric_limits<int>::max());
    }
    std::stable_sort(doers.begin(), doers.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
    return doers;
}

} // namespace

QStringList WordKnowledge::doers(const QString &activity) const
{
    if (!isAz(activity))
        return {};
    const std::string lemma = activity.toStdString();
    const std::optional<Data::Sense> sense = m_data->activitySense(lemma);
    if (!sense && !namesAnActivity(activity))
        return {};
    QStringList result;
    for (const auto &[word, usage] : doersOf(*m_data, sense ? sense->synset : Synset{}, lemma))
        result.append(QString::fromStdString(word));
    return result;
}

QString WordKnowledge::doerByForm(const QString &word) const
{
    if (!isAz(word))
        return {};
    const std::string base = m_data->singular(word.toStdString());
    std::vector<std::string> verbs;
    if (base.ends_with("ing")) {
        const std::string stem = base.substr(0, base.size() - 3);
        verbs = {stem, stem + "e"};
        if (stem.size() > 2 && stem.back() == stem[stem.size() - 2]) // "shopping"
            verbs.push_back(stem.substr(0, stem.size() - 1));
        if (stem.ends_with('y')) // "tying"
            verbs.push_back(stem.substr(0, stem.size() - 1) + "ie");
    } else {
        verbs = {base};
    }
    const auto isPerson = [this](const std::string &noun) {
        const std::vector<unsigned long> senses = m_data->senses(Noun, noun);
        if (senses.empty()) // "gamer": the list holds it, WordNet does not
            return m_data->splitWord(noun);
        return std::any_of(senses.begin(), senses.end(),
                           [&](unsigned long offset) { return m_data->synset(Noun, offset).lexFile == kPeople; });
    };
    for (const std::string &verb : verbs) {
        if (verb.size() < 3 || m_data->indexLine(Verb, verb).empty())
            continue;
        const std::string doer = verb.ends_with('e') ? verb + "r" : verb + "er";
        for (const std::string &form : {doer, verb + "or"}) {
            if (isPerson(form))
                return QString::fromStdString(form);
        }
    }
    return {};
}

QStringList WordKnowledge::closeRelatives(const QString &word) const
{
    // A business goes by its two letters ("pc", "tv", "dj"): no "microcomputer" in their place.
    constexpr qsizetype kShortestWithRelatives = 3;
    if (!isAz(word) || word.size() < kShortestWithRelatives)
        return {};
    const std::string typed = word.toStdString();
    std::string lemma = m_data->singular(typed);
    if (!m_data->isNoun(lemma) || livesInPlural(word)) // "glasses" are no glass
        lemma = typed;
    Relatives relatives(*m_data, lemma, typed);
    if (const std::optional<Data::Sense> sense = m_data->typedNounSense(typed, lemma)) {
        const bool work = sense->synset.lexFile == kPeople && relatives.offerWork(sense->synset);
        relatives.offerSenseWords(sense->synset, Noun, sense->offset, kOwnSenses, kSameSense);
        relatives.offerDerived(sense->synset, work);
        relatives.offerDefinitionWords(sense->synset.gloss, work);
        relatives.offerTopic(sense->synset);
    } else if (const std::vector<unsigned long> senses = m_data->senses(Adjective, lemma); !senses.empty()) {
        const Synset synset = m_data->synset(Adjective, senses.front());
        relatives.offerSenseWords(synset, Adjective, senses.front(), kOwnSenses, kSameSense);
        relatives.offerDerived(synset, false);
    }
    return relatives.ranked();
}

namespace {

// A hand-written list's line for the word as typed, else for its singular.
const std::vector<std::string> *listedFor(const CuratedRelatives &list, const std::string &typed,
                                          const std::string &lemma)
{
    auto found = list.find(typed);
    if (found == list.end())
        found = list.find(lemma);
    return found == list.end() ? nullptr : &found->second;
}

} // namespace

QStringList WordKnowledge::curatedRelatives(const QString &word) const
{
    if (!isAz(word))
        return {};
    const std::string typed = word.toStdString();
    const std::string lemma = m_data->singular(typed);
    const std::vector<std::string> *listed = listedFor(m_data->curated, typed, lemma);
    if (!listed)
        return {};
    QStringList result;
    for (const std::string &relative : *listed) {
        if (relative != typed && relative != lemma && m_data->singular(relative) != lemma)
            result.append(QString::fromStdString(relative));
    }
    return result;
}

QStringList WordKnowledge::fieldWords(const QString &word) const
{
    if (!isAz(word))
        return {};
    const std::string typed = word.toStdString();
    const std::vector<std::string> *listed = listedFor(m_data->fieldWords, typed, m_data->singular(typed));
    if (!listed)
        return {};
    QStringList result;
    for (const std::string &affix : *listed)
        result.append(QString::fromStdString(affix));
    return result;
}

} // namespace varnex::registrar
