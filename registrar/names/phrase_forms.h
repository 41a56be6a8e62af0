#pragma once

#include "names/word_knowledge.h"

#include <QList>
#include <QStringList>

namespace varnex::registrar {

// A name made of some of a long phrase's words, and how well it keeps the point.
// Open hours say round the clock or nothing a name needs: "emergency vet open 24 hours"
// is a "24hour emergency vet", "shop open 7 days" a "shop"; never "24hours" alone.
QStringList withOpenHours(QStringList words, const WordKnowledge &knowledge);

struct PhraseForm {
    QStringList words;
    double score = 0;
    Field field = Field::General; // what it names: its head's field, or a hobby to learn or play
    bool takesAffixes = false;    // a form that ends in its point ("flightstoparis") takes none
    bool offeredBare = true;      // what one learns alone says too little ("guitar"), "guitarlessons" does not
};

// The natural short forms of a long phrase: every one keeps the head noun
// ("flights" in "best cheap flights to paris"), with some of its modifiers
// ("cheapflights"), with what it is for or where, glue word kept where it
// fits ("flightstoparis"), that first ("parisflights") or without the glue
// ("cheapflightsparis"), after the verb it was asked with ("learnguitar"),
// or nearby ("attorneynearme"). Never adjectives alone. Each within
// `maxLength` letters (or two more, to be offered bare:
// "cornwallweddingvenues"), the one that keeps the most of the point first; the
// head's close relatives of its own field in its place ("familylawyer"), a
// little lower. For text that is `wholePhrase` (not glue inside a short
// name, "walk in clinic"), a head that makes almost no form stands alone.
QList<PhraseForm> phraseForms(const QStringList &words, const WordKnowledge &knowledge, qsizetype maxLength,
                              bool wholePhrase = true);

} // namespace varnex::registrar
