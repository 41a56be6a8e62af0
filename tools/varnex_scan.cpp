// varnex-scan [--extensions LIST] CAPTURE_FILE
// Runs the program's own cleaning pass, page scan and extension filter on a
// capture file and prints {"found": [...], "shown": [...], "count": N} on one line.

#include "search/capture_folder.h"
#include "search/extension_filter.h"
#include "search/name_lists.h"
#include "search/page_scan.h"
#include "search/search_error.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryFile>

#include <cstdio>

namespace {

constexpr char kUsage[] = "usage: varnex-scan [--extensions com,net,org,biz,info,us] CAPTURE_FILE\n";

QByteArray jsonArray(const QStringList &names)
{
    return QJsonDocument(QJsonArray::fromStringList(names)).toJson(QJsonDocument::Compact);
}

int run(const QStringList &args)
{
    varnex::TickedExtensions ticked;
    ticked.set();
    QString capture;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--extensions") && i + 1 < args.size()) {
            if (!varnex::parseExtensionList(args[++i].toStdString(), ticked)) {
                std::fprintf(stderr, "varnex-scan: unknown extension in '%s'\n%s", qPrintable(args[i]), kUsage);
                return 2;
            }
        } else if (args[i] == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (capture.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            capture = args[i];
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (capture.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

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
        return 1;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return run(QCoreApplication::arguments());
}
