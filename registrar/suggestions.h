#pragma once

#include "word_knowledge.h"

#include <QString>
#include <QStringList>

namespace varnex::registrar {

// Labels worth checking for a typed label, in Unicode form, lower-case,
// without an ending, in rank order: the typed label first, then shorter ones
// first, then those made of more common words. Made of the typed words and
// their joins, their synonyms and close relatives, common short prefixes and
// suffixes, plural and singular, and one or two swaps of word order. Every
// label passes asciiLabel(); none is longer than 20 characters unless the
// typed label is, none holds a hyphen unless the typed label does, none
// comes twice. At most `limit` labels; none when the typed label is not a
// valid one.
QStringList suggestedLabels(const QString &typedLabel, const WordKnowledge &words, int limit);

} // namespace varnex::registrar
