// The search chain on a generated 64 MiB registrar-like page with about 170,000
// offered names (CRLF line ends), in one run:
//
//  - whole processes, as a user times them (hyperfine-style: each command through
//    sh -c, rounds interleaved, medians): tr -d '\r\n' plus grep -oa one after
//    the other, cp of the page (reading and writing it once: the floor), and
//    varnex-scan, with the ratios;
//  - the cleaning pass, the page scan and the filter as functions, beside tr and grep;
//  - the window's whole chain, Enter in the name box to the count shown, with the
//    page served from loopback, its stages and its peak memory (VmHWM).
//
//   bench_scan [FOLDER [ROUNDS [PART]]]   (default: a temporary folder, 7 rounds,
//                                          all of PART: processes, functions, chain)

#include "page_server.h"

#include "search/name_lists.h"
#include "search/page_scan.h"
#include "ui/main_window/form1.h"
#include "ui/main_window/list_box.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kPageSize = std::size_t(64) << 20;
constexpr int kNames = 170000;
int rounds = 7;

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
    return page
           + "</table>\r\n<input type=\"submit\" name=\"add\" value=\"Add to "
             "cart\">\r\n</form>\r\n</body>\r\n</html>\r\n";
}

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double medianMs(const std::function<void()> &work)
{
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        work();
        times.push_back(msSince(start));
    }
    return median(times);
}

void shell(const std::string &command)
{
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

std::string quoted(const std::string &text)
{
    return "'" + text + "'";
}

// Kilobytes of a "VmHWM:" or "VmRSS:" line of /proc/self/status.
long statusKb(const char *field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::strlen(field));
    }
    return -1;
}

struct Command {
    std::string label;
    std::string line;
    std::vector<double> times;
};

void wholeProcesses(const std::string &folder, const std::string &page)
{
    const std::string grepPattern = R"('name="domain[^ ]* value="[^"]*"')";
    const std::string trGrep = "tr -d '\\r\\n' < " + quoted(page) + " > " + quoted(folder + "/tr.out") + "; grep -oa "
                               + grepPattern + " " + quoted(page) + " > " + quoted(folder + "/grep.out");
    std::vector<Command> commands{
        {"tr + grep (LC_ALL=C)", "export LC_ALL=C; " + trGrep, {}},
        {"tr + grep (LC_ALL=C.UTF-8)", "export LC_ALL=C.UTF-8; " + trGrep, {}},
        {"cp", "cp " + quoted(page) + " " + quoted(folder + "/cp.out"), {}},
        {"varnex-scan", quoted(VARNEX_SCAN_PATH) + " " + quoted(page) + " > " + quoted(folder + "/scan.out"), {}},
    };
    for (Command &command : commands)
        shell(command.line); // warm-up: programs and page in the page cache
    for (int round = 0; round < rounds; ++round) {
        for (Command &command : commands) {
            const auto start = Clock::now();
            shell(command.line);
            command.times.push_back(msSince(start));
        }
    }
    std::printf("\nWhole processes, each through sh -c, %d interleaved rounds, medians:\n", rounds);
    for (const Command &command : commands)
        std::printf("  %-28s %8.1f ms   %s\n", command.label.c_str(), median(command.times), command.line.c_str());
    const double trGrepC = median(commands[0].times);
    const double trGrepUtf8 = median(commands[1].times);
    const double cp = median(commands[2].times);
    const double scan = median(commands[3].times);
    std::printf(
        "  varnex-scan / (tr + grep):  %.2fx with LC_ALL=C, %.2fx with LC_ALL=C.UTF-8;   varnex-scan / cp: %.2fx\n",
        scan / trGrepC, scan / trGrepUtf8, scan / cp);
}

void functions(const std::string &folder, const std::string &page)
{
    const std::string cleaned = folder + "/clean.tmp";
    std::printf("\nFunctions in this process, %d rounds, medians:\n", rounds);
    const double clean = medianMs([&] { varnex::cleanCaptureFile(page, cleaned); });
    const double tr = medianMs([&] { shell("tr -d '\\r\\n' < " + quoted(page) + " > " + quoted(folder + "/tr.out")); });
    shell("cmp -s " + quoted(cleaned) + " " + quoted(folder + "/tr.out"));
    std::printf("  cleaning pass %8.1f ms   tr -d '\\r\\n' < page > out %8.1f ms\n", clean, tr);

    QStringList names;
    const double scan = medianMs([&] { names = varnex::scanCaptureNames(page); });
    const double grep = medianMs([&] {
        shell("LC_ALL=C grep -oa 'name=\"domain[^ ]* value=\"[^\"]*\"' " + quoted(page) + " > "
              + quoted(folder + "/grep.out"));
    });
    std::printf("  page scan into the decoded list %8.1f ms (%lld names)   LC_ALL=C grep -oa ... page > out %8.1f ms\n",
                scan, static_cast<long long>(names.size()), grep);

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
    std::printf("  filter into the results list with the count, laid out and painted %8.1f ms (%s shown)\n", filter,
                qPrintable(count.text()));
}

void windowChain(const std::string &folder, const std::string &page)
{
    PageServer server(page);
    const QString captureFolder = QString::fromStdString(folder + "/window");
    QDir().mkpath(captureFolder);
    // No wait for a repeat after Enter's release: the time is the chain's.
    varnex::Form1 form(varnex::SearchSettings{.registrarHost = QString::fromStdString(server.hostAndPort()),
                                              .captureFolder = captureFolder,
                                              .keyRepeatGap = std::chrono::milliseconds(0)});
    form.show();
    auto *text2 = form.findChild<QLineEdit *>("Text2");
    auto *label9 = form.findChild<QLabel *>("Label9");
    QTest::keyClicks(text2, "my shop");
    QCoreApplication::processEvents();

    // When each status text appears: the ends of the fetch and capture, the cleaning pass, the scan.
    std::vector<std::pair<QString, Clock::time_point>> marks;
    QObject::connect(&form, &varnex::Form1::statusChanged,
                     [&](const QString &text) { marks.emplace_back(text.trimmed(), Clock::now()); });
    std::vector<double> chain, painted, fetched, cleaned, scanned, filtered, curl, scan;
    // The same page as a user gets it from the shell, in turns with the window:
    // fetched to a file by curl, then scanned by varnex-scan.
    const std::string curlLine = "curl -sS -o " + quoted(folder + "/curl.out") + " 'http://" + server.hostAndPort()
                                 + "/whois.cgi?vhost_name=myshop'";
    const std::string scanLine =
        quoted(VARNEX_SCAN_PATH) + " " + quoted(folder + "/curl.out") + " > " + quoted(folder + "/scan.out");
    long peak = 0;
    long before = 0;
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        shell(curlLine);
        curl.push_back(msSince(start));
        start = Clock::now();
        shell(scanLine);
        scan.push_back(msSince(start));

        label9->setText(QString());
        marks.clear();
        before = statusKb("VmRSS:");
        std::ofstream("/proc/self/clear_refs") << "5"; // peak memory from here
        start = Clock::now();
        QTest::keyClick(text2, Qt::Key_Return);
        QCoreApplication::processEvents(); // the search starts on the loop's next turn and runs whole there
        const auto end = Clock::now();
        QCoreApplication::processEvents(); // lay out and paint what is shown
        painted.push_back(msSince(start));
        peak = std::max(peak, statusKb("VmHWM:"));
        if (label9->text().isEmpty() || marks.size() != 4) {
            std::fprintf(stderr, "the search did not finish\n");
            std::exit(1);
        }
        auto ms = [](Clock::time_point from, Clock::time_point to) {
            return std::chrono::duration<double, std::milli>(to - from).count();
        };
        chain.push_back(ms(start, end));
        fetched.push_back(ms(start, marks[1].second));           // "Cleaning File..."
        cleaned.push_back(ms(marks[1].second, marks[2].second)); // "Scan File..."
        scanned.push_back(ms(marks[2].second, marks[3].second)); // "List complete!"
        filtered.push_back(ms(marks[3].second, end));
    }
    std::printf("\nThe window's chain, Enter to the count shown, page from a loopback server, %d rounds, medians:\n",
                rounds);
    std::printf("  Enter to count %8.1f ms (%s shown); with the list laid out and painted %8.1f ms\n", median(chain),
                qPrintable(label9->text()), median(painted));
    std::printf("  stages: fetch and capture %.1f ms, cleaning pass %.1f ms, scan into the found list %.1f ms, "
                "filter and count %.1f ms\n",
                median(fetched), median(cleaned), median(scanned), median(filtered));
    std::printf("  peak memory (VmHWM) %.1f MiB, from %.1f MiB before Enter\n", peak / 1024.0, before / 1024.0);
    std::printf("  in turns with it, as processes: curl -o page %.1f ms, then varnex-scan page %.1f ms; "
                "the chain takes %.2fx of varnex-scan, %.2fx of the two together\n",
                median(curl), median(scan), median(chain) / median(scan),
                median(chain) / (median(curl) + median(scan)));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temporary;
    const std::string folder = argc > 1 ? argv[1] : temporary.path().toStdString();
    if (argc > 2)
        rounds = std::max(5, std::atoi(argv[2]));
    const std::string page = folder + "/chkdom.tmp";

    {
        const std::string text = generatePage();
        std::ofstream(page, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
        std::printf("page: %s, %.1f MiB, %d offered names, CRLF line ends\n", page.c_str(),
                    double(text.size()) / (1 << 20), kNames);
    }
    const std::string part = argc > 3 ? argv[3] : "";
    if (part.empty() || part == "processes")
        wholeProcesses(folder, page);
    if (part.empty() || part == "functions")
        functions(folder, page);
    if (part.empty() || part == "chain")
        windowChain(folder, page);
    return 0;
}
