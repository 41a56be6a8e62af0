#include "registrar_harness.h"

#include <QEventLoop>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace varnex::bench {

using namespace std::chrono_literals;

namespace {

const QStringList kEndings{"com", "net", "org", "biz", "info", "us"};

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit)
{
    const auto end = Clock::now() + limit;
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || Clock::now() >= end)
            loop.quit();
    });
    tick.start(5);
    if (!done())
        loop.exec();
    return done();
}

long long procStatusKb(qint64 pid, const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            const QList<QByteArray> parts = line.simplified().split(' '); // "VmRSS: 12345 kB"
            bool ok = false;
            const long long kb = parts.value(1).toLongLong(&ok);
            return ok && parts.value(2) == "kB" ? kb : -1;
        }
    }
    return -1;
}

FixtureRegistries::FixtureRegistries(std::chrono::milliseconds delay)
{
    for (int i = 0; i < kEndings.size(); ++i) {
        m_registries.push_back(std::make_unique<test::HttpServer>([delay](const test::HttpRequest &request) {
            if (request.target.contains("free"))
                return test::HttpResponse{.status = 404, .reason = "Not Found", .delay = delay};
            const QByteArray name = request.target.mid(request.target.lastIndexOf('/') + 1);
            return test::HttpResponse{.body = R"({"objectClassName":"domain","ldhName":")" + name + "\"}",
                                      .delay = delay};
        }));
    }
}

bool FixtureRegistries::listening() const
{
    return std::all_of(m_registries.begin(), m_registries.end(), [](const auto &r) { return r->isListening(); });
}

long long FixtureRegistries::lookups() const
{
    long long total = 0;
    for (const auto &registry : m_registries)
        total += registry->requests().size();
    return total;
}

int FixtureRegistries::mostAtOnce() const
{
    int most = 0;
    for (const auto &registry : m_registries)
        most = std::max(most, registry->maxInFlight());
    return most;
}

QByteArray FixtureRegistries::bootstrapJson() const
{
    QByteArray services;
    for (int i = 0; i < kEndings.size(); ++i) {
        services += (i ? ",\n" : "")
                    + QStringLiteral(R"([["%1"],["http://%2/rdap/"]])")
                          .arg(kEndings[i], m_registries[std::size_t(i)]->hostAndPort())
                          .toUtf8();
    }
    return R"({"version":"1.0","publication":"2026-12-08T00:00:00Z","services":[)" + services + "]}\n";
}

Registrar::Registrar(const FixtureRegistries &registries) : m_bootstrap(registries.bootstrapJson()) { }

Registrar::Registrar(QByteArray bootstrapJson) : m_bootstrap(std::move(bootstrapJson)) { }

Registrar::~Registrar()
{
    stop();
}

bool Registrar::start(QString *error, const QStringList &extraArguments)
{
    QFile bootstrap(m_folder.filePath("dns.json"));
    if (!m_folder.isValid() || !bootstrap.open(QIODevice::WriteOnly) || bootstrap.write(m_bootstrap) < 0) {
        *error = QStringLiteral("cannot write the bootstrap file");
        return false;
    }
    bootstrap.close();

    m_port = freePort();
    // The service's own log line per request would only slow it down here.
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    // The lookups must reach the loopback registries, not a proxy from the environment.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        environment.remove(name);
    // Whatever the service keeps stays in the temporary folder, out of the home folder.
    environment.insert(QStringLiteral("CACHE_DIRECTORY"), m_folder.filePath("cache"));
    m_process.setProcessEnvironment(environment);
    m_process.start(
        VARNEX_REGISTRAR_PATH,
        QStringList{"--listen", QStringLiteral("127.0.0.1:%1").arg(m_port), "--bootstrap", bootstrap.fileName()}
            // No DNS unless a benchmark names its own stand-in resolver, and
            // the 18-name page unless it asks for word suggestions.
            + (extraArguments.contains("--resolver") ? QStringList{} : QStringList{"--resolver", "off"})
            + (extraArguments.contains("--suggestions") ? QStringList{} : QStringList{"--suggestions", "fixed"})
            + extraArguments);
    if (!m_process.waitForStarted(5000)) {
        *error = QStringLiteral("cannot start " VARNEX_REGISTRAR_PATH);
        return false;
    }
    for (const auto end = Clock::now() + 10s; Clock::now() < end;) {
        if (m_process.state() == QProcess::NotRunning) {
            *error = QStringLiteral("the registrar stopped at start");
            return false;
        }
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        if (probe.waitForConnected(200))
            return true;
        waitUntil([] { return false; }, 50ms);
    }
    *error = QStringLiteral("the registrar does not accept connections");
    return false;
}

void Registrar::stop()
{
    stopProcess(m_process);
}

QString Registrar::origin() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

void stopProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

Teardown::Teardown(Registrar &registrar, QProcess &wrk, std::chrono::seconds limit) : m_registrar(registrar), m_wrk(wrk)
{
    QTimer::singleShot(limit, &wrk, [this, limit] {
        std::fprintf(stderr, "gave up after %lld s\n", static_cast<long long>(limit.count()));
        stop();
        std::exit(1);
    });
}

void Teardown::stop()
{
    stopProcess(m_wrk);
    m_registrar.stop();
}

int Teardown::fail(const QString &why)
{
    std::fprintf(stderr, "%s\n", qPrintable(why));
    stop();
    return 1;
}

} // namespace varnex::bench
