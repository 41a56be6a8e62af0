#include "names/suggestions.h"

#include "names/affixes.h"
#include "names/ascii_forms.h"
#include "names/glue_words.h"
#include "names/name_rules.h"
#include "names/ranking.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <vector>

namespace varnex::registrar {

namespace {

constexpr qsizetype kMaxLength = 20;       // a suggestion longer than this is hard to type or remember
constexpr qsizetype kMaxWordsForSwaps = 3; // beyond it, a swap turns a phrase into nonsense
constexpr int kSynonymsPerWord = 3;
constexpr int kAffixesForSynonyms = 12; // a synonym's labels take only the best affixes
constexpr qsizetype kMaxLabels = 20000; // what one typed label may make, whatever its length

// The score of a label, higher first. Each term in one sentence:
// the typed name in plain letters ("cafe" for "café") is what the user typed, so it comes right after it;
constexpr double kPlainFormScore = 100.0;
// a label that keeps every typed word the user would miss ranks above any that drops or replaces one;
constexpr double kAllWordsScore = 50.0;
// a long phrase cut to some of its content words comes next, the more specific words first;
constexpr double kSomeWordsScore = 30.0;
// a synonym of a typed word, in the typed word's own sense, comes last;
constexpr double kSynonymScore = 0.0;
// of two affixes, the one earlier in the curated list reads better with most names;
constexpr double kAffixStep = 0.02;
// a swap of word order reads less like what was typed;
constexpr double kSwapPenalty = 1.0;
// so does the other number of the last word;
constexpr double kNumberPenalty = 0.5;
// and, as little, a phrase without its glue words ("pizzaplace" for "pizza in place");
constexpr double kGlueDroppedPenalty = 0.5;
// each character is a little harder to type, but only a little;
constexpr double kLengthPenalty = 0.05;
// of two synonyms or two cuts of a phrase, the more familiar or specific one first;
constexpr double kWordWeight = 0.1;
// a cut of a phrase reads best as a run of its words, from its start (where people put the point);
constexpr double kGapPenalty = 1.5;
constexpr double kLaterStartPenalty = 0.2;
// a label in accented letters is harder to type than its plain form, so the plain one goes first.
constexpr double kAccentedPenalty = 1.0;

bool isAsciiText(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

struct Core {
    QStringList words;
    double score = 0;
    bool numberChanged = false; // "shops": no "shopsco"
};

class Generator final {
public:
    Generator(const QString &typed, const WordKnowledge &words)
        : m_typed(typed), m_words(words), m_hyphen(typed.contains(QLatin1Char('-')))
    {
    }

    QStringList run(int limit)
    {
        const QStringList plain = plainAsciiForms(m_typed);
        for (const QString &form : plain)
            addLabel(form, kPlainFormScore, false);
        // Word knowledge reads the plain form best; the typed form keeps its own affixes.
        QStringList forms = plain;
        forms.append(m_typed);
        for (const QString &form : forms) {
            for (const Core &core : coresOf(m_words.split(form)))
                addAffixed(core);
        }

        std::vector<std::pair<QString, double>> ranked(m_scores.keyValueBegin(), m_scores.keyValueEnd());
        std::sort(ranked.begin(), ranked.end(), ranksBefore<QString>);
        QStringList labels{m_typed};
        for (const auto &[label, score] : ranked) {
            if (labels.size() >= limit)
                break;
            labels.append(label);
        }
        return labels;
    }

private:
    // The ways to keep what was typed: all its content words (as typed, in
    // another order, in the other number), or for a long phrase the most
    // specific few; then the typed words' synonyms in their place.
    QList<Core> coresOf(QStringList words)
    {
        while (words.size() > 1 && isGlueWord(words.first()) && !mayStartLabel(words.first()))
            words.removeFirst();
        while (words.size() > 1 && isGlueWord(words.last()))
            words.removeLast();
        // "myshop" keeps "my" as typed, and also reads as "shop" with other affixes.
        QStringList content = words;
        while (content.size() > 1 && isGlueWord(content.first()))
            content.removeFirst();

        QList<Core> cores;
        if (joined(words).size() <= kMaxLength && words.size() <= kMaxWordsForSwaps + 1) {
            cores.append({words, kAllWordsScore});
            if (content != words)
                cores.append({content, kAllWordsScore});
            QStringList withoutGlue = content;
            withoutGlue.removeIf(isGlueWord);
            if (!withoutGlue.isEmpty() && withoutGlue != content)
                cores.append({withoutGlue, kAllWordsScore - kGlueDroppedPenalty}); // "pizzaplace" for "pizza in place"
            if (withoutGlue.size() >= 2 && withoutGlue.size() <= kMaxWordsForSwaps) {
                for (qsizetype i = 0; i + 1 < withoutGlue.size(); ++i) {
                    QStringList swapped = withoutGlue;
                    swapped.swapItemsAt(i, i + 1);
                    cores.append({swapped, kAllWordsScore - kSwapPenalty});
                }
            }
            if (const std::optional<QString> other = otherNumber(content.last())) {
                QStringList changed = content;
                changed.last() = *other;
                cores.append({changed, kAllWordsScore - kNumberPenalty, true});
            }
        } else {
            cores += cutsOf(words);
        }
        cores += synonymCores(content);
        return cores;
    }

    // A long phrase: every run of two or three of its content words, in the
    // typed order, that fits; the rarer (more specific) its words, the higher.
    QList<Core> cutsOf(const QStringList &words) const
    {
        QStringList content = words;
        content.removeIf(isGlueWord);
        QList<Core> cuts;
        auto offer = [&](const QStringList &picked, qsizetype start, bool gap) {
            if (joined(picked).size() > kMaxLength)
                return;
            double specific = 0;
            for (const QString &word : picked)
                specific -= std::log2(1.0 + m_words.commonness(word));
            cuts.append({picked, kSomeWordsScore + double(picked.size()) + kWordWeight * specific
                                     - kLaterStartPenalty * double(start) - (gap ? kGapPenalty : 0.0)});
        };
        for (qsizetype size = 1; size <= 3; ++size) {
            for (qsizetype start = 0; start + size <= content.size(); ++start)
                offer(content.mid(start, size), start, false);
        }
        // Two words with others between them ("pizza" … "york"), in the typed order.
        for (qsizetype i = 0; i < content.size(); ++i) {
            for (qsizetype j = i + 2; j < content.size(); ++j)
                offer({content[i], content[j]}, i, true);
        }
        return cuts;
    }

    // The plural of a known countable noun, the singular of a plural.
    std::optional<QString> otherNumber(const QString &word) const
    {
        const QString singular = m_words.singular(word);
        if (singular != word)
            return singular;
        return m_words.listedPlural(word);
    }

    QList<Core> synonymCores(const QStringList &content)
    {
        QList<Core> cores;
        if (joined(content).size() > kMaxLength)
            return cores;
        for (qsizetype i = 0; i < content.size(); ++i) {
            if (isGlueWord(content[i]))
                continue;
            const QStringList synonyms = synonymsOf(content[i]).mid(0, kSynonymsPerWord);
            for (qsizetype s = 0; s < synonyms.size(); ++s) {
                QStringList replaced = content;
                replaced[i] = synonyms[s];
                cores.append(
                    {replaced, kSynonymScore + kWordWeight * std::log2(1.0 + m_words.commonness(synonyms[s]))});
            }
        }
        return cores;
    }

    void addAffixed(const Core &core)
    {
        const bool synonym = core.score < kSomeWordsScore;
        add({}, core.words, {}, core.score);
        const qsizetype count = synonym ? std::min<qsizetype>(affixes().size(), kAffixesForSynonyms) : affixes().size();
        for (qsizetype i = 0; i < count; ++i) {
            const QString &affix = affixes()[i];
            const double score = core.score - kAffixStep * double(i + 1);
            if (affix.endsWith(QLatin1Char('-'))) {
                const QStringList start = affix.chopped(1).split(QLatin1Char('-'));
                // "getmyshop", but no "mymyshop" and no "themyshop".
                if (core.words.first() == start.last() || (isGlueWord(core.words.first()) && isGlueWord(start.last())))
                    continue;
                add(start, core.words, {}, score);
            } else {
                const QString ending = affix.mid(1);
                if (core.numberChanged || core.words.last() == ending || !readsWellWith(ending, core.words.last()))
                    continue;
                add({}, core.words, ending, score);
            }
        }
    }

    void add(const QStringList &start, const QStringList &core, const QString &ending, double score)
    {
        QStringList parts = start;
        parts += core;
        if (!ending.isEmpty())
            parts += ending.split(QLatin1Char('-'));
        addLabel(parts.join(QString()), score, true);
        if (m_hyphen && parts.size() > 1)
            addLabel(parts.join(QLatin1Char('-')), score, true);
    }

    void addLabel(const QString &label, double score, bool capped)
    {
        if (label == m_typed || (capped && label.size() > kMaxLength) || m_scores.size() >= kMaxLabels
            || (!m_hyphen && label.contains(QLatin1Char('-'))))
            return;
        score -= kLengthPenalty * double(label.size());
        if (capped && !isAsciiText(label))
            score -= kAccentedPenalty;
        const auto found = m_scores.find(label);
        if (found != m_scores.end()) {
            *found = std::max(*found, score);
            return;
        }
        if (asciiLabel(label))
            m_scores.insert(label, score);
    }

    const QStringList &synonymsOf(const QString &word)
    {
        auto found = m_synonyms.find(word);
        if (found == m_synonyms.end())
            found = m_synonyms.insert(word, m_words.synonyms(word));
        return *found;
    }

    static QString joined(const QStringList &words) { return words.join(QString()); }

    const QString m_typed;
    const WordKnowledge &m_words;
    const bool m_hyphen;
    QHash<QString, double> m_scores;
    QHash<QString, QStringList> m_synonyms;
};

} // namespace

QStringList suggestedLabels(const QString &typedLabel, const WordKnowledge &words, int limit)
{
    if (limit <= 0 || !asciiLabel(typedLabel) || typedLabel != typedLabel.toLower())
        return {};
    return Generator(typedLabel, words).run(limit);
}

} // namespace varnex::registrar
