// Splitting a run-together label into the words a person reads in it.

#include "names/glue_words.h"
#include "names/word_data.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace varnex::registrar {

namespace {

// The cost of a reading is the sum of its pieces' costs; the cheapest wins.
// A known word costs this less the log of its commonness, so common words and
// few of them win ("bestpizzaplace" is best + pizza + place, not be + st ...);
constexpr double kWordCost = 10.0;
// yet at least this much: a word more common than 2^10 would cost nothing or
// less, and cutting a label into more such words would then read best;
constexpr double kLeastWordCost = 0.5;
// a stretch of no known word costs more than any word, and more the longer it
// is, so text holding a known word is read around it.
constexpr double kUnknownCost = 20.0;
constexpr double kUnknownLetterCost = 2.0;
// A noun of this many letters costs at most what two common words do.
constexpr size_t kLongNoun = 8;
constexpr double kLongNounCost = 4.0;
// A glue word of two letters or more: "in", "the".
constexpr double kGlueCost = 3.0;
// A place of two words reads as one, as a fairly common word does: "in
// sandiego", not "ins an die go".
constexpr double kJoinedPlaceCost = 6.0;
// A piece of no more letters than this that is no word belongs to the word before it.
constexpr qsizetype kStrayLetters = 3;

// Endings that make words of words; alone they are no word of a name.
bool isWordEnding(const QString &piece)
{
    static const QStringList endings{
        QStringLiteral("able"), QStringLiteral("ible"), QStringLiteral("ness"), QStringLiteral("less"),
        QStringLiteral("ment"), QStringLiteral("ly"),   QStringLiteral("ing"),  QStringLiteral("ed"),
        QStringLiteral("er"),   QStringLiteral("est"),  QStringLiteral("ful"),  QStringLiteral("ish"),
        QStringLiteral("ism"),  QStringLiteral("ist"),  QStringLiteral("ity"),  QStringLiteral("ize"),
        QStringLiteral("ous"),  QStringLiteral("tion"), QStringLiteral("sion"), QStringLiteral("al"),
        QStringLiteral("es"),   QStringLiteral("s")};
    return endings.contains(piece);
}

// Letters a to z, digits and hyphens: the labels word knowledge can read.
bool isPlain(const QString &lower)
{
    return std::all_of(lower.begin(), lower.end(), [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
               || c == QLatin1Char('-');
    });
}

// An "-ing" word of a verb WordNet knows ("towing") is read before glue and
// a word ("to wing"), however rare it is.
constexpr double kVerbFormCost = 1.0;

// A verb's "-s" form ("learns") is rare in a name: "learn scuba" reads before "learns cuba".
constexpr double kVerbSCost = 6.0;

double verbFormCost(const WordKnowledge::Data &data, std::string_view piece)
{
    if (piece.size() < 4 || !piece.ends_with('s') || !data.indexLine(wordnet::Noun, piece).empty()
        || !data.indexLine(wordnet::Adjective, piece).empty())
        return 0.0;
    const std::string base(piece.substr(0, piece.size() - 1));
    return data.indexLine(wordnet::Noun, base).empty() && !data.indexLine(wordnet::Verb, base).empty() ? kVerbSCost
                                                                                                       : 0.0;
}

// A few two-letter names a business goes by: "wedding dj", "mobile rv", "tv mounting".
bool isShortName(std::string_view piece)
{
    static constexpr std::array<std::string_view, 7> names{"dj", "tv", "pc", "rv", "ev", "gp", "md"};
    return std::find(names.begin(), names.end(), piece) != names.end();
}

bool isShortName(const QString &piece)
{
    return piece.size() == 2 && isShortName(piece.toStdString());
}

// Whether a run reads as words of the list of three letters or more, the last maybe
// glue: "car wash", "bed and breakfast", "how to"; never "ra men", "gel a to" or
// "cow or king".
bool listWords(const WordKnowledge::Data &data, std::string_view run)
{
    std::vector<bool> reads(run.size() + 1, false); // whether the run's first letters do, so many of them
    reads[0] = true;
    for (size_t end = kMinPlainWord; end <= run.size(); ++end) {
        for (size_t start = 0; start + kMinPlainWord <= end && !reads[end]; ++start)
            reads[end] = reads[start] && end - start < run.size() && data.splitWord(run.substr(start, end - start));
    }
    for (size_t glue = 2; glue < run.size(); ++glue) {
        const std::string_view last = run.substr(run.size() - glue);
        if (reads[run.size() - glue] && isGlueWord(QString::fromLatin1(last.data(), qsizetype(last.size()))))
            return true;
    }
    return reads[run.size()];
}

// Whether a stem reads as two words of the list: "chimney" and "sweep".
bool twoWords(const WordKnowledge::Data &data, std::string_view stem)
{
    for (size_t at = kMinPlainWord; at + kMinPlainWord <= stem.size(); ++at) {
        if (data.splitWord(stem.substr(0, at)) && data.splitWord(stem.substr(at)))
            return true;
    }
    return false;
}

double pieceCost(const WordKnowledge::Data &data, std::string_view piece)
{
    // As common as glue: "wedding dj in", never "wedding djin" (a rare spelling of "jinn").
    if (isShortName(piece))
        return kGlueCost;
    if (piece.size() > 5 && piece.ends_with("ing") && data.splitWord(piece)) {
        const std::string_view stem = piece.substr(0, piece.size() - 3);
        if (!data.indexLine(wordnet::Verb, stem).empty()
            || !data.indexLine(wordnet::Verb, std::string(stem) + "e").empty())
            return kVerbFormCost;
    }
    if (!data.splitWord(piece)) {
        // A word only the lists written by hand hold costs what two common words do ("ramen bar").
        if (data.handWrittenWord(piece))
            return kLongNounCost;
        // A long noun WordNet alone holds reads whole, before any words that spell it:
        // "wedding officiant", never "off ic i ant"; "takeaway", never "take away".
        if (piece.size() >= kLongNoun && !data.indexLine(wordnet::Noun, piece).empty())
            return kLeastWordCost;
        return data.joinedPlace(piece) ? kJoinedPlaceCost : kUnknownCost + kUnknownLetterCost * double(piece.size());
    }
    // WordNet counts no glue word's uses, yet "in" and "on" are among the commonest
    // words there are: "pants in london", not "pant sin london".
    if (piece.size() > 1 && isJoiningWord(QString::fromLatin1(piece.data(), qsizetype(piece.size()))))
        return kGlueCost;
    const double cost =
        std::max(kLeastWordCost, kWordCost - std::log2(1.0 + data.usage(piece))) + verbFormCost(data, piece);
    // A long noun the dictionary holds is read whole, however rare: "ballroom", not "ball room".
    if (piece.size() >= kLongNoun && !data.indexLine(wordnet::Noun, piece).empty())
        return std::min(cost, kLongNounCost);
    return cost;
}

// The cheapest reading of a run of letters, found over every split point.
QStringList cheapestPieces(const WordKnowledge::Data &data, const std::string &run)
{
    const size_t n = run.size();
    std::vector<double> best(n + 1, std::numeric_limits<double>::infinity());
    std::vector<size_t> from(n + 1, 0);
    best[0] = 0;
    for (size_t end = 1; end <= n; ++end) {
        for (size_t start = 0; start < end; ++start) {
            if (!std::isfinite(best[start]))
                continue;
            const double cost = pieceCost(data, std::string_view(run).substr(start, end - start));
            if (best[start] + cost < best[end]) {
                best[end] = best[start] + cost;
                from[end] = start;
            }
        }
    }
    QStringList pieces;
    for (size_t end = n; end > 0; end = from[end])
        pieces.prepend(QString::fromStdString(run.substr(from[end], end - from[end])));
    return pieces;
}

// A piece a reader knows as a word: of the list, or one only the lists written by hand
// hold ("stagdo in", never "stagdoin").
bool knownPiece(const WordKnowledge::Data &data, const QString &piece)
{
    const std::string text = piece.toStdString();
    return data.splitWord(text) || data.handWrittenWord(text);
}

// A lone letter after a word, a few letters that make no word, or an ending
// such as "able" on its own, is part of the word before it: "vortexa" is one
// made-up word, not "vortex a".
void joinEndings(const WordKnowledge::Data &data, QStringList &pieces)
{
    for (qsizetype i = 1; i < pieces.size();) {
        // "can i buy": "i" between words is a word of its own; so is "a" between
        // two known words ("find a good"), where it is the article, not the end of "finda".
        const bool pronoun = pieces[i] == QLatin1String("i") && i + 1 < pieces.size();
        const bool article = pieces[i] == QLatin1String("a") && i + 1 < pieces.size() && knownPiece(data, pieces[i - 1])
                             && knownPiece(data, pieces[i + 1]);
        // "quillix" is one made-up name, not "quill" and a stray "ix"; but a
        // business goes by a few two-letter names: "wedding dj", "mobile rv".
        const bool stray = pieces[i].size() <= kStrayLetters && !knownPiece(data, pieces[i]) && !isShortName(pieces[i]);
        // Nor is "drelkano" a made-up "drelka" and "no": two letters end the unknown word before them.
        const bool endOfUnknown =
            pieces[i].size() <= 2 && !knownPiece(data, pieces[i - 1]) && !isShortName(pieces[i - 1]);
        if ((pieces[i].size() == 1 || stray || endOfUnknown || isWordEnding(pieces[i])) && !isJoiningWord(pieces[i - 1])
            && !pronoun && !article) {
            pieces[i - 1] += pieces[i];
            pieces.removeAt(i);
        } else {
            ++i;
        }
    }
}

// A made-up name is no rare short word and a stub: "hoskeni" is one name, not
// "hos" and "keni" (itself "ken" and a stray "i"). A short word nobody uses
// joins the unknown piece beside it.
void joinRareStubs(const WordKnowledge::Data &data, QStringList &pieces)
{
    constexpr qsizetype kShortWord = 3;
    const auto unknown = [&](const QString &piece) { return !piece.front().isDigit() && !knownPiece(data, piece); };
    const auto rareStub = [&](const QString &piece) {
        return piece.size() <= kShortWord && !isJoiningWord(piece) && data.splitWord(piece.toStdString())
               && data.usage(piece.toStdString()) == 0;
    };
    for (qsizetype i = 1; i < pieces.size();) {
        if ((unknown(pieces[i]) && rareStub(pieces[i - 1])) || (unknown(pieces[i - 1]) && rareStub(pieces[i]))) {
            pieces[i - 1] += pieces[i];
            pieces.removeAt(i);
            i = std::max<qsizetype>(1, i - 1);
        } else {
            ++i;
        }
    }
}

// Nor is a reading whose every known word is of one or two letters: "dorvilta" is a
// made-up name, not "do", "rv" and an unknown "ilta"; "vorlisa" no "v", "or" and "lisa".
void joinShortWordsIntoName(const WordKnowledge::Data &data, QStringList &pieces)
{
    constexpr qsizetype kShortestName = 6, kShortWord = 2;
    if (pieces.size() < 2 || pieces.join(QString()).size() < kShortestName)
        return;
    const bool anyLongWord = std::any_of(pieces.begin(), pieces.end(), [&](const QString &piece) {
        return piece.size() > kShortWord
               && (knownPiece(data, piece) || !data.indexLine(wordnet::Noun, piece.toStdString()).empty());
    });
    if (!anyLongWord)
        pieces = QStringList{pieces.join(QString())};
}

// Nor is a run of a joining word and one unknown piece a phrase: "ofrindu" is a
// name, not "of" a "rindu"; "the" and "my" may still start one ("thezumirka").
void joinGlueIntoName(const WordKnowledge::Data &data, QStringList &pieces)
{
    if (pieces.size() == 2 && isJoiningWord(pieces[0]) && !mayStartLabel(pieces[0]) && !pieces[1].front().isDigit()
        && !knownPiece(data, pieces[1]))
        pieces = QStringList{pieces.join(QString())};
}

// Nor does a phrase end in an article, a possessive or "and", "of", "or": "tuskora"
// is a name, not a "tusk" "or" "a".
void joinDanglingGlue(QStringList &pieces)
{
    static const QStringList dangling{"a", "an", "and", "the", "of", "or", "my", "our", "your"};
    if (pieces.size() > 1 && dangling.contains(pieces.last()) && !pieces.first().front().isDigit())
        pieces = QStringList{pieces.join(QString())};
}

// A run a reader takes as one word: an English noun or adjective WordNet
// knows, or its plural ("headphones"), doing what a known word names
// ("bouldering"), or a German, Spanish or French word that is no English one.
bool isWholeWord(const WordKnowledge::Data &data, const std::string &run)
{
    if (run.size() < kMinPlainWord)
        return false;
    if (data.doingOfKnownWord(run) || data.doerOfKnownVerb(run) || data.joinedPlace(run) || data.pastimes.contains(run)
        || data.handWrittenWord(run))
        return true; // "orienteering" is no "orientee ring", "groomer" no "g roomer"
    const std::string singular = data.singular(run);
    for (const std::string &form : {run, singular}) {
        if (!data.indexLine(wordnet::Noun, form).empty() || !data.indexLine(wordnet::Adjective, form).empty())
            return true;
    }
    return !data.splitWord(run)
           && data.otherLanguages.languageOf(QString::fromStdString(run),
                                             [&](const QString &part) { return data.splitWord(part.toStdString()); });
}

// A short word and the next that make a common word of their own read as it:
// "online", "tonight", "weekend", "someone"; never "sin" after "pant", which is
// the glue "in" and the plural's "s".
void joinCommonWords(const WordKnowledge::Data &data, QStringList &pieces)
{
    constexpr qsizetype kShortWord = 3;
    for (qsizetype i = 1; i < pieces.size();) {
        const std::string whole = (pieces[i - 1] + pieces[i]).toStdString();
        const bool known = data.common(whole) || !data.indexLine(wordnet::Noun, whole).empty()
                           || !data.indexLine(wordnet::Adjective, whole).empty();
        // A business's short name stays one: "dj in", never "djin".
        if ((pieces[i - 1].size() <= kShortWord || pieces[i].size() <= kShortWord) && pieces[i - 1].size() > 1
            && pieces[i].size() > 1 && known && data.splitWord(whole) && !isShortName(pieces[i - 1])) {
            pieces[i - 1] += pieces[i];
            pieces.removeAt(i);
        } else {
            ++i;
        }
    }
}

// Two words that spell a long noun's plural are that plural: "massages", never
// "mass ages"; "chimney sweeping" stays, since "chimneysweeping" is no plural.
void joinPlurals(const WordKnowledge::Data &data, QStringList &pieces)
{
    for (qsizetype i = 1; i < pieces.size();) {
        const std::string whole = (pieces[i - 1] + pieces[i]).toStdString();
        const std::string singular = data.singular(whole);
        if (whole.size() >= kLongNoun && singular != whole && !data.indexLine(wordnet::Noun, singular).empty()
            && data.indexLine(wordnet::Noun, pieces[i - 1].toStdString() + '_' + pieces[i].toStdString()).empty()) {
            pieces[i - 1] += pieces[i];
            pieces.removeAt(i);
        } else {
            ++i;
        }
    }
}

// "deliver sin portland" is "delivers in portland": a plural or a verb's "-s"
// then glue reads before a word and a rarer word that starts with "s"; so does
// a past's "-d": "replaced in houston", never "replace din".
void moveEnding(const WordKnowledge::Data &data, QStringList &pieces)
{
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const QString glue = pieces[i].mid(1);
        const QChar ending = pieces[i].front();
        if ((ending == QLatin1Char('s') || ending == QLatin1Char('d')) && glue.size() > 1 && isJoiningWord(glue)
            && data.splitWord((pieces[i - 1] + ending).toStdString())) {
            pieces[i - 1] += ending;
            pieces[i] = glue;
        }
    }
}

// The runs of letters and the runs of digits of a label; hyphens only break them.
template <typename Visit>
void forEachRun(const std::string &text, Visit visit)
{
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
        visit(text.substr(at, end - at), digit);
        at = end;
    }
}

// The ending an ordinal of the number takes: "1st", "2nd", "3rd", "11th", "50th".
std::string ordinalEnding(const QString &number)
{
    const int last = number.back().digitValue();
    const bool teen = number.size() > 1 && number.at(number.size() - 2) == QLatin1Char('1');
    if (teen || last < 1 || last > 3)
        return "th";
    return last == 1 ? "st" : last == 2 ? "nd" : "rd";
}

} // namespace

bool WordKnowledge::Data::handWrittenWord(std::string_view word) const
{
    constexpr size_t kShortest = 4;
    if (word.size() < kShortest || splitWord(word))
        return false;
    const std::string key(word);
    return (curated.contains(key) || fieldWords.contains(key)) && !listWords(*this, word);
}

bool WordKnowledge::Data::doingOfKnownWord(std::string_view word) const
{
    // Four letters before the ending at least: "boulder" in "bouldering", never "th" in "thing".
    constexpr size_t kShortestStem = 4;
    if (word.size() < kShortestStem + 3 || !word.ends_with("ing") || splitWord(word))
        return false;
    const std::string stem(word.substr(0, word.size() - 3));
    // A stem of two words is read as two: "chimney sweeping", not "chimneysweep" doing.
    if (twoWords(*this, stem))
        return false;
    for (const std::string &form : {stem, stem + "e"}) {
        if (!indexLine(wordnet::Noun, form).empty() || !indexLine(wordnet::Verb, form).empty())
            return true;
    }
    return false;
}

bool WordKnowledge::Data::doerOfKnownVerb(std::string_view word) const
{
    // Four letters before the ending at least, as for "-ing": "groom" in "groomer".
    constexpr size_t kShortestStem = 4;
    if (word.ends_with("s"))
        word.remove_suffix(1);
    if (word.size() < kShortestStem + 2 || !word.ends_with("er") || splitWord(word))
        return false;
    const std::string stem(word.substr(0, word.size() - 2));
    // So is the doer's: "shop fitter", not "shopfit" done.
    if (twoWords(*this, stem))
        return false;
    // "baker" of "bake" drops the verb's "e"; "shopper" doubles its last letter.
    std::vector<std::string> forms{stem, stem + "e"};
    if (stem.size() > kShortestStem && stem.back() == stem[stem.size() - 2])
        forms.push_back(stem.substr(0, stem.size() - 1));
    return std::any_of(forms.begin(), forms.end(),
                       [&](const std::string &form) { return !indexLine(wordnet::Verb, form).empty(); });
}

bool WordKnowledge::Data::joinedPlace(std::string_view word) const
{
    // Looked up only where the two words make no reading of their own: a word
    // of the list after a piece that is none ("san" "diego"), and no longer
    // than a place's name, so a split asks WordNet little.
    constexpr size_t kShortestPlace = 6, kLongestPlace = 16;
    if (word.size() < kShortestPlace || word.size() > kLongestPlace)
        return false;
    for (size_t at = 2; at + kMinPlainWord <= word.size(); ++at) {
        if (splitWord(word.substr(0, at)) || !splitWord(word.substr(at)))
            continue;
        const std::string lemma = std::string(word.substr(0, at)) + '_' + std::string(word.substr(at));
        const std::vector<unsigned long> offsets = senses(wordnet::Noun, lemma);
        if (!offsets.empty() && synset(wordnet::Noun, offsets.front()).lexFile == wordnet::kLocations)
            return true;
    }
    return false;
}

QStringList WordKnowledge::split(const QString &label) const
{
    const QString lower = label.toLower();
    if (!isPlain(lower) || lower.isEmpty())
        return {label};
    QStringList words;
    bool afterNumber = false;
    forEachRun(lower.toStdString(), [&](std::string run, bool digits) {
        const bool unitPossible = afterNumber;
        afterNumber = digits;
        if (digits) {
            words.append(QString::fromStdString(run));
            return;
        }
        // An ordinal's ending goes with its number: "50th anniversary", "1st birthday".
        if (unitPossible && !isWholeWord(*m_data, run) && run.size() > 2
            && run.starts_with(ordinalEnding(words.last()))) {
            const QStringList rest = cheapestPieces(*m_data, run.substr(2));
            if (!rest.isEmpty()
                && (isGlueWord(rest.first())
                    || (rest.first().size() >= 3 && isWholeWord(*m_data, rest.first().toStdString())))) {
                words.last() += QString::fromStdString(run.substr(0, 2));
                run = run.substr(2);
            }
        }
        // A number's unit before a word goes with the number: "24h towing", not "24 hto wing";
        // so does a decade's "s": "1950s diner", not "1950 sdiner".
        if (unitPossible && !isWholeWord(*m_data, run)) {
            for (const std::string_view unit : {"hr", "h", "d", "k", "g", "x", "p", "s"}) {
                const std::string rest = run.substr(std::min(run.size(), unit.size()));
                if (run.starts_with(unit) && isWholeWord(*m_data, rest)) {
                    words.last() += QString::fromLatin1(unit.data(), qsizetype(unit.size()));
                    run = rest;
                    break;
                }
            }
        }
        // A word of the dictionary stays one ("backpack" is no "back pack"),
        // and so does a German, Spanish or French word.
        if (isWholeWord(*m_data, run)) {
            words.append(QString::fromStdString(run));
            return;
        }
        QStringList pieces = cheapestPieces(*m_data, run);
        joinShortWordsIntoName(*m_data, pieces);
        joinEndings(*m_data, pieces);
        // Once stray letters have joined their words, a lone letter may be all that is left
        // beside an unknown one: "ostrivel", never "o" and a "strive" with an "l".
        joinShortWordsIntoName(*m_data, pieces);
        joinGlueIntoName(*m_data, pieces);
        joinDanglingGlue(pieces);
        joinRareStubs(*m_data, pieces);
        // A made-up name the stubs joined takes the letters after it too: "lomvarin", never
        // "lomvar in".
        joinEndings(*m_data, pieces);
        moveEnding(*m_data, pieces);
        joinCommonWords(*m_data, pieces);
        joinPlurals(*m_data, pieces);
        // The cheapest reading may hold short words that join into one before a
        // plural's "s" and glue: "be an sin" is "bean sin", which is "beans in".
        moveEnding(*m_data, pieces);
        words += pieces;
    });
    // A letter after a number is its unit: "3d", "4k", "24h"; and a number after that
    // a dimension: "4x4", never "4x" and "4".
    for (qsizetype i = 1; i < words.size();) {
        const bool unit = words[i].size() == 1 && words[i - 1].back().isDigit();
        const bool dimension = words[i].front().isDigit() && words[i - 1].size() > 1 && words[i - 1].back().isLetter()
                               && words[i - 1].at(words[i - 1].size() - 2).isDigit();
        if (unit || dimension) {
            words[i - 1] += words[i];
            words.removeAt(i);
        } else {
            ++i;
        }
    }
    // An offer of so many for so many is one token, and so is a thing that is two in one: "2 for 1
    // pizza" is a "2for1" pizza, "2 in 1 laptops" are "2in1" laptops; never a "1pizza" or "1laptops".
    for (qsizetype i = 0; i + 2 < words.size(); ++i) {
        if (words[i].front().isDigit() && (words[i + 1] == QLatin1String("for") || words[i + 1] == QLatin1String("in"))
            && words[i + 2].front().isDigit()) {
            words[i] += words[i + 1] + words[i + 2];
            words.remove(i + 1, 2);
        }
    }
    return words.isEmpty() ? QStringList{label} : words;
}

} // namespace varnex::registrar
