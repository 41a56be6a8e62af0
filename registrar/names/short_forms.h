#pragma once

#include "names/word_field.h"
#include "names/word_knowledge.h"

#include <QList>
#include <QStringList>

namespace varnex::registrar {

// A shorter way to write a keyword's words, and how much less it reads like them.
struct ShortForm {
    QStringList words;
    double penalty = 0;
};

// "24hr", "24h" and "247" for "24 hour"; "3dprint" for "3d printing"; a small
// count written out ("threepiecesuits"); a leading number after the rest
// ("pharmacy24", "photobooth360"); a pastime said by its short noun beside
// another word ("swimlessons" for "swimming lessons").
QList<ShortForm> shortForms(const QStringList &words, const WordKnowledge &knowledge);

// The short noun a pastime's "-ing" word is said by in a business's name
// ("swim" in "swimschool", "dive" in "diveshop"), or none: "fishcharters" and
// "boxgym" name another thing, so the list is written by hand.
QString pastimeStem(const QString &word);

// The clipped form German, Spanish or French writes a long word by in a
// business's name ("depannageinfo", "agenceimmo", "immomakler"), or none:
// written by hand, as which words are clipped is custom, not rule.
QString clippedForeignWord(Field language, const QString &word);

} // namespace varnex::registrar
