#include "names/registrable.h"

#include "names/name_rules.h"

#include <QList>
#include <QRegularExpression>

#include <algorithm>

namespace varnex::registrar {

namespace {

// A language a registry takes internationalised names in: its scripts, and for
// the Latin script the letters beyond a-z that its table lists (a script's
// other languages take letters the table does not).
struct Language {
    QList<QChar::Script> scripts;
    QString letters; // empty: any letter of its scripts
};

// The letters each Latin-script table adds to a-z, as registrars list the
// .org and .info tables (Danish, German, Hungarian, Icelandic, Latvian,
// Lithuanian, Polish, Swedish; e.g. speednames.com/idn-list); Spanish,
// Finnish, Norwegian and Portuguese, whose letters no list found gives, with
// the letters of their alphabets. No German table those lists give has "ß".
const Language kDanish{{QChar::Script_Latin}, QStringLiteral("æøåäöüé")};
const Language kGerman{{QChar::Script_Latin}, QStringLiteral("äöü")};
const Language kHungarian{{QChar::Script_Latin}, QStringLiteral("áéíóöőúüű")};
const Language kIcelandic{{QChar::Script_Latin}, QStringLiteral("áðéíóúýþæö")};
const Language kLatvian{{QChar::Script_Latin}, QStringLiteral("āēīūōķļņŗģščž")};
const Language kLithuanian{{QChar::Script_Latin}, QStringLiteral("ąęįųčėšūž")};
const Language kPolish{{QChar::Script_Latin}, QStringLiteral("óąćęłńśżź")};
const Language kSpanish{{QChar::Script_Latin}, QStringLiteral("áéíñóúü")};
const Language kSwedish{{QChar::Script_Latin}, QStringLiteral("åäöüé")};
const Language kFinnish{{QChar::Script_Latin}, QStringLiteral("åäöšž")};
const Language kNorwegian{{QChar::Script_Latin}, QStringLiteral("æøå")};
const Language kPortuguese{{QChar::Script_Latin}, QStringLiteral("áàâãçéêíóôõúü")};
// Other scripts are taken whole: their tables list thousands of characters.
const Language kChinese{{QChar::Script_Han}, {}};
const Language kJapanese{{QChar::Script_Han, QChar::Script_Hiragana, QChar::Script_Katakana}, {}};
const Language kKorean{{QChar::Script_Hangul}, {}};
const Language kCyrillic{{QChar::Script_Cyrillic}, {}};

struct EndingRules {
    QString ending;
    bool everyScript = false;  // any one script valid under IDNA2008, as the general name rules check it
    QList<Language> languages; // otherwise: internationalised names only in these; none: no such names
    bool reservesNumbers = false;
};

const QList<EndingRules> &endingRules()
{
    static const QList<EndingRules> rules{
        // Verisign, "Internationalized Domain Name Registration Rules"
        // (verisign.com/resources/internationalized-domain-names/idn-registration-rules):
        // any script IDNA2008 allows, one script a label except where a
        // language's own table mixes them (Chinese, Japanese, Korean): what
        // checkLabel() already asks.
        {QStringLiteral("com"), true, {}, false},
        {QStringLiteral("net"), true, {}, false},
        // Public Interest Registry, ".org IDNs" (pir.org/products/org-domain/org-idns):
        // Chinese, Danish, German, Hungarian, Icelandic, Korean, Latvian,
        // Lithuanian, Polish, Spanish, Swedish, and the Cyrillic-script
        // languages (Belarusian, Bosnian, Bulgarian, Macedonian, Russian,
        // Serbian, Ukrainian); their tables are in IANA's Repository of IDN
        // Practices.
        {QStringLiteral("org"),
         false,
         {kChinese, kDanish, kGerman, kHungarian, kIcelandic, kKorean, kLatvian, kLithuanian, kPolish, kSpanish,
          kSwedish, kCyrillic},
         false},
        // Neustar's .biz registry (now GoDaddy Registry), "IDN Frequently Asked
        // Questions" (neustar.biz: 15 languages) and its IDN language tags as
        // registrars list them (HEXONET's wiki): Chinese, Danish, Finnish,
        // German, Hungarian, Icelandic, Japanese, Korean, Latvian, Lithuanian,
        // Norwegian, Polish, Portuguese, Spanish, Swedish.
        {QStringLiteral("biz"),
         false,
         {kChinese, kDanish, kFinnish, kGerman, kHungarian, kIcelandic, kJapanese, kKorean, kLatvian, kLithuanian,
          kNorwegian, kPolish, kPortuguese, kSpanish, kSwedish},
         false},
        // Afilias' .info registry (now Identity Digital), its IDN FAQ
        // (info.info/faq) and the registrars' list of its tables: Danish,
        // German, Hungarian, Icelandic, Korean, Latvian, Lithuanian, Polish,
        // Spanish, Swedish. Identity Digital's IDN policy page names no table
        // per ending, so nothing later is taken.
        {QStringLiteral("info"),
         false,
         {kDanish, kGerman, kHungarian, kIcelandic, kKorean, kLatvian, kLithuanian, kPolish, kSpanish, kSwedish},
         false},
        // The .us registry (usTLD, run by Neustar, now GoDaddy Registry) has
        // no IDN table in IANA's repository and registrars list it as taking
        // no IDN; its FAQ ("Where can I see a list of reserved .US names?",
        // nic.us) reserves all numbers of five digits and higher, ZIP+4 codes
        // (five digits, a hyphen, four) and all telephone numbers.
        {QStringLiteral("us"), false, {}, true},
    };
    return rules;
}

bool isAsciiLdh(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-';
}

bool takes(const Language &language, char32_t c)
{
    if (c < 0x80 && isAsciiLdh(QChar(char16_t(c))))
        return true;
    if (!language.letters.isEmpty())
        return c < 0x10000 && language.letters.contains(QChar(char16_t(c)));
    const QChar::Script script = QChar::script(c);
    return language.scripts.contains(script) || script == QChar::Script_Common || script == QChar::Script_Inherited;
}

bool fits(const Language &language, const QList<uint> &label)
{
    return std::all_of(label.begin(), label.end(), [&](uint c) { return takes(language, c); });
}

// The shapes the .us policy reserves: a number of five digits or more, a ZIP+4
// code, or a telephone number (seven or ten digits, or eleven after a 1),
// however hyphens part them.
std::optional<QString> reservedNumber(const QString &label)
{
    static const QRegularExpression digitsAndHyphens(QRegularExpression::anchoredPattern(QStringLiteral("[0-9-]+")));
    static const QRegularExpression zipPlusFour(
        QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{5}-[0-9]{4}")));
    if (!digitsAndHyphens.match(label).hasMatch())
        return std::nullopt;
    const QString digits = QString(label).remove(QLatin1Char('-'));
    if (!label.contains(QLatin1Char('-')) && digits.size() >= 5)
        return QStringLiteral("its registry reserves every number of five digits or more");
    if (zipPlusFour.match(label).hasMatch())
        return QStringLiteral("its registry reserves ZIP+4 codes");
    if (digits.size() == 7 || digits.size() == 10 || (digits.size() == 11 && digits.startsWith(QLatin1Char('1'))))
        return QStringLiteral("its registry reserves telephone numbers");
    return std::nullopt;
}

// The first character none of the ending's languages takes, for the reason.
std::optional<char32_t> untaken(const EndingRules &rules, const QList<uint> &label)
{
    for (const uint c : label) {
        if (std::none_of(rules.languages.begin(), rules.languages.end(),
                         [c](const Language &language) { return takes(language, c); }))
            return c;
    }
    return std::nullopt;
}

std::optional<QString> whyNotInternationalised(const EndingRules &rules, const QString &label)
{
    const QList<uint> points = label.toUcs4();
    if (rules.everyScript || std::all_of(points.begin(), points.end(), [](uint c) { return c < 0x80; }))
        return std::nullopt;
    if (rules.languages.isEmpty())
        return QStringLiteral("its registry sells no internationalised names");
    if (std::any_of(rules.languages.begin(), rules.languages.end(),
                    [&](const Language &language) { return fits(language, points); }))
        return std::nullopt;
    if (const std::optional<char32_t> c = untaken(rules, points))
        return QStringLiteral("none of the languages its registry sells names in writes \"%1\"")
            .arg(QString::fromUcs4(&*c, 1));
    return QStringLiteral("no one language its registry sells names in writes all of its letters");
}

} // namespace

std::optional<QString> whyNotRegistrable(const QString &domain)
{
    const QString ending = domain.section(QLatin1Char('.'), -1).toLower();
    const auto rules = std::find_if(endingRules().begin(), endingRules().end(),
                                    [&](const EndingRules &candidate) { return candidate.ending == ending; });
    if (rules == endingRules().end())
        return std::nullopt;
    const QString label = displayName(domain.section(QLatin1Char('.'), 0, -2).toLower());
    std::optional<QString> why = rules->reservesNumbers ? reservedNumber(label) : std::nullopt;
    if (!why)
        why = whyNotInternationalised(*rules, label);
    if (!why)
        return std::nullopt;
    return QStringLiteral("not registrable under .%1: %2").arg(ending, *why);
}

} // namespace varnex::registrar
