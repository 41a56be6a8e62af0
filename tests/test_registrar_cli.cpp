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
// command line, its exit codes, and a page answered through a socket that
// systemd-socket-activate passes it.
class TestRegistrarCli final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void commandLine_data();
    void commandLine();
    void portTakenIsNamed();
    void answersOnTheSocketItIsGiven_data();
    void answersOnTheSocketItIsGiven();

private:
    // The registrar or systemd-socket-activate, started with the proxies out of its environment.
    std::unique_ptr<QProcess> start(const QString &program, const QStringList &arguments);
    // The page for NAME from a registrar at PORT, or an empty array.
    QByteArray page(quint16 port, const QString &name);

    QTemporaryDir m_folder;
    QString m_bootstrap;
    // A registry that knows no name: every name is free.
    HttpServer m_registry{[](const varnex::test::HttpRequest &) { return HttpResponse{.status = 404, .reason = "Not Found"}; }};
};

void TestRegistrarCli::initTestCase()
{
    QVERIFY(m_registry.isListening());
    m_bootstrap = m_folder.filePath("dns.json");
    QFile file(m_bootstrap);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"version":"1.0","services":[[["com","net","org","biz","info","us"],["http://)"
               + m_registry.hostAndPort().toLatin1() + R"(/rdap/"]]]})");
}

std::unique_ptr<QProcess> TestRegistrarCli::start(const QString &program, const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        environment.remove(name);
    process->setProcessEnvironment(environment);
    process->start(program, arguments);
    return process;
}

QByteArray TestRegistrarCli::page(quint16 port, const QString &name)
{
    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    std::unique_ptr<QNetworkReply> reply(
        network.get(QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/whois.cgi?vhost_name=%2").arg(port).arg(name)))));
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
    QTest::newRow("unknown option") << QStringList{"--frob"} << 2 << QByteArray() << QByteArray("Unknown option 'frob'");
    QTest::newRow("missing value") << QStringList{"--listen"} << 2 << QByteArray() << QByteArray("Missing value after '--listen'");
    QTest::newRow("argument") << QStringList{"extra"} << 2 << QByteArray() << QByteArray("unexpected argument 'extra'");
    QTest::newRow("no port") << QStringList{"--listen", "127.0.0.1"} << 2 << QByteArray() << QByteArray("--listen takes");
    QTest::newRow("port too big") << QStringList{"--listen", "127.0.0.1:65536"} << 2 << QByteArray() << QByteArray("--listen takes");
    QTest::newRow("no bootstrap file") << QStringList{"--bootstrap", "/nonexistent/dns.json", "--listen", "127.0.0.1:0"} << 1
                                       << QByteArray() << QByteArray("/nonexistent/dns.json");
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

    const auto registrar = start(QStringLiteral(VARNEX_REGISTRAR_PATH), arguments);
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

    const auto registrar = start(QStringLiteral(VARNEX_REGISTRAR_PATH), {"--listen", "127.0.0.1:" + port});
    QVERIFY(registrar->waitForFinished(60000));
    QCOMPARE(registrar->exitCode(), 1);
    const QString err = QString::fromLocal8Bit(registrar->readAllStandardError());
    QVERIFY2(err.contains("cannot listen on 127.0.0.1:" + port + ": The bound address is already in use"), qPrintable(err));
    QVERIFY2(err.contains("another program holds port " + port), qPrintable(err));
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
        process = start(activate, QStringList{"--listen", QStringLiteral("127.0.0.1:%1").arg(port),
                                              QStringLiteral(VARNEX_REGISTRAR_PATH)}
                                      + registrarArguments);
        // It execs the registrar on the first connection, in the same process.
        QVERIFY(QTest::qWaitFor([&] { return process->readAllStandardError().contains("Listening on 127.0.0.1:")
                                             || process->state() == QProcess::NotRunning; }, 60000));
        QCOMPARE(process->state(), QProcess::Running);
    } else {
        process = start(QStringLiteral(VARNEX_REGISTRAR_PATH), QStringList{"--listen", "127.0.0.1:0"} + registrarArguments);
        const QRegularExpression listening(R"(listening on http://127\.0\.0\.1:(\d+)/whois\.cgi\?vhost_name=NAME\n)");
        QByteArray err;
        QVERIFY(QTest::qWaitFor([&] { err += process->readAllStandardError();
                                      return listening.match(QString::fromLatin1(err)).hasMatch()
                                             || process->state() == QProcess::NotRunning; }, 60000));
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
        QVERIFY2(err.contains(QStringLiteral("listening on http://127.0.0.1:%1/whois.cgi?vhost_name=NAME (socket passed by "
                                             "the service manager)").arg(port).toLatin1()),
                 err.constData());
}

QTEST_GUILESS_MAIN(TestRegistrarCli)
#include "test_registrar_cli.moc"
