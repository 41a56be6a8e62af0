#include "ui/common/theme.h"

#include <QGuiApplication>
#include <QPixmap>

namespace varnex {

namespace {

// The 32 x 32 icon drawn at the screen's scale, so the pointer keeps its size
// beside the window at any scale; pixel art is doubled, not smoothed.
QCursor scaledCursor(const QString &icon, int hotX, int hotY)
{
    QPixmap pixmap(icon);
    const qreal scale = qApp ? qApp->devicePixelRatio() : 1.0;
    if (scale != 1.0) {
        pixmap = pixmap.scaled(pixmap.size() * scale, Qt::IgnoreAspectRatio,
                               scale == qRound(scale) ? Qt::FastTransformation : Qt::SmoothTransformation);
        pixmap.setDevicePixelRatio(scale);
    }
    return QCursor(pixmap, hotX, hotY);
}

} // namespace

QCursor linkCursor()
{
    // The fingertip of the hand.
    return scaledCursor(QStringLiteral(":/assets/link.ico"), 10, 2);
}

QCursor bannerCursor()
{
    return scaledCursor(QStringLiteral(":/assets/banner.ico"), 2, 2);
}

} // namespace varnex
