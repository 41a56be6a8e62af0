#include "suggestions.h"

#include "name_rules.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <vector>

namespace varnex::registrar {

namespace {

constexpr qsizetype kMaxLength = 20;
constexpr qsizetype kMaxWordsForSubsets = 4; // beyond it, only runs of neighbouring words
constexpr qsizetype kMaxWordsForSwaps = 8;
constexpr qsizetype kMaxRun = 3;
constexpr qsizetype kMaxLabels = 50000; // what one label may make, whatever its length

// Penalties on a label's commonness score, so that of two labels of one
// length the one closer to what was typed comes first.
constexpr double kRelativePenalty = 0.5;
constexpr double kDroppedPenalty = 1.0;
constexpr double kSwapPenalty = 1.5;
constexpr double kAffixPenalty = 0.5;

const QStringList &prefixes()
{
    static const QStringList list{QStringLiteral("my"), QStringLiteral("the"), QStringLiteral("get"),
                                  QStringLiteral("go"), QStringLiteral("try"), QStringLiteral("our")};
    return list;
}

const QStringList &suffixes()
{
    static const QStringList list{QStringLiteral("hq"),     QStringLiteral("app"),  QStringLiteral("hub"),
                                  QStringLiteral("lab"),    QStringLiteral("co"),   QStringLiteral("now"),
                                  QStringLiteral("online"), QStringLiteral("pro"),  QStringLiteral("plus"),
                                  QStringLiteral("spot"),   QStringLiteral("zone"), QStringLiteral("club"),
                                  QStringLiteral("world"),  QStringLiteral("direct")};
    return list;
}

// Words that glue a phrase together: they stay where they were typed.
bool isGlue(const QString &word)
{
    static const QStringList glue{QStringLiteral("a"),   QStringLiteral("an"),  QStringLiteral("and"),
                                  QStringLiteral("the"), QStringLiteral("of"),  QStringLiteral("for"),
                                  QStringLiteral("to"),  QStringLiteral("in"),  QStringLiteral("on"),
                                  QStringLiteral("at"),  QStringLiteral("by"),  QStringLiteral("with"),
                                  QStringLiteral("or"),  QStringLiteral("my"),  QStringLiteral("our"),
                                  QStringLiteral("your")};
    return glue.contains(word);
}

struct Variant {
    QStringList words;
    double penalty = 0;
    bool numberChanged = false; // "shops" for "shop": no "shopsco", no "teas" for "coffees"
};

class Generator final {
public:
    Generator(const QString &typed, const WordKnowledge &words)
        : m_typed(typed)
        , m_words(words)
        , m_maxLength(std::max(kMaxLength, typed.size()))
        , m_hyphen(typed.contains(QLatin1Char('-')))
    {
    }

    QStringList run(int limit)
    {
        QStringList core = m_words.split(m_typed);
        QString typedPrefix, typedSuffix;
        if (core.size() > 1 && prefixes().contains(core.first()))
            typedPrefix = core.takeFirst();
        if (core.size() > 1 && suffixes().contains(core.last()))
            typedSuffix = core.takeLast();

        for (const Variant &base : bases(core)) {
            for (const Variant &numbered : withNumber(base)) {
                for (const Variant &variant : withRelatives(numbered))
                    addWithAffixes(variant, typedPrefix, typedSuffix);
            }
        }

        std::vector<std::pair<QString, double>> ranked(m_scores.keyValueBegin(), m_scores.keyValueEnd());
        std::sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) {
            if (a.first.size() != b.first.size())
                return a.first.size() < b.first.size();
            if (a.second != b.second)
                return a.second > b.second;
            return a.first < b.first;
        });
        QStringList labels{m_typed};
        for (const auto &[label, score] : ranked) {
            if (labels.size() >= limit)
                break;
            labels.append(label);
        }
        return labels;
    }

private:
    // The typed words, fewer of them (at least half), and in another order.
    QList<Variant> bases(const QStringList &core) const
    {
        QList<Variant> out{{core, 0}};
        const qsizetype n = core.size();
        if (n > 1 && n <= kMaxWordsForSubsets) {
            for (quint32 mask = 1; mask + 1 < (1u << n); ++mask) {
                QStringList kept;
                for (qsizetype i = 0; i < n; ++i) {
                    if (mask & (1u << i))
                        kept.append(core[i]);
                }
                if (kept.size() >= (n + 1) / 2)
                    out.append({kept, kDroppedPenalty});
            }
        } else if (n > kMaxWordsForSubsets) {
            for (qsizetype length = (n + 1) / 2; length < n && length <= kMaxRun; ++length) {
                for (qsizetype start = 0; start + length <= n; ++start)
                    out.append({core.mid(start, length), kDroppedPenalty});
            }
        }
        out.erase(std::remove_if(out.begin() + 1, out.end(),
                                 [](const Variant &v) {
                                     return std::all_of(v.words.begin(), v.words.end(), isGlue)
                                         || (v.words.size() == 1 && v.words.first().size() < 3);
                                 }),
                  out.end());
        if (n <= kMaxWordsForSwaps) {
            auto swapped = [&](const QStringList &words, qsizetype i) -> std::optional<QStringList> {
                if (isGlue(words[i]) || isGlue(words[i + 1]) || words[i] == words[i + 1])
                    return std::nullopt;
                QStringList copy = words;
                copy.swapItemsAt(i, i + 1);
                return copy;
            };
            for (qsizetype i = 0; i + 1 < n; ++i) {
                const std::optional<QStringList> once = swapped(core, i);
                if (!once)
                    continue;
                out.append({*once, kSwapPenalty});
                for (qsizetype j = 0; j + 1 < n; ++j) {
                    if (j == i)
                        continue;
                    if (const std::optional<QStringList> twice = swapped(*once, j))
                        out.append({*twice, 2 * kSwapPenalty});
                }
            }
        }
        return out;
    }

    QList<Variant> withRelatives(const Variant &base)
    {
        QList<Variant> out{base};
        // In a phrase the other words hold the meaning: only the closest relatives.
        const int perWord = base.words.size() > 1 ? 3 : 8;
        for (qsizetype i = 0; i < base.words.size(); ++i) {
            if (base.numberChanged && i == base.words.size() - 1)
                continue;
            const QString &word = base.words[i];
            const bool plural = m_words.singular(word) != word;
            const QStringList relatives = relativesOf(word).mid(0, perWord);
            for (const QString &relative : relatives) {
                Variant replaced = base;
                replaced.words[i] = plural ? m_words.plural(relative) : relative;
                replaced.penalty += kRelativePenalty;
                out.append(replaced);
            }
        }
        return out;
    }

    // The last word in the other number: "shop" gives "shops", "pizzas" gives "pizza".
    QList<Variant> withNumber(const Variant &variant) const
    {
        QList<Variant> out{variant};
        const QString &last = variant.words.last();
        QString other = m_words.singular(last);
        if (other == last)
            other = m_words.plural(last);
        if (other != last) {
            Variant changed = variant;
            changed.words.last() = other;
            changed.numberChanged = true;
            out.append(changed);
        }
        return out;
    }

    void addWithAffixes(const Variant &variant, const QString &typedPrefix, const QString &typedSuffix)
    {
        double common = 0;
        for (const QString &word : variant.words)
            common += std::log2(1.0 + m_words.commonness(word));
        const double score = common / double(variant.words.size()) - variant.penalty;

        const QStringList typedStart = typedPrefix.isEmpty() ? QStringList{} : QStringList{typedPrefix};
        add(typedStart, variant.words, typedSuffix, score);
        if (!typedPrefix.isEmpty() || !typedSuffix.isEmpty())
            add({}, variant.words, {}, score);
        for (const QString &prefix : prefixes()) {
            if (prefix == typedPrefix || prefix == variant.words.first())
                continue;
            add({prefix}, variant.words, typedSuffix, score - kAffixPenalty);
            // "getmyshop": a verb before the typed "my", never "themyshop".
            if (!typedPrefix.isEmpty() && isGlue(typedPrefix) && !isGlue(prefix))
                add({prefix, typedPrefix}, variant.words, typedSuffix, score - kAffixPenalty);
        }
        for (const QString &suffix : suffixes()) {
            if (!variant.numberChanged && suffix != typedSuffix && suffix != variant.words.last())
                add(typedStart, variant.words, suffix, score - kAffixPenalty);
        }
    }

    void add(const QStringList &start, const QStringList &core, const QString &suffix, double score)
    {
        QStringList parts = start;
        parts += core;
        if (!suffix.isEmpty())
            parts.append(suffix);
        addLabel(parts.join(QString()), score);
        if (m_hyphen && parts.size() > 1)
            addLabel(parts.join(QLatin1Char('-')), score);
    }

    void addLabel(const QString &label, double score)
    {
        if (label == m_typed || label.size() > m_maxLength || m_scores.size() >= kMaxLabels
            || (!m_hyphen && label.contains(QLatin1Char('-'))))
            return;
        const auto found = m_scores.find(label);
        if (found != m_scores.end()) {
            *found = std::max(*found, score);
            return;
        }
        if (asciiLabel(label))
            m_scores.insert(label, score);
    }

    const QStringList &relativesOf(const QString &word)
    {
        auto found = m_relatives.find(word);
        if (found == m_relatives.end())
            found = m_relatives.insert(word, m_words.relatives(word));
        return *found;
    }

    const QString m_typed;
    const WordKnowledge &m_words;
    const qsizetype m_maxLength;
    const bool m_hyphen;
    QHash<QString, double> m_scores;
    QHash<QString, QStringList> m_relatives;
};

} // namespace

QStringList suggestedLabels(const QString &typedLabel, const WordKnowledge &words, int limit)
{
    if (limit <= 0 || !asciiLabel(typedLabel) || typedLabel != typedLabel.toLower())
        return {};
    return Generator(typedLabel, words).run(limit);
}

} // namespace varnex::registrar
