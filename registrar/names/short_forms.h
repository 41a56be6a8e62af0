#pragma once

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
// ("pharmacy24", "photobooth360"). None for words without digits.
QList<ShortForm> shortForms(const QStringList &words, const WordKnowledge &knowledge);

} // namespace varnex::registrar
