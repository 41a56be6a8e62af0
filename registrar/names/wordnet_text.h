#pragma once

#include <array>
#include <string_view>
#include <vector>

// WordNet's dictionary files as text: the index files (a lemma's senses) and
// the data files (a sense's lemmas and its pointers to other senses). Views
// into the mapped files; nothing is copied.
namespace varnex::registrar::wordnet {

// Adverbs are not followed: they make no names.
enum Pos { Noun, Verb, Adjective, PosCount };

// The lexicographer files (lexnames(5WN)) the names ask about: what a sense is.
inline constexpr int kActs = 4, kAnimals = 5, kArtifacts = 6, kBody = 8, kEvents = 11, kFood = 13, kGroups = 14,
                     kLocations = 15, kObjects = 17, kPeople = 18, kPlants = 20, kProcesses = 22, kQuantities = 23,
                     kSubstances = 27, kTime = 28;
// How the files of each part of speech are named: index.noun, data.adj.
inline constexpr std::array<const char *, PosCount> kPosNames{"noun", "verb", "adj"};

struct Synset {
    int lexFile = -1; // WordNet's lexicographer file: 4 acts, 6 artifacts, 18 people...
    std::vector<std::string_view> lemmas;
    struct Pointer {
        std::string_view symbol; // "@" broader, "~" narrower, "&" similar adjective, ";c" its topic
        Pos pos;
        unsigned long offset;
        unsigned source = 0; // between single words: the lemma's number here (from 1), and
        unsigned target = 0; // the one's it leads to; 0 for a pointer between senses
    };
    std::vector<Pointer> pointers;        // between senses
    std::vector<Pointer> lexicalPointers; // between single words: "+" derived forms, "\\" pertaining to
    std::string_view gloss;
};

// A text file's lines as views into it.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit)
{
    while (!text.empty()) {
        const size_t end = text.find('\n');
        visit(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

// A line's fields, split on spaces.
std::vector<std::string_view> fields(std::string_view line);
// A field as a number; 0 when it is none.
unsigned long number(std::string_view text, int base = 10);

// The line of an index file for a lemma; empty when the file lacks it.
std::string_view indexLine(std::string_view indexFile, std::string_view lemma);
// The offsets of a lemma's senses in the data file, most frequent sense first.
std::vector<unsigned long> senses(std::string_view indexFile, std::string_view lemma);
// The sense at an offset of a data file; empty when the offset is no sense's.
Synset synset(std::string_view dataFile, unsigned long offset);

} // namespace varnex::registrar::wordnet
