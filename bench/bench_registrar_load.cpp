// Puts varnex-registrar under a steady mixed load: wrk asks mostly cached names
// and some fresh ones (bench/load_mix.lua) while six loopback registries answer
// at once. Prints throughput, latency, failures, how many lookups reached the
// registries, and the service's memory over the run, to show it stays flat.
//
//   bench_registrar_load [SECONDS] [CONNECTIONS]   (defaults 30 and 128; wrk is the Debian package wrk)

#include "registrar_harness.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
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
#include <map>

namespace {

using namespace std::chrono_literals;
using varnex::bench::waitUntil;

constexpr int kHotNames = 50;
// The registrar's cache holds this many names; shown next to the lookup count.
constexpr int kCacheNames = 50000;
// "Flat" allows this much growth from the end of the warm-up to the end of the run.
constexpr double kFlatGrowth = 1.10;
// Long enough for fresh names to fill the cache to its limit (about 2,500
// lookups a second here, 18 a page).
constexpr int kFillSeconds = 40;

// The same names load_mix.lua asks: even ones not registered, odd ones registered.
QString hotName(int i)
{
    return (i % 2 == 0 ? QStringLiteral("freehot%1") : QStringLiteral("hot%1")).arg(i);
}

double mib(long long kb)
{
    return double(kb) / 1024;
}

// The "load_mix: key=value ..." line that load_mix.lua's done() prints, as numbers.
std::map<QString, long long> loadMixFigures(const QString &output)
{
    std::map<QString, long long> figures;
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("load_mix:")))
            continue;
        static const QRegularExpression pair(QStringLiteral("(\\w+)=(\\d+)"));
        for (auto it = pair.globalMatch(line); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            figures[match.captured(1)] = match.captured(2).toLongLong();
        }
    }
    return figures;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 600) : 30;
    const int connections = argc > 2 ? std::clamp(std::atoi(argv[2]), 2, 10000) : 128;

    const QString wrkPath = QStandardPaths::findExecutable("wrk");
    if (wrkPath.isEmpty()) {
        std::fprintf(stderr, "wrk is not installed (Debian package wrk); nothing to measure\n");
        return 1;
    }
    if (!QFile::exists(VARNEX_LOAD_MIX_LUA)) {
        std::fprintf(stderr, "the wrk script %s is missing\n", VARNEX_LOAD_MIX_LUA);
        return 1;
    }

    // No delay: a fresh name costs lookups but hardly any time, so what is left
    // is the registrar's own work.
    varnex::bench::FixtureRegistries registries(0ms);
    if (!registries.listening()) {
        std::fprintf(stderr, "cannot listen on loopback\n");
        return 1;
    }
    auto lookups = [&] { return registries.lookups(); };
    varnex::bench::Registrar registrar(registries);
    QProcess wrk;
    // The whole run, warm-up and wrk included, ends within this bound.
    varnex::bench::Teardown teardown(registrar, wrk, std::chrono::seconds(seconds + kFillSeconds + 90));
    if (QString error; !registrar.start(&error))
        return teardown.fail(error);
    const qint64 pid = registrar.pid();
    const QString origin = registrar.origin();

    // Warm-up, part one: every hot name once, so wrk's hot pages come from the cache.
    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    auto warmHotNames = [&] {
        for (int i = 0; i < kHotNames; ++i) {
            QNetworkReply *reply = network.get(QNetworkRequest(QUrl(origin + "/whois.cgi?vhost_name=" + hotName(i))));
            QEventLoop loop;
            QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
            QTimer::singleShot(25s, &loop, &QEventLoop::quit);
            if (!reply->isFinished())
                loop.exec();
            const bool ok = reply->isFinished() && reply->error() == QNetworkReply::NoError;
            reply->deleteLater();
            if (!ok)
                return false;
        }
        return true;
    };
    if (!warmHotNames())
        return teardown.fail("a warm-up page failed");

    // Warm-up, part two: fresh names only, until the cache has reached its size
    // limit; from then on its memory should stay put. The hot names are asked
    // again afterwards, as the fill pushed them out.
    wrk.start(wrkPath, {"-t2", "--timeout", "25s", QStringLiteral("-c%1").arg(connections),
                        QStringLiteral("-d%1s").arg(kFillSeconds), "-s", VARNEX_LOAD_MIX_LUA, origin, "--", "fill"});
    if (!waitUntil([&] { return wrk.state() == QProcess::NotRunning; }, std::chrono::seconds(kFillSeconds + 30)))
        return teardown.fail("wrk did not finish filling the cache");
    wrk.readAllStandardOutput();
    if (!warmHotNames())
        return teardown.fail("a warm-up page failed");
    const long long warmLookups = lookups();
    const long long rssAfterWarmUp = varnex::bench::procStatusKb(pid, "VmRSS:");

    // One sample a second while wrk runs; the timer fires from the same loop
    // that lets the fixtures answer.
    std::vector<long long> rss;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, &app, [&] {
        if (const long long kb = varnex::bench::procStatusKb(pid, "VmRSS:"); kb > 0)
            rss.push_back(kb);
    });
    // A fresh page may take up to the 20 s page deadline: wrk's own 2 s limit would count it as failed.
    const QStringList arguments{"-t2",
                                "--timeout",
                                "25s",
                                QStringLiteral("-c%1").arg(connections),
                                QStringLiteral("-d%1s").arg(seconds),
                                "--latency",
                                "-s",
                                VARNEX_LOAD_MIX_LUA,
                                origin};
    wrk.start(wrkPath, arguments);
    sampler.start(1s);
    // Waiting in the loop, not in waitForFinished, keeps the fixtures answering.
    const bool finished =
        waitUntil([&] { return wrk.state() == QProcess::NotRunning; }, std::chrono::seconds(seconds + 30));
    sampler.stop();
    if (!finished)
        return teardown.fail("wrk did not finish");
    if (const long long kb = varnex::bench::procStatusKb(pid, "VmRSS:"); kb > 0)
        rss.push_back(kb);
    const QString output = QString::fromLocal8Bit(wrk.readAllStandardOutput());
    if (wrk.exitStatus() != QProcess::NormalExit || wrk.exitCode() != 0) {
        std::fprintf(stderr, "%s%s", qPrintable(output), wrk.readAllStandardError().constData());
        return teardown.fail("wrk failed");
    }
    std::map<QString, long long> figures = loadMixFigures(output);
    if (!figures.count("requests") || !figures.count("duration_us")) {
        std::fprintf(stderr, "%s", qPrintable(output));
        return teardown.fail("wrk printed no load_mix line");
    }
    const long long requests = figures["requests"];
    const long long socketErrors = figures["connect"] + figures["read"] + figures["write"] + figures["timeout"];
    const long long failed = figures["non2xx"] + socketErrors;
    const long long runLookups = lookups() - warmLookups;
    const long long peak = varnex::bench::procStatusKb(pid, "VmHWM:");
    if (rss.size() < 3 || rssAfterWarmUp <= 0 || peak <= 0)
        return teardown.fail("cannot read the registrar's memory");

    std::printf("load: wrk -t2 -c%d -d%ds, %d hot names cached, about 20%% fresh names\n", connections, seconds,
                kHotNames);
    std::printf("throughput: %.0f requests/s, p50 %.2f ms, p99 %.2f ms\n",
                double(requests) / (double(figures["duration_us"]) / 1e6), double(figures["p50_us"]) / 1000,
                double(figures["p99_us"]) / 1000);
    std::printf("requests: %lld total, %lld fresh names\n", requests, figures["fresh"]);
    if (failed == 0) {
        std::printf("failed requests: 0 failed\n");
    } else {
        std::printf("failed requests: %lld failed (non-2xx %lld, connect %lld, read %lld, write %lld, timeout %lld)\n",
                    failed, figures["non2xx"], figures["connect"], figures["read"], figures["write"],
                    figures["timeout"]);
    }
    std::printf("lookups: %lld during the run (%lld in warm-up; the cache keeps at most %d names)\n", runLookups,
                warmLookups, kCacheNames);

    // Fresh names keep adding cache entries for the whole run, but the cache
    // drops the least recently used beyond its size limit, so once that is
    // reached the service's memory should level off rather than keep climbing.
    const long long atFirstThird = rss[(rss.size() - 1) / 3];
    const long long atSecondThird = rss[2 * (rss.size() - 1) / 3];
    const long long atEnd = rss.back();
    std::printf("memory: RSS after warm-up %.1f MiB, at 1/3 %.1f MiB, at 2/3 %.1f MiB, at end %.1f MiB, VmHWM %.1f MiB "
                "(%zu samples)\n",
                mib(rssAfterWarmUp), mib(atFirstThird), mib(atSecondThird), mib(atEnd), mib(peak), rss.size());
    if (warmLookups < kCacheNames)
        std::printf(
            "note: the warm-up did not fill the cache (a busy machine?), so it was still growing during the run\n");
    const double growth = double(atEnd) / double(rssAfterWarmUp);
    std::printf("memory flat after warm-up: %s (end is %.2fx the RSS after warm-up, at most %.2fx allowed)\n",
                growth <= kFlatGrowth ? "yes" : "no", growth, kFlatGrowth);

    teardown.stop();
    if (failed > 0) {
        std::fprintf(stderr, "%lld of %lld requests failed\n", failed, requests);
        return 1;
    }
    return 0;
}
