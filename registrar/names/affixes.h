#pragma once

#include <QString>
#include <QStringList>

namespace varnex::registrar {

// Short words and brandable endings that read well with most names, best
// first: "my-" goes before a name, "-hub" after it. Chosen by hand from
// what people register: a place, a maker, a service, a call to act. The
// general list, after a field's own (headsFor()).
const QStringList &affixes();

// The same list for a real word, as a page runs past the word's own heads:
// the endings that name a business and plain praise first ("-company",
// "-supply", "best-"), the startup words last ("-hub", "-now", "-hq",
// "smart-"), which read as filler on a dentist or a doormat.
const QStringList &plainWordAffixes();

// What only a made-up name takes: a call to try an app ("get-", "try-",
// "go-", "-app", "-hq", "-labs") and the brandable endings ("-ly", "-ify").
// A pastime names "go-" among its own heads ("gosurfing").
bool isBrandOnly(const QString &affix);

// Brandable endings only where they read well after a name's last word:
// "shopify", "cloudly", "pixio", not "pizzaify" or "fitnessly".
bool readsWellWith(const QString &ending, const QString &last);

} // namespace varnex::registrar
