#include "search/page_scan.h"

#include "search/byte_buffer.h"
#include "search/search_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace varnex {

namespace {

// Small enough that a block read stays in the cache while both passes go over it.
constexpr std::size_t kBlockSize = std::size_t(256) << 10;

[[noreturn]] void throwFileError(int error, const char *what, const std::filesystem::path &path)
{
    throw SearchError(error, std::string(what) + " " + path.string() + ": " + std::strerror(error));
}

class FileDescriptor final {
public:
    FileDescriptor(const std::filesystem::path &path, int flags) : m_fd(::open(path.c_str(), flags | O_CLOEXEC, 0666))
    {
        if (m_fd < 0)
            throwFileError(errno, flags & (O_WRONLY | O_RDWR) ? "Cannot write" : "Cannot read", path);
    }
    ~FileDescriptor() { ::close(m_fd); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int get() const { return m_fd; }

private:
    int m_fd;
};

void writeAll(int fd, const char *data, std::size_t size, const std::filesystem::path &path)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwFileError(errno, "Cannot write", path);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

// Memory for one block. A registrar's page is a few kilobytes: a file smaller
// than a block gets a buffer of its own size from the heap. A larger one gets a
// block in a ByteBuffer, so a big page costs a page fault or two rather than one
// for each 4 KiB of the block.
class BlockMemory final {
public:
    explicit BlockMemory(std::size_t size)
    {
        if (size < kBlockSize)
            m_data = (m_small = std::make_unique_for_overwrite<char[]>(size)).get();
        else
            m_data = m_large.room(size);
    }
    char *data() const { return m_data; }

private:
    std::unique_ptr<char[]> m_small;
    ByteBuffer m_large;
    char *m_data = nullptr;
};

// The capture file, read block by block.
class CaptureReader final {
public:
    explicit CaptureReader(const std::filesystem::path &path) : m_path(path), m_file(path, O_RDONLY)
    {
        ::posix_fadvise(m_file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
        // One byte more than the file, so the first read normally takes it all.
        struct stat info { };
        if (::fstat(m_file.get(), &info) == 0 && S_ISREG(info.st_mode))
            m_blockSize = std::min(kBlockSize, static_cast<std::size_t>(info.st_size) + 1);
    }

    // The largest block handed over.
    std::size_t blockSize() const { return m_blockSize; }

    // Hands each block of the file to `consume`, in order.
    template <typename Consume>
    void read(Consume &&consume)
    {
        const BlockMemory memory(m_blockSize);
        for (;;) {
            const ssize_t got = ::read(m_file.get(), memory.data(), m_blockSize);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                throwFileError(errno, "Cannot read", m_path);
            }
            if (got == 0)
                return;
            consume(std::string_view(memory.data(), static_cast<std::size_t>(got)));
        }
    }

private:
    const std::filesystem::path &m_path;
    FileDescriptor m_file;
    std::size_t m_blockSize = kBlockSize;
};

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

// The first i with in[i] == 'n' and in[i + 4] == '=', both inside `in`; npos when there is none.
std::size_t findNameEquals(std::string_view in)
{
    const char *data = in.data();
    const std::size_t size = in.size();
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i n = _mm_set1_epi8('n');
    const __m128i equals = _mm_set1_epi8('=');
    for (; i + 4 + 16 <= size; i += 16) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        const __m128i fifth = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i + 4));
        const int hits = _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(first, n), _mm_cmpeq_epi8(fifth, equals)));
        if (hits != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
    }
#endif
    for (; i + 4 < size; ++i) {
        if (data[i] == 'n' && data[i + 4] == '=')
            return i;
    }
    return std::string_view::npos;
}

bool isNameLetter(char c)
{
    return c == 'n' || c == 'a' || c == 'm' || c == 'e';
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

void PageScanner::deliver(std::string_view name)
{
    if (m_sink)
        m_sink->found(name);
    else
        m_names.emplace_back(name);
}

void PageScanner::commitName(std::string_view value)
{
    // The emptiness test comes before the pair removal, so a value made only of
    // CR LF pairs is kept as an empty entry, which the filter never shows.
    if (m_name.empty() && value.find('\r') == std::string_view::npos) {
        if (!value.empty())
            deliver(value); // whole in this block and nothing to remove: no copy
        return;
    }
    m_name.append(value);
    removeCrLfPairs(m_name);
    deliver(m_name);
    m_name.clear();
}

// In the Seek state: consumes what cannot start a field and returns how much.
//
// Reading for "n" one at a time stops at every n of the page. Instead, jump to
// the next place where "n" is followed four characters later by "=": nothing
// before it can complete "name=". Whether that n is itself read as the start of
// a try depends on the tries just before it, but only on the run of the letters
// of "name" right before it: any other character ends a try or is skipped, so
// the scanner is looking for "n" again after it. That run, the n and whatever a
// try there reads are then taken one character at a time (m_exactUntil).
std::size_t PageScanner::seek(std::string_view in)
{
    if (m_position < m_exactUntil) {
        const std::size_t span =
            static_cast<std::size_t>(std::min<std::uint64_t>(in.size(), m_exactUntil - m_position));
        const void *hit = std::memchr(in.data(), 'n', span);
        if (!hit)
            return span;
        m_state = State::NameA;
        return static_cast<std::size_t>(static_cast<const char *>(hit) - in.data()) + 1;
    }
    const std::size_t candidate = findNameEquals(in);
    const std::size_t limit = candidate == std::string_view::npos ? in.size() : candidate;
    std::size_t start = limit;
    while (start > 0 && isNameLetter(in[start - 1]))
        --start;
    // From `start` on, up to and including the candidate (or the block's end), one at a time.
    m_exactUntil = m_position + (candidate == std::string_view::npos ? in.size() : candidate + 1);
    return start;
}

void PageScanner::feed(std::string_view in)
{
    auto expect = [this](char got, char want, State next) { m_state = got == want ? next : State::Seek; };
    auto consume = [&](std::size_t count) {
        in.remove_prefix(count);
        m_position += count;
    };

    while (!in.empty()) {
        switch (m_state) {
        case State::Seek:
            consume(seek(in));
            break;
        case State::NameA:
            expect(in.front(), 'a', State::NameM);
            consume(1);
            break;
        case State::NameM:
            expect(in.front(), 'm', State::NameE);
            consume(1);
            break;
        case State::NameE:
            expect(in.front(), 'e', State::NameEquals);
            consume(1);
            break;
        case State::NameEquals:
            expect(in.front(), '=', State::NameQuote);
            consume(1);
            break;
        case State::NameQuote:
            consume(1);
            m_state = State::Domain;
            m_matched = 0;
            m_mismatch = false;
            break;
        case State::Domain:
            consume(matchWord(in, "domain", m_matched, m_mismatch));
            if (m_matched == 6)
                m_state = m_mismatch ? State::Seek : State::SkipToSpace;
            break;
        case State::SkipToSpace: {
            const void *hit = std::memchr(in.data(), ' ', in.size());
            if (!hit) {
                consume(in.size());
                return;
            }
            consume(static_cast<std::size_t>(static_cast<const char *>(hit) - in.data()) + 1);
            m_state = State::Value;
            m_matched = 0;
            m_mismatch = false;
            break;
        }
        case State::Value:
            consume(matchWord(in, "value=", m_matched, m_mismatch));
            if (m_matched == 6)
                m_state = m_mismatch ? State::Seek : State::ValueQuote;
            break;
        case State::ValueQuote:
            consume(1);
            m_state = State::Collect;
            break;
        case State::Collect: {
            const void *hit = std::memchr(in.data(), '"', in.size());
            if (!hit) {
                m_name.append(in);
                consume(in.size());
                return;
            }
            const auto length = static_cast<std::size_t>(static_cast<const char *>(hit) - in.data());
            commitName(in.substr(0, length));
            consume(length + 1);
            m_state = State::Seek;
            break;
        }
        }
    }
}

std::vector<std::string> PageScanner::finish() &&
{
    if (m_state == State::Collect)
        commitName({});
    return std::move(m_names);
}

std::size_t copyWithoutLineEnds(std::string_view in, char *out)
{
    const char *from = in.data();
    const char *const last = from + in.size();
    char *end = out;
#if defined(__SSE2__)
    // Sixteen bytes at a time: a block without line ends goes in one store; in
    // another, each stretch between line ends goes in one store of sixteen bytes
    // of which only the stretch is kept (the next store writes over the rest).
    // Reading and writing sixteen bytes past a stretch needs room on both sides,
    // hence 32 bytes left before the end.
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; last - from >= 32; from += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from));
        auto ends = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf))));
        if (ends == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i *>(end), bytes);
            end += 16;
            continue;
        }
        const char *stretch = from;
        for (; ends != 0; ends &= ends - 1) {
            const char *lineEnd = from + __builtin_ctz(ends);
            _mm_storeu_si128(reinterpret_cast<__m128i *>(end),
                             _mm_loadu_si128(reinterpret_cast<const __m128i *>(stretch)));
            end += lineEnd - stretch;
            stretch = lineEnd + 1;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(end), _mm_loadu_si128(reinterpret_cast<const __m128i *>(stretch)));
        end += from + 16 - stretch;
    }
#endif
    // Branch-free compaction: every byte is written, only the kept ones advance.
    for (; from != last; ++from) {
        const char c = *from;
        *end = c;
        end += (c != '\r') & (c != '\n');
    }
    return static_cast<std::size_t>(end - out);
}

void cleanCaptureFile(const std::filesystem::path &capture, const std::filesystem::path &cleaned)
{
    const FileDescriptor out(cleaned, O_WRONLY | O_CREAT | O_TRUNC);
    CaptureReader reader(capture);
    const BlockMemory kept(reader.blockSize());
    reader.read([&](std::string_view block) {
        writeAll(out.get(), kept.data(), copyWithoutLineEnds(block, kept.data()), cleaned);
    });
}

std::vector<std::string> scanCaptureFile(const std::filesystem::path &capture)
{
    PageScanner scanner;
    CaptureReader(capture).read([&](std::string_view block) { scanner.feed(block); });
    return std::move(scanner).finish();
}

void scanCaptureFile(const std::filesystem::path &capture, NameSink &sink)
{
    PageScanner scanner(sink);
    CaptureReader(capture).read([&](std::string_view block) { scanner.feed(block); });
    std::move(scanner).finish();
}

void cleanAndScanCaptureFile(const std::filesystem::path &capture, const std::filesystem::path &cleaned, NameSink &sink)
{
    const FileDescriptor out(cleaned, O_WRONLY | O_CREAT | O_TRUNC);
    CaptureReader reader(capture);
    const BlockMemory kept(reader.blockSize());
    PageScanner scanner(sink);
    reader.read([&](std::string_view block) {
        writeAll(out.get(), kept.data(), copyWithoutLineEnds(block, kept.data()), cleaned);
        scanner.feed(block);
    });
    std::move(scanner).finish();
}

} // namespace varnex
