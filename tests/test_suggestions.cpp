#include "names/candidates.h"
#include "names/curated_relatives.h"
#include "names/field_heads.h"
#include "names/name_rules.h"
#include "names/pastimes.h"
#include "names/registrable.h"
#include "names/suggestions.h"
#include "names/word_knowledge.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace varnex::registrar;

class TestSuggestions final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void loadRefusesMissingFiles();
    void curatedRelatives_data();
    void curatedRelatives();
    void pastimes();
    void split_data();
    void split();
    void relativesOfShop();
    void number_data();
    void number();
    void commonness();
    void rules_data();
    void rules();
    void relevance_data();
    void relevance();
    void kinds_data();
    void kinds();
    void refusesInvalidLabels_data();
    void refusesInvalidLabels();
    void limit();
    void fillersAfterGoodNames();
    void registrable_data();
    void registrable();

private:
    std::optional<WordKnowledge> m_words;
};

void TestSuggestions::initTestCase()
{
    QString error;
    m_words = WordKnowledge::load(WordKnowledge::defaultWordList(), WordKnowledge::defaultWordnetFolder(), &error);
    QVERIFY2(m_words, qPrintable(error));
}

void TestSuggestions::loadRefusesMissingFiles()
{
    const QTemporaryDir empty;
    QString error;
    QVERIFY(
        !WordKnowledge::load(empty.filePath(QStringLiteral("words")), WordKnowledge::defaultWordnetFolder(), &error));
    QVERIFY(error.contains(QLatin1String("words")));
    error.clear();
    QVERIFY(!WordKnowledge::load(WordKnowledge::defaultWordList(), empty.path(), &error));
    QVERIFY(!error.isEmpty());
}

void TestSuggestions::curatedRelatives_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("fieldWords"); // the list of affixes, not of relatives
    QTest::addColumn<int>("words");       // -1: refused
    QTest::addColumn<int>("errorLine");

    QTest::newRow("comments, blank lines, no final newline")
        << QByteArray("# x\n\ncinema\tmovies film") << false << 1 << 0;
    QTest::newRow("a relative too short") << QByteArray("lantern\tlamp\nmug\tcup ox\n") << false << -1 << 2;
    QTest::newRow("no tab") << QByteArray("lantern lamp\n") << false << -1 << 1;
    QTest::newRow("no relative") << QByteArray("# x\nlantern\t\n") << false << -1 << 2;
    QTest::newRow("a double space") << QByteArray("lantern\tlamp  light\n") << false << -1 << 1;
    QTest::newRow("an accent") << QByteArray("caf\xc3\xa9\tcoffee\n") << false << -1 << 1;
    QTest::newRow("a carriage return") << QByteArray("lantern\tlamp\r\n") << false << -1 << 1;
    QTest::newRow("a word twice") << QByteArray("mug\tcup\nmug\tbeaker\n") << false << -1 << 2;
    QTest::newRow("field words, either side") << QByteArray("dentist\tsmile- -lab\n") << true << 1 << 0;
    QTest::newRow("a field word with no side") << QByteArray("dentist\tsmile\n") << true << -1 << 1;
    QTest::newRow("a field word with both") << QByteArray("spa\t-day-\n") << true << -1 << 1;
    QTest::newRow("a field word too long") << QByteArray("mug\t-cup\nspa\t-relaxations\n") << true << -1 << 2;
}

// The hand-written list is strict, so a slip in it fails the build's tests, not a page.
void TestSuggestions::curatedRelatives()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, fieldWords);
    QFETCH(int, words);
    QFETCH(int, errorLine);
    QString error;
    const std::string_view view(text.constData(), size_t(text.size()));
    const auto relatives = fieldWords ? readFieldWords(view, &error) : readCuratedRelatives(view, &error);
    QCOMPARE(relatives ? int(relatives->size()) : -1, words);
    if (!relatives)
        QVERIFY2(error.contains(QStringLiteral("line %1:").arg(errorLine)), qPrintable(error));
}

// A name near 20 letters takes an affix of up to five more; the typed
// words may take an ending that names the business up to 22.
static bool withinLength(const QString &label, const QString &typed)
{
    QString ending = label.mid(typed.size()); // "-pros", or "-pros" set off by a typed hyphen
    if (!ending.startsWith(QLatin1Char('-')))
        ending.prepend(QLatin1Char('-'));
    const bool typedAndBusiness = label.startsWith(typed) && namesTheBusiness(ending);
    return label.size() <= std::max<qsizetype>(typedAndBusiness ? 22 : 20, typed.size() + 5);
}

// Each pastime has one kind of the five; anything else fails at start.
void TestSuggestions::pastimes()
{
    const auto read = [](const char *text) { return readPastimes(std::string_view(text)); };
    const std::optional<Pastimes> known = read("# x\npottery\tcraft\nhiking\toutdoors\n");
    QVERIFY(known);
    QCOMPARE(known->at("pottery"), Field::Craft);
    QCOMPARE(known->at("hiking"), Field::Outdoors);
    QString error;
    QVERIFY(!readPastimes("chess\tgame\nyoga\tdance\n", &error));
    QVERIFY2(error.contains(QLatin1String("yoga")), qPrintable(error));
    QVERIFY(!read("chess\tgame sport\n"));
    QVERIFY(!read("chess\tgame\nchess\tsport\n"));
}

void TestSuggestions::split_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("my shop") << "myshop" << QStringList{"my", "shop"};
    QTest::newRow("three words") << "bestpizzaplace" << QStringList{"best", "pizza", "place"};
    QTest::newRow("one word") << "pizza" << QStringList{"pizza"};
    QTest::newRow("short word") << "shop" << QStringList{"shop"};
    QTest::newRow("a word, not to get her") << "together" << QStringList{"together"};
    QTest::newRow("no tax i") << "taxi" << QStringList{"taxi"};
    QTest::newRow("no lone letter at the end") << "vortexa" << QStringList{"vortexa"};
    QTest::newRow("no ending as a word") << "cheapable" << QStringList{"cheapable"};
    QTest::newRow("no rare stub in a made-up name") << "thehoskeni" << QStringList{"the", "hoskeni"};
    QTest::newRow("no glue word before a made-up name") << "ofrindu" << QStringList{"ofrindu"};
    QTest::newRow("no glue word ends a phrase") << "tuskora" << QStringList{"tuskora"};
    QTest::newRow("no letters after a made-up name the stubs joined") << "nolvarik" << QStringList{"nolvarik"};
    QTest::newRow("a word only our own lists hold") << "ramenbar" << QStringList{"ramen", "bar"};
    QTest::newRow("a made-up name, not short words and a stub") << "dorvilta" << QStringList{"dorvilta"};
    QTest::newRow("a made-up name, not a lone letter and a word with a stray one")
        << "ostrivel" << QStringList{"ostrivel"};
    QTest::newRow("two in one is one token") << "2in1laptops" << QStringList{"2in1", "laptops"};
    QTest::newRow("a long noun WordNet alone holds, not two words that spell it")
        << "indiantakeaway" << QStringList{"indian", "takeaway"};
    QTest::newRow("a past before glue") << "roofreplacedindallas" << QStringList{"roof", "replaced", "in", "dallas"};
    QTest::newRow("plural inside") << "friendsopenlate" << QStringList{"friends", "open", "late"};
    QTest::newRow("hyphen") << "my-shop" << QStringList{"my", "shop"};
    QTest::newRow("digits") << "shop24" << QStringList{"shop", "24"};
    QTest::newRow("no words") << "xqzvk" << QStringList{"xqzvk"};
    QTest::newRow("internationalised") << "bücher" << QStringList{"bücher"};
    QTest::newRow("a German word, not English pieces") << "fussball" << QStringList{"fussball"};
    QTest::newRow("a word of the dictionary stays whole") << "backpack" << QStringList{"backpack"};
    QTest::newRow("a number's unit") << "3dprinting" << QStringList{"3d", "printing"};
    QTest::newRow("a rare long noun stays whole")
        << "ballroomdancelessons" << QStringList{"ballroom", "dance", "lessons"};
    QTest::newRow("a business's two-letter name") << "weddingdj" << QStringList{"wedding", "dj"};
    QTest::newRow("a two-letter name before glue")
        << "weddingdjinnewjersey" << QStringList{"wedding", "dj", "in", "new", "jersey"};
    QTest::newRow("a unit before a verb's form") << "24htowing" << QStringList{"24h", "towing"};
    QTest::newRow("a decade") << "1950sdiner" << QStringList{"1950s", "diner"};
    QTest::newRow("a pastime the dictionary lacks") << "orienteering" << QStringList{"orienteering"};
    QTest::newRow("an ordinal") << "50thanniversarygifts" << QStringList{"50th", "anniversary", "gifts"};
    QTest::newRow("an ordinal before glue") << "4thofjuly" << QStringList{"4th", "of", "july"};
    QTest::newRow("no ordinal of a word") << "4thermostats" << QStringList{"4", "thermostats"};
    QTest::newRow("no ordinal that disagrees") << "2thrones" << QStringList{"2", "thrones"};
    QTest::newRow("doing what a known word names") << "bouldering" << QStringList{"bouldering"};
    QTest::newRow("doing, of two words") << "chimneysweeping" << QStringList{"chimney", "sweeping"};
    QTest::newRow("a place of two words") << "groominginsandiego" << QStringList{"grooming", "in", "sandiego"};
    QTest::newRow("a dimension") << "4x4rental" << QStringList{"4x4", "rental"};
    QTest::newRow("a question") << "wherecanibuy" << QStringList{"where", "can", "i", "buy"};
    QTest::newRow("a made-up name, not a word and a stray") << "quillix" << QStringList{"quillix"};
    QTest::newRow("no verb's -s form before a word") << "learnscubadiving" << QStringList{"learn", "scuba", "diving"};
    QTest::newRow("a made-up name, not an unknown word and a short one") << "belkano" << QStringList{"belkano"};
    QTest::newRow("a plural before glue") << "pantsinlondon" << QStringList{"pants", "in", "london"};
    QTest::newRow("two words that spell a plural") << "massagesforcouples" << QStringList{"massages", "for", "couples"};
    QTest::newRow("a plural before glue, not short words joined")
        << "coffeebeansinseattle" << QStringList{"coffee", "beans", "in", "seattle"};
    QTest::newRow("the article between words") << "findagoodtailor" << QStringList{"find", "a", "good", "tailor"};
    QTest::newRow("a short word and the next make one") << "classesonline" << QStringList{"classes", "online"};
}

void TestSuggestions::split()
{
    QFETCH(QString, label);
    QFETCH(QStringList, words);
    QCOMPARE(m_words->split(label), words);
}

void TestSuggestions::relativesOfShop()
{
    const QStringList relatives = m_words->relatives(QStringLiteral("shop"));
    QVERIFY2(relatives.contains(QLatin1String("store")) || relatives.contains(QLatin1String("mart")),
             qPrintable(relatives.join(QLatin1Char(' '))));
    QVERIFY(!relatives.contains(QLatin1String("shop")));
    QVERIFY(!relatives.contains(QLatin1String("shops")));
    // The usual sense, not "shop" as in telling on someone.
    QVERIFY(!relatives.contains(QLatin1String("snitch")));
    QVERIFY(!relatives.contains(QLatin1String("rat")));
    for (const QString &relative : relatives)
        QVERIFY2(QRegularExpression(QStringLiteral("^[a-z]+$")).match(relative).hasMatch(), qPrintable(relative));
    // Synonyms of the plural's singular.
    QCOMPARE(m_words->relatives(QStringLiteral("shops")), relatives);
    QVERIFY(m_words->relatives(QStringLiteral("bücher")).isEmpty());
}

void TestSuggestions::number_data()
{
    QTest::addColumn<QString>("singular");
    QTest::addColumn<QString>("plural");
    QTest::newRow("regular") << "shop"
                             << "shops";
    QTest::newRow("es") << "box"
                        << "boxes";
    QTest::newRow("ies") << "city"
                         << "cities";
    QTest::newRow("exception list") << "child"
                                    << "children";
    QTest::newRow("exception list, man") << "woman"
                                         << "women";
}

void TestSuggestions::number()
{
    QFETCH(QString, singular);
    QFETCH(QString, plural);
    QCOMPARE(m_words->plural(singular), plural);
    QCOMPARE(m_words->singular(plural), singular);
    QCOMPARE(m_words->singular(singular), singular);
    QCOMPARE(m_words->plural(plural), plural);
}

void TestSuggestions::commonness()
{
    QVERIFY(m_words->commonness(QStringLiteral("place")) > m_words->commonness(QStringLiteral("pizza")));
    QVERIFY(m_words->commonness(QStringLiteral("shops")) > 0);
    QCOMPARE(m_words->commonness(QStringLiteral("xqzvk")), 0);
    QCOMPARE(m_words->commonness(QStringLiteral("bücher")), 0);
}

void TestSuggestions::rules_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected"); // among the labels, wherever they rank
    QTest::newRow("shop") << "shop" << QStringList{"shops", "store", "myshop", "localshop", "shopnearme"};
    QTest::newRow("myshop") << "myshop" << QStringList{"shop", "mystore", "myshops", "myshopnearme"};
    QTest::newRow("three words") << "bestpizzaplace"
                                 << QStringList{"localbestpizzaplace", "bestpizzaplacenearme", "bestpizzaplaces"};
    QTest::newRow("hyphen typed") << "my-shop" << QStringList{"my-store", "mystore", "shop"};
    QTest::newRow("hyphen typed, a relative one word") << "co-working" << QStringList{"coworking", "coworker"};
    QTest::newRow("glue before the words, no hyphen without it") << "inyorknew" << QStringList{};
    QTest::newRow("internationalised") << "bücher" << QStringList{"meinbücher", "bücherladen"};
    QTest::newRow("no words") << "xqzvk" << QStringList{"getxqzvk", "xqzvkapp"};
    QTest::newRow("digits") << "24" << QStringList{"get24"};
    QTest::newRow("longest label") << "bestpizzaplaceinnewyorkcityforfamiliesandfriendsopenlateatnight"
                                   << QStringList{"bestpizzaplace"};
    QTest::newRow("long, one unknown word") << QString(40, QLatin1Char('q')) << QStringList{};
}

void TestSuggestions::rules()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    QVERIFY(asciiLabel(typed));
    const int limit = 2000;
    const QStringList labels = suggestedLabels(typed, *m_words, limit);
    QVERIFY(!labels.isEmpty());
    QVERIFY(labels.size() <= limit);
    QCOMPARE(labels.first(), typed);
    QCOMPARE(QSet<QString>(labels.begin(), labels.end()).size(), labels.size());
    for (qsizetype i = 1; i < labels.size(); ++i) {
        const QString &label = labels[i];
        QVERIFY2(asciiLabel(label), qPrintable(label));
        QCOMPARE(label, label.toLower());
        QVERIFY2(withinLength(label, labelFor(typed).value_or(typed)), qPrintable(label));
        // A hyphen only as typed, between the typed words alone ("knife-sharpening"),
        // or before a made-up name's app ("xqzvk-app").
        QVERIFY2(typed.contains(QLatin1Char('-')) || !label.contains(QLatin1Char('-'))
                     || QString(label).remove(QLatin1Char('-')) == typed || label == typed + QLatin1String("-app"),
                 qPrintable(label));
        // Nor one that splits a word the typed text did not ("co-worker").
        const QStringList parts = label.split(QLatin1Char('-'));
        for (qsizetype j = 0; j + 1 < parts.size(); ++j)
            QVERIFY2(!m_words->isWord(parts[j] + parts[j + 1])
                         || typed.contains(parts[j] + QLatin1Char('-') + parts[j + 1]),
                     qPrintable(label));
    }
    for (const QString &label : expected)
        QVERIFY2(labels.contains(label), qPrintable(label));
    if (typed.size() <= 20)
        QVERIFY2(labels.size() >= 10, qPrintable(labels.join(QLatin1Char(' '))));
}

void TestSuggestions::relevance_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("kept");         // a label holds one of these to be on topic
    QTest::addColumn<QStringList>("farRelatives"); // never among the first 30
    QTest::addColumn<QStringList>("plainForms");   // right after the typed label

    QTest::newRow("common word") << "pizza" << QStringList{"pizza", "pizzeria"} << QStringList{"dish", "soup", "pie"}
                                 << QStringList{};
    QTest::newRow("another common word") << "wedding" << QStringList{"wedding", "nuptial", "bridal"}
                                         << QStringList{"funeral", "rush", "chase"} << QStringList{};
    QTest::newRow("phrase") << "dog grooming" << QStringList{"dog", "grooming"} << QStringList{"cur", "pooch"}
                            << QStringList{};
    QTest::newRow("adjective and noun") << "best lawyer" << QStringList{"lawyer", "attorney", "legal"}
                                        << QStringList{"bestco", "gobest"} << QStringList{};
    QTest::newRow("made-up brand") << "vortexa" << QStringList{"vortexa"} << QStringList{"vortexas", "diska"}
                                   << QStringList{};
    QTest::newRow("mass noun") << "fitness" << QStringList{"fitness", "workout"} << QStringList{"fitnesses", "making"}
                               << QStringList{};
    QTest::newRow("accented word") << QString::fromUtf8("bücher")
                                   << QStringList{QString::fromUtf8("bücher"), "buecher", "bucher"} << QStringList{}
                                   << QStringList{"bucher", "buecher"};
    QTest::newRow("accented, hyphens typed") << QString::fromUtf8("bücher-shop") << QStringList{"shop", "store"}
                                             << QStringList{} << QStringList{"bucher-shop", "buecher-shop"};
    QTest::newRow("glue that is part of a name")
        << "fish and chips" << QStringList{"fishandchips"} << QStringList{} << QStringList{};
    QTest::newRow("a name near the longest")
        << "secondhand clothing" << QStringList{"secondhandcloth", "secondhandapparel"} << QStringList{}
        << QStringList{};
    QTest::newRow("a city's short form only for that city")
        << "lobsterrollsinportlandmaine" << QStringList{"lobster"} << QStringList{"pdx"} << QStringList{};
    QTest::newRow("long phrase") << "bestpizzaplaceinnewyorkcityforfamilies"
                                 << QStringList{"pizza", "place", "york", "city", "families", "best"}
                                 << QStringList{"inyorknew"} << QStringList{};
}

// What a user would pick for what they typed: names that keep their words.
void TestSuggestions::relevance()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, kept);
    QFETCH(QStringList, farRelatives);
    QFETCH(QStringList, plainForms);

    const QStringList labels = suggestedLabels(labelFor(typed).value_or(typed), *m_words, 31).mid(1);
    QCOMPARE(labels.size(), 30);
    QCOMPARE(labels.mid(0, plainForms.size()), plainForms);
    const qsizetype onTopic = std::count_if(labels.begin(), labels.end(), [&](const QString &label) {
        return std::any_of(kept.begin(), kept.end(), [&](const QString &word) { return label.contains(word); });
    });
    QVERIFY2(onTopic >= 27, qPrintable(labels.join(QLatin1Char(' '))));
    for (const QString &label : labels) {
        QVERIFY2(withinLength(label, labelFor(typed).value_or(typed)), qPrintable(label));
        const QStringList words = m_words->split(label);
        for (const QString &far : farRelatives)
            QVERIFY2(label != far && !words.contains(far), qPrintable(label));
        // No label starts or ends with a word that only glues a phrase together.
        for (const QString &edge : {words.first(), words.last()})
            QVERIFY2(!QStringList({"in", "of", "and", "for"}).contains(edge), qPrintable(label));
    }
}

void TestSuggestions::kinds_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("present"); // among the first 60 labels
    QTest::addColumn<QStringList>("heads");   // each in some label of the first 30: the field's short words
    QTest::addColumn<QString>("malformed");   // matches no label: forms a reader takes as wrong
    QTest::addColumn<bool>("brand");          // a made-up name may take "-ly", "-ify", "-io", "-ster"

    QTest::newRow("product, a pitch or two only on the typed word")
        << "bicycle" << QStringList{"bike"} << QStringList{"shop", "store"}
        << "^bike(direct|deals|online|hub)$|^bicycle(deals|hub|world|zone)$" << false;
    QTest::newRow("one who does what a verb says, though no list holds the word")
        << "scaffolder" << QStringList{"scaffolderpros", "scaffoldingpros"} << QStringList{"pros"}
        << "^(get|try|use)|app$|hq$" << false;
    QTest::newRow("a thing listed whole is sold, one or many")
        << "cuttingboards" << QStringList{"cuttingboardshop", "cuttingboard"} << QStringList{"shop"}
        << "boardsshop|boardsco$" << false;
    QTest::newRow("a person listed whole keeps the head")
        << "funeraldirector" << QStringList{"thefuneraldirector"} << QStringList{} << "manager" << false;
    QTest::newRow("a word only the lists written by hand hold is read whole, in its relatives' field")
        << "gelato" << QStringList{"gelatobar", "gelatoshop"} << QStringList{}
        << "^(the|my|best|buy)?gels?(shop|store|co|direct|deals)?$" << false;
    QTest::newRow("one who practises is a person, one or many")
        << "sonographer" << QStringList{"sonographers", "thesonographer"} << QStringList{}
        << "(shop|store|outlet|deals)$" << false;
    QTest::newRow("the before a firm, never a team or a room, and a performer for hire")
        << "magician" << QStringList{"magicianforhire", "themagicianco"} << QStringList{}
        << "^the\\w+(pros|experts|studio|partners|office)$|magicianhire$" << false;
    QTest::newRow("a Spanish shop's ending is its own, and feminine")
        << "vermutería" << QStringList{"lavermuteria"} << QStringList{} << "^el" << false;
    QTest::newRow("a bound prefix's head has no other word")
        << "post-workout" << QStringList{"postworkoutco"} << QStringList{} << "exercise" << false;
    QTest::newRow("a repair is a thing's service and its doctor too")
        << "furnacerepair" << QStringList{"furnaceservice", "furnacedoctor"} << QStringList{} << "furnacefix" << false;
    QTest::newRow("things typed in the plural are goods, whatever the words' first senses")
        << "flipflops" << QStringList{"flipflopstore"} << QStringList{"shop"} << "(club|studio)$" << false;
    QTest::newRow("goods take no filler pitch")
        << "candles" << QStringList{} << QStringList{"shop"} << "(express|world|zone|plus)$" << false;
    QTest::newRow("a genre has no plural") << "standupcomedy" << QStringList{} << QStringList{} << "comedies" << false;
    QTest::newRow("a French worker typed without the accent keeps no shop")
        << "infirmière" << QStringList{} << QStringList{} << "boutique|maison|atelier" << false;
    QTest::newRow("a studio only for one who works at one")
        << "dogbreeder" << QStringList{"thedogbreeder"} << QStringList{} << "studio" << false;
    QTest::newRow("beauty as a good has no plural")
        << "k-beauty" << QStringList{} << QStringList{} << "beauties" << false;
    QTest::newRow("work named as often as a thing is the work after what it is done to")
        << "carwash" << QStringList{"localcarwash", "carwashexpress"} << QStringList{}
        << "carwash(store|depot|outlet|supply)$" << false;
    QTest::newRow("who takes up a pastime of two words")
        << "crossstitch" << QStringList{"crossstitcher", "crossstitchers"} << QStringList{"club"} << "crossstitchs$"
        << false;
    QTest::newRow("goods are the one, and made to order by their noun")
        << "totebags" << QStringList{"thetotebag", "customtotebags"} << QStringList{"shop"} << "^thetotebags$" << false;
    QTest::newRow("a phrase's thing in the plural, never its place or its verb")
        << "escaperoomforcorporateteambuildingindenver" << QStringList{"denverescaperooms"} << QStringList{}
        << "denvers$|buildings$" << false;
    QTest::newRow("the -ing of a verb that doubles its last letter is work")
        << "carwrapping" << QStringList{"localcarwrapping"} << QStringList{"pros"} << "wrapper(market|depot|store)"
        << false;
    QTest::newRow("a creature of legend is a figure sold, no one to hire")
        << "gardengnomes" << QStringList{"thegardengnome", "gardengnomeshop"} << QStringList{}
        << "gnome(pros|office|partners|services)" << false;
    QTest::newRow("words of a fixed phrase, hyphens typed, make a full page")
        << "all-you-can-eatbuffet" << QStringList{"allyoucaneatbuffet", "theallyoucaneatbuffet"} << QStringList{}
        << "^(you|can|eat)" << false;
    QTest::newRow("a cut keeps an adjective's compound whole")
        << "hottubrepair" << QStringList{"hottubrepairpros"} << QStringList{"pros"} << "^tub" << false;
    QTest::newRow("a person only WordNet knows has a plural; the client's own is one")
        << "doula" << QStringList{"doulas", "yourdoula"} << QStringList{} << "^(your|my)doulas$" << false;
    QTest::newRow("goods named in the plural take endings in the singular")
        << "candlemaking" << QStringList{"candleshop"} << QStringList{} << "candles(shop|store|co)$" << false;
    QTest::newRow("a person named with another word keeps to people and work")
        << "makeupartist" << QStringList{"themakeupartist"} << QStringList{} << "artwork" << false;
    QTest::newRow("what a shop sells is sold as goods") << "fishmonger" << QStringList{"freshseafood", "seafoodshop"}
                                                        << QStringList{} << "^(the|local|city)seafood" << false;
    QTest::newRow("no plural of what is had, not counted")
        << "music" << QStringList{"musicshop"} << QStringList{} << "musics($|club|shop)|net$|web$" << false;
    QTest::newRow("trade's activity") << "plumbing" << QStringList{"plumber"} << QStringList{"pros"} << "plumbings$"
                                      << false;
    QTest::newRow("health, near me only after a noun")
        << "dentist" << QStringList{"dentistry"} << QStringList{"clinic", "care"} << "dentalnearme" << false;
    QTest::newRow("relatives written down by hand")
        << "podiatrist" << QStringList{"podiatry", "footcareclinic"} << QStringList{"clinic"}
        << "^(my|local|the|family|city|best)?foot(care)?$|^(emergency|my|local)foot|footcarecare" << false;
    QTest::newRow("hobby") << "knitting" << QStringList{"knit", "learntoknit"} << QStringList{"club", "lessons"}
                           << "knittings$" << false;
    QTest::newRow("a ball game is played")
        << "badminton" << QStringList{"playbadminton"} << QStringList{"club"} << "badmintons$" << false;
    QTest::newRow("a pastime's verb no relative names")
        << "sailing" << QStringList{"learntosail"} << QStringList{"club"} << "sailings$" << false;
    QTest::newRow("a craft WordNet files as a ware")
        << "pottery" << QStringList{"potterystudio", "potteryclasses"} << QStringList{"studio"}
        << "potteries|learnpotter$|potter(kits|supplies|classes)$" << false;
    QTest::newRow("a pastime WordNet lacks")
        << "birdwatching" << QStringList{"birdwatchingtours"} << QStringList{"club"} << "pros$|services?$" << false;
    QTest::newRow("a Spanish plural by rule")
        << "abogado" << QStringList{"abogados"} << QStringList{} << "abogadoes" << false;
    QTest::newRow("service") << "windowcleaning"
                             << QStringList{"windowcleaner", "localwindowcleaners", "windowcleaningservices"}
                             << QStringList{"pros", "local"}
                             << "cleansing|windowcleanings$|cleaners?(pros|co)$|^(the|go)windowcleaning$|club$"
                             << false;
    QTest::newRow("work on a thing that is a place") << "lawnmowing" << QStringList{"lawnmowingpros"}
                                                     << QStringList{"pros", "local"} << "visit|tours|travel" << false;
    QTest::newRow("hours written short") << "24htowing" << QStringList{"24hrtowing", "247towing", "towing24"}
                                         << QStringList{"pros"} << "towings$|htowing24|^htowing" << false;
    QTest::newRow("a service has no plural")
        << "pestcontrol" << QStringList{} << QStringList{"pros"} << "controls$|controlsnow|controlsexpress" << false;
    QTest::newRow("a trade's prefix and ending name a business")
        << "electrician" << QStringList{"localelectricianpros"} << QStringList{"pros"}
        << "^(my|local|city|the|best|our)electric[a-z]*(now|express|direct|hq|team|house)$" << false;
    QTest::newRow("a trade named after what it works on")
        << "glazier" << QStringList{"glasspros"} << QStringList{"pros"} << "^(emergency|24hour|247|local)glass$|^glass$"
        << false;
    QTest::newRow("a trade called out at night")
        << "locksmith" << QStringList{"emergencylocksmith", "247locksmith"} << QStringList{"pros"} << "^$" << false;
    QTest::newRow("a trade nobody calls at night")
        << "bricklayer" << QStringList{} << QStringList{"pros"} << "^(emergency|24hour|247)" << false;
    QTest::newRow("writing a thing the verb names too")
        << "resumewriting" << QStringList{"resumewriter", "resumewritingservice"} << QStringList{"pros"}
        << "resumewritings$" << false;
    QTest::newRow("where is the point, and who a service is for is the service's")
        << "guitarlessonsforkidsinboston" << QStringList{"bostonguitarlessons"} << QStringList{}
        << "kidsguitar($|[^l])|guitarforkids" << false;
    QTest::newRow("a long phrase keeps its compound and drops a verb that leads on")
        << "smallbatchhotsaucemadewithchilliesintexas" << QStringList{"texashotsauce"} << QStringList{}
        << "smallsauce|saucemade|^(my)?batch" << false;
    QTest::newRow("a diner is a place, and its decade is said short")
        << "1950sdiner" << QStringList{"50sdiner", "the1950sdiner"} << QStringList{} << "(ly|ify|io|partners|pros)$"
        << false;
    QTest::newRow("a German word no list holds") << QString::fromUtf8("hörakustik") << QStringList{"hoerakustikladen"}
                                                 << QStringList{} << "^horakustik.|akustik(ly|ify|io)$" << false;
    QTest::newRow("a service's place, never its thing's")
        << "mobiledoggroominginsandiego" << QStringList{"sandiegodoggrooming"} << QStringList{}
        << "sandiegodog$|mobiledog($|[^g])|training|groomingins($|hub|co)" << false;
    QTest::newRow("game") << "chess" << QStringList{} << QStringList{"play", "club"} << "chesses$" << false;
    QTest::newRow("a sport has no plural") << "football" << QStringList{} << QStringList{"club"}
                                           << "^(my|the|our|go|learn)?footballs($|club|hub|world)|fool" << false;
    QTest::newRow("adjective and noun") << "bestlawyer" << QStringList{"bestattorney"} << QStringList{"local"}
                                        << "lawyerbest|attorneybest" << false;
    QTest::newRow("made-up brand") << "vortexa" << QStringList{"thevortexa", "hellovortexa", "vortexa-app"}
                                   << QStringList{"get", "try", "app"} << "vortexas$|axetrov" << true;
    QTest::newRow("digits") << "24hourgym" << QStringList{"24hrgym", "247gym", "gym24"} << QStringList{"nearme"}
                            << "hour24|24.*24|gym24hour" << false;
    QTest::newRow("digits and a short form")
        << "3dprinting" << QStringList{"3dprint"} << QStringList{"pros"} << "d3|3dprintings$|printing3" << false;
    QTest::newRow("a number names the word before it")
        << "route66tours" << QStringList{} << QStringList{} << "(^|[^-e])66" << false;
    QTest::newRow("goods are no pastime") << "usedboats" << QStringList{} << QStringList{} << "boating" << false;
    QTest::newRow("words written for the work, after a token too")
        << "b2bmarketing" << QStringList{"b2bmarketingagency"} << QStringList{} << "^$" << false;
    QTest::newRow("a compound's thing is another business")
        << "signwriter" << QStringList{} << QStringList{} << "freelance|editing" << false;
    QTest::newRow("a phrase's counted word keeps its number")
        << "24hourpharmacyinchicago" << QStringList{"chicagopharmacy"} << QStringList{} << "(^|[^4])hour" << false;
    QTest::newRow("a phrase's number keeps the noun it names")
        << "route66toursinarizona" << QStringList{"arizonaroute66tours"} << QStringList{} << "(^|[^e])66" << false;
    QTest::newRow("a phrase's head takes the words written for it, not WordNet's")
        << "dogfriendlypubsinthecotswolds" << QStringList{"cotswoldspubs"} << QStringList{}
        << "saloon|^friendly|[^g]friendly" << false;
    QTest::newRow("two modifiers share the head")
        << "skiandsnowboardrentalsinvail" << QStringList{"vailskirentals", "vailsnowboardrentals"} << QStringList{}
        << "skiandrentals|(ski|board)s?(in)?vail$" << false;
    QTest::newRow("had online, learnt") << "spanishlessonsforadultsonline"
                                        << QStringList{"spanishlessonsonline", "learnspanish", "spanishforadults"}
                                        << QStringList{} << "adultsonline|spanish(pros|services?)$" << false;
    QTest::newRow("work asked to be done") << "wherecanigetmyshoesrepairedinboston" << QStringList{"bostonshoerepair"}
                                           << QStringList{} << "^(boston)?repair|footwears|shoesrepair" << false;
    QTest::newRow("a practitioner, and the practice")
        << "hypnotherapist" << QStringList{"thehypnotherapist", "hypnotherapyclinic", "hypnotherapists"}
        << QStringList{"clinic"} << "^thehypnotherapy$|hypnotherapy(pros|services?)$" << false;
    QTest::newRow("things typed in the plural, not people")
        << "coasters" << QStringList{"coastershop", "thecoastershop"} << QStringList{"shop"}
        << "^(my|local)?coast($|[^e])|nearme|group$" << false;
    QTest::newRow("a small count written out")
        << "3-piecesuits" << QStringList{"threepiecesuits"} << QStringList{} << "suits?3|piece3" << false;
    QTest::newRow("a Spanish word no list holds, plain too")
        << QString::fromUtf8("tortillería") << QStringList{"latortilleria", "mitortilleria"} << QStringList{}
        << "^tor($|[^t])|^tilleria|24hour|corner$|^(my|the)tortill" << false;
    QTest::newRow("work that mends a thing needs the thing")
        << "samedaygaragedoorspringrepairinsaltlakecity" << QStringList{"slcspringrepair", "slcgaragedoorrepair"}
        << QStringList{}
        << "^(slc|saltlakecity)(spring)?$|^(slc|saltlakecity)?repair|garagedoorspring($|[^r])|dayg|^(city|local|pro)slc"
        << false;
    QTest::newRow("a compound in the plural, praised once")
        << "bestcoffeebeansinseattle" << QStringList{"seattlecoffeebeans", "coffeebeansinseattle"} << QStringList{}
        << "(^|[^n])sinseattle|(fresh|top|urban)best|^seattlebeans" << false;
    QTest::newRow("no word misspelt, no the before care")
        << "chiropractor" << QStringList{"thechiropractor", "chiroclinic"} << QStringList{"clinic"}
        << "chiropractice|^the.*care$" << false;
    QTest::newRow("work on a thing no list names")
        << "hvacrepair" << QStringList{"hvacrepairpros"} << QStringList{"pros"} << "repairclub$" << false;
    QTest::newRow("one word of a thing and its work") << "housecleaning" << QStringList{"housecleaningpros"}
                                                      << QStringList{"pros"} << "cleanings$|cleaningclub$" << false;
    QTest::newRow("care is work") << "lawncare" << QStringList{"lawncarepros"} << QStringList{"pros"} << "^$" << false;
    QTest::newRow("no small thing for the thing")
        << "usedbooks" << QStringList{} << QStringList{} << "booklet" << false;
    QTest::newRow("two letters take no relative")
        << "gamingpc" << QStringList{"gamingpcshop"} << QStringList{} << "microcomputer" << false;
    QTest::newRow("no kind of the relative's own")
        << "cakedecorating" << QStringList{"cakedecorator"} << QStringList{} << "painter" << false;
    QTest::newRow("one who works on the thing before")
        << "dogwalkerinbrooklyn" << QStringList{"brooklyndogwalker", "dogwalkerpros"} << QStringList{}
        << "^(brooklyn|bklyn)walker|walkerstore|walkerin" << false;
    QTest::newRow("a compound's first half never alone")
        << "mountainbiketours" << QStringList{"biketours"} << QStringList{} << "^mountaintours" << false;
    QTest::newRow("open round the clock") << "emergencyvetopen24hours" << QStringList{"24houremergencyvet"}
                                          << QStringList{} << "^(best|my|top)?24hours" << false;
    QTest::newRow("no bare head beside a named one")
        << "organicskincareproducts" << QStringList{"skincareproducts"} << QStringList{}
        << "^(buy|best|custom)?products|merchandises" << false;
    QTest::newRow("whose it is, before the thing")
        << "handmadejewelryforwomen" << QStringList{"womensjewelry", "jewelryforwomen"} << QStringList{}
        << "^womenjewel|womenhandmade" << false;
    QTest::newRow("one learns to do it, as a beginner")
        << "learntocodeforbeginners" << QStringList{"learntocode", "codeforbeginners"} << QStringList{}
        << "beginnerscode" << false;
    QTest::newRow("whom it is for keeps its number")
        << "massageforcouples" << QStringList{} << QStringList{} << "forcouple($|[^s])" << false;
    QTest::newRow("no second place after a venue's own")
        << "bubbletea" << QStringList{"bubbleteahouse"} << QStringList{} << "(house|room)(bar|house|kitchen|co)$"
        << false;
    QTest::newRow("no caretaker of a German house")
        << QString::fromUtf8("möbelhaus") << QStringList{"meinmoebelhaus"} << QStringList{} << "hausmeister" << false;
    QTest::newRow("whom it is for, before the thing and not its praise")
        << "bestdogfoodforpuppies" << QStringList{"puppydogfood"} << QStringList{} << "puppybest" << false;
    QTest::newRow("a pastime that ends in s is one")
        << "pilates" << QStringList{"pilatesstudio", "pilatesclub"} << QStringList{} << "pilate($|[^s])" << false;
    QTest::newRow("only a place people go to at night is open all hours")
        << "nailsalon" << QStringList{"localnailsalon"} << QStringList{} << "^24hour" << false;
    QTest::newRow("two English words, never German's join")
        << "personalchef" << QStringList{"localpersonalchef"} << QStringList{} << "^(mein|dein)|laden$" << false;
    QTest::newRow("near me in a short keyword") << "yogaclassesnearme" << QStringList{"yoganearme", "yogaclasses"}
                                                << QStringList{} << "[^r]me$|yogame" << false;
    QTest::newRow("cookies are cookies, jewelry has no plural")
        << "vegancookies" << QStringList{"vegancookie"} << QStringList{} << "cooky" << false;
    QTest::newRow("goods by the piece in a mass noun")
        << "silverjewelry" << QStringList{"silverjewelryshop"} << QStringList{} << "jewelries" << false;
    QTest::newRow("a compound that is a place")
        << "golfcourse" << QStringList{"localgolfcourse"} << QStringList{} << "golfclass|coursepros" << false;
    QTest::newRow("a number keeps the work it names")
        << "3dprintingservice" << QStringList{"3dprintservice"} << QStringList{} << "3dservice" << false;
    QTest::newRow("a leaf's plural") << "brightleaf" << QStringList{} << QStringList{} << "leafs($|club|co$)" << false;
    QTest::newRow("the singular in use") << "vases" << QStringList{"vaseshop"} << QStringList{} << "vas($|[^e])"
                                         << false;
    QTest::newRow("a Spanish phrase typed as one word")
        << QString::fromUtf8("clínicadental") << QStringList{"laclinicadental"} << QStringList{} << "^el|dentales"
        << false;
    QTest::newRow("a decade says no kind")
        << "80sarcade" << QStringList{"retro80sarcade"} << QStringList{} << "^$" << false;
    QTest::newRow("what is rented out is no business alone")
        << "cheapcarrentalinmiami" << QStringList{"miamicarrental"} << QStringList{}
        << "^car($|sales|repairs|shop|store)|classiccar|electriccar" << false;
    QTest::newRow("a pastime by its short noun")
        << "kidsswimminglessonsinsanantonio" << QStringList{"satxswimlessons", "sanantonioswim"} << QStringList{}
        << "swimmingswim|swimswim" << false;
    QTest::newRow("no customer for the business")
        << "dumpsterrental" << QStringList{"dumpsterhire"} << QStringList{"pros"} << "renters?$" << false;
    QTest::newRow("a game's gear is sold, not played") << "darts" << QStringList{"dartboardshop"} << QStringList{"club"}
                                                       << "dartboard(lessons|academy|coach)" << false;
    QTest::newRow("a plural in -ves") << "midwife" << QStringList{"midwives"} << QStringList{} << "midwifes" << false;
    QTest::newRow("a plural WordNet files as a plant")
        << "clocks" << QStringList{"clockshop", "theclockshop"} << QStringList{} << "clocks(shop|store|co)$" << false;
    QTest::newRow("a phrase's head has its relatives too")
        << "familycampgroundnearboston" << QStringList{"bostoncampground", "bostoncampsite"} << QStringList{}
        << "^(my|the)?family$" << false;
    QTest::newRow("no relative another typed word holds")
        << "eyebrowthreading" << QStringList{} << QStringList{"pros"} << "browbrow" << false;
    QTest::newRow("a count stays before its noun")
        << "2persontent" << QStringList{"2persontentshop"} << QStringList{} << "tents?2$|^person" << false;
    QTest::newRow("no stem after a code")
        << "k9training" << QStringList{} << QStringList{} << "k9train($|[^ie])|^9|knine" << false;
    QTest::newRow("typed hyphen") << "self-storage" << QStringList{"selfstorage"} << QStringList{"local"}
                                  << "^(my|your)-?self" << false;
    QTest::newRow("German") << QString::fromUtf8("fußball") << QStringList{"fussball", "meinfussball"}
                            << QStringList{"mein"} << "(fussball|fußball)s$|ballfuss|hq$|app$" << false;
    QTest::newRow("English words German lists too")
        << "yogastudio" << QStringList{"myyogastudio", "localyogastudio"} << QStringList{"local"}
        << "^(mein|dein)|(laden|welt|profi)$|studio(shop|store|co|club)$" << false;
    QTest::newRow("a German join its list lacks") << "fahrradladen" << QStringList{"meinfahrradladen"}
                                                  << QStringList{"mein"} << "^(get|try|use)|hq$|app$" << false;
    QTest::newRow("a German word that names its shop")
        << QString::fromUtf8("nagelstudio") << QStringList{"meinnagelstudio"} << QStringList{"mein"}
        << "studio(laden|shop|haus|studio|zentrum|markt)$" << false;
    QTest::newRow("German care keeps no shop") << QString::fromUtf8("fußpflege") << QStringList{"meinefusspflege"}
                                               << QStringList{} << "(laden|shop|markt|haus|club)$" << false;
    QTest::newRow("a German word of her gender")
        << "metzgerei" << QStringList{"meinemetzgerei", "deinemetzgerei", "meinmetzger", "diemetzgerei"}
        << QStringList{"meine"}
        << "^(mein|dein|der|das)metzgerei(24|online)?$|^(die|meine|deine)metzgerei(shop|haus|studio|markt)|metzgereis$|"
           "hq$|app$"
        << false;
    QTest::newRow("Spanish") << QString::fromUtf8("jardín") << QStringList{"jardin", "eljardin"} << QStringList{"mi"}
                             << "jar-din|dinjar|hq$|app$|artesanal|delbarrio" << false;
    QTest::newRow("a Spanish shop and its maker")
        << QString::fromUtf8("panadería") << QStringList{"panaderiaartesanal", "elpanadero", "mipanadero"}
        << QStringList{"mi"} << "panadero[a-z]|tienda|club$" << false;
    QTest::newRow("a French worker keeps no shop")
        << QString::fromUtf8("électricien") << QStringList{"lelectricien", "votreelectricien"} << QStringList{}
        << "^leelectricien|(boutique|atelier|maison|shop|club)$" << false;
    QTest::newRow("a French phrase's gender is its first word's")
        << QString::fromUtf8("caveàvins") << QStringList{"lacaveavins", "macaveavins"} << QStringList{}
        << "^(le|mon)cave" << false;
    QTest::newRow("a French shop's verb is no maker")
        << QString::fromUtf8("crêperie") << QStringList{"lacreperie"} << QStringList{} << "creper($|[^i])" << false;
    QTest::newRow("a French practitioner keeps a cabinet")
        << "dentiste" << QStringList{"cabinetdentiste", "mondentiste"} << QStringList{} << "boutique|atelier$" << false;
    QTest::newRow("an adjective relative only for a person")
        << "astronomy" << QStringList{"astronomyclub"} << QStringList{} << "astronomic" << false;
    QTest::newRow("a phrase with what is done to the thing")
        << "freshflowersdeliveredsameday" << QStringList{"freshflowers", "flowersdelivered"} << QStringList{}
        << "^(fresh|delivered|same)*day|freshday" << false;
    QTest::newRow("a phrase for sale") << "usedcarsforsaleintexas" << QStringList{"usedcarsintexas", "texasusedcars"}
                                       << QStringList{} << "^sale|^buysale" << false;
    QTest::newRow("an activity that heads a compound stands alone beside its point")
        << "learnscubadivinginthefloridakeys" << QStringList{"floridakeysdiving", "learnscubadiving"} << QStringList{}
        << "(^|[^s])cuba" << false;
    QTest::newRow("a compound noun in a phrase stays whole")
        << "dogdaycareinaustin" << QStringList{"austindogdaycare"} << QStringList{} << "day$|^dog$" << false;
    QTest::newRow("a compound in a phrase stays whole")
        << "organicdogfooddelivery" << QStringList{"organicdogfood", "dogfooddelivery"} << QStringList{}
        << "^(local|my|the|pro|city|best|organic)?food" << false;
    QTest::newRow("a person keeps no shop")
        << "abogado" << QStringList{"miabogado", "elabogado"} << QStringList{"mi"} << "tienda" << false;
    QTest::newRow("what a company does stays with it")
        << "affordablemovingcompanyinchicago" << QStringList{"chicagomovingcompany", "movingcompanychicago"}
        << QStringList{} << "affordablecompany|^company|chicagocompany" << false;
    QTest::newRow("glue that makes no phrase")
        << "walkinclinic" << QStringList{"mywalkinclinic", "localwalkinclinic"} << QStringList{"local"}
        << "clinicwalk|inclinic.*inclinic|walkclinic" << false;
    QTest::newRow("a person's work") << "welder" << QStringList{"welding", "weldingpros"} << QStringList{"pros"}
                                     << "^(my|the|our)welding$|weldinggroup" << false;
    QTest::newRow("work on a thing, a verb more than a noun")
        << "phonerepair" << QStringList{"phonerepairpros"} << QStringList{"pros", "local"}
        << "^buy|telephone|phonerepair(store|outlet|supply)" << false;
    QTest::newRow("another word for the work, or none")
        << "pianotuning" << QStringList{"pianotuner", "localpianotuners"} << QStringList{"pros"}
        << "pianotune([^r]|$)|pianomusic" << false;
    QTest::newRow("a thing and a verb describe the head")
        << "familyrunhotelnearthescottishborders" << QStringList{"familyrunhotel"} << QStringList{}
        << "^(my|the)?(run|household)|familyrun$" << false;
    QTest::newRow("one thing joined by and")
        << "cosybedandbreakfastnearthelakedistrict" << QStringList{"bedandbreakfast", "thebedandbreakfast"}
        << QStringList{} << "bed(shop|store|co)|districtbed|cosybed$|breakfast(bar|kitchen)" << false;
    QTest::newRow("one's own is one thing")
        << "cattrees" << QStringList{"cattree"} << QStringList{"shop"} << "^my.*s$" << false;
    QTest::newRow("a relative of the head is no kind of the whole")
        << "juicecleanse" << QStringList{"juicecleansebar"} << QStringList{} << "juicery" << false;
    QTest::newRow("a word only WordNet knows") << "saddler" << QStringList{"mysaddler"} << QStringList{"my"}
                                               << "^(get|try|use)saddler|saddler(ify|io|ly)$" << false;
    QTest::newRow("a person's topic only by their own name")
        << "lawyer" << QStringList{"attorney"} << QStringList{"my"} << "jurisprudence" << false;
    QTest::newRow("a long noun only WordNet holds is one word")
        << "weddingofficiant" << QStringList{"theweddingofficiant"} << QStringList{} << "^(best|top)?i?c?iant" << false;
    QTest::newRow("so many for so many is one token")
        << "2-for-1pizza" << QStringList{"2for1pizza", "2for1pizzeria"} << QStringList{} << "^1|^2pizza" << false;
    QTest::newRow("a noun that names a thing too says its kind")
        << "escaperoomindenver" << QStringList{"denverescaperoom"} << QStringList{}
        << "^(the|best)?denverroom|^roomi?n?denver" << false;
    QTest::newRow("no cut drops the word a thing is named after")
        << "bouncehouserental" << QStringList{"bouncehousehire"} << QStringList{} << "^houserental|^bouncerental"
        << false;
    QTest::newRow("what one asks to rent is rented out, where it is")
        << "rentacarindenver" << QStringList{"denvercarrental"} << QStringList{}
        << "^(denvercar|carindenver|denverauto)$" << false;
    QTest::newRow("two English words are no German join")
        << "laptopstand" << QStringList{"laptopstandshop"} << QStringList{} << "^(mein|dein)|laden$|24$" << false;
    QTest::newRow("when it is open is no part of the thing")
        << "emergencyvetopensundayinleeds" << QStringList{"leedsvet", "leedsemergencyvet"} << QStringList{}
        << "open|sunday" << false;
    QTest::newRow("a place and a two-word thing, a little long")
        << "weddingvenuesincornwall" << QStringList{"cornwallweddingvenues"} << QStringList{} << "^cornwall$" << false;
    QTest::newRow("a place keeps the noun that says its kind")
        << "indoortrampolineparkforkidsinleeds" << QStringList{"leedstrampolinepark"} << QStringList{}
        << "^(the)?leedspark|^park" << false;
    QTest::newRow("a business word needs what it sells")
        << "secondhandbookstoreinportland" << QStringList{"portlandbookstore"} << QStringList{}
        << "portlandstore|^storeportland|^(my|the)?store" << false;
    QTest::newRow("what it comes with is not its point")
        << "familyownedbakerywithfreshbreadinboston" << QStringList{"bostonbakery", "familyownedbakery"}
        << QStringList{} << "^(my|the|city|local)?ownedbakery|freshbread|bakerywith" << false;
    QTest::newRow("a word's own sense before the one it ends")
        << "mugs" << QStringList{"mugshop"} << QStringList{"shop"} << "fool|mug(pros|office|partners)$" << false;
    QTest::newRow("a shop before the craft it sells")
        << "pharmacy" << QStringList{"drugstore"} << QStringList{"local"} << "pharmacist|pharmaceutics" << false;
    QTest::newRow("no rare word for the same")
        << "watches" << QStringList{} << QStringList{"shop"} << "ticker" << false;
    QTest::newRow("work done to a thing, as typed and set apart, with no startup word")
        << "tvmounting" << QStringList{"tv-mounting"} << QStringList{"pros", "services"}
        << "tvmountings($|direct|online)|(store|hub|now|hq|works|life)$" << false;
    QTest::newRow("who does the work is a person, and a car for hire sells rides")
        << "7seatertaxi" << QStringList{"7-seater-taxi"} << QStringList{"pros"} << "(shop|store|deals|outlet)$"
        << false;
    QTest::newRow("a service's doer takes a person's words")
        << "housesitting" << QStringList{"thehousesitter"} << QStringList{"pros"} << "housesittings($|direct)|club$"
        << false;
    QTest::newRow("a tradesman's material is not looked for near one")
        << "stonemason" << QStringList{"stonepros"} << QStringList{"nearme"} << "stone(nearme|quarry)" << false;
    QTest::newRow("a German school is feminine, an academy too, and keeps no shop or English twin")
        << "fahrschule" << QStringList{"meinefahrschule", "fahrakademie"} << QStringList{"24"}
        << "(laden|markt|shop|haus|direct|center)$|^(mein|dein)fahrschule" << false;
    QTest::newRow("a German doctor keeps a practice")
        << "zahnarzt" << QStringList{"zahnarztpraxis"} << QStringList{"praxis"} << "(laden|markt|shop|haus|meister)$"
        << false;
    QTest::newRow("a French phrase typed as one, its long word clipped, no shop of a service")
        << "dépannageinformatique" << QStringList{"depannageinfo", "ledepannageinfo"} << QStringList{"24"}
        << "(boutique|club|maison|atelier)$" << false;
    QTest::newRow("a maker by hand, at a studio, of the stuff's noun")
        << "woodcarver" << QStringList{"thewoodcarver", "woodcarverstudio"} << QStringList{"workshop"}
        << "pros$|^mobile|nearme|wooden" << false;
    QTest::newRow("a lake by its own name")
        << "cheapkayakrentalsnearlaketahoe" << QStringList{"tahoekayakrentals"} << QStringList{} << "district" << false;
    QTest::newRow("hiring out is a service")
        << "vanhire" << QStringList{"vanhirepros"} << QStringList{"pros"} << "(shop|store|outlet|depot)$|^buy" << false;
    QTest::newRow("a Spanish noun, then an adjective the list lacks")
        << "cerveceríaartesanal" << QStringList{"lacerveceriaartesanal"} << QStringList{} << "^el|artesanales$"
        << false;
    QTest::newRow("a delivery says what it brings")
        << "pizzadeliveryinleeds" << QStringList{"leedspizzadelivery"} << QStringList{}
        << "^[a-z]*leedsdelivery|^delivery(in)?leeds" << false;
    QTest::newRow("a phrase that names its city")
        << "cheaphotelsinrome" << QStringList{"romehotels", "hotelsinrome", "theromehotels"} << QStringList{}
        << "(local|city)[a-z]*rome|romenearme|rome[a-z]*nearme" << false;
    QTest::newRow("a request, when and a place")
        << "lookingforsomeonetofixmyleakingkitchensinkthisweekendindenver" << QStringList{"denverkitchensink"}
        << QStringList{} << "weekend|someone|looking" << false;
    QTest::newRow("a clause, then the place as locals write it")
        << "veganbakerythatdeliversinportland" << QStringList{"portlandveganbakery", "pdxveganbakery"} << QStringList{}
        << "sinportland|deliver|that" << false;
    QTest::newRow("a time word that is no time there")
        << "cabinsnearhotspringsincolorado" << QStringList{"hotspringscabins"} << QStringList{} << "hot$|hotcabins"
        << false;
    QTest::newRow("a clause is not the thing")
        << "dentistwhospeaksspanishandtakeswalkinsinhouston" << QStringList{"houstondentist"} << QStringList{}
        << "spanish|walk|who" << false;
    QTest::newRow("long phrase") << "bestcheapflightstoparis"
                                 << QStringList{"flightstoparis", "parisflights", "cheapflightstoparis"}
                                 << QStringList{} << "^(best|cheap|paris|to)+$" << false;
}

// The properties of a page's labels for each kind of keyword: the typed word
// first, close relatives and the field's own short words on it, no form a
// reader takes as wrong, a brandable ending only on a made-up name, a typed
// hyphen in at most one label of four.
void TestSuggestions::kinds()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, present);
    QFETCH(QStringList, heads);
    QFETCH(QString, malformed);
    QFETCH(bool, brand);

    const QStringList labels = suggestedLabels(typed, *m_words, 61);
    QCOMPARE(labels.first(), typed);
    const QString shown = labels.join(QLatin1Char(' '));
    for (const QString &label : present)
        QVERIFY2(labels.contains(label), qPrintable(label + ": " + shown));
    const QStringList first30 = labels.mid(1, 30);
    for (const QString &head : heads) {
        QVERIFY2(
            std::any_of(first30.begin(), first30.end(), [&](const QString &label) { return label.contains(head); }),
            qPrintable(head + ": " + shown));
    }
    const QRegularExpression wrong(malformed);
    const QString plain = QString(typed).remove(QLatin1Char('-'));
    qsizetype hyphenated = 0;
    for (const QString &label : labels.mid(1)) {
        QVERIFY2(!wrong.match(label).hasMatch(), qPrintable(label));
        for (const char *ending : {"ly", "ify", "io", "ster"})
            QVERIFY2(brand || !label.endsWith(plain + QLatin1String(ending)), qPrintable(label));
        hyphenated += label.contains(QLatin1Char('-')) ? 1 : 0;
    }
    QVERIFY2(hyphenated * 4 <= labels.size(), qPrintable(shown));
}

void TestSuggestions::refusesInvalidLabels_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("empty") << "";
    QTest::newRow("leading hyphen") << "-shop";
    QTest::newRow("upper case") << "Shop";
    QTest::newRow("dot") << "shop.com";
    QTest::newRow("too long") << QString(64, QLatin1Char('a'));
}

void TestSuggestions::refusesInvalidLabels()
{
    QFETCH(QString, typed);
    QVERIFY(suggestedLabels(typed, *m_words, 100).isEmpty());
}

void TestSuggestions::limit()
{
    QCOMPARE(suggestedLabels(QStringLiteral("shop"), *m_words, 0), QStringList{});
    QCOMPARE(suggestedLabels(QStringLiteral("shop"), *m_words, 1), QStringList{QStringLiteral("shop")});
    const QStringList few = suggestedLabels(QStringLiteral("shop"), *m_words, 5);
    QCOMPARE(few.size(), 5);
    // A smaller limit gives the first labels of a larger one.
    QCOMPARE(suggestedLabels(QStringLiteral("shop"), *m_words, 50).mid(0, 5), few);
}

// A page that runs short of good .com names takes a few good labels' .net
// before a filler's .com, but only a few: it still wants many labels.
void TestSuggestions::fillersAfterGoodNames()
{
    qsizetype named = 0;
    const QStringList labels = suggestedLabels(QStringLiteral("vortexa"), *m_words, 121, &named);
    QVERIFY(named > 5 && named < labels.size());
    const QStringList names = candidatesFor(QStringLiteral("vortexa"), &*m_words).mid(6);
    const qsizetype firstFiller = names.indexOf(labels[named] + QLatin1String(".com"));
    QVERIFY(firstFiller > 0);
    const QStringList before = names.mid(0, firstFiller);
    QCOMPARE(before.filter(QRegularExpression(QStringLiteral("\\.net$"))).size(), 5);
    QVERIFY(before.contains(labels[1] + QLatin1String(".net")));
    QVERIFY(before.contains(labels[named - 1] + QLatin1String(".com")));
}

// What each ending's registry sells, a row or more an ending; `refusal` is
// part of the reason, empty when the name may be offered there.
void TestSuggestions::registrable_data()
{
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("refusal");

    // .com and .net: any one script.
    QTest::newRow(".com: German with ß") << "fußball.com"
                                         << "";
    QTest::newRow(".com: Japanese") << "日本語ひらがな.com"
                                    << "";
    QTest::newRow(".net: Cyrillic") << "пример.net"
                                    << "";
    QTest::newRow(".net: Greek") << "ελληνικά.net"
                                 << "";
    // .org: its languages' tables.
    QTest::newRow(".org: Spanish") << "jardín.org"
                                   << "";
    QTest::newRow(".org: Cyrillic") << "пример.org"
                                    << "";
    QTest::newRow(".org: Chinese") << "中文.org"
                                   << "";
    QTest::newRow(".org: ß in no table") << "fußball.org"
                                         << "writes \"ß\"";
    QTest::newRow(".org: French â in no table") << "pâtisserie.org"
                                                << "writes \"â\"";
    QTest::newRow(".org: Greek") << "ελληνικά.org"
                                 << "writes \"ε\"";
    QTest::newRow(".org: letters of two languages") << "jardínø.org"
                                                    << "no one language";
    // .biz: Japanese and Portuguese among its languages.
    QTest::newRow(".biz: Japanese") << "ひらがな.biz"
                                    << "";
    QTest::newRow(".biz: Portuguese") << "pâtisserie.biz"
                                      << "";
    QTest::newRow(".biz: ß") << "fußball.biz"
                             << "writes \"ß\"";
    // .info: Latin-script languages and Korean.
    QTest::newRow(".info: German") << "bücher.info"
                                   << "";
    QTest::newRow(".info: Korean") << "한국.info"
                                   << "";
    QTest::newRow(".info: Cyrillic") << "пример.info"
                                     << "writes \"п\"";
    // .us: no internationalised names, and numbers reserved.
    QTest::newRow(".us: Spanish") << "jardín.us"
                                  << "no internationalised names";
    QTest::newRow(".us: xn-- form") << "xn--bcher-kva.us"
                                    << "no internationalised names";
    QTest::newRow(".us: plain") << "shop24.us"
                                << "";
    QTest::newRow(".us: four digits") << "2024.us"
                                      << "";
    QTest::newRow(".us: five digits") << "90210.us"
                                      << "five digits or more";
    QTest::newRow(".us: ZIP+4") << "90210-1234.us"
                                << "ZIP+4";
    QTest::newRow(".us: telephone number") << "212-555-0100.us"
                                           << "telephone numbers";
    QTest::newRow(".us: toll-free number") << "1-800-555-0100.us"
                                           << "telephone numbers";
    QTest::newRow(".us: digits and hyphens, no number") << "12-34.us"
                                                        << "";
    QTest::newRow(".com: five digits") << "90210.com"
                                       << "";
}

void TestSuggestions::registrable()
{
    QFETCH(QString, domain);
    QFETCH(QString, refusal);

    const std::optional<QString> why = whyNotRegistrable(domain);
    QCOMPARE(why.has_value(), !refusal.isEmpty());
    if (!why)
        return;
    const QString ending = domain.section('.', -1);
    QVERIFY2(why->startsWith("not registrable under ." + ending + ": ") && why->contains(refusal), qPrintable(*why));
    // The typed name stays under the ending, to be reported; no suggestion goes there.
    const QStringList names = candidatesFor(displayName(domain).section('.', 0, 0), &*m_words);
    QVERIFY(!names.isEmpty());
    for (const QString &name : names.mid(6))
        QVERIFY2(!whyNotRegistrable(name), qPrintable(name));
    QVERIFY(names.contains(*asciiLabel(displayName(domain).section('.', 0, 0)) + '.' + ending));
}

QTEST_GUILESS_MAIN(TestSuggestions)
#include "test_suggestions.moc"
