// Times the cleaning pass, the page scan and the extension filter on a generated
// 64 MiB registrar-like page with about 170,000 offered names (CRLF line ends),
// beside `tr -d '\r\n'` and `grep -oa` on the same file.
//
//   bench_scan [FOLDER]    (default: a temporary folder; the page is about 64 MiB)

#include "search/name_lists.h"
#include "search/page_scan.h"
#include "ui/main_window/list_box.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;
constexpr std::size_t kPageSize = std::size_t(64) << 20;
constexpr int kNames = 170000;

// One result row per offered name, padded with page-like text to reach the size.
std::string generatePage()
{
    const std::size_t rowSize = (kPageSize - 1024) / kNames;
    const std::string rowEnd = "</td></tr>\r\n";
    const char *endings[] = {".com", ".net", ".org", ".biz", ".info", ".us", ".de"};
    std::string page = "<html>\r\n<head><title>Domain name search results</title></head>\r\n<body>\r\n"
                       "<form name=\"results\" action=\"/cart.cgi\" method=\"post\">\r\n<table>\r\n";
    page.reserve(kPageSize + 4096);
    for (int i = 0; i < kNames; ++i) {
        const std::string name = "shopname" + std::to_string(i) + endings[i % 7];
        std::string row = "<tr class=\"available\"><td><input type=\"checkbox\" name=\"domain" + std::to_string(i + 1)
                          + "\" value=\"" + name + "\"></td>\r\n<td>" + name
                          + " is not registered and can be yours</td><td class=\"price\">"
                            "$8.95 / year</td>\r\n<td><span>Renewal pricing and transfer notes</span>";
        while (row.size() + rowEnd.size() + 8 < rowSize)
            row += row.size() % 3 ? " annual" : " <br>\r\n";
        row.resize(rowSize - rowEnd.size(), ' ');
        page += row + rowEnd;
    }
    return page + "</table>\r\n<input type=\"submit\" name=\"add\" value=\"Add to cart\">\r\n</form>\r\n</body>\r\n</html>\r\n";
}

double medianMs(const std::function<void()> &work)
{
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void shell(const std::string &command)
{
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

void report(const char *what, double ours, const char *reference, double theirs)
{
    std::printf("%-10s varnex %8.1f ms   %-44s %8.1f ms   ratio %.2fx\n", what, ours, reference, theirs, theirs / ours);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temporary;
    const std::string folder = argc > 1 ? argv[1] : temporary.path().toStdString();
    const std::string page = folder + "/chkdom.tmp";
    const std::string cleaned = folder + "/clean.tmp";

    {
        const std::string text = generatePage();
        std::ofstream(page, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
        std::printf("page: %s, %.1f MiB, %d offered names, median of %d rounds\n", page.c_str(),
                    double(text.size()) / (1 << 20), kNames, kRounds);
    }
    shell("cat '" + page + "' > /dev/null"); // both sides read from the page cache

    const double clean = medianMs([&] { varnex::cleanCaptureFile(page, cleaned); });
    const double tr = medianMs([&] { shell("tr -d '\\r\\n' < '" + page + "' > '" + folder + "/tr.out'"); });
    shell("cmp -s '" + cleaned + "' '" + folder + "/tr.out'");
    report("clean", clean, "tr -d '\\r\\n' < page > out", tr);

    std::vector<std::string> found;
    const double scan = medianMs([&] { found = varnex::scanCaptureFile(page); });
    const double grep = medianMs([&] {
        shell("grep -oa 'name=\"domain[^ ]* value=\"[^\"]*\"' '" + page + "' > '" + folder + "/grep.out'");
    });
    report("scan", scan, "grep -oa 'name=\"domain[^ ]* value=...' page", grep);
    std::printf("           found %zu names\n", found.size());

    const QStringList names = varnex::decodeNames(found);
    varnex::ListBox results;
    QLabel count;
    results.show();
    count.show();
    varnex::TickedExtensions ticked;
    ticked.set();
    const double filter = medianMs([&] {
        results.setItems(varnex::filterNames(names, ticked));
        count.setText(QString::number(results.count()));
        QCoreApplication::processEvents(); // lay out and paint what is shown
    });
    std::printf("filter     %zu found names into the results list with the count: %.1f ms (%s shown and painted)\n",
                found.size(), filter, qPrintable(count.text()));
    return 0;
}
