#include "names/glue_words.h"

#include <algorithm>
#include <array>

namespace varnex::registrar {

namespace {

struct GlueWord {
    const char *text;
    bool possessive;
    bool startsLabel;
};

constexpr std::array kGlueWords{
    GlueWord{"a", false, false},  GlueWord{"an", false, false}, GlueWord{"and", false, false},
    GlueWord{"the", false, true}, GlueWord{"of", false, false}, GlueWord{"for", false, false},
    GlueWord{"to", false, false}, GlueWord{"in", false, false}, GlueWord{"on", false, false},
    GlueWord{"at", false, false}, GlueWord{"by", false, false}, GlueWord{"with", false, false},
    GlueWord{"or", false, false}, GlueWord{"my", true, true},   GlueWord{"our", true, true},
    GlueWord{"your", true, true},
};

const GlueWord *find(const QString &word)
{
    const auto it = std::find_if(kGlueWords.begin(), kGlueWords.end(),
                                 [&](const GlueWord &glue) { return word == QLatin1String(glue.text); });
    return it == kGlueWords.end() ? nullptr : &*it;
}

} // namespace

bool isGlueWord(const QString &word)
{
    return find(word) != nullptr;
}

bool isJoiningWord(const QString &word)
{
    const GlueWord *glue = find(word);
    return glue && !glue->possessive;
}

bool mayStartLabel(const QString &word)
{
    const GlueWord *glue = find(word);
    return glue && glue->startsLabel;
}

} // namespace varnex::registrar
