// What a word names: its main sense, and the field that sense belongs to
// (a trade, a hobby, a product...), which picks the short words its names are
// built with.

#include "names/glue_words.h"
#include "names/word_data.h"

namespace varnex::registrar {

using namespace wordnet;
using Data = WordKnowledge::Data;

namespace {

// Of senses used alike in the corpus, the one a name is likeliest to mean:
// names are for people, things, food, activities and places ("pharmacy" the
// shop before the science, "chess" the game before the grass).
constexpr std::array kLikelyFiles{kPeople, kArtifacts, kFood, kActs, kLocations};
// How far up the broader senses a field is looked for.
constexpr int kMostSteps = 12;
// An activity sense counts for an "-ing" word or a compound's head among its first few senses only.
constexpr size_t kUsualSenses = 5;

// Broader senses that decide a field, the nearest first: (file, first lemma).
struct Marker {
    int lexFile;
    std::string_view lemma;
    Field field;
};
constexpr std::array kMarkers{
    Marker{kActs, "game", Field::Game},                     // chess, poker
    Marker{kActs, "sport", Field::Hobby},                   // fishing, surfing
    Marker{kActs, "diversion", Field::Hobby},               // pastimes
    Marker{kActs, "handicraft", Field::Craft},              // knitting
    Marker{kActs, "occupation", Field::Service},            // plumbing, roofing: a trade's work
    Marker{kActs, "commercial_enterprise", Field::Service}, // printing
    Marker{kActs, "service", Field::Service},               // cleaning as a service
    Marker{kPeople, "skilled_worker", Field::Trade},        // electrician, mechanic
    Marker{kPeople, "health_professional", Field::Health},  // dentist, nurse
    Marker{kPeople, "therapist", Field::Health},            // physiotherapist: one who treats one too
    Marker{kPeople, "merchant", Field::Place},              // florist, grocer: one goes to their shop
    Marker{kPeople, "spiritual_being", Field::Product},     // a gnome, an angel: no one to hire, a figure sold
    Marker{kArtifacts, "establishment", Field::Place},      // shop, pharmacy, restaurant
    Marker{kArtifacts, "building", Field::Place},           // hotel
    Marker{kArtifacts, "room", Field::Place},               // studio, booth
    Marker{kArtifacts, "facility", Field::Place},           // gym
    Marker{kArtifacts, "housing", Field::Place},            // a guesthouse, a bed and breakfast: lodging
    Marker{kArtifacts, "workplace", Field::Place},          // studio, workshop: where the work is done
};

// Things one can touch: a compound that ends in one names the thing ("pizza
// place"), not something done to the first word ("pest control").
bool isConcrete(int lexFile)
{
    constexpr std::array kConcrete{kAnimals, kArtifacts, kBody,   kFood,      kLocations,
                                   kObjects, kPeople,    kPlants, kSubstances};
    return std::find(kConcrete.begin(), kConcrete.end(), lexFile) != kConcrete.end();
}

int likelyRank(int lexFile)
{
    const auto it = std::find(kLikelyFiles.begin(), kLikelyFiles.end(), lexFile);
    return int(it - kLikelyFiles.begin());
}

// Whether the sense or one of its broader senses, up the first broader one each
// time, is one `isIt` names: a "ballplayer" under "athlete", a "muralist" under "artist".
template <typename IsIt>
bool underBroader(const Data &data, Synset at, IsIt isIt)
{
    for (int step = 0; step < kMostSteps && !at.lemmas.empty(); ++step) {
        if (isIt(at))
            return true;
        const auto up = std::find_if(at.pointers.begin(), at.pointers.end(),
                                     [](const Synset::Pointer &p) { return p.symbol == "@"; });
        if (up == at.pointers.end())
            return false;
        at = data.synset(up->pos, up->offset);
    }
    return false;
}

// Things are typed in the plural: "key chains", "flip flops", "snow globes" are the
// things one buys, though the words' main senses are a series, a reversal and the earth.
// Never where the word names an act first ("services", "lessons").
bool pluralOfThing(const Data &data, const std::string &lemma)
{
    const std::optional<Data::Sense> main = data.mainNounSense(lemma);
    if (!main || main->synset.lexFile == kActs || data.fieldOf(main->synset) != Field::General)
        return false;
    const std::vector<unsigned long> offsets = data.senses(Noun, lemma);
    return std::any_of(offsets.begin(), offsets.begin() + std::min(offsets.size(), kUsualSenses),
                       [&](unsigned long offset) { return data.synset(Noun, offset).lexFile == kArtifacts; });
}

} // namespace

std::optional<Data::Sense> Data::mainNounSense(const std::string &lemma) const
{
    const std::vector<unsigned long> offsets = senses(Noun, lemma);
    std::optional<Sense> best;
    std::tuple<int, int, int, size_t> bestKey{-1, 0, 0, 0};
    for (size_t i = 0; i < offsets.size(); ++i) {
        Synset synset = this->synset(Noun, offsets[i]);
        // Of senses equally used, a person the word only names last is a byword: a "mug" is
        // the cup before it is a "chump, fool, ... mug".
        const bool byword = synset.lexFile == kPeople && !synset.lemmas.empty() && synset.lemmas.front() != lemma;
        const std::tuple<int, int, int, size_t> key{senseCount(lemma, Noun, int(i + 1)), byword ? 0 : 1,
                                                    -likelyRank(synset.lexFile),
                                                    synset.pointers.size() + synset.lexicalPointers.size()};
        if (!best || key > bestKey) {
            best = Sense{Noun, offsets[i], std::move(synset), std::get<0>(key)};
            bestKey = key;
        }
    }
    // "knitting" the craft, not the knitwork, unless the thing is far more
    // used ("painting" the picture); "wedding" stays the event.
    if (best && lemma.ends_with("ing") && best->synset.lexFile != kActs && best->synset.lexFile != kEvents
        && best->synset.lexFile != kPeople) {
        if (std::optional<Sense> activity = activitySense(lemma);
            activity && activity->count * 3 >= std::get<0>(bestKey))
            return activity;
    }
    return best;
}

std::optional<Data::Sense> Data::typedNounSense(const std::string &typed, const std::string &lemma) const
{
    std::optional<Sense> sense = mainNounSense(lemma);
    // Things are typed in the plural, people seldom: of senses nobody tagged, "coasters"
    // are the mats, not those who live on a coast.
    if (!sense || sense->synset.lexFile != kPeople || sense->count != 0 || typed == lemma)
        return sense;
    for (const unsigned long offset : senses(Noun, lemma)) {
        if (Synset synset = this->synset(Noun, offset); synset.lexFile == kArtifacts)
            return Sense{Noun, offset, std::move(synset), 0};
    }
    return sense;
}

std::optional<Data::Sense> Data::activitySense(const std::string &lemma) const
{
    const std::vector<unsigned long> offsets = senses(Noun, lemma);
    for (size_t i = 0; i < offsets.size() && i < kUsualSenses; ++i) {
        Synset synset = this->synset(Noun, offsets[i]);
        if (synset.lexFile == kActs)
            return Sense{Noun, offsets[i], std::move(synset), senseCount(lemma, Noun, int(i + 1))};
    }
    return std::nullopt;
}

bool Data::namesActToo(const std::string &lemma) const
{
    if (indexLine(Verb, lemma).empty())
        return false;
    const std::optional<Sense> act = activitySense(lemma);
    const std::optional<Sense> main = mainNounSense(lemma);
    return act && main && act->count > 0 && 2 * act->count >= main->count;
}

Field Data::fieldOf(const Synset &sense) const
{
    Synset at = sense;
    for (int step = 0; step < kMostSteps && !at.lemmas.empty(); ++step) {
        for (const Marker &marker : kMarkers) {
            if (at.lexFile == marker.lexFile && at.lemmas.front() == marker.lemma)
                return marker.field;
        }
        const auto up = std::find_if(at.pointers.begin(), at.pointers.end(),
                                     [](const Synset::Pointer &p) { return p.symbol == "@" || p.symbol == "@i"; });
        if (up == at.pointers.end())
            break;
        at = synset(up->pos, up->offset);
    }
    switch (sense.lexFile) {
    case kPeople:
        return Field::Professional;
    case kArtifacts:
    case kSubstances:
        return Field::Product;
    case kFood:
        return Field::Food;
    case kLocations: // a city or region, one of its kind; a lawn or a beach is no place to visit
        return std::any_of(sense.pointers.begin(), sense.pointers.end(),
                           [](const Synset::Pointer &p) { return p.symbol == "@i"; })
                   ? Field::Area
                   : Field::General;
    default:
        return Field::General;
    }
}

bool Data::mainlyAdjective(const std::string &word) const
{
    int asAdjective = 0, otherwise = 0;
    const SenseCount first{word, Noun, 0, 0};
    for (auto it = std::lower_bound(senseCounts.begin(), senseCounts.end(), first);
         it != senseCounts.end() && it->lemma == word; ++it)
        (it->pos == Adjective ? asAdjective : otherwise) += it->count;
    if (asAdjective == 0 && otherwise == 0)
        return !indexLine(Adjective, word).empty() && indexLine(Noun, word).empty();
    return asAdjective > otherwise;
}

std::optional<Field> WordKnowledge::language(const QString &word) const
{
    if (isWord(word))
        return std::nullopt;
    return m_data->otherLanguages.languageOf(word, [this](const QString &part) { return isWord(part); });
}

bool WordKnowledge::listedIn(Field language, const QString &word) const
{
    return m_data->otherLanguages.lists(language, word);
}

bool WordKnowledge::isDoing(const QString &word) const
{
    if (!word.endsWith(QLatin1String("ing")) || word.size() < 6)
        return false;
    const QString stem = word.chopped(3);
    return isVerb(stem) || isVerb(stem + QLatin1Char('e'))
           || (stem.size() > 3 && stem.back() == stem.at(stem.size() - 2) && isVerb(stem.chopped(1)));
}

bool WordKnowledge::namesAnActivity(const QString &word) const
{
    if (!isAz(word) || word.size() <= 5 || !word.endsWith(QLatin1String("ing")) || isNoun(word))
        return false;
    const std::string text = word.toStdString();
    const std::string stem = text.substr(0, text.size() - 3);
    return m_data->activitySense(text) || !m_data->indexLine(wordnet::Verb, stem).empty()
           || !m_data->indexLine(wordnet::Verb, stem + "e").empty();
}

bool WordKnowledge::isPlayedAtSport(const QString &word) const
{
    if (!isAz(word))
        return false;
    const std::optional<Data::Sense> sense = m_data->mainNounSense(word.toStdString());
    if (!sense)
        return false;
    return underBroader(*m_data, sense->synset,
                        [](const Synset &at) { return at.lexFile == kActs && at.lemmas.front() == "athletic_game"; });
}

bool WordKnowledge::namesWork(const QString &word) const
{
    if (!isAz(word))
        return false;
    // "Car hire" is the service, though WordNet's hire is first the person taken on.
    if (word == QLatin1String("hire"))
        return true;
    const std::optional<Data::Sense> sense = m_data->mainNounSense(word.toStdString());
    return sense ? sense->synset.lexFile == kActs : namesAnActivity(word);
}

bool WordKnowledge::namesWorkerOn(const QString &word) const
{
    // Only where its own main sense is a thing: a "dealer" is a merchant one goes to.
    const Field own = isAz(word) && word.endsWith(QLatin1String("er")) ? field({word}) : Field::Brand;
    if (own != Field::Product && own != Field::General)
        return false;
    return doers(word.chopped(2) + QLatin1String("ing")).contains(word);
}

bool WordKnowledge::namesTime(const QString &word) const
{
    if (!isAz(word))
        return false;
    const std::optional<Data::Sense> sense = m_data->mainNounSense(m_data->singular(word.toStdString()));
    return sense && sense->synset.lexFile == kTime;
}

bool WordKnowledge::isVerb(const QString &word) const
{
    return isAz(word) && !m_data->indexLine(wordnet::Verb, word.toStdString()).empty();
}

bool WordKnowledge::headsPhrase(const QStringList &words, qsizetype at) const
{
    const QString &word = words[at];
    if (isNoun(word) || namesAnActivity(word))
        return true;
    if (at == 0 || !isAz(word) || !isNoun(words[at - 1]))
        return false;
    if (word == QLatin1String("hire")) // "van hire", whose first sense in WordNet is the person taken on
        return true;
    // An act, or a thing as often as an act: "car wash".
    const std::vector<unsigned long> offsets = m_data->senses(wordnet::Noun, word.toStdString());
    return !offsets.empty()
           && (m_data->synset(wordnet::Noun, offsets.front()).lexFile == kActs
               || m_data->namesActToo(word.toStdString()));
}

std::optional<Field> WordKnowledge::fieldOfWhole(const QStringList &words) const
{
    if (!std::all_of(words.begin(), words.end(), [](const QString &word) { return isAz(word); }))
        return std::nullopt;
    std::optional<Data::Sense> sense = m_data->mainNounSense(words.join(QLatin1Char('_')).toStdString());
    if (!sense) // WordNet writes some with a hyphen: "flip-flop"
        sense = m_data->mainNounSense(words.join(QLatin1Char('-')).toStdString());
    if (!sense)
        return std::nullopt;
    return m_data->fieldOf(sense->synset);
}

bool WordKnowledge::isCompound(const QString &first, const QString &second) const
{
    if (!isAz(first) || !isAz(second))
        return false;
    // WordNet holds the singular: "coffee beans" are a compound as "coffee bean" is.
    const std::string text = second.toStdString();
    for (const std::string &form : {text, m_data->singular(text)}) {
        if (!m_data->indexLine(wordnet::Noun, first.toStdString() + '_' + form).empty())
            return true;
    }
    return false;
}

bool WordKnowledge::measures(const QString &adjective, const QString &noun) const
{
    if (!isAz(adjective) || !isAz(noun))
        return false;
    const std::vector<unsigned long> senses = m_data->senses(wordnet::Adjective, adjective.toStdString());
    const std::optional<Data::Sense> counted = m_data->mainNounSense(m_data->singular(noun.toStdString()));
    if (senses.empty() || !counted || (counted->synset.lexFile != kGroups && counted->synset.lexFile != kQuantities))
        return false;
    const wordnet::Synset sense = m_data->synset(wordnet::Adjective, senses.front());
    return std::any_of(sense.pointers.begin(), sense.pointers.end(), [&](const wordnet::Synset::Pointer &pointer) {
        if (pointer.symbol != "=")
            return false;
        const wordnet::Synset attribute = m_data->synset(pointer.pos, pointer.offset);
        return std::find(attribute.lemmas.begin(), attribute.lemmas.end(), "size") != attribute.lemmas.end();
    });
}

bool WordKnowledge::livesInPlural(const QString &word) const
{
    if (!isAz(word))
        return false;
    const std::string plural = word.toStdString();
    const std::string singular = m_data->singular(plural);
    if (singular == plural || m_data->indexLine(wordnet::Noun, plural).empty())
        return false;
    const std::optional<Data::Sense> sense = m_data->mainNounSense(plural);
    // A plant or animal that WordNet files under the plural ("clocks" is a
    // storksbill, "trumpets" a pitcher plant) is not what a person who types
    // it means: theirs is the plural of "clock".
    if (sense && (sense->synset.lexFile == kPlants || sense->synset.lexFile == kAnimals))
        return false;
    // Nor is a sense nobody was seen to use ("boards", the stage) where the singular is a
    // common noun: "cutting boards" are boards; "pants" and "sunglasses" stay as they are.
    // An index line ends in its senses' offsets, after how many of them were seen tagged.
    const std::vector<std::string_view> index = wordnet::fields(m_data->indexLine(wordnet::Noun, plural));
    const size_t senseCount = index.size() > 2 ? wordnet::number(index[2]) : 0;
    const bool neverSeen = index.size() > senseCount + 1 && wordnet::number(index[index.size() - senseCount - 1]) == 0;
    if (neverSeen && m_data->common(singular) && m_data->mainlyNoun(singular))
        return false;
    return sense && std::none_of(sense->synset.lemmas.begin(), sense->synset.lemmas.end(), [&](std::string_view lemma) {
               return lemma == singular;
           });
}

bool WordKnowledge::isPlaceName(const QString &word) const
{
    if (!isAz(word))
        return false;
    if (m_data->joinedPlace(word.toStdString())) // "sandiego"
        return true;
    const std::optional<Data::Sense> sense = m_data->mainNounSense(word.toStdString());
    return sense
           && std::any_of(sense->synset.pointers.begin(), sense->synset.pointers.end(),
                          [](const wordnet::Synset::Pointer &p) { return p.symbol == "@i"; })
           && m_data->fieldOf(sense->synset) == Field::Area;
}

bool WordKnowledge::worksAtStudio(const QString &word) const
{
    if (!isAz(word))
        return false;
    const std::string lemma = m_data->singular(word.toStdString());
    // "-grapher" and "-designer" say it whatever sense WordNet gives first ("web designer").
    if (lemma.ends_with("grapher") || lemma.ends_with("designer"))
        return true;
    const std::optional<Data::Sense> sense = m_data->mainNounSense(lemma);
    if (!sense || sense->synset.lexFile != kPeople)
        return false;
    static constexpr std::array<std::string_view, 3> creative{"artist", "architect", "designer"};
    return underBroader(*m_data, sense->synset, [](const Synset &at) {
        return std::find(creative.begin(), creative.end(), at.lemmas.front()) != creative.end();
    });
}

QStringList WordKnowledge::shopAndMaker(Field language, const QString &word) const
{
    const std::vector<QString> found = m_data->otherLanguages.shopAndMaker(language, word);
    return QStringList(found.begin(), found.end());
}

bool WordKnowledge::isAdjective(const QString &word) const
{
    return isAz(word) && m_data->mainlyAdjective(word.toStdString());
}

bool WordKnowledge::namesToo(const QString &word) const
{
    return isAz(word) && !m_data->indexLine(wordnet::Noun, word.toStdString()).empty();
}

bool WordKnowledge::describes(const QString &word) const
{
    return isAz(word) && !m_data->indexLine(wordnet::Adjective, word.toStdString()).empty();
}

bool WordKnowledge::isNoun(const QString &word) const
{
    if (!isAz(word))
        return false;
    const std::string text = word.toStdString();
    return m_data->isNoun(m_data->singular(text)) && m_data->mainlyNoun(m_data->singular(text));
}

namespace {

// A person's word whose relatives written by hand all name one place, food or
// product names that business, where it has that sense too: "diner" the
// eatery, not one who dines; "planter" the pot, not one who plants; never an
// electrician, though "electric" is a product. Relatives WordNet lacks say nothing.
std::optional<Field> businessOfListed(const WordKnowledge::Data &data, const std::string &lemma)
{
    const auto listed = data.curated.find(lemma);
    if (listed == data.curated.end())
        return std::nullopt;
    std::optional<Field> business;
    for (const std::string &relative : listed->second) {
        const std::optional<WordKnowledge::Data::Sense> its = data.mainNounSense(data.singular(relative));
        if (!its)
            continue;
        const Field field = data.fieldOf(its->synset);
        if ((field != Field::Place && field != Field::Food && field != Field::Product)
            || (business && *business != field))
            return std::nullopt;
        business = field;
    }
    const std::vector<unsigned long> own = data.senses(wordnet::Noun, lemma);
    const bool ownSense = business && std::any_of(own.begin(), own.end(), [&](unsigned long offset) {
                              return data.fieldOf(data.synset(wordnet::Noun, offset)) == *business;
                          });
    return ownSense ? business : std::nullopt;
}

// Named for the one who practises: "videographer", "audiologist".
bool namesPractitioner(const std::string &lemma)
{
    return lemma.ends_with("ist") || lemma.ends_with("grapher");
}

// The field of a word only the lists written by hand hold, by its relatives there:
// "ramen" is food as its "noodles" are, a "strimmer" a product as a "trimmer" is. A
// practitioner's relative is a person; a thing's relative read as a person is another
// word of that spelling ("panini", the grammarian, of "toastie"). Relatives WordNet
// lacks say nothing.
std::optional<Field> fieldOfHandWritten(const WordKnowledge::Data &data, const std::string &lemma)
{
    const bool practitioner = namesPractitioner(lemma);
    if (const auto listed = data.curated.find(lemma); listed != data.curated.end()) {
        for (const std::string &relative : listed->second) {
            const std::optional<WordKnowledge::Data::Sense> its = data.mainNounSense(data.singular(relative));
            if (!its)
                continue;
            const Field field = data.fieldOf(its->synset);
            if (field != Field::General && isPerson(field) == practitioner)
                return field;
        }
    }
    return std::nullopt;
}

} // namespace

Field WordKnowledge::field(const QStringList &typed) const
{
    // The words before a glue word that follows one: "cheap hotels" in "cheap hotels in rome", "attorney" in
    // "attorney near me".
    QStringList words;
    for (const QString &word : typed) {
        if ((isGlueWord(word) || word == QLatin1String("near")) && !words.isEmpty() && !isGlueWord(words.last()))
            break;
        words.append(word);
    }
    QStringList content = words;
    // A word WordNet alone knows ("farrier") is a word all the same, no made-up name.
    content.removeIf([this](const QString &word) {
        return isGlueWord(word) || !isAz(word)
               || (!isWord(word) && !m_data->isNoun(m_data->singular(word.toStdString()))
                   && !m_data->doingOfKnownWord(word.toStdString()) && !m_data->doerOfKnownVerb(word.toStdString())
                   && !m_data->pastimes.contains(word.toStdString())
                   && !(m_data->handWrittenWord(word.toStdString()) && !language(word)));
    });
    if (content.isEmpty()) {
        // A word of another language, or none known: a made-up name.
        for (const QString &word : words) {
            if (const std::optional<Field> other = language(word))
                return *other;
        }
        return Field::Brand;
    }
    // Work done to a thing no dictionary names is work all the same: "hvac repair", "iphone repair".
    const bool onUnknown = std::all_of(content.begin(), content.end() - 1, [this](const QString &word) {
        return m_data->handWrittenWord(word.toStdString());
    });
    if (onUnknown && words.size() > 1 && words.last() == content.last() && !isGlueWord(words.at(words.size() - 2))
        && namesWork(content.last()))
        return Field::Service;
    // Two words WordNet knows as one place or thing are that: a "golf course" is no course of
    // lessons, a "cutting board" no committee.
    if (content.size() == 2) {
        const QStringList whole{content[0], QString::fromStdString(m_data->singular(content[1].toStdString()))};
        if (const std::optional<Field> own = fieldOfWhole(whole);
            own == Field::Place || own == Field::Product || own == Field::Food)
            return *own;
    }
    // A pastime written down by hand is one, whatever else WordNet files it as
    // ("pottery" the ware, "astronomy" the science, "bird watching").
    const std::string joined = content.join(QString()).toStdString();
    for (const std::string &form : {joined, m_data->singular(joined)}) {
        if (const auto pastime = m_data->pastimes.find(form); pastime != m_data->pastimes.end())
            return pastime->second;
    }
    // The head is the last noun ("mobile mechanic"); a noun before it makes
    // it what is done to that noun ("window cleaning", "pest control").
    qsizetype head = content.size() - 1;
    while (head > 0 && !headsPhrase(content, head))
        --head;
    const std::string lemma = m_data->singular(content[head].toStdString());
    const std::optional<Data::Sense> sense = m_data->typedNounSense(content[head].toStdString(), lemma);
    // A word English uses more as a verb is still the noun an "-ing" is done
    // to ("resume writing").
    // Nor does work done to it ("mold removal").
    const bool nounBefore = head > 0
                            && (isNoun(content[head - 1]) || m_data->handWrittenWord(content[head - 1].toStdString())
                                || ((content[head].endsWith(QLatin1String("ing")) || namesWork(content[head]))
                                    && m_data->isNoun(m_data->singular(content[head - 1].toStdString()))));
    // After such a noun, an act is the work done to it, and so is a word that names the
    // work nearly as often as a thing: a "car wash" washes cars, no coat of paint.
    if (const std::optional<Data::Sense> activity = nounBefore ? m_data->activitySense(lemma) : std::nullopt) {
        if (!sense || !isConcrete(sense->synset.lexFile) || m_data->namesActToo(lemma)) {
            const Field field = m_data->fieldOf(activity->synset);
            return field == Field::General ? Field::Service : field;
        }
    }
    // So is the "-ing" of a verb done to a thing, whatever else the word names:
    // "tv mounting" is work, not a bracket.
    if (nounBefore && isDoing(content[head]))
        return Field::Service;
    // Doing something WordNet knows only as a verb ("mowing", "towing") is work done for one.
    if (!sense && namesAnActivity(content[head]))
        return Field::Service;
    // A maker by hand is filed with the tradesmen called in to mend things, or has no sense
    // of its own; the list says which, as WordNet's "craftsman" holds the carpenter too.
    static const QStringList byHand{
        "glassblower", "glassmaker",  "potter",      "ceramicist",    "luthier",      "woodcarver",  "woodturner",
        "silversmith", "goldsmith",   "blacksmith",  "bladesmith",    "knifemaker",   "bookbinder",  "milliner",
        "hatter",      "hatmaker",    "saddler",     "leatherworker", "weaver",       "basketmaker", "candlemaker",
        "soapmaker",   "watchmaker",  "clockmaker",  "engraver",      "calligrapher", "sculptor",    "jeweler",
        "jeweller",    "guitarmaker", "violinmaker", "bowyer",        "lampworker"};
    if (byHand.contains(QString::fromStdString(lemma)))
        return Field::Artisan;
    // A car for hire sells rides, not cars: "7 seater taxi" is a service.
    static const QStringList forHire{"taxi", "cab", "minicab", "limo", "limousine", "shuttle", "pedicab", "rickshaw"};
    if (forHire.contains(QString::fromStdString(lemma)))
        return Field::Service;
    // So is hiring a thing out: "van hire" is work done for one, not the person taken on.
    if (nounBefore && lemma == "hire")
        return Field::Service;
    // One who does work no list names is called in for it: "scaffolder", "groomer".
    if (!sense && m_data->doerOfKnownVerb(lemma))
        return Field::Trade;
    Field field = sense ? m_data->fieldOf(sense->synset) : Field::General;
    if (field == Field::General && sense && content[head].toStdString() != lemma && pluralOfThing(*m_data, lemma))
        field = Field::Product;
    if (!sense && m_data->handWrittenWord(lemma)) {
        // Else it is what the longest word it ends in is ("e commerce", "co working",
        // "hypno therapist"); one who practises is a professional at least.
        constexpr qsizetype kShortestRest = 4;
        const QString whole = QString::fromStdString(lemma);
        std::optional<Field> listed = fieldOfHandWritten(*m_data, lemma);
        for (qsizetype at = 1; !listed && whole.size() - at >= kShortestRest; ++at) {
            if (isWord(whole.mid(at)) && this->field({whole.mid(at)}) != Field::General)
                listed = this->field({whole.left(at), whole.mid(at)});
        }
        field = listed.value_or(namesPractitioner(lemma) ? Field::Professional : Field::General);
    }
    if (isPerson(field))
        field = businessOfListed(*m_data, lemma).value_or(field);
    // One who works on the thing before: a "dog walker" walks dogs, no walking frame.
    if (nounBefore && !isPerson(field) && namesWorkerOn(QString::fromStdString(lemma)))
        return Field::Trade;
    // One word the dictionary joins of a thing and the work done to it is that work:
    // "housecleaning" is "house cleaning", a service.
    constexpr qsizetype kShortestPart = 3;
    const QString &word = content[head];
    for (qsizetype at = kShortestPart;
         field == Field::General && content.size() == 1 && at + kShortestPart <= word.size(); ++at) {
        const QString thing = word.left(at), work = word.mid(at);
        if (isNoun(thing) && isWord(work) && (namesWork(work) || namesAnActivity(work))
            && this->field({thing, work}) == Field::Service)
            return Field::Service;
    }
    // A place named after what it offers is one to go to: "pizza place".
    return (field == Field::Area || (sense && sense->synset.lexFile == kLocations)) && head > 0 ? Field::Place : field;
}

} // namespace varnex::registrar
