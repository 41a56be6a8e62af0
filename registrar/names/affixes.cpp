#include "names/affixes.h"

#include "names/field_heads.h"

namespace varnex::registrar {

namespace {

bool isVowel(QChar c)
{
    return QStringLiteral("aeiouy").contains(c);
}

} // namespace

const QStringList &affixes()
{
    // The endings that name a business ("-house", "-studio", "-shop") come
    // early: "go-", "-life" and "-point" say little of one, so they follow.
    static const QStringList list{
        QStringLiteral("-hub"),      QStringLiteral("my-"),         QStringLiteral("-co"),
        QStringLiteral("the-"),      QStringLiteral("-online"),     QStringLiteral("-now"),
        QStringLiteral("-spot"),     QStringLiteral("-direct"),     QStringLiteral("-place"),
        QStringLiteral("-daily"),    QStringLiteral("-house"),      QStringLiteral("-world"),
        QStringLiteral("-club"),     QStringLiteral("-central"),    QStringLiteral("-zone"),
        QStringLiteral("-plus"),     QStringLiteral("-pro"),        QStringLiteral("-guide"),
        QStringLiteral("-express"),  QStringLiteral("-studio"),     QStringLiteral("-works"),
        QStringLiteral("-shop"),     QStringLiteral("-store"),      QStringLiteral("go-"),
        QStringLiteral("-life"),     QStringLiteral("-point"),      QStringLiteral("our-"),
        QStringLiteral("-base"),     QStringLiteral("-land"),       QStringLiteral("-craft"),
        QStringLiteral("-hq"),       QStringLiteral("get-"),        QStringLiteral("try-"),
        QStringLiteral("-app"),      QStringLiteral("-lab"),        QStringLiteral("-labs"),
        QStringLiteral("use-"),      QStringLiteral("join-"),       QStringLiteral("meet-"),
        QStringLiteral("hey-"),      QStringLiteral("-ly"),         QStringLiteral("-ify"),
        QStringLiteral("-io"),       QStringLiteral("best-"),       QStringLiteral("top-"),
        QStringLiteral("smart-"),    QStringLiteral("easy-"),       QStringLiteral("just-"),
        QStringLiteral("real-"),     QStringLiteral("true-"),       QStringLiteral("pure-"),
        QStringLiteral("fresh-"),    QStringLiteral("happy-"),      QStringLiteral("good-"),
        QStringLiteral("big-"),      QStringLiteral("one-"),        QStringLiteral("all-"),
        QStringLiteral("your-"),     QStringLiteral("simply-"),     QStringLiteral("-today"),
        QStringLiteral("-corner"),   QStringLiteral("-market"),     QStringLiteral("-center"),
        QStringLiteral("-net"),      QStringLiteral("-web"),        QStringLiteral("-link"),
        QStringLiteral("-box"),      QStringLiteral("-kit"),        QStringLiteral("-pad"),
        QStringLiteral("-nest"),     QStringLiteral("-den"),        QStringLiteral("-yard"),
        QStringLiteral("-way"),      QStringLiteral("-path"),       QStringLiteral("-side"),
        QStringLiteral("-street"),   QStringLiteral("-city"),       QStringLiteral("-town"),
        QStringLiteral("-nation"),   QStringLiteral("-planet"),     QStringLiteral("-republic"),
        QStringLiteral("-society"),  QStringLiteral("-collective"), QStringLiteral("-company"),
        QStringLiteral("-group"),    QStringLiteral("-team"),       QStringLiteral("-crew"),
        QStringLiteral("-squad"),    QStringLiteral("-tribe"),      QStringLiteral("-circle"),
        QStringLiteral("-forge"),    QStringLiteral("-foundry"),    QStringLiteral("-factory"),
        QStringLiteral("-mill"),     QStringLiteral("-made"),       QStringLiteral("-maker"),
        QStringLiteral("-makers"),   QStringLiteral("-builder"),    QStringLiteral("-bros"),
        QStringLiteral("-and-co"),   QStringLiteral("-supply"),     QStringLiteral("-depot"),
        QStringLiteral("-outlet"),   QStringLiteral("-mart"),       QStringLiteral("-bazaar"),
        QStringLiteral("-source"),   QStringLiteral("-finder"),     QStringLiteral("-scout"),
        QStringLiteral("-genie"),    QStringLiteral("-wise"),       QStringLiteral("-savvy"),
        QStringLiteral("-geek"),     QStringLiteral("-nerd"),       QStringLiteral("-buddy"),
        QStringLiteral("-pal"),      QStringLiteral("-mate"),       QStringLiteral("-friend"),
        QStringLiteral("-joy"),      QStringLiteral("-love"),       QStringLiteral("-lovers"),
        QStringLiteral("-fans"),     QStringLiteral("-fix"),        QStringLiteral("-care"),
        QStringLiteral("-help"),     QStringLiteral("-tips"),       QStringLiteral("-ideas"),
        QStringLiteral("-news"),     QStringLiteral("-times"),      QStringLiteral("-post"),
        QStringLiteral("-journal"),  QStringLiteral("-press"),      QStringLiteral("-media"),
        QStringLiteral("-digital"),  QStringLiteral("-cloud"),      QStringLiteral("-tech"),
        QStringLiteral("-logic"),    QStringLiteral("-mind"),       QStringLiteral("-sense"),
        QStringLiteral("-genius"),   QStringLiteral("-boost"),      QStringLiteral("-rise"),
        QStringLiteral("-up"),       QStringLiteral("-go"),         QStringLiteral("-flow"),
        QStringLiteral("-wave"),     QStringLiteral("-spark"),      QStringLiteral("-bloom"),
        QStringLiteral("-nova"),     QStringLiteral("-vista"),      QStringLiteral("-ville"),
        QStringLiteral("-ster"),     QStringLiteral("-ia"),         QStringLiteral("-ora"),
        QStringLiteral("-able"),     QStringLiteral("-ful"),        QStringLiteral("-ish"),
        QStringLiteral("-er"),       QStringLiteral("-era"),        QStringLiteral("-verse"),
        QStringLiteral("-sphere"),   QStringLiteral("-scape"),      QStringLiteral("-topia"),
        QStringLiteral("-palooza"),  QStringLiteral("-fest"),       QStringLiteral("-party"),
        QStringLiteral("-trip"),     QStringLiteral("-tour"),       QStringLiteral("-quest"),
        QStringLiteral("-journey"),  QStringLiteral("-gallery"),    QStringLiteral("-room"),
        QStringLiteral("-lounge"),   QStringLiteral("-kitchen"),    QStringLiteral("-table"),
        QStringLiteral("-bar"),      QStringLiteral("-cafe"),       QStringLiteral("-garden"),
        QStringLiteral("-farm"),     QStringLiteral("-field"),      QStringLiteral("-grove"),
        QStringLiteral("-haven"),    QStringLiteral("-harbor"),     QStringLiteral("-port"),
        QStringLiteral("-bay"),      QStringLiteral("-peak"),       QStringLiteral("-summit"),
        QStringLiteral("-ridge"),    QStringLiteral("-valley"),     QStringLiteral("-river"),
        QStringLiteral("-lake"),     QStringLiteral("-island"),     QStringLiteral("-shore"),
        QStringLiteral("-north"),    QStringLiteral("-south"),      QStringLiteral("-east"),
        QStringLiteral("-west"),     QStringLiteral("new-"),        QStringLiteral("modern-"),
        QStringLiteral("urban-"),    QStringLiteral("local-"),      QStringLiteral("global-"),
        QStringLiteral("prime-"),    QStringLiteral("first-"),      QStringLiteral("ever-"),
        QStringLiteral("daily-"),    QStringLiteral("instant-"),    QStringLiteral("quick-"),
        QStringLiteral("swift-"),    QStringLiteral("bright-"),     QStringLiteral("clever-"),
        QStringLiteral("kind-"),     QStringLiteral("bold-"),       QStringLiteral("brave-"),
        QStringLiteral("wild-"),     QStringLiteral("green-"),      QStringLiteral("blue-"),
        QStringLiteral("golden-"),   QStringLiteral("silver-"),     QStringLiteral("sunny-"),
        QStringLiteral("cosy-"),     QStringLiteral("dear-"),       QStringLiteral("hello-"),
        QStringLiteral("love-"),     QStringLiteral("think-"),      QStringLiteral("make-"),
        QStringLiteral("find-"),     QStringLiteral("book-"),       QStringLiteral("ask-"),
        QStringLiteral("pick-"),     QStringLiteral("shop-"),       QStringLiteral("visit-"),
        QStringLiteral("discover-"), QStringLiteral("explore-"),    QStringLiteral("inspire-"),
        QStringLiteral("the-real-"), QStringLiteral("we-"),
    };
    return list;
}

const QStringList &plainWordAffixes()
{
    static const QStringList list = [] {
        // In the order raters took them as good on real words in earlier rounds (nine
        // names in ten with "-company", four in ten with "-studio"); the last almost never.
        const QStringList first{"-company", "-co",   "-supply", "-depot",  "-store",  "-market",
                                "best-",    "the-",  "top-",    "-shop",   "-outlet", "my-",
                                "-guide",   "-club", "-studio", "-direct", "-express"};
        const QStringList last{"-online", "-house", "-team",  "-point", "-plus",  "-spot", "-base", "-place",
                               "-daily",  "-land",  "-craft", "-life",  "-works", "-hub",  "-now",  "-hq",
                               "smart-",  "true-",  "real-",  "easy-",  "happy-", "go-",   "-bros", "-den",
                               "-way",    "just-",  "pure-",  "good-",  "big-",   "one-",  "all-",  "-group"};
        // A brand's playful words, and a venue or a landscape, say nothing of a real
        // word's trade or say another ("tennispalooza", "pediatricianpad",
        // "bedandbreakfastbar"): they only fill a page that has nothing else. So do
        // the web's words, which read as an ending typed twice ("glassblowernet.com").
        const QStringList playful{
            "-net",   "-web",    "-link",    "-pad",      "-nest",   "-yard",  "-path",   "-side",    "-street",
            "-town",  "-nation", "-planet",  "-republic", "-squad",  "-tribe", "-forge",  "-foundry", "-mill",
            "-made",  "-mart",   "-bazaar",  "-genie",    "-wise",   "-savvy", "-geek",   "-nerd",    "-buddy",
            "-pal",   "-mate",   "-joy",     "-love",     "-mind",   "-sense", "-genius", "-boost",   "-rise",
            "-flow",  "-wave",   "-spark",   "-bloom",    "-nova",   "-vista", "-ville",  "-verse",   "-sphere",
            "-scape", "-topia",  "-palooza", "-fest",     "-party",  "-era",   "-quest",  "-cloud",   "-logic",
            "-trip",  "-tour",   "-journey", "-room",     "-lounge", "-table", "-bar",    "-cafe",    "-garden",
            "-farm",  "-field",  "-grove",   "-haven",    "-harbor", "-port",  "-bay",    "-peak",    "-summit",
            "-ridge", "-valley", "-river",   "-lake",     "-island", "-shore", "-north",  "-south",   "-east",
            "-west"};
        // A brand's praise before a real word reads as a slogan ("primecattrees",
        // "instantcattrees"): after every ending raters took as good or seldom did.
        QStringList ordered = first, ending, praise;
        for (const QString &affix : last)
            (affix.endsWith(QLatin1Char('-')) ? praise : ending).append(affix);
        for (const QString &affix : affixes()) {
            if (!first.contains(affix) && !last.contains(affix) && !playful.contains(affix))
                (affix.endsWith(QLatin1Char('-')) ? praise : ordered).append(affix);
        }
        return ordered + ending + praise + playful;
    }();
    return list;
}

bool isBrandOnly(const QString &affix)
{
    static const QStringList brandOnly{QStringLiteral("-hq"),  QStringLiteral("get-"),  QStringLiteral("try-"),
                                       QStringLiteral("-app"), QStringLiteral("-lab"),  QStringLiteral("-labs"),
                                       QStringLiteral("use-"), QStringLiteral("join-"), QStringLiteral("meet-"),
                                       QStringLiteral("hey-"), QStringLiteral("go-"),   QStringLiteral("-go"),
                                       QStringLiteral("-up"),  QStringLiteral("we-")};
    return brandOnly.contains(affix) || isBrandableEnding(affix);
}

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

} // namespace varnex::registrar
