#pragma once

#include "names/word_knowledge.h"

#include <QString>
#include <QStringList>

namespace varnex::registrar {

// Labels worth checking for a typed label, in Unicode form, lower-case,
// without an ending, in rank order: the typed label first, then its
// plain-ASCII forms ("cafe" for "café"), then labels that keep every typed
// word, alone, in the other number, written shorter ("24hr") or with one of
// the short words that fit the keyword's field ("locksmithpros",
// "chessclub", "getvortexa"); then the same for close relatives of the head
// noun ("bike" for "bicycle"); for a long phrase, its natural short forms
// ("flightstoparis"). A German, Spanish or French word takes that language's
// short words ("meinfriseur"). Every label passes asciiLabel(); none but the
// plain forms is longer than 20 characters, none holds a hyphen unless the
// typed label does, and at most one in three does; none comes twice. At most
// `limit` labels; none when the typed label is not a valid one. With `named`,
// how many lead the list with the short words the keyword's field names at
// full score; the rest only fill a page that runs short ("scarfnet").
QStringList suggestedLabels(const QString &typedLabel, const WordKnowledge &words, int limit,
                            qsizetype *named = nullptr);

// For typed text too long to be a name (letters, digits and hyphens, up to
// kMaxTypedText of them): the labels made of its words, cut like a long
// phrase, never the text itself. None for other text.
QStringList phraseLabels(const QString &text, const WordKnowledge &words, int limit, qsizetype *named = nullptr);

} // namespace varnex::registrar
