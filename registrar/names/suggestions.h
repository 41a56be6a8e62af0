#pragma once

#include "names/word_knowledge.h"

#include <QString>
#include <QStringList>

namespace varnex::registrar {

// Labels worth checking for a typed label, in Unicode form, lower-case,
// without an ending, in rank order: the typed label first, then its
// plain-ASCII forms ("cafe" for "café"), then labels that keep every typed
// word a user would miss, alone or with a curated short word or brandable
// ending ("pizzahq", "getpizza"), in another word order or number; for a long
// phrase, its most specific words; last, synonyms of a typed word in its own
// sense in place of it. Every label passes asciiLabel(); none but the plain
// forms is longer than 20 characters, none holds a hyphen unless the typed
// label does, none comes twice. At most `limit` labels; none when the typed
// label is not a valid one.
QStringList suggestedLabels(const QString &typedLabel, const WordKnowledge &words, int limit);

} // namespace varnex::registrar
