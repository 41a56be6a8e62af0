// Times varnex-registrar against six loopback registries (one per ending) that
// take 100 ms over every lookup: the page for fresh names one after another,
// cached pages under wrk, and the service's peak memory.
//
//   bench_registrar [FRESH_PAGES] [WRK_SECONDS]   (defaults 20 and 10; wrk is the Debian package wrk)

#include "registrar_harness.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace std::chrono_literals;
using varnex::bench::Clock;
using varnex::bench::waitUntil;

constexpr int kNamesPerPage = 18;

// A wrk latency such as "812.00us", "4.51ms" or "1.02s", in milliseconds.
double toMs(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9.]+)(us|ms|s|m)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return -1;
    const double value = match.captured(1).toDouble();
    const QString unit = match.captured(2);
    return unit == "us" ? value / 1000 : unit == "ms" ? value : unit == "s" ? value * 1000 : value * 60000;
}

QString wrkLine(const QString &output, const QString &start)
{
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(start))
            return line.trimmed();
    }
    return {};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int freshPages = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 1000) : 20;
    const int wrkSeconds = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 300) : 10;

    // Each lookup takes 100 ms.
    varnex::bench::FixtureRegistries registries(100ms);
    if (!registries.listening()) {
        std::fprintf(stderr, "cannot listen on loopback\n");
        return 1;
    }
    varnex::bench::Registrar registrar(registries);
    QProcess wrk;
    // Nothing here may run on: give up after a bound that grows with the asked work.
    varnex::bench::Teardown teardown(registrar, wrk,
                                     std::chrono::seconds(std::max(120, 60 + 2 * freshPages + 2 * wrkSeconds)));
    if (QString error; !registrar.start(&error))
        return teardown.fail(error);
    const QString base = registrar.origin() + "/whois.cgi?vhost_name=";

    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    // One page, answered while the fixtures serve from this same loop; its time
    // in ms and how many names it offers, or a negative time on failure.
    auto page = [&](const QString &name) -> std::pair<double, int> {
        const auto start = Clock::now();
        QNetworkReply *reply = network.get(QNetworkRequest(QUrl(base + name)));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(25s, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        const bool finished = reply->isFinished();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        reply->deleteLater();
        if (!finished || reply->error() != QNetworkReply::NoError)
            return {-1, 0};
        return {ms, int(reply->readAll().count("<input type=\"checkbox\""))};
    };

    std::vector<double> times;
    int incomplete = 0;
    for (int i = 0; i < freshPages; ++i) {
        const auto [ms, offered] = page(QStringLiteral("free%1x").arg(i));
        if (ms < 0)
            return teardown.fail("a fresh page failed");
        times.push_back(ms);
        incomplete += offered != kNamesPerPage;
    }
    std::sort(times.begin(), times.end());
    const int mostAtOnce = registries.mostAtOnce();
    std::printf("fresh pages: %d names, 100 ms a lookup: median %.1f ms, p90 %.1f ms, min %.1f ms, max %.1f ms\n",
                freshPages, times[times.size() / 2], times[times.size() * 9 / 10], times.front(), times.back());
    std::printf("             %lld lookups (%d a page), at most %d at once on one registry, %d pages not all offered\n",
                registries.lookups(), kNamesPerPage, mostAtOnce, incomplete);

    const QString cached = QStringLiteral("freecached");
    if (page(cached).first < 0)
        return teardown.fail("the warming page failed");
    const QString wrkPath = QStandardPaths::findExecutable("wrk");
    if (wrkPath.isEmpty()) {
        std::printf("cached pages: skipped, wrk is not installed (Debian package wrk)\n");
    } else {
        const long long lookupsBefore = registries.lookups();
        const QStringList arguments{"-t2", "-c64", QStringLiteral("-d%1s").arg(wrkSeconds), "--latency", base + cached};
        wrk.start(wrkPath, arguments);
        // Waiting in the loop, not in waitForFinished, keeps the fixtures answering.
        if (!waitUntil([&] { return wrk.state() == QProcess::NotRunning; }, std::chrono::seconds(wrkSeconds + 30))) {
            return teardown.fail("wrk did not finish");
        }
        const QString output = QString::fromLocal8Bit(wrk.readAllStandardOutput());
        if (wrk.exitStatus() != QProcess::NormalExit || wrk.exitCode() != 0) {
            std::fprintf(stderr, "%s%s", qPrintable(output), wrk.readAllStandardError().constData());
            return teardown.fail("wrk failed");
        }
        const double requestsPerSecond = wrkLine(output, "Requests/sec:").section(' ', -1).toDouble();
        const double p99 = toMs(wrkLine(output, "99%").section(' ', -1));
        QStringList errors;
        for (const char *start : {"Socket errors:", "Non-2xx or 3xx responses:"}) {
            if (const QString line = wrkLine(output, start); !line.isEmpty())
                errors.append(line);
        }
        std::printf("cached pages: wrk -t2 -c64 -d%ds: %.0f requests/s, p99 %.2f ms, %s, %lld new lookups\n",
                    wrkSeconds, requestsPerSecond, p99, errors.isEmpty() ? "0 errors" : qPrintable(errors.join("; ")),
                    registries.lookups() - lookupsBefore);
    }

    const long long peakKb = varnex::bench::procStatusKb(registrar.pid(), "VmHWM:");
    if (peakKb < 0)
        return teardown.fail("cannot read the registrar's peak memory");
    std::printf("registrar peak memory (VmHWM): %.1f MiB\n", double(peakKb) / 1024);
    teardown.stop();
    return 0;
}
