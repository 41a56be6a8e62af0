#pragma once

#include "names/word_field.h"

#include <QString>
#include <QStringList>

namespace varnex::registrar {

// The short words a name is built with for a keyword of a field, best first:
// "local-" goes before a name, "-pros" after it. Curated from what people in
// each field register; a field's few best are tried first, then the general
// list (affixes()).
const QStringList &headsFor(Field field);

// For a word of another language, that language's own few, with the article
// or possessive that fits the word's likely gender ("la panaderia", "el
// abogado", "meine bäckerei"), then words that read alike in every language.
// A phrase's gender is its first word's: `genderWord` ("clinica" of "clinicadental").
QStringList languageHeads(Field language, const QString &word, const QString &genderWord = {});

// Whether a head reads right after a word of another language: no "-laden"
// after a shop word ("bäckerei"), no "-club" after a shop or a service, a
// "-praxis" only for a doctor or a therapist, no shop's words after someone
// who works ("osteopatheboutique").
bool headFits(const QString &head, const QString &word, Field language);

// Endings that name the business itself ("-shop", "-pros", "-club",
// "-laden"): the only ones a name with a prefix too takes, so it reads as a
// business ("thecandleshop"), not as a stack of words ("mycandledirect").
bool namesTheBusiness(const QString &affix);

// Endings a name with a prefix before it takes in that field: those that name
// the business; in French none that is a noun ("larotisserieartisan" breaks
// French), but those that say where and how ("laboulangerieenligne").
bool endsPrefixedName(const QString &affix, Field field);

// Endings that only sell ("-online", "-now", "-deals", "-hoy"): a name
// says little more with one, so a name takes few of them, and only the
// typed words or a phrase's short form. A made-up brand's "-hub" names its
// product, not a sales pitch.
bool onlySells(const QString &affix, Field field);

// Work people call in at any hour, when something breaks or locks them out
// ("plumber", "locksmith", "roofing"): only it takes "emergency-", "24hour-"
// and "247-"; nobody wakes a blacksmith or a taxidermist at night.
bool callsOutAtAnyHour(const QString &word);

// A place people go to at any hour ("pharmacy", "gym", "diner"): only it takes
// "24hour-"; nobody needs a nail salon or a tiny house at night.
bool opensAtAnyHour(const QString &word);

// Endings that make a made-up word of a word ("-ly", "-ify", "-io", "-ster"):
// only a made-up name takes them.
bool isBrandableEnding(const QString &affix);

} // namespace varnex::registrar
