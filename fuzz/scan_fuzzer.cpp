// Fuzzes the page scan, the cleaning pass and the ending filter.
//
// Input: byte 0 holds the ticked boxes (low six bits), byte 1 seeds the block
// sizes the page is fed in, the rest is the page. Every check traps on failure
// so libFuzzer keeps the input.

#include "search/extension_filter.h"
#include "search/page_scan.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Names = std::vector<std::string>;

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "scan_fuzzer: check failed: %s\n", what);
        __builtin_trap();
    }
}

// Written apart from the scanner on purpose: one pass over the whole page by
// index, each step of the field pattern spelt out, so a slip in the scanner's
// block-wise state machine cannot be repeated here.
Names referenceScan(std::string_view page)
{
    Names names;
    const std::size_t size = page.size();
    std::size_t i = 0;

    auto dropCrLfPairs = [](const std::string &value) {
        std::string out;
        for (std::size_t k = 0; k < value.size(); ++k) {
            if (value[k] == '\r' && k + 1 < value.size() && value[k + 1] == '\n') {
                ++k; // the pair goes; what follows is not looked at again
                continue;
            }
            out += value[k];
        }
        return out;
    };

    while (i < size) {
        // An "n" anywhere starts a try.
        while (i < size && page[i] != 'n')
            ++i;
        if (i == size)
            break;
        ++i;

        // "ame=", one character each; a wrong one is used up and the search for
        // "n" starts after it.
        bool restart = false;
        for (const char want : std::string_view("ame=")) {
            if (i == size)
                return names;
            if (page[i++] != want) {
                restart = true;
                break;
            }
        }
        if (restart)
            continue;

        // The opening quotation mark, whatever it is.
        if (i == size)
            return names;
        ++i;

        // Six characters against "domain", all six used up even when the first differs.
        if (size - i < 6)
            return names;
        const bool domain = page.substr(i, 6) == "domain";
        i += 6;
        if (!domain)
            continue;

        // The rest of the field name, through the next space.
        while (i < size && page[i] != ' ')
            ++i;
        if (i == size)
            return names;
        ++i;

        if (size - i < 6)
            return names;
        const bool value = page.substr(i, 6) == "value=";
        i += 6;
        if (!value)
            continue;

        if (i == size)
            return names;
        ++i;

        // The value runs to the next double quotation mark or to the end of the page.
        std::size_t end = i;
        while (end < size && page[end] != '"')
            ++end;
        const std::string collected(page.substr(i, end - i));
        if (!collected.empty())
            names.push_back(dropCrLfPairs(collected));
        if (end == size)
            return names;
        i = end + 1;
    }
    return names;
}

// Same cut every time for the same seed: sizes 1 to 256, cycling from the seed.
Names scanInBlocks(std::string_view page, std::uint8_t seed)
{
    varnex::PageScanner scanner;
    scanner.feed({}); // an empty block must change nothing
    std::size_t step = seed;
    while (!page.empty()) {
        const std::size_t block = std::min<std::size_t>(page.size(), step % 256 + 1);
        scanner.feed(page.substr(0, block));
        page.remove_prefix(block);
        ++step;
    }
    scanner.feed({});
    return std::move(scanner).finish();
}

void checkCleaning(std::string_view page)
{
    // Exactly page.size() bytes, so a write past the room promised shows up in ASan.
    const std::unique_ptr<char[]> out(new char[page.size()]);
    const std::size_t written = varnex::copyWithoutLineEnds(page, out.get());

    std::string expected;
    std::remove_copy_if(page.begin(), page.end(), std::back_inserter(expected),
                        [](char c) { return c == '\r' || c == '\n'; });
    check(written == expected.size(), "cleaned size");
    check(std::string_view(out.get(), written) == expected, "cleaned bytes");
}

void checkFilter(const Names &found, const varnex::TickedExtensions &ticked)
{
    // The box order on screen: .com .net .org .biz .info .us, each by its last three characters.
    static constexpr std::string_view kEndings[6] = {"com", "net", "org", "biz", "nfo", ".us"};

    Names shown;
    Names expected;
    for (const std::string &name : found) {
        bool want = false;
        if (name.size() >= 3) {
            const std::string_view tail = std::string_view(name).substr(name.size() - 3);
            for (std::size_t row = 0; row < 6; ++row)
                want = want || (ticked[row] && tail == kEndings[row]);
        }
        const bool got = varnex::isShown<char>(name, ticked);
        check(got == want, "isShown");
        if (got)
            shown.push_back(name);
        if (want)
            expected.push_back(name);
    }
    check(shown == expected, "shown names and their order");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const varnex::TickedExtensions ticked(data[0] & 0x3f);
    const std::uint8_t seed = data[1];
    const std::string_view page(reinterpret_cast<const char *>(data + 2), size - 2);

    const Names found = scanInBlocks(page, seed);
    check(found == referenceScan(page), "scanner against the reference matcher");

    checkCleaning(page);
    checkFilter(found, ticked);
    return 0;
}
