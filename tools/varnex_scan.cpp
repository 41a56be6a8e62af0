// varnex-scan [--extensions LIST] CAPTURE_FILE | --help | --version
// Runs the program's own cleaning pass, page scan and extension filter on a
// capture file and prints {"found": [...], "shown": [...], "count": N} on one line.

#include "search/capture_folder.h"
#include "search/extension_filter.h"
#include "search/names_json.h"
#include "search/page_scan.h"
#include "search/search_error.h"
#include "varnex_version.h"

#include <QCoreApplication>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kUsage[] = "usage: varnex-scan [--extensions com,net,org,biz,info,us] CAPTURE_FILE\n";
constexpr char kHelp[] =
    "Runs Varnex's cleaning pass, page scan and extension filter on a capture file\n"
    "and prints {\"found\": [...], \"shown\": [...], \"count\": N} on one line.\n"
    "\n"
    "  --extensions LIST  the ticked endings, comma-separated (default: all six)\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "Exit status: 0 when the file was scanned, 1 when it could not be read, 2 on a usage error.\n";
constexpr int kRunFailure = 1;
constexpr int kUsageError = 2;

// {"found":[...],"shown":[...],"count":N} and a line end, in this key order.
bool printJson(const varnex::NamesJson &names)
{
    const std::string count = std::to_string(names.shownCount());
    const std::string_view pieces[] = {R"({"found":[)", names.foundItems(), R"(],"shown":[)", names.shownItems(),
                                       R"(],"count":)", count, "}\n"};
    for (const std::string_view piece : pieces) {
        if (std::fwrite(piece.data(), 1, piece.size(), stdout) != piece.size())
            return false;
    }
    return std::fflush(stdout) == 0;
}

int usageError(const QString &reason)
{
    std::fprintf(stderr, "varnex-scan: %s\n%s", qPrintable(reason), kUsage);
    return kUsageError;
}

int run(const QStringList &args)
{
    varnex::TickedExtensions ticked;
    ticked.set();
    QString capture;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool option = !optionsEnded && arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-");
        if (!option) {
            if (!capture.isEmpty())
                return usageError(QStringLiteral("one capture file only, not also '%1'").arg(arg));
            capture = arg;
        } else if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == QLatin1String("--version")) {
            std::printf("varnex-scan %s\n", varnex::kVersion);
            return 0;
        } else if (arg == QLatin1String("--extensions")) {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("--extensions needs a list, e.g. com,net"));
            if (!varnex::parseExtensionList(args[++i].toStdString(), ticked))
                return usageError(QStringLiteral("unknown extension in '%1'").arg(args[i]));
        } else {
            return usageError(QStringLiteral("unknown option '%1'").arg(arg));
        }
    }
    if (capture.isEmpty())
        return usageError(QStringLiteral("no capture file named"));

    try {
        QTemporaryFile cleaned;
        if (!cleaned.open())
            throw varnex::SearchError(cleaned.error(), cleaned.errorString().toStdString());
        // One read of the capture for the cleaning pass and the scan, and the
        // output escaped straight from the scanned bytes.
        // A registrar's page spends far more than eight bytes of markup on each
        // byte of a name; set that much aside so the arrays rarely grow.
        std::error_code noSize;
        const auto pageSize = std::filesystem::file_size(varnex::localPath(capture), noSize);
        varnex::NamesJson names(ticked, noSize ? 0 : static_cast<std::size_t>(std::min<std::uintmax_t>(pageSize / 8, std::uintmax_t(1) << 30)));
        varnex::cleanAndScanCaptureFile(varnex::localPath(capture), varnex::localPath(cleaned.fileName()), names);
        if (!printJson(names))
            throw varnex::SearchError(errno ? errno : EIO, std::string("Cannot write the output: ") + std::strerror(errno ? errno : EIO));
        return 0;
    } catch (const varnex::SearchError &error) {
        std::fprintf(stderr, "varnex-scan: error %d: %s\n", error.number(), error.what());
        return kRunFailure;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return run(QCoreApplication::arguments());
}
