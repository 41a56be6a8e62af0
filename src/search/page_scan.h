#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace varnex {

// Takes each name the scan finds, in page order, as soon as it is complete. The
// view is only valid during the call.
class NameSink {
public:
    virtual void found(std::string_view name) = 0;

protected:
    ~NameSink() = default;
};

// Finds the names a registrar's result page offers: every value of a field
// written as  name="domain…" value="NAME" , in page order, duplicates kept.
//
// The matcher is deliberately simple and literal: it is case-sensitive and never
// looks at a character twice, so a failed test goes on with the next unread
// character ("nname=" misses the field, since the second n was used up by the
// test for "a"). Feed it the page in blocks of any size; the result does not
// depend on where the blocks are cut.
class PageScanner final {
public:
    // Collects the names for finish().
    PageScanner() = default;
    // Hands each name to `sink` instead; finish() then returns nothing.
    explicit PageScanner(NameSink &sink) : m_sink(&sink) { }

    void feed(std::string_view block);

    // The end of the page: a match cut off by it adds nothing, but a value that
    // was being collected counts as far as it got.
    std::vector<std::string> finish() &&;

private:
    enum class State {
        Seek,  // looking for "n"
        NameA, // "n" read, next must be "a"
        NameM,
        NameE,
        NameEquals,
        NameQuote,   // one character skipped: the opening quotation mark
        Domain,      // six characters compared with "domain"
        SkipToSpace, // rest of the field name, up to and including a space
        Value,       // six characters compared with "value="
        ValueQuote,  // one character skipped: the opening quotation mark
        Collect,     // value up to the closing quotation mark
    };

    std::size_t seek(std::string_view in);
    void commitName(std::string_view value);
    void deliver(std::string_view name);

    NameSink *m_sink = nullptr;
    State m_state = State::Seek;
    std::uint64_t m_position = 0;   // characters read so far
    std::uint64_t m_exactUntil = 0; // up to here, look for "n" one character at a time
    std::size_t m_matched = 0;      // characters read of a six-character word
    bool m_mismatch = false;        // that word already differs
    std::string m_name;             // a value cut by the end of a block
    std::vector<std::string> m_names;
};

// Removes carriage-return/line-feed pairs, left to right without looking back,
// so "\r\r\n\n" becomes "\r\n".
void removeCrLfPairs(std::string &text);

// Copies `in` to `out` without CR and LF bytes; returns how many bytes were
// written. `out` has room for in.size() bytes.
std::size_t copyWithoutLineEnds(std::string_view in, char *out);

// Copies the capture file to `cleaned` without its CR and LF bytes.
// Throws SearchError on a file error.
void cleanCaptureFile(const std::filesystem::path &capture, const std::filesystem::path &cleaned);

// Runs PageScanner over the capture file. Throws SearchError on a file error.
std::vector<std::string> scanCaptureFile(const std::filesystem::path &capture);
void scanCaptureFile(const std::filesystem::path &capture, NameSink &sink);

// Both passes in one read of the capture file: the cleaned copy as
// cleanCaptureFile() writes it, and the names as scanCaptureFile() finds them.
void cleanAndScanCaptureFile(const std::filesystem::path &capture, const std::filesystem::path &cleaned,
                             NameSink &sink);

} // namespace varnex
