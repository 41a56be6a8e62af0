#pragma once

#include <QString>

namespace varnex::registrar {

// Glue words hold a phrase together rather than say what it is about: the
// articles, conjunctions and prepositions ("pizza in place", "best of the
// city") and the possessives names are built with ("my shop"). A label never
// starts or ends with one unless a curated affix puts it there ("the-", "my-").
bool isGlueWord(const QString &word);

// The glue words that join words, without the possessives. Splitting a label,
// a lone letter or an ending after one of these starts a word of its own
// ("ina" is in + a); after "my", "our" or "your" it joins the word before, as
// after any other word ("yourly" is one made-up word, not your + ly).
bool isJoiningWord(const QString &word);

// "my shop" keeps its "my" at the start: a label may start with these.
bool mayStartLabel(const QString &word);

} // namespace varnex::registrar
