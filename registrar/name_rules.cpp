#include "name_rules.h"

#include <QRegularExpression>
#include <QUrl>

namespace varnex::registrar {

namespace {

constexpr qsizetype kMaxLabel = 63;
constexpr qsizetype kMaxSuggestions = 12;

bool isValidLabel(const QString &label)
{
    // Anchored on the whole text: a plain "$" would also accept a trailing line feed.
    static const QRegularExpression valid(
        QRegularExpression::anchoredPattern(QStringLiteral("[a-z0-9](?:[a-z0-9-]{0,61}[a-z0-9])?")));
    return valid.match(label).hasMatch();
}

} // namespace

std::optional<QString> labelFor(const QString &requested)
{
    QString name = requested;
    name.remove(QLatin1Char(' '));
    name = name.toLower();
    for (const QString &ending : kEndings) {
        if (name.endsWith(QLatin1Char('.') + ending)) {
            name.chop(ending.size() + 1);
            break;
        }
    }
    if (name.isEmpty())
        return std::nullopt;
    // Only a name with something beyond ASCII needs its ACE form; toAce() also
    // refuses what IDNA does not allow.
    bool ascii = true;
    for (const QChar c : name)
        ascii = ascii && c.unicode() < 0x80;
    const QString label = ascii ? name : QString::fromLatin1(QUrl::toAce(name));
    if (!isValidLabel(label))
        return std::nullopt;
    return label;
}

QStringList candidatesFor(const QString &label)
{
    QStringList names;
    for (const QString &ending : kEndings)
        names.append(label + QLatin1Char('.') + ending);

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
    variants.removeIf([](const QString &variant) { return variant.size() > kMaxLabel; });

    QStringList suggestions;
    for (const char *ending : {".com", ".net"}) {
        for (const QString &variant : variants) {
            if (suggestions.size() < kMaxSuggestions)
                suggestions.append(variant + QLatin1String(ending));
        }
    }
    return names + suggestions;
}

} // namespace varnex::registrar
