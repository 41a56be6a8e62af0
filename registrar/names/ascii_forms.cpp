#include "names/ascii_forms.h"

#include <QRegularExpression>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>

namespace varnex::registrar {

namespace {

bool isLatinWithAccents(const QString &label)
{
    bool accented = false;
    for (const char32_t point : label.toUcs4()) {
        if (point < 0x80)
            continue;
        if (QChar::script(point) != QChar::Script_Latin)
            return false;
        accented = true;
    }
    return accented;
}

QString transliterated(const QString &label, const char *id)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::Transliterator> transliterator(
        icu::Transliterator::createInstance(icu::UnicodeString::fromUTF8(id), UTRANS_FORWARD, status));
    if (U_FAILURE(status) || !transliterator)
        return {};
    icu::UnicodeString text(reinterpret_cast<const UChar *>(label.utf16()), int32_t(label.size()));
    transliterator->transliterate(text);
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length()).toLower();
}

} // namespace

QString plainAsciiText(const QString &text)
{
    if (!isLatinWithAccents(text))
        return {};
    return transliterated(text, "Latin-ASCII");
}

QStringList plainAsciiForms(const QString &label)
{
    if (!isLatinWithAccents(label))
        return {};
    static const QRegularExpression ldh(QStringLiteral("^[a-z0-9](?:[a-z0-9-]{0,61}[a-z0-9])?$"));
    QStringList forms;
    // German first: "ü" written "ue" is how a German reader types it without the dots.
    for (const char *id : {"de-ASCII", "Latin-ASCII"}) {
        const QString form = transliterated(label, id);
        if (ldh.match(form).hasMatch() && form.mid(2, 2) != QLatin1String("--") && !forms.contains(form))
            forms.append(form);
    }
    return forms;
}

} // namespace varnex::registrar
