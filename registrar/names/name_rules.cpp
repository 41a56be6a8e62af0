#include "names/name_rules.h"

#include "names/ascii_forms.h"

#include <QRegularExpression>
#include <QSet>

#include <idn2.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace varnex::registrar {

namespace {

constexpr qsizetype kMaxLabel = 63;

struct FreeWithFree {
    void operator()(void *pointer) const { std::free(pointer); }
};
using Idn2String = std::unique_ptr<char, FreeWithFree>;

bool isAscii(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// Letters, digits and hyphens, no hyphen at either end; anchored on the whole
// text, since a plain "$" would also accept a trailing line feed.
bool isLdhShape(const QString &label)
{
    static const QRegularExpression valid(
        QRegularExpression::anchoredPattern(QStringLiteral("[a-z0-9](?:[a-z0-9-]{0,61}[a-z0-9])?")));
    return valid.match(label).hasMatch();
}

QString ldhRefusal(const QString &label)
{
    if (label.size() > kMaxLabel)
        return QStringLiteral("longer than 63 characters");
    if (label.startsWith(QLatin1Char('-')) || label.endsWith(QLatin1Char('-')))
        return QStringLiteral("it starts or ends with a hyphen");
    return QStringLiteral("use letters, digits and hyphens only");
}

// Scripts that one name may combine: Japanese and the Han of Chinese and Korean.
bool scriptsMix(const QString &label)
{
    QSet<int> scripts;
    for (const char32_t c : label.toUcs4()) {
        const QChar::Script script = QChar::script(c);
        if (script != QChar::Script_Common && script != QChar::Script_Inherited)
            scripts.insert(script);
    }
    if (scripts.size() <= 1)
        return false;
    static const QList<QSet<int>> allowed{
        {QChar::Script_Han, QChar::Script_Hiragana, QChar::Script_Katakana},
        {QChar::Script_Han, QChar::Script_Bopomofo},
        {QChar::Script_Han, QChar::Script_Hangul},
    };
    return std::none_of(allowed.begin(), allowed.end(), [&](const QSet<int> &set) { return set.contains(scripts); });
}

std::optional<QString> unicodeOf(const QString &aLabel)
{
    char *decoded = nullptr;
    if (idn2_to_unicode_8z8z(aLabel.toLatin1().constData(), &decoded, 0) != IDN2_OK)
        return std::nullopt;
    const Idn2String owned(decoded);
    return QString::fromUtf8(decoded);
}

QString refusalFor(int code)
{
    switch (code) {
    case IDN2_DISALLOWED:
    case IDN2_UNASSIGNED:
        return QStringLiteral("it holds a character that domain names do not allow");
    case IDN2_CONTEXTJ:
    case IDN2_CONTEXTO:
    case IDN2_CONTEXTJ_NO_RULE:
    case IDN2_CONTEXTO_NO_RULE:
        return QStringLiteral("it holds a joiner or mark out of its place");
    case IDN2_BIDI:
        return QStringLiteral("it mixes right-to-left and left-to-right text in a way names do not allow");
    case IDN2_LEADING_COMBINING:
        return QStringLiteral("it starts with a combining mark");
    case IDN2_TOO_BIG_LABEL:
        return QStringLiteral("longer than 63 characters in its ASCII form");
    default:
        return QStringLiteral("not a valid internationalised name");
    }
}

// The A-label of an internationalised label, checked under IDNA2008's
// registration rules and read back to the same label.
std::optional<QString> aLabelOf(const QString &unicode, QString *why)
{
    auto refuse = [why](const QString &reason) -> std::optional<QString> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    const QByteArray utf8 = unicode.toUtf8();
    char *encoded = nullptr;
    const int code = idn2_register_u8(reinterpret_cast<const uint8_t *>(utf8.constData()), nullptr,
                                      reinterpret_cast<uint8_t **>(&encoded), 0);
    const Idn2String owned(encoded);
    if (code != IDN2_OK)
        return refuse(refusalFor(code));
    const QString aLabel = QString::fromLatin1(encoded);
    if (aLabel.size() > kMaxLabel || !isLdhShape(aLabel))
        return refuse(QStringLiteral("longer than 63 characters in its ASCII form"));
    if (unicodeOf(aLabel) != unicode)
        return refuse(QStringLiteral("not a valid internationalised name"));
    return aLabel;
}

// Long typed text as letters a to z, digits and hyphens, accents written
// plainly; none for text in another script or with other characters.
std::optional<QString> phraseText(const QString &text)
{
    const QString plain = isAscii(text) ? text : plainAsciiText(text);
    static const QRegularExpression shape(
        QRegularExpression::anchoredPattern(QStringLiteral("[a-z0-9](?:[a-z0-9-]*[a-z0-9])?")));
    if (plain.isEmpty() || !shape.match(plain).hasMatch())
        return std::nullopt;
    return plain;
}

} // namespace

std::optional<QString> asciiLabel(const QString &label, QString *why)
{
    auto refuse = [why](const QString &reason) -> std::optional<QString> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (label.isEmpty())
        return refuse(QStringLiteral("no name was given"));
    if (label.contains(QLatin1Char('.')))
        return refuse(QStringLiteral("give one name without dots, or one under .com .net .org .biz .info or .us"));
    // Such characters belong to no script, so say what they are rather than that scripts mix.
    for (const char32_t point : label.toUcs4()) {
        const QChar::Category category = QChar::category(point);
        if (category == QChar::Other_PrivateUse || category == QChar::Other_NotAssigned
            || category == QChar::Other_Control || category == QChar::Other_Surrogate)
            return refuse(QStringLiteral("it holds a character that no name may hold (U+%1)")
                              .arg(QString::number(point, 16).toUpper().rightJustified(4, QLatin1Char('0'))));
    }
    if (scriptsMix(label))
        return refuse(QStringLiteral("it mixes letters of more than one script"));
    if (!isAscii(label))
        return aLabelOf(label, why);
    if (!isLdhShape(label))
        return refuse(ldhRefusal(label));
    // "ab--cd" is reserved; "xn--" starts an A-label, which must decode to a valid name.
    if (label.mid(2, 2) == QLatin1String("--"))
        return refuse(QStringLiteral("hyphens in the third and fourth places are reserved"));
    return label;
}

LabelCheck checkLabel(const QString &requested)
{
    QString name = requested;
    name.remove(QLatin1Char(' '));
    name = name.toLower().normalized(QString::NormalizationForm_C);
    for (const QString &ending : kEndings) {
        if (name.endsWith(QLatin1Char('.') + ending)) {
            name.chop(ending.size() + 1);
            break;
        }
    }
    if (name.startsWith(QLatin1String("xn--"))) {
        const std::optional<QString> unicode = isAscii(name) && isLdhShape(name) ? unicodeOf(name) : std::nullopt;
        if (!unicode || isAscii(*unicode) || aLabelOf(*unicode, nullptr) != name)
            return {name, QStringLiteral("its xn-- form is not a valid internationalised name")};
        name = *unicode;
    }
    if (name.size() > kMaxTypedText)
        return {name, QStringLiteral("longer than %1 characters").arg(kMaxTypedText)};
    QString why;
    if (asciiLabel(name, &why))
        return {name, {}};
    if (name.size() > kMaxLabel) {
        if (const std::optional<QString> phrase = phraseText(name))
            return {*phrase, {}, true};
    }
    return {name, why};
}

std::optional<QString> labelFor(const QString &requested)
{
    const LabelCheck check = checkLabel(requested);
    if (!check || check.phrase)
        return std::nullopt;
    return check.label;
}

QString displayName(const QString &domain)
{
    if (!domain.contains(QLatin1String("xn--")))
        return domain;
    QStringList labels = domain.split(QLatin1Char('.'));
    for (QString &label : labels) {
        if (label.startsWith(QLatin1String("xn--")))
            label = unicodeOf(label).value_or(label);
    }
    return labels.join(QLatin1Char('.'));
}

} // namespace varnex::registrar
