#include "names/short_forms.h"

#include <QHash>
#include <QRegularExpression>

namespace varnex::registrar {

namespace {

// How much less each reads like the words typed: the written-out short forms
// first, as people write opening hours ("24hr", "24h"), then "247" (round the
// clock), then a "-ing" word cut to its stem after a number ("3dprint"), then
// the number moved after the rest ("pharmacy24").
constexpr double kHoursShort = 0.5;
constexpr double kHoursShorter = 0.7;
constexpr double kRoundTheClock = 0.6;
constexpr double kStem = 0.5;
constexpr double kNumberAfter = 0.5;
// A small count written out as it is said: "threepiecesuits", "sevenseatertaxi".
constexpr double kSpelledOut = 0.6;
// "swimlessons" is how a swim school writes itself, a little below "swimminglessons".
constexpr double kPastimeStem = 0.3;

// The word for a count of one to twelve, or none.
QString spelledOut(const QString &word)
{
    static const QStringList counts{"one",   "two",   "three", "four", "five",   "six",
                                    "seven", "eight", "nine",  "ten",  "eleven", "twelve"};
    bool ok = false;
    const int count = word.toInt(&ok);
    return ok && word.front() != QLatin1Char('0') && count >= 1 && count <= counts.size() ? counts[count - 1]
                                                                                          : QString();
}

bool isNumber(const QString &word)
{
    return !word.isEmpty() && std::all_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
}

bool isHours(const QString &word)
{
    return word == QLatin1String("hour") || word == QLatin1String("hours") || word == QLatin1String("hr")
           || word == QLatin1String("h");
}

QStringList replaced(QStringList words, qsizetype at, qsizetype count, const QString &by)
{
    words.remove(at, count);
    words.insert(at, by);
    return words;
}

} // namespace

QString pastimeStem(const QString &word)
{
    static const QHash<QString, QString> stems{
        {"swimming", "swim"},        {"surfing", "surf"},
        {"kitesurfing", "kitesurf"}, {"windsurfing", "windsurf"},
        {"diving", "dive"},          {"dancing", "dance"},
        {"skating", "skate"},        {"skateboarding", "skateboard"},
        {"skiing", "ski"},           {"snowboarding", "snowboard"},
        {"kayaking", "kayak"},       {"paddleboarding", "paddleboard"},
        {"snorkeling", "snorkel"},   {"snorkelling", "snorkel"},
    };
    return stems.value(word);
}

QString clippedForeignWord(Field language, const QString &word)
{
    // Each word in its accented and its plain spelling, as either may be typed.
    static const QHash<QString, QString> german{
        {"informatik", "info"}, {"immobilien", "immo"},  {"fotografie", "foto"},
        {"automobil", "auto"},  {"restaurant", "resto"},
    };
    static const QHash<QString, QString> spanish{
        {"informática", "info"}, {"informatica", "info"}, {"inmobiliaria", "inmo"},
        {"fotografía", "foto"},  {"fotografia", "foto"},  {"automóviles", "auto"},
        {"automoviles", "auto"}, {"bicicletas", "bici"},  {"bicicleta", "bici"},
    };
    static const QHash<QString, QString> french{
        {"informatique", "info"},  {"immobilière", "immo"},   {"immobiliere", "immo"}, {"immobilier", "immo"},
        {"photographie", "photo"}, {"restaurant", "resto"},   {"vétérinaire", "veto"}, {"veterinaire", "veto"},
        {"ordinateur", "ordi"},    {"appartement", "appart"}, {"automobile", "auto"},  {"publicité", "pub"},
        {"publicite", "pub"},
    };
    switch (language) {
    case Field::German:
        return german.value(word);
    case Field::Spanish:
        return spanish.value(word);
    case Field::French:
        return french.value(word);
    default:
        return {};
    }
}

QList<ShortForm> shortForms(const QStringList &typedWords, const WordKnowledge &knowledge)
{
    // "24h" and "24hr" are a number and its hours.
    static const QRegularExpression hoursToken(QStringLiteral("^(\\d+)(h|hr)$"));
    QStringList words;
    for (const QString &word : typedWords) {
        const QRegularExpressionMatch match = hoursToken.match(word);
        words += match.hasMatch() ? QStringList{match.captured(1), match.captured(2)} : QStringList{word};
    }
    QList<ShortForm> forms;
    for (qsizetype i = 0; i + 1 < words.size(); ++i) {
        const QString &next = words[i + 1];
        if (isNumber(words[i]) && isHours(next)) {
            // The other ways to write it: "24h" gives "24hr", "24hour" and "247".
            for (const auto &[unit, penalty] :
                 {std::pair{"hr", kHoursShort}, std::pair{"h", kHoursShorter}, std::pair{"hour", kHoursShorter}}) {
                if (next != QLatin1String(unit))
                    forms.append({replaced(words, i, 2, words[i] + QLatin1String(unit)), penalty});
            }
            if (words[i] == QLatin1String("24"))
                forms.append({replaced(words, i, 2, QStringLiteral("247")), kRoundTheClock});
        } else if (const QString count = spelledOut(words[i]);
                   !count.isEmpty() && next.front().isLetter() && (i == 0 || words[i - 1].size() > 1)) {
            // A count, not a number in a code: "f1", "k9" are never "fone", "knine".
            forms.append({replaced(words, i, 1, count), kSpelledOut});
        } else if (static const QRegularExpression decade(QStringLiteral("^1[89](\\d0s)$"));
                   decade.match(words[i]).hasMatch()) {
            // A decade as people say it: "50sdiner" for "1950s diner".
            forms.append({replaced(words, i, 1, decade.match(words[i]).captured(1)), kHoursShort});
        } else if (words[i].front().isDigit() && (i == 0 || words[i - 1].size() > 1)
                   && next.endsWith(QLatin1String("ing")) && knowledge.isWord(next.chopped(3))) {
            // After a number and its unit only, not in a code: "3dprint" is said, "k9train" is not.
            forms.append({replaced(words, i + 1, 1, next.chopped(3)), kStem});
        }
    }
    // A pastime beside another word, by its short noun: "swimlessons", "kidsswim".
    if (words.size() > 1) {
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString stem = pastimeStem(words[i]);
            if (!stem.isEmpty() && (i == 0 || !knowledge.isCompound(words[i - 1], words[i])))
                forms.append({replaced(words, i, 1, stem), kPastimeStem});
        }
    }
    // A leading number (and its "hour") after the rest: "pharmacy24", "photobooth360".
    // Only one that says round the clock, all year or all round: a count after
    // its noun reads as no count ("asidefootball5" for "5 a side football").
    const auto roundNumber = [](const QString &word) {
        return word == QLatin1String("24") || word == QLatin1String("247") || word == QLatin1String("365")
               || word == QLatin1String("360");
    };
    if (words.size() > 1 && isNumber(words.first()) && (isHours(words[1]) || roundNumber(words.first()))) {
        const bool hours = isHours(words[1]);
        const QStringList rest = words.mid(hours ? 2 : 1);
        if (!rest.isEmpty()) {
            forms.append({rest + QStringList{words.first()}, kNumberAfter});
            if (hours && words.first() == QLatin1String("24"))
                forms.append({rest + QStringList{QStringLiteral("247")}, kNumberAfter});
        }
    }
    return forms;
}

} // namespace varnex::registrar
