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
constexpr qsizetype kMaxAffixSuggestions = 12;

// The suggested labels' A-labels, each once, without the typed one.
QStringList asciiLabels(const QStringList &suggestions, const QString &ascii)
{
    QStringList labels;
    for (const QString &suggested : suggestions) {
        const std::optional<QString> suggestedAscii = asciiLabel(suggested);
        if (suggestedAscii && *suggestedAscii != ascii && !labels.contains(*suggestedAscii))
            labels.append(*suggestedAscii);
    }
    return labels;
}

// .com first: every suggestion's .com before another ending of any, so a page
// shows a label under two endings only when .com runs short.
QStringList underEndings(const QStringList &labels)
{
    QStringList names;
    auto under = [&](const QString &ending, qsizetype count) {
        for (const QString &suggested : labels.mid(0, count))
            names.append(suggested + QLatin1Char('.') + ending);
    };
    under(QStringLiteral("com"), labels.size());
    under(QStringLiteral("net"), kLabelsWithSecondEnding);
    under(QStringLiteral("org"), kLabelsWithSecondEnding);
    for (const QString &ending : kEndings.mid(3))
        under(ending, kLabelsWithOtherEndings);
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
    QStringList suggested =
        words ? underEndings(asciiLabels(suggestedLabels(label, *words, kMaxSuggestedLabels + 1), *ascii))
              : affixedNames(label);
    // A suggestion its registry would not sell is no suggestion; the typed name
    // stays under every ending, so the page can say why it cannot be had there.
    return names + sellable(std::move(suggested));
}

QStringList candidatesForPhrase(const QString &text, const WordKnowledge *words)
{
    if (!words)
        return {};
    return sellable(underEndings(asciiLabels(phraseLabels(text, *words, kMaxSuggestedLabels), text)));
}

} // namespace varnex::registrar
