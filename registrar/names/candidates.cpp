#include "names/candidates.h"

#include "names/name_rules.h"
#include "names/registrable.h"
#include "names/suggestions.h"

#include <optional>

namespace varnex::registrar {

namespace {

// Labels a page screens at most. A page needs 30 free names; these are
// screened by DNS cheaply, and only the best of what DNS leaves open go to
// the registries.
constexpr int kMaxSuggestedLabels = 120;
constexpr qsizetype kLabelsWithSecondEnding = 40; // .net, then .org, when .com runs short
constexpr qsizetype kLabelsWithOtherEndings = 20;
// A good label's .net reads far better than a filler's .com, but a page still
// wants many labels and mostly .com: a few only go before the fillers.
constexpr qsizetype kSecondEndingsBeforeFillers = 5;
constexpr qsizetype kMaxAffixSuggestions = 12;

// The suggested labels' A-labels, each once, without the typed one; `named`
// becomes how many of them came from the first `named` suggestions.
QStringList asciiLabels(const QStringList &suggestions, const QString &ascii, qsizetype &named)
{
    QStringList labels;
    qsizetype namedLabels = 0;
    for (qsizetype i = 0; i < suggestions.size(); ++i) {
        const std::optional<QString> suggestedAscii = asciiLabel(suggestions[i]);
        if (suggestedAscii && *suggestedAscii != ascii && !labels.contains(*suggestedAscii)) {
            labels.append(*suggestedAscii);
            namedLabels += i < named ? 1 : 0;
        }
    }
    named = namedLabels;
    return labels;
}

// .com first: the named labels' .com, then the best few of them under .net,
// then the .com of those that only fill a page ("scarfnet"), which read far
// worse than a good name's .net; then .net and .org for the best 40, and the
// best 20 under the other endings. A page shows a label under two endings
// only when .com runs short.
QStringList underEndings(const QStringList &labels, qsizetype named)
{
    QStringList names;
    auto under = [&](const QString &ending, qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < std::min(to, labels.size()); ++i)
            names.append(labels[i] + QLatin1Char('.') + ending);
    };
    const qsizetype withNet = std::min(named, kSecondEndingsBeforeFillers);
    under(QStringLiteral("com"), 0, named);
    under(QStringLiteral("net"), 0, withNet);
    under(QStringLiteral("com"), named, labels.size());
    under(QStringLiteral("net"), withNet, kLabelsWithSecondEnding);
    under(QStringLiteral("org"), 0, kLabelsWithSecondEnding);
    for (const QString &ending : kEndings.mid(3))
        under(ending, 0, kLabelsWithOtherEndings);
    return names;
}

// Without word knowledge: the label with a few common prefixes and suffixes,
// under .com, then .net.
QStringList affixedNames(const QString &label)
{
    static const QStringList prefixes{QStringLiteral("get"), QStringLiteral("my"), QStringLiteral("the")};
    static const QStringList suffixes{QStringLiteral("online"), QStringLiteral("hq"), QStringLiteral("app")};
    QStringList variants;
    for (const QString &prefix : prefixes) {
        if (!label.startsWith(prefix)) // no "mymyshop"
            variants.append(prefix + label);
    }
    for (const QString &suffix : suffixes) {
        if (!label.endsWith(suffix))
            variants.append(label + suffix);
    }
    QStringList asciiVariants;
    for (const QString &variant : variants) {
        if (const std::optional<QString> variantAscii = asciiLabel(variant))
            asciiVariants.append(*variantAscii);
    }
    QStringList names;
    for (const char *ending : {".com", ".net"}) {
        for (const QString &variant : asciiVariants) {
            if (names.size() < kMaxAffixSuggestions)
                names.append(variant + QLatin1String(ending));
        }
    }
    return names;
}

QStringList sellable(QStringList names)
{
    names.removeIf([](const QString &name) { return whyNotRegistrable(name).has_value(); });
    return names;
}

} // namespace

QStringList candidatesFor(const QString &label, const WordKnowledge *words)
{
    const std::optional<QString> ascii = asciiLabel(label);
    if (!ascii)
        return {};
    QStringList names;
    for (const QString &ending : kEndings)
        names.append(*ascii + QLatin1Char('.') + ending);
    QStringList suggested;
    if (words) {
        qsizetype named = 0;
        const QStringList labels =
            asciiLabels(suggestedLabels(label, *words, kMaxSuggestedLabels + 1, &named), *ascii, named);
        suggested = underEndings(labels, named); // after asciiLabels() has counted `named` again
    } else {
        suggested = affixedNames(label);
    }
    // A suggestion its registry would not sell is no suggestion; the typed name
    // stays under every ending, so the page can say why it cannot be had there.
    return names + sellable(std::move(suggested));
}

QStringList candidatesForPhrase(const QString &text, const WordKnowledge *words)
{
    if (!words)
        return {};
    qsizetype named = 0;
    const QStringList labels = asciiLabels(phraseLabels(text, *words, kMaxSuggestedLabels, &named), text, named);
    return sellable(underEndings(labels, named));
}

} // namespace varnex::registrar
