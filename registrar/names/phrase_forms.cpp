#include "names/phrase_forms.h"

#include "names/field_heads.h"
#include "names/glue_words.h"
#include "names/place_short_forms.h"

#include <QHash>
#include <QSet>

#include <cmath>

namespace varnex::registrar {

namespace {

// The score of a form, higher first. Each term in one sentence:
// a cut of a long phrase starts here, below the typed words' own forms;
constexpr double kBase = 40.0;
// a form that keeps what the phrase is for or where ("paris"), the verb it was
// asked with ("learn") or "near me" keeps its point, and goes well before one that does not;
constexpr double kPointKept = 3.0;
// with its glue word it reads as the phrase does ("flightstoparis");
constexpr double kGlueKept = 0.6;
// the point first reads as a name ("parisflights");
constexpr double kPointFirst = 0.5;
// without the glue, a little less ("cheapflightsparis");
constexpr double kGlueDropped = 0.2;
// what follows the head ("guitar online") or a second thing ("vegetables and fruit") adds some;
constexpr double kMoreKept = 1.0;
// a modifier adds more the more specific it is ("handmade" more than "best"): this, less a tenth
// of the log of how common it is, and never below nothing;
constexpr double kModifierWorth = 0.8;
constexpr double kCommonnessWeight = 0.1;
// a place by its own name alone ("portlandbikeservice" of "in downtown portland") says where less exactly;
constexpr double kPlaceAlone = -0.3;
// a place's short form ("pdx") says it as locals write it, a little below its name;
constexpr double kPlaceShort = -0.5;
const QStringList kLakeOrMount{"lake", "mount", "mt"};
// a place before the noun without a head that only says "business" ("chicagopizza") reads well, if
// less exactly than with it;
constexpr double kGenericDropped = -0.3;
// the head's relative in its place ("familylawyer" for "family law attorney") says it less exactly.
constexpr double kRelativeHead = -1.0;
// the second of two modifiers that share a head ("snowboard" of "ski and snowboard rentals") came second.
constexpr double kSecondModifier = -1.0;
constexpr int kRelativesOfHead = 2;
// Fewer forms than this leave a page short: the head alone joins them.
constexpr qsizetype kFewestForms = 2;
// A head noun used this often in the corpus ("place", "way") is too general to stand for a phrase alone.
constexpr int kGenericHead = 100;

// Verbs of a pastime: what follows them is learnt or played.
const QStringList kLearning{"learn", "play", "practice", "practise", "study", "teach", "master"};

// Glue that says where or what for ("to paris", "for kids"), not an article.
bool isPreposition(const QString &glue)
{
    static const QSet<QString> prepositions{"to", "in", "for", "near", "at", "on", "with", "of", "by"};
    return prepositions.contains(glue);
}

// Glue before a place: "to paris", "in rome".
bool isPlaceGlue(const QString &glue)
{
    return glue == QLatin1String("to") || glue == QLatin1String("in") || glue == QLatin1String("at")
           || glue == QLatin1String("near");
}

// "for sale", "for rent": what is done with the thing, never the point of a
// name ("saleusedcars"); the point is what follows ("in texas").
bool isTradeStatus(const QString &glue, const QStringList &segment)
{
    static const QSet<QString> statuses{"sale", "rent", "hire", "lease"};
    return glue == QLatin1String("for") && segment.size() == 1 && statuses.contains(segment.first());
}

// Words that ask rather than say: "where can i buy", "how to", "looking for someone to".
bool isQuestionWord(const QString &word)
{
    static const QSet<QString> words{"where",   "how",      "what",    "who",     "which",     "when",   "can",
                                     "could",   "i",        "is",      "are",     "do",        "does",   "should",
                                     "will",    "would",    "we",      "find",    "get",       "need",   "want",
                                     "help",    "me",       "looking", "search",  "searching", "trying", "please",
                                     "someone", "somebody", "anyone",  "anybody", "there",     "any",    "us"};
    return words.contains(word);
}

// Words that lead along a way to a place: "a road trip through iceland".
bool isRouteWord(const QString &word)
{
    static const QSet<QString> words{"through", "across", "around", "throughout"};
    return words.contains(word);
}

// Words that start a clause about the thing ("who speaks spanish", "that
// delivers"): what follows says what it does, never what it is.
bool isClauseWord(const QString &word)
{
    static const QSet<QString> words{"who",   "that",  "which",  "whose",  "whom",
                                     "while", "after", "before", "during", "until"};
    return words.contains(word);
}

// Words that are never the thing asked for: whom it is for ("my kids", "my
// wife", "seniors"), or where one asks for it ("the best place to buy boots").
bool neverTheThing(const QString &word)
{
    static const QSet<QString> askedWhere{"place", "places", "spot", "way", "ways", "option", "options"};
    if (askedWhere.contains(word))
        return true;
    static const QSet<QString> words{
        "me",      "myself",  "us",           "kid",       "kids",      "child",   "children",  "daughter", "daughters",
        "son",     "sons",    "wife",         "husband",   "partner",   "fiance",  "fiancee",   "parents",  "parent",
        "mom",     "dad",     "mother",       "father",    "family",    "baby",    "babies",    "toddler",  "toddlers",
        "teen",    "teens",   "teenager",     "teenagers", "adults",    "seniors", "beginners", "friend",   "friends",
        "grandma", "grandpa", "grandparents", "boyfriend", "girlfriend"};
    return words.contains(word);
}

// An article or a possessive: after a verb it starts the verb's object ("plan a party", "fix my sink").
bool startsObject(const QString &word)
{
    static const QSet<QString> words{"a", "an", "the", "my", "our", "your"};
    return words.contains(word);
}

// Words that say when, before a time: "this weekend", "every friday", "on sundays".
bool isTimeLead(const QString &word)
{
    static const QSet<QString> words{"this", "next", "every", "each", "last", "on", "at", "by"};
    return words.contains(word);
}

struct Phrase {
    QStringList intent;       // verbs it was asked with: "learn", "buy"
    QStringList modifiers;    // before the head: "best", "cheap"
    QString head;             // "flights"
    qsizetype innerHead = -1; // a modifier that heads a compound of its own: "food" in "dog food delivery"
    QStringList trailing;     // after the head, before any glue: "online"
    QString glue;             // "to"
    QStringList point;        // what follows the glue: "paris"
    QStringList other;        // a second thing joined with "and": "seasonal fruit"
    bool nearMe = false;
    bool online = false;       // said last, how it is had: "spanish lessons for adults online"
    QStringList sharing;       // a second modifier of the same head: "snowboard" of "ski and snowboard rentals"
    bool workAsked = false;    // the head is work asked for with a verb: "repair" of "shoes repaired"
    bool pointIsPlace = false; // a city or region, however it was led to ("of the florida keys")
    bool pointOwned = false;   // the asker's own ("for my wife"): kept, but no more the point than the thing
    bool genericHead = false;  // "place": never without the noun before it
    QHash<QString, QStringList> wholes; // "bedandbreakfast": words joined by "and" that WordNet knows as one
};

} // namespace

QStringList withOpenHours(QStringList words, const WordKnowledge &knowledge)
{
    for (qsizetype i = 0; i + 2 < words.size(); ++i) {
        if (words[i] == QLatin1String("open") && !words[i + 1].isEmpty() && words[i + 1].front().isDigit()
            && knowledge.namesTime(words[i + 2])) {
            const bool roundTheClock = words[i + 1] == QLatin1String("24");
            words.remove(i, 3);
            if (roundTheClock && !words.isEmpty())
                words = QStringList{QStringLiteral("24"), QStringLiteral("hour")} + words;
            break;
        }
    }
    return words;
}

namespace {

class Reader final {
public:
    explicit Reader(const WordKnowledge &knowledge) : m_knowledge(knowledge) { }

    std::optional<Phrase> read(QStringList words)
    {
        Phrase phrase;
        // The asking goes, with the glue between its words: "looking for someone to".
        bool asked = false;
        while (!words.isEmpty() && (isQuestionWord(words.first()) || (asked && isJoiningWord(words.first())))) {
            words.removeFirst();
            asked = true;
        }
        // A verb before its object is what is asked for: "plan" of "plan a party", "fix" of "fix my sink".
        if (words.size() > 2 && startsObject(words[1]) && isVerbOrDoing(words[0]))
            phrase.intent.append(words.takeFirst());
        // When is no part of a name: "this weekend", "tonight", "on friday nights";
        // a run of times goes where a word that says when leads it, or it says
        // nothing else. A time that says which thing stays ("day trip", "24 hour
        // pharmacy"), and so does a word that is no time there ("hot springs").
        // "same day" is one word of a name: "samedayrepair", never "dayrepair".
        for (qsizetype i = 0; i + 1 < words.size(); ++i) {
            if ((words[i] == QLatin1String("same") || words[i] == QLatin1String("next"))
                && m_knowledge.namesTime(words[i + 1])) {
                words[i] += words.takeAt(i + 1);
                m_joinedTimes.insert(words[i]);
            }
        }
        words = withOpenHours(words, m_knowledge);
        static const QSet<QString> onlyWhen{"today", "tonight", "tomorrow", "now", "asap"};
        for (qsizetype end = words.size(); end > 0;) {
            qsizetype start = end;
            while (start > 0 && m_knowledge.namesTime(words[start - 1]))
                --start;
            if (start == end) {
                --end;
                continue;
            }
            const bool describes = end < words.size() && !isGlueWord(words[end]) && isNoun(words[end]);
            const bool led = start > 0 && isTimeLead(words[start - 1]);
            const bool alone = std::all_of(words.begin() + start, words.begin() + end,
                                           [](const QString &word) { return onlyWhen.contains(word); });
            if (describes || !(led || alone)) {
                end = start;
                continue;
            }
            qsizetype from = start;
            while (from > 0 && isTimeLead(words[from - 1]))
                --from;
            words.remove(from, end - from);
            end = from;
        }
        // "near me" anywhere: "guitar lessons near me in nashville".
        for (qsizetype i = 0; i + 1 < words.size(); ++i) {
            if (words[i] == QLatin1String("near") && words[i + 1] == QLatin1String("me")) {
                phrase.nearMe = true;
                words.remove(i, 2);
                break;
            }
        }
        // "online" said last is how the thing is had, of the thing, not of whom it is for ("adults online").
        if (words.size() > 2 && words.last() == QLatin1String("online") && !isGlueWord(words[words.size() - 2])) {
            phrase.online = true;
            words.removeLast();
        }
        // "bed and breakfast" is one thing, not a bed and a breakfast.
        for (qsizetype i = 0; i + 2 < words.size(); ++i) {
            const QStringList three = words.mid(i, 3);
            if (three[1] == QLatin1String("and") && m_knowledge.fieldOfWhole(three)) {
                m_wholes.insert(three.join(QString()), three);
                words[i] = three.join(QString());
                words.remove(i + 1, 2);
            }
        }
        phrase.wholes = m_wholes;
        // Segments between glue words, and the glue before each.
        QList<QStringList> segments{{}};
        QStringList glues{QString()};
        QList<bool> owned{false}; // "for my old labrador": the asker's own, no point of a name
        for (const QString &word : words) {
            if (isGlueWord(word) || word == QLatin1String("near") || isClauseWord(word) || isRouteWord(word)) {
                if (!segments.last().isEmpty()) {
                    segments.append(QStringList());
                    glues.append(word);
                    owned.append(false);
                } else if (segments.size() > 1 && !startsObject(word)) {
                    glues.last() = word; // "on [this weekend] in denver": "in" says where
                }
                if (word == QLatin1String("my") || word == QLatin1String("our"))
                    owned.last() = true;
                continue;
            }
            segments.last().append(word);
        }
        if (segments.last().isEmpty()) {
            segments.removeLast();
            glues.removeLast();
            owned.removeLast();
        }
        // The thing asked for is the first that names one, before any clause about
        // it, past whom it is for ("my kids" in "teach my kids to swim").
        qsizetype main = 0;
        const auto namesThing = [&](qsizetype i) {
            return hasNoun(segments[i]) && !isClauseWord(glues[i])
                   && !std::all_of(segments[i].begin(), segments[i].end(),
                                   [&](const QString &word) { return neverTheThing(word) || !isNoun(word); });
        };
        while (main < segments.size() && !namesThing(main))
            ++main;
        if (main == segments.size()) {
            main = 0;
            while (main < segments.size() && !hasNoun(segments[main]))
                ++main;
        }
        if (main == segments.size())
            return std::nullopt;
        // Two modifiers joined before one head share it: "ski and snowboard rentals" are
        // ski rentals and snowboard rentals, never "ski" and "rentals". Not after a
        // plural, which is a thing of its own ("vegetables and seasonal fruit").
        if (main + 1 < segments.size() && glues[main + 1] == QLatin1String("and") && segments[main + 1].size() > 1
            && isNoun(segments[main + 1].last()) && !isPlural(segments[main].last())
            && std::all_of(segments[main].begin(), segments[main].end(),
                           [&](const QString &word) { return isNoun(word) && !m_knowledge.isAdjective(word); })) {
            QStringList second = segments.takeAt(main + 1);
            glues.removeAt(main + 1);
            owned.removeAt(main + 1);
            segments[main].append(second.takeLast());
            phrase.sharing = second;
        }
        for (qsizetype i = 0; i < main; ++i)
            phrase.intent += verbsOf(segments[i]);
        QStringList np = segments[main];
        // A verb one asks with ("learn guitar", "rent cars"); one that names a thing too says
        // what kind the thing is: an "escape room" is no room one escapes.
        static const QSet<QString> asking{
            "buy",   "rent",  "hire",  "book", "find",  "order", "get",  "sell",  "repair", "fix",   "clean", "build",
            "make",  "watch", "visit", "join", "start", "ship",  "send", "print", "design", "move",  "store", "install",
            "paint", "plan",  "cook",  "bake", "grow",  "sign",  "play", "lease", "learn",  "teach", "train"};
        while (np.size() > 1 && isVerbOnly(np.first())
               && (asking.contains(np.first()) || !m_knowledge.namesToo(np.first())))
            phrase.intent.append(np.takeFirst());
        // What one asks to rent is rented out, and named so with its place: "denvercarrental" of
        // "rent a car in denver", never "denvercar".
        const bool hires = phrase.intent.contains(QLatin1String("hire"));
        static const QSet<QString> rentedOut{"rental", "rentals", "hire", "lease", "rent"};
        if ((hires || phrase.intent.contains(QLatin1String("rent"))) && !np.isEmpty() && isNoun(np.last())
            && !rentedOut.contains(np.last())) {
            np.last() = m_knowledge.singular(np.last());
            np.append(hires ? QStringLiteral("hire") : QStringLiteral("rental"));
        }
        // A verb after the things starts what is said of them ("flowers
        // delivered same day"): the head is the thing's noun, and only that verb
        // follows it. After one thing and before a noun, the two describe that
        // noun as one word: "familyrun hotel", "woodfired pizza", never "runhotel".
        for (qsizetype i = 1; i < np.size(); ++i) {
            // "owned" is an adjective too, but after a noun it still makes one word with it: "familyowned".
            // So does one said last of work to have done ("shoes repaired").
            const bool describes = isParticiple(np[i]) || (isVerbForm(np[i]) && hasNoun(np.mid(i + 1)))
                                   || (i + 1 == np.size() && !workOf(np[i]).isEmpty());
            if (!(isVerbOnly(np[i]) || describes) || !hasNoun(np.mid(0, i)))
                continue;
            // When it is done says nothing of the thing: "vet open sunday" is a vet, no "vetopensunday".
            const QStringList rest = np.mid(i + 1);
            if (!rest.isEmpty() && std::all_of(rest.begin(), rest.end(), [this](const QString &word) {
                    return m_knowledge.namesTime(word);
                })) {
                np.resize(i);
                break;
            }
            if (!isPlural(np[i - 1]) && hasNoun(np.mid(i + 1))) {
                np[i - 1] += np.takeAt(i);
                --i;
                continue;
            }
            // Getting a thing "serviced" or "repaired" asks for its service or repair: "bikeservice",
            // never "service" alone.
            if (const QString work = workOf(np[i]); !work.isEmpty()) {
                np[i] = work;
                np[i - 1] = m_knowledge.singular(np[i - 1]); // "photorestoration" of "photos restored"
                phrase.genericHead = true;
                phrase.workAsked = true;
                np.resize(i + 1);
                break;
            }
            np.resize(i + 1);
            break;
        }
        // The last noun heads it, or a last word that makes one noun with the one before ("kitchen sink"),
        // or the work asked for ("repair" of "shoes repaired").
        qsizetype head = np.size() - 1;
        while (head > 0 && !phrase.genericHead && !isNoun(np[head]) && !m_knowledge.headsPhrase(np, head)
               && !m_knowledge.isCompound(np[head - 1], np[head]))
            --head;
        phrase.head = np[head];
        phrase.modifiers = np.mid(0, head);
        phrase.trailing = np.mid(head + 1);
        // A word that only leads into what follows ("made" in "made with homegrown
        // peppers") says nothing of the thing: no "hotsaucemade".
        if (!phrase.trailing.isEmpty() && main + 1 < segments.size() && !isNoun(phrase.trailing.last()))
            phrase.trailing.removeLast();
        // A compound noun is one head, no work done to its first word: "day care" is no care of a day.
        if (!phrase.modifiers.isEmpty() && isNoun(phrase.modifiers.last())
            && m_knowledge.field({phrase.modifiers.last(), phrase.head}) == Field::Service
            && !m_knowledge.isCompound(phrase.modifiers.last(), phrase.head))
            phrase.innerHead = phrase.modifiers.size() - 1;
        // What the thing comes "with" ("with cheap oil changes and wheel alignment")
        // is what it has, neither its point nor a second thing: the point is further on ("in phoenix").
        bool features = false;
        bool clause = false;
        for (qsizetype i = main + 1; i < segments.size(); ++i) {
            features = glues[i] == QLatin1String("with") || (features && glues[i] == QLatin1String("and"));
            clause = clause || isClauseWord(glues[i]);
            // Where is the point over anything else, even in a clause: "italy" of "who travels
            // to destination weddings in italy"; nothing else of a clause is.
            const bool leadsToPlace = isPlaceGlue(glues[i]) || isRouteWord(glues[i]) || glues[i] == QLatin1String("of");
            const bool place = leadsToPlace && !owned[i] && namesPlace(segments[i]);
            if (place && !phrase.pointIsPlace && !isTradeStatus(glues[i], segments[i])) {
                phrase.glue =
                    isPlaceGlue(glues[i]) ? glues[i] : QStringLiteral("in"); // "toursinthekeys", never "toursofkeys"
                phrase.point = segments[i];
                phrase.pointIsPlace = true;
                phrase.pointOwned = false;
                continue;
            }
            if (features || clause)
                continue;
            if (glues[i] == QLatin1String("and") && phrase.other.isEmpty() && phrase.point.isEmpty()) {
                // A second thing named: its noun ("fruit" in "seasonal fruit").
                for (const QString &word : segments[i]) {
                    if (isNoun(word))
                        phrase.other = QStringList{word};
                }
            } else if ((phrase.point.isEmpty() || (phrase.glue == QLatin1String("for") && isPlaceGlue(glues[i])))
                       && !phrase.pointIsPlace && isPreposition(glues[i]) && !isTradeStatus(glues[i], segments[i])) {
                // Where is the point over who it is for: "bostonbagpipelessons" of "bagpipe lessons
                // for beginners in boston".
                phrase.glue = glues[i];
                phrase.point = segments[i];
                phrase.pointOwned = owned[i];
            }
        }
        return phrase;
    }

private:
    bool isNoun(const QString &word) const
    {
        return m_knowledge.isNoun(word) || m_wholes.contains(word) || m_joinedTimes.contains(word);
    }

    // Whether the words end in a city or region's name: "rome", "downtown
    // portland", "lake tahoe", "the florida keys".
    bool namesPlace(const QStringList &segment) const
    {
        return !segment.isEmpty()
               && (m_knowledge.isPlaceName(segment.last())
                   || (segment.size() > 1 && m_knowledge.fieldOfWhole(segment.mid(segment.size() - 2)) == Field::Area));
    }

    // "plan", or doing it: "planning", "making", "fixing".
    bool isVerbOrDoing(const QString &word) const
    {
        if (m_knowledge.isVerb(word))
            return true;
        if (!word.endsWith(QLatin1String("ing")) || word.size() < 6)
            return false;
        const QString stem = word.chopped(3);
        const bool doubled = stem.at(stem.size() - 1) == stem.at(stem.size() - 2);
        return m_knowledge.isVerb(stem) || m_knowledge.isVerb(stem + QLatin1Char('e'))
               || (doubled && m_knowledge.isVerb(stem.chopped(1)));
    }

    bool isPlural(const QString &word) const
    {
        return m_knowledge.singular(word) != word && !m_knowledge.livesInPlural(word);
    }

    bool hasNoun(const QStringList &segment) const
    {
        return std::any_of(segment.begin(), segment.end(), [&](const QString &word) { return isNoun(word); });
    }

    // A word that is a verb and neither noun nor adjective: "learn", "buy".
    bool isVerbOnly(const QString &word) const
    {
        return m_knowledge.isWord(word) && !m_knowledge.isNoun(word) && !m_knowledge.isAdjective(word)
               && !m_knowledge.namesAnActivity(word) && m_knowledge.commonness(word) > 0; // "moving company"
    }

    // "delivered", "made": a verb's form that WordNet lists only under the verb.
    bool isParticiple(const QString &word) const { return isVerbForm(word) && !m_knowledge.isAdjective(word); }

    // "owned", "fired": a verb's "-ed" form, whatever else WordNet lists it as, but no noun ("bed").
    bool isVerbForm(const QString &word) const
    {
        return word.endsWith(QLatin1String("ed")) && m_knowledge.isWord(word) && !m_knowledge.isNoun(word)
               && (m_knowledge.commonness(word.chopped(1)) > 0 || m_knowledge.commonness(word.chopped(2)) > 0);
    }

    // The work a participle asks for, where its stem is a noun that names work:
    // "service" of "serviced", "repair" of "repaired"; never "deliver" of "delivered".
    QString workOf(const QString &word) const
    {
        if (!isVerbForm(word))
            return {};
        for (const QString &stem : {word.chopped(1), word.chopped(2)}) {
            if (m_knowledge.isNoun(stem) && m_knowledge.namesWork(stem))
                return stem;
        }
        // Or the work its verb's noun names: "restoration" of "restored", "cleaning" of "cleaned".
        for (const QString &stem : {word.chopped(2), word.chopped(1)}) {
            if (!m_knowledge.isVerb(stem))
                continue;
            const QString bare = stem.endsWith(QLatin1Char('e')) ? stem.chopped(1) : stem;
            if (m_knowledge.namesWork(stem)) // "repair", used more as a verb
                return stem;
            for (const QString &noun :
                 {bare + QStringLiteral("ation"), stem + QStringLiteral("ment"), bare + QStringLiteral("ing")}) {
                if (m_knowledge.isNoun(noun) && m_knowledge.namesWork(noun))
                    return noun;
            }
        }
        return {};
    }

    QStringList verbsOf(const QStringList &segment) const
    {
        QStringList verbs;
        for (const QString &word : segment) {
            if (isVerbOnly(word))
                verbs.append(word);
        }
        return verbs;
    }

    const WordKnowledge &m_knowledge;
    QHash<QString, QStringList> m_wholes; // of the phrase being read
    QSet<QString> m_joinedTimes;          // "sameday": a noun of the phrase, though no whole WordNet knows
};

class Forms final {
public:
    Forms(const WordKnowledge &knowledge, qsizetype maxLength) : m_knowledge(knowledge), m_maxLength(maxLength) { }

    void addAll(const Phrase &phrase, double shift)
    {
        for (const auto &[np, worth, inner] : nounPhrases(phrase)) {
            const double base = kBase + shift + worth;
            m_field = fieldOf(phrase, np);
            m_takesAffixes = true;
            // A lone word says too little of a phrase ("flights", "delivery"), but
            // what one learns takes a hobby's words well ("guitarlessons").
            // So does a person alone, who is named well with their field's words: "localelectrician".
            // The thing work is done to is no business of its own: no "familyphotoshop"
            // of "family photos restored".
            const bool workedOn = inner && (phrase.workAsked || changesThing(phrase.head));
            if ((np.size() > 1 || phrase.wholes.contains(np.first())) && !workedOn) {
                add(np, base);
                // Without a head that only says "business" it is the work or thing itself, which
                // takes the field's own words: "housecleaning" of "house cleaning service".
                // But the thing rented out or mended alone is another business: no "car", "carsales"
                // of "car rental".
                if (np.size() == 2 && isGeneric(np.last()) && !isGeneric(np.first()) && namesAThing(np.first())
                    && !changesThing(np.last()))
                    addWithout(np, {np.first()}, base + kGenericDropped);
            } else if (learns(phrase) || (isPerson(m_field) && describedOnly(phrase))) {
                m_offeredBare = false;
                add(np, base);
                m_offeredBare = true;
            }
            // What is asked to be rented is rented out: "campervanrentals".
            if (rents(phrase) && !np.last().startsWith(QLatin1String("rental")) && np.last() != QLatin1String("hire"))
                add(np + QStringList{QStringLiteral("rentals")}, base + kMoreKept);
            m_takesAffixes = false;
            if (!phrase.trailing.isEmpty())
                add(np + phrase.trailing, base + kMoreKept);
            // What one learns or plays is the point ("learnguitar"); "buy" says nothing a name needs.
            for (QString verb : phrase.intent) {
                if (!kLearning.contains(verb))
                    continue;
                if (verb == QLatin1String("teach")) // one teaches what the pupil learns: "learnswimming"
                    verb = QStringLiteral("learn");
                add(QStringList{verb} + np, base + kPointKept);
                // One learns to do what is also done: "learntocode", "learntodraw".
                if (verb == QLatin1String("learn") && np.size() == 1 && m_knowledge.isVerb(np.first()))
                    add({verb, QStringLiteral("to"), np.first()}, base + kPointKept + kGlueKept);
                if (!phrase.trailing.isEmpty())
                    add(QStringList{verb} + np + phrase.trailing, base + kPointKept + kMoreKept / 2);
            }
            // Who a service is for is the service's, not its thing's: "kidsguitarlessons",
            // never "beginnersbagpipe" for "bagpipe lessons for beginners".
            // Nor is where a service is done said of the thing it is done to: "sandiegodoggrooming",
            // never "sandiegodog"; but "chicagomoving", where the inner head is the work.
            const bool innerThing =
                inner && !m_knowledge.namesAnActivity(np.last()) && !m_knowledge.namesWork(np.last());
            // A place named with more words says where by its own name too:
            // "portland" of "downtown portland".
            const bool placed = phrase.pointIsPlace || isPlaceGlue(phrase.glue);
            QList<std::pair<QStringList, double>> points{{phrase.point, phrase.pointOwned ? -kPointKept : 0.0}};
            // The city before its state: "austin" of "austin texas", "portland" of "north portland".
            static const QSet<QString> quarters{"north",     "south",    "east",    "west",      "northern",
                                                "southern",  "eastern",  "western", "central",   "downtown",
                                                "uptown",    "midtown",  "greater", "northeast", "northwest",
                                                "southeast", "southwest"};
            const auto city = std::find_if(phrase.point.begin(), phrase.point.end(), [&](const QString &word) {
                return !quarters.contains(word) && m_knowledge.isPlaceName(word);
            });
            if (phrase.point.size() > 1 && placed && city != phrase.point.end())
                points.append({{*city}, kPlaceAlone});
            // A lake or a mountain goes by its own name: "tahoe" of "lake tahoe", never "district".
            else if (const QString own = ownNameOf(phrase.point); placed && !own.isEmpty())
                points.append({{own}, kPlaceAlone});
            // And by the short form locals write: "pdx" of "portland", "obx" of "the outer banks".
            QString shortForm = placed ? placeShortFormOf(phrase.point) : QString();
            if (placed && city != phrase.point.end() && !placeShortForm(*city).isEmpty()) {
                // The state or country typed after the city says which one it is: no "pdx" of
                // "portland maine".
                const qsizetype after = city - phrase.point.begin() + 1;
                shortForm = placeShortForm(*city, phrase.point.mid(after).join(QString()));
            }
            if (!shortForm.isEmpty())
                points.append({{shortForm}, kPlaceShort});
            for (const auto &[point, less] : points) {
                if (point.isEmpty() || (inner && phrase.glue == QLatin1String("for")) || innerThing)
                    break;
                const bool abbreviated = point.size() == 1 && point.first() == shortForm;
                if (!abbreviated) // no "veganbakeryinpdx"
                    add(np + QStringList{phrase.glue} + point, base + less + kPointKept + kGlueKept);
                // "romehotelsonline"; but a service's thing is no business of its own: no "bostonbagpipeshop".
                m_takesAffixes = !inner;
                // "kidstoys" reads well, but not as well as "toysforkids" does.
                // Whose it is, as English says it before the thing: "womensjewelry", "kidstoys",
                // and one of many for the rest: "beginnerguitar", "dogfood", "seniorfitness".
                static const QSet<QString> plainPlurals{"women", "men", "children", "people"};
                static const QSet<QString> saidInPlural{"kids", "couples", "twins"};
                QStringList whose = point;
                if (!placed && whose.size() == 1 && plainPlurals.contains(whose.first()))
                    whose.first() += QLatin1Char('s');
                else if (!placed && whose.size() == 1 && !saidInPlural.contains(whose.first()))
                    whose.first() = m_knowledge.singular(whose.first());
                // Whom it is for goes before the thing, not before its praise: no "puppybestdogfood".
                static const QSet<QString> praise{"best", "top", "cheap", "cheapest", "affordable", "good", "great"};
                if (placed || !praise.contains(np.first()))
                    add(whose + np, base + less + kPointKept + kPointFirst - (placed ? 0.0 : 1.0));
                m_takesAffixes = false;
                // Only a place reads without its glue: "hotelsrome", never "toyskids".
                if (placed)
                    add(np + point, base + less + kPointKept + kGlueDropped);
                // A head that only says it is a business goes after a place: "chicagopizza" of
                // "pizza place in chicago", "nashvilleguitar" of "guitar lessons".
                // A compound noun stays whole, unless its first word is the work: no "austinday" of
                // "day care in austin", but "chicagomoving" of "moving company in chicago".
                if (placed && np.size() == 2 && isGeneric(np.last()) && namesAThing(np.first())
                    && (!m_knowledge.isCompound(np.first(), np.last()) || m_knowledge.namesWork(np.first())
                        || m_knowledge.namesAnActivity(np.first())))
                    addWithout(np, point + np.mid(0, np.size() - 1), base + less + kPointKept + kGenericDropped);
                // So it does before whom it is for: "spanishforadults" of "spanish lessons for adults".
                if (phrase.glue == QLatin1String("for") && !placed && np.size() == 2 && isGeneric(np.last())
                    && namesAThing(np.first()))
                    addWithout(np, QStringList{np.first(), phrase.glue} + point,
                               base + less + kPointKept + kGenericDropped);
            }
            if (!phrase.other.isEmpty())
                add(np + QStringList{QStringLiteral("and"), phrase.other.last()}, base + kMoreKept);
            if (phrase.nearMe)
                add(np + QStringList{QStringLiteral("near"), QStringLiteral("me")}, base + kPointKept);
            // Had online: "spanishlessonsonline", "onlinespanishlessons"; learnt online: "learnspanishonline".
            if (phrase.online) {
                const QString online = QStringLiteral("online");
                add(np + QStringList{online}, base + kPointKept + kGlueDropped);
                add(QStringList{online} + np, base + kPointKept);
                if (np.size() == 2 && isGeneric(np.last()) && namesAThing(np.first()) && isLearnt(np.last())) {
                    add({QStringLiteral("learn"), np.first(), online}, base + kPointKept);
                    add({QStringLiteral("learn"), np.first()}, base + kPointKept - kGlueKept);
                }
            }
        }
    }

    QList<PhraseForm> forms() const { return m_forms; }

private:
    // A phrase asked to learn or play something is a hobby ("guitarlessons"),
    // one asked to buy something a product; otherwise what its noun names.
    Field fieldOf(const Phrase &phrase, const QStringList &np)
    {
        static const QStringList buying{"buy", "order", "shop", "purchase"};
        for (const QString &verb : phrase.intent) {
            if (kLearning.contains(verb))
                return Field::Hobby;
            if (buying.contains(verb))
                return Field::Product;
        }
        if (rents(phrase))
            return Field::Service;
        const auto found = m_fields.constFind(np);
        if (found != m_fields.cend())
            return *found;
        if (const auto whole = phrase.wholes.constFind(np.last()); whole != phrase.wholes.cend()) {
            if (const std::optional<Field> field = m_knowledge.fieldOfWhole(*whole))
                return *m_fields.insert(np, *field);
        }
        return *m_fields.insert(np, m_knowledge.field(np));
    }

    // A noun, an activity, or a word the dictionary lacks that the phrase was read with ("ballroomdance"):
    // what a head that only says "business" is about.
    bool namesAThing(const QString &word) const
    {
        return m_knowledge.isNoun(word) || m_knowledge.namesAnActivity(word) || !m_knowledge.isWord(word);
    }

    // Work that mends or changes a thing says nothing without it: no "slcrepair", and the thing
    // alone is no business ("garagedoorspring" of "garage door spring repair").
    bool changesThing(const QString &head) const
    {
        // What is rented out is no business alone either: no "miamicar" of "car rental in miami".
        static const QSet<QString> work{"repair",      "removal",    "installation", "replacement", "restoration",
                                        "maintenance", "inspection", "servicing",    "rental",      "hire"};
        return work.contains(m_knowledge.singular(head));
    }

    // A head that says the thing before it is learnt: "spanish lessons", "pottery classes".
    bool isLearnt(const QString &head) const
    {
        static const QSet<QString> learnt{"lesson", "class", "course", "tuition", "tutoring"};
        return learnt.contains(m_knowledge.singular(head));
    }

    // A head as common as "place", or one that says only that it is a business ("store", "lessons").
    bool isGeneric(const QString &head) const
    {
        return m_knowledge.commonness(head) >= kGenericHead || namesTheBusiness(QLatin1Char('-') + head)
               || namesTheBusiness(QLatin1Char('-') + m_knowledge.singular(head))
               || m_knowledge.singular(head) == QLatin1String("rental");
    }

    // The name of a lake or a mountain without the word for it, as one writes or joins them: "lake tahoe", "laketahoe".
    QString ownNameOf(const QStringList &point) const
    {
        constexpr qsizetype kShortestName = 4;
        constexpr int kRareWord = 1; // "tahoe", "rainier", "hood"; no "district"
        const QString whole = point.join(QString());
        for (const QString &kind : kLakeOrMount) {
            const QString rest = whole.mid(kind.size());
            if (whole.startsWith(kind) && (point.size() == 1 || point.first() == kind) && rest.size() >= kShortestName
                && m_knowledge.commonness(rest) <= kRareWord)
                return rest;
        }
        return {};
    }

    // The short form of the place the words end in: the whole ("sanfrancisco"), the last two ("outer banks"), the last.
    static QString placeShortFormOf(const QStringList &point)
    {
        for (qsizetype take = point.size(); take >= 1; --take) {
            const QString form = placeShortForm(point.mid(point.size() - take).join(QString()));
            if (!form.isEmpty())
                return form;
        }
        return {};
    }

    double worthOf(const QString &modifier) const
    {
        return std::max(0.0, kModifierWorth - kCommonnessWeight * std::log2(1.0 + m_knowledge.commonness(modifier)));
    }

    // The head with each run of modifiers just before it, and each single
    // adjective ("bestflights"); for a compound ("dog food delivery"), the
    // runs ending at its inner head too, where a lone modifier would drift
    // ("organicdelivery").
    struct NounPhrase {
        QStringList words;
        double worth = 0;
        bool inner = false; // ends at a compound's inner head: the thing a service is done to
    };
    QList<NounPhrase> nounPhrases(const Phrase &phrase) const
    {
        QList<NounPhrase> nps;
        auto endingAt = [&](QStringList before, const QString &head, bool inner) {
            // A modifier the head already says goes: "family lawyer", not "family law lawyer".
            before.removeIf([&](const QString &modifier) { return sharesStart(modifier, head); });
            // A head as common as "place", or one that only says it is a business
            // ("store", "tours"), says nothing without the noun before it:
            // "pizzaplace", "recordstore", never "place" or "brooklynstore".
            // Nor one who works on it: "brooklyndogwalker", never "brooklynwalker"; nor what
            // brings it: "bristolsushidelivery", never "bristoldelivery".
            const bool generic =
                (phrase.genericHead || changesThing(head) || m_knowledge.singular(head) == QLatin1String("delivery")
                 || m_knowledge.commonness(head) >= kGenericHead
                 || m_knowledge.namesWorkerOn(m_knowledge.singular(head)) || namesTheBusiness(QLatin1Char('-') + head)
                 || namesTheBusiness(QLatin1Char('-') + m_knowledge.singular(head)))
                && !before.isEmpty() && namesAThing(before.last());
            // An adjective before the thing a service is done to may say how the service is
            // done ("mobile dog grooming"): no "mobiledog"; before a compound it is the thing's
            // ("organic dog food").
            const bool serviceAdjective = inner && !before.isEmpty() && m_knowledge.isAdjective(before.last())
                                          && !m_knowledge.isCompound(before.last(), head)
                                          && !m_knowledge.namesAnActivity(head) && !m_knowledge.namesWork(head);
            // A noun just before a thing's or a place's head says what kind it is and stays with it:
            // "trampoline park", "laser tag arena"; never "leedspark" or "tampaarena". A person
            // ("wedding photographer"), work or an activity ("truck rental", "scuba diving") still
            // reads alone, as does a place after whom it is for or what describes it ("family
            // campground", "second hand bookstore", "24 hour pharmacy", "family owned bakery").
            static const QSet<QString> whom{"family", "kids",  "kid",   "children", "child",  "women", "men",
                                            "adults", "adult", "teens", "seniors",  "senior", "baby",  "couples"};
            const bool kindOfThing = !inner && !head.endsWith(QLatin1String("ing")) && !m_knowledge.namesWork(head)
                                     && !m_knowledge.namesAnActivity(head) && !changesThing(head)
                                     && !isPerson(m_knowledge.field({head}));
            const auto counted = [](const QString &word) {
                return std::any_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
            };
            const auto saysKind = [&](const QString &modifier) {
                const QString previous = before.size() > 1 ? before[before.size() - 2] : QString();
                return (namesAThing(modifier) || m_knowledge.namesToo(modifier)) && !m_knowledge.describes(modifier)
                       && !counted(modifier) && !modifier.endsWith(QLatin1String("ed")) && !whom.contains(modifier)
                       && !counted(previous) && !(!previous.isEmpty() && m_knowledge.describes(previous + modifier));
            };
            const qsizetype kindStart =
                kindOfThing && !before.isEmpty() && saysKind(before.last()) ? before.size() - 1 : before.size();
            for (qsizetype start = std::min(before.size() - (generic ? 1 : 0), kindStart); start >= 0; --start) {
                if (serviceAdjective && start < before.size())
                    continue;
                // A compound stays whole: "dog food delivery" is no "food delivery"; but an activity
                // that heads one stands alone where the whole and the point would not fit:
                // "floridakeysdiving" for "scuba diving in the florida keys".
                if (start > 0 && m_knowledge.isCompound(before[start - 1], start < before.size() ? before[start] : head)
                    && !(start == before.size() && head.endsWith(QLatin1String("ing"))
                         && !fitsWithPoint(before.mid(start - 1) + QStringList{head}, phrase)))
                    continue;
                // Nor does a group or amount stand without the size that measures it: no "batchhotsauce".
                if (start > 0 && start < before.size() && m_knowledge.measures(before[start - 1], before[start]))
                    continue;
                // Nor an adjective without the noun it is said of: "dog friendly", "gluten free", never
                // "friendlypubs"; but "hot sauce" is a thing of its own.
                if (start > 0 && start < before.size() && m_knowledge.isNoun(before[start - 1])
                    && !m_knowledge.isAdjective(before[start - 1]) && m_knowledge.isAdjective(before[start])
                    && !m_knowledge.isCompound(before[start], start + 1 < before.size() ? before[start + 1] : head))
                    continue;
                double worth = 0;
                for (const QString &modifier : before.mid(start))
                    worth += worthOf(modifier);
                nps.append({before.mid(start) + QStringList{head}, worth, inner});
            }
            // The part a service is done to may go where the thing it belongs to is named by two
            // nouns before it: "garagedoorrepair" of "garage door spring repair", as people say it;
            // never with fewer ("waterrepair" of "water heater repair") or after an adjective.
            constexpr qsizetype kPartAndWhole = 3;
            if (!inner && before.size() >= kPartAndWhole
                && std::all_of(
                    before.end() - kPartAndWhole, before.end(),
                    [&](const QString &word) { return m_knowledge.isNoun(word) && !m_knowledge.isAdjective(word); })
                && namesAThing(before.last()) && namesAThing(before.at(before.size() - 2))) {
                const QStringList whole = before.mid(before.size() - kPartAndWhole, kPartAndWhole - 1);
                double worth = 0;
                for (const QString &modifier : whole)
                    worth += worthOf(modifier);
                nps.append({whole + QStringList{head}, worth, inner});
            }
            // Not past a noun or an activity that says what the head is: no "affordablecompany" of
            // "affordable moving company".
            // Nor into a compound: no "smallsauce" of "small batch hot sauce".
            const bool qualified = !before.isEmpty()
                                   && (m_knowledge.isNoun(before.last()) || m_knowledge.namesAnActivity(before.last())
                                       || m_knowledge.isCompound(before.last(), head));
            for (qsizetype i = 0; !generic && !qualified && phrase.innerHead < 0 && i + 1 < before.size(); ++i) {
                if (m_knowledge.isAdjective(before[i]))
                    nps.append({{before[i], head}, worthOf(before[i]), inner});
            }
        };
        endingAt(phrase.modifiers, phrase.head, false);
        if (phrase.innerHead >= 0)
            endingAt(phrase.modifiers.mid(0, phrase.innerHead), phrase.modifiers[phrase.innerHead], true);
        return nps;
    }

    // A form without the head that only said "business" names what the word before it
    // does: "ballroomdancestudio", never "ballroomdancepros"; a lesson's subject is learnt.
    void addWithout(const QStringList &np, const QStringList &words, double score)
    {
        const Field field = m_field;
        const Field alone = m_knowledge.field({np.first()});
        if (isLearnt(np.last()))
            m_field = Field::Hobby;
        else if (alone != Field::General)
            m_field = alone;
        add(words, score);
        m_field = field;
    }

    void add(const QStringList &words, double score)
    {
        // A form may run a little longer, to be offered bare: "cornwallweddingvenues".
        constexpr qsizetype kBareRoom = 2;
        if (words.join(QString()).size() > m_maxLength + kBareRoom)
            return;
        for (PhraseForm &form : m_forms) {
            if (form.words == words) {
                form.score = std::max(form.score, score);
                return;
            }
        }
        m_forms.append({words, score, m_field, m_takesAffixes, m_offeredBare});
    }

    // Whether only adjectives come before the head: "licensed electrician", not "family law attorney".
    bool describedOnly(const Phrase &phrase) const
    {
        return std::all_of(phrase.modifiers.begin(), phrase.modifiers.end(),
                           [&](const QString &modifier) { return !m_knowledge.isNoun(modifier); });
    }

    static bool rents(const Phrase &phrase)
    {
        return phrase.intent.contains(QLatin1String("rent")) || phrase.intent.contains(QLatin1String("hire"));
    }

    static bool learns(const Phrase &phrase)
    {
        return std::any_of(phrase.intent.begin(), phrase.intent.end(),
                           [](const QString &verb) { return kLearning.contains(verb); });
    }

    bool fitsWithPoint(const QStringList &words, const Phrase &phrase) const
    {
        qsizetype length = words.join(QString()).size();
        for (const QString &word : phrase.point)
            length += isGlueWord(word) ? 0 : word.size();
        return length <= m_maxLength;
    }

    static bool sharesStart(const QString &a, const QString &b)
    {
        constexpr qsizetype kShared = 3;
        return a.size() >= kShared && b.size() >= kShared && a.left(kShared) == b.left(kShared);
    }

    const WordKnowledge &m_knowledge;
    const qsizetype m_maxLength;
    Field m_field = Field::General;
    bool m_takesAffixes = false;
    bool m_offeredBare = true;
    QHash<QStringList, Field> m_fields;
    QList<PhraseForm> m_forms;
};

} // namespace

QList<PhraseForm> phraseForms(const QStringList &words, const WordKnowledge &knowledge, qsizetype maxLength,
                              bool wholePhrase)
{
    const std::optional<Phrase> phrase = Reader(knowledge).read(words);
    if (!phrase)
        return {};
    Forms forms(knowledge, maxLength);
    forms.addAll(*phrase, 0);
    // The other modifier of a shared head, a little lower: "vailsnowboardrentals".
    if (!phrase->sharing.isEmpty() && !phrase->modifiers.isEmpty()) {
        Phrase second = *phrase;
        second.modifiers.last() = phrase->sharing.join(QString());
        forms.addAll(second, kSecondModifier);
    }
    const Field headField = knowledge.field({phrase->head});
    int related = 0;
    // An activity's other words drift in a phrase ("training" for the "grooming" of
    // "dog grooming in san diego"): only a thing's relatives stand for it there.
    const bool activity = knowledge.namesWork(phrase->head) || knowledge.namesAnActivity(phrase->head);
    // The words written down by hand for the head are the field's own; where there
    // are some, WordNet's drift is left out: "pubs" are no "saloons", food no "nutrient".
    QStringList relatives = knowledge.curatedRelatives(knowledge.singular(phrase->head));
    if (relatives.isEmpty())
        relatives = knowledge.closeRelatives(phrase->head);
    for (const QString &relative : activity ? QStringList() : relatives) {
        // "familylawyer", never "familylawlaw" or "playguitarist".
        if (related >= kRelativesOfHead || words.contains(relative) || !knowledge.isNoun(relative)
            || knowledge.field({relative}) != headField)
            continue;
        Phrase replaced = *phrase;
        replaced.genericHead = knowledge.commonness(phrase->head) >= kGenericHead;
        // In the head's number: "organicveggies" for "organic vegetables".
        replaced.head = knowledge.singular(phrase->head) != phrase->head && knowledge.takesPlural(relative)
                            ? knowledge.plural(relative)
                            : relative;
        forms.addAll(replaced, kRelativeHead);
        ++related;
    }
    QList<PhraseForm> result = forms.forms();
    // A word a number counts keeps its number (no "chicagohourpharmacy" of
    // "24 hour pharmacy in chicago", no "seatertaxi"; the head may stand alone),
    // and a number that names the noun before it keeps that noun (no
    // "arizona66tours" of "route 66 tours in arizona").
    const auto isNumber = [](const QString &word) {
        return std::all_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
    };
    QHash<QString, QString> comesAfter; // a word, and the one it needs right before it
    for (qsizetype i = 0; i + 1 < words.size(); ++i) {
        if (isNumber(words[i]) && words[i + 1] != phrase->head)
            comesAfter.insert(words[i + 1], words[i]);
        else if (isNumber(words[i + 1]) && !isGlueWord(words[i]) && knowledge.isNoun(words[i]))
            comesAfter.insert(words[i + 1], words[i]);
    }
    result.removeIf([&](const PhraseForm &form) {
        for (qsizetype i = 0; i < form.words.size(); ++i) {
            const auto needed = comesAfter.constFind(form.words[i]);
            if (needed != comesAfter.constEnd() && (i == 0 || form.words[i - 1] != *needed))
                return true;
        }
        return false;
    });
    // A phrase whose thing is one plain word and says little else still names
    // it, with its field's words: "websitepros", never a page of nothing.
    // Not where a form that keeps a word beside it takes the field's words: no bare
    // "products" beside "skincareproducts".
    const bool named = std::any_of(result.begin(), result.end(),
                                   [](const PhraseForm &form) { return form.takesAffixes && form.words.size() > 1; });
    if (wholePhrase && result.size() < kFewestForms && !named && knowledge.isNoun(phrase->head)
        && !phrase->genericHead) {
        const QStringList alone{phrase->head};
        if (std::none_of(result.begin(), result.end(), [&](const PhraseForm &form) { return form.words == alone; }))
            result.append({alone, kBase - 1.0, knowledge.field(alone), true, false});
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const PhraseForm &a, const PhraseForm &b) { return a.score > b.score; });
    return result;
}

} // namespace varnex::registrar
