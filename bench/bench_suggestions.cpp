// Builds a stand-in world shaped like published studies of the .com zone
// (tests/support/world_rules.py: short names and dictionary words taken, most
// joins of two words taken in .com) with a resolver (10 ms) and registries in
// the real bootstrap's shape (100 ms) that agree on it, and asks
// varnex-registrar a page for each of 20 ordinary keywords. Prints for each
// the names confirmed free, the page's time and its registry lookups, and
// checks every offered name against the stand-in registry itself: a name
// offered that the registry calls registered is a false offer.
//
//   bench_suggestions [--http2] [--show KEYWORD...]

#include "registrar_harness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

using namespace std::chrono_literals;
using varnex::bench::waitUntil;

const QStringList kKeywords{"shop",      "pizza",       "coffee",    "garden",      "travel",
                            "music",     "bakery",      "fitness",   "photo",       "books",
                            "my shop",   "best pizza",  "coffee house", "green energy", "pet care",
                            "home decor", "tech blog",  "yoga studio", "city bikes", "fresh food"};

QByteArray get(QNetworkAccessManager &network, const QString &url, int *status = nullptr)
{
    QNetworkReply *reply = network.get(QNetworkRequest(QUrl(url)));
    waitUntil([reply] { return reply->isFinished(); }, 60s);
    if (status)
        *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    reply->deleteLater();
    return body;
}

std::optional<QByteArray> startProcess(QProcess &process, const QStringList &arguments)
{
    process.setWorkingDirectory(QStringLiteral(VARNEX_TEST_SUPPORT_DIR));
    process.start(VARNEX_PYTHON3, arguments);
    if (!process.waitForStarted(5000) || !waitUntil([&] { return process.canReadLine(); }, 30s))
        return std::nullopt;
    return process.readLine().trimmed();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const bool http2 = arguments.contains("--http2");
    QStringList show = arguments.mid(arguments.indexOf("--show") + 1);
    if (!arguments.contains("--show"))
        show = {"shop", "pizza", "my shop", "coffee house", "travel"};

    QProcess dns;
    QProcess registries;
    const std::optional<QByteArray> dnsPort =
        startProcess(dns, {"stand_in_dns.py", "--world", "studies", "--delay", "0.01"});
    QStringList registryArguments{"stand_in_registry.py", "--world", "studies", "--delay", "0.1", "--listeners", "5"};
    if (http2)
        registryArguments.append("--http2");
    const std::optional<QByteArray> ports = startProcess(registries, registryArguments);
    if (!dnsPort || !ports || ports->split(' ').size() != 5) {
        std::fprintf(stderr, "cannot start the stand-in world (%s with python3-dnslib and python3-h2)\n", VARNEX_PYTHON3);
        return 1;
    }
    const QList<QByteArray> port = ports->split(' ');
    auto service = [&](const QByteArray &endings, int i) {
        return "[[" + endings + "],[\"http://127.0.0.1:" + port[i] + "/rdap/\"]]";
    };
    const QByteArray bootstrap = R"({"services":[)" + service(R"("com","net")", 0) + "," + service(R"("org")", 1) + ","
                                 + service(R"("biz")", 2) + "," + service(R"("info")", 3) + "," + service(R"("us")", 4)
                                 + "]}";
    QStringList registrarArguments{"--resolver", "127.0.0.1:" + QString::fromLatin1(*dnsPort), "--suggestions", "words"};
    if (http2)
        registrarArguments.append("--cleartext-http2");

    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    const QString stats = "http://127.0.0.1:" + QString::fromLatin1(port[0]) + "/stats";
    // One process plays every registry and counts for all of them; read once
    // nothing has been asked for a while, so late lookups count for their page.
    auto lookupsSoFar = [&] {
        long long last = -1;
        for (;;) {
            const long long now = QJsonDocument::fromJson(get(network, stats)).object().value("lookups").toInteger();
            if (now == last)
                return now;
            last = now;
            waitUntil([] { return false; }, 300ms);
        }
    };
    static const QRegularExpression field(R"re(<input type="checkbox" name="domain\d+" value="([^"]*)">)re");

    std::printf("stand-in world: resolver 10 ms, registries 100 ms over %s, .com/.net on one host; a new service "
                "(empty cache) for each keyword\n",
                http2 ? "HTTP/2" : "HTTP/1.1");
    // The stand-ins read their word list on first use: not part of any page.
    get(network, "http://127.0.0.1:" + QString::fromLatin1(port[0]) + "/rdap/domain/warmup.com");
    std::vector<double> times;
    int falseOffers = 0;
    int fewest = 1 << 30;
    long long mostLookups = 0;
    for (const QString &keyword : kKeywords) {
        varnex::bench::Registrar registrar(bootstrap);
        QString error;
        if (!registrar.start(&error, registrarArguments)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        const long long before = lookupsSoFar();
        QElapsedTimer timer;
        timer.start();
        int status = 0;
        const QByteArray page = get(network, registrar.origin() + "/whois.cgi?vhost_name=" + QString(keyword).remove(' '), &status);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        const long long lookups = lookupsSoFar() - before;
        registrar.stop();
        QStringList offered;
        for (auto it = field.globalMatch(QString::fromUtf8(page)); it.hasNext();)
            offered.append(it.next().captured(1));
        // Ask the stand-in registry itself about every offered name.
        int wrong = 0;
        for (const QString &name : offered) {
            const int host = name.endsWith(".com") || name.endsWith(".net") ? 0
                             : name.endsWith(".org")                          ? 1
                             : name.endsWith(".biz")                          ? 2
                             : name.endsWith(".info")                         ? 3
                                                                              : 4;
            int answer = 0;
            get(network, "http://127.0.0.1:" + QString::fromLatin1(port[host]) + "/rdap/domain/" + name, &answer);
            wrong += answer == 404 ? 0 : 1;
        }
        falseOffers += wrong;
        fewest = std::min(fewest, int(offered.size()));
        mostLookups = std::max(mostLookups, lookups);
        times.push_back(ms);
        std::printf("  %-14s %3d  %2d free, %6.0f ms, %2lld registry lookups, %d false offers\n", qPrintable(keyword),
                    status, int(offered.size()), ms, lookups, wrong);
        if (show.contains(keyword))
            std::printf("      %s\n", qPrintable(offered.join(' ')));
    }
    std::sort(times.begin(), times.end());
    std::printf("20 keywords: at least %d free names a page, median page %.0f ms (p90 %.0f ms), at most %lld registry "
                "lookups a page, %d false offers\n",
                fewest, times[times.size() / 2], times[times.size() * 9 / 10], mostLookups, falseOffers);

    // The same page again and again, as from the cache: wrk at 64 connections.
    {
        varnex::bench::Registrar registrar(bootstrap);
        QString error;
        if (registrar.start(&error, registrarArguments)) {
            const QString url = registrar.origin() + "/whois.cgi?vhost_name=shop";
            get(network, url);
            QProcess wrk;
            wrk.start(QStringLiteral("wrk"), {"-t2", "-c64", "-d10s", "--latency", url});
            if (wrk.waitForStarted(5000)) {
                waitUntil([&] { return wrk.state() == QProcess::NotRunning; }, 60s);
                for (const QByteArray &line : wrk.readAllStandardOutput().split('\n')) {
                    if (line.contains("Requests/sec") || line.contains(" 99%") || line.contains("Non-2xx")
                        || line.contains("Socket errors"))
                        std::printf("cached page for shop, wrk -t2 -c64 -d10s: %s\n", line.simplified().constData());
                }
            } else {
                std::printf("cached page: skipped, wrk is not installed (Debian package wrk)\n");
            }
            registrar.stop();
        }
    }
    varnex::bench::stopProcess(dns);
    varnex::bench::stopProcess(registries);
    return falseOffers == 0 ? 0 : 1;
}
