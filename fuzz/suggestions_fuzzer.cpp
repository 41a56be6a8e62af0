// Fuzzes the word suggestions for a requested name, with the installed word
// lists and WordNet read once: the names a page checks for it, read back into
// the suggested labels they hold; for text too long to be a name, the names
// made of its words, never the text itself. Every input builds the suggestions, so this
// target runs far fewer inputs a second than name_rules_fuzzer, which covers
// the label itself.
//
// Input: the requested name as raw bytes (any UTF-8, valid or not) up to the
// first NUL, so name_rules_fuzzer's inputs serve here too.

#include "names/ascii_forms.h"
#include "names/candidates.h"
#include "names/field_heads.h"
#include "names/name_rules.h"
#include "names/word_knowledge.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

using varnex::registrar::WordKnowledge;

constexpr qsizetype kMaxSuggested = 120; // labels a page screens at most

const WordKnowledge *words = nullptr;

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "suggestions_fuzzer: check failed: %s\n", what);
        __builtin_trap();
    }
}

// ^[a-z0-9]([a-z0-9-]{0,61}[a-z0-9])?$ spelt out, so it does not share the
// regular expression the rules use.
bool isValidLabel(const QString &label)
{
    if (label.isEmpty() || label.size() > 63)
        return false;
    for (const QChar c : label) {
        if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-'))
            return false;
    }
    return label.front() != u'-' && label.back() != u'-';
}

// The page's names: the label under every ending, then every suggested label
// once under .com, then the first of them under the other endings. Returns
// the suggested labels in their order.
QStringList checkCandidates(const QString &ascii, const QStringList &candidates)
{
    const QStringList &endings = varnex::registrar::kEndings;
    check(candidates.size() >= endings.size(), "the label under every ending");
    for (qsizetype i = 0; i < endings.size(); ++i)
        check(candidates[i] == ascii + u'.' + endings[i], "the label under every ending first");
    check(QSet<QString>(candidates.begin(), candidates.end()).size() == candidates.size(), "no name twice");
    QStringList com;
    for (const QString &name : candidates.mid(endings.size())) {
        const qsizetype dot = name.indexOf(u'.');
        check(dot > 0 && isValidLabel(name.left(dot)) && endings.contains(name.mid(dot + 1)), "a valid name");
        check(name.left(dot) != ascii, "the typed label only under its own endings");
        if (name.endsWith(QLatin1String(".com")))
            com.append(name.left(dot));
        else
            check(com.contains(name.left(dot)), "a label under another ending after its .com");
    }
    check(com.size() <= kMaxSuggested, "at most so many suggestions");
    check(candidates.size() - endings.size() <= com.size() + 2 * 40 + 3 * 20, "fewer under the other endings");
    return com;
}

// The suggested labels as a person reads them.
// Whether a suggestion is the typed words, joined or hyphenated as typed, with
// an ending that names the business ("guttercleaningservice").
bool typedAndBusiness(const QString &suggestion, const QStringList &typedForms)
{
    const QString joined = QString(suggestion).remove(u'-');
    return std::any_of(typedForms.begin(), typedForms.end(), [&](const QString &form) {
        const QString typed = QString(form).remove(u'-');
        return joined.startsWith(typed)
               && varnex::registrar::namesTheBusiness(QLatin1Char('-') + joined.mid(typed.size()));
    });
}

void checkSuggestions(const QString &label, const QStringList &suggested)
{
    const QStringList plainForms = varnex::registrar::plainAsciiForms(label);
    const QStringList first = suggested.mid(0, plainForms.size());
    check(QSet<QString>(first.begin(), first.end()) == QSet<QString>(plainForms.begin(), plainForms.end()),
          "the plain forms right after the typed label");
    for (const QString &ascii : suggested) {
        const QString suggestion = varnex::registrar::displayName(ascii);
        check(varnex::registrar::asciiLabel(suggestion) == ascii, "suggestion round-trips");
        check(suggestion == suggestion.toLower(), "suggestion in lower case");
        // The typed name in plain letters may be as long as the typed name makes it; a
        // typed name of up to 20 letters (its hyphens not counted) may take an affix of
        // five more, and with an ending that names its business it may run to 22; so may
        // a form of a longer one, a phrase's, offered bare ("cornwallweddingvenues").
        const qsizetype bound =
            label.size() > 20 || typedAndBusiness(suggestion, QStringList(plainForms) << label.toLower()) ? 22 : 20;
        // Letters on both sides: a name set apart by the typed hyphens ("m-on-l-i-free")
        // is no longer to say than the same name joined.
        const qsizetype letters = label.size() - label.count(u'-');
        const qsizetype allowed = letters <= 20 ? std::max<qsizetype>(bound, letters + 5) : bound;
        check(suggestion.size() - suggestion.count(u'-') <= allowed || plainForms.contains(suggestion),
              "suggestion no longer than allowed");
        // A hyphen only as typed, between the typed words alone ("knife-sharpening"), or
        // before a made-up name's app ("vortexa-app").
        const QString joinedWords = QString(suggestion).remove(u'-');
        check(label.contains(u'-') || !suggestion.contains(u'-') || joinedWords == label.toLower()
                  || plainForms.contains(joinedWords)
                  || (suggestion.endsWith(QLatin1String("-app"))
                      && (suggestion.chopped(4) == label.toLower() || plainForms.contains(suggestion.chopped(4)))),
              "no hyphen unless typed");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QString error;
    static const std::optional<WordKnowledge> loaded =
        WordKnowledge::load(WordKnowledge::defaultWordList(), WordKnowledge::defaultWordnetFolder(), &error);
    if (!loaded) {
        std::fprintf(stderr,
                     "suggestions_fuzzer: %s (Debian's wamerican, wordnet-base, wngerman, wspanish and wfrench)\n",
                     qPrintable(error));
        std::exit(1);
    }
    words = &*loaded;
    return 0;
}

// Names made of a phrase's words: valid, short, each once, none the phrase.
void checkPhrase(const QString &text)
{
    const QStringList candidates = varnex::registrar::candidatesForPhrase(text, words);
    check(QSet<QString>(candidates.begin(), candidates.end()).size() == candidates.size(), "no phrase name twice");
    for (const QString &name : candidates) {
        const qsizetype dot = name.indexOf(u'.');
        check(dot > 0 && isValidLabel(name.left(dot)), "a valid name of a phrase");
        // 20 letters, or 22 for a form offered bare ("sanfranciscovegetables").
        check(varnex::registrar::displayName(name.left(dot)).size() <= 22, "a phrase's name is short");
        check(name.left(dot) != text, "never the phrase itself");
        check(text.contains(u'-') || !name.left(dot).contains(u'-'), "no hyphen unless typed");
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    qsizetype nul = 0;
    while (nul < static_cast<qsizetype>(size) && bytes[nul] != '\0')
        ++nul;
    const varnex::registrar::LabelCheck checked = varnex::registrar::checkLabel(QString::fromUtf8(bytes, nul));
    if (checked && checked.phrase) {
        check(checked.label.size() > 63 && checked.label.size() <= varnex::registrar::kMaxTypedText,
              "a phrase's length");
        checkPhrase(checked.label);
        return 0;
    }
    const std::optional<QString> label = varnex::registrar::labelFor(QString::fromUtf8(bytes, nul));
    if (!label)
        return 0;
    const std::optional<QString> ascii = varnex::registrar::asciiLabel(*label);
    check(ascii.has_value(), "a label has its ASCII form");
    checkSuggestions(*label, checkCandidates(*ascii, varnex::registrar::candidatesFor(*label, words)));
    return 0;
}
