#pragma once

#include <QString>
#include <QStringList>

namespace varnex::registrar {

// Short words and brandable endings that read well with most names, best
// first: "my-" goes before a name, "-hub" after it. Chosen by hand from
// what people register: a place, a maker, a service, a call to act. The
// general list, after a field's own (headsFor()).
const QStringList &affixes();

// What only a made-up name takes: a call to try an app ("get-", "try-",
// "go-", "-app", "-hq", "-labs") and the brandable endings ("-ly", "-ify").
// A pastime names "go-" among its own heads ("gosurfing").
bool isBrandOnly(const QString &affix);

// Brandable endings only where they read well after a name's last word:
// "shopify", "cloudly", "pixio", not "pizzaify" or "fitnessly".
bool readsWellWith(const QString &ending, const QString &last);

} // namespace varnex::registrar
