#include "names/suggestions.h"

#include "names/ascii_forms.h"
#include "names/name_rules.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <vector>

namespace varnex::registrar {

namespace {

constexpr qsizetype kMaxLength = 20;      // a suggestion longer than this is hard to type or remember
constexpr qsizetype kMaxWordsForSwaps = 3; // beyond it, a swap turns a phrase into nonsense
constexpr int kSynonymsPerWord = 3;
constexpr int kAffixesForSynonyms = 12;    // a synonym's labels take only the best affixes
constexpr qsizetype kMaxLabels = 20000;    // what one typed label may make, whatever its length

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

// Short words and brandable endings that read well with most names, best
// first: "get-" goes before a name, "-hub" after it. Chosen by hand from
// what people register: a place, a maker, a service, a call to act.
const QStringList &affixes()
{
    static const QStringList list{
        QStringLiteral("-hq"), QStringLiteral("get-"), QStringLiteral("-hub"), QStringLiteral("my-"),
        QStringLiteral("-co"), QStringLiteral("the-"), QStringLiteral("-spot"), QStringLiteral("go-"),
        QStringLiteral("-lab"), QStringLiteral("try-"), QStringLiteral("-base"), QStringLiteral("-app"),
        QStringLiteral("-direct"), QStringLiteral("-online"), QStringLiteral("-daily"), QStringLiteral("-craft"),
        QStringLiteral("hey-"), QStringLiteral("-now"), QStringLiteral("-works"), QStringLiteral("-place"),
        QStringLiteral("-house"), QStringLiteral("-studio"), QStringLiteral("-shop"), QStringLiteral("-store"),
        QStringLiteral("little-"), QStringLiteral("-pro"), QStringLiteral("-plus"), QStringLiteral("-club"),
        QStringLiteral("-zone"), QStringLiteral("-world"), QStringLiteral("-central"), QStringLiteral("-express"),
        QStringLiteral("our-"), QStringLiteral("-guide"), QStringLiteral("-life"), QStringLiteral("-land"),
        QStringLiteral("-point"), QStringLiteral("-labs"), QStringLiteral("-ly"), QStringLiteral("-ify"),
        QStringLiteral("-io"), QStringLiteral("use-"), QStringLiteral("join-"), QStringLiteral("meet-"),
        QStringLiteral("best-"), QStringLiteral("top-"), QStringLiteral("smart-"), QStringLiteral("easy-"),
        QStringLiteral("just-"), QStringLiteral("real-"), QStringLiteral("true-"), QStringLiteral("pure-"),
        QStringLiteral("fresh-"), QStringLiteral("happy-"), QStringLiteral("good-"), QStringLiteral("big-"),
        QStringLiteral("one-"), QStringLiteral("all-"), QStringLiteral("your-"), QStringLiteral("simply-"),
        QStringLiteral("-today"), QStringLiteral("-corner"), QStringLiteral("-market"), QStringLiteral("-center"),
        QStringLiteral("-net"), QStringLiteral("-web"), QStringLiteral("-link"), QStringLiteral("-box"),
        QStringLiteral("-kit"), QStringLiteral("-pad"), QStringLiteral("-nest"), QStringLiteral("-den"),
        QStringLiteral("-yard"), QStringLiteral("-way"), QStringLiteral("-path"), QStringLiteral("-side"),
        QStringLiteral("-street"), QStringLiteral("-city"), QStringLiteral("-town"), QStringLiteral("-nation"),
        QStringLiteral("-planet"), QStringLiteral("-republic"), QStringLiteral("-society"), QStringLiteral("-collective"),
        QStringLiteral("-company"), QStringLiteral("-group"), QStringLiteral("-team"), QStringLiteral("-crew"),
        QStringLiteral("-squad"), QStringLiteral("-tribe"), QStringLiteral("-circle"), QStringLiteral("-forge"),
        QStringLiteral("-foundry"), QStringLiteral("-factory"), QStringLiteral("-mill"), QStringLiteral("-made"),
        QStringLiteral("-maker"), QStringLiteral("-makers"), QStringLiteral("-builder"), QStringLiteral("-bros"),
        QStringLiteral("-and-co"), QStringLiteral("-supply"), QStringLiteral("-depot"), QStringLiteral("-outlet"),
        QStringLiteral("-mart"), QStringLiteral("-bazaar"), QStringLiteral("-source"), QStringLiteral("-finder"),
        QStringLiteral("-scout"), QStringLiteral("-genie"), QStringLiteral("-wise"), QStringLiteral("-savvy"),
        QStringLiteral("-geek"), QStringLiteral("-nerd"), QStringLiteral("-buddy"), QStringLiteral("-pal"),
        QStringLiteral("-mate"), QStringLiteral("-friend"), QStringLiteral("-joy"), QStringLiteral("-love"),
        QStringLiteral("-lovers"), QStringLiteral("-fans"), QStringLiteral("-fix"), QStringLiteral("-care"),
        QStringLiteral("-help"), QStringLiteral("-tips"), QStringLiteral("-ideas"), QStringLiteral("-news"),
        QStringLiteral("-times"), QStringLiteral("-post"), QStringLiteral("-journal"), QStringLiteral("-press"),
        QStringLiteral("-media"), QStringLiteral("-digital"), QStringLiteral("-cloud"), QStringLiteral("-tech"),
        QStringLiteral("-logic"), QStringLiteral("-mind"), QStringLiteral("-sense"), QStringLiteral("-genius"),
        QStringLiteral("-boost"), QStringLiteral("-rise"), QStringLiteral("-up"), QStringLiteral("-go"),
        QStringLiteral("-flow"), QStringLiteral("-wave"), QStringLiteral("-spark"), QStringLiteral("-bloom"),
        QStringLiteral("-nova"), QStringLiteral("-vista"), QStringLiteral("-ville"), QStringLiteral("-ster"),
        QStringLiteral("-ia"), QStringLiteral("-ora"), QStringLiteral("-able"), QStringLiteral("-ful"),
        QStringLiteral("-ish"), QStringLiteral("-er"), QStringLiteral("-era"), QStringLiteral("-verse"),
        QStringLiteral("-sphere"), QStringLiteral("-scape"), QStringLiteral("-topia"), QStringLiteral("-palooza"),
        QStringLiteral("-fest"), QStringLiteral("-party"), QStringLiteral("-trip"), QStringLiteral("-tour"),
        QStringLiteral("-quest"), QStringLiteral("-journey"), QStringLiteral("-gallery"), QStringLiteral("-room"),
        QStringLiteral("-lounge"), QStringLiteral("-kitchen"), QStringLiteral("-table"), QStringLiteral("-bar"),
        QStringLiteral("-cafe"), QStringLiteral("-garden"), QStringLiteral("-farm"), QStringLiteral("-field"),
        QStringLiteral("-grove"), QStringLiteral("-haven"), QStringLiteral("-harbor"), QStringLiteral("-port"),
        QStringLiteral("-bay"), QStringLiteral("-peak"), QStringLiteral("-summit"), QStringLiteral("-ridge"),
        QStringLiteral("-valley"), QStringLiteral("-river"), QStringLiteral("-lake"), QStringLiteral("-island"),
        QStringLiteral("-shore"), QStringLiteral("-north"), QStringLiteral("-south"), QStringLiteral("-east"),
        QStringLiteral("-west"), QStringLiteral("new-"), QStringLiteral("modern-"), QStringLiteral("urban-"),
        QStringLiteral("local-"), QStringLiteral("global-"), QStringLiteral("prime-"), QStringLiteral("first-"),
        QStringLiteral("ever-"), QStringLiteral("daily-"), QStringLiteral("instant-"), QStringLiteral("quick-"),
        QStringLiteral("swift-"), QStringLiteral("bright-"), QStringLiteral("clever-"), QStringLiteral("kind-"),
        QStringLiteral("bold-"), QStringLiteral("brave-"), QStringLiteral("wild-"), QStringLiteral("green-"),
        QStringLiteral("blue-"), QStringLiteral("golden-"), QStringLiteral("silver-"), QStringLiteral("sunny-"),
        QStringLiteral("cosy-"), QStringLiteral("dear-"), QStringLiteral("hello-"), QStringLiteral("love-"),
        QStringLiteral("think-"), QStringLiteral("make-"), QStringLiteral("find-"), QStringLiteral("book-"),
        QStringLiteral("ask-"), QStringLiteral("pick-"), QStringLiteral("shop-"), QStringLiteral("visit-"),
        QStringLiteral("discover-"), QStringLiteral("explore-"), QStringLiteral("inspire-"), QStringLiteral("the-real-"),
        QStringLiteral("we-"),
    };
    return list;
}

// Glue words hold a phrase together; a label never starts or ends with one
// unless the curated affixes put it there on purpose ("the-", "my-").
bool isGlue(const QString &word)
{
    static const QStringList glue{QStringLiteral("a"),  QStringLiteral("an"),  QStringLiteral("and"),  QStringLiteral("the"),
                                  QStringLiteral("of"), QStringLiteral("for"), QStringLiteral("to"),   QStringLiteral("in"),
                                  QStringLiteral("on"), QStringLiteral("at"),  QStringLiteral("by"),   QStringLiteral("with"),
                                  QStringLiteral("or"), QStringLiteral("my"),  QStringLiteral("our"),  QStringLiteral("your")};
    return glue.contains(word);
}

// "my shop" keeps its "my" at the start; a label may start with one of these.
bool isDeterminer(const QString &word)
{
    return word == QLatin1String("my") || word == QLatin1String("the") || word == QLatin1String("our")
           || word == QLatin1String("your");
}

bool isAsciiText(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

bool isVowel(QChar c)
{
    return QStringLiteral("aeiouy").contains(c);
}

// Brandable endings only where they read well: "shopify", "cloudly", "pixio",
// not "pizzaify" or "fitnessly".
bool readsWellWith(const QString &ending, const QString &last)
{
    const QChar end = last.back();
    if (ending == QLatin1String("ify") || ending == QLatin1String("io") || ending == QLatin1String("ia")
        || ending == QLatin1String("ora") || ending == QLatin1String("er") || ending == QLatin1String("ster"))
        return !isVowel(end) && !last.endsWith(QLatin1String("ss"));
    if (ending == QLatin1String("ly") || ending == QLatin1String("ful") || ending == QLatin1String("ish")
        || ending == QLatin1String("able"))
        return !isVowel(end) && end != QLatin1Char('l') && end != QLatin1Char('s');
    return true;
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
        std::sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) {
            if (a.second != b.second)
                return a.second > b.second;
            if (a.first.size() != b.first.size())
                return a.first.size() < b.first.size();
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
    // The ways to keep what was typed: all its content words (as typed, in
    // another order, in the other number), or for a long phrase the most
    // specific few; then the typed words' synonyms in their place.
    QList<Core> coresOf(QStringList words)
    {
        while (words.size() > 1 && isGlue(words.first()) && !isDeterminer(words.first()))
            words.removeFirst();
        while (words.size() > 1 && isGlue(words.last()))
            words.removeLast();
        // "myshop" keeps "my" as typed, and also reads as "shop" with other affixes.
        QStringList content = words;
        while (content.size() > 1 && isGlue(content.first()))
            content.removeFirst();

        QList<Core> cores;
        if (joined(words).size() <= kMaxLength && words.size() <= kMaxWordsForSwaps + 1) {
            cores.append({words, kAllWordsScore});
            if (content != words)
                cores.append({content, kAllWordsScore});
            QStringList withoutGlue = content;
            withoutGlue.removeIf(isGlue);
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
        content.removeIf(isGlue);
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
            if (isGlue(content[i]))
                continue;
            const QStringList synonyms = synonymsOf(content[i]).mid(0, kSynonymsPerWord);
            for (qsizetype s = 0; s < synonyms.size(); ++s) {
                QStringList replaced = content;
                replaced[i] = synonyms[s];
                cores.append({replaced, kSynonymScore + kWordWeight * std::log2(1.0 + m_words.commonness(synonyms[s]))});
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
                if (core.words.first() == start.last() || (isGlue(core.words.first()) && isGlue(start.last())))
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
