#include "search/capture_folder.h"
#include "search/http_transfer.h"
#include "search/request_url.h"
#include "search/search_error.h"
#include "support/http_server.h"

#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace std::chrono_literals;
using varnex::HttpTransfer;
using varnex::SearchError;
using varnex::test::HttpResponse;
using varnex::test::HttpServer;

Q_DECLARE_METATYPE(HttpResponse)

namespace {

QByteArray fetch(HttpTransfer &transfer, const HttpServer &server)
{
    const varnex::ByteBuffer body = transfer.fetchDocument(varnex::whoisRequestUrl(server.hostAndPort(), "x"));
    return QByteArray(body.view().data(), qsizetype(body.view().size()));
}

} // namespace

class TestHttpTransfer final : public QObject {
    Q_OBJECT

private slots:
    void fetchesBodyByteForByte();
    void requestTargets_data();
    void requestTargets();
    void errors_data();
    void errors();
    void refusedConnection();
    void captureFolderFallsBack();
};

void TestHttpTransfer::fetchesBodyByteForByte()
{
    QByteArray body;
    for (int i = 0; i < 100000; ++i)
        body.append(char(i * 7 % 256));
    HttpServer server([&](const auto &) { return HttpResponse{.body = body}; });
    QNetworkAccessManager network;
    HttpTransfer transfer(network);

    QCOMPARE(fetch(transfer, server), body);
    QCOMPARE(transfer.nextPiece(), QByteArray());

    // A body that ends when the connection closes arrives whole too.
    server.setHandler([&](const auto &) { return HttpResponse{.body = body, .sendContentLength = false}; });
    QCOMPARE(fetch(transfer, server), body);

    // So does one that comes a byte at a time, zero bytes included.
    const QByteArray slow("a\0b\r\nc", 6);
    server.setHandler([&](const auto &) { return HttpResponse{.body = slow, .trickle = 1ms}; });
    QCOMPARE(fetch(transfer, server), slow);

    // A redirect on the same host is followed, and only the last page's body is kept.
    server.setHandler([](const varnex::test::HttpRequest &request) {
        if (request.target.endsWith("=x"))
            return HttpResponse{.status = 302,
                                .reason = "Found",
                                .body = "moved",
                                .headers = {{"Location", "/whois.cgi?vhost_name=y"}}};
        return HttpResponse{.body = "the page"};
    });
    QCOMPARE(fetch(transfer, server), QByteArray("the page"));
}

void TestHttpTransfer::requestTargets_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("target");

    QTest::newRow("spaces removed") << "my shop" << QByteArray("/whois.cgi?vhost_name=myshop");
    QTest::newRow("case and hyphen kept") << "My-Shop" << QByteArray("/whois.cgi?vhost_name=My-Shop");
    QTest::newRow("empty") << "" << QByteArray("/whois.cgi?vhost_name=");
    QTest::newRow("only spaces") << "   " << QByteArray("/whois.cgi?vhost_name=");
    QTest::newRow("unreserved kept") << "a.b_c~d9" << QByteArray("/whois.cgi?vhost_name=a.b_c~d9");
    QTest::newRow("no parameter or fragment") << "a&b#c" << QByteArray("/whois.cgi?vhost_name=a%26b%23c");
    QTest::newRow("reserved") << "x/y?z=1;+@" << QByteArray("/whois.cgi?vhost_name=x%2Fy%3Fz%3D1%3B%2B%40");
    QTest::newRow("percent and quote") << "100%\"\\" << QByteArray("/whois.cgi?vhost_name=100%25%22%5C");
    QTest::newRow("pasted line ends and tabs") << "coffee shop\nbest\ttea\r\n"
                                               << QByteArray("/whois.cgi?vhost_name=coffeeshopbesttea");
    QTest::newRow("other white space") << QString::fromUtf8("a\u00A0b\u2003c\u3000d\u2028e\u0085f\vg\fh")
                                       << QByteArray("/whois.cgi?vhost_name=abcdefgh");
    QTest::newRow("zero-width space is no space")
        << QString::fromUtf8("a\u200Bb") << QByteArray("/whois.cgi?vhost_name=a%E2%80%8Bb");
    QTest::newRow("UTF-8") << QString::fromUtf8("zé ü") << QByteArray("/whois.cgi?vhost_name=z%C3%A9%C3%BC");
}

void TestHttpTransfer::requestTargets()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, target);

    HttpServer server;
    QNetworkAccessManager network;
    HttpTransfer transfer(network);
    transfer.fetchDocument(varnex::whoisRequestUrl(server.hostAndPort(), typed));
    QCOMPARE(server.requests().size(), 1);
    QCOMPARE(server.requests().first().requestLine, "GET " + target + " HTTP/1.1");

    // Without a port the page is asked for on port 80.
    QCOMPARE(varnex::whoisRequestUrl("registrar.example", typed).toEncoded(), "http://registrar.example" + target);
}

void TestHttpTransfer::errors_data()
{
    QTest::addColumn<HttpResponse>("response");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    // Rows other than the time-out allow plenty of time: 64 MiB over loopback on a busy machine is not instant.

    QTest::newRow("500") << HttpResponse{.status = 500, .reason = "Internal Server Error", .body = "oops"} << 500
                         << "Internal Server Error";
    QTest::newRow("404") << HttpResponse{.status = 404, .reason = "Not Found"} << 404 << "Not Found";
    QTest::newRow("time-out") << HttpResponse{.body = "late", .delay = 2s} << int(QNetworkReply::TimeoutError)
                              << "The registrar did not answer within 0.3 seconds.";
    QTest::newRow("announced body over 64 MiB")
        << HttpResponse{.headers = {{"Content-Length", "67108865"}}, .sendContentLength = false}
        << int(QNetworkReply::UnknownContentError) << "The registrar's page is larger than 64 MiB.";
    QTest::newRow("unannounced body over 64 MiB")
        << HttpResponse{.body = QByteArray((64 << 20) + 1, 'x'), .sendContentLength = false}
        << int(QNetworkReply::UnknownContentError) << "The registrar's page is larger than 64 MiB.";
    QTest::newRow("closed mid-body") << HttpResponse{.body = QByteArray(10000, 'x'), .closeMidBody = true}
                                     << int(QNetworkReply::RemoteHostClosedError) << "";
}

void TestHttpTransfer::errors()
{
    QFETCH(HttpResponse, response);
    QFETCH(int, number);
    QFETCH(QString, description);

    HttpServer server([&](const auto &) { return response; });
    QNetworkAccessManager network;
    HttpTransfer transfer(network, nullptr, QTest::currentDataTag() == QByteArray("time-out") ? 300ms : 20s);
    try {
        transfer.fetchDocument(varnex::whoisRequestUrl(server.hostAndPort(), "x"));
        QFAIL("the fetch must fail");
    } catch (const SearchError &error) {
        QCOMPARE(error.number(), number);
        if (!description.isEmpty())
            QCOMPARE(QString::fromStdString(error.what()), description);
    }
    // The same transfer works again afterwards.
    server.setHandler([](const auto &) { return HttpResponse{.body = "fine"}; });
    QCOMPARE(fetch(transfer, server), QByteArray("fine"));
}

void TestHttpTransfer::refusedConnection()
{
    quint16 port = 0;
    {
        HttpServer closed;
        port = closed.port();
    }
    QNetworkAccessManager network;
    HttpTransfer transfer(network);
    try {
        transfer.fetchDocument(varnex::whoisRequestUrl(QStringLiteral("127.0.0.1:%1").arg(port), "x"));
        QFAIL("nothing listens there");
    } catch (const SearchError &error) {
        QCOMPARE(error.number(), int(QNetworkReply::ConnectionRefusedError));
    }
}

void TestHttpTransfer::captureFolderFallsBack()
{
    QTemporaryDir program;
    QTemporaryDir cache;
    QCOMPARE(varnex::chooseCaptureFolder(program.path(), cache.filePath("c")),
             QFileInfo(program.path()).absoluteFilePath());

    const QString missingProgramFolder = program.filePath("not-there");
    const QString cacheFolder = cache.filePath("varnex");
    QCOMPARE(varnex::chooseCaptureFolder(missingProgramFolder, cacheFolder), cacheFolder);
    QVERIFY(QFileInfo(cacheFolder).isDir());

    const varnex::CaptureFiles files = varnex::CaptureFiles::in(cacheFolder);
    QCOMPARE(files.capture, cacheFolder + "/chkdom.tmp");
    QCOMPARE(files.cleaned, cacheFolder + "/clean.tmp");
}

QTEST_GUILESS_MAIN(TestHttpTransfer)
#include "test_http_transfer.moc"
