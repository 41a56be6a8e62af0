#include "ui/common/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace varnex {

namespace {

constexpr int kMsSansSerifStretch = 94;

// The program's own Liberation Sans faces. Qt prefers an application font to an
// installed face of the same family, so every machine draws with these.
void addBuiltInFonts()
{
    static const bool added = [] {
        for (const char *face :
             {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSans-Italic.ttf"}) {
            if (QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/") + QLatin1String(face)) < 0)
                qWarning("cannot load the built-in font %s", face);
        }
        return true;
    }();
    Q_UNUSED(added);
}

} // namespace

QFont uiFont(const QString &family, qreal pointSize, bool bold, bool italic, bool underline)
{
    addBuiltInFonts();
    QFont font(family);
    if (!QFontDatabase::hasFamily(family)) {
        font.setFamilies(QStringList{QStringLiteral("Liberation Sans")});
        if (family == QLatin1String("MS Sans Serif"))
            font.setStretch(kMsSansSerifStretch);
    }
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

QFont defaultUiFont()
{
    return uiFont(QStringLiteral("MS Sans Serif"), 8.25);
}

} // namespace varnex
