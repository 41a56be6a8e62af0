#pragma once

#include <QColor>
#include <QCursor>

namespace varnex {

inline const QColor kAccentGreen{95, 126, 0};
inline const QColor kFieldGreen{192, 224, 127};
inline const QColor kStripGreen{144, 200, 0};

// The pointer over every clickable picture and link label.
QCursor linkCursor();
// The banner picture's own pointer.
QCursor bannerCursor();

} // namespace varnex
