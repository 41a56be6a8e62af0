#include "ui/common/theme.h"

#include <QPixmap>

namespace varnex {

QCursor linkCursor()
{
    // The fingertip of the hand.
    return QCursor(QPixmap(QStringLiteral(":/assets/link.ico")), 10, 2);
}

QCursor bannerCursor()
{
    return QCursor(QPixmap(QStringLiteral(":/assets/banner.ico")), 2, 2);
}

} // namespace varnex
