#include "names/word_knowledge.h"

#include "names/word_data.h"

#include <QByteArray>
#include <QHash>

namespace varnex::registrar {

namespace {

// Small words of the language, which WordNet leaves out (it holds nouns,
// verbs, adjectives and adverbs only), and the short words names are built
// with. They make "myshop" read as my + shop, and "another" stay one word
// rather than an + other. "i" only between words ("wherecanibuy"): a word of
// the dictionary stays whole ("taxi"), and a lone letter at the end joins
// the word before it (word_split.cpp).
constexpr int kSmallWordCount = 60;
constexpr std::array kSmallWords{
    "a",         "i",       "about", "above",   "after",    "again",  "against", "all",      "also",       "an",
    "and",       "another", "any",   "anyone",  "anything", "are",    "as",      "at",       "be",         "because",
    "been",      "before",  "being", "below",   "between",  "both",   "but",     "by",       "can",        "could",
    "did",       "do",      "does",  "down",    "during",   "each",   "every",   "everyone", "everything", "for",
    "from",      "go",      "had",   "has",     "have",     "he",     "her",     "here",     "hers",       "him",
    "his",       "how",     "if",    "in",      "into",     "is",     "it",      "its",      "just",       "me",
    "mine",      "more",    "most",  "my",      "no",       "nobody", "nor",     "not",      "nothing",    "now",
    "of",        "off",     "on",    "once",    "one",      "only",   "onto",    "or",       "other",      "our",
    "ours",      "out",     "over",  "own",     "same",     "she",    "should",  "so",       "some",       "someone",
    "something", "such",    "than",  "that",    "the",      "their",  "them",    "then",     "there",      "these",
    "they",      "this",    "those", "through", "to",       "too",    "under",   "until",    "up",         "upon",
    "us",        "very",    "was",   "we",      "were",     "what",   "when",    "where",    "which",      "while",
    "who",       "whom",    "why",   "will",    "with",     "within", "without", "would",    "you",        "your",
    "yours",
};
// Words of names that WordNet 3.0 does not know or knows only in rare senses.
constexpr int kNameWordCount = 20;
constexpr std::array kNameWords{"app", "co", "hq", "online", "web", "blog", "email", "hub", "lab", "pro", "plus"};

} // namespace

WordKnowledge::WordKnowledge(std::shared_ptr<const Data> data) : m_data(std::move(data)) { }

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

const WordKnowledge::Data::Entry *WordKnowledge::Data::find(std::string_view word) const
{
    const auto it = std::lower_bound(words.begin(), words.end(), word,
                                     [](const Entry &entry, std::string_view key) { return entry.word < key; });
    return it != words.end() && it->word == word ? &*it : nullptr;
}

int WordKnowledge::Data::count(std::string_view word) const
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

int WordKnowledge::Data::usage(std::string_view word) const
{
    const int own = count(word);
    if (own > 0 || !word.ends_with('s'))
        return own;
    const std::string text(word);
    const std::string base = singular(text);
    return base == text ? 0 : count(base);
}

bool WordKnowledge::Data::common(std::string_view word) const
{
    const Entry *entry = find(word);
    if (entry && entry->common)
        return true;
    const std::string text(word);
    const std::string base = singular(text);
    entry = base == text ? nullptr : find(base);
    return entry && entry->common;
}

bool WordKnowledge::Data::splitWord(std::string_view word) const
{
    return word.size() >= kMinPlainWord ? find(word) != nullptr || count(word) > 0 : count(word) > 0;
}

int WordKnowledge::Data::senseCount(const std::string &lemma, wordnet::Pos pos, int sense) const
{
    const SenseCount key{lemma, pos, sense, 0};
    const auto it = std::lower_bound(senseCounts.begin(), senseCounts.end(), key);
    return it != senseCounts.end() && it->key() == key.key() ? it->count : 0;
}

} // namespace varnex::registrar
