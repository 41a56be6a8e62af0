#include "shared/registrar_host.h"
#include "search/search_error.h"
#include "ui/main_window/error_message.h"
#include "support/gui_helpers.h"
#include "support/search_window.h"

#include <QRegularExpression>
#include <QTest>

using namespace std::chrono_literals;
using varnex::test::HttpRequest;
using varnex::test::HttpResponse;
using varnex::test::HttpServer;
using varnex::test::MessageBoxAnswerer;
using varnex::test::page;
using varnex::test::Window;

Q_DECLARE_METATYPE(HttpResponse)

// Whatever is typed, whatever the registrar sends back and whatever fails on
// the way, the window lists the right names or shows one error message (its
// number and description), and stays usable, with no file left open and the
// normal pointer back.
class TestHostileInputs final : public QObject {
    Q_OBJECT

private slots:
    void inputs_data();
    void inputs();
    void strangerOnThePort_data();
    void strangerOnThePort();
};

namespace {

const QByteArray kNormal = page({"ok.com", "ok.net"});

} // namespace

void TestHostileInputs::inputs_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<HttpResponse>("response");
    QTest::addColumn<QByteArray>("target");   // empty: not checked
    QTest::addColumn<QStringList>("shown");   // the results when the search succeeds
    QTest::addColumn<QString>("errorStarts"); // empty: no error expected
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<QString>(
        "failure"); // a fault outside the answer: "refused", "refused by the own service" or "file"
    QTest::addColumn<bool>("howToStart"); // the message says how to start the program's own service

    const HttpResponse normal{.body = kNormal};
    const QStringList ok{"ok.com", "ok.net"};
    const int t = 20000;

    // What the user types.
    QTest::newRow("empty") << "" << normal << QByteArray("/whois.cgi?vhost_name=") << ok << "" << t << "" << false;
    QTest::newRow("only spaces") << "     " << normal << QByteArray("/whois.cgi?vhost_name=") << ok << "" << t << ""
                                 << false;
    QTest::newRow("10,000 characters") << QString(10000, 'a') << normal
                                       << "/whois.cgi?vhost_name=" + QByteArray(10000, 'a') << ok << "" << t << ""
                                       << false;
    QTest::newRow("non-ASCII") << QString::fromUtf8("münchen 東京") << normal
                               << QByteArray("/whois.cgi?vhost_name=m%C3%BCnchen%E6%9D%B1%E4%BA%AC") << ok << "" << t
                               << "" << false;
    QTest::newRow("control characters") << QString("a\x01\x1f\x7f"
                                                   "b\tc")
                                        << normal << QByteArray("/whois.cgi?vhost_name=a%01%1F%7Fbc") << ok << "" << t
                                        << "" << false;
    QTest::newRow("URL characters") << QString("& # % ? / \\ \"") << normal
                                    << QByteArray("/whois.cgi?vhost_name=%26%23%25%3F%2F%5C%22") << ok << "" << t << ""
                                    << false;

    // What the registrar sends back.
    QTest::newRow("empty body") << "shop" << HttpResponse{} << QByteArray() << QStringList{} << "" << t << "" << false;
    QTest::newRow("binary with NUL bytes")
        << "shop"
        << HttpResponse{.body = page({"a.com"}) + QByteArray("\0\x01\xff\x00name=\"domain9\" value=\"b.net\"", 32)}
        << QByteArray() << QStringList{"a.com", "b.net"} << "" << t << "" << false;
    QTest::newRow("invalid UTF-8") << "shop" << HttpResponse{.body = page({"bad\xff\xfe.com", "fine.us"})}
                                   << QByteArray() << QStringList{QString::fromLatin1("bad\xff\xfe.com"), "fine.us"}
                                   << "" << t << "" << false;
    QTest::newRow("64 MiB plus one byte")
        << "shop" << HttpResponse{.body = QByteArray((64 << 20) + 1, 'x'), .sendContentLength = false} << QByteArray()
        << QStringList{} << "Error 299: The registrar's page is larger than 64 MiB." << t << "" << false;
    QList<QByteArray> many;
    for (int i = 0; i < 100000; ++i)
        many.append("n" + QByteArray::number(i) + ".com");
    QStringList manyShown;
    for (const QByteArray &name : many)
        manyShown.append(QString::fromLatin1(name));
    QTest::newRow("100,000 offered names")
        << "shop" << HttpResponse{.body = page(many)} << QByteArray() << manyShown << "" << t << "" << false;
    QTest::newRow("a trickle of one byte a second")
        << "shop" << HttpResponse{.body = kNormal, .trickle = 1s} << QByteArray() << QStringList{}
        << "Error 4: " << 1500 << "" << false;
    QTest::newRow("closed mid-body") << "shop" << HttpResponse{.body = kNormal, .closeMidBody = true} << QByteArray()
                                     << QStringList{} << "Error 2: " << t << "" << false;
    QTest::newRow("redirect loop") << "shop"
                                   << HttpResponse{.status = 302,
                                                   .reason = "Found",
                                                   .headers = {{"Location", "/whois.cgi?vhost_name=shop"}}}
                                   << QByteArray() << QStringList{} << "Error " << t << "" << false;
    QTest::newRow("301 to another host") << "shop"
                                         << HttpResponse{.status = 301,
                                                         .reason = "Moved Permanently",
                                                         .headers = {{"Location", "http://127.0.0.2:9/whois.cgi"}}}
                                         << QByteArray() << QStringList{} << "Error " << t << "" << false;
    QTest::newRow("time-out") << "shop" << HttpResponse{.body = kNormal, .delay = 3s} << QByteArray() << QStringList{}
                              << QString("Error 4: The registrar did not answer within 0.3 seconds.") << 300 << ""
                              << false;
    QTest::newRow("announced body over 64 MiB")
        << "shop" << HttpResponse{.headers = {{"Content-Length", "67108865"}}, .sendContentLength = false}
        << QByteArray() << QStringList{} << "Error 299: The registrar's page is larger than 64 MiB." << t << ""
        << false;
    QTest::newRow("connection refused") << "shop" << normal << QByteArray() << QStringList{} << "Error 1: " << t
                                        << "refused" << false;
    QTest::newRow("refused by the program's own service")
        << "shop" << normal << QByteArray() << QStringList{} << "Error 1: Connection refused" << t
        << "refused by the own service" << true;
    QTest::newRow("capture file cannot be written")
        << "shop" << normal << QByteArray() << QStringList{} << QString("Error %1: ").arg(int(QFileDevice::OpenError))
        << t << "file" << false;
    QTest::newRow("500 with a page that looks like results")
        << "shop" << HttpResponse{.status = 500, .reason = "Internal Server Error", .body = kNormal} << QByteArray()
        << QStringList{} << "Error 500: Internal Server Error" << t << "" << false;
    QTest::newRow("503: the service reached no registry")
        << "shop"
        << HttpResponse{.status = 503,
                        .reason = "Could not reach the registries; check the network connection",
                        .body = "busy"}
        << QByteArray() << QStringList{} << "Error 503: Could not reach the registries; check the network connection"
        << t << "" << false;
}

void TestHostileInputs::inputs()
{
    QFETCH(QString, typed);
    QFETCH(HttpResponse, response);
    QFETCH(QByteArray, target);
    QFETCH(QStringList, shown);
    QFETCH(QString, errorStarts);
    QFETCH(int, timeoutMs);
    QFETCH(QString, failure);
    QFETCH(bool, howToStart);

    // Nothing listens where a refused search goes.
    QString refusingHost = failure == "refused" ? HttpServer().hostAndPort() : QString();
    if (howToStart) {
        refusingHost = QString::fromLatin1(varnex::kRegistrarHost);
        if (!refusingHost.startsWith("127.0.0.1:"))
            QSKIP("the build's registrar host is not on loopback");
        if (!HttpServer({}, refusingHost.section(':', 1).toUShort()).isListening())
            QSKIP("something listens on the build's registrar port");
    }
    bool hostile = true;
    Window window([&](const HttpRequest &) { return hostile ? response : HttpResponse{.body = kNormal}; },
                  std::chrono::milliseconds(timeoutMs), refusingHost);
    if (failure == "file")
        QVERIFY(QDir(window.folder.path()).mkdir("chkdom.tmp")); // a folder where the capture file goes
    {
        MessageBoxAnswerer answerer;
        window.text2()->setText(typed);
        QVERIFY(varnex::test::pressEnter(window.form));
        if (errorStarts.isEmpty()) {
            QCOMPARE(answerer.texts(), QStringList{});
            QCOMPARE(window.list1()->items(), shown);
            QCOMPARE(window.label9()->text(), QString::number(shown.size()));
        } else {
            QCOMPARE(answerer.texts().size(), 1);
            QVERIFY2(answerer.texts().first().startsWith(errorStarts), qPrintable(answerer.texts().first()));
            const QString message = answerer.texts().first();
            // The installed service is the system's socket unit, started as root.
            static const QRegularExpression startSocket(R"(\bsudo\s+systemctl\s+start\s+varnex-registrar\.socket\b)");
            QCOMPARE(message.contains("bash tools/start.sh") && message.contains(refusingHost)
                         && message.contains(startSocket) && !message.contains("--user"),
                     howToStart);
            QCOMPARE(window.list1()->count(), 0);
            QCOMPARE(window.list2()->count(), 0);
            QCOMPARE(window.label9()->text(), QStringLiteral("0"));
            QCOMPARE(window.label2()->text(), QStringLiteral("    Search failed"));
        }
    }
    if (!target.isEmpty())
        QCOMPARE(window.server.requests().first().target, target);
    QVERIFY(!varnex::test::isOpenInThisProcess(window.capturePath()));
    QVERIFY(!varnex::test::isOpenInThisProcess(window.cleanedPath()));
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    // The window is still usable once the fault is gone.
    if (failure.startsWith("refused"))
        return;
    hostile = false;
    if (failure == "file")
        QVERIFY(QDir(window.folder.path()).rmdir("chkdom.tmp"));
    window.typeAndPressEnter("again");
    QCOMPARE(window.list1()->items(), (QStringList{"ok.com", "ok.net"}));
}

QTEST_MAIN(TestHostileInputs)
void TestHostileInputs::strangerOnThePort_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("server");
    QTest::addColumn<bool>("stranger");
    QTest::newRow("a web server's 404") << 404 << QByteArray("nginx") << true;
    QTest::newRow("no Server header") << 404 << QByteArray() << true;
    QTest::newRow("the service's own 503") << 503 << QByteArray("varnex-registrar/1.0") << false;
    QTest::newRow("no HTTP answer") << 99 << QByteArray() << false;
}

// An HTTP answer on the build's own loopback port without the service's mark
// says that another program holds the port, and how to see which.
void TestHostileInputs::strangerOnThePort()
{
    QFETCH(int, number);
    QFETCH(QByteArray, server);
    QFETCH(bool, stranger);
    const QString host = QString::fromLatin1(varnex::kRegistrarHost);
    if (!host.startsWith("127.0.0.1:"))
        QSKIP("the build's registrar host is not on loopback");
    const QString message =
        varnex::searchErrorMessage(varnex::SearchError(number, "File not found", server.toStdString()), host);
    QCOMPARE(message.contains("another program holds port " + host.section(':', 1)), stranger);
    QCOMPARE(message.contains("ss -ltnp"), stranger);
}

#include "test_hostile_inputs.moc"
