#pragma once

#include <QString>
#include <QStringList>

namespace varnex::registrar {

class WordKnowledge;

// The names to check for a label, in A-label form and rank order: the label
// under every ending first. With word knowledge, then the suggested labels
// (suggestedLabels()) under .com, the best of them under .net before the .com
// of those that only fill a page, then .org, and fewer under the other
// endings; without it, up to
// 12 suggestions made of the label with common prefixes and suffixes, .com
// ones first. Suggestions are built on the Unicode label and kept only when
// valid themselves and sold under their ending (whyNotRegistrable()). None for
// a label that is not a valid one.
QStringList candidatesFor(const QString &label, const WordKnowledge *words = nullptr);

// For typed text too long to be a name (LabelCheck::phrase): names made of
// its words (phraseLabels()) under the endings as above, never the text
// itself; none without word knowledge.
QStringList candidatesForPhrase(const QString &text, const WordKnowledge *words);

} // namespace varnex::registrar
