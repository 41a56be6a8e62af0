#include "names/wordnet_text.h"

#include <charconv>

namespace varnex::registrar::wordnet {

namespace {

Pos posOf(std::string_view symbol)
{
    if (symbol == "v")
        return Verb;
    if (symbol == "a" || symbol == "s")
        return Adjective;
    return Noun; // adverbs are not followed
}

} // namespace

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> out;
    size_t at = 0;
    while (at < line.size()) {
        const size_t start = line.find_first_not_of(' ', at);
        if (start == std::string_view::npos)
            break;
        size_t end = line.find(' ', start);
        if (end == std::string_view::npos)
            end = line.size();
        out.push_back(line.substr(start, end - start));
        at = end;
    }
    return out;
}

unsigned long number(std::string_view text, int base)
{
    unsigned long value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, base);
    return value;
}

// Index files are sorted byte by byte: a binary search on line starts.
std::string_view indexLine(std::string_view indexFile, std::string_view lemma)
{
    size_t low = 0, high = indexFile.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const size_t start = middle == 0 ? 0 : indexFile.rfind('\n', middle - 1) + 1; // npos + 1 == 0
        size_t end = indexFile.find('\n', start);
        if (end == std::string_view::npos)
            end = indexFile.size();
        const std::string_view line = indexFile.substr(start, end - start);
        const std::string_view key = line.substr(0, line.find(' '));
        if (key == lemma)
            return line;
        if (key < lemma)
            low = end + 1;
        else
            high = start;
    }
    return {};
}

// "shop n 3 4 @ ~ %p + 3 2 04202417 04603081 00892254": the offsets are the
// line's last fields, as many as its third says.
std::vector<unsigned long> senses(std::string_view indexFile, std::string_view lemma)
{
    const std::vector<std::string_view> parts = fields(indexLine(indexFile, lemma));
    if (parts.size() < 4)
        return {};
    const size_t synsets = number(parts[2]);
    if (parts.size() < synsets)
        return {};
    std::vector<unsigned long> offsets;
    for (size_t i = parts.size() - synsets; i < parts.size(); ++i)
        offsets.push_back(number(parts[i]));
    return offsets;
}

// "offset file pos lemma-count(hex) lemma lex-id ... pointer-count
// symbol offset pos source/target ... | gloss"
Synset synset(std::string_view dataFile, unsigned long offset)
{
    Synset result;
    if (offset >= dataFile.size())
        return result;
    std::string_view line = dataFile.substr(offset);
    line = line.substr(0, line.find('\n'));
    if (const size_t bar = line.find(" | "); bar != std::string_view::npos) {
        result.gloss = line.substr(bar + 3);
        line = line.substr(0, bar);
    }
    const std::vector<std::string_view> parts = fields(line);
    if (parts.size() < 4)
        return result;
    result.lexFile = int(number(parts[1]));
    const size_t lemmaCount = number(parts[3], 16);
    size_t at = 4;
    for (size_t i = 0; i < lemmaCount && at + 1 < parts.size(); ++i, at += 2) {
        std::string_view lemma = parts[at];
        lemma = lemma.substr(0, lemma.find('(')); // adjective markers such as "(a)"
        result.lemmas.push_back(lemma);
    }
    if (at >= parts.size())
        return result;
    const size_t pointerCount = number(parts[at++]);
    for (size_t i = 0; i < pointerCount && at + 3 < parts.size(); ++i, at += 4) {
        const std::string_view ends = parts[at + 3]; // "0000" between senses, else source and target words
        Synset::Pointer pointer{parts[at], posOf(parts[at + 2]), number(parts[at + 1])};
        if (ends == "0000") {
            result.pointers.push_back(pointer);
        } else if (ends.size() == 4) {
            pointer.source = unsigned(number(ends.substr(0, 2), 16));
            pointer.target = unsigned(number(ends.substr(2, 2), 16));
            result.lexicalPointers.push_back(pointer);
        }
    }
    return result;
}

} // namespace varnex::registrar::wordnet
