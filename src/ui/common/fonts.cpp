#include "ui/common/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace varnex {

namespace {

constexpr int kMsSansSerifStretch = 94;

} // namespace

QFont uiFont(const QString &family, qreal pointSize, bool bold, bool italic, bool underline)
{
    QFont font(family);
    if (!QFontDatabase::hasFamily(family)) {
        font.setFamilies(QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Sans Serif")});
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
