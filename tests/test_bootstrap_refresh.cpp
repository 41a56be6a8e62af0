#include "lookup/bootstrap_refresh.h"
#include "support/http_server.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using varnex::registrar::Bootstrap;
using varnex::registrar::BootstrapRefresh;
using varnex::test::HttpRequest;
using varnex::test::HttpResponse;
using varnex::test::HttpServer;

namespace {

const QString kBuiltInBase = QStringLiteral("https://built-in.example/rdap/");
const QString kKeptBase = QStringLiteral("https://kept.example/rdap/");
const QString kFetchedBase = QStringLiteral("https://fetched.example/rdap/");

// A dns.json naming one service for the endings. Only compared, never asked.
QByteArray dnsJson(const QStringList &endings, const QString &base)
{
    return QStringLiteral(R"({"version":"1.0","publication":"2026-12-08T00:00:00Z","services":[[["%1"],["%2"]]]})")
        .arg(endings.join(QStringLiteral("\",\"")), base)
        .toLatin1();
}

// As IANA's file: no .us.
QByteArray withoutUs(const QString &base)
{
    return dnsJson({"com", "net", "org", "biz", "info"}, base);
}

// The same file, published on another day.
QByteArray publishedOn(QByteArray json, const QByteArray &day)
{
    return json.replace("2026-12-08", day);
}

Bootstrap builtIn()
{
    return *Bootstrap::fromJson(dnsJson({"com", "net", "org", "biz", "info", "us"}, kBuiltInBase));
}

QString baseFor(const BootstrapRefresh &refresh, const QString &domain)
{
    return refresh.current().baseFor(domain).value_or(QUrl()).toString();
}

// A small https server on loopback that answers every request with `answer`
// and closes.
class TlsServer final : public QObject {
public:
    TlsServer(const QSslConfiguration &tls, QByteArray answer) : m_answer(std::move(answer))
    {
        m_server.setSslConfiguration(tls);
        connect(&m_server, &QTcpServer::pendingConnectionAvailable, this, &TlsServer::accept);
        m_server.listen(QHostAddress::LocalHost);
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QByteArray head = socket->property("head").toByteArray() + socket->readAll();
                socket->setProperty("head", head);
                if (!head.contains("\r\n\r\n") || socket->property("answered").toBool())
                    return;
                socket->setProperty("answered", true);
                socket->write(m_answer);
                socket->disconnectFromHost();
            });
        }
    }

    QSslServer m_server;
    QByteArray m_answer;
};

} // namespace

// BootstrapRefresh against a loopback server standing in for IANA's, with its
// cache folder in a temporary folder.
class TestBootstrapRefresh final : public QObject {
    Q_OBJECT

private slots:
    void fetchedKeptOrBuiltIn_data();
    void fetchedKeptOrBuiltIn();
    void fetchesAgain_data();
    void fetchesAgain();
    void basesOfEndings_data();
    void basesOfEndings();
    void overHttps_data();
    void overHttps();

private:
    QTemporaryDir m_folder;
};

void TestBootstrapRefresh::fetchedKeptOrBuiltIn_data()
{
    QTest::addColumn<QByteArray>("kept"); // in the cache folder at start; empty: nothing
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("served");
    QTest::addColumn<bool>("holdsAnswer");  // the server does not answer before the time-out
    QTest::addColumn<QString>("startBase"); // of .com, before the fetch
    QTest::addColumn<QString>("base");      // of .com, after it
    QTest::addColumn<QString>("failure");   // empty: the fetched file is taken into use

    const QByteArray kept = withoutUs(kKeptBase);
    const QByteArray fetched = withoutUs(kFetchedBase);
    QTest::newRow("good file, nothing kept")
        << QByteArray() << 200 << fetched << false << kBuiltInBase << kFetchedBase << QString();
    QTest::newRow("good file replaces the kept copy")
        << kept << 200 << fetched << false << kKeptBase << kFetchedBase << QString();
    QTest::newRow("404 keeps the kept copy") << kept << 404 << QByteArray("<html>Not Found</html>") << false
                                             << kKeptBase << kKeptBase << "the server answered HTTP 404";
    QTest::newRow("malformed file keeps the kept copy")
        << kept << 200 << QByteArray("<html>moved</html>") << false << kKeptBase << kKeptBase << "not a JSON object";
    QTest::newRow("no usable service keeps the kept copy")
        << kept << 200 << QByteArray(R"({"services":[[["com"],["ftp://r.example/"]]]})") << false << kKeptBase
        << kKeptBase << "no service in it can be used";
    // Valid JSON, so only the size cap can refuse it.
    QTest::newRow("oversized file keeps the kept copy") << kept << 200 << fetched + QByteArray(1024 * 1024, ' ')
                                                        << false << kKeptBase << kKeptBase << "larger than 1024 KiB";
    QTest::newRow("no answer in time keeps the kept copy")
        << kept << 200 << fetched << true << kKeptBase << kKeptBase << "no answer within";
    QTest::newRow("malformed file, nothing kept: built-in")
        << QByteArray() << 200 << QByteArray("{") << false << kBuiltInBase << kBuiltInBase << "not a JSON object";
    QTest::newRow("broken kept copy: built-in")
        << QByteArray(R"({"services":)") << 404 << QByteArray() << false << kBuiltInBase << kBuiltInBase << "HTTP 404";
    // An old copy served again would bring back services that have moved since.
    QTest::newRow("file published before the kept copy") << kept << 200 << publishedOn(fetched, "2026-11-30") << false
                                                         << kKeptBase << kKeptBase << "before the one in use";
    QTest::newRow("file published after the kept copy")
        << kept << 200 << publishedOn(fetched, "2026-12-09") << false << kKeptBase << kFetchedBase << QString();
    QTest::newRow("file published before the built-in one, nothing kept")
        << QByteArray() << 200 << publishedOn(fetched, "2020-01-01") << false << kBuiltInBase << kFetchedBase
        << QString();
}

void TestBootstrapRefresh::fetchedKeptOrBuiltIn()
{
    QFETCH(QByteArray, kept);
    QFETCH(int, status);
    QFETCH(QByteArray, served);
    QFETCH(bool, holdsAnswer);
    QFETCH(QString, startBase);
    QFETCH(QString, base);
    QFETCH(QString, failure);

    QTemporaryDir folder;
    const QString keptPath = folder.filePath("dns.json");
    if (!kept.isEmpty()) {
        QFile file(keptPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kept);
    }
    HttpServer server([&](const HttpRequest &) {
        return HttpResponse{.status = status,
                            .reason = status == 200 ? "OK" : "Not Found",
                            .body = served,
                            .delay = holdsAnswer ? std::chrono::milliseconds(1h) : 0ms};
    });
    BootstrapRefresh refresh(builtIn(), {.url = QUrl("http://" + server.hostAndPort() + "/rdap/dns.json"),
                                         .cacheFolder = folder.path(),
                                         .timeout = holdsAnswer ? 100ms : std::chrono::milliseconds(1min)});
    QCOMPARE(baseFor(refresh, "example.com"), startBase);
    QCOMPARE(baseFor(refresh, "example.us"), kBuiltInBase);

    QSignalSpy updated(&refresh, &BootstrapRefresh::updated);
    QSignalSpy failed(&refresh, &BootstrapRefresh::fetchFailed);
    refresh.start();
    QVERIFY(QTest::qWaitFor([&] { return updated.size() + failed.size() > 0; }, 60000));
    QCOMPARE(server.requests().size(), 1);
    if (failure.isEmpty()) {
        QCOMPARE(updated.size(), 1);
    } else {
        QCOMPARE(failed.size(), 1);
        QVERIFY2(failed[0][0].toString().contains(failure), qPrintable(failed[0][0].toString()));
    }
    QCOMPARE(baseFor(refresh, "example.com"), base);
    // The files lack .us: the built-in entry stays.
    QCOMPARE(baseFor(refresh, "example.us"), kBuiltInBase);

    // What the next start finds: the fetched file, or what was there.
    const QByteArray nowKept = failure.isEmpty() ? served : kept;
    QFile file(keptPath);
    QCOMPARE(file.exists(), !nowKept.isEmpty());
    if (!nowKept.isEmpty()) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), nowKept);
    }
}

void TestBootstrapRefresh::fetchesAgain_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("retryIsShort"); // else the interval is; the other is a day

    QTest::newRow("after a failure, at the retry interval") << 404 << true;
    QTest::newRow("after a success, at the interval") << 200 << false;
}

void TestBootstrapRefresh::fetchesAgain()
{
    QFETCH(int, status);
    QFETCH(bool, retryIsShort);

    HttpServer server([&](const HttpRequest &) {
        return HttpResponse{
            .status = status, .reason = status == 200 ? "OK" : "Not Found", .body = withoutUs(kFetchedBase)};
    });
    BootstrapRefresh refresh(builtIn(), {.url = QUrl("http://" + server.hostAndPort() + "/dns.json"),
                                         .interval = retryIsShort ? std::chrono::milliseconds(24h) : 0ms,
                                         .retryInterval = retryIsShort ? 0ms : std::chrono::milliseconds(24h)});
    refresh.start();
    QVERIFY2(QTest::qWaitFor([&] { return server.requests().size() >= 2; }, 60000),
             qPrintable(QString::number(server.requests().size())));
}

void TestBootstrapRefresh::basesOfEndings_data()
{
    QTest::addColumn<QByteArray>("services");
    QTest::addColumn<QStringList>("comBases"); // in the order a lookup and a redirect may use them
    QTest::addColumn<QString>("warning");      // empty: none

    const QByteArray a = R"("https://a.example/rdap/")", b = R"("https://b.example/rdap/")";
    const QByteArray plain = R"("http://plain.example/rdap")";
    QTest::newRow("https only") << "[[[\"com\"],[" + a + "," + b + "]]]"
                                << QStringList{"https://a.example/rdap/", "https://b.example/rdap/"} << QString();
    QTest::newRow("http beside https is not used")
        << "[[[\"com\"],[" + plain + "," + a + "]]]" << QStringList{"https://a.example/rdap/"} << QString();
    QTest::newRow("http where there is no https")
        << "[[[\"com\"],[" + plain + "]]]" << QStringList{"http://plain.example/rdap/"} << QString();
    QTest::newRow("listed twice: the first entry is kept")
        << "[[[\"com\"],[" + a + "]],[[\"net\",\"COM\"],[" + b + "]]]" << QStringList{"https://a.example/rdap/"}
        << "com is listed again: its first entry is kept";
}

void TestBootstrapRefresh::basesOfEndings()
{
    QFETCH(QByteArray, services);
    QFETCH(QStringList, comBases);
    QFETCH(QString, warning);

    QStringList warnings;
    const std::optional<Bootstrap> bootstrap =
        Bootstrap::fromJson(R"({"services":)" + services + "}", nullptr, &warnings);
    QVERIFY(bootstrap);
    QStringList bases;
    for (const QUrl &base : bootstrap->basesFor("example.com"))
        bases.append(base.toString());
    QCOMPARE(bases, comBases);
    QCOMPARE(bootstrap->baseFor("example.com")->toString(), comBases.constFirst());
    QCOMPARE(warnings, warning.isEmpty() ? QStringList() : QStringList{warning});
}

// The fetch over https, trusting a test authority made now as --ca-file
// would, and never led from https to plain http.
void TestBootstrapRefresh::overHttps_data()
{
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<bool>("redirectsToHttp");
    QTest::addColumn<QString>("failure"); // empty: the fetched file is taken into use

    QTest::newRow("certificate of the trusted authority") << true << false << QString();
    QTest::newRow("certificate of an unknown authority") << false << false << "SSL";
    QTest::newRow("redirect to http") << true << true << "nsecure redirect";
}

void TestBootstrapRefresh::overHttps()
{
    QFETCH(bool, trusted);
    QFETCH(bool, redirectsToHttp);
    QFETCH(QString, failure);

    const QString certificate = m_folder.filePath("bootstrap.pem"), key = m_folder.filePath("bootstrap.key");
    if (!QFile::exists(certificate)) {
        QProcess openssl;
        openssl.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                                  "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                                  "-keyout", key, "-out", certificate});
        QVERIFY2(openssl.waitForFinished(30000) && openssl.exitCode() == 0, "openssl makes the test authority");
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(QSslCertificate::fromPath(certificate));
    QFile keyFile(key);
    QVERIFY(keyFile.open(QIODevice::ReadOnly));
    tls.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Ec));
    HttpServer plain([](const HttpRequest &) { return HttpResponse{.body = withoutUs(kFetchedBase)}; });
    const QByteArray body = withoutUs(kFetchedBase);
    const QByteArray answer =
        redirectsToHttp ? "HTTP/1.1 302 Found\r\nLocation: http://" + plain.hostAndPort().toLatin1()
                              + "/dns.json\r\nContent-Length: 0\r\n\r\n"
                        : "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    TlsServer server(tls, answer);
    BootstrapRefresh refresh(
        builtIn(), {.url = QUrl(QStringLiteral("https://127.0.0.1:%1/dns.json").arg(server.port())),
                    .extraCertificates = trusted ? QSslCertificate::fromPath(certificate) : QList<QSslCertificate>()});
    QSignalSpy updated(&refresh, &BootstrapRefresh::updated);
    QSignalSpy failed(&refresh, &BootstrapRefresh::fetchFailed);
    refresh.start();
    QVERIFY(QTest::qWaitFor([&] { return updated.size() + failed.size() > 0; }, 60000));
    if (failure.isEmpty()) {
        QCOMPARE(updated.size(), 1);
        QCOMPARE(baseFor(refresh, "example.com"), kFetchedBase);
    } else {
        QCOMPARE(failed.size(), 1);
        QVERIFY2(failed[0][0].toString().contains(failure), qPrintable(failed[0][0].toString()));
        QCOMPARE(baseFor(refresh, "example.com"), kBuiltInBase);
    }
    QCOMPARE(plain.requests().size(), 0);
}

QTEST_GUILESS_MAIN(TestBootstrapRefresh)
#include "test_bootstrap_refresh.moc"
