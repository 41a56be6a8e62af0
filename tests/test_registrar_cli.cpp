#include "support/http_server.h"
#include "varnex_version.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using varnex::test::HttpResponse;
using varnex::test::HttpServer;

// varnex-registrar as a process, the way a user or systemd starts it: its
// command line, its exit codes, a page answered through a socket that
// systemd-socket-activate passes it, and the RDAP bootstrap it fetches and keeps.
// Nothing it fetches or keeps goes past loopback or into the home folder:
// every start names a loopback bootstrap URL, 'off' or a file, and a
// temporary cache folder.
class TestRegistrarCli final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void commandLine_data();
    void commandLine();
    void portTakenIsNamed();
    void answersOnTheSocketItIsGiven_data();
    void answersOnTheSocketItIsGiven();
    void fetchesTheBootstrap_data();
    void fetchesTheBootstrap();

private:
    // The registrar or systemd-socket-activate, started with the proxies out of its
    // environment and CACHE_DIRECTORY set to `cacheFolder` (default: one of the test's own).
    std::unique_ptr<QProcess> start(const QString &program, const QStringList &arguments,
                                    const QString &cacheFolder = {});
    // The page for NAME from a registrar at PORT, or an empty array.
    QByteArray page(quint16 port, const QString &name);

    QTemporaryDir m_folder;
    QString m_bootstrap;
    QByteArray m_bootstrapJson; // every ending at m_registry
    // A registry that knows no name: every name is free.
    HttpServer m_registry{
        [](const varnex::test::HttpRequest &) { return HttpResponse{.status = 404, .reason = "Not Found"}; }};
};

void TestRegistrarCli::initTestCase()
{
    QVERIFY(m_registry.isListening());
    m_bootstrap = m_folder.filePath("dns.json");
    m_bootstrapJson = R"({"version":"1.0","services":[[["com","net","org","biz","info","us"],["http://)"
                      + m_registry.hostAndPort().toLatin1() + R"(/rdap/"]]]})";
    QFile file(m_bootstrap);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(m_bootstrapJson);
}

std::unique_ptr<QProcess> TestRegistrarCli::start(const QString &program, const QStringList &arguments,
                                                  const QString &cacheFolder)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        environment.remove(name);
    environment.insert("CACHE_DIRECTORY", cacheFolder.isEmpty() ? m_folder.filePath("cache") : cacheFolder);
    process->setProcessEnvironment(environment);
    process->start(program, arguments);
    return process;
}

QByteArray TestRegistrarCli::page(quint16 port, const QString &name)
{
    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    std::unique_ptr<QNetworkReply> reply(network.get(
        QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/whois.cgi?vhost_name=%2").arg(port).arg(name)))));
    if (!QTest::qWaitFor([&] { return reply->isFinished(); }, 60000) || reply->error() != QNetworkReply::NoError)
        return {};
    return reply->readAll();
}

void TestRegistrarCli::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");

    const QByteArray version = QByteArray("varnex-registrar ") + varnex::kVersion + '\n';
    QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("--listen <HOST:PORT>") << QByteArray();
    QTest::newRow("version") << QStringList{"--version"} << 0 << version << QByteArray();
    QTest::newRow("unknown option") << QStringList{"--frob"} << 2 << QByteArray()
                                    << QByteArray("Unknown option 'frob'");
    QTest::newRow("missing value") << QStringList{"--listen"} << 2 << QByteArray()
                                   << QByteArray("Missing value after '--listen'");
    QTest::newRow("argument") << QStringList{"extra"} << 2 << QByteArray() << QByteArray("unexpected argument 'extra'");
    QTest::newRow("no port") << QStringList{"--listen", "127.0.0.1"} << 2 << QByteArray()
                             << QByteArray("--listen takes");
    QTest::newRow("port too big") << QStringList{"--listen", "127.0.0.1:65536"} << 2 << QByteArray()
                                  << QByteArray("--listen takes");
    QTest::newRow("resolver without its port")
        << QStringList{"--resolver", "127.0.0.1:", "--bootstrap-url", "off", "--listen", "127.0.0.1:0"} << 2
        << QByteArray() << QByteArray("not a resolver address");
    QTest::newRow("resolver port not a number")
        << QStringList{"--resolver", "[::1]:dns", "--bootstrap-url", "off", "--listen", "127.0.0.1:0"} << 2
        << QByteArray() << QByteArray("not a resolver address");
    // The network manager would read a file: URL from the disk.
    QTest::newRow("bootstrap URL not http") << QStringList{"--bootstrap-url", "file:///etc/hostname"} << 2
                                            << QByteArray() << QByteArray("--bootstrap-url takes an https or http URL");
    QTest::newRow("no bootstrap file") << QStringList{"--bootstrap", "/nonexistent/dns.json", "--listen", "127.0.0.1:0"}
                                       << 1 << QByteArray() << QByteArray("/nonexistent/dns.json");
    // A documentation address no interface has: the warning comes, and the
    // service never opens a port to the outside.
    QTest::newRow("not loopback") << QStringList{"--listen", "192.0.2.1:0"} << 1 << QByteArray()
                                  << QByteArray("warning: 192.0.2.1 is not a loopback address");
}

void TestRegistrarCli::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);

    // In front, so a row's own last option cannot take it as its value; no
    // row may reach a resolver or a bootstrap off this machine.
    const auto registrar = start(QStringLiteral(VARNEX_REGISTRAR_PATH),
                                 QStringList{"--bootstrap-url", "off", "--resolver", "off"} + arguments);
    QVERIFY(registrar->waitForFinished(60000));
    QCOMPARE(registrar->exitStatus(), QProcess::NormalExit);
    QCOMPARE(registrar->exitCode(), exitCode);
    const QByteArray stdOut = registrar->readAllStandardOutput();
    const QByteArray stdErr = registrar->readAllStandardError();
    if (out.isEmpty())
        QVERIFY2(stdOut.isEmpty(), stdOut.constData());
    else
        QVERIFY2(stdOut.contains(out), stdOut.constData());
    if (err.isEmpty())
        QVERIFY2(stdErr.isEmpty(), stdErr.constData());
    else
        QVERIFY2(stdErr.contains(err), stdErr.constData());
}

void TestRegistrarCli::portTakenIsNamed()
{
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress::LocalHost, 0));
    const QString port = QString::number(holder.serverPort());

    const auto registrar = start(QStringLiteral(VARNEX_REGISTRAR_PATH),
                                 {"--listen", "127.0.0.1:" + port, "--bootstrap-url", "off", "--resolver", "off"});
    QVERIFY(registrar->waitForFinished(60000));
    QCOMPARE(registrar->exitCode(), 1);
    const QString err = QString::fromLocal8Bit(registrar->readAllStandardError());
    QVERIFY2(err.contains("cannot listen on 127.0.0.1:" + port + ": The bound address is already in use"),
             qPrintable(err));
    QVERIFY2(err.contains("another program holds port " + port), qPrintable(err));
    // The installed service it may be is the system's socket unit.
    static const QRegularExpression status(R"(\bsystemctl\s+status\s+varnex-registrar\.socket\b)");
    QVERIFY2(err.contains(status) && !err.contains("--user"), qPrintable(err));
}

void TestRegistrarCli::answersOnTheSocketItIsGiven_data()
{
    QTest::addColumn<bool>("passed");
    QTest::newRow("port 0, found by itself") << false;
    QTest::newRow("socket passed by systemd-socket-activate") << true;
}

void TestRegistrarCli::answersOnTheSocketItIsGiven()
{
    QFETCH(bool, passed);

    // No DNS: the test asks nothing beyond loopback.
    const QStringList registrarArguments{"--bootstrap", m_bootstrap, "--resolver", "off"};
    std::unique_ptr<QProcess> process;
    quint16 port = 0;
    if (passed) {
        const QString activate = QStandardPaths::findExecutable(QStringLiteral("systemd-socket-activate"));
        QVERIFY2(!activate.isEmpty(), "systemd-socket-activate not found (package systemd; tools/install-deps.sh)");
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        // It passes the service only the variables it is told to.
        process = start(activate, QStringList{"--listen", QStringLiteral("127.0.0.1:%1").arg(port),
                                              "--setenv=CACHE_DIRECTORY", QStringLiteral(VARNEX_REGISTRAR_PATH)}
                                      + registrarArguments);
        // It execs the registrar on the first connection, in the same process.
        QVERIFY(QTest::qWaitFor(
            [&] {
                return process->readAllStandardError().contains("Listening on 127.0.0.1:")
                       || process->state() == QProcess::NotRunning;
            },
            60000));
        QCOMPARE(process->state(), QProcess::Running);
    } else {
        process =
            start(QStringLiteral(VARNEX_REGISTRAR_PATH), QStringList{"--listen", "127.0.0.1:0"} + registrarArguments);
        const QRegularExpression listening(R"(listening on http://127\.0\.0\.1:(\d+)/whois\.cgi\?vhost_name=NAME\n)");
        QByteArray err;
        QVERIFY(QTest::qWaitFor(
            [&] {
                err += process->readAllStandardError();
                return listening.match(QString::fromLatin1(err)).hasMatch() || process->state() == QProcess::NotRunning;
            },
            60000));
        port = quint16(listening.match(QString::fromLatin1(err)).captured(1).toUInt());
        QVERIFY2(port != 0, err.constData());
    }

    const QByteArray body = page(port, QStringLiteral("example"));
    QVERIFY2(body.contains(R"(value="example.com")"), body.constData());
    QVERIFY(body.contains(R"(value="example.us")"));

    process->terminate();
    QVERIFY(process->waitForFinished(60000));
    const QByteArray err = process->readAllStandardError();
    if (passed)
        QVERIFY2(
            err.contains(QStringLiteral("listening on http://127.0.0.1:%1/whois.cgi?vhost_name=NAME (socket passed by "
                                        "the service manager)")
                             .arg(port)
                             .toLatin1()),
            err.constData());
}

void TestRegistrarCli::fetchesTheBootstrap_data()
{
    QTest::addColumn<QByteArray>("kept");   // in the cache folder at start; empty: nothing
    QTest::addColumn<int>("status");        // of the stand-in for IANA's server
    QTest::addColumn<QByteArray>("served"); // empty: the file naming m_registry for every ending
    QTest::addColumn<bool>("fromFile");     // --bootstrap FILE as well
    QTest::addColumn<QString>("line");      // on standard error once the fetch is over
    QTest::addColumn<bool>("asks");         // a page then asks m_registry (else the built-in registries: not asked)

    const QString failed = QStringLiteral(R"(cannot fetch http://127\.0\.0\.1:\d+/rdap/dns\.json: )");
    // Where the registries were before: nothing listens there, so a page asked
    // of them has no answer, and the lookups stay on loopback either way.
    const QByteArray moved = QByteArray(m_bootstrapJson).replace(m_registry.hostAndPort().toLatin1(), "127.0.0.1:1");
    QTest::newRow("good file: fetched, kept, asked at once")
        << moved << 200 << QByteArray() << false
        << R"(RDAP bootstrap: taken into use: the file fetched from http://127\.0\.0\.1:\d+/rdap/dns\.json)" << true;
    QTest::newRow("404 keeps the kept copy") << m_bootstrapJson << 404 << QByteArray("<html>Not Found</html>") << false
                                             << failed + "the server answered HTTP 404; keeping the copy in " << true;
    QTest::newRow("malformed file keeps the kept copy")
        << m_bootstrapJson << 200 << QByteArray("<html>moved</html>") << false
        << failed + "not a bootstrap file that can be used: [^;]*; keeping the copy in " << true;
    QTest::newRow("oversized file keeps the kept copy")
        << m_bootstrapJson << 200 << m_bootstrapJson + QByteArray(1024 * 1024, ' ') << false
        << failed + "the file is larger than 1024 KiB; keeping the copy in " << true;
    QTest::newRow("404 with nothing kept: the built-in file")
        << QByteArray() << 404 << QByteArray("<html>Not Found</html>") << false
        << failed
               + "the server answered HTTP 404; "
                 "keeping the built-in file;"
        << false;
    QTest::newRow("--bootstrap FILE fetches nothing")
        << QByteArray() << 200 << QByteArray() << true << "listening on" << true;
}

void TestRegistrarCli::fetchesTheBootstrap()
{
    QFETCH(QByteArray, kept);
    QFETCH(int, status);
    QFETCH(QByteArray, served);
    QFETCH(bool, fromFile);
    QFETCH(QString, line);
    QFETCH(bool, asks);

    QTemporaryDir cache;
    const QString keptPath = cache.filePath("dns.json");
    if (!kept.isEmpty()) {
        QFile file(keptPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kept);
    }
    const QByteArray body = served.isEmpty() ? m_bootstrapJson : served;
    HttpServer iana([&](const varnex::test::HttpRequest &) {
        return HttpResponse{.status = status, .reason = status == 200 ? "OK" : "Not Found", .body = body};
    });
    QStringList arguments{
        "--listen",      "127.0.0.1:0", "--resolver",      "off",
        "--suggestions", "fixed",       "--bootstrap-url", "http://" + iana.hostAndPort() + "/rdap/dns.json"};
    if (fromFile)
        arguments << "--bootstrap" << m_bootstrap;
    const auto process = start(QStringLiteral(VARNEX_REGISTRAR_PATH), arguments, cache.path());

    const QRegularExpression listening(R"(listening on http://127\.0\.0\.1:(\d+)/)");
    const QRegularExpression expected(line);
    QString err;
    QVERIFY(QTest::qWaitFor(
        [&] {
            err += QString::fromUtf8(process->readAllStandardError());
            return (listening.match(err).hasMatch() && expected.match(err).hasMatch())
                   || process->state() == QProcess::NotRunning;
        },
        60000));
    QVERIFY2(expected.match(err).hasMatch(), qPrintable(err));
    const quint16 port = quint16(listening.match(err).captured(1).toUInt());
    QVERIFY2(port != 0, qPrintable(err));

    if (asks) {
        const qsizetype before = m_registry.requests().size();
        const QByteArray page = this->page(port, QStringLiteral("example"));
        QVERIFY2(page.contains(R"(value="example.com")"), page.constData());
        QVERIFY(m_registry.requests().size() > before);
    }
    QCOMPARE(iana.requests().size(), fromFile ? 0 : 1);
    // What the next start finds: the file taken into use, else what was kept before.
    const QByteArray keptAfter = line.contains("taken into use") ? body : kept;
    QFile file(keptPath);
    QCOMPARE(file.exists(), !keptAfter.isEmpty());
    if (file.exists()) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), keptAfter);
    }

    process->terminate();
    QVERIFY(process->waitForFinished(60000));
}

QTEST_GUILESS_MAIN(TestRegistrarCli)
#include "test_registrar_cli.moc"
