#include "names/other_languages.h"

#include "names/wordnet_text.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <array>
#include <string>

namespace varnex::registrar {

namespace {

constexpr std::array kLists{std::pair{"ngerman", Field::German}, std::pair{"spanish", Field::Spanish},
                            std::pair{"french", Field::French}};
// Shorter words are no keywords to tell apart, and many look like English ones.
constexpr size_t kShortestWord = 4;

constexpr std::uint32_t kFnvBasis = 2166136261u; // FNV-1a, 32 bits
constexpr std::uint32_t kFnvPrime = 16777619u;

void mix(std::uint32_t &hash, std::string_view bytes)
{
    for (const char c : bytes) {
        hash ^= std::uint8_t(c);
        hash *= kFnvPrime;
    }
}

std::uint32_t hashOf(std::string_view text)
{
    std::uint32_t hash = kFnvBasis;
    mix(hash, text);
    return hash;
}

// A letter of the Latin-1 range as typed without its accent, in the German
// way ("ä" as "ae") or the plain way ("ä" as "a"); empty for no such letter.
std::string_view plainLetter(unsigned char second, bool german)
{
    static constexpr std::string_view plain[32] = {"a", "a", "a", "a", "a", "a", "ae", "c", "e",  "e", "e",
                                                   "e", "i", "i", "i", "i", "d", "n",  "o", "o",  "o", "o",
                                                   "o", "",  "o", "u", "u", "u", "u",  "y", "th", "y"};
    if (german && (second == 0xa4 || second == 0xb6 || second == 0xbc)) // ä ö ü
        return second == 0xa4 ? "ae" : second == 0xb6 ? "oe" : "ue";
    if (second == 0x9f) // ß
        return "ss";
    if (second < 0xa0 || second > 0xbf)
        return {};
    return plain[second - 0xa0];
}

// The hashes of a listed word in lower case: in its own letters, in the
// German plain way and in the plain way. Hashed as it is read, with no copy:
// the lists hold 800,000 words. False for a word that holds a character other
// than a letter a to z or of the Latin-1 range, or is too short.
bool hashForms(std::string_view line, std::array<std::uint32_t, 3> &hashes)
{
    hashes.fill(kFnvBasis);
    size_t letters = 0;
    for (size_t i = 0; i < line.size(); ++i, ++letters) {
        const unsigned char c = std::uint8_t(line[i]);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            const char lower = char(c | 0x20);
            for (std::uint32_t &hash : hashes)
                mix(hash, std::string_view(&lower, 1));
            continue;
        }
        if (c == 0xc5 && i + 1 < line.size() && (std::uint8_t(line[i + 1]) | 1) == 0x93) { // Œ œ
            mix(hashes[0], "\xc5\x93");
            mix(hashes[1], "oe");
            mix(hashes[2], "oe");
            ++i;
            continue;
        }
        if (c != 0xc3 || i + 1 >= line.size())
            return false;
        unsigned char second = std::uint8_t(line[++i]);
        if (second >= 0x80 && second <= 0x9e && second != 0x97)
            second += 0x20; // upper to lower case
        const std::string_view german = plainLetter(second, true);
        const std::string_view plain = plainLetter(second, false);
        if (german.empty() || plain.empty())
            return false;
        const char own[2] = {char(0xc3), char(second)};
        mix(hashes[0], std::string_view(own, 2));
        mix(hashes[1], german);
        mix(hashes[2], plain);
    }
    return letters >= kShortestWord;
}

} // namespace

bool OtherLanguages::load(const QString &folder, QString *error)
{
    for (size_t i = 0; i < kLists.size(); ++i) {
        // Mapped, not read: the lists' 10 MB leave no heap behind once hashed.
        QFile file(QDir(folder).filePath(QLatin1String(kLists[i].first)));
        const uchar *bytes = file.open(QIODevice::ReadOnly) ? file.map(0, file.size()) : nullptr;
        if (!bytes) {
            if (error)
                *error = QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
            return false;
        }
        const std::string_view text(reinterpret_cast<const char *>(bytes), size_t(file.size()));
        // One allocation, a little over what the words need (1.42 forms a line in
        // Debian's lists: most have one, some two or three, "fußball", "fussball"),
        // so growing leaves no heap behind.
        const size_t lines = size_t(std::count(text.begin(), text.end(), '\n'));
        std::array<std::uint32_t, 3> forms{};
        std::vector<std::uint32_t> &hashes = m_hashes[i];
        hashes.clear();
        hashes.reserve(lines + lines / 2);
        wordnet::forEachLine(text, [&](std::string_view line) {
            if (!hashForms(line, forms))
                return;
            hashes.push_back(forms[0]);
            for (size_t f = 1; f < forms.size(); ++f) {
                if (forms[f] != forms[0] && forms[f] != forms[f - 1])
                    hashes.push_back(forms[f]);
            }
        });
        std::sort(hashes.begin(), hashes.end());
        hashes.erase(std::unique(hashes.begin(), hashes.end()), hashes.end());
    }
    return true;
}

bool OtherLanguages::lists(Field language, const QString &word) const
{
    for (size_t i = 0; i < kLists.size(); ++i) {
        if (kLists[i].second == language) {
            const QByteArray utf8 = word.toUtf8();
            const std::uint32_t hash = hashOf(std::string_view(utf8.constData(), size_t(utf8.size())));
            return std::binary_search(m_hashes[i].begin(), m_hashes[i].end(), hash);
        }
    }
    return false;
}

std::vector<QString> OtherLanguages::shopAndMaker(Field language, const QString &word) const
{
    struct Ending {
        Field language;
        const char *shop, *maker;
    };
    static constexpr std::array kEndings{
        Ending{Field::German, "erei", "er"},   Ending{Field::Spanish, "ería", "ero"},
        Ending{Field::Spanish, "eria", "ero"}, Ending{Field::French, "erie", "ier"},
        Ending{Field::French, "erie", "er"},
    };
    // French makes most makers in "-ier" ("épicier"); the "-er" word of a shop is
    // mostly a verb ("crêper", "brûler"), a maker only after "g" or "ch"
    // ("boulanger", "boucher", "fromager").
    const auto frenchVerb = [&](const QString &other) {
        return language == Field::French && other.endsWith(QLatin1String("er")) && !other.endsWith(QLatin1String("ier"))
               && !other.endsWith(QLatin1String("ger")) && !other.endsWith(QLatin1String("cher"));
    };
    std::vector<QString> found;
    for (const Ending &ending : kEndings) {
        if (ending.language != language)
            continue;
        const QString shop = QString::fromUtf8(ending.shop), maker = QString::fromUtf8(ending.maker);
        QString other;
        if (word.endsWith(shop))
            other = word.chopped(shop.size()) + maker;
        else if (word.endsWith(maker)) // the list says which reading holds: no "patissierie"
            other = word.chopped(maker.size()) + shop;
        if (!other.isEmpty() && other != word && lists(language, other) && !frenchVerb(other)
            && std::find(found.begin(), found.end(), other) == found.end())
            found.push_back(other);
    }
    return found;
}

std::optional<Field> OtherLanguages::languageOf(const QString &word,
                                                const std::function<bool(const QString &)> &english) const
{
    if (size_t(word.size()) < kShortestWord)
        return std::nullopt;
    // German joins nouns at will, and its list holds few of the joins: two of
    // its words make one ("getränke" and "markt"). Long enough that no short
    // made-up name reads as two.
    constexpr qsizetype kShortestJoin = 9, kShortestPart = 4;
    // A join its list holds of two English words reads as English: "personal chef", never
    // German's "Personalchef" (the head of staff).
    const auto twoEnglishWords = [&] {
        for (qsizetype at = kShortestPart; word.size() >= kShortestJoin && at + kShortestPart <= word.size(); ++at) {
            if (english(word.left(at)) && english(word.mid(at)))
                return true;
        }
        return false;
    };
    for (const auto &[name, language] : kLists) {
        if (lists(language, word))
            return language == Field::German && twoEnglishWords() ? std::nullopt : std::optional<Field>(language);
    }
    // Nor is a join that reads as two English words anywhere German's: "laptop stand", never
    // German's "Laptops" and "Tand".
    for (qsizetype at = kShortestPart;
         !twoEnglishWords() && word.size() >= kShortestJoin && at + kShortestPart <= word.size(); ++at) {
        const QString first = word.left(at), second = word.mid(at);
        if (lists(Field::German, first) && lists(Field::German, second))
            return Field::German;
    }
    // A Spanish or French phrase reaches us typed as one, its space taken out:
    // "dépannageinformatique" is two French words, though neither language joins them.
    for (const Field language : {Field::Spanish, Field::French}) {
        for (qsizetype at = kShortestPart; word.size() >= kShortestJoin && at + kShortestPart <= word.size(); ++at) {
            const QString first = word.left(at), second = word.mid(at);
            if (lists(language, first) && lists(language, second) && !english(first) && !english(second))
                return language;
        }
    }
    // A word no list holds, written with letters only one of these languages
    // uses, is that language's all the same ("hörakustik"), no made-up name.
    static const std::pair<Field, QString> kLetters[] = {
        {Field::German, QStringLiteral("äöüß")},
        {Field::Spanish, QStringLiteral("ñáíóú")},
        {Field::French, QStringLiteral("çèêàùûëïîôœâ")},
    };
    for (const auto &language : kLetters) {
        const QString &letters = language.second;
        if (std::any_of(word.begin(), word.end(), [&](QChar c) { return letters.contains(c); }))
            return language.first;
    }
    return std::nullopt;
}

QStringList kindredJoins(Field language, const QString &word)
{
    // A school is an academy or a centre just as well; the stem must say what of ("tanz",
    // "sprach"), so no bare "schule" takes them.
    constexpr qsizetype kShortestStem = 3;
    static const QString school = QStringLiteral("schule");
    if (language != Field::German || !word.endsWith(school) || word.size() < school.size() + kShortestStem)
        return {};
    const QString stem = word.chopped(school.size());
    return {stem + QStringLiteral("akademie"), stem + QStringLiteral("zentrum")};
}

} // namespace varnex::registrar
