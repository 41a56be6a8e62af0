// Attacks varnex-registrar as hostile or careless clients would, and checks it
// comes back each time: wrk far over the connection cap, thousands of idle
// connections, slow-loris clients that never finish a request, and a burst of
// fresh pages against registries that take 3 s to answer. After each attack a
// normal page must be answered within 1 s; after the burst, fully checked pages
// must come back within 15 s; a registry's endless answers must not take the
// service's memory past 100 MiB. Prints the figures and the peak memory.
//
//   bench_registrar_attack   (wrk is the Debian package wrk)

#include "registrar_harness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>

#include <cstdio>
#include <optional>

namespace {

using namespace std::chrono_literals;
using varnex::bench::Clock;
using varnex::bench::waitUntil;

struct Page {
    int status = 0;
    QByteArray body;
    double milliseconds = -1;
};

// One page, as the desktop program asks it; a failed or timed-out one has status 0.
class PageClient final {
public:
    PageClient() { m_network.setProxy(QNetworkProxy::NoProxy); }

    Page fetch(const QString &origin, const QString &name, std::chrono::milliseconds limit = 30s)
    {
        std::optional<Page> page;
        start(origin, name, [&](const Page &done) { page = done; });
        waitUntil([&] { return page.has_value(); }, limit);
        return page.value_or(Page{});
    }

    void start(const QString &origin, const QString &name, std::function<void(const Page &)> done)
    {
        auto *timer = new QElapsedTimer;
        timer->start();
        QNetworkReply *reply = m_network.get(QNetworkRequest(QUrl(origin + "/whois.cgi?vhost_name=" + name)));
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply, timer, done = std::move(done)] {
            done({reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(),
                  double(timer->nsecsElapsed()) / 1e6});
            delete timer;
            reply->deleteLater();
        });
    }

private:
    QNetworkAccessManager m_network;
};

bool fullyChecked(const Page &page)
{
    return page.status == 200 && !page.body.contains("could not be checked");
}

int runWrk(const QStringList &arguments)
{
    QProcess wrk;
    wrk.setProcessChannelMode(QProcess::MergedChannels);
    wrk.start(QStringLiteral("wrk"), arguments);
    if (!wrk.waitForStarted(5000))
        return -1;
    waitUntil([&] { return wrk.state() == QProcess::NotRunning; }, 120s);
    const QByteArray output = wrk.readAll();
    for (const QByteArray &line : output.split('\n')) {
        if (line.contains("Requests/sec") || line.contains("requests in") || line.contains("Socket errors")
            || line.contains("Non-2xx"))
            std::printf("    wrk: %s\n", line.trimmed().constData());
    }
    return wrk.exitCode();
}

// A normal page right after an attack: the figure that says the service came back.
void afterAttack(PageClient &client, const QString &origin, const char *attack, int &failures)
{
    static int counter = 0;
    const Page page = client.fetch(origin, QStringLiteral("normal%1").arg(++counter), 10s);
    const bool ok = page.status == 200 && page.milliseconds <= 1000;
    failures += ok ? 0 : 1;
    std::printf("  after %s: a fresh page answered %d in %.0f ms (%s)\n", attack, page.status, page.milliseconds,
                ok ? "within 1 s" : "NOT within 1 s");
}

bool started(const varnex::bench::FixtureRegistries &registries, varnex::bench::Registrar &registrar)
{
    QString error = QStringLiteral("cannot listen on loopback");
    if (registries.listening() && registrar.start(&error))
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (QStandardPaths::findExecutable(QStringLiteral("wrk")).isEmpty()) {
        std::fprintf(stderr, "wrk is needed: apt-get install wrk\n");
        return 1;
    }
    int failures = 0;
    PageClient client;

    {
        varnex::bench::FixtureRegistries registries(100ms);
        varnex::bench::Registrar registrar(registries);
        if (!started(registries, registrar))
            return 1;
        const QString origin = registrar.origin();
        std::printf("registrar with six loopback registries answering after 100 ms; cap 512 connections\n");
        client.fetch(origin, QStringLiteral("cached"));

        std::printf("1. wrk -c600 -d10s on a cached page (88 connections over the cap)\n");
        runWrk({"-t2", "-c600", "-d10s", "--timeout", "5s", origin + "/whois.cgi?vhost_name=cached"});
        afterAttack(client, origin, "600 connections", failures);

        std::printf("2. 10,000 idle connections, held 12 s (past the 10 s idle limit), then closed\n");
        {
            std::vector<std::unique_ptr<QTcpSocket>> idle;
            for (int i = 0; i < 10000; ++i) {
                idle.push_back(std::make_unique<QTcpSocket>());
                idle.back()->connectToHost(QHostAddress::LocalHost, QUrl(origin).port());
            }
            waitUntil([] { return false; }, 12s);
            const auto open = std::count_if(idle.begin(), idle.end(), [](const auto &socket) {
                return socket->state() == QAbstractSocket::ConnectedState;
            });
            std::printf("    still open after 12 s: %lld of 10000\n", static_cast<long long>(open));
        }
        afterAttack(client, origin, "10,000 idle connections", failures);

        std::printf("3. 600 slow-loris connections, a header byte a second for 15 s, then closed\n");
        {
            std::vector<std::unique_ptr<QTcpSocket>> loris;
            for (int i = 0; i < 600; ++i) {
                loris.push_back(std::make_unique<QTcpSocket>());
                loris.back()->connectToHost(QHostAddress::LocalHost, QUrl(origin).port());
            }
            const QByteArray head =
                "GET /whois.cgi?vhost_name=slow HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: aaaaaaaaaaaa";
            for (int second = 0; second < 15; ++second) {
                for (auto &socket : loris) {
                    if (socket->state() == QAbstractSocket::ConnectedState)
                        socket->write(head.mid(second, 1));
                }
                waitUntil([] { return false; }, 1s);
            }
            const auto open = std::count_if(loris.begin(), loris.end(), [](const auto &socket) {
                return socket->state() == QAbstractSocket::ConnectedState;
            });
            std::printf("    still open after 15 s: %lld of 600\n", static_cast<long long>(open));
        }
        afterAttack(client, origin, "600 slow-loris connections", failures);
        std::printf("  the service's peak memory through attacks 1-3: %.1f MiB (VmHWM)\n",
                    double(varnex::bench::procStatusKb(registrar.pid(), "VmHWM:")) / 1024);
        registrar.stop();
    }

    {
        varnex::bench::FixtureRegistries registries(3s);
        varnex::bench::Registrar registrar(registries);
        if (!started(registries, registrar))
            return 1;
        const QString origin = registrar.origin();
        std::printf("4. a 30 s burst of fresh pages (wrk -c64) against registries answering after 3 s\n");
        const long long before = registries.lookups();
        runWrk({"-t2", "-c64", "-d30s", "--timeout", "25s", "-s", VARNEX_FRESH_NAMES_LUA, origin});
        const auto burstEnd = Clock::now();
        const long long duringBurst = registries.lookups() - before;

        // Fresh pages one after another, as one user would ask; the first fully
        // checked one says when the service recovered.
        std::optional<double> recovered;
        int asked = 0;
        while (!recovered && Clock::now() - burstEnd < 60s) {
            const double at =
                double(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - burstEnd).count()) / 1000;
            const Page page = client.fetch(origin, QStringLiteral("after%1").arg(++asked), 30s);
            if (fullyChecked(page))
                recovered = at;
            else
                waitUntil([] { return false; }, 250ms);
        }
        const long long afterBurst = registries.lookups() - before - duringBurst;
        if (recovered)
            std::printf("  recovered: the first fully checked page was started %.1f s after the burst ended (%s)\n",
                        *recovered, *recovered <= 15 ? "within 15 s" : "NOT within 15 s");
        else
            std::printf("  NOT recovered within 60 s of the burst ending\n");
        failures += recovered && *recovered <= 15 ? 0 : 1;
        std::printf("  lookups sent during the burst: %lld; after it: %lld (a slow registry is not asked on behalf of "
                    "pages already answered)\n",
                    duringBurst, afterBurst);
        std::printf("  the service's peak memory: %.1f MiB (VmHWM)\n",
                    double(varnex::bench::procStatusKb(registrar.pid(), "VmHWM:")) / 1024);
        registrar.stop();
    }
    {
        // A registry that sends endless, gigabyte-sized and compressed answers.
        QProcess standIn;
        standIn.start(QStringLiteral("python3"), {QStringLiteral(VARNEX_STAND_IN_REGISTRY)});
        if (!standIn.waitForStarted(5000) || !waitUntil([&] { return standIn.canReadLine(); }, 20s)) {
            std::fprintf(stderr, "cannot start the stand-in registry (python3)\n");
            return 1;
        }
        const QByteArray port = standIn.readLine().trimmed();
        QByteArray services;
        for (const char *ending : {"com", "net", "org", "biz", "info", "us"})
            services += (services.isEmpty() ? "" : ",") + QByteArray("[[\"") + ending
                        + "\"],[\"http://127.0.0.1:" + port + "/rdap/\"]]";
        varnex::bench::Registrar registrar(R"({"services":[)" + services + "]}");
        QString error;
        if (!registrar.start(&error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        std::printf("5. 30 pages at once whose registry sends endless, gigabyte and gzip-bomb answers\n");
        int done = 0;
        int offeredAnything = 0;
        for (int i = 0; i < 10; ++i) {
            for (const char *kind : {"endless", "gigabyte", "gzipbomb"}) {
                client.start(registrar.origin(), QString::fromLatin1(kind), [&](const Page &page) {
                    ++done;
                    offeredAnything += page.body.contains("<input") ? 1 : 0;
                });
            }
        }
        waitUntil([&] { return done == 30; }, 120s);
        const double peak = double(varnex::bench::procStatusKb(registrar.pid(), "VmHWM:")) / 1024;
        std::printf("  %d of 30 pages answered, %d offered a name; the service's peak memory: %.1f MiB (%s)\n", done,
                    offeredAnything, peak, peak < 100 ? "under 100 MiB" : "NOT under 100 MiB");
        failures += done == 30 && offeredAnything == 0 && peak < 100 ? 0 : 1;
        registrar.stop();
        varnex::bench::stopProcess(standIn);
    }
    std::printf("%s\n", failures == 0 ? "all attacks recovered from" : "SOME ATTACKS WERE NOT RECOVERED FROM");
    return failures == 0 ? 0 : 1;
}
