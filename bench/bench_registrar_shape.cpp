// Times a fresh page of varnex-registrar against registries shaped like the
// real ones: .com and .net on one host, .org, .biz, .info and .us on their own,
// every lookup answered after 100 ms and connections kept alive, as played by
// tests/support/stand_in_registry.py --world. Once with registries that speak
// only HTTP/1.1, once with registries that speak HTTP/2. Pages of names that
// are all free (every answer a 404, the costly case on HTTP/1.1, where a 404 on
// a reused connection is asked again on a new one) and all registered. Last,
// HTTP/1.1 registries behind a DNS screen (tests/support/stand_in_dns.py,
// answering after 10 ms): a name with name servers needs no registry lookup.
// Then behind a resolver that drops one question in five, and one that answers
// nothing: each page beside the same page with --resolver off shows what such
// a resolver adds to a page.
//
// First, pages of word suggestions with every name free: 30 names offered,
// most of them under .com.
//
//   bench_registrar_shape [PAGES] [--words]   (default 20 of each kind; --words: those pages only)

#include "registrar_harness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

using namespace std::chrono_literals;
using varnex::bench::waitUntil;

constexpr double kRoundTripMs = 100;

struct Figures {
    double median = -1;
    double p90 = -1;
    int incomplete = 0; // pages on which a name could not be checked
};

Figures timePages(const QString &origin, const QString &stem, int pages)
{
    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    std::vector<double> times;
    Figures figures;
    for (int i = 0; i < pages; ++i) {
        QElapsedTimer timer;
        timer.start();
        QNetworkReply *reply =
            network.get(QNetworkRequest(QUrl(origin + "/whois.cgi?vhost_name=" + stem + QString::number(i))));
        waitUntil([reply] { return reply->isFinished(); }, 30s);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        const QByteArray body = reply->readAll();
        figures.incomplete += reply->error() != QNetworkReply::NoError || body.contains("could not be checked") ? 1 : 0;
        reply->deleteLater();
    }
    std::sort(times.begin(), times.end());
    figures.median = times[times.size() / 2];
    figures.p90 = times[times.size() * 9 / 10];
    return figures;
}

// The stand-in registries on five loopback ports, and a bootstrap in the real one's shape.
std::optional<QByteArray> startWorld(QProcess &world, bool http2)
{
    QStringList arguments{VARNEX_STAND_IN_REGISTRY, "--world", "--delay", "0.1", "--listeners", "5"};
    if (http2)
        arguments.append("--http2");
    world.start(VARNEX_PYTHON3, arguments);
    if (!world.waitForStarted(5000) || !waitUntil([&] { return world.canReadLine(); }, 20s))
        return std::nullopt;
    const QList<QByteArray> ports = world.readLine().trimmed().split(' ');
    if (ports.size() != 5)
        return std::nullopt;
    auto service = [&](const QByteArray &endings, int i) {
        return "[[" + endings + "],[\"http://127.0.0.1:" + ports[i] + "/rdap/\"]]";
    };
    return R"({"services":[)" + service(R"("com","net")", 0) + "," + service(R"("org")", 1) + ","
           + service(R"("biz")", 2) + "," + service(R"("info")", 3) + "," + service(R"("us")", 4) + "]}";
}

} // namespace

// A page of word suggestions, all free: 30 names offered out of at most 60
// lookups, most of them under .com on the .com/.net host.
void timeWordPages(int pages)
{
    for (const bool http2 : {false, true}) {
        QProcess world;
        const std::optional<QByteArray> bootstrap = startWorld(world, http2);
        if (!bootstrap) {
            std::fprintf(stderr, "cannot start the stand-in registries (%s with python3-h2)\n", VARNEX_PYTHON3);
            return;
        }
        varnex::bench::Registrar registrar(*bootstrap);
        QString error;
        QStringList arguments{"--suggestions", "words"};
        if (http2)
            arguments.append("--cleartext-http2");
        if (!registrar.start(&error, arguments)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            varnex::bench::stopProcess(world);
            return;
        }
        const Figures figures = timePages(registrar.origin(), QStringLiteral("free%1words").arg(int(http2)), pages);
        std::printf("  %-25s registries, 30 free names: median %6.1f ms (%.2f round trips), p90 %6.1f ms; %d pages "
                    "with a name not checked\n",
                    http2 ? "HTTP/2" : "HTTP/1.1", figures.median, figures.median / kRoundTripMs, figures.p90,
                    figures.incomplete);
        registrar.stop();
        varnex::bench::stopProcess(world);
    }
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const bool wordsOnly = arguments.contains(QStringLiteral("--words"));
    int pages = 20;
    for (const QString &argument : arguments) {
        if (argument != QLatin1String("--words"))
            pages = std::clamp(argument.toInt(), 1, 1000);
    }
    std::printf("fresh pages of word suggestions, every lookup answered after %.0f ms; %d pages of each kind\n",
                kRoundTripMs, pages);
    timeWordPages(pages);
    if (wordsOnly)
        return 0;
    std::printf("fresh pages, 18 names (14 on the .com/.net host), every lookup answered after %.0f ms; "
                "%d pages of each kind, one after another\n",
                kRoundTripMs, pages);
    // Healthy, dropping one question in five, silent.
    QProcess dns[3];
    QString resolvers[3];
    const QStringList drops[3] = {{}, {"--drop-every", "5"}, {"--drop-every", "1"}};
    for (int i = 0; i < 3; ++i) {
        dns[i].start(VARNEX_PYTHON3, QStringList{VARNEX_STAND_IN_DNS, "--delay", "0.01"} + drops[i]);
        if (!dns[i].waitForStarted(5000) || !waitUntil([&] { return dns[i].canReadLine(); }, 20s)) {
            std::fprintf(stderr, "cannot start the stand-in resolver (%s with python3-dnslib)\n", VARNEX_PYTHON3);
            return 1;
        }
        resolvers[i] = "127.0.0.1:" + QString::fromLatin1(dns[i].readLine().trimmed());
    }
    enum class Kind { Http1, Http2, Http1WithDns, Http1DroppingDns, Http1SilentDns };
    const char *const labels[] = {"HTTP/1.1", "HTTP/2", "HTTP/1.1+DNS", "HTTP/1.1+DNS dropping 1/5",
                                  "HTTP/1.1+DNS silent"};
    double withoutDns[2] = {0, 0}; // HTTP/1.1 medians with --resolver off: free, taken
    for (const Kind kind :
         {Kind::Http1, Kind::Http2, Kind::Http1WithDns, Kind::Http1DroppingDns, Kind::Http1SilentDns}) {
        const bool http2 = kind == Kind::Http2;
        const int dnsKind = int(kind) - int(Kind::Http1WithDns); // which resolver, if any
        QProcess world;
        const std::optional<QByteArray> bootstrap = startWorld(world, http2);
        if (!bootstrap) {
            std::fprintf(stderr, "cannot start the stand-in registries (%s with python3-h2)\n", VARNEX_PYTHON3);
            return 1;
        }
        varnex::bench::Registrar registrar(*bootstrap);
        QString error;
        const QStringList arguments = http2          ? QStringList{"--cleartext-http2"}
                                      : dnsKind >= 0 ? QStringList{"--resolver", resolvers[dnsKind]}
                                                     : QStringList{};
        if (!registrar.start(&error, arguments)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            varnex::bench::stopProcess(world);
            return 1;
        }
        for (const int names : {0, 1}) {
            const QString stem = QString::fromLatin1(names == 0 ? "free" : "taken") + QString::number(int(kind)) + "x";
            const Figures figures = timePages(registrar.origin(), stem, pages);
            if (kind == Kind::Http1)
                withoutDns[names] = figures.median;
            std::printf("  %-25s registries, all %-5s: median %6.1f ms (%.2f round trips), p90 %6.1f ms; %d pages "
                        "with a name not checked",
                        labels[int(kind)], names == 0 ? "free" : "taken", figures.median, figures.median / kRoundTripMs,
                        figures.p90, figures.incomplete);
            if (dnsKind >= 0)
                std::printf("; %+.1f ms beside --resolver off", figures.median - withoutDns[names]);
            std::printf("\n");
        }
        registrar.stop();
        varnex::bench::stopProcess(world);
    }
    for (QProcess &resolver : dns)
        varnex::bench::stopProcess(resolver);
    return 0;
}
