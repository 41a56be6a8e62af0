#include "search/page_scan.h"

#include "search/search_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace varnex {

namespace {

constexpr std::size_t kBlockSize = 1 << 20;

struct FileCloser {
    void operator()(std::FILE *file) const noexcept { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void throwFileError(int error, const char *what, const std::filesystem::path &path)
{
    throw SearchError(error, std::string(what) + " " + path.string() + ": " + std::strerror(error));
}

File openFile(const std::filesystem::path &path, const char *mode)
{
    File file(std::fopen(path.c_str(), mode));
    if (!file)
        throwFileError(errno, std::strchr(mode, 'r') ? "Cannot read" : "Cannot write", path);
    return file;
}

// Reads the whole file block by block, handing each block to `consume`.
template <typename Consume>
void readBlocks(const std::filesystem::path &path, Consume &&consume)
{
    const File file = openFile(path, "rb");
    const std::unique_ptr<char[]> buffer(new char[kBlockSize]);
    for (;;) {
        const std::size_t got = std::fread(buffer.get(), 1, kBlockSize, file.get());
        if (got > 0)
            consume(std::string_view(buffer.get(), got));
        if (got < kBlockSize) {
            if (std::ferror(file.get()))
                throwFileError(errno ? errno : EIO, "Cannot read", path);
            return;
        }
    }
}

// Compares the next characters of a six-character word, reading no more than the
// word still needs. Returns how many characters of `in` were consumed.
std::size_t matchWord(std::string_view in, std::string_view word, std::size_t &matched, bool &mismatch)
{
    const std::size_t take = std::min(in.size(), word.size() - matched);
    if (!mismatch && std::memcmp(in.data(), word.data() + matched, take) != 0)
        mismatch = true;
    matched += take;
    return take;
}

} // namespace

void removeCrLfPairs(std::string &text)
{
    std::size_t out = 0;
    for (std::size_t in = 0; in < text.size(); ++in) {
        if (text[in] == '\r' && in + 1 < text.size() && text[in + 1] == '\n') {
            ++in;
            continue;
        }
        text[out++] = text[in];
    }
    text.resize(out);
}

void PageScanner::commitName()
{
    // The emptiness test comes before the pair removal, so a value made only of
    // CR LF pairs is kept as an empty entry, which the filter never shows.
    if (!m_name.empty()) {
        removeCrLfPairs(m_name);
        m_names.push_back(std::move(m_name));
    }
    m_name.clear();
}

void PageScanner::feed(std::string_view in)
{
    auto expect = [this](char got, char want, State next) {
        m_state = got == want ? next : State::Seek;
    };

    while (!in.empty()) {
        switch (m_state) {
        case State::Seek: {
            const void *hit = std::memchr(in.data(), 'n', in.size());
            if (!hit)
                return;
            in.remove_prefix(static_cast<const char *>(hit) - in.data() + 1);
            m_state = State::NameA;
            break;
        }
        case State::NameA:
            expect(in.front(), 'a', State::NameM);
            in.remove_prefix(1);
            break;
        case State::NameM:
            expect(in.front(), 'm', State::NameE);
            in.remove_prefix(1);
            break;
        case State::NameE:
            expect(in.front(), 'e', State::NameEquals);
            in.remove_prefix(1);
            break;
        case State::NameEquals:
            expect(in.front(), '=', State::NameQuote);
            in.remove_prefix(1);
            break;
        case State::NameQuote:
            in.remove_prefix(1);
            m_state = State::Domain;
            m_matched = 0;
            m_mismatch = false;
            break;
        case State::Domain:
            in.remove_prefix(matchWord(in, "domain", m_matched, m_mismatch));
            if (m_matched == 6)
                m_state = m_mismatch ? State::Seek : State::SkipToSpace;
            break;
        case State::SkipToSpace: {
            const void *hit = std::memchr(in.data(), ' ', in.size());
            if (!hit)
                return;
            in.remove_prefix(static_cast<const char *>(hit) - in.data() + 1);
            m_state = State::Value;
            m_matched = 0;
            m_mismatch = false;
            break;
        }
        case State::Value:
            in.remove_prefix(matchWord(in, "value=", m_matched, m_mismatch));
            if (m_matched == 6)
                m_state = m_mismatch ? State::Seek : State::ValueQuote;
            break;
        case State::ValueQuote:
            in.remove_prefix(1);
            m_state = State::Collect;
            break;
        case State::Collect: {
            const void *hit = std::memchr(in.data(), '"', in.size());
            if (!hit) {
                m_name.append(in);
                return;
            }
            const auto length = static_cast<std::size_t>(static_cast<const char *>(hit) - in.data());
            m_name.append(in.substr(0, length));
            in.remove_prefix(length + 1);
            commitName();
            m_state = State::Seek;
            break;
        }
        }
    }
}

std::vector<std::string> PageScanner::finish() &&
{
    if (m_state == State::Collect)
        commitName();
    return std::move(m_names);
}

std::size_t copyWithoutLineEnds(std::string_view in, char *out)
{
    // Branch-free compaction: every byte is written, only the kept ones advance.
    char *end = out;
    for (const char c : in) {
        *end = c;
        end += (c != '\r') & (c != '\n');
    }
    return static_cast<std::size_t>(end - out);
}

void cleanCaptureFile(const std::filesystem::path &capture, const std::filesystem::path &cleaned)
{
    const File out = openFile(cleaned, "wb");
    const std::unique_ptr<char[]> kept(new char[kBlockSize]);
    readBlocks(capture, [&](std::string_view block) {
        const std::size_t size = copyWithoutLineEnds(block, kept.get());
        if (std::fwrite(kept.get(), 1, size, out.get()) != size)
            throwFileError(errno ? errno : EIO, "Cannot write", cleaned);
    });
    if (std::fflush(out.get()) != 0)
        throwFileError(errno ? errno : EIO, "Cannot write", cleaned);
}

std::vector<std::string> scanCaptureFile(const std::filesystem::path &capture)
{
    PageScanner scanner;
    readBlocks(capture, [&](std::string_view block) { scanner.feed(block); });
    return std::move(scanner).finish();
}

} // namespace varnex
