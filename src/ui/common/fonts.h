#pragma once

#include <QFont>

namespace varnex {

// The windows' fonts by their Windows family names. Where a family is missing
// (Linux), the program's built-in Liberation Sans stands in: it has Arial's
// metrics, and drawn 6 % narrower it takes about the room of MS Sans Serif, so
// captions fit their boxes on every machine, whatever fonts it has.
QFont uiFont(const QString &family, qreal pointSize, bool bold = false, bool italic = false, bool underline = false);

// "MS Sans Serif" 8.25 pt, the windows' default.
QFont defaultUiFont();

} // namespace varnex
