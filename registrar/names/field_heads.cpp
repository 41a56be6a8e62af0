#include "names/field_heads.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>

namespace varnex::registrar {

namespace {

// "-x" goes after the name, "x-" before it. Each field's order, in one line.
struct FieldHeads {
    Field field;
    const char *heads;
};
constexpr std::array kFieldHeads{
    // A skilled worker is called in when something breaks: who is good, near, fast, at any hour; one
    // working alone is "the" one in town.
    FieldHeads{Field::Trade, "-pros local- -services emergency- 24hour- 247- -nearme my- the- your- -experts -co "
                             "-company mobile- city- -express -direct pro- best-"},
    // A professional is chosen for trust: "the" one in town, nearby, one's own or the client's, as one
    // searches for them, a firm behind them; an office is where one is, not who.
    FieldHeads{Field::Professional, "the- local- my- your- -nearme -group -online -studio -partners -services "
                                    "-pros -experts -office city- -co best- top- -direct"},
    // Someone who treats one: the practice, care, "the" one, nearby, the family's own, as one searches for them.
    FieldHeads{Field::Health, "-clinic -care the- local- my- -nearme family- -practice -health city- -center "
                              "-group -office -online -experts best- -co"},
    // A maker by hand is known by name ("the" potter in town), works at a studio or a workshop,
    // and shows and sells the work; nobody calls one out, so no "-pros", "mobile-" or "-nearme".
    FieldHeads{Field::Artisan, "the- -studio -workshop -co -shop my- local- -designs -gallery -atelier -company "
                               "-online -crafts best-"},
    // Work done for one: who does it well, the company, how near and how soon.
    FieldHeads{Field::Service, "-pros -services -service -co -experts -company local- -solutions pro- -express "
                               "-specialists city- best- -plus my- -group -nearme -direct"},
    // A sport: where people meet and learn it, and get their gear.
    FieldHeads{Field::Hobby, "-club -academy -lessons learn- -school go- -camp -gear -shop -center "
                             "-world -studio -coach -trips -zone -lovers -central the- -guide"},
    // Out of doors: the club, the tours and trips, the gear and the guide to it.
    FieldHeads{Field::Outdoors, "-club -tours -gear -guide -trips go- -adventures -shop learn- -school -camp "
                                "-central -world -lovers the- -zone"},
    // A craft is made at a studio, learnt in classes, from supplies, kits and patterns.
    FieldHeads{Field::Craft, "-studio -shop -club -classes learn- -supplies -kits -patterns -workshop -corner "
                             "-lessons -academy -school the- -store -world -lovers"},
    // Learning or collecting: the society and club of its fans, research and help for a beginner.
    FieldHeads{Field::Study, "-society -club -research learn- -guide -help -tips -shop -academy -world the- "
                             "-lovers -central -online -school -zone"},
    // A game is played, learnt and played against others.
    FieldHeads{Field::Game, "play- -club -academy -lessons -online -coach learn- -school -master -world "
                            "-puzzles -zone -masters -central the- -lovers"},
    // Something to eat or drink: the place that serves it, fresh, near, brought.
    FieldHeads{Field::Food, "-house -kitchen -co -bar fresh- my- the- -express -place -shop -corner -delivery "
                            "-spot -deli -direct -daily -lovers"},
    // A thing people buy: where it is sold, "the" one to have, bought online, made to order, the
    // maker; a deal late, and no "-world", "-zone", "-plus" or "-express", which raters took for filler.
    FieldHeads{Field::Product, "-shop -store -direct -co the- -online buy- custom- best- -outlet -supply "
                               "-company -depot -market my- -deals"},
    // A place one goes to: one's own, nearby, open late, in town.
    FieldHeads{Field::Place, "my- local- the- city- -nearme -online -express -plus -direct 24hour- -co "
                             "-house -central -corner -point best- -world"},
    // A city or region: visiting it, its guides and tours, living there.
    FieldHeads{Field::Area, "visit- -guide -tours discover- explore- love- -trips -insider -local -travel "
                            "-events -living my- the- -today"},
    // A made-up name is a brand: a call to act, an app, a company, "the" one, one's own, a greeting; a
    // hub and a brandable ending late, as raters seldom took one.
    FieldHeads{Field::Brand, "get- try- -app -hq use- the- -co join- -labs go- my- hello- hey- -tech -hub "
                             "meet- -group -online -studio -works -ly -ify -io"},
};

// A word of another language takes that language's few short words; "mein-"
// and the articles agree with the word's likely gender.
struct LanguageHeads {
    Field language;
    const char *heads;
};
constexpr std::array kLanguageHeads{
    // German: one's own, the one ("diefahrschule"), the shop, round the clock, the expert; "-welt" and
    // "-online" read as filler to a German speaker, so they come late.
    LanguageHeads{Field::German, "MY- THE- -laden -24 -shop -profi -haus YOUR- -service -studio -team -online -zentrum "
                                 "-markt -welt -direkt -partner -meister -praxis"},
    LanguageHeads{Field::Spanish,
                  "mi- THE- -artesanal -delbarrio -online tu- -express -plus -pro mundo- -24h -24 -club "
                  "-centro -total -directo -servicios -tienda -hoy"},
    LanguageHeads{Field::French, "THE- MY- -artisan -duquartier -boutique -enligne -express -plus -pro -club "
                                 "-atelier -maison -24 -etco -direct -service -france"},
};

bool endsWithAny(const QString &word, std::initializer_list<const char *> endings)
{
    return std::any_of(endings.begin(), endings.end(),
                       [&](const char *ending) { return word.endsWith(QString::fromUtf8(ending)); });
}

// A German word for an office, school, agency, practice or care: "reisebüro", "fahrschule", "fußpflege",
// "tanzakademie".
bool germanService(const QString &word)
{
    return endsWithAny(word, {"büro",       "buero",     "buro",      "dienst",      "schule",       "akademie",
                              "beratung",   "agentur",   "kanzlei",   "vermittlung", "versicherung", "praxis",
                              "pflege",     "therapie",  "reinigung", "service",     "reparatur",    "verleih",
                              "vermietung", "betreuung", "transport", "umzug",       "verwaltung"});
}

// A German word for a shop, studio or hall: "küchenstudio", "getränkemarkt", "brauhaus".
bool germanPlace(const QString &word)
{
    return endsWithAny(word, {"studio", "laden", "markt", "haus", "zentrum", "salon", "werkstatt", "shop", "handel",
                              "center", "geschäft", "geschaeft", "geschaft"});
}

// A French or Spanish word for someone who works ("ostéopathe", "électricien",
// "plombier", "dentista", "fontanero"): a practice or a trade, never a shop.
bool namesAWorker(Field language, const QString &word)
{
    if (language == Field::French) {
        // A woman's trade, typed with its accent or without ("infirmiere"); but a nursery,
        // a boiler and a river are things.
        if (endsWithAny(word, {"atelier", "quartier", "papier", "chantier", "pépinière", "pepiniere", "chaudière",
                               "chaudiere", "rivière", "riviere"}))
            return false;
        return endsWithAny(word, {"iste",   "ien",       "ienne",   "eur",     "euse",  "ier",  "ière",
                                  "iere",   "er",        "logue",   "pathe",   "peute", "ecte", "aire",
                                  "avocat", "comptable", "médecin", "medecin", "kiné",  "kine"});
    }
    if (language == Field::Spanish)
        return endsWithAny(word, {"ista", "ero", "era", "ador", "adora", "ólogo", "ologo", "óloga", "ologa", "abogado",
                                  "abogada", "médico", "medico"});
    return false;
}

// A French or Spanish phrase that names an office, an agency, a clinic or a repair service
// by its first word ("agence immobilière", "clínica dental", "dépannage informatique"), whose
// customers neither shop nor join; a German doctor's or therapist's practice ("zahnarzt").
bool namesAnOffice(Field language, const QString &word)
{
    if (language == Field::German)
        return word.contains(QLatin1String("arzt")) || word.contains(QLatin1String("therap"));
    static const QStringList offices{"agence",     "agencia",     "clinica",    "clínica",   "clinique",  "cabinet",
                                     "despacho",   "consultorio", "oficina",    "bureau",    "dépannage", "depannage",
                                     "réparation", "reparation",  "reparación", "reparacion"};
    return std::any_of(offices.begin(), offices.end(), [&](const QString &office) { return word.startsWith(office); });
}

// A French practitioner, who keeps a "cabinet": a doctor, a therapist, a lawyer, an architect.
bool practises(const QString &word)
{
    return endsWithAny(word, {"pathe", "logue", "peute", "iatre", "dentiste", "phoniste", "avocat", "notaire",
                              "architecte", "comptable", "médecin", "medecin", "kiné", "kine"});
}

// French drops the article's vowel before a vowel or a mute "h" ("l'électricien"),
// and "ma" becomes "mon" ("mon école").
QString elided(const QString &head, const QString &word)
{
    const QString plain = word.normalized(QString::NormalizationForm_D);
    if (plain.isEmpty() || !QStringLiteral("aeiouyh").contains(plain.front()))
        return head;
    if (head == QLatin1String("le-") || head == QLatin1String("la-"))
        return QStringLiteral("l-");
    return head == QLatin1String("ma-") ? QStringLiteral("mon-") : head;
}

} // namespace

// Where a head reads wrong after a word of that ending: a bakery ("bäckerei",
// "panadería", "boulangerie") is a shop already, and only doctors and
// therapists have a practice.
bool headFits(const QString &head, const QString &word, Field language)
{
    // Someone who works keeps a practice, not a shop, a club or a hall: no
    // "osteopatheboutique", "electricienatelier", "abogadoclub", "dentistaplus".
    static const QStringList shopWords{"-boutique", "-atelier", "-maison", "-shop", "-club",   "-center",    "-city",
                                       "-point",    "-hub",     "-net",    "-box",  "-plus",   "-online",    "-express",
                                       "-tienda",   "mundo-",   "-total",  "-hoy",  "-centro", "-duquartier"};
    if (shopWords.contains(head) && namesAWorker(language, word))
        return false;
    // Nor does an office, a clinic or a practice keep a shop or a club, nor a doctor a master
    // craftsman's title: no "agenceimmoboutique", "clinicadentaltienda", "zahnarztladen",
    // "zahnarztmeister".
    static const QStringList shopOrClub{"-boutique", "-atelier", "-maison", "-shop",  "-club",
                                        "-tienda",   "-laden",   "-haus",   "-markt", "-meister"};
    if (shopOrClub.contains(head) && namesAnOffice(language, word))
        return false;
    // A German word that already ends in its shop, studio or hall takes no second one:
    // no "küchenstudioladen", "getränkemarktshop".
    static const QStringList places{"-laden", "-shop", "-haus", "-studio", "-zentrum", "-markt", "-praxis", "-center"};
    if (places.contains(head) && germanPlace(word))
        return false;
    // A shop or a service has customers, not members: no "lapanaderiaclub", "schlüsseldienstclub".
    if (head == QLatin1String("-club"))
        return !endsWithAny(word, {"ería", "eria", "erie", "erei"}) && !germanService(word);
    if (head == QLatin1String("-laden"))
        return !endsWithAny(word, {"erei", "dienst"}) && !germanService(word);
    // An office, a school or an agency sells no goods from a shop or a hall:
    // no "reisebueroladen", "fahrschulmarkt".
    if (head == QLatin1String("-markt") || head == QLatin1String("-shop") || head == QLatin1String("-haus"))
        return !germanService(word);
    // A shop sells, it serves no one: no "carniceriaservicios", "marisqueriaservicios".
    if (head == QLatin1String("-servicios"))
        return !endsWithAny(word, {"ería", "eria"});
    // Nor does a person keep a shop by that name: no "abogadotienda", "boulangerboutique".
    if (head == QLatin1String("-tienda") || head == QLatin1String("-boutique"))
        return !endsWithAny(word, {"ería", "eria", "erie", "ado", "ero", "ista", "or", "ier", "er", "eur", "iste"});
    // Made by hand, round the corner: what a bakery or a butcher's is proud of, not a lawyer.
    if (head == QLatin1String("-artesanal") || head == QLatin1String("-delbarrio") || head == QLatin1String("-artisan")
        || head == QLatin1String("-duquartier"))
        return endsWithAny(word, {"ería", "eria", "erie"});
    // "möbelhausmeister" reads as a caretaker's ("Hausmeister"), not the shop's master.
    if (head == QLatin1String("-meister"))
        return !word.endsWith(QLatin1String("haus"));
    if (head == QLatin1String("-praxis"))
        return word.contains(QLatin1String("arzt")) || word.contains(QLatin1String("therap"));
    return true;
}

namespace {

// The likely gender from the word's ending, as a learner of the language
// would guess it; none where the ending does not tell (French "-e").
enum class Gender { Masculine, Feminine, Unknown };

Gender genderOf(Field language, const QString &word)
{
    switch (language) {
    case Field::German: // masculine and neuter alike take "mein"; "-eur" is a man's trade, "-ee" a drink
        return (endsWithAny(word, {"ei", "ung", "heit", "keit", "schaft", "ion", "tät", "ik", "ur", "enz", "anz"})
                && !word.endsWith(QLatin1String("eur")))
                       || (word.endsWith(QLatin1Char('e')) && !word.endsWith(QLatin1String("ee")) // "die Schule"
                           && !endsWithAny(word, {"service", "käse", "kaese", "name", "ende", "auge", "gebäude",
                                                  "gebaeude"})) // "der Bügelservice", "das Wochenende"
                   ? Gender::Feminine
                   : Gender::Masculine;
    case Field::Spanish:
        return endsWithAny(word, {"a", "á", "ión", "dad", "tad", "tud", "umbre"}) ? Gender::Feminine
                                                                                  : Gender::Masculine;
    case Field::French:
        if (endsWithAny(word, {"ie", "ion", "ette", "ique", "ance", "ence", "té", "ure", "ade", "elle", "esse", "ée",
                               "che", "ise", "ère", "ave"}))
            return Gender::Feminine;
        return endsWithAny(word, {"age", "isme", "ment", "eau"}) || !word.endsWith(QLatin1Char('e')) ? Gender::Masculine
                                                                                                     : Gender::Unknown;
    default:
        return Gender::Unknown;
    }
}

// THE-, MY- and YOUR- in a language's list stand for the article and the possessives of the word's gender.
QString agreed(const QString &head, Field language, Gender gender)
{
    static const QHash<QString, std::array<const char *, 3>> forms{
        // German, Spanish, French; the feminine first, then the masculine.
        // German's "der" and "das" are not told apart by the ending, "die" is.
        {QStringLiteral("THE-"), {"die-|", "la-|el-", "la-|le-"}},
        {QStringLiteral("MY-"), {"meine-|mein-", "", "ma-|mon-"}},
        {QStringLiteral("YOUR-"), {"deine-|dein-", "", ""}},
    };
    const auto found = forms.find(head);
    if (found == forms.end())
        return head;
    if (gender == Gender::Unknown)
        return {};
    const int index = language == Field::German ? 0 : language == Field::Spanish ? 1 : 2;
    const QStringList both = QString::fromLatin1((*found)[index]).split(QLatin1Char('|'));
    return both.size() == 2 ? both[gender == Gender::Feminine ? 0 : 1] : QString();
}

QStringList split(const char *heads)
{
    return QString::fromLatin1(heads).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

const QStringList &headsFor(Field field)
{
    static const QHash<Field, QStringList> lists = [] {
        QHash<Field, QStringList> table;
        for (const FieldHeads &entry : kFieldHeads)
            table.insert(entry.field, split(entry.heads));
        return table;
    }();
    static const QStringList none;
    const auto found = lists.find(field);
    return found == lists.end() ? none : *found;
}

QStringList languageHeads(Field language, const QString &word, const QString &genderWord)
{
    QStringList heads;
    const bool worker = namesAWorker(language, word);
    Gender gender = genderOf(language, genderWord.isEmpty() ? word : genderWord);
    // "ostéopathe", "dentiste": either, and "mon", "le" by custom.
    if (gender == Gender::Unknown && worker)
        gender = Gender::Masculine;
    for (const LanguageHeads &entry : kLanguageHeads) {
        if (entry.language != language)
            continue;
        for (const QString &head : split(entry.heads)) {
            QString fitted = agreed(head, language, gender);
            if (language == Field::French)
                fitted = elided(fitted, word);
            if (!fitted.isEmpty() && headFits(fitted, word, language))
                heads.append(fitted);
            // One's own worker, said politely ("votreplombier"), and a
            // practitioner's own office ("cabinetosteopathe").
            if (language == Field::French && head == QLatin1String("MY-") && worker) {
                heads.append(QStringLiteral("votre-"));
                if (practises(word))
                    heads.append(QStringLiteral("cabinet-"));
            }
        }
    }
    // A doctor is found at the practice, named right after one's own: "zahnarztpraxis".
    if (language == Field::German && namesAnOffice(language, word) && heads.removeAll(QStringLiteral("-praxis")) > 0)
        heads.insert(std::min<qsizetype>(1, heads.size()), QStringLiteral("-praxis"));
    return heads;
}

bool callsOutAtAnyHour(const QString &word)
{
    static const QSet<QString> words{
        QStringLiteral("plumber"),      QStringLiteral("plumbing"),  QStringLiteral("electrician"),
        QStringLiteral("electrical"),   QStringLiteral("locksmith"), QStringLiteral("locksmithing"),
        QStringLiteral("glazier"),      QStringLiteral("glazing"),   QStringLiteral("roofer"),
        QStringLiteral("roofing"),      QStringLiteral("mechanic"),  QStringLiteral("handyman"),
        QStringLiteral("hvac"),         QStringLiteral("heating"),   QStringLiteral("boiler"),
        QStringLiteral("furnace"),      QStringLiteral("drain"),     QStringLiteral("sewer"),
        QStringLiteral("exterminator"), QStringLiteral("gasman"),    QStringLiteral("gasfitter"),
        QStringLiteral("pipefitter"),   QStringLiteral("repairman"), QStringLiteral("arborist"),
        QStringLiteral("towing"),       QStringLiteral("tow"),       QStringLiteral("electrics"),
    };
    return words.contains(word);
}

bool opensAtAnyHour(const QString &word)
{
    static const QSet<QString> words{"pharmacy",   "chemist", "drugstore",   "gym",         "fitness", "diner",
                                     "laundromat", "laundry", "launderette", "supermarket", "grocery", "store",
                                     "market",     "vet",     "veterinary",  "hospital",    "clinic",  "cafe",
                                     "restaurant", "deli",    "motel",       "hotel",       "garage",  "petrol",
                                     "gas",        "shop"};
    return words.contains(word);
}

bool namesTheBusiness(const QString &affix)
{
    static const QSet<QString> endings = [] {
        QSet<QString> set;
        for (const char *ending :
             {"-pros",     "-services", "-company",   "-co",        "-experts",   "-specialists", "-group",
              "-office",   "-partners", "-clinic",    "-care",      "-practice",  "-center",      "-studio",
              "-club",     "-academy",  "-school",    "-lessons",   "-classes",   "-workshop",    "-society",
              "-supplies", "-kits",     "-shop",      "-store",     "-outlet",    "-supply",      "-market",
              "-house",    "-kitchen",  "-bar",       "-deli",      "-tours",     "-guide",       "-laden",
              "-24",       "-24h",      "-haus",      "-zentrum",   "-markt",     "-service",     "-meister",
              "-praxis",   "-centro",   "-servicios", "-tienda",    "-artesanal", "-delbarrio",   "-boutique",
              "-atelier",  "-maison",   "-artisan",   "-duquartier"})
            set.insert(QLatin1String(ending));
        return set;
    }();
    return endings.contains(affix);
}

bool endsPrefixedName(const QString &affix, Field field)
{
    if (field != Field::French)
        return namesTheBusiness(affix);
    static const QStringList nouns{"-artisan", "-atelier", "-maison", "-boutique", "-service"};
    static const QStringList manner{"-enligne", "-etco", "-express"};
    return (namesTheBusiness(affix) && !nouns.contains(affix)) || manner.contains(affix);
}

bool onlySells(const QString &affix, Field field)
{
    static const QSet<QString> endings = [] {
        QSet<QString> set;
        for (const char *ending : {"-online", "-direct", "-now",     "-express", "-deals",  "-plus",   "-spot", "-zone",
                                   "-world",  "-daily",  "-place",   "-central", "-team",   "-today",  "-hub",  "-pro",
                                   "-hoy",    "-total",  "-directo", "-welt",    "-direkt", "-enligne"})
            set.insert(QLatin1String(ending));
        return set;
    }();
    return endings.contains(affix) && !(field == Field::Brand && affix == QLatin1String("-hub"));
}

bool isBrandableEnding(const QString &affix)
{
    static const QStringList endings{QStringLiteral("-ly"),   QStringLiteral("-ify"), QStringLiteral("-io"),
                                     QStringLiteral("-ster"), QStringLiteral("-ia"),  QStringLiteral("-ora"),
                                     QStringLiteral("-able"), QStringLiteral("-ful"), QStringLiteral("-ish"),
                                     QStringLiteral("-er"),   QStringLiteral("-era"), QStringLiteral("-ville")};
    return endings.contains(affix);
}

} // namespace varnex::registrar
