// varnex-scan [--extensions LIST] [--] CAPTURE_FILE | -h | --help | --version
// Runs the program's own cleaning pass, page scan and extension filter on a
// capture file and prints {"found": [...], "shown": [...], "count": N} on one line.
//
// Plain C++ on the scan's own library: started once per file, it has no use for
// Qt's start-up, and it takes the arguments and paths as the bytes they are.

#include "search/extension_filter.h"
#include "search/names_json.h"
#include "search/page_scan.h"
#include "search/search_error.h"
#include "varnex_version.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr char kUsage[] = "usage: varnex-scan [--extensions com,net,org,biz,info,us] [--] CAPTURE_FILE\n";
constexpr char kHelp[] =
    "Runs Varnex's cleaning pass, page scan and extension filter on a capture file\n"
    "and prints {\"found\": [...], \"shown\": [...], \"count\": N} on one line.\n"
    "\n"
    "  --extensions LIST  the ticked endings, comma-separated, with or without the dot, in any case\n"
    "                     (default: all six); also --extensions=LIST\n"
    "  --                 take the next argument as the file, even when it begins with a dash\n"
    "  -h, --help         show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "Exit status: 0 when the file was scanned, 1 when it could not be read, 2 on a usage error.\n";
constexpr int kRunFailure = 1;
constexpr int kUsageError = 2;

// The cleaned copy: a scratch file in the temporary folder ($TMPDIR, else
// /tmp), removed when the run ends.
class ScratchFile final {
public:
    ScratchFile()
    {
        const char *folder = std::getenv("TMPDIR");
        m_path = std::string(folder && *folder ? folder : "/tmp") + "/varnex-scan.XXXXXX";
        const int fd = ::mkstemp(m_path.data());
        if (fd < 0) {
            const int error = errno;
            throw varnex::SearchError(error, "Cannot create a scratch file " + m_path + ": " + std::strerror(error));
        }
        ::close(fd);
    }
    ~ScratchFile() { ::unlink(m_path.c_str()); }
    ScratchFile(const ScratchFile &) = delete;
    ScratchFile &operator=(const ScratchFile &) = delete;

    const std::string &path() const { return m_path; }

private:
    std::string m_path;
};

// {"found":[...],"shown":[...],"count":N} and a line end, in this key order.
bool printJson(const varnex::NamesJson &names)
{
    const std::string count = std::to_string(names.shownCount());
    const std::string_view pieces[] = {
        R"({"found":[)", names.foundItems(), R"(],"shown":[)", names.shownItems(), R"(],"count":)", count, "}\n"};
    for (const std::string_view piece : pieces) {
        // An empty list may have no storage at all, and fwrite takes no null pointer.
        if (!piece.empty() && std::fwrite(piece.data(), 1, piece.size(), stdout) != piece.size())
            return false;
    }
    return std::fflush(stdout) == 0;
}

int usageError(const std::string &reason)
{
    std::fprintf(stderr, "varnex-scan: %s\n%s", reason.c_str(), kUsage);
    return kUsageError;
}

int run(int argc, char *argv[])
{
    varnex::TickedExtensions ticked;
    ticked.set();
    std::string capture;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool option = !optionsEnded && arg.starts_with('-') && arg != "-";
        if (!option) {
            if (!capture.empty())
                return usageError("one capture file only, not also '" + std::string(arg) + "'");
            capture = arg;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("varnex-scan %s\n", varnex::kVersion);
            return 0;
        } else if (arg == "--extensions" || arg.starts_with("--extensions=")) {
            std::string_view list;
            if (arg.starts_with("--extensions=")) {
                list = arg.substr(std::string_view("--extensions=").size());
            } else {
                if (i + 1 >= argc)
                    return usageError("--extensions needs a list, e.g. com,net");
                list = argv[++i];
            }
            if (!varnex::parseExtensionList(list, ticked))
                return usageError("unknown extension in '" + std::string(list) + "'");
        } else {
            return usageError("unknown option '" + std::string(arg) + "'");
        }
    }
    if (capture.empty())
        return usageError("no capture file named");

    try {
        const ScratchFile cleaned;
        // One read of the capture for the cleaning pass and the scan, and the
        // output escaped straight from the scanned bytes.
        varnex::NamesJson names(ticked);
        varnex::cleanAndScanCaptureFile(capture, cleaned.path(), names);
        if (!printJson(names)) {
            const int error = errno ? errno : EIO;
            throw varnex::SearchError(error, std::string("Cannot write the output: ") + std::strerror(error));
        }
        return 0;
    } catch (const varnex::SearchError &error) {
        std::fprintf(stderr, "varnex-scan: error %d: %s\n", error.number(), error.what());
        return kRunFailure;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    return run(argc, argv);
}
