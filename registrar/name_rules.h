#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace varnex::registrar {

// The endings the page checks, in the order it lists them.
inline const QStringList kEndings{QStringLiteral("com"), QStringLiteral("net"), QStringLiteral("org"),
                                  QStringLiteral("biz"), QStringLiteral("info"), QStringLiteral("us")};

// Turns the requested name into the label to check: spaces removed, lower-cased,
// one trailing known ending taken off (a double-clicked "myshop.net" searches
// "myshop"), an internationalised name in its ASCII form. Empty when what is
// left is not a valid label (letters, digits and hyphens, 1 to 63 characters, no
// hyphen at either end). `requested` is already percent-decoded.
std::optional<QString> labelFor(const QString &requested);

// The names to check for a label: the label under every ending, then up to 12
// suggestions made of it with common prefixes and suffixes, .com ones first.
QStringList candidatesFor(const QString &label);

} // namespace varnex::registrar
