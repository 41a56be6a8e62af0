#include "lookup/bootstrap_refresh.h"
#include "support/http_server.h"

#include <QFile>
#include <QSignalSpy>
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

Bootstrap builtIn()
{
    return *Bootstrap::fromJson(dnsJson({"com", "net", "org", "biz", "info", "us"}, kBuiltInBase));
}

QString baseFor(const BootstrapRefresh &refresh, const QString &domain)
{
    return refresh.current().baseFor(domain).value_or(QUrl()).toString();
}

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

QTEST_GUILESS_MAIN(TestBootstrapRefresh)
#include "test_bootstrap_refresh.moc"
