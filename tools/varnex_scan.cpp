// varnex-scan [--extensions LIST] CAPTURE_FILE | --help | --version
// Runs the program's own cleaning pass, page scan and extension filter on a
// capture file and prints {"found": [...], "shown": [...], "count": N} on one line.

#include "search/capture_folder.h"
#include "search/extension_filter.h"
#include "search/name_lists.h"
#include "search/page_scan.h"
#include "search/search_error.h"
#include "varnex_version.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryFile>

#include <cstdio>

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

QByteArray jsonArray(const QStringList &names)
{
    return QJsonDocument(QJsonArray::fromStringList(names)).toJson(QJsonDocument::Compact);
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
        varnex::cleanCaptureFile(varnex::localPath(capture), varnex::localPath(cleaned.fileName()));
        const QStringList found = varnex::decodeNames(varnex::scanCaptureFile(varnex::localPath(capture)));
        const QStringList shown = varnex::filterNames(found, ticked);
        // Written by hand to keep the keys in this order (QJsonObject sorts them).
        const QByteArray json = "{\"found\":" + jsonArray(found) + ",\"shown\":" + jsonArray(shown)
                                + ",\"count\":" + QByteArray::number(shown.size()) + '}';
        std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), stdout);
        std::fputc('\n', stdout);
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
