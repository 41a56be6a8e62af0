#include "names/curated_relatives.h"

#include <algorithm>

namespace varnex::registrar {

namespace {

// Shorter says too little of a business ("vet" stays WordNet's); longer is no word of a name.
constexpr size_t kShortest = 3;
constexpr size_t kLongest = 16;

// A field's word may be as short as "spa" or "lab", but one word still.
constexpr size_t kShortestAffix = 2;
constexpr size_t kLongestAffix = 10;

bool isWord(std::string_view text)
{
    return text.size() >= kShortest && text.size() <= kLongest
           && std::all_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// "-agency" after a name, "smile-" before it.
bool isAffix(std::string_view text)
{
    if (text.size() < 2 || (text.front() == '-') == (text.back() == '-'))
        return false;
    const std::string_view word = text.front() == '-' ? text.substr(1) : text.substr(0, text.size() - 1);
    return word.size() >= kShortestAffix && word.size() <= kLongestAffix
           && std::all_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

std::optional<CuratedRelatives> readLists(std::string_view text, QString *error, const char *list, bool affixes)
{
    CuratedRelatives relatives;
    int number = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        if (line.empty() || line.front() == '#')
            continue;
        const auto fail = [&](const char *why) {
            if (error)
                *error = QStringLiteral("%1, line %2: %3").arg(QLatin1String(list)).arg(number).arg(QLatin1String(why));
            return std::nullopt;
        };
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos || !isWord(line.substr(0, tab)))
            return fail("not a word of a to z and a tab");
        std::vector<std::string> words;
        std::string_view rest = line.substr(tab + 1);
        while (!rest.empty()) {
            const size_t space = rest.find(' ');
            const std::string_view word = rest.substr(0, space);
            if (affixes ? !isAffix(word) : !isWord(word))
                return fail(affixes ? "not a word of a to z with a hyphen on one side"
                                    : "a relative that is not a word of a to z");
            words.emplace_back(word);
            rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
        }
        if (words.empty())
            return fail("no relative");
        if (!relatives.emplace(std::string(line.substr(0, tab)), std::move(words)).second)
            return fail("the word comes twice");
    }
    return relatives;
}

} // namespace

std::optional<CuratedRelatives> readCuratedRelatives(std::string_view text, QString *error, const char *list)
{
    return readLists(text, error, list, false);
}

std::optional<CuratedRelatives> readFieldWords(std::string_view text, QString *error)
{
    return readLists(text, error, "field words", true);
}

} // namespace varnex::registrar
