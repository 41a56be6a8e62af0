#include "first_choices.h"

#include "names/ascii_forms.h"

#include <QFile>
#include <QRegularExpression>

namespace varnex::bench {

namespace {

// Words that hold a phrase together; no label is judged by them.
const QStringList kGlue{"a",    "an", "and", "the", "of",   "for",  "to", "in", "on",  "at",   "by",
                        "with", "or", "my",  "our", "your", "near", "me", "i",  "can", "where"};

std::optional<QByteArray> readAll(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

// "24hour pharmacy" gives 24, hour, pharmacy; "t-shirt" gives t, shirt.
QStringList runsOf(const QString &token)
{
    static const QRegularExpression run(QStringLiteral("[0-9]+|[^0-9]+"));
    QStringList runs;
    for (auto it = run.globalMatch(token); it.hasNext();)
        runs.append(it.next().captured());
    return runs;
}

QStringList tokensOf(const QString &keyword)
{
    static const QRegularExpression breaks(QStringLiteral("[ -]+"));
    return keyword.toLower().split(breaks, Qt::SkipEmptyParts);
}

bool endsWithAny(const QString &label, const QStringList &words, const QString &after)
{
    return std::any_of(words.begin(), words.end(),
                       [&](const QString &word) { return word.size() >= 3 && label.endsWith(word + after); });
}

// A letter-digit token read backwards: "hour24" for "24hour", "d3" for "3d".
bool swapsDigits(const QString &keyword, const QString &label)
{
    for (const QString &token : tokensOf(keyword)) {
        const QStringList runs = runsOf(token);
        for (qsizetype i = 0; i + 1 < runs.size(); ++i) {
            // "4x4rental" holds "x4", but in the typed order.
            if (label.contains(runs[i + 1] + runs[i]) && !label.contains(token))
                return true;
        }
    }
    return false;
}

// The typed words in stretches a glue word ends: "family friendly campground",
// "lake access", "asheville". Words read in a fixed order only within one; a
// phrase's parts may change places ("ashevillecampground").
QList<QStringList> letterStretches(const QString &keyword)
{
    QList<QStringList> stretches{QStringList()};
    for (const QString &token : tokensOf(keyword)) {
        for (const QString &run : runsOf(token)) {
            if (kGlue.contains(run) && !stretches.last().isEmpty())
                stretches.append(QStringList());
            else if (run.size() >= 2 && !run.front().isDigit() && !kGlue.contains(run))
                stretches.last().append(run);
        }
    }
    return stretches;
}

bool swapsWords(const QStringList &words, const QString &label)
{
    for (qsizetype i = 0; i < words.size(); ++i) {
        for (qsizetype j = i + 1; j < words.size(); ++j) {
            const qsizetype first = label.indexOf(words[i]);
            const qsizetype second = label.indexOf(words[j]);
            if (first >= 0 && second >= 0 && second + words[j].size() <= first)
                return true;
        }
    }
    return false;
}

} // namespace

std::optional<std::vector<FirstChoices>> readFirstChoices(const QString &path, QString *error)
{
    const std::optional<QByteArray> text = readAll(path, error);
    if (!text)
        return std::nullopt;
    std::vector<FirstChoices> references;
    for (const QByteArray &line : text->split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList columns = QString::fromUtf8(line).split(QLatin1Char('\t'));
        if (columns.size() != 5) {
            *error = QStringLiteral("%1: not five columns: %2").arg(path, QString::fromUtf8(line));
            return std::nullopt;
        }
        references.push_back({columns[0], columns[1], columns[2] == QLatin1String("fixed"),
                              columns[3].split(QLatin1Char(' '), Qt::SkipEmptyParts),
                              columns[4].split(QLatin1Char(' '), Qt::SkipEmptyParts)});
    }
    return references;
}

std::optional<FormRules> FormRules::load(QString *error)
{
    FormRules rules;
    const std::optional<QByteArray> english = readAll(QStringLiteral("/usr/share/dict/american-english"), error);
    if (!english)
        return std::nullopt;
    for (const QByteArray &word : english->split('\n'))
        rules.m_english.insert(QString::fromLatin1(word));
    for (const char *list : {"/usr/share/dict/ngerman", "/usr/share/dict/spanish", "/usr/share/dict/french"}) {
        const std::optional<QByteArray> words = readAll(QString::fromLatin1(list), error);
        if (!words)
            return std::nullopt;
        for (const QByteArray &line : words->split('\n')) {
            const QString word = QString::fromUtf8(line).toLower();
            rules.m_foreign.insert(word);
            // Accents and umlauts dropped, "ß" as "ss": what a keyboard without them gives.
            QString plain = word.normalized(QString::NormalizationForm_KD);
            plain.remove(QRegularExpression(QStringLiteral("\\p{Mn}")));
            rules.m_foreign.insert(plain.replace(QChar(0xdf), QLatin1String("ss")));
            if (QLatin1String(list).endsWith(QLatin1String("spanish"))) {
                rules.m_spanish.insert(word);
                rules.m_spanish.insert(plain);
            }
        }
    }
    return rules;
}

// The typed words (three letters or more, and digits), their plain-ASCII
// forms and singulars, and the whole keyword run together.
QStringList FormRules::typedForms(const FirstChoices &reference) const
{
    QStringList forms;
    for (const QString &token : tokensOf(reference.keyword)) {
        for (const QString &run : runsOf(token) + QStringList{token}) {
            if ((run.size() >= 3 || run.front().isDigit()) && !kGlue.contains(run))
                forms.append(run);
        }
    }
    forms.append(reference.keyword.toLower().remove(QLatin1Char(' ')).remove(QLatin1Char('-')));
    for (const QString &form : QStringList(forms)) {
        forms += varnex::registrar::plainAsciiForms(form);
        if (form.size() > 4 && form.endsWith(QLatin1Char('s')))
            forms.append(form.chopped(1));
    }
    return forms;
}

QString FormRules::malformedRule(const FirstChoices &reference, const QString &label) const
{
    const QString joined = QString(label).remove(QLatin1Char('-'));
    if (swapsDigits(reference.keyword.toLower(), joined))
        return QStringLiteral("digits swapped");
    if (reference.fixedOrder) {
        const QList<QStringList> stretches = letterStretches(reference.keyword);
        if (std::any_of(stretches.begin(), stretches.end(),
                        [&](const QStringList &words) { return swapsWords(words, joined); }))
            return QStringLiteral("words swapped");
    }
    QStringList typed = typedForms(reference);
    typed.removeIf([](const QString &word) { return word.front().isDigit(); });
    // A label that ends in a typed word as typed holds no plural of it: "meinmöbelhaus"
    // is no "möbelhau" and an "s".
    const QStringList tokens = tokensOf(reference.keyword);
    const QString lastTyped = tokens.isEmpty() ? QString() : tokens.last();
    const bool endsAsTyped =
        !lastTyped.isEmpty()
        && endsWithAny(joined, QStringList{lastTyped} + varnex::registrar::plainAsciiForms(lastTyped), {});
    for (const QString &after : endsAsTyped ? QStringList() : QStringList{QStringLiteral("s"), QStringLiteral("es")}) {
        QStringList ing = typed;
        ing.removeIf([](const QString &word) { return !word.endsWith(QLatin1String("ing")); });
        if (endsWithAny(joined, ing, after))
            return QStringLiteral("-ing plural");
        if (reference.kind == QLatin1String("brand") && endsWithAny(joined, typed, after))
            return QStringLiteral("plural of a made-up name");
        if (reference.kind == QLatin1String("foreign") && endsWithAny(joined, typed, after)) {
            // Its language's own plural: one its list holds, or Spanish's by rule (the list holds
            // few): "-s" after a vowel, "-es" after a consonant ("mercerías", "abogados"), of a
            // word the list holds or one only Spanish writes so ("tortillerías").
            const auto spanishPlural = [&](const QString &word) {
                const bool vowel = QStringLiteral("aeiouáéíóú").contains(word.back());
                const bool spanishOnly =
                    std::any_of(word.begin(), word.end(), [](QChar c) { return QStringLiteral("áíóúñ").contains(c); });
                return (m_spanish.contains(word) || spanishOnly) && (after == QLatin1String("s")) == vowel;
            };
            // As typed or in its plain form ("gestorias" of "gestorías").
            const bool ownPlural = std::any_of(typed.begin(), typed.end(), [&](const QString &word) {
                const QStringList forms = QStringList{word} + varnex::registrar::plainAsciiForms(word);
                const bool ends = std::any_of(forms.begin(), forms.end(),
                                              [&](const QString &form) { return joined.endsWith(form + after); });
                return ends && (m_foreign.contains(word + after) || spanishPlural(word));
            });
            if (!ownPlural)
                return QStringLiteral("English plural of a foreign word");
        }
    }
    if (reference.kind != QLatin1String("brand")) {
        for (const QString ending : {"ly", "ify", "io", "ster"}) {
            if (joined.endsWith(ending)
                && (endsWithAny(joined.chopped(ending.size()), typed, {})
                    || endsWithAny(joined.chopped(ending.size()), reference.related, {})))
                return QStringLiteral("brandable ending on a word");
        }
    }
    const QStringList parts = label.split(QLatin1Char('-'));
    const QStringList typedParts = tokensOf(reference.keyword);
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const bool typedPair = typedParts.indexOf(parts[i]) >= 0 && typedParts.indexOf(parts[i]) + 1 < typedParts.size()
                               && typedParts[typedParts.indexOf(parts[i]) + 1] == parts[i + 1];
        if (!typedPair && m_english.contains(parts[i] + parts[i + 1]))
            return QStringLiteral("hyphen splits a word");
    }
    return {};
}

FormReport FormRules::judge(const FirstChoices &reference, const QStringList &labels) const
{
    FormReport report;
    const QStringList typed = typedForms(reference);
    QStringList typedLongestFirst = typed;
    std::sort(typedLongestFirst.begin(), typedLongestFirst.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    // The related words that say more than the typed ones: "smith" is part of
    // "blacksmith" and "blacksmiths" its plural, where "housesitter" is a word
    // of its own, though "house sitting" holds its "house".
    QStringList otherWords = reference.related;
    otherWords.removeIf([&](const QString &word) {
        return std::any_of(typed.begin(), typed.end(), [&](const QString &form) {
            return form.contains(word) || word == form + QLatin1Char('s') || word == form + QLatin1String("es");
        });
    });
    for (const QString &label : labels) {
        const QString joined = QString(label).remove(QLatin1Char('-'));
        report.otherWordLabels += std::any_of(otherWords.begin(), otherWords.end(),
                                              [&](const QString &word) { return joined.contains(word); })
                                      ? 1
                                      : 0;
        report.hyphenatedLabels += label.contains(QLatin1Char('-')) ? 1 : 0;
        const bool holdsTyped =
            std::any_of(typed.begin(), typed.end(), [&](const QString &word) { return joined.contains(word); });
        const bool holdsRelated = std::any_of(reference.related.begin(), reference.related.end(),
                                              [&](const QString &word) { return joined.contains(word); });
        report.relatedLabels += !holdsTyped && holdsRelated ? 1 : 0;
        // What is left once the typed words are taken out, longest first: a
        // related word there takes a typed word's place ("drugstore" in
        // "24hourdrugstore"), where "dogfood" in "organicdogfood" is only typed.
        QString rest = joined;
        for (const QString &word : typedLongestFirst)
            rest.replace(word, QStringLiteral(" "));
        report.insteadLabels += std::any_of(reference.related.begin(), reference.related.end(),
                                            [&](const QString &word) { return rest.contains(word); })
                                    ? 1
                                    : 0;
        if (const QString rule = malformedRule(reference, label); !rule.isEmpty())
            report.malformed.append(QStringLiteral("%1 (%2)").arg(label, rule));
    }
    return report;
}

} // namespace varnex::bench
