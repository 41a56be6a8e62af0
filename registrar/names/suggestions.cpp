#include "names/suggestions.h"

#include "names/affixes.h"
#include "names/ascii_forms.h"
#include "names/field_heads.h"
#include "names/glue_words.h"
#include "names/name_rules.h"
#include "names/other_languages.h"
#include "names/phrase_forms.h"
#include "names/place_short_forms.h"
#include "names/ranking.h"
#include "names/short_forms.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <vector>

namespace varnex::registrar {

namespace {

constexpr qsizetype kMaxLength = 20;    // a suggestion longer than this is hard to type or remember
constexpr qsizetype kMaxShortWords = 4; // more words than this make a long phrase
// A typed name near that length ("midcenturyfurniture") still takes a short
// affix or two ("-shop", "buy-"): else its page holds the name alone.
constexpr qsizetype kAffixRoom = 5;
// The typed words with an ending that names their business may run a little
// longer: "guttercleaningservice" and "carpetcleaningexperts" are what a
// person tries first for a two-word service; so may a phrase's words bare.
constexpr qsizetype kBusinessRoom = 2;
constexpr qsizetype kStemOfHead = 3;     // "tan" of "tanning", which "suntan" ends in
constexpr int kRelativesPerWord = 3;     // close relatives of the head noun, each a core of its own
constexpr int kTooCommonRelative = 100;  // used this often in the corpus, a word means too much to stand for a field
constexpr int kAffixesPerCore = 12;      // each core's affixed forms at full score, so checked labels cover several
constexpr int kAffixesPerNumberCore = 4; // "mybakeries": prefixes only, fewer
constexpr int kSellingPerTypedCore = 2;  // "pestcontrolnow", "candlesdirect": the typed words take a pitch or two
constexpr int kSellingPerPhraseForm = 1; // "dogfooddirect"
constexpr int kPrefixesOfMaker = 3;      // "elpanadero", "mipanadero", "tupanadero"
constexpr int kAffixedPhraseForms = 5;   // the best cuts of a long phrase take affixes
constexpr int kAffixesPerPhraseForm = 8;
constexpr int kPrefixesBothEnds = 3;        // a language's first prefixes ("mein-"), and "the-" ...
constexpr int kEndingsBothEnds = 8;         // ... with its first endings ("-shop", "-store")
constexpr int kEndingsBothEndsForeign = 12; // a word of another language has fewer affixes of its own
constexpr qsizetype kHyphenatedShare = 4;   // a typed hyphen in one label of four at most: the others say it joined
constexpr qsizetype kMaxLabels = 20000;     // what one typed label may make, whatever its length
// Endings that read well after a plural ("candlesdirect", "toysonline"); the
// others want the singular ("candleshop", not "candlesshop").
const QStringList kPluralSuffixes{"-online", "-direct", "-express", "-now",   "-plus",  "-club",
                                  "-hub",    "-zone",   "-today",   "-world", "-galore"};
// The one English prefix that reads well before a name that has an ending too:
// "thecandleshop", "thelocksmithpros". Whose it is and where each read well
// alone ("mylocksmith", "localelectrician") but as filler stacked
// ("mycopywritergroup", "localelectricianpros"), so those come late, only
// ahead of a page's last fillers; praise and a verb never ("bestcandleshop",
// "learnknitclub", "buycandleco").
const QStringList kPrefixesBeforeBoth{"the-"};
const QStringList kPrefixesLateBoth{"local-", "my-"};

// The score of a label, higher first. Each term in one sentence:
// the typed name in plain letters ("cafe" for "café") is what the user typed, so it comes right after it;
constexpr double kPlainFormScore = 100.0;
// a label that keeps every typed word the user would miss ranks above any that drops or replaces one;
constexpr double kAllWordsScore = 50.0;
// the other number of the last word, or the phrase without its glue words, reads a little less like it;
constexpr double kNumberPenalty = 0.5;
constexpr double kGlueDroppedPenalty = 0.5;
// a short form of the typed words ("24hr", "3dprint") is the typed words, written shorter;
constexpr double kShortFormScore = 49.6;
// a close relative of the head noun ("bike" for "bicycle") says the same in other words, just below,
// so its best forms come among the typed word's and the checked labels cover both;
constexpr double kRelativeScore = 49.2;
constexpr double kRelativeStep = 0.3;
// a prefix and an ending together ("localcandleshop") come once every core's own forms are in: the
// next thing a person tries when those are taken;
constexpr double kBothEndsScore = 45.5;
// whose it is or where, with an ending too ("mylocksmithpros"), only ahead of the fillers below,
// and, like them, after the best labels' other endings: raters took few of them ("mywatercolorkits");
constexpr double kLateBothEndsScore = 29.5;
// how to start a pastime ("learntoknit") is asked right after where to learn it ("learnknitting");
constexpr double kLearnToScore = kAllWordsScore - 0.45;
// the typed words set apart by hyphens ("knife-sharpening") are tried once the joined words' best forms are taken;
constexpr double kHyphenatedWordsScore = kAllWordsScore - 0.45;
constexpr qsizetype kMaxHyphenatedWords = 3;
// two of three words, the head noun kept ("360booth"), drop something typed;
constexpr double kCutScore = 44.0;
// cuts of a long phrase score from 40 up (phrase_forms.cpp), and their affixed forms come after the bare ones;
constexpr double kAffixedCutPenalty = 3.0;
// a core's affixed forms past its dozen come after every other core's;
constexpr double kBeyondCapPenalty = 25.0;
// "zorvela-app" after the made-up name's dozen best joined forms.
constexpr double kBrandHyphenStep = 1.0;
// and a label below this, past its core's dozen, only fills a page that runs short;
constexpr double kFillsOnlyBelow = 30.0;
// an ending that only sells, past a core's few, comes after the endings that name the business;
constexpr double kSellingPenalty = 2.0;
// of two affixes, the one earlier in the field's list reads better with most names;
constexpr double kAffixStep = 0.1;
// each character is a little harder to type, but only a little;
constexpr double kLengthPenalty = 0.05;
// a label in accented letters is harder to type than its plain form, so the plain one goes first;
constexpr double kAccentedPenalty = 1.0;
// a label past the usual length only fills a page that has too few others.
constexpr double kOverLengthPenalty = 20.0;

bool isAsciiText(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

bool hasDigit(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

// Whether a prefix reads well before a name with no ending: a bare "the-" only
// before a person, a place, a thing sold or a made-up name ("thechiropractor",
// "thewalkinclinic", "thestandingdesk", "thezumirka"; no "theguttercleaning"),
// "our-" never ("ourknitclub", no "ourzumirka").
bool standsBare(const QString &prefix, Field field)
{
    if (prefix == QLatin1String("the-"))
        return isPerson(field) || field == Field::Place || field == Field::Product || field == Field::Brand;
    return prefix != QLatin1String("our-");
}

bool sellsGoods(const QString &affix)
{
    // A box, a kit or a maker is goods too: no "escaperoomkit", "stampcollectingmaker".
    static const QStringList goods{"-store", "-outlet", "-supply", "-depot",  "-mart",    "-market", "-bazaar",
                                   "-box",   "-kit",    "-maker",  "-makers", "-factory", "-builder"};
    return goods.contains(affix);
}

bool isLanguage(Field field)
{
    return field == Field::German || field == Field::Spanish || field == Field::French;
}

struct Core {
    QStringList words;
    double score = 0;
    int cap = kAffixesPerCore;
    bool plural = false;        // "candles": "candlesdirect", but "candleshop"
    bool overflow = false;      // affixed past its cap too, lower
    bool cut = false;           // drops a typed word: its affixed forms after the bare cuts
    std::optional<Field> field; // its own, for a cut of a long phrase; else the keyword's
    bool offeredBare = true;    // false: only with an affix
    bool bothEnds = false;      // also with a prefix and an ending together
    bool endingsOnly = false;   // a plural's singular: "woodentoyshop", "thecandleshop", no "bestcandle"
    bool prefixesOnly = false;  // who does the work: "localwindowcleaners"
    bool material = false;      // what a tradesman works on: "stonepros", never "stonenearme"
    int selling = 0;            // endings that only sell at full score: the typed words' and a phrase form's few
    bool typed = false;         // the typed words as they stand
    bool related = false;       // another word in the typed one's place: "stone" of a stonemason
    bool ownOverflow = false;   // past its cap by its field's own heads only, lower: before any filler
};

class Generator final {
public:
    Generator(const QString &typed, const WordKnowledge &words, bool typedIsName)
        : m_typed(typed), m_words(words), m_typedIsName(typedIsName), m_hyphen(typed.contains(QLatin1Char('-')))
    {
        readHyphens();
    }

    QStringList run(int limit, qsizetype *named)
    {
        const QStringList plain = plainAsciiForms(m_typed);
        // By its letters: typed hyphens make a name no longer to say ("all-you-can-eatbuffet").
        if (const qsizetype letters = m_typed.size() - m_typed.count(QLatin1Char('-')); letters <= kMaxLength)
            m_maxLength = std::max(kMaxLength, letters + kAffixRoom);
        for (const QString &form : plain)
            addLabel(form, kPlainFormScore, false);
        // Word knowledge reads the plain form best; the typed form keeps its own affixes.
        QStringList forms = plain;
        forms.append(m_typed);
        // A plain form of a word another language writes ("hoerakustik") is
        // still that language's, never a made-up name's.
        const QStringList typedWords = m_words.split(m_typed);
        const Field typedField = m_words.field(typedWords);
        const bool foreign = typedField == Field::German || typedField == Field::Spanish || typedField == Field::French;
        // German writes "ö" as "oe" without it, the plain form German gives first:
        // "hoerakustik" takes affixes, "horakustik" stands alone.
        if (typedField == Field::German && !plain.isEmpty())
            forms.removeIf([&](const QString &form) { return form != plain.first() && form != m_typed; });
        for (const QString &form : forms) {
            const QStringList words = m_words.split(form);
            m_callOut = m_callOut || std::any_of(words.begin(), words.end(), [&](const QString &word) {
                            return callsOutAtAnyHour(word) || callsOutAtAnyHour(m_words.singular(word));
                        });
            m_openAllHours = m_openAllHours || std::any_of(words.begin(), words.end(), [&](const QString &word) {
                                 return opensAtAnyHour(word) || opensAtAnyHour(m_words.singular(word));
                             });
            m_field = form == m_typed ? typedField : m_words.field(words);
            // Nor is the plain form of one such word English pieces: "tortilleria" is no "tor tiller ia".
            if (foreign && (m_field == Field::Brand || (typedWords.size() == 1 && !m_hyphen)))
                m_field = typedField;
            for (const Core &core : coresOf(form, words))
                addAffixed(core);
        }
        std::vector<std::pair<QString, double>> ranked(m_scores.keyValueBegin(), m_scores.keyValueEnd());
        std::sort(ranked.begin(), ranked.end(), ranksBefore<QString>);
        QStringList labels;
        if (m_typedIsName)
            labels.append(m_typed);
        // The typed name's plain forms are what was typed, hyphens and all: they never wait.
        for (const auto &[label, score] : ranked) {
            if (plain.contains(label) && labels.size() < limit)
                labels.append(label);
        }
        std::erase_if(ranked, [&](const auto &entry) { return plain.contains(entry.first); });
        const QStringList result = withHyphensSpread(ranked, labels, limit);
        if (named) {
            const auto fills = std::find_if(result.begin(), result.end(), [&](const QString &label) {
                const auto score = m_scores.constFind(label);
                return score != m_scores.constEnd() && *score < kFillsOnlyBelow;
            });
            *named = fills - result.begin();
        }
        return result;
    }

private:
    // The ways to keep what was typed: all its content words (as typed, in
    // the other number, written shorter), a close relative in the head
    // noun's place, two of three words; for a long phrase, its natural short
    // forms; for a word of another language, the word itself.
    QList<Core> coresOf(const QString &form, QStringList words)
    {
        if (isLanguage(m_field))
            return foreignCores(form);
        words = withOpenHours(words, m_words);
        while (words.size() > 1 && isGlueWord(words.first()) && !mayStartLabel(words.first()))
            words.removeFirst();
        while (words.size() > 1 && isGlueWord(words.last()))
            words.removeLast();
        // "near me" says where, as a place does: "yogaclassesnearme", never "yogame".
        const bool nearMe = words.size() > 2 && words.last() == QLatin1String("me")
                            && words.at(words.size() - 2) == QLatin1String("near");
        const auto takesAffixes = [](const QList<Core> &cores) {
            return std::any_of(cores.begin(), cores.end(), [](const Core &core) { return core.cap > 0; });
        };
        const bool longPhrase = words.size() > kMaxShortWords || nearMe;
        if (joined(words).size() > kMaxLength || longPhrase) {
            QList<Core> cores = phraseCores(words, true);
            // Words that fit one label and make no phrase's forms are a name as they stand:
            // "all you can eat buffet".
            if (joined(words).size() > kMaxLength || takesAffixes(cores))
                return cores;
        }
        bool gluedWhole = false; // glue that is part of the name: no "walkclinic" for "walk in clinic"
        // A phrase held together by glue ("hotels in rome") is one too; one that makes no
        // phrase's forms ("walk in clinic", "fish and chips") is kept as its words are.
        if (longPhrase
            || std::any_of(words.begin() + 1, words.end() - 1, [](const QString &word) { return isGlueWord(word); })) {
            if (const QList<Core> cores = longPhrase ? QList<Core>() : phraseCores(words, false); takesAffixes(cores))
                return cores;
            // What the whole names, or else its last word: a clinic.
            m_field = m_words.fieldOfWhole(words).value_or(m_words.field({words.last()}));
            gluedWhole = true;
        }
        // "myshop" keeps "my" as typed, and also reads as "shop" with other affixes.
        QStringList content = words;
        while (content.size() > 1 && isGlueWord(content.first()))
            content.removeFirst();
        QList<Core> cores{{words, kAllWordsScore}};
        // As they stand only if no glue word at either end was left off: "2tnamyshsxtnaoycn"
        // of "2tnamyshsxtnaoycn-the" is no longer the typed name, and takes no more room than any.
        cores.first().typed = joined(words) == QString(form).remove(QLatin1Char('-'));
        cores.first().overflow = true;
        cores.first().bothEnds = m_field != Field::Brand;
        cores.first().selling = kSellingPerTypedCore;
        addHyphenatedWords(form, words);
        if (content != words) {
            cores.append({content, kAllWordsScore});
            cores.last().selling = kSellingPerTypedCore;
        }
        QStringList withoutGlue = content;
        withoutGlue.removeIf(isGlueWord);
        if (!withoutGlue.isEmpty() && withoutGlue != content && !gluedWhole)
            cores.append({withoutGlue, kAllWordsScore - kGlueDroppedPenalty}); // "pizzaplace" for "pizza in place"
        // A pastime that ends in "s" is one: "pilatesstudio", "dartsclub".
        const bool typedPlural = isPlural(content.last()) && !isPastime(m_words.field({content.last()}));
        cores.first().plural = typedPlural;
        // A noun before an activity names a service, and a service has no plural: no "pestcontrols".
        const bool serviceActivity = m_field == Field::Service && content.size() > 1 && !typedPlural;
        // Nor is whom a name held together by glue is for counted again: no "massageforcouple",
        // though "walkinclinics" are clinics.
        const bool forWhom =
            gluedWhole && (words.contains(QLatin1String("for")) || words.contains(QLatin1String("to")));
        if (const std::optional<QString> other =
                serviceActivity || forWhom ? std::nullopt : otherNumber(content.last())) {
            QStringList changed = content;
            changed.last() = *other;
            // Of a typed plural, the singular takes the field's endings in full ("candleshop").
            cores.append({changed, kAllWordsScore - kNumberPenalty,
                          typedPlural ? kAffixesPerCore : kAffixesPerNumberCore, !typedPlural});
            cores.last().overflow = typedPlural;
            cores.last().bothEnds = typedPlural;
            cores.last().selling = typedPlural ? kSellingPerPhraseForm : 0; // "candledeals"
            cores.last().endingsOnly = typedPlural; // "candleshop", "thecandleshop", but no "bestcandle"
        }
        for (const ShortForm &shorter : shortForms(withoutGlue, m_words))
            cores.append({shorter.words, kShortFormScore - shorter.penalty});
        cores += relativeCores(content);
        // Who takes up a pastime of two words is named by the last one's doer:
        // "crossstitcher", "boardgamers".
        if (const QStringList doer = isPastime(m_field) ? pastimeDoer(content) : QStringList(); !doer.isEmpty()) {
            cores.append({doer, kRelativeScore, 0});
            QStringList doers = doer;
            doers.last() = m_words.plural(doer.last());
            cores.append({doers, kRelativeScore - kNumberPenalty, 0});
        }
        cores += cutsOf(withoutGlue);
        if (const QString verb = verbOfPastime(content); !verb.isEmpty())
            cores.append({{QStringLiteral("learn"), QStringLiteral("to"), verb}, kLearnToScore, 0});
        return cores;
    }

    // The pastime's words with its last one's doer in its place, where that
    // names one: "cross stitcher" of "cross stitch", typed as one word too.
    QStringList pastimeDoer(const QStringList &content) const
    {
        if (content.size() > 1) {
            const QString doer = m_words.doerByForm(content.last());
            if (doer.isEmpty())
                return {};
            QStringList named = content;
            named.last() = doer;
            return named;
        }
        constexpr qsizetype kShortestPart = 3;
        const QString &word = content.first();
        for (qsizetype at = kShortestPart; at + kShortestPart < word.size(); ++at) {
            if (!m_words.isWord(word.left(at)))
                continue;
            if (const QString doer = m_words.doerByForm(word.mid(at)); !doer.isEmpty())
                return {word.left(at), doer};
        }
        return {};
    }

    // Two or three typed words, a hyphen between each ("knife-sharpening",
    // "mold-removal"): what a person tries once the joined words are taken.
    // Only where the last is a word of the dictionary and the whole is none
    // ("stonemason"), so no hyphen splits a word or a made-up name.
    void addHyphenatedWords(const QString &form, const QStringList &words)
    {
        // All the typed words, none left off: no "york-new" of "inyorknew".
        if (m_hyphen || !m_typedIsName || form != m_typed || m_field == Field::Brand || words.size() < 2
            || words.size() > kMaxHyphenatedWords || m_words.isWord(form) || joined(words) != form)
            return;
        // A word no list holds may stand between known ones: "7-seater-taxi".
        constexpr qsizetype kShortestUnlisted = 4;
        const bool plainWords = std::all_of(words.begin(), words.end(), [this](const QString &word) {
            return !isGlueWord(word)
                   && (hasDigit(word) || word.size() >= kShortestUnlisted || (word.size() > 1 && m_words.isWord(word)));
        });
        if (plainWords && m_words.isWord(words.last()))
            addLabel(words.join(QLatin1Char('-')), kHyphenatedWordsScore, true, 0, true);
    }

    // The verb a pastime is done with, where it is the pastime's stem: "knit"
    // for "knitting", "surf" for "surfing"; a person starting out asks how to
    // ("learntoknit").
    QString verbOfPastime(const QStringList &content) const
    {
        const QString &word = content.last();
        if (!isPastime(m_field) || content.size() != 1 || !word.endsWith(QLatin1String("ing")))
            return {};
        const QString stem = word.chopped(3);
        for (const QString &relative : m_words.closeRelatives(word)) {
            const bool doubled = stem.size() == relative.size() + 1 && stem.endsWith(relative.back());
            if (stem.startsWith(relative) && (stem == relative || doubled))
                return relative;
            if (relative.endsWith(QLatin1Char('e')) && relative.chopped(1) == stem)
                return relative; // "hike" for "hiking"
        }
        // Or the verb WordNet knows by the stem where no relative names it: "sail", "swim", "dance".
        constexpr qsizetype kShortestVerb = 3;
        const bool doubled = stem.size() > kShortestVerb && stem.back() == stem.at(stem.size() - 2);
        for (const QString &verb : {stem, stem + QLatin1Char('e'), doubled ? stem.chopped(1) : QString()}) {
            if (verb.size() >= kShortestVerb && m_words.isVerb(verb))
                return verb;
        }
        return {};
    }

    // The head noun (the last one) replaced by each of its close relatives.
    QList<Core> relativeCores(const QStringList &content) const
    {
        qsizetype head = content.size() - 1;
        while (head > 0 && !m_words.headsPhrase(content, head))
            --head;
        QList<Core> cores;
        // A head that another word follows is held by it: no "juicerycleanse" of a "juice cleanse";
        // only where the rest says where ("flights" to "paris") does it stand alone.
        if (std::any_of(content.begin() + head + 1, content.end(),
                        [this](const QString &word) { return !isPlace(word); }))
            return cores;
        // A head after a bound prefix or a number's unit names a kind of its own, which another
        // word for the head is not: a "pre-workout" is no "preexercise", "35 mm film" no "35mmmovie".
        static const QStringList boundPrefixes{"pre", "post", "anti", "non", "semi", "multi", "mid"};
        constexpr qsizetype kLongestUnit = 2;
        const bool afterUnit = head > 1 && content[head - 1].size() <= kLongestUnit && hasDigit(content[head - 2])
                               && !hasDigit(content[head - 1]);
        if (head > 0 && (boundPrefixes.contains(content[head - 1]) || afterUnit))
            return cores;
        QStringList relatives = m_words.closeRelatives(content[head]);
        // A person only for an activity or another person ("plumber" for "plumbing"), not for a thing ("bicyclist").
        const bool takesPeople = m_field == Field::Service || isPastime(m_field) || isPerson(m_field);
        if (!takesPeople) {
            relatives.removeIf([this](const QString &relative) { return isPerson(m_words.field({relative})); });
        }
        // An adjective names a field only for the people in it ("electricalpros");
        // of anything else it reads as praise or size: no "theastronomicalhouse". A
        // maker's stuff is said by its noun: "woodstudio", never "woodenstudio".
        const bool adjectivesDrift = !isPerson(m_field) || m_field == Field::Artisan;
        if (adjectivesDrift)
            relatives.removeIf([this](const QString &relative) { return m_words.isAdjective(relative); });
        // In a phrase only a noun of the head's own field takes its place:
        // "24hourdrugstore", never "windowclean" or "bestlawlaw".
        if (content.size() > 1) {
            const Field field = m_words.field({content[head]});
            relatives.removeIf([&](const QString &relative) {
                return content.contains(relative) || !m_words.isNoun(relative) || m_words.field({relative}) != field;
            });
        }
        // Work done to a thing is said otherwise only by another word for the
        // work: no "pianotune" or "pianomusic" for "piano tuning".
        if (content.size() > 1 && m_field == Field::Service)
            relatives.removeIf([this](const QString &relative) { return !m_words.namesWork(relative); });
        // Relatives written down by hand are the field's own words ("footcare" for a
        // podiatrist, "movies" for a cinema): they go first, past the guards above
        // against WordNet's drift, though an adjective is still praise and a person
        // still no relative of a thing. A word as common as "foot" or "light" says
        // nothing of a business alone.
        // The head of a compound WordNet lists is no word of its own there: no "golfclasses"
        // of a "golf course", no "dogeats" of "dog food"; but a person's work is still theirs
        // ("speechtherapy" of a speech therapist).
        const bool compoundThing =
            head > 0 && !isPerson(m_field) && m_words.isCompound(content[head - 1], content[head]);
        if (compoundThing)
            relatives.clear();
        // Nor is the head of a person WordNet lists whole another person: a "funeral director"
        // is no "funeralmanager", though his work is still his.
        if (head > 0 && isPerson(m_field) && m_words.isCompound(content[head - 1], content[head]))
            relatives.removeIf([this](const QString &relative) { return !m_words.namesWork(relative); });
        QStringList curated = compoundThing ? QStringList() : m_words.curatedRelatives(content[head]);
        // Nor one that holds another typed word already, or that one holds: no
        // "homehomestaging", no "eyebrowbrows" of "eyebrow threading".
        curated.removeIf([&](const QString &relative) {
            const QString singular = m_words.singular(relative);
            const bool holdsTyped = std::any_of(content.begin(), content.end(), [&](const QString &word) {
                return word != content[head] && (relative.contains(word) || word.contains(singular));
            });
            // A kind of the head says its own kind, which another typed word says already:
            // no "dogpetgrooming" of "dog grooming".
            // Nor a kind of its work in one word, where a typed word says the kind: no "spraysuntan".
            const auto endsInHead = [&] {
                const QString &typed = content[head];
                for (qsizetype kept = kStemOfHead; kept <= typed.size(); ++kept) {
                    if (relative.size() >= kept + kStemOfHead && relative.endsWith(typed.left(kept)))
                        return true;
                }
                return m_words.singular(relative).endsWith(m_words.singular(typed)) && relative.size() > typed.size();
            };
            const bool kindOfHead = head > 0 && endsInHead();
            return content.contains(relative) || holdsTyped || kindOfHead
                   || (adjectivesDrift && m_words.isAdjective(relative))
                   || m_words.commonness(relative) >= kTooCommonRelative
                   || (!takesPeople && isPerson(m_words.field({relative})));
        });
        // A compound's head takes the words written down for it where there are
        // any, as a phrase's does: a signwriter is no "signauthor".
        if (content.size() > 1 && !curated.isEmpty())
            relatives.clear();
        // Of a person, a thing the list names and WordNet does not ("brick" of a
        // bricklayer) is what they work on: it takes their endings only.
        // So is any thing of a tradesman's, however found: "stonepros", never "247stone".
        QStringList workedOn;
        const auto isThing = [&](const QString &relative) {
            return !isPerson(m_words.field({relative})) && !m_words.namesWork(relative)
                   && !m_words.isAdjective(relative);
        };
        for (const QString &relative : curated + relatives) {
            const bool listedOnly = !relatives.contains(relative);
            // So is a thing the person's own word is made of: the "chimney" of a chimneysweep.
            const bool ownThing = content[head].startsWith(relative) && content[head] != relative;
            if (isPerson(m_field) && (listedOnly || ownThing || worksMaterial()) && isThing(relative)
                && !workedOn.contains(relative))
                workedOn.append(relative);
        }

        relatives.removeIf([&](const QString &relative) { return curated.contains(relative); });
        relatives = curated + relatives;
        // A person named with another word is still a person or their work, never a thing of
        // theirs: "makeupartistry", no "makeupartwork".
        if (head > 0 && isPerson(m_field))
            relatives.removeIf([&](const QString &relative) {
                return !isPerson(m_words.field({relative})) && !m_words.namesWork(relative)
                       && !m_words.namesAnActivity(relative);
            });
        // A thing that starts a compound is another thing: no "door" for "doormats", "book" for "bookends".
        if (!isPerson(m_field)) {
            constexpr qsizetype kShortestRest = 3;
            static const QStringList endings{"ing", "er", "ers", "ry", "ery", "ist", "ists", "ism"};
            relatives.removeIf([&](const QString &relative) {
                const QString &word = content[head];
                if (!word.startsWith(relative))
                    return false;
                QString rest = word.mid(relative.size());
                if (!rest.isEmpty() && rest.front() == relative.back()) // "knit" + "ting"
                    rest.remove(0, 1);
                rest = m_words.singular(rest);
                return !endings.contains(rest) && rest.size() >= kShortestRest && m_words.isWord(rest);
            });
        }
        // Goods are no pastime: no "boating" for "boats" for sale.
        if (m_field == Field::Product) {
            const QString singular = m_words.singular(content[head]);
            relatives.removeIf([&](const QString &relative) {
                return relative.endsWith(QLatin1String("ing")) && relative.startsWith(singular);
            });
        }
        // Work done for one is sold by who does it: "windowcleaner", "windowcleaners".
        // Not who pays for it: a "renter" rents a dumpster, the business rents it out.
        static const QStringList customers{"renter", "purchaser", "buyer", "lessee", "hirer", "borrower", "tenant"};
        QStringList doers = m_field == Field::Service ? m_words.doers(content[head]) : QStringList();
        doers.removeIf([](const QString &doer) { return customers.contains(doer); });
        if (!doers.isEmpty() && !content.contains(doers.first())) {
            relatives.removeAll(doers.first());
            relatives.prepend(doers.first());
        }
        relatives = relatives.mid(0, kRelativesPerWord);
        QList<Core> singulars;
        for (qsizetype r = 0; r < relatives.size(); ++r) {
            QStringList replaced = content;
            replaced[head] = relatives[r];
            cores.append({replaced, kRelativeScore - kRelativeStep * double(r)});
            const qsizetype relativeCore = cores.size() - 1;
            const bool doer = r == 0 && !doers.isEmpty() && relatives[r] == doers.first();
            cores.last().bothEnds = r == 0 && !doer;
            // A person's work is sold as work: "weldingpros", not "myweldinggroup"; a
            // practitioner's at a practice: "hypnotherapyclinic", never "hypnotherapypros"; a
            // maker's is a craft: "glassblowingstudio".
            if (isPerson(m_field) && m_field != Field::Health && m_words.namesWork(relatives[r]))
                cores.last().field = m_field == Field::Artisan ? Field::Craft : Field::Service;
            // What a shop or a merchant sells is sold as goods: "freshseafood", "seafoodshop", never
            // "localseafood" of a fishmonger; a tradesman's stuff is what he works on ("glasspros").
            else if ((isPerson(m_field) || m_field == Field::Place) && m_field != Field::Trade
                     && !m_words.namesWork(relatives[r]) && !workedOn.contains(relatives[r])) {
                if (const Field own = m_words.field({relatives[r]}); own == Field::Product || own == Field::Food) {
                    cores.last().field = own;
                    cores.last().bothEnds = false;
                }
            }
            if (workedOn.contains(relatives[r])) { // "brickpros", never "mybrick" or "emergencybrick"
                asMaterial(cores.last());
                cores.last().material = worksMaterial(); // but "footcarenearme" of a podiatrist
            }
            // A pastime's thing is no pastime: "falconclub", never "learnfalcon" or "gofalcon".
            if (isPastime(m_field) && !m_words.namesWork(relatives[r]) && !isPastime(m_words.field({relatives[r]}))) {
                cores.last().endingsOnly = true;
                // And gear is sold, not played: "dartboardshop", never "dartboardlessons"; but
                // the pastime's own stem is the pastime ("knitclub").
                if (m_words.field({relatives[r]}) == Field::Product && !content[head].startsWith(relatives[r]))
                    cores.last().field = Field::Product;
            }
            // Who takes up a pastime is named, not taught or sold: "potter", never "learnpotter" or "potterkits".
            if (isPastime(m_field) && isPerson(m_words.field({relatives[r]}))) {
                cores.last().cap = 0;
                cores.last().bothEnds = false;
            }
            // A person takes a person's words before, no "-pros" after: "thehousesitter", "localwindowcleaner".
            if (doer) {
                cores.last().prefixesOnly = true;
                cores.last().cap = kAffixesPerNumberCore;
                cores.last().field = Field::Professional;
                replaced[head] = m_words.plural(relatives[r]);
                cores.append({replaced, kRelativeScore - kNumberPenalty, kAffixesPerNumberCore});
                cores.last().prefixesOnly = true;
                cores.last().field = Field::Professional;
            }
            // Goods named in the plural take their endings in the singular, as typed ones do:
            // "candleshop", never "candlesshop", for candle making.
            const Field relativeField = m_words.field({relatives[r]});
            if (!doer && isPlural(relatives[r]) && cores[relativeCore].cap > 0
                && (relativeField == Field::Product || relativeField == Field::Food)) {
                Core singular = cores[relativeCore];
                cores[relativeCore].plural = true;
                singular.words[head] = m_words.singular(relatives[r]);
                singular.score -= kNumberPenalty;
                singular.offeredBare = false;
                singular.endingsOnly = true;
                singular.bothEnds = false;
                singular.ownOverflow = false;
                singulars.append(singular);
            }
        }
        // The best relative that takes the field's words at all takes them before the typed
        // word's fillers: "upholsterycompany" before "upholstererbox" once the typed word's own are taken.
        if (!cores.isEmpty() && !relatives.isEmpty() && cores.last().words[head] == relatives.first()) {
            Core &best = cores.last();
            best.ownOverflow = best.cap > 0 && best.bothEnds && !best.endingsOnly && !best.material;
        }
        cores += singulars;
        // A trade is named after what it works on too: "glasspros" for a glazier,
        // by a few of its endings, never "emergencyglass" or a bare "glass".
        // Of other people the definition names an instrument ("piano") or a
        // field ("skeleton" of the osteopath), no business.
        if (content.size() == 1 && worksMaterial()) {
            if (const QString material = m_words.workedOn(content[head]);
                !material.isEmpty() && !relatives.contains(material)) {
                cores.append({{material}, kRelativeScore - kRelativeStep * kRelativesPerWord});
                asMaterial(cores.last());
                cores.last().material = true;
            }
        }
        // The words written down for a business are its own word's: a stonemason's
        // stone goes to no "stonequarry", sneakers' kicks to no boutique; but a
        // person's work has its own ("upholsteryrepairs", "weldingfabrication").
        if (content.size() == 1) {
            for (Core &core : cores)
                core.related = !(isPerson(m_field) && (core.field == Field::Service || core.field == Field::Craft));
        }
        return cores;
    }

    // A tradesman or a maker is named after the stuff worked too: "stonepros", "glassstudio".
    bool worksMaterial() const { return m_field == Field::Trade || m_field == Field::Artisan; }

    // What a person works on takes a few of their endings only, never stands bare.
    static void asMaterial(Core &core)
    {
        core.cap = kAffixesPerNumberCore;
        core.offeredBare = false;
        core.endingsOnly = true;
        core.bothEnds = false;
    }

    // Two of three or more words, the last (the head) kept: "360booth", "photobooth".
    QList<Core> cutsOf(const QStringList &content) const
    {
        QList<Core> cuts;
        // A hyphen holds words together: no "tprinting" of "t-shirt printing";
        // so does a code of a letter and a number: no "9training" of "k9 training".
        const bool code =
            std::any_of(content.begin(), content.end(), [](const QString &word) { return word.size() == 1; });
        if (content.size() < 3 || m_hyphen || code)
            return cuts;
        // A number stays: "360booth", never "hourpharmacy".
        const bool hasNumber = std::any_of(content.begin(), content.end(), [](const QString &word) {
            return std::any_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
        });
        // Nor half of a word, nor a compound's first half alone: no "handclothing" of "second
        // hand clothing", no "mountaintours" of "mountain bike tours" (but "biketours"); nor the
        // noun a compound's adjective makes another thing: a hot tub is no tub ("tubrepair").
        const auto halfOfWord = [&](qsizetype i) {
            return (i > 0
                    && (m_words.isWord(content[i - 1] + content[i])
                        || (m_words.describes(content[i - 1]) && m_words.isCompound(content[i - 1], content[i]))))
                   || (i + 2 < content.size()
                       && (m_words.isWord(content[i] + content[i + 1])
                           || m_words.isCompound(content[i], content[i + 1])));
        };
        // A number after a word is its name's, never the thing's: no "66tours" of "route 66 tours".
        const auto namesTheWordBefore = [&](qsizetype i) {
            return i > 0 && content[i].front().isDigit() && content[i - 1].front().isLetter();
        };
        // Nor a word without the noun before it that WordNet does not list with it, which may make
        // it another thing: a bounce house is no house ("houserental"); a mountain bike is a bike.
        const auto kindBefore = [&](qsizetype i) {
            const QString &before = i > 0 ? content[i - 1] : QString();
            return i > 0 && m_words.namesToo(before) && !m_words.describes(before) && !before.front().isDigit()
                   && !m_words.isCompound(before, content[i]);
        };
        for (qsizetype i = 0; i + 1 < content.size(); ++i)
            // The other word is a noun or a number, never an adjective alone with the head ("bestplace").
            // Nor a number with a head that only says "business": no "3dservice" of "3d printing service".
            if ((hasNumber ? content[i].front().isDigit() : m_words.isNoun(content[i])) && !halfOfWord(i)
                && !kindBefore(i) && !namesTheWordBefore(i) && !(hasNumber && saysBusiness(content.last()))) {
                cuts.append({{content[i], content.last()}, kCutScore - 0.1 * double(i), kAffixesPerNumberCore});
                cuts.last().cut = true;
                cuts.last().plural = isPlural(content.last()); // "50thgiftsonline", never "50thgiftsboxes"
            }
        return cuts;
    }

    QList<Core> phraseCores(const QStringList &words, bool wholePhrase) const
    {
        QList<Core> cores;
        const QList<PhraseForm> forms = phraseForms(words, m_words, kMaxLength, wholePhrase);
        int affixed = 0;
        for (const PhraseForm &form : forms) {
            const bool takesAffixes =
                form.takesAffixes && affixed < kAffixedPhraseForms && joined(form.words).size() <= kMaxLength;
            affixed += takesAffixes ? 1 : 0;
            Core core{form.words, form.score, takesAffixes ? kAffixesPerPhraseForm : 0};
            core.cut = true;
            core.overflow = takesAffixes; // enough labels even for a phrase of few forms
            core.offeredBare = form.offeredBare;
            core.field = form.field;
            core.plural = isPlural(form.words.last());
            core.selling = kSellingPerPhraseForm;
            cores.append(core);
            // "woodentoyshop": a plural head's singular takes the endings, as a single word's does.
            if (takesAffixes && core.plural) {
                Core singular = core;
                singular.words.last() = m_words.singular(core.words.last());
                singular.plural = false;
                singular.offeredBare = false;
                singular.endingsOnly = true; // "buykidstoys", never "buykidstoy"
                singular.score -= kNumberPenalty;
                cores.append(singular);
            }
        }
        addPastimeStems(forms, cores);
        addPhraseRelatives(forms, cores);
        addPhrasePlurals(forms, cores);
        return cores;
    }

    // The best few forms whose head is one thing or place, in the plural too, as
    // a business has many: "denverescaperooms" beside "denverescaperoom". Not
    // work done: no "sushideliveries".
    void addPhrasePlurals(const QList<PhraseForm> &forms, QList<Core> &cores) const
    {
        constexpr int kFormsWithPlurals = 2;
        int done = 0;
        for (const PhraseForm &form : forms) {
            if (done >= kFormsWithPlurals)
                break;
            const QString &head = form.words.last();
            // Nor what one does with it, or how: no "learnguitars", "onlineguitars".
            const QString &first = form.words.first();
            if (!form.offeredBare || form.words.size() < 2 || isPlace(head) || saysWhere(head)
                || ((m_words.isVerb(first) || m_words.isAdjective(first)) && !m_words.isNoun(first))
                || std::any_of(form.words.begin(), form.words.end(), isGlueWord))
                continue;
            ++done;
            const std::optional<QString> plural = otherNumber(head);
            if (!plural || m_words.singular(head) != head || m_words.namesWork(head) || m_words.namesAnActivity(head))
                continue;
            Core core{form.words, form.score - kNumberPenalty, 0};
            core.words.last() = *plural;
            core.cut = true;
            core.field = form.field;
            core.plural = true;
            cores.append(core);
        }
    }

    // Whether a typed word comes after one that says where: "district" of "in the lake district".
    bool saysWhere(const QString &word) const
    {
        static const QSet<QString> where{"in", "at", "near", "around", "across", "through"};
        const qsizetype at = m_typedWords.indexOf(word);
        return at > 0 && std::any_of(m_typedWords.begin(), m_typedWords.begin() + at, [](const QString &before) {
                   return where.contains(before);
               });
    }

    // The best few forms that hold a pastime, by its short noun as well:
    // "satxswimlessons" beside "satxswimminglessons", "sanantonioswim".
    void addPastimeStems(const QList<PhraseForm> &forms, QList<Core> &cores) const
    {
        constexpr int kFormsWithStems = 4;
        constexpr double kStemStep = 0.3;
        int done = 0;
        for (const PhraseForm &form : forms) {
            if (done >= kFormsWithStems)
                break;
            for (qsizetype i = 0; i < form.words.size() && form.words.size() > 1; ++i) {
                const QString stem = pastimeStem(form.words[i]);
                // "scuba diving" is a pastime of its own: no "scubadive".
                if (stem.isEmpty() || (i > 0 && m_words.isCompound(form.words[i - 1], form.words[i])))
                    continue;
                Core core{form.words, form.score - kStemStep, form.takesAffixes ? kAffixesPerNumberCore : 0};
                core.words[i] = stem;
                core.cut = true;
                core.field = form.field;
                core.plural = isPlural(core.words.last());
                cores.append(core);
                ++done;
                break;
            }
        }
    }

    // The best few forms of a phrase with a word written down by hand in the
    // head's place, as a single word has: "ashevillecamping" beside
    // "ashevillecampground", "seattlecaterer" beside "seattlecatering".
    void addPhraseRelatives(const QList<PhraseForm> &forms, QList<Core> &cores) const
    {
        constexpr int kFormsWithRelatives = 2;
        int done = 0;
        for (const PhraseForm &form : forms) {
            if (done >= kFormsWithRelatives || form.words.size() < 2)
                break;
            const QString &head = form.words.last();
            QStringList curated = m_words.curatedRelatives(m_words.singular(head));
            curated.removeIf([&](const QString &relative) {
                return form.words.contains(relative) || m_words.isAdjective(relative)
                       || m_words.commonness(relative) >= kTooCommonRelative || relative.startsWith(head);
            });
            ++done;
            if (curated.isEmpty())
                continue;
            Core core{form.words, form.score - kRelativeStep, kAffixesPerNumberCore};
            core.words.last() = curated.first();
            core.cut = true;
            core.field = form.field;
            core.selling = 0;
            cores.append(core);
        }
    }

    // The first word of a foreign phrase typed as one ("clinica" of "clínica dental"), found
    // on the typed form, whose list holds it with its accents; the same length of a plain form.
    QString leadingWord(const QString &form) const
    {
        // German names a join by its last word, which its ending already says.
        if (!isLanguage(m_field) || m_field == Field::German || form.size() != m_typed.size())
            return {};
        constexpr qsizetype kShortestWord = 4, kShortestRest = 3;
        if (m_words.listedIn(m_field, m_typed))
            return {};
        // Two words of the language, or one and an English one: "clínica" and "dental", never
        // "gestor" and a stray "ía". The lists hold few adjectives, so a long noun may be
        // followed by one they lack, told by its ending: "cervecería" and "artesanal".
        constexpr qsizetype kShortestUnlisted = 5;
        static const QStringList adjectiveEndings{"al",   "ar",  "ico", "ica",  "ivo",  "iva",  "oso",  "osa", "ante",
                                                  "ente", "ano", "ana", "ique", "aire", "elle", "ière", "iere"};
        // Nor a word and a shop's or a trade's ending the list holds as a word of its own:
        // "hamburguesería" is one word, never "hamburgues" and "ería".
        static const QStringList wordEndings{"ería", "eria", "erie", "ero", "era"};
        for (qsizetype at = m_typed.size() - kShortestRest; at >= kShortestWord; --at) {
            const QString lead = m_typed.left(at), rest = m_typed.mid(at);
            if (wordEndings.contains(rest))
                continue;
            const bool unlistedAdjective = lead.size() >= kShortestUnlisted && rest.size() >= kShortestUnlisted
                                           && std::any_of(adjectiveEndings.begin(), adjectiveEndings.end(),
                                                          [&](const QString &ending) { return rest.endsWith(ending); });
            // Or one that a linking word joins to another: "cave" of "cave à vins".
            static const QStringList linking{"à", "a", "au", "aux", "de", "du", "des", "del", "con", "en"};
            const bool linked = std::any_of(linking.begin(), linking.end(), [&](const QString &link) {
                const QString after = rest.mid(link.size());
                return rest.startsWith(link) && after.size() >= kShortestRest && m_words.listedIn(m_field, after);
            });
            if (m_words.listedIn(m_field, lead)
                && (m_words.listedIn(m_field, rest) || m_words.isWord(rest) || unlistedAdjective || linked))
                return form.left(at);
        }
        return {};
    }

    // A word of another language: itself, the plural its own list holds
    // ("abogados"), and that language's affixes.
    QList<Core> foreignCores(const QString &form) const
    {
        QList<Core> cores{{{form}, kAllWordsScore}};
        cores.first().overflow = true;
        cores.first().bothEnds = true;
        cores.first().selling = kSellingPerTypedCore;
        // A phrase's plural is its first word's, which a name seldom says: no "clinicadentales".
        if (m_field != Field::German && leadingWord(form).isEmpty()) {
            QString plural;
            for (const QString &ending : {QStringLiteral("s"), QStringLiteral("es")}) {
                if (m_words.listedIn(m_field, form + ending)) {
                    plural = form + ending;
                    break;
                }
            }
            // Spanish lists few plurals, yet makes them by rule, and a shop goes by
            // its plural as often: "abogados", "heladerías".
            if (plural.isEmpty() && m_field == Field::Spanish)
                plural = spanishPlural(form);
            if (!plural.isEmpty())
                cores.append({{plural}, kAllWordsScore - kNumberPenalty, 0});
        }
        // A school by the other names its kind goes by: "sprachakademie", "tanzzentrum".
        const QStringList kindred = kindredJoins(m_field, form);
        for (qsizetype k = 0; k < kindred.size(); ++k)
            cores.append({{kindred[k]}, kRelativeScore - kRelativeStep * double(k), kAffixesPerNumberCore});
        // A long word as the language clips it in names: "depannageinfo", "agenceimmo",
        // "immomakler"; often the only forms short enough to take an affix. Plain letters
        // only: a name cut short for ease is typed without accents.
        if (const QString clipped = clippedForm(form); !clipped.isEmpty() && isAsciiText(clipped)) {
            cores.append({{clipped}, kShortFormScore});
            cores.last().overflow = true;
        }
        // The maker of a shop's goods, or a maker's shop: "elpanadero", "leboulanger", "meinemetzgerei".
        const QStringList family = m_words.shopAndMaker(m_field, form);
        for (qsizetype r = 0; r < family.size() && r < kRelativesPerWord; ++r) {
            cores.append({{family[r]}, kRelativeScore - kRelativeStep * double(r)});
            // A maker goes by the article or one's own ("elpanadero"), not "panaderoonline".
            if (family[r].size() < form.size()) {
                cores.last().prefixesOnly = true;
                cores.last().cap = kPrefixesOfMaker;
            }
        }
        return cores;
    }

    // The typed phrase with its second word clipped ("dépannage informatique"), or else its
    // first ("photographie" of a French phrase, "immobilien" of a German join); none when
    // neither is a word the language clips.
    QString clippedForm(const QString &form) const
    {
        constexpr qsizetype kShortestRest = 4;
        const QString lead = m_field == Field::German ? QString() : leadingWord(form);
        if (!lead.isEmpty()) {
            const QString rest = form.mid(lead.size());
            if (const QString clipped = clippedForeignWord(m_field, rest); !clipped.isEmpty())
                return lead + clipped;
            if (const QString clipped = clippedForeignWord(m_field, lead); !clipped.isEmpty())
                return clipped + rest;
            return {};
        }
        // German joins its words: the first of them clipped, where the rest is a word of its own.
        for (qsizetype at = form.size() - kShortestRest; m_field == Field::German && at > 0; --at) {
            const QString clipped = clippedForeignWord(m_field, form.left(at));
            if (!clipped.isEmpty() && m_words.listedIn(m_field, form.mid(at)))
                return clipped + form.mid(at);
        }
        return {};
    }

    // The plural of a Spanish noun by the rules of the language: a vowel takes
    // "-s", "-ión" "-iones", "-z" "-ces", another consonant "-es"; none for a
    // word that ends in "-s" or "-x" already.
    static QString spanishPlural(const QString &word)
    {
        if (word.size() < 3 || word.endsWith(QLatin1Char('s')) || word.endsWith(QLatin1Char('x')))
            return {};
        if (QStringLiteral("aeiouáéó").contains(word.back()))
            return word + QLatin1Char('s');
        if (word.endsWith(QStringLiteral("ón")))
            return word.chopped(2) + QStringLiteral("ones");
        if (word.endsWith(QLatin1Char('z')))
            return word.chopped(1) + QStringLiteral("ces");
        return word + QStringLiteral("es");
    }

    // A plural with a singular of its own: "candles", not "sunglasses" (a "sunglass" is a burning lens).
    bool isPlural(const QString &word) const { return m_words.singular(word) != word && !m_words.livesInPlural(word); }

    // The plural of a countable noun, the singular of a plural.
    std::optional<QString> otherNumber(const QString &word) const
    {
        if (m_field == Field::Brand)
            return std::nullopt;
        // A pastime is one, however it ends: no "pilate" of "pilates", no "dart" club.
        if (m_words.livesInPlural(word) || isPastime(m_words.field({word})))
            return std::nullopt;
        const QString singular = m_words.singular(word);
        if (singular != word)
            return singular;
        // Doing something has no plural, whatever else the word names: no "tvmountings".
        if (m_words.isDoing(word))
            return std::nullopt;
        return m_words.takesPlural(word) ? m_words.listedPlural(word) : std::nullopt;
    }

    // The words written down for the core's business ("-agency" of marketing,
    // of "b2b marketing" too), then the field's own heads; then, past the cap,
    // the general list (without what only a made-up name takes, unless this is one).
    QStringList headsOf(const QStringList &words, Field field, bool related) const
    {
        const QString &word = words.last();
        QStringList heads = isLanguage(field) ? languageHeads(field, word, leadingWord(word)) : headsFor(field);
        if (!isLanguage(field) && field != Field::Brand && !related) {
            QStringList own = m_words.fieldWords(joined(words)); // "photobooth" before "booth"
            // Of a compound, only work done to its first words is still that work's
            // business ("eyebrowthreadingbar"), or the head after a mere token
            // ("b2bmarketingagency", "escooterhire"); a thing or a person another
            // word names is another ("signwriter" edits no books, "pre-owned
            // boats" are no boat hire), and so is work a word is said of.
            const auto others = [&](auto test) { return std::all_of(words.begin(), words.end() - 1, test); };
            // "e", "3d", "b2b"; an unknown word may be a place ("sf"), which makes another business.
            const auto isToken = [](const QString &other) { return hasDigit(other) || other.size() == 1; };
            const bool tokens = others(isToken);
            const bool onThings = field == Field::Service && others([this](const QString &other) {
                                      return !(m_words.isAdjective(other) && !m_words.isNoun(other));
                                  });
            // After tokens, the longest listed rest's endings: "24hdogwalkingservices", never "paw24hdogwalking".
            for (qsizetype i = 1; own.isEmpty() && i + 1 < words.size() && isToken(words[i - 1]); ++i) {
                own = m_words.fieldWords(joined(words.mid(i)));
                own.removeIf([](const QString &affix) { return affix.endsWith(QLatin1Char('-')); });
            }
            // A kind the head is sold or done as is said by the word before it already, or
            // reads as another kind beside it: no "car4x4parts", "electricescooter",
            // "petdoggrooming", "paintercakedecorator"; only the head's endings. A number or a
            // decade says no kind: "retro80sarcade" stays.
            const bool kindSaid = onThings || others([](const QString &other) {
                                      static const QRegularExpression kind(QStringLiteral("^(.|\\d+x\\d+)$"));
                                      return kind.match(other).hasMatch();
                                  });
            if (own.isEmpty() && words.size() > 1 && (tokens || onThings)) {
                own = m_words.fieldWords(word);
                if (kindSaid)
                    own.removeIf([](const QString &affix) { return affix.endsWith(QLatin1Char('-')); });
            }
            for (qsizetype i = own.size() - 1; i >= 0; --i) {
                heads.removeAll(own[i]);
                heads.prepend(own[i]);
            }
        }
        // A ball game is played as well as learnt: "playbadminton", right after its lessons.
        if (field == Field::Hobby && words.size() == 1 && m_words.isPlayedAtSport(word)
            && !heads.contains(QLatin1String("play-"))) {
            const qsizetype lessons = heads.indexOf(QLatin1String("-lessons"));
            heads.insert(lessons < 0 ? qsizetype(0) : lessons + 1, QStringLiteral("play-"));
        }
        if (isLanguage(field)) {
            // Words other languages take from English as they are; not "center" or "city", which each
            // says its own way, nor "direct" beside the language's own: no "depannageinfocenter",
            // "sprachschuledirect" beside "sprachschuledirekt"; nor "net", an ending typed twice.
            const bool ownDirect =
                heads.contains(QLatin1String("-direkt")) || heads.contains(QLatin1String("-directo"));
            for (const char *neutral : {"-online", "-shop", "-plus", "-pro", "-club", "-express", "-team", "-point",
                                        "-hub", "-direct", "-box"}) {
                if (!heads.contains(QLatin1String(neutral))
                    && !(ownDirect && QLatin1String(neutral) == QLatin1String("-direct"))
                    && headFits(QLatin1String(neutral), word, field))
                    heads.append(QLatin1String(neutral));
            }
            return heads;
        }
        // Work done for one is no stock of goods: no "phonerepairstore", though a repair shop is one
        // (a craftsman keeps one, "luthiershop", where a notary or a tutor keeps none);
        // and it has customers, not members: no "guttercleaningclub".
        // Nor is anything but goods sold from stock: no "50sdinersupply", "f1ticketdepot".
        const bool work = field == Field::Service || isPerson(field);
        const bool goods =
            field == Field::Product || field == Field::Food || field == Field::Craft || field == Field::Brand;
        for (const QString &affix : field == Field::Brand ? affixes() : plainWordAffixes()) {
            if (!heads.contains(affix) && (field == Field::Brand || !isBrandOnly(affix))
                && !(work && (sellsGoods(affix) || affix == QLatin1String("-club")))
                && !((field == Field::Professional || field == Field::Health) && affix == QLatin1String("-shop"))
                && (goods || !sellsGoods(affix)))
                heads.append(affix);
        }
        return heads;
    }

    void addAffixed(const Core &core)
    {
        if (core.offeredBare)
            add({}, core.words, {}, core.score, core.cut ? kBusinessRoom : 0);
        const Field field = core.field.value_or(m_field);
        const QStringList heads = headsOf(core.words, field, core.related);
        int used = 0;
        int selling = 0;
        const QStringList own = core.ownOverflow ? headsFor(field) : QStringList();
        for (qsizetype i = 0; i < heads.size(); ++i) {
            const QString &affix = heads[i];
            if (used >= core.cap && !core.overflow) {
                if (!core.ownOverflow)
                    break;
                if (!own.contains(affix))
                    continue;
            }
            // A plural's singular takes no prefix, but "the" names one piece of goods:
            // "thetotebag", no "thetotebags".
            const bool prefixAllowed =
                affix == QLatin1String("the-") && field == Field::Product ? !core.plural : !core.endingsOnly;
            if (!fits(affix, core, field) || (affix.endsWith(QLatin1Char('-')) && !prefixAllowed)
                || !standsBare(affix, field) || (affix == QLatin1String("the-") && !theOneOf(core, field)))
                continue;
            double score = core.score - kAffixStep * double(i + 1) - (core.cut ? kAffixedCutPenalty : 0.0);
            // A pitch past the core's few waits behind its dozen, and only fills a page short of names.
            if (onlySells(affix, field) && selling++ >= core.selling) {
                if (core.overflow)
                    add({}, core.words, affix.mid(1), score - kBeyondCapPenalty - kSellingPenalty);
                continue;
            }
            if (used >= core.cap)
                score -= kBeyondCapPenalty;
            ++used;
            if (affix.endsWith(QLatin1Char('-')))
                add(affix.chopped(1).split(QLatin1Char('-')), core.words, {}, score);
            else
                add({}, core.words, affix.mid(1), score, core.typed && namesTheBusiness(affix) ? kBusinessRoom : 0);
            // A made-up name's app is written apart too, as people try it once the joined one is
            // taken: "zorvela-app", a little below the rest of its few. One only: it takes a
            // joined label's place on the page.
            if (field == Field::Brand && core.typed && !m_hyphen && core.words.size() == 1
                && !hasDigit(core.words.first()) && affix == QLatin1String("-app"))
                addLabel(joined(core.words) + affix, score - kBrandHyphenStep, true, 0, true);
        }
        if (core.bothEnds)
            addBothEnds(core, heads, field);
    }

    // "the" alone goes before the person, not their work: "thedentist", never "thedentistry".
    bool theOneOf(const Core &core, Field field) const
    {
        return !isPerson(field) || core.field || isPerson(m_words.field({core.words.last()}));
    }

    // "The" in English (and, late, "local" and "my"), a language's first few
    // prefixes, with the first few of the field's own endings that name the
    // business: "thecandleshop", "thelocksmithpros", "meinfriseurladen"; no
    // "thecandledirect".
    void addBothEnds(const Core &core, const QStringList &heads, Field field)
    {
        const QStringList ownHeads = isLanguage(field)
                                         ? languageHeads(field, core.words.last(), leadingWord(core.words.last()))
                                         : headsFor(field);
        QList<qsizetype> prefixes, endings;
        for (qsizetype i = 0; i < heads.size(); ++i) {
            const bool prefix = heads[i].endsWith(QLatin1Char('-'));
            const bool business =
                (ownHeads.isEmpty() || ownHeads.contains(heads[i])) && endsPrefixedName(heads[i], field);
            if (!fits(heads[i], core, field) || (!prefix && !business))
                continue;
            const bool article = heads[i] == QLatin1String("the-");
            if (prefix && !isLanguage(field) && !kPrefixesBeforeBoth.contains(heads[i])
                && !kPrefixesLateBoth.contains(heads[i]))
                continue;
            if (prefix && (prefixes.size() < kPrefixesBothEnds || article))
                prefixes.append(i);
            else if (!prefix && endings.size() < (isLanguage(field) ? kEndingsBothEndsForeign : kEndingsBothEnds))
                endings.append(i);
        }
        // "the" names one business by what a person calls it: a shop, a company, a club
        // ("thecandleshop", "thelocksmithco"); not lessons, kits or care ("thepotterykits",
        // "thechiropractorcare"), nor a team, a room or a firm's partners, which raters took
        // as filler ("thelocksmithpros", "thepotterystudio", "thelawyeroffice").
        const auto namesOne = [](const QString &ending) {
            static const QSet<QString> many{"-lessons", "-classes", "-courses",  "-kits",       "-supplies", "-tours",
                                            "-trips",   "-safaris", "-holidays", "-adventures", "-care",     "-health",
                                            "-rentals", "-pros",    "-experts",  "-partners",   "-office",   "-studio"};
            return !many.contains(ending);
        };
        for (const qsizetype p : prefixes) {
            for (const qsizetype e : endings) {
                const QString prefix = field == Field::German ? agreedInGerman(heads[p], heads[e]) : heads[p];
                if (prefix.isEmpty())
                    continue;
                // "The" of a person's work is the person's: "thewelderpros", no "theweldingpros".
                if (heads[p] == QLatin1String("the-") && (!namesOne(heads[e]) || worksOfPerson(core)))
                    continue;
                const QStringList start = prefix.chopped(1).split(QLatin1Char('-'));
                // A relative's stand as far below the typed words' as the relative does: no
                // "thedoorstore" before "thedoormatstore".
                const double base =
                    !isLanguage(field) && kPrefixesLateBoth.contains(heads[p]) ? kLateBothEndsScore : kBothEndsScore;
                add(start, core.words, heads[e].mid(1),
                    base - (kAllWordsScore - core.score) - kAffixStep * double(p + e));
            }
        }
    }

    // A German join takes the gender of its last word: "meinbäckereiladen" (der Laden),
    // "meinebäckereiwelt" (die Welt), never "diebäckereishop" ("der" and "das" are not
    // told apart, so no article); "-24" and "-online" keep the word's.
    static QString agreedInGerman(const QString &prefix, const QString &ending)
    {
        static const QSet<QString> feminine{"-welt", "-praxis", "-werkstatt", "-manufaktur", "-schule", "-akademie"};
        static const QSet<QString> none{"-24", "-online", "-direkt"};
        if (none.contains(ending))
            return prefix;
        const bool femininePrefix = prefix.endsWith(QLatin1String("e-"));
        if (femininePrefix == feminine.contains(ending))
            return prefix;
        // One's own shop is said with the shop's gender ("meinbäckereiladen"); other joins of a
        // feminine word ("fahrschulestudio") read clumsily with it, so they take none.
        static const QSet<QString> shops{"-laden", "-shop", "-haus", "-markt"};
        if (prefix == QLatin1String("die-") || (femininePrefix && !shops.contains(ending)))
            return {};
        return femininePrefix ? prefix.chopped(2) + QLatin1Char('-') : prefix.chopped(1) + QLatin1String("e-");
    }

    // Whether a core on a person's field names the work, not the person: "welding" of
    // "welder". A practice's own words ("dental") name the practice, so they are kept.
    bool worksOfPerson(const Core &core) const
    {
        return isPerson(m_field) && m_field != Field::Health && !isPerson(m_words.field({core.words.last()}));
    }

    // Whether an affix reads well with a core: no word twice ("mymyshop",
    // "mobilemobilemechanic"), no two glue words ("themyshop"), a brandable
    // ending only on a made-up name that ends right for it, and no join
    // that reads as another word ("myself storage").
    bool fits(const QString &affix, const Core &core, Field field) const
    {
        const bool prefix = affix.endsWith(QLatin1Char('-'));
        const QString word = prefix ? affix.chopped(1).split(QLatin1Char('-')).last() : affix.mid(1);
        // No word twice, nor a longer one inside another: "24hour24hourgym" (but "la" in "boulangerie" is no word).
        if (core.words.contains(word) || ((word.size() >= 4 || hasDigit(word)) && joined(core.words).contains(word)))
            return false;
        // Goods have buyers, not members, and a shop, not a world: raters took every "candlesclub",
        // "candlesexpress" and "candlesworld" for filler.
        static const QSet<QString> fillingGoods{"-club", "-express", "-world", "-zone", "-plus"};
        if (field == Field::Product && fillingGoods.contains(affix))
            return false;
        // A studio is where an artist or a designer works; a nanny, a breeder or a fitter keeps none.
        if (const Field own = affix == QLatin1String("-studio") ? m_words.field({core.words.last()}) : Field::General;
            (own == Field::Trade || own == Field::Professional) && !m_words.worksAtStudio(core.words.last()))
            return false;
        // One number a name: no "24hour360photobooth".
        if (hasDigit(word) && std::any_of(core.words.begin(), core.words.end(), hasDigit))
            return false;
        // "Near me" follows a noun: "pediatricsnearme", never "pediatricnearme".
        if (affix == QLatin1String("-nearme") && m_words.isAdjective(core.words.last()))
            return false;
        if (prefix) {
            // One's own (or the client's) is one person or thing, as typed: "mylocksmith", never
            // "mylocksmiths", "yourcaterers" or, of a cut of a phrase, "mybristoldelivery".
            const bool ownOne = word == QLatin1String("my") || word == QLatin1String("your");
            if (ownOne && (core.plural || core.cut) && !m_typed.startsWith(word))
                return false;
            // Nor is a person's work: "mywelder", no "mywelding".
            if (ownOne && worksOfPerson(core))
                return false;
            // Made to order is said of a thing by its noun: "customtotebags", no "custompreownedboats".
            if (word == QLatin1String("custom") && core.words.size() > 1
                && (core.words.size() > 2 || !m_words.isNoun(core.words.first())))
                return false;
            // A name that says the city says where: no "localromehotels", "cityromecheaphotels".
            if ((word == QLatin1String("local") || word == QLatin1String("city")) && namesAPlace(core))
                return false;
            // Nor is a place a pro: no "proslcspringrepair".
            if (word == QLatin1String("pro") && isPlace(core.words.first()))
                return false;
            if (field == Field::Trade && !m_callOut
                && (word == QLatin1String("emergency") || word == QLatin1String("24hour")
                    || word == QLatin1String("247")))
                return false;
            if (field == Field::Place && !m_openAllHours && word == QLatin1String("24hour"))
                return false;
            // Nothing before "my" or "the": no "localmyshop".
            const QString &first = core.words.first();
            // A name that starts with the best praises it once: whose it is may go before it
            // ("mybestlawyer"), no more praise ("freshbestcoffeebeans", "topbestflights").
            static const QSet<QString> whose{"the", "my", "our", "your", "local"};
            const bool superlative = first == QLatin1String("best") || first == QLatin1String("top")
                                     || (first.endsWith(QLatin1String("est")) && m_words.isAdjective(first));
            if (superlative && !whose.contains(word))
                return false;
            return !isGlueWord(first) && !joinsIntoWord(word, first);
        }
        if (core.prefixesOnly || (core.plural && !kPluralSuffixes.contains(affix)))
            return false;
        // A tradesman's group is of people: no "weldinggroup" (a firm's "legalgroup" is fine).
        if (affix == QLatin1String("-group") && m_field == Field::Trade && worksOfPerson(core))
            return false;
        // A cut of a phrase says where already: no "romehotelnearme".
        // Nor is a material looked for near one: "stonemasonnearme", never "stonenearme".
        if ((core.cut || core.material || namesAPlace(core)) && affix == QLatin1String("-nearme"))
            return false;
        if (isBrandableEnding(affix) && (field != Field::Brand || !readsWellWith(word, core.words.last())))
            return false;
        // A name that says the business already takes no second one: no "recordstoreshop", "yogastudioclub";
        // nor does a venue that ends in a business's word: no "bubbleteahousebar", "bubbletearoomhouse".
        // But care is work as much as a business: "lawncarepros", "footcareclinic".
        const QString &last = core.words.last();
        if (namesTheBusiness(affix)
            && (endsInPlace(last) || (core.words.size() > 1 && last != QLatin1String("care") && saysBusiness(last))))
            return false;
        return !joinsIntoWord(last, word) && !misspellsWord(last, word);
    }

    // A word and an ending that all but spell a longer word read as that word misspelt:
    // "chiro" and "-practice" as "chiropractic". Only where the longer word takes four
    // letters of the ending or more and leaves one or two: "bikerentals" is no "biker".
    bool misspellsWord(const QString &left, const QString &right) const
    {
        constexpr qsizetype kTaken = 4, kLeft = 2;
        const QString whole = left + right;
        for (qsizetype cut = std::max(left.size() + kTaken, whole.size() - kLeft); cut < whole.size(); ++cut) {
            if (m_words.isWord(whole.left(cut)))
                return true;
        }
        return false;
    }

    // Asked for every core and every local-, city- and -nearme: each word is looked up once;
    // a short form locals write says where too ("slc").
    bool namesAPlace(const Core &core) const
    {
        return std::any_of(core.words.begin(), core.words.end(), [this](const QString &word) { return isPlace(word); });
    }

    bool isPlace(const QString &word) const
    {
        const auto known = m_placeNames.constFind(word);
        return known != m_placeNames.constEnd()
                   ? *known
                   : *m_placeNames.insert(word, m_words.isPlaceName(word) || isPlaceShortForm(word));
    }

    // A venue whose word ends in a business's own: "coffeehouse", "tearoom"; a "birdhouse" is
    // a thing sold, which keeps its shop.
    bool endsInPlace(const QString &word) const
    {
        static const QStringList places{"house", "room", "shop", "bar", "store", "cafe", "studio", "kitchen", "hall"};
        return std::any_of(places.begin(), places.end(),
                           [&](const QString &place) {
                               return word.size() > place.size() + 2 && word.endsWith(place)
                                      && m_words.isWord(word.chopped(place.size()));
                           })
               && m_words.field({word}) == Field::Place;
    }

    // A word that only says it is a business, in either number: "store", "services".
    bool saysBusiness(const QString &word) const
    {
        return namesTheBusiness(QLatin1Char('-') + word) || namesTheBusiness(QLatin1Char('-') + m_words.singular(word));
    }

    bool joinsIntoWord(const QString &left, const QString &right) const
    {
        return left.size() + right.size() >= 4 && m_words.isWord(left + right);
    }

    void add(const QStringList &start, const QStringList &core, const QString &ending, double score, qsizetype room = 0)
    {
        QStringList parts = start;
        parts += core;
        if (!ending.isEmpty())
            parts += ending.split(QLatin1Char('-'));
        addLabel(parts.join(QString()), score, true, room);
        if (m_hyphen)
            addLabel(hyphenated(start, core, ending), score, true, room);
    }

    // The typed hyphens kept between the same words, or at the same place when
    // another word took one's place ("my-store" for "my-shop"); then every
    // other word and affix set off by one too ("my-e-scooter", "e-scooter-shop").
    // None when no typed hyphen is kept.
    QString hyphenated(const QStringList &start, const QStringList &core, const QString &ending) const
    {
        QStringList parts = start + core;
        if (!ending.isEmpty())
            parts.append(ending);
        QList<bool> breaks(parts.size(), false); // a hyphen before part i
        bool kept = false;
        for (qsizetype i = 1; i < parts.size(); ++i) {
            // At the typed place only while the words there still read apart:
            // "co-working" keeps its hyphen, its "coworker" takes none.
            breaks[i] = m_hyphenPairs.contains({parts[i - 1], parts[i]})
                        || (parts.size() == m_typedWords.size() && m_hyphenAfter.contains(i - 1)
                            && !joinsIntoWord(parts[i - 1], parts[i]));
            kept = kept || breaks[i];
        }
        if (!kept)
            return {};
        // Once one is kept, every word is set off: "second-hand-books", never
        // "second-handbooks", where the joined words read as another.
        std::fill(breaks.begin() + 1, breaks.end(), true);
        QString label = parts.first();
        for (qsizetype i = 1; i < parts.size(); ++i)
            label += (breaks[i] ? QStringLiteral("-") : QString()) + parts[i];
        return label;
    }

    // Which adjacent words the typed label held apart with a hyphen, and after which of its words.
    void readHyphens()
    {
        const QStringList parts = m_typed.split(QLatin1Char('-'), Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QStringList words = m_words.split(parts[i]);
            if (i > 0) {
                m_hyphenPairs.insert({m_typedWords.last(), words.first()});
                m_hyphenAfter.insert(m_typedWords.size() - 1);
            }
            m_typedWords += words;
        }
    }

    // room: characters past the usual bound this label may take at full score.
    // wordsHyphenated: the typed words set apart, the one hyphen not typed that a label may hold.
    void addLabel(const QString &label, double score, bool capped, qsizetype room = 0, bool wordsHyphenated = false)
    {
        const qsizetype length = label.size();
        const qsizetype bound = kMaxLength + room;
        if (label.isEmpty() || label == m_typed || (capped && length > std::max(m_maxLength, bound))
            || m_scores.size() >= kMaxLabels || (!m_hyphen && !wordsHyphenated && label.contains(QLatin1Char('-'))))
            return;
        score -= kLengthPenalty * double(label.size()) + (capped && length > bound ? kOverLengthPenalty : 0.0);
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

    // In rank order, but a hyphenated label only while at most one label in
    // four holds a hyphen; the others wait for their turn.
    static QStringList withHyphensSpread(const std::vector<std::pair<QString, double>> &ranked, QStringList labels,
                                         int limit)
    {
        QStringList waiting;
        qsizetype hyphenated = std::count_if(labels.begin(), labels.end(),
                                             [](const QString &label) { return label.contains(QLatin1Char('-')); });
        auto mayAdd = [&] { return (hyphenated + 1) * kHyphenatedShare <= labels.size() + 1; };
        for (const auto &[label, score] : ranked) {
            if (labels.size() >= limit)
                break;
            if (!label.contains(QLatin1Char('-'))) {
                labels.append(label);
                while (!waiting.isEmpty() && mayAdd() && labels.size() < limit) {
                    labels.append(waiting.takeFirst());
                    ++hyphenated;
                }
            } else if (mayAdd()) {
                labels.append(label);
                ++hyphenated;
            } else {
                waiting.append(label);
            }
        }
        return labels;
    }

    static QString joined(const QStringList &words) { return words.join(QString()); }

    const QString m_typed;
    qsizetype m_maxLength = kMaxLength; // of a label with an affix
    const WordKnowledge &m_words;
    const bool m_typedIsName;
    const bool m_hyphen;
    mutable QHash<QString, bool> m_placeNames;
    Field m_field = Field::General;
    QSet<std::pair<QString, QString>> m_hyphenPairs;
    QSet<qsizetype> m_hyphenAfter;
    QStringList m_typedWords;
    bool m_callOut = false;      // the keyword names work people call in at any hour
    bool m_openAllHours = false; // or a place people go to at any hour
    QHash<QString, double> m_scores;
};

} // namespace

QStringList suggestedLabels(const QString &typedLabel, const WordKnowledge &words, int limit, qsizetype *named)
{
    if (named)
        *named = 0;
    if (limit <= 0 || !asciiLabel(typedLabel) || typedLabel != typedLabel.toLower())
        return {};
    return Generator(typedLabel, words, true).run(limit, named);
}

QStringList phraseLabels(const QString &text, const WordKnowledge &words, int limit, qsizetype *named)
{
    if (named)
        *named = 0;
    static const QRegularExpression plain(QStringLiteral("^[a-z0-9](?:[a-z0-9-]*[a-z0-9])?$"));
    if (limit <= 0 || text.size() > kMaxTypedText || !plain.match(text).hasMatch())
        return {};
    return Generator(text, words, false).run(limit, named);
}

} // namespace varnex::registrar
