#pragma once

#include <QString>
#include <QStringList>

namespace varnex::registrar {

// Short words and brandable endings that read well with most names, best
// first: "get-" goes before a name, "-hub" after it. Chosen by hand from
// what people register: a place, a maker, a service, a call to act.
const QStringList &affixes();

// Brandable endings only where they read well after a name's last word:
// "shopify", "cloudly", "pixio", not "pizzaify" or "fitnessly".
bool readsWellWith(const QString &ending, const QString &last);

} // namespace varnex::registrar
