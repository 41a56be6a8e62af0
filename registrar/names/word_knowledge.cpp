#include "names/word_knowledge.h"

#include "names/glue_words.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace varnex::registrar {

namespace {

// Small words of the language, which WordNet leaves out (it holds nouns,
// verbs, adjectives and adverbs only), and the short words names are built
// with. They make "myshop" read as my + shop, and "another" stay one word
// rather than an + other. No "i": "taxi" is no tax + i.
constexpr int kSmallWordCount = 60;
constexpr std::array kSmallWords{
    "a",       "about",   "above",    "after",   "again",   "against", "all",     "also",     "an",
    "and",     "another", "any",      "anyone",  "anything","are",     "as",      "at",       "be",
    "because", "been",    "before",   "being",   "below",   "between", "both",    "but",      "by",
    "can",     "could",   "did",      "do",      "does",    "down",    "during",  "each",     "every",
    "everyone","everything","for",    "from",    "go",      "had",     "has",     "have",     "he",
    "her",     "here",    "hers",     "him",     "his",     "how",     "if",      "in",
    "into",    "is",      "it",       "its",     "just",    "me",      "mine",    "more",     "most",
    "my",      "no",      "nobody",   "nor",     "not",     "nothing", "now",     "of",       "off",
    "on",      "once",    "one",      "only",    "onto",    "or",      "other",   "our",      "ours",
    "out",     "over",    "own",      "same",    "she",     "should",  "so",      "some",     "someone",
    "something","such",   "than",     "that",    "the",     "their",   "them",    "then",     "there",
    "these",   "they",    "this",     "those",   "through", "to",      "too",     "under",    "until",
    "up",      "upon",    "us",       "very",    "was",     "we",      "were",    "what",     "when",
    "where",   "which",   "while",    "who",     "whom",    "why",     "will",    "with",     "within",
    "without", "would",   "you",      "your",    "yours",
};
// Words of names that WordNet 3.0 does not know or knows only in rare senses.
constexpr int kNameWordCount = 20;
constexpr std::array kNameWords{"app", "co", "hq", "online", "web", "blog", "email", "hub", "lab", "pro", "plus"};

constexpr qsizetype kMinPlainWord = 3; // shorter words only from the lists above
constexpr double kWordCost = 10.0;     // what each word of a split costs before its commonness
constexpr double kUnknownCost = 20.0;  // a stretch of no known word, plus 2 for each letter

// Endings that make words of words; alone they are no word of a name.
bool isWordEnding(const QString &piece)
{
    static const QStringList endings{QStringLiteral("able"), QStringLiteral("ible"), QStringLiteral("ness"),
                                     QStringLiteral("less"), QStringLiteral("ment"), QStringLiteral("ly"),
                                     QStringLiteral("ing"),  QStringLiteral("ed"),   QStringLiteral("er"),
                                     QStringLiteral("est"),  QStringLiteral("ful"),  QStringLiteral("ish"),
                                     QStringLiteral("ism"),  QStringLiteral("ist"),  QStringLiteral("ity"),
                                     QStringLiteral("ize"),  QStringLiteral("ous"),  QStringLiteral("tion"),
                                     QStringLiteral("sion"), QStringLiteral("al"),   QStringLiteral("es"),
                                     QStringLiteral("s")};
    return endings.contains(piece);
}

bool isAz(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

bool isAz(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('a') && c <= QLatin1Char('z');
    });
}

// A text file's lines as views into it.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit)
{
    while (!text.empty()) {
        const size_t end = text.find('\n');
        visit(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> out;
    size_t at = 0;
    while (at < line.size()) {
        const size_t start = line.find_first_not_of(' ', at);
        if (start == std::string_view::npos)
            break;
        size_t end = line.find(' ', start);
        if (end == std::string_view::npos)
            end = line.size();
        out.push_back(line.substr(start, end - start));
        at = end;
    }
    return out;
}

// A field of a WordNet file as a number; 0 when it is none.
unsigned long number(std::string_view text, int base = 10)
{
    unsigned long value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, base);
    return value;
}

enum Pos { Noun, Verb, Adjective, PosCount };
constexpr std::array<const char *, PosCount> kPosNames{"noun", "verb", "adj"};

Pos posOf(std::string_view symbol)
{
    if (symbol == "v")
        return Verb;
    if (symbol == "a" || symbol == "s")
        return Adjective;
    return Noun; // adverbs are not followed
}

struct Synset {
    std::vector<std::string_view> lemmas;
    struct Pointer {
        std::string_view symbol;
        Pos pos;
        unsigned long offset;
    };
    std::vector<Pointer> pointers;
};

} // namespace

struct WordKnowledge::Data {
    struct Entry {
        std::string word;
        int count = 0;
        bool operator<(const Entry &other) const { return word < other.word; }
    };
    std::vector<Entry> words; // sorted; the word list's a-z words and WordNet's counted lemmas
    // How often each sense of a lemma was tagged: "shop" as a store more than as a class.
    struct SenseCount {
        std::string lemma;
        int pos = Noun;
        int sense = 0; // 1 for the first synset the index lists
        int count = 0;
        auto key() const { return std::tie(lemma, pos, sense); }
        bool operator<(const SenseCount &other) const { return key() < other.key(); }
    };
    std::vector<SenseCount> senseCounts; // sorted
    std::unordered_map<std::string, std::string> singularOf, pluralOf;
    std::array<std::unique_ptr<QFile>, PosCount * 2> files; // index then data, mapped
    std::array<std::string_view, PosCount> index, data;

    const Entry *find(std::string_view word) const
    {
        const auto it = std::lower_bound(words.begin(), words.end(), word,
                                         [](const Entry &entry, std::string_view key) { return entry.word < key; });
        return it != words.end() && it->word == word ? &*it : nullptr;
    }

    // WordNet's index files are sorted byte by byte: a binary search on line starts.
    std::string_view indexLine(Pos pos, std::string_view lemma) const
    {
        const std::string_view file = index[pos];
        size_t low = 0, high = file.size();
        while (low < high) {
            const size_t middle = low + (high - low) / 2;
            const size_t start = middle == 0 ? 0 : file.rfind('\n', middle - 1) + 1; // npos + 1 == 0
            size_t end = file.find('\n', start);
            if (end == std::string_view::npos)
                end = file.size();
            const std::string_view line = file.substr(start, end - start);
            const std::string_view key = line.substr(0, line.find(' '));
            if (key == lemma)
                return line;
            if (key < lemma)
                low = end + 1;
            else
                high = start;
        }
        return {};
    }

    // The synsets of a lemma in one part of speech, most frequent sense first.
    std::vector<unsigned long> senses(Pos pos, std::string_view lemma) const
    {
        const std::vector<std::string_view> parts = fields(indexLine(pos, lemma));
        if (parts.size() < 4)
            return {};
        const size_t synsets = number(parts[2]);
        if (parts.size() < synsets)
            return {};
        std::vector<unsigned long> offsets;
        for (size_t i = parts.size() - synsets; i < parts.size(); ++i)
            offsets.push_back(number(parts[i]));
        return offsets;
    }

    Synset synset(Pos pos, unsigned long offset) const
    {
        Synset result;
        const std::string_view file = data[pos];
        if (offset >= file.size())
            return result;
        std::string_view line = file.substr(offset);
        line = line.substr(0, line.find('\n'));
        line = line.substr(0, line.find(" | ")); // the gloss
        const std::vector<std::string_view> parts = fields(line);
        if (parts.size() < 4)
            return result;
        const size_t lemmaCount = number(parts[3], 16);
        size_t at = 4;
        for (size_t i = 0; i < lemmaCount && at + 1 < parts.size(); ++i, at += 2) {
            std::string_view lemma = parts[at];
            lemma = lemma.substr(0, lemma.find('(')); // adjective markers such as "(a)"
            result.lemmas.push_back(lemma);
        }
        if (at >= parts.size())
            return result;
        const size_t pointerCount = number(parts[at++]);
        for (size_t i = 0; i < pointerCount && at + 3 < parts.size(); ++i, at += 4) {
            if (parts[at + 3] != "0000") // lexical pointers tie single words, not meanings
                continue;
            result.pointers.push_back({parts[at], posOf(parts[at + 2]), number(parts[at + 1])});
        }
        return result;
    }

    int senseCount(const std::string &lemma, Pos pos, int sense) const
    {
        const SenseCount key{lemma, pos, sense, 0};
        const auto it = std::lower_bound(senseCounts.begin(), senseCounts.end(), key);
        return it != senseCounts.end() && it->key() == key.key() ? it->count : 0;
    }

    int count(std::string_view word) const
    {
        static const QHash<QByteArray, int> fixed = [] {
            QHash<QByteArray, int> table;
            for (const char *small : kSmallWords)
                table.insert(small, kSmallWordCount);
            for (const char *nameWord : kNameWords)
                table.insert(nameWord, kNameWordCount);
            return table;
        }();
        const int fixedCount = fixed.value(QByteArray::fromRawData(word.data(), qsizetype(word.size())));
        const Entry *entry = find(word);
        return std::max(fixedCount, entry ? entry->count : 0);
    }

    // A word's count, or its singular's: "friends" is as common as "friend".
    int usage(std::string_view word) const
    {
        const int own = count(word);
        if (own > 0 || !word.ends_with('s'))
            return own;
        const std::string text(word);
        const std::string base = singular(text);
        return base == text ? 0 : count(base);
    }

    bool splitWord(std::string_view word) const
    {
        return word.size() >= kMinPlainWord ? find(word) != nullptr || count(word) > 0 : count(word) > 0;
    }

    bool isNoun(std::string_view word) const { return !indexLine(Noun, word).empty(); }

    std::string singular(const std::string &word) const
    {
        if (const auto it = singularOf.find(word); it != singularOf.end())
            return it->second;
        if (word.size() < 3 || word.ends_with("ss") || (!word.ends_with('s') && !word.ends_with("men")))
            return word;
        static const std::array<std::pair<std::string_view, std::string_view>, 8> rules{{
            {"ies", "y"}, {"ches", "ch"}, {"shes", "sh"}, {"ses", "s"}, {"xes", "x"}, {"zes", "z"},
            {"men", "man"}, {"s", ""},
        }};
        const bool wordIsNoun = isNoun(word);
        for (const auto &[ending, replacement] : rules) {
            if (!word.ends_with(ending))
                continue;
            const std::string base = word.substr(0, word.size() - ending.size()) + std::string(replacement);
            if (isNoun(base) || (!wordIsNoun && find(base)))
                return base;
        }
        return word;
    }

    // Whether a word is used as a noun at least as much as otherwise ("best" is not).
    bool mainlyNoun(const std::string &word) const
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

    std::string plural(const std::string &word) const
    {
        if (!mainlyNoun(word) || singular(word) != word)
            return word;
        const std::string regular = regularPlural(word);
        if (const auto it = pluralOf.find(word); it != pluralOf.end() && !find(regular))
            return it->second;
        // WordNet reads "women" back by rule, so the list does not hold it.
        if (word.ends_with("man") && !find(regular)) {
            const std::string men = word.substr(0, word.size() - 3) + "men";
            if (find(men))
                return men;
        }
        return regular;
    }

    static std::string regularPlural(const std::string &word)
    {
        auto vowel = [](char c) { return std::string_view("aeiou").find(c) != std::string_view::npos; };
        if (word.ends_with('s') || word.ends_with('x') || word.ends_with('z') || word.ends_with("ch")
            || word.ends_with("sh"))
            return word + "es";
        if (word.size() > 1 && word.ends_with('y') && !vowel(word[word.size() - 2]))
            return word.substr(0, word.size() - 1) + "ies";
        return word + "s";
    }
};

namespace {

std::optional<QByteArray> readAll(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

std::string_view view(const QByteArray &bytes)
{
    return {bytes.constData(), size_t(bytes.size())};
}

} // namespace

WordKnowledge::WordKnowledge(std::shared_ptr<const Data> data)
    : m_data(std::move(data))
{
}

QString WordKnowledge::defaultWordList()
{
    return QStringLiteral("/usr/share/dict/american-english");
}

QString WordKnowledge::defaultWordnetFolder()
{
    return QStringLiteral("/usr/share/wordnet");
}

std::optional<WordKnowledge> WordKnowledge::load(const QString &wordList, const QString &wordnetFolder,
                                                 QString *error)
{
    auto data = std::make_shared<Data>();
    const QDir folder(wordnetFolder);

    const std::optional<QByteArray> list = readAll(wordList, error);
    const std::optional<QByteArray> counts = readAll(folder.filePath(QStringLiteral("cntlist.rev")), error);
    const std::optional<QByteArray> exceptions = readAll(folder.filePath(QStringLiteral("noun.exc")), error);
    if (!list || !counts || !exceptions)
        return std::nullopt;

    // Proper nouns ("Aaron") and possessives ("Aaron's") are no words for a name.
    forEachLine(view(*list), [&](std::string_view line) {
        if (isAz(line))
            data->words.push_back({std::string(line), 0});
    });
    // "shop%1:06:00:: 1 9": lemma, part of speech, sense number, and how
    // often the sense was tagged in the corpus.
    std::unordered_map<std::string, int> lemmaCounts;
    forEachLine(view(*counts), [&](std::string_view line) {
        const std::vector<std::string_view> parts = fields(line);
        const size_t percent = line.find('%');
        if (parts.size() != 3 || percent == std::string_view::npos || percent + 1 >= line.size()
            || !isAz(line.substr(0, percent)))
            return;
        const std::string lemma(line.substr(0, percent));
        const int count = int(number(parts[2]));
        lemmaCounts[lemma] += count;
        const char type = line[percent + 1]; // 1 noun, 2 verb, 3 adjective, 4 adverb, 5 adjective satellite
        if (count > 0 && type != '4')
            data->senseCounts.push_back({lemma, type == '1' ? Noun : type == '2' ? Verb : Adjective,
                                         int(number(parts[1])), count});
    });
    std::sort(data->senseCounts.begin(), data->senseCounts.end());
    std::sort(data->words.begin(), data->words.end());
    data->words.erase(std::unique(data->words.begin(), data->words.end(),
                                  [](const Data::Entry &a, const Data::Entry &b) { return a.word == b.word; }),
                      data->words.end());
    const size_t listed = data->words.size();
    for (const auto &[lemma, count] : lemmaCounts) {
        const auto it = std::lower_bound(data->words.begin(), data->words.begin() + qsizetype(listed),
                                         Data::Entry{lemma, 0});
        if (it != data->words.begin() + qsizetype(listed) && it->word == lemma)
            it->count = count;
        else if (count > 0)
            data->words.push_back({lemma, count});
    }
    std::sort(data->words.begin(), data->words.end());
    data->words.shrink_to_fit();

    // "children child": irregular plurals, both ways.
    forEachLine(view(*exceptions), [&](std::string_view line) {
        const std::vector<std::string_view> parts = fields(line);
        if (parts.size() < 2 || !isAz(parts[0]) || !isAz(parts[1]))
            return;
        data->singularOf.emplace(parts[0], parts[1]);
        data->pluralOf.emplace(parts[1], parts[0]);
    });

    for (int pos = 0; pos < PosCount; ++pos) {
        for (const char *kind : {"index", "data"}) {
            auto file = std::make_unique<QFile>(folder.filePath(QStringLiteral("%1.%2").arg(
                QLatin1String(kind), QLatin1String(kPosNames[size_t(pos)]))));
            const uchar *mapped = file->open(QIODevice::ReadOnly) ? file->map(0, file->size()) : nullptr;
            if (!mapped) {
                if (error)
                    *error = QStringLiteral("cannot read %1: %2").arg(file->fileName(), file->errorString());
                return std::nullopt;
            }
            const std::string_view text(reinterpret_cast<const char *>(mapped), size_t(file->size()));
            (kind == std::string_view("index") ? data->index : data->data)[size_t(pos)] = text;
            data->files[size_t(pos) * 2 + (kind == std::string_view("index") ? 0 : 1)] = std::move(file);
        }
    }
    return WordKnowledge(std::move(data));
}

int WordKnowledge::commonness(const QString &word) const
{
    if (!isAz(word))
        return 0;
    return m_data->usage(word.toStdString());
}

bool WordKnowledge::isWord(const QString &word) const
{
    return isAz(word) && m_data->splitWord(word.toStdString());
}

QStringList WordKnowledge::split(const QString &label) const
{
    const QString lower = label.toLower();
    const bool plain = std::all_of(lower.begin(), lower.end(), [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            || c == QLatin1Char('-');
    });
    if (!plain || lower.isEmpty())
        return {label};

    QStringList words;
    // Each run of letters is split on its own: the cheapest reading, where a
    // word costs less the more common it is and unknown stretches cost most.
    auto splitRun = [&](const std::string &run) {
        const size_t n = run.size();
        std::vector<double> best(n + 1, std::numeric_limits<double>::infinity());
        std::vector<size_t> from(n + 1, 0);
        best[0] = 0;
        for (size_t end = 1; end <= n; ++end) {
            for (size_t start = 0; start < end; ++start) {
                if (!std::isfinite(best[start]))
                    continue;
                const std::string_view piece = std::string_view(run).substr(start, end - start);
                const double cost = m_data->splitWord(piece)
                    ? std::max(0.5, kWordCost - std::log2(1.0 + m_data->usage(piece)))
                    : kUnknownCost + 2.0 * double(piece.size());
                if (best[start] + cost < best[end]) {
                    best[end] = best[start] + cost;
                    from[end] = start;
                }
            }
        }
        QStringList pieces;
        for (size_t end = n; end > 0; end = from[end])
            pieces.prepend(QString::fromStdString(run.substr(from[end], end - from[end])));
        // A lone letter after a word, or an ending such as "able" on its own,
        // is part of the word before it: "vortexa" is one made-up word, not
        // "vortex a".
        for (qsizetype i = 1; i < pieces.size();) {
            if ((pieces[i].size() == 1 || isWordEnding(pieces[i])) && !isJoiningWord(pieces[i - 1])) {
                pieces[i - 1] += pieces[i];
                pieces.removeAt(i);
            } else {
                ++i;
            }
        }
        words += pieces;
    };

    const std::string text = lower.toStdString();
    size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        size_t end = at + 1;
        if (c == '-') {
            at = end;
            continue;
        }
        const bool digit = c >= '0' && c <= '9';
        while (end < text.size() && text[end] != '-' && (text[end] >= '0' && text[end] <= '9') == digit)
            ++end;
        if (digit)
            words.append(QString::fromStdString(text.substr(at, end - at)));
        else
            splitRun(text.substr(at, end - at));
        at = end;
    }
    return words.isEmpty() ? QStringList{label} : words;
}

QStringList WordKnowledge::relatives(const QString &word) const
{
    if (!isAz(word))
        return {};
    std::string lemma = word.toStdString();
    const auto known = [&](const std::string &candidate) {
        for (int pos = 0; pos < PosCount; ++pos) {
            if (!m_data->indexLine(Pos(pos), candidate).empty())
                return true;
        }
        return false;
    };
    if (const std::string base = m_data->singular(lemma); base != lemma && known(base))
        lemma = base; // "shoes" the footwear, not the situation

    const std::string ownPlural = m_data->plural(lemma);

    // The meanings a name means: nouns and adjectives, the most tagged sense
    // first, and a second one when it is nearly as common ("place" the spot
    // and the building); verbs only for a word that is nothing else.
    struct Meaning {
        Pos pos;
        unsigned long offset;
        int count;
    };
    std::vector<Meaning> meanings;
    for (const Pos pos : {Noun, Adjective}) {
        const std::vector<unsigned long> senses = m_data->senses(pos, lemma);
        for (size_t i = 0; i < senses.size(); ++i)
            meanings.push_back({pos, senses[i], m_data->senseCount(lemma, pos, int(i + 1))});
    }
    if (meanings.empty()) {
        const std::vector<unsigned long> senses = m_data->senses(Verb, lemma);
        if (!senses.empty())
            meanings.push_back({Verb, senses.front(), 0});
    }
    if (meanings.empty())
        return {};
    std::stable_sort(meanings.begin(), meanings.end(),
                     [](const Meaning &a, const Meaning &b) { return a.count > b.count; });
    const bool secondMeaning = meanings.size() > 1 && meanings[1].count > 0 && meanings[1].count * 10 >= meanings[0].count * 3;
    meanings.resize(secondMeaning ? 2 : 1);

    // Each relative scores how often it was used in this very sense, how
    // familiar it is when this is its usual sense, and how close it stands:
    // a synonym above the broader term, above narrower terms and siblings.
    std::unordered_map<std::string, double> scores;
    // Siblings in a large family ("dish" has over a hundred) are too far
    // apart to count; narrower terms of one count only when used in that
    // sense.
    constexpr size_t kSmallFamily = 50;
    auto offer = [&](std::string_view candidate, Pos pos, unsigned long offset, double closeness,
                     bool needsUse = false) {
        const std::string text(candidate);
        if (!isAz(candidate) || text == lemma || text == ownPlural || text == word.toStdString()
            || text.size() < kMinPlainWord || !m_data->splitWord(text))
            return;
        const std::vector<unsigned long> senses = m_data->senses(pos, text);
        const auto at = std::find(senses.begin(), senses.end(), offset);
        const int rank = at == senses.end() ? 0 : int(at - senses.begin()) + 1;
        double score = std::log2(1.0 + m_data->senseCount(text, pos, rank)) + closeness;
        if (rank == 1)
            score += 0.5 * std::log2(1.0 + m_data->count(text));
        if (needsUse && score - closeness <= 0)
            return;
        auto [it, inserted] = scores.emplace(text, score);
        if (!inserted)
            it->second = std::max(it->second, score);
    };
    auto offerAll = [&](const Synset::Pointer &pointer, double closeness, bool needsUse = false) {
        for (std::string_view relative : m_data->synset(pointer.pos, pointer.offset).lemmas)
            offer(relative, pointer.pos, pointer.offset, closeness, needsUse);
    };
    auto family = [](const Synset &synset) {
        return size_t(std::count_if(synset.pointers.begin(), synset.pointers.end(),
                                    [](const Synset::Pointer &p) { return p.symbol == "~"; }));
    };
    for (size_t m = 0; m < meanings.size(); ++m) {
        const Meaning &meaning = meanings[m];
        const Synset synset = m_data->synset(meaning.pos, meaning.offset);
        for (std::string_view synonym : synset.lemmas)
            offer(synonym, meaning.pos, meaning.offset, m == 0 ? 3.0 : 2.0);
        if (m != 0)
            continue;
        for (const Synset::Pointer &pointer : synset.pointers) {
            if (pointer.symbol == "&") { // similar adjectives
                offerAll(pointer, 1.5);
            } else if (pointer.symbol == "~") { // narrower terms
                const bool large = family(synset) > kSmallFamily;
                offerAll(pointer, large ? -1.0 : 0.5, large);
            } else if (pointer.symbol == "@") { // the broader term, and its other narrower terms
                offerAll(pointer, 1.5);
                const Synset broader = m_data->synset(pointer.pos, pointer.offset);
                if (family(broader) > kSmallFamily) // "soup" is no relative of "pizza"
                    continue;
                for (const Synset::Pointer &down : broader.pointers) {
                    if (down.symbol == "~" && down.offset != meaning.offset)
                        offerAll(down, 0.0);
                }
            }
        }
    }
    std::vector<std::pair<std::string, double>> ranked(scores.begin(), scores.end());
    std::sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) {
        if (a.second != b.second)
            return a.second > b.second;
        if (a.first.size() != b.first.size())
            return a.first.size() < b.first.size();
        return a.first < b.first;
    });
    QStringList result;
    for (const auto &[text, score] : ranked)
        result.append(QString::fromStdString(text));
    return result;
}

QStringList WordKnowledge::synonyms(const QString &word) const
{
    if (!isAz(word))
        return {};
    std::string lemma = word.toStdString();
    if (const std::string base = m_data->singular(lemma); base != lemma && m_data->isNoun(base))
        lemma = base;
    const std::string ownPlural = m_data->plural(lemma);
    // The word's senses as a noun, else as an adjective, else as a verb; the
    // most used one, and a second one only when it is nearly as common.
    for (const Pos pos : {Noun, Adjective, Verb}) {
        const std::vector<unsigned long> senses = m_data->senses(pos, lemma);
        if (senses.empty())
            continue;
        const int first = m_data->senseCount(lemma, pos, 1);
        const int second = senses.size() > 1 ? m_data->senseCount(lemma, pos, 2) : 0;
        const size_t used = second > 0 && second * 10 >= first * 3 ? 2 : 1;
        std::vector<std::pair<std::string, int>> found;
        for (size_t i = 0; i < used; ++i) {
            for (std::string_view synonym : m_data->synset(pos, senses[i]).lemmas) {
                const std::string text(synonym);
                if (!isAz(synonym) || text == lemma || text == ownPlural || text.size() < kMinPlainWord
                    || !m_data->splitWord(text))
                    continue;
                if (std::none_of(found.begin(), found.end(), [&](const auto &entry) { return entry.first == text; }))
                    found.emplace_back(text, m_data->count(text));
            }
        }
        std::stable_sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
        QStringList result;
        for (const auto &[text, count] : found)
            result.append(QString::fromStdString(text));
        return result;
    }
    return {};
}

std::optional<QString> WordKnowledge::listedPlural(const QString &word) const
{
    if (!isAz(word) || !m_data->find(word.toStdString()))
        return std::nullopt;
    const QString other = plural(word);
    if (other == word || !m_data->find(other.toStdString()))
        return std::nullopt;
    return other;
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

} // namespace varnex::registrar
