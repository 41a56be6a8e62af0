// Reading word knowledge at start-up: the plain word list, WordNet's counts
// and irregular plurals and the other languages' lists are read whole;
// WordNet's large index and data files are mapped and read only where a
// lookup lands.

#include "names/word_data.h"

#include <QDir>
#include <QFileInfo>

namespace varnex::registrar {

using namespace wordnet;
using Data = WordKnowledge::Data;

namespace {

std::optional<QByteArray> readAll(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

std::string_view view(const QByteArray &bytes)
{
    return {bytes.constData(), size_t(bytes.size())};
}

// Possessives ("Aaron's") are no words for a name. Proper nouns of five
// letters or more ("Paris", "Francisco") are words of a phrase to split;
// shorter ones ("Ora", "Lu") would cut made-up names into pieces.
constexpr size_t kShortestProperNoun = 5;

void readWordList(std::string_view text, Data &data)
{
    forEachLine(text, [&](std::string_view line) {
        if (isAz(line)) {
            data.words.push_back({std::string(line), 0});
        } else if (line.size() >= kShortestProperNoun && line[0] >= 'A' && line[0] <= 'Z' && isAz(line.substr(1))) {
            std::string lower(line);
            lower[0] = char(lower[0] + ('a' - 'A'));
            data.words.push_back({std::move(lower), 0});
        }
    });
}

// "shop%1:06:00:: 1 9": lemma, part of speech, sense number, and how often
// the sense was tagged in the corpus. Gives each lemma's count over all its
// senses.
std::unordered_map<std::string, int> readSenseCounts(std::string_view text, Data &data)
{
    std::unordered_map<std::string, int> lemmaCounts;
    forEachLine(text, [&](std::string_view line) {
        const std::vector<std::string_view> parts = fields(line);
        const size_t percent = line.find('%');
        if (parts.size() != 3 || percent == std::string_view::npos || percent + 1 >= line.size()
            || !isAz(line.substr(0, percent)))
            return;
        const std::string lemma(line.substr(0, percent));
        const int count = int(number(parts[2]));
        lemmaCounts[lemma] += count;
        const char type = line[percent + 1]; // 1 noun, 2 verb, 3 adjective, 4 adverb, 5 adjective satellite
        if (count > 0 && type != '4')
            data.senseCounts.push_back({lemma,
                                        type == '1'   ? Noun
                                        : type == '2' ? Verb
                                                      : Adjective,
                                        int(number(parts[1])), count});
    });
    std::sort(data.senseCounts.begin(), data.senseCounts.end());
    return lemmaCounts;
}

// The listed words once each with their lemma's count, and the counted
// lemmas the list lacks.
void addLemmaCounts(const std::unordered_map<std::string, int> &lemmaCounts, Data &data)
{
    std::sort(data.words.begin(), data.words.end());
    data.words.erase(std::unique(data.words.begin(), data.words.end(),
                                 [](const Data::Entry &a, const Data::Entry &b) { return a.word == b.word; }),
                     data.words.end());
    const size_t listedCount = data.words.size();
    for (const auto &[lemma, count] : lemmaCounts) {
        const auto end = data.words.begin() + qsizetype(listedCount); // push_back may move the words
        const auto it = std::lower_bound(data.words.begin(), end, Data::Entry{lemma, 0});
        if (it != end && it->word == lemma)
            it->count = count;
        else if (count > 0)
            data.words.push_back({lemma, count});
    }
    std::sort(data.words.begin(), data.words.end());
    data.words.shrink_to_fit();
}

// The short list's words are the common ones: marked where the full list has them.
void markCommonWords(std::string_view text, Data &data)
{
    forEachLine(text, [&](std::string_view line) {
        const auto it =
            std::lower_bound(data.words.begin(), data.words.end(), line,
                             [](const Data::Entry &entry, std::string_view key) { return entry.word < key; });
        if (it != data.words.end() && it->word == line)
            it->common = true;
    });
}

// "children child": irregular plurals, both ways.
void readPluralExceptions(std::string_view text, Data &data)
{
    forEachLine(text, [&](std::string_view line) {
        const std::vector<std::string_view> parts = fields(line);
        if (parts.size() < 2 || !isAz(parts[0]) || !isAz(parts[1]))
            return;
        data.singularOf.emplace(parts[0], parts[1]);
        data.pluralOf.emplace(parts[1], parts[0]);
    });
}

// A file mapped for as long as it stays open.
std::optional<std::string_view> mapped(QFile &file, QString *error)
{
    const uchar *bytes = file.open(QIODevice::ReadOnly) ? file.map(0, file.size()) : nullptr;
    if (!bytes) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
        return std::nullopt;
    }
    return std::string_view(reinterpret_cast<const char *>(bytes), size_t(file.size()));
}

// index.noun, data.noun and the same for verbs and adjectives.
bool mapWordnetFiles(const QDir &folder, Data &data, QString *error)
{
    for (size_t pos = 0; pos < PosCount; ++pos) {
        for (const bool isIndex : {true, false}) {
            std::unique_ptr<QFile> &file = data.files[pos * 2 + (isIndex ? 0 : 1)];
            file = std::make_unique<QFile>(folder.filePath(
                QStringLiteral("%1.%2").arg(QLatin1String(isIndex ? "index" : "data"), QLatin1String(kPosNames[pos]))));
            const std::optional<std::string_view> text = mapped(*file, error);
            if (!text)
                return false;
            (isIndex ? data.index : data.data)[pos] = *text;
        }
    }
    return true;
}

} // namespace

QString WordKnowledge::defaultWordList()
{
    return QStringLiteral("/usr/share/dict/american-english");
}

QString WordKnowledge::defaultWordnetFolder()
{
    return QStringLiteral("/usr/share/wordnet");
}

std::optional<WordKnowledge> WordKnowledge::load(const QString &wordList, const QString &wordnetFolder, QString *error)
{
    const QDir folder(wordnetFolder);
    const std::optional<QByteArray> list = readAll(wordList, error);
    if (!list) // the first file missing is the one named
        return std::nullopt;
    // Debian's wamerican-small, beside the full list.
    const std::optional<QByteArray> commonList =
        readAll(QFileInfo(wordList).dir().filePath(QStringLiteral("american-english-small")), error);
    const std::optional<QByteArray> counts = readAll(folder.filePath(QStringLiteral("cntlist.rev")), error);
    const std::optional<QByteArray> exceptions = readAll(folder.filePath(QStringLiteral("noun.exc")), error);
    if (!commonList || !counts || !exceptions)
        return std::nullopt;

    auto data = std::make_shared<Data>();
    readWordList(view(*list), *data);
    addLemmaCounts(readSenseCounts(view(*counts), *data), *data);
    markCommonWords(view(*commonList), *data);
    readPluralExceptions(view(*exceptions), *data);
    if (!mapWordnetFiles(folder, *data, error) || !data->otherLanguages.load(QFileInfo(wordList).absolutePath(), error))
        return std::nullopt;
    // Built into the program: a broken list is a broken build, said at start.
    const std::optional<QByteArray> curated = readAll(QStringLiteral(":/names/field_relatives.txt"), error);
    std::optional<CuratedRelatives> relatives = curated ? readCuratedRelatives(view(*curated), error) : std::nullopt;
    const std::optional<QByteArray> fieldList = readAll(QStringLiteral(":/names/field_words.txt"), error);
    std::optional<CuratedRelatives> fieldWords = fieldList ? readFieldWords(view(*fieldList), error) : std::nullopt;
    const std::optional<QByteArray> pastimeList = readAll(QStringLiteral(":/names/pastimes.txt"), error);
    std::optional<Pastimes> pastimes = pastimeList ? readPastimes(view(*pastimeList), error) : std::nullopt;
    if (!relatives || !fieldWords || !pastimes)
        return std::nullopt;
    data->curated = std::move(*relatives);
    data->fieldWords = std::move(*fieldWords);
    data->pastimes = std::move(*pastimes);
    return WordKnowledge(std::move(data));
}

} // namespace varnex::registrar
