#include "lookup/availability_cache.h"
#include "lookup/bootstrap.h"
#include "lookup/dns_answer.h"
#include "names/candidates.h"
#include "names/name_rules.h"
#include "names/word_knowledge.h"
#include "service/registrar_server.h"
#include "search/page_scan.h"
#include "service/whois_page.h"
#include "support/http_server.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

using namespace std::chrono_literals;
using namespace varnex::registrar;
using varnex::test::HttpRequest;
using varnex::test::HttpResponse;
using varnex::test::HttpServer;

namespace {

// A fixture registry: answers /rdap/domain/NAME by what the test set for NAME,
// "not registered" (404) for anything else.
struct Registry {
    QHash<QString, HttpResponse> answers;
    HttpResponse otherwise{.status = 404, .reason = "Not Found"};
    std::chrono::milliseconds delay{0};
    HttpServer server{[this](const HttpRequest &request) {
        const QString name = QString::fromLatin1(request.target).section(QLatin1Char('/'), -1);
        HttpResponse response = answers.value(name, otherwise);
        response.body.replace("{name}", name.toLatin1());
        if (response.delay == 0ms)
            response.delay = delay;
        return response;
    }};

    QString base() const { return QStringLiteral("http://127.0.0.1:%1/rdap/").arg(server.port()); }
};

const HttpResponse kTaken{.body = R"({"objectClassName":"domain","ldhName":"{name}"})"};

Bootstrap bootstrapFor(const QHash<QString, const Registry *> &registries)
{
    QByteArray services;
    for (auto it = registries.begin(); it != registries.end(); ++it)
        services += (services.isEmpty() ? "" : ",") + QByteArray("[[\"") + it.key().toLatin1() + "\"],[\""
                    + it.value()->base().toLatin1() + "\"]]";
    return *Bootstrap::fromJson(R"({"version":"1.0","publication":"2026-12-08T00:00:00Z","services":[)" + services
                                + "]}");
}

Bootstrap allEndingsAt(const Registry &registry)
{
    QHash<QString, const Registry *> registries;
    for (const QString &ending : kEndings)
        registries.insert(ending, &registry);
    return bootstrapFor(registries);
}

struct Page {
    int status = 0;
    QByteArray reason;
    QByteArray body;
    QByteArray contentLength;
    qint64 milliseconds = 0;
};

// Asks the service over HTTP, as the desktop program does; pageOf() awaits the answer.
QNetworkReply *ask(quint16 port, const QByteArray &target, const QByteArray &method = "GET")
{
    static QNetworkAccessManager network;
    const QNetworkRequest request(QUrl::fromEncoded("http://127.0.0.1:" + QByteArray::number(port) + target));
    // A HEAD answer has no body, which only head() knows to expect.
    QNetworkReply *reply = method == "HEAD" ? network.head(request) : network.sendCustomRequest(request, method);
    QElapsedTimer timer;
    timer.start();
    reply->setProperty("started", timer.msecsSinceReference());
    return reply;
}

Page pageOf(QNetworkReply *reply)
{
    if (!reply->isFinished()) {
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(30s, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QElapsedTimer now;
    now.start();
    Page page{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
              reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray(), reply->readAll(),
              reply->rawHeader("Content-Length"), now.msecsSinceReference() - reply->property("started").toLongLong()};
    reply->deleteLater();
    return page;
}

Page fetch(quint16 port, const QByteArray &target, const QByteArray &method = "GET")
{
    return pageOf(ask(port, target, method));
}

// The names the desktop program would take from the page.
std::vector<std::string> offered(const QByteArray &page)
{
    varnex::PageScanner scanner;
    scanner.feed(std::string_view(page.constData(), std::size_t(page.size())));
    return std::move(scanner).finish();
}

std::unique_ptr<RegistrarServer> startService(Bootstrap bootstrap, RegistrarServer::Settings settings = {},
                                              GuardedTcpServer::Limits limits = {})
{
    auto service = std::make_unique<RegistrarServer>(std::move(bootstrap), settings);
    service->listenGuarded(QHostAddress::LocalHost, 0, limits);
    return service;
}

// Sends raw bytes on a new connection; returns what came back before the
// server closed it or `wait` ran out, and whether the server closed it.
std::pair<QByteArray, bool> sendRaw(quint16 port, const QByteArray &bytes, std::chrono::milliseconds wait = 3s)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(3000))
        return {"<no connection>", true};
    socket.write(bytes);
    QByteArray received;
    bool closed = false;
    QEventLoop loop;
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] { received += socket.readAll(); });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, [&] {
        closed = true;
        loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, [&] {
        closed = true;
        loop.quit();
    });
    QTimer::singleShot(wait, &loop, &QEventLoop::quit);
    if (socket.state() == QAbstractSocket::ConnectedState)
        loop.exec();
    return {received + socket.readAll(), closed};
}

quint16 portOf(RegistrarServer &service)
{
    return service.serverPorts().value(0);
}

// A name in DNS wire form: "shop.com" is \4shop\3com\0.
QByteArray wireName(const QByteArray &dotted)
{
    QByteArray wire;
    for (const QByteArray &label : dotted.split('.'))
        wire += char(label.size()) + label;
    return wire + (dotted.isEmpty() ? "" : QByteArray(1, '\0'));
}

// A resolver's answer: the questions (NS, IN), then one NS record for each owner (wire form).
QByteArray dnsAnswer(quint16 flags, const QList<QByteArray> &questions, const QList<QByteArray> &owners)
{
    QByteArray message;
    const auto u16 = [&message](qsizetype value) { message += char(value >> 8) + QByteArray(1, char(value)); };
    for (const qsizetype value :
         {qsizetype(0x2a2a), qsizetype(flags), questions.size(), owners.size(), qsizetype(0), qsizetype(0)})
        u16(value);
    for (const QByteArray &question : questions) {
        message += wireName(question);
        u16(2);
        u16(1);
    }
    const QByteArray server = wireName("ns1.example.net");
    for (const QByteArray &owner : owners) {
        message += owner;
        for (const qsizetype value : {qsizetype(2), qsizetype(1), qsizetype(0), qsizetype(300), server.size()})
            u16(value);
        message += server;
    }
    return message;
}

// The name a DNS question asks about, dotted.
QByteArray nameAsked(const QByteArray &question)
{
    QByteArray name;
    for (qsizetype at = 12; at < question.size() && question[at] != '\0'; at += 1 + quint8(question[at]))
        name += (name.isEmpty() ? "" : ".") + question.mid(at + 1, quint8(question[at]));
    return name;
}

// Adds the name each datagram on `socket` asks about to `asked`.
void readQuestions(QUdpSocket &socket, QSet<QByteArray> &asked)
{
    while (socket.hasPendingDatagrams())
        asked.insert(nameAsked(socket.receiveDatagram().data()));
}

// A resolver's answer to `question`: the name has name servers.
QByteArray hasNameServers(const QByteArray &question)
{
    QByteArray answer = dnsAnswer(0x8180, {nameAsked(question)}, {QByteArray("\xc0\x0c", 2)});
    return answer.replace(0, 2, question.left(2)); // its ID
}

} // namespace

class TestRegistrar final : public QObject {
    Q_OBJECT

private slots:
    void labels_data();
    void labels();
    void candidates();
    void internationalCandidates();
    void bootstrapFiles_data();
    void bootstrapFiles();
    void cacheKeepsAnswersForTheirTime();
    void pageFields();
    void invalidNamesOfferNothing_data();
    void invalidNamesOfferNothing();
    void unsoldNamesAreNotAsked_data();
    void unsoldNamesAreNotAsked();
    void otherRequests_data();
    void otherRequests();
    void headHasTheHeadersOnly();
    void backsOffAfter429();
    void perHostLimit();
    void secondSearchComesFromTheCache();
    void pageDeadline();
    void hostileClients_data();
    void hostileClients();
    void slowAndIdleClientsAreDropped();
    void nothingCheckedIsAFailure_data();
    void nothingCheckedIsAFailure();
    void connectionCapComesBack();
    void descriptorNoSocketTakesIsClosed();
    void answersInRequestOrder();
    void deepPipelineAnsweredInOrder();
    void http10AnsweredInKind();
    void foreignHostRefused();
    void lookupsEndWithTheirPages();
    void answersGoToTheirOwnLookups();
    void dnsScreensRegisteredNames();
    void dnsAnswers_data();
    void dnsAnswers();
    void dnsQuestionsEndWithTheirPages();
    void droppedDnsQuestionsGoToTheRegistries();
    void pageAsksWithinItsShare();
    void bestRankedFreeNamesMakeThePage();
    void longTextIsAPhrase();
};

void TestRegistrar::labels_data()
{
    QTest::addColumn<QString>("requested");
    QTest::addColumn<QString>("label"); // empty: not a valid name

    QTest::newRow("spaces and case") << " My Shop "
                                     << "myshop";
    QTest::newRow("one known ending taken off") << "MyShop.NET"
                                                << "myshop";
    QTest::newRow("only one ending") << "myshop.net.com"
                                     << "";
    QTest::newRow("other ending") << "myshop.de"
                                  << "";
    QTest::newRow("digits and hyphens") << "shop-24"
                                        << "shop-24";
    QTest::newRow("leading hyphen") << "-shop"
                                    << "";
    QTest::newRow("trailing hyphen") << "shop-"
                                     << "";
    QTest::newRow("underscore") << "my_shop"
                                << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("only an ending") << ".com"
                                    << "";
    QTest::newRow("63 characters") << QString(63, 'a') << QString(63, 'a');
    QTest::newRow("64 characters: a phrase, no name") << QString(64, 'a') << "";
    QTest::newRow("201 characters") << QString(201, 'a') << "";
    QTest::newRow("internationalised") << QString::fromUtf8("München") << QString::fromUtf8("münchen");
    QTest::newRow("internationalised with ending") << QString::fromUtf8("bücher.info") << QString::fromUtf8("bücher");
    QTest::newRow("typed A-label") << "xn--bcher-kva.com" << QString::fromUtf8("bücher");
    QTest::newRow("A-label that does not decode") << "xn--a"
                                                  << "";
    QTest::newRow("A-label of a disallowed name") << "xn--zzzzzzzz"
                                                  << "";
    QTest::newRow("reserved hyphens") << "ab--cd"
                                      << "";
    QTest::newRow("lone joiner") << QString(QChar(0x200D)) << "";
    QTest::newRow("emoji") << QString::fromUtf8("shopð") << "";
    QTest::newRow("Latin with a Cyrillic a") << QString::fromUtf8("pÐ°ypal") << "";
    QTest::newRow("Cyrillic alone") << QString::fromUtf8("магазин") << QString::fromUtf8("магазин");
    QTest::newRow("Japanese scripts together") << QString::fromUtf8("東京ストア") << QString::fromUtf8("東京ストア");
    QTest::newRow("markup") << "<b>&\""
                            << "";
    QTest::newRow("NUL") << QString("a") + QChar(0) + "b"
                         << "";
    QTest::newRow("trailing line feed") << "hq\n"
                                        << "";
    QTest::newRow("tab") << "my\tshop"
                         << "";
}

void TestRegistrar::labels()
{
    QFETCH(QString, requested);
    QFETCH(QString, label);
    QCOMPARE(labelFor(requested).value_or(QString()), label);
    // A refused name always says why, in words that fit an HTTP reason phrase;
    // text longer than a name, up to its bound, is a phrase to make names of.
    const LabelCheck check = checkLabel(requested);
    QCOMPARE(check.refusal.isEmpty(), !label.isEmpty() || check.phrase);
    QCOMPARE(check.phrase, requested.size() > 63 && requested.size() <= kMaxTypedText);
    for (const QChar c : check.refusal)
        QVERIFY(c.unicode() >= 0x20 && c.unicode() < 0x7f);
}

void TestRegistrar::internationalCandidates()
{
    // Built on the Unicode label, then converted: each is a valid A-label that reads back as prefix or suffix + word.
    const QStringList names = candidatesFor(QString::fromUtf8("bücher"));
    QCOMPARE(names.mid(0, 6), (QStringList{"xn--bcher-kva.com", "xn--bcher-kva.net", "xn--bcher-kva.org",
                                           "xn--bcher-kva.biz", "xn--bcher-kva.info", "xn--bcher-kva.us"}));
    QStringList shown;
    for (const QString &name : names) {
        QVERIFY2(asciiLabel(displayName(name).section('.', 0, 0)) == name.section('.', 0, 0), qPrintable(name));
        shown.append(displayName(name));
    }
    QVERIFY(shown.contains(QString::fromUtf8("getbücher.com")));
    QVERIFY(shown.contains(QString::fromUtf8("büchershq.net")) || shown.contains(QString::fromUtf8("bücherhq.net")));
    QVERIFY(!names.contains("thexn--bcher-kva.com"));
    // A suggestion that would mix scripts is left out.
    for (const QString &name : candidatesFor(QString::fromUtf8("магазин")))
        QVERIFY2(!displayName(name).contains("get") && !displayName(name).contains("online"), qPrintable(name));
}

void TestRegistrar::candidates()
{
    QCOMPARE(candidatesFor("shop"),
             (QStringList{"shop.com", "shop.net", "shop.org", "shop.biz", "shop.info", "shop.us", "getshop.com",
                          "myshop.com", "theshop.com", "shoponline.com", "shophq.com", "shopapp.com", "getshop.net",
                          "myshop.net", "theshop.net", "shoponline.net", "shophq.net", "shopapp.net"}));
    // No suggestion repeats a prefix or suffix the label already has, or grows past 63 characters.
    const QStringList mine = candidatesFor("myshopapp");
    QVERIFY(!mine.contains("mymyshopapp.com"));
    QVERIFY(!mine.contains("myshopappapp.com"));
    const QString longest(61, 'a');
    for (const QString &name : candidatesFor(longest))
        QVERIFY2(name.section('.', 0, 0).size() <= 63, qPrintable(name));
    QCOMPARE(candidatesFor(longest).size(), 6 + 2 * 2); // only "hq" fits, and "my": 63 characters
}

void TestRegistrar::bootstrapFiles_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("comBase"); // empty: the file is refused

    QTest::newRow("IANA form") << QByteArray(
        R"({"version":"1.0","publication":"x","services":[[["com","net"],["https://r.example/v1/"]]]})")
                               << "https://r.example/v1/";
    QTest::newRow("https preferred") << QByteArray(
        R"({"services":[[["com"],["http://r.example/a/","https://r.example/b/"]]]})")
                                     << "https://r.example/b/";
    QTest::newRow("missing final slash added")
        << QByteArray(R"({"services":[[["com"],["https://r.example/v1"]]]})") << "https://r.example/v1/";
    QTest::newRow("one unusable entry skipped")
        << QByteArray(R"({"services":[[["cz"],["ftp://x/"]],"odd",[["com"],["https://r.example/"]]]})")
        << "https://r.example/";
    QTest::newRow("no services") << QByteArray(R"({"version":"1.0"})") << "";
    QTest::newRow("not JSON") << QByteArray("services") << "";
}

void TestRegistrar::bootstrapFiles()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, comBase);

    const std::optional<Bootstrap> bootstrap = Bootstrap::fromJson(json);
    QCOMPARE(bootstrap.has_value(), !comBase.isEmpty());
    if (bootstrap) {
        QCOMPARE(bootstrap->baseFor("shop.com").value_or(QUrl()), QUrl(comBase));
        QVERIFY(!bootstrap->baseFor("shop.de"));
    }
    // The built-in file names a registry for each of the six endings.
    for (const QString &ending : kEndings)
        QVERIFY(Bootstrap::bundled().baseFor("x." + ending).value_or(QUrl()).scheme() == "https");
}

void TestRegistrar::cacheKeepsAnswersForTheirTime()
{
    using State = Availability::State;
    AvailabilityCache cache(2);
    const auto start = AvailabilityCache::Clock::now();
    cache.store("free.com", {State::NotRegistered, {}}, start);
    cache.store("taken.com", {State::Registered, {}}, start);
    cache.store("failed.com", Availability::unchecked(Availability::Failure::BadAnswer, "HTTP 500"), start);
    QVERIFY(!cache.find("failed.com", start)); // failures are never kept
    QCOMPARE(cache.size(), std::size_t(2));

    // "Not registered" is kept for a minute, and says how old it is; the page shows that age.
    const std::optional<Availability> aged = cache.find("free.com", start + 40s);
    QVERIFY(aged && aged->age == 40s);
    QVERIFY(whoisPage("free", {{"free.com", aged}}).contains("<td>checked 40 s ago</td>"));
    QVERIFY(!cache.find("free.com", start + 60s));
    QVERIFY(cache.find("taken.com", start + 59min));
    QVERIFY(!cache.find("taken.com", start + 60min));

    // Full: the least recently used goes.
    cache.store("a.com", {State::Registered, {}}, start);
    cache.store("b.com", {State::Registered, {}}, start);
    QVERIFY(cache.find("a.com", start));
    cache.store("c.com", {State::Registered, {}}, start);
    QVERIFY(cache.find("a.com", start));
    QVERIFY(!cache.find("b.com", start));
    QVERIFY(cache.find("c.com", start));
}

void TestRegistrar::pageFields()
{
    Registry registry;
    Registry elsewhere; // another host: a redirect there is not the registry's own answer
    registry.answers = {
        {"shop.net", kTaken},
        {"shop.org", {.status = 400, .reason = "Bad Request"}},
        {"shop.biz", {.status = 500, .reason = "Internal Server Error"}},
        // A 404 for another name is no answer for this one.
        {"shop.info", {.status = 301, .reason = "Moved", .headers = {{"Location", "/rdap/domain/moved-shop.info"}}}},
        {"shop.us",
         {.status = 302, .reason = "Found", .headers = {{"Location", elsewhere.base().toLatin1() + "domain/shop.us"}}}},
        {"myshop.com", kTaken},
        {"theshop.com", {.status = 200, .body = R"({"objectClassName":"entity"})"}},
    };
    auto service = startService(allEndingsAt(registry));

    const Page page = fetch(portOf(*service), "/whois.cgi?vhost_name=Shop");
    QCOMPARE(page.status, 200);
    const std::vector<std::string> expected{"shop.com",       "getshop.com", "shoponline.com", "shophq.com",
                                            "shopapp.com",    "getshop.net", "myshop.net",     "theshop.net",
                                            "shoponline.net", "shophq.net",  "shopapp.net"};
    QCOMPARE(offered(page.body), expected);

    // Numbered from 1 in candidate order, written exactly as the desktop program reads them.
    const QRegularExpression field(R"re(<input type="checkbox" name="domain(\d+)" value="([^"]*)">)re");
    int number = 0;
    for (auto match = field.globalMatch(QString::fromUtf8(page.body)); match.hasNext();) {
        const QRegularExpressionMatch next = match.next();
        QCOMPARE(next.captured(1).toInt(), ++number);
        QCOMPARE(next.captured(2).toStdString(), expected[std::size_t(number - 1)]);
    }
    QCOMPARE(number, int(expected.size()));

    for (const char *line : {"<li>shop.net: registered</li>", "<li>shop.org: not available:",
                             "<li>shop.biz: could not be checked: the registry answered HTTP 500</li>",
                             "<li>shop.us: could not be checked:", "<li>myshop.com: registered</li>",
                             "<li>theshop.com: could not be checked:"})
        QVERIFY2(page.body.contains(line), line);
    QVERIFY(page.body.contains("reserved or premium name may still be refused"));
    QCOMPARE(elsewhere.server.requests().size(), 0);
}

void TestRegistrar::invalidNamesOfferNothing_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("echo");

    QTest::newRow("empty") << QByteArray("/whois.cgi?vhost_name=") << QByteArray();
    QTest::newRow("no parameter") << QByteArray("/whois.cgi") << QByteArray();
    QTest::newRow("markup is escaped") << QByteArray("/whois.cgi?vhost_name=%3Cb%3E%26%22'")
                                       << QByteArray("&lt;b&gt;&amp;&quot;&#39;");
    QTest::newRow("bad percent-encoding") << QByteArray("/whois.cgi?vhost_name=%zz") << QByteArray();
    QTest::newRow("dot inside") << QByteArray("/whois.cgi?vhost_name=my.shop") << QByteArray("my.shop");
    QTest::newRow("text that reads as a field")
        << QByteArray("/whois.cgi?vhost_name=name%3Dxdomain%20value%3Dxabc.com") << QByteArray("name&#61;xdomain");
    QTest::newRow("private-use character") << QByteArray("/whois.cgi?vhost_name=shop%EE%80%80")
                                           << QByteArray("a character that no name may hold (U+E000)");
    QTest::newRow("past the bound for typed text")
        << "/whois.cgi?vhost_name=" + QByteArray(201, 'a') << QByteArray("longer than 200 characters");
    QTest::newRow("a phrase with no word knowledge")
        << "/whois.cgi?vhost_name=" + QByteArray(70, 'a') << QByteArray("no words to make names of");
}

void TestRegistrar::invalidNamesOfferNothing()
{
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, echo);

    Registry registry;
    auto service = startService(allEndingsAt(registry));
    const Page page = fetch(portOf(*service), target);
    QCOMPARE(page.status, 400);
    QVERIFY(page.body.contains("not a name that can be registered"));
    QVERIFY(offered(page.body).empty());
    QVERIFY(page.body.contains(echo));
    QVERIFY(!page.body.contains("<b>"));
    QCOMPARE(registry.server.requests().size(), 0);
}

// A name its ending's registry would not sell is never asked about nor
// offered there, whatever the registry says, and the page says why.
void TestRegistrar::unsoldNamesAreNotAsked_data()
{
    QTest::addColumn<QByteArray>("typed");       // percent-encoded
    QTest::addColumn<QStringList>("offered");    // the typed name's endings the page offers
    QTest::addColumn<QByteArray>("refusedLine"); // on the page

    QTest::newRow("German with ß") << QByteArray("fu%C3%9Fball") << QStringList{"com", "net"}
                                   << QByteArray("<li>xn--fuball-cta.org (fu\xC3\x9F"
                                                 "ball.org): not available: "
                                                 "not registrable under .org: none of the languages");
    QTest::newRow("Spanish") << QByteArray("jard%C3%ADn") << QStringList{"com", "net", "org", "biz", "info"}
                             << QByteArray("(jard\xC3\xADn.us): not available: not registrable under .us: its "
                                           "registry sells no internationalised names</li>");
    QTest::newRow("five digits") << QByteArray("90210") << QStringList{"com", "net", "org", "biz", "info"}
                                 << QByteArray("<li>90210.us: not available: not registrable under .us: its registry "
                                               "reserves every number of five digits or more</li>");
}

void TestRegistrar::unsoldNamesAreNotAsked()
{
    QFETCH(QByteArray, typed);
    QFETCH(QStringList, offered);
    QFETCH(QByteArray, refusedLine);

    Registry registry; // "not registered" for every name it is asked about
    auto service = startService(allEndingsAt(registry));
    const Page page = fetch(portOf(*service), "/whois.cgi?vhost_name=" + typed);
    QCOMPARE(page.status, 200);
    QVERIFY2(page.body.contains(refusedLine), page.body.constData());
    const QString label = *asciiLabel(*labelFor(QString::fromUtf8(QByteArray::fromPercentEncoding(typed))));
    QStringList asked;
    for (const HttpRequest &request : registry.server.requests())
        asked.append(QString::fromLatin1(request.target).section('/', -1));
    const std::vector<std::string> onPage = ::offered(page.body);
    for (const QString &ending : kEndings) {
        const std::string name = (label + '.' + ending).toStdString();
        const bool sold = offered.contains(ending);
        QCOMPARE(std::find(onPage.begin(), onPage.end(), name) != onPage.end(), sold);
        QCOMPARE(asked.contains(label + '.' + ending), sold);
    }
}

void TestRegistrar::otherRequests_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");

    QTest::newRow("other path") << QByteArray("GET") << QByteArray("/index.html") << 404;
    QTest::newRow("root") << QByteArray("GET") << QByteArray("/") << 404;
    QTest::newRow("POST") << QByteArray("POST") << QByteArray("/whois.cgi?vhost_name=shop") << 405;
    QTest::newRow("DELETE") << QByteArray("DELETE") << QByteArray("/whois.cgi?vhost_name=shop") << 405;
    QTest::newRow("target over 2 KB") << QByteArray("GET") << "/whois.cgi?vhost_name=" + QByteArray(2100, 'a') << 414;
}

void TestRegistrar::otherRequests()
{
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, target);
    QFETCH(int, status);

    Registry registry;
    auto service = startService(allEndingsAt(registry));
    QCOMPARE(fetch(portOf(*service), target, method).status, status);
    QCOMPARE(registry.server.requests().size(), 0);
    // The service keeps answering.
    QCOMPARE(fetch(portOf(*service), "/whois.cgi?vhost_name=shop").status, 200);
}

void TestRegistrar::headHasTheHeadersOnly()
{
    Registry registry;
    registry.otherwise = kTaken; // the same page from the cache: no free name's age in it
    auto service = startService(allEndingsAt(registry));
    const Page get = fetch(portOf(*service), "/whois.cgi?vhost_name=shop");
    const Page head = fetch(portOf(*service), "/whois.cgi?vhost_name=shop", "HEAD");
    QCOMPARE(head.status, 200);
    QCOMPARE(head.body, QByteArray());
    QVERIFY(!get.body.isEmpty());
    QCOMPARE(head.contentLength, QByteArray::number(get.body.size()));
}

void TestRegistrar::backsOffAfter429()
{
    Registry registry;
    registry.answers = {
        {"shop.com", {.status = 429, .reason = "Too Many Requests", .headers = {{"Retry-After", "60"}}}}};
    auto service = startService(allEndingsAt(registry), {.rdap = {.perHostLimit = 1}});
    const Page page = fetch(portOf(*service), "/whois.cgi?vhost_name=shop");

    // The first answer silenced the registry: nothing more was asked of it, nothing offered.
    QCOMPARE(registry.server.requests().size(), 1);
    QVERIFY(offered(page.body).empty());
    QCOMPARE(page.body.count("could not be checked: the registry asked to slow down"), 18);
}

void TestRegistrar::perHostLimit()
{
    Registry dotCom;
    Registry others;
    // Long enough that every connection a registry may take is open before the first answer.
    dotCom.delay = others.delay = 1s;
    QHash<QString, const Registry *> registries{{"com", &dotCom}};
    for (const QString &ending : kEndings.mid(1))
        registries.insert(ending, &others);
    auto service = startService(bootstrapFor(registries));

    const Page page = fetch(portOf(*service), "/whois.cgi?vhost_name=shop");
    QCOMPARE(offered(page.body).size(), std::size_t(18));
    QCOMPARE(dotCom.server.requests().size(), 7);
    QCOMPARE(others.server.requests().size(), 11);
    QCOMPARE(dotCom.server.maxInFlight(), 6);
    QCOMPARE(others.server.maxInFlight(), 6);
}

void TestRegistrar::secondSearchComesFromTheCache()
{
    Registry registry;
    registry.answers = {{"shop.net", kTaken}, {"shop.biz", {.status = 500, .reason = "Internal Server Error"}}};
    auto service = startService(allEndingsAt(registry));
    const Page first = fetch(portOf(*service), "/whois.cgi?vhost_name=shop");
    QCOMPARE(registry.server.requests().size(), 18);

    // A double-clicked result asks for the same label: answered from the cache,
    // but for the failure, which is asked again.
    const Page second = fetch(portOf(*service), "/whois.cgi?vhost_name=shop.net");
    QCOMPARE(registry.server.requests().size(), 19);
    QCOMPARE(registry.server.requests().last().target, QByteArray("/rdap/domain/shop.biz"));
    QCOMPARE(offered(second.body), offered(first.body));
}

void TestRegistrar::pageDeadline()
{
    Registry registry;
    registry.delay = 60s; // longer than the test: only the deadline can end the page
    registry.answers = {{"shop.com", {.status = 404, .reason = "Not Found"}}};
    registry.answers["shop.com"].delay = 1ms;
    auto service = startService(allEndingsAt(registry), {.pageDeadline = 2s});
    const Page page = fetch(portOf(*service), "/whois.cgi?vhost_name=shop");
    QCOMPARE(page.status, 200);
    QVERIFY2(page.milliseconds < 30000, qPrintable(QString::number(page.milliseconds)));
    QCOMPARE(offered(page.body), std::vector<std::string>{"shop.com"});
    QCOMPARE(page.body.count("could not be checked: no answer in time"), 17);
}

void TestRegistrar::hostileClients_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("answerStarts"); // empty: closed, with no answer or one that is not a page

    const QByteArray end = " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    const QByteArray get = "GET /whois.cgi?vhost_name=shop HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    QTest::newRow("not HTTP") << QByteArray("GARBAGE\r\n\r\n") << QByteArray("HTTP/1.1 400");
    QTest::newRow("binary") << QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11)
                            << QByteArray("HTTP/1.1 400");
    QTest::newRow("no version") << QByteArray("GET /whois.cgi?vhost_name=shop\r\n\r\n") << QByteArray("HTTP/1.1 400");
    QTest::newRow("bad percent-encoding") << "GET /whois.cgi?vhost_name=%zz%" + end << QByteArray("HTTP/1.1 400");
    QTest::newRow("NUL in the name") << "GET /whois.cgi?vhost_name=a%00b" + end << QByteArray("HTTP/1.1 400");
    QTest::newRow("raw NUL in the target")
        << QByteArray("GET /whois.cgi?vhost_name=a\0b", 29) + end << QByteArray("HTTP/1.1 400");
    // The service closes while these are still sending, so its answer may be lost to the reset.
    QTest::newRow("huge header") << get + "X-Big: " + QByteArray(200000, 'a') + "\r\n\r\n" << QByteArray();
    QTest::newRow("a body it never needs")
        << get + "Content-Length: 50000000\r\n\r\n" + QByteArray(100000, 'a') << QByteArray();
    QTest::newRow("target over 2 KB") << "GET /whois.cgi?vhost_name=" + QByteArray(3000, 'a') + end
                                      << QByteArray("HTTP/1.1 414");
    // Two readers of one stream could disagree on where these end: the request is refused, nothing after it read.
    QTest::newRow("a body, then a pipelined request") << get + "Content-Length: 5\r\n\r\nhello" + get + "\r\n"
                                                      << QByteArray("HTTP/1.1 413");
    QTest::newRow("two Content-Lengths") << get + "Content-Length: 0\r\nContent-Length: 5\r\n\r\nhello" + get + "\r\n"
                                         << QByteArray("HTTP/1.1 400");
    QTest::newRow("bare line feeds") << QByteArray("GET /whois.cgi?vhost_name=shop HTTP/1.1\nHost: 127.0.0.1\n\n")
                                     << QByteArray("HTTP/1.1 400");
    QTest::newRow("folded field") << get + "X-A: a\r\n b\r\n\r\n" << QByteArray("HTTP/1.1 400");
    QTest::newRow("HTTP/2 preface") << QByteArray("PRI * HTTP/2.0\r\n\r\nSM\r\n\r\n") << QByteArray("HTTP/1.1 400");
    QTest::newRow("HTTP/3.0") << QByteArray("GET / HTTP/3.0\r\n\r\n") << QByteArray("HTTP/1.1 505");
}

void TestRegistrar::hostileClients()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, answerStarts);

    Registry registry;
    auto service = startService(allEndingsAt(registry), {}, {.client = {.idle = 500ms}});
    const auto [received, closed] = sendRaw(portOf(*service), bytes);
    QVERIFY2(closed, "the server must not keep the connection");
    QVERIFY2(received.count("\r\nServer: varnex-registrar/") <= 1, received.constData());
    if (answerStarts.isEmpty())
        QVERIFY2(!received.startsWith("HTTP/1.1 200"), received.left(60).constData());
    else
        QVERIFY2(received.startsWith(answerStarts), received.left(60).constData());
    QCOMPARE(registry.server.requests().size(), 0);
    // Others are answered as before.
    QCOMPARE(offered(fetch(portOf(*service), "/whois.cgi?vhost_name=shop").body).size(), std::size_t(18));
}

void TestRegistrar::slowAndIdleClientsAreDropped()
{
    Registry registry;
    auto service = startService(allEndingsAt(registry), {}, {.client = {.idle = 300ms}, .maxConnections = 20});
    const quint16 port = portOf(*service);

    // Idle connections and one that never finishes its request head.
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < 30; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        idle.back()->connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(idle.back()->waitForConnected(3000));
    }
    idle.front()->write("GET /whois.cgi?vhost_na");
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(idle.begin(), idle.end(),
                    [](const auto &socket) { return socket->state() == QAbstractSocket::UnconnectedState; }),
        5000);
    // Dropped by the service, not by the clients: their places are free again.
    QTRY_COMPARE(qobject_cast<GuardedTcpServer *>(service->servers().value(0))->openConnections(), 0);
    // Past the limits, the service still answers a normal client.
    QCOMPARE(offered(fetch(port, "/whois.cgi?vhost_name=shop").body).size(), std::size_t(18));

    // A page that takes longer than the idle limit is still answered.
    registry.delay = 600ms;
    QCOMPARE(offered(fetch(port, "/whois.cgi?vhost_name=other").body).size(), std::size_t(18));
}

void TestRegistrar::nothingCheckedIsAFailure_data()
{
    // The registry's answer to every name; 0: nothing listens; -1: a TLS
    // registry whose certificate nothing trusts; -2: held, never answered.
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("maxQueued");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("reason");

    const QByteArray unreachable = "Could not reach the registries; check the network connection";
    QTest::newRow("nothing listens") << 0 << 256 << "shop" << unreachable;
    // Names an ending's registry does not sell are never asked: they say nothing of the registries.
    QTest::newRow("nothing listens, a name .us does not sell") << 0 << 256 << "fußball" << unreachable;
    QTest::newRow("every name invalid") << 400 << 256 << "shop" << QByteArray("The registries answered with errors");
    QTest::newRow("server errors") << 500 << 256 << "shop" << QByteArray("The registries answered with errors");
    QTest::newRow("no room to wait") << 404 << 0 << "shop" << QByteArray("Too many lookups waiting; try again in 5 s");
    QTest::newRow("certificate of an unknown authority")
        << -1 << 256 << "shop" << QByteArray("A registry's certificate could not be verified");
    QTest::newRow("no answer in time") << -2 << 256 << "shop" << unreachable;
}

namespace {

Bootstrap allEndingsAtBase(const QByteArray &base)
{
    QByteArray services;
    for (const QString &ending : kEndings)
        services +=
            (services.isEmpty() ? "" : ",") + QByteArray("[[\"") + ending.toLatin1() + "\"],[\"" + base + "\"]]";
    return *Bootstrap::fromJson(R"({"services":[)" + services + "]}");
}

// The stand-in registry over TLS with a certificate for 127.0.0.1 made now, which nothing trusts; its port.
QByteArray startUntrustedRegistry(QProcess &registry, const QTemporaryDir &folder)
{
    const QString certificate = folder.filePath("registry.pem"), key = folder.filePath("registry.key");
    QProcess openssl;
    openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                              "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                              "-keyout", key, "-out", certificate});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
        return {};
    registry.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    registry.start(VARNEX_PYTHON3, {VARNEX_TEST_SUPPORT_DIR "/stand_in_registry.py", "--tls", certificate, key});
    if (!registry.waitForStarted(10000) || !registry.waitForReadyRead(20000))
        return {};
    return registry.readLine().trimmed();
}

} // namespace

// A page on which no name got a registry's own word is a failure that says
// what happened, never a page on which nothing is free.
void TestRegistrar::nothingCheckedIsAFailure()
{
    QFETCH(int, status);
    QFETCH(int, maxQueued);
    QFETCH(QString, name);
    QFETCH(QByteArray, reason);

    Registry registry;
    registry.otherwise = {.status = status, .reason = "Whatever", .body = "{}"};
    Bootstrap bootstrap = allEndingsAt(registry);
    QTemporaryDir folder;
    QProcess untrusted;
    if (status == 0) {
        QTcpServer closed; // a port nobody listens on once this closes
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        bootstrap = allEndingsAtBase("http://127.0.0.1:" + QByteArray::number(closed.serverPort()) + "/rdap/");
    } else if (status == -1) {
        const QByteArray port = startUntrustedRegistry(untrusted, folder);
        QVERIFY2(port.toUInt() != 0, "openssl and python3 are needed for the TLS stand-in registry");
        bootstrap = allEndingsAtBase("https://127.0.0.1:" + port + "/rdap/");
    }
    RegistrarServer::Settings settings{.rdap = {.maxQueued = maxQueued}};
    if (status == -2) {
        // Held, never answered: every lookup runs out its time, however fast the machine is.
        registry.server.setHold([](const HttpRequest &) { return true; });
        settings.rdap.lookupTimeout = 300ms;
    }
    auto service = startService(std::move(bootstrap), settings);

    const Page page = fetch(portOf(*service), "/whois.cgi?vhost_name=" + QUrl::toPercentEncoding(name));
    QCOMPARE(page.status, 503);
    QCOMPARE(page.reason, reason);
    QVERIFY(offered(page.body).empty());
    QVERIFY(!page.body.contains("None of these names is free"));
    untrusted.kill();
    untrusted.waitForFinished();
    if (status == -2)
        QCOMPARE(page.body.count("could not be checked: no answer within 0.3 s"), 18);
}

void TestRegistrar::connectionCapComesBack()
{
    Registry registry;
    auto service = startService(allEndingsAt(registry), {}, {.maxConnections = 20});
    auto *listener = qobject_cast<GuardedTcpServer *>(service->servers().value(0));
    QVERIFY(listener);
    for (int burst = 0; burst < 3; ++burst) {
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        for (int i = 0; i < 60; ++i) {
            clients.push_back(std::make_unique<QTcpSocket>());
            clients.back()->connectToHost(QHostAddress::LocalHost, portOf(*service));
        }
        QTRY_COMPARE_WITH_TIMEOUT(listener->openConnections() + listener->refusedConnections(),
                                  60 * (burst + 1) - 20 * burst, 10000);
        QCOMPARE(listener->openConnections(), 20);
        clients.clear();
        QTRY_COMPARE_WITH_TIMEOUT(listener->openConnections(), 0, 10000);
    }
    QCOMPARE(listener->refusedConnections(), 3 * 40);
    QCOMPARE(offered(fetch(portOf(*service), "/whois.cgi?vhost_name=shop").body).size(), std::size_t(18));
}

// A descriptor the socket refuses (one opened with O_PATH, which no socket
// call takes) is closed and holds no place: with room for one connection, the
// next client is answered.
void TestRegistrar::descriptorNoSocketTakesIsClosed()
{
    Registry registry;
    auto service = startService(allEndingsAt(registry), {}, {.maxConnections = 1});
    GuardedTcpServer *listener = service->servers().value(0);
    QVERIFY(listener);
    const QTemporaryDir folder;
    const int descriptor = ::open(QFile::encodeName(folder.path()).constData(), O_PATH | O_CLOEXEC);
    QVERIFY(descriptor >= 0);
    struct stat before = {};
    QCOMPARE(::fstat(descriptor, &before), 0);

    listener->incomingConnection(descriptor);
    QCOMPARE(listener->openConnections(), 0);
    // Its number is free, or stands for another file by now.
    struct stat after = {};
    QVERIFY(::fstat(descriptor, &after) != 0 || after.st_dev != before.st_dev || after.st_ino != before.st_ino);
    QCOMPARE(offered(fetch(portOf(*service), "/whois.cgi?vhost_name=shop").body).size(), std::size_t(18));
}

void TestRegistrar::answersInRequestOrder()
{
    Registry registry;
    auto service = startService(allEndingsAt(registry));
    // The pages take lookups, the 404 in between does not: it must still come second.
    const auto [received, closed] =
        sendRaw(portOf(*service),
                "GET /whois.cgi?vhost_name=first HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
                "GET /nothing HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
                "GET /whois.cgi?vhost_name=last HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n",
                30s);
    QVERIFY(closed);
    const QRegularExpression marks(R"(HTTP/1.1 (\d+)|<title>Domain search: (\w+))");
    QStringList order;
    for (auto match = marks.globalMatch(QString::fromLatin1(received)); match.hasNext();) {
        const QRegularExpressionMatch next = match.next();
        order.append(next.captured(1) + next.captured(2));
    }
    QCOMPARE(order, (QStringList{"200", "first", "404", "200", "last"}));
}

// More pages than a connection may have waiting: the rest are read as answers go out.
void TestRegistrar::deepPipelineAnsweredInOrder()
{
    Registry registry;
    // Two lookups a page keep the registry's queue short.
    auto service = startService(allEndingsAt(registry), {.maxLookupsPerPage = 2});
    QByteArray requests;
    QStringList expected;
    for (int i = 0; i < 24; ++i) {
        requests += "GET /whois.cgi?vhost_name=page" + QByteArray::number(i) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                    + (i == 23 ? "Connection: close\r\n" : "") + "\r\n";
        expected.append("page" + QString::number(i));
    }
    const auto [received, closed] = sendRaw(portOf(*service), requests, 60s);
    QVERIFY(closed);
    QStringList order;
    const QRegularExpression title(R"(<title>Domain search: (\w+))");
    for (auto match = title.globalMatch(QString::fromLatin1(received)); match.hasNext();)
        order.append(match.next().captured(1));
    QCOMPARE(order, expected);
    QCOMPARE(received.count("HTTP/1.1 200 OK\r\n"), 24);
}

void TestRegistrar::http10AnsweredInKind()
{
    Registry registry;
    // A long idle limit: only the service's own close ends the exchange in time.
    auto service = startService(allEndingsAt(registry), {}, {.client = {.idle = 120s}});
    const auto [plain, plainClosed] = sendRaw(portOf(*service), "GET /whois.cgi?vhost_name=shop HTTP/1.0\r\n\r\n", 60s);
    QVERIFY(plain.startsWith("HTTP/1.0 200 OK\r\n"));
    QVERIFY(plain.contains("\r\nServer: varnex-registrar/")); // the mark the window tells its own service by
    QVERIFY(plain.contains("Connection: close\r\n"));
    QVERIFY(plainClosed);
    const auto [kept, keptClosed] = sendRaw(portOf(*service), "GET /x HTTP/1.0\r\nConnection: keep-alive\r\n\r\n", 2s);
    QVERIFY(kept.startsWith("HTTP/1.0 404"));
    QVERIFY(kept.contains("Connection: keep-alive\r\n"));
    QVERIFY(!keptClosed);
}

void TestRegistrar::foreignHostRefused()
{
    Registry registry;
    auto service = startService(allEndingsAt(registry));
    const QByteArray request = "GET /whois.cgi?vhost_name=shop HTTP/1.1\r\nConnection: close\r\nHost: ";
    QVERIFY(sendRaw(portOf(*service), request + "evil.example\r\n\r\n").first.startsWith("HTTP/1.1 421"));
    QVERIFY(sendRaw(portOf(*service), request + "10.1.2.3:8537\r\n\r\n").first.startsWith("HTTP/1.1 421"));
    QCOMPARE(registry.server.requests().size(), 0);
    for (const QByteArray host : {"localhost:8537", "127.0.0.1", "[::1]:8537"})
        QVERIFY2(sendRaw(portOf(*service), request + host + "\r\n\r\n").first.startsWith("HTTP/1.1 200"),
                 host.constData());
}

void TestRegistrar::lookupsEndWithTheirPages()
{
    Registry registry;
    registry.delay = 1s;
    auto service = startService(allEndingsAt(registry), {.pageDeadline = 200ms, .rdap = {.perHostLimit = 1}});
    const Page page = fetch(portOf(*service), "/whois.cgi?vhost_name=shop");
    QCOMPARE(page.status, 503);
    // The page is answered: the 17 lookups queued for it are never sent.
    QCOMPARE(service->rdap().queued(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(service->rdap().inFlight(), 0, 10000);
    QCOMPARE(registry.server.requests().size(), 1);
}

// A page that ends leaves its lookups that are out to answer into the cache
// only: a later page that asks the same name waits for its own lookup.
void TestRegistrar::answersGoToTheirOwnLookups()
{
    Registry before; // answers the first page's lookups, when the test says
    before.answers = {{"getshop.com", kTaken}};
    before.server.setHold([](const HttpRequest &request) { return !request.target.endsWith("/shop.com"); });
    Registry after; // every name free, each answer when the test says
    after.server.setHold([](const HttpRequest &) { return true; });
    auto service = startService(allEndingsAt(before), {.rdap = {.perHostLimit = 7}, .enoughFree = 1});

    // shop.com is free: the page is answered while its other lookups, getshop.com's among them, are out.
    QCOMPARE(offered(fetch(portOf(*service), "/whois.cgi?vhost_name=shop").body), std::vector<std::string>{"shop.com"});
    QTRY_COMPARE(before.server.held(), service->rdap().inFlight());
    const QList<HttpRequest> &asked = before.server.requests();
    QVERIFY(std::any_of(asked.begin(), asked.end(),
                        [](const HttpRequest &r) { return r.target.endsWith("/getshop.com"); }));
    service->setBootstrap(allEndingsAt(after));
    QNetworkReply *reply = ask(portOf(*service), "/whois.cgi?vhost_name=getshop");
    QTRY_COMPARE(after.server.held(), 7);
    // The first page's answers come in while the second page's own lookups are out.
    before.server.release();
    QTRY_COMPARE(service->rdap().inFlight(), 7);
    after.server.release();
    const Page page = pageOf(reply);
    QCOMPARE(offered(page.body), std::vector<std::string>{"getshop.com"});
    QVERIFY(!page.body.contains("getshop.com: registered"));
    QCOMPARE(service->rdap().queued(), 0);
}

void TestRegistrar::dnsScreensRegisteredNames()
{
    QProcess dns;
    dns.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    dns.start(VARNEX_PYTHON3, {VARNEX_TEST_SUPPORT_DIR "/stand_in_dns.py"});
    QVERIFY(dns.waitForStarted(10000));
    QVERIFY(dns.waitForReadyRead(20000));
    const QString resolver = "127.0.0.1:" + QString::fromLatin1(dns.readLine().trimmed());

    Registry registry;
    registry.answers = {{"freeshop.org", kTaken}};
    // The page waits for DNS until every answer is in, however slow the machine.
    auto service =
        startService(allEndingsAt(registry), {.dns = DnsScreen::Settings{.resolver = resolver}, .screenWait = 60s});
    // Every name has name servers: registered, and no registry is asked.
    const Page taken = fetch(portOf(*service), "/whois.cgi?vhost_name=shop");
    QCOMPARE(taken.status, 200);
    QCOMPARE(taken.body.count(": registered</li>"), 18);
    QCOMPARE(registry.server.requests().size(), 0);
    // No such names in DNS: only the registry may say they are free, and it is asked for each.
    const Page free = fetch(portOf(*service), "/whois.cgi?vhost_name=freeshop");
    QCOMPARE(registry.server.requests().size(), 18);
    QCOMPARE(offered(free.body).size(), std::size_t(17));
    QVERIFY(free.body.contains("<li>freeshop.org: registered</li>"));
    dns.kill();
    dns.waitForFinished();

    // A resolver that does not answer: every name goes to its registry.
    QUdpSocket silent;
    QVERIFY(silent.bind(QHostAddress::LocalHost, 0));
    auto slow = startService(
        allEndingsAt(registry),
        {.dns = DnsScreen::Settings{
             .resolver = QStringLiteral("127.0.0.1:%1").arg(silent.localPort()), .timeout = 200ms, .tries = 1}});
    const Page unanswered = fetch(portOf(*slow), "/whois.cgi?vhost_name=other");
    QCOMPARE(offered(unanswered.body).size(), std::size_t(18));
    QCOMPARE(registry.server.requests().size(), 36);
}

void TestRegistrar::dnsAnswers_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<DnsVerdict>("verdict"); // for shop.com

    constexpr quint16 kNoError = 0x8180; // a response, recursion asked and offered
    const QList<QByteArray> shop{"shop.com"};
    const QByteArray pointer("\xc0\x0c"); // to the question's name, as resolvers write it
    const QByteArray registered = dnsAnswer(kNoError, shop, {pointer});
    QTest::newRow("NS of the name") << registered << DnsVerdict::HasNameServers;
    QTest::newRow("NS of the name, other case")
        << dnsAnswer(kNoError, {"SHOP.Com"}, {wireName("Shop.COM")}) << DnsVerdict::HasNameServers;
    QTest::newRow("NS owned by com.") << dnsAnswer(kNoError, shop, {wireName("com")}) << DnsVerdict::NoNameServers;
    QTest::newRow("QR clear") << dnsAnswer(kNoError & ~0x8000, shop, {pointer}) << DnsVerdict::NoAnswer;
    QTest::newRow("opcode STATUS") << dnsAnswer(kNoError | 2 << 11, shop, {pointer}) << DnsVerdict::NoAnswer;
    QTest::newRow("question for another name")
        << dnsAnswer(kNoError, {"shop.net"}, {wireName("shop.com")}) << DnsVerdict::NoAnswer;
    QTest::newRow("two questions") << dnsAnswer(kNoError, {"shop.com", "shop.com"}, {pointer}) << DnsVerdict::NoAnswer;
    QTest::newRow("cut off") << registered.chopped(3) << DnsVerdict::NoAnswer;
    QTest::newRow("NXDOMAIN") << dnsAnswer(0x8183, shop, {}) << DnsVerdict::NoNameServers;
    QTest::newRow("SERVFAIL") << dnsAnswer(0x8182, shop, {}) << DnsVerdict::NoAnswer;
}

void TestRegistrar::dnsAnswers()
{
    QFETCH(QByteArray, message);
    QFETCH(DnsVerdict, verdict);
    QCOMPARE(dnsVerdictOf(message, "shop.com"), verdict);
    QCOMPARE(dnsVerdictOf(message, "Shop.com."), verdict);
}

void TestRegistrar::dnsQuestionsEndWithTheirPages()
{
    QUdpSocket silent; // a resolver that takes every question and never answers
    QVERIFY(silent.bind(QHostAddress::LocalHost, 0));
    Registry registry;
    // 18 names a page, 4 questions out at once: the rest of a page's wait their turn.
    auto service =
        startService(allEndingsAt(registry),
                     {.dns = DnsScreen::Settings{.resolver = QStringLiteral("127.0.0.1:%1").arg(silent.localPort()),
                                                 .timeout = 500ms,
                                                 .maxInFlight = 4},
                      .screenWait = 50ms});
    QSet<QByteArray> asked;
    for (const QByteArray label : {"alpha", "bravo", "charlie"}) {
        QCOMPARE(fetch(portOf(*service), "/whois.cgi?vhost_name=" + label).status, 200);
        readQuestions(silent, asked);
        // Asked at once, not after the questions of the pages answered before it.
        QVERIFY2(asked.contains(label + ".com"), label.constData());
        // The page is answered: none of its questions waits or holds a place any more.
        QCOMPARE(service->dns()->waiting(), 0);
        QCOMPARE(service->dns()->inFlight(), 0);
    }
    // Once c-ares has given up on those already out, no other name was ever asked.
    const qsizetype askedByThen = asked.size();
    QTRY_COMPARE_WITH_TIMEOUT(service->dns()->outstanding(), 0, 20000);
    readQuestions(silent, asked);
    QCOMPARE(asked.size(), askedByThen);
    QCOMPARE(registry.server.requests().size(), 3 * 18);
}

// A resolver that drops questions, as a busy home router drops part of a
// burst, costs a page no more than its wait for DNS; an answer that comes
// after it still spares a lookup that has not gone out, and the questions
// still out hold no newer page's questions back.
void TestRegistrar::droppedDnsQuestionsGoToTheRegistries()
{
    QUdpSocket resolver;
    QVERIFY(resolver.bind(QHostAddress::LocalHost, 0));
    QSet<QByteArray> asked;
    QNetworkDatagram late; // answered when the test says
    connect(&resolver, &QUdpSocket::readyRead, this, [&] {
        while (resolver.hasPendingDatagrams()) {
            const QNetworkDatagram question = resolver.receiveDatagram();
            const QByteArray name = nameAsked(question.data());
            asked.insert(name);
            if (name == "shop.net")
                resolver.writeDatagram(question.makeReply(hasNameServers(question.data())));
            else if (name == "shop.org")
                late = question;
            // Every other question is dropped.
        }
    });
    Registry registry; // every name free
    registry.server.setHold([](const HttpRequest &) { return true; });
    // One connection: the best-ranked lookup goes out, the rest wait in the queue. c-ares
    // would wait a minute for the dropped answers: only the page's wait sends them on.
    auto service =
        startService(allEndingsAt(registry),
                     {.rdap = {.perHostLimit = 1},
                      .dns = DnsScreen::Settings{.resolver = QStringLiteral("127.0.0.1:%1").arg(resolver.localPort()),
                                                 .timeout = 60s,
                                                 .tries = 1,
                                                 .maxInFlight = 5},
                      .screenWait = 200ms,
                      .maxDnsQuestionsPerPage = 6});
    QNetworkReply *first = ask(portOf(*service), "/whois.cgi?vhost_name=shop");
    QTRY_COMPARE(registry.server.held(), 1);
    QCOMPARE(registry.server.requests().value(0).target, QByteArray("/rdap/domain/shop.com"));
    QVERIFY(!late.data().isEmpty());
    resolver.writeDatagram(late.makeReply(hasNameServers(late.data())));
    QTRY_COMPARE(service->rdap().queued(), 15); // shop.org's lookup withdrawn
    // The first page's questions are still out, but it no longer waits for them.
    QNetworkReply *second = ask(portOf(*service), "/whois.cgi?vhost_name=other");
    QTRY_VERIFY(asked.contains("other.info")); // its fifth question: all five places are free
    registry.server.setHold({});
    registry.server.release();

    const Page page = pageOf(first);
    QCOMPARE(page.status, 200);
    QCOMPARE(pageOf(second).status, 200);
    const auto firstPage = [](const QByteArray &name) { return name.contains("shop"); };
    // Names past the page's six questions go to their registries unscreened.
    QCOMPARE(std::count_if(asked.begin(), asked.end(), firstPage), 6);
    QVERIFY(asked.contains("shop.com") && asked.contains("shop.us"));
    QSet<QByteArray> looked;
    for (const HttpRequest &request : registry.server.requests())
        looked.insert(request.target.mid(request.target.lastIndexOf('/') + 1));
    QCOMPARE(std::count_if(looked.begin(), looked.end(), firstPage), 16);
    QVERIFY(!looked.contains("shop.net") && !looked.contains("shop.org"));
    QCOMPARE(offered(page.body).size(), std::size_t(16));
    QCOMPARE(page.body.count(": registered</li>"), 2);
}

void TestRegistrar::pageAsksWithinItsShare()
{
    Registry registry;
    auto capped = startService(allEndingsAt(registry), {.maxLookupsPerPage = 5});
    const Page page = fetch(portOf(*capped), "/whois.cgi?vhost_name=shop");
    QCOMPARE(offered(page.body).size(), std::size_t(5));
    QCOMPARE(registry.server.requests().size(), 5);
    QVERIFY(page.body.contains("13 more suggestions were not checked: the page&#39;s share of lookups is used."));

    // Enough free names found: the page is answered, and what it no longer needs is not asked.
    Registry other;
    auto enough = startService(allEndingsAt(other), {.rdap = {.perHostLimit = 1}, .enoughFree = 3});
    const Page short_ = fetch(portOf(*enough), "/whois.cgi?vhost_name=shop");
    QCOMPARE(offered(short_.body), (std::vector<std::string>{"shop.com", "shop.net", "shop.org"}));
    // Lookups still pending then are not reported as unanswered: the page stopped waiting.
    QVERIFY(!short_.body.contains("no answer in time"));
    QVERIFY(short_.body.contains("15 more suggestions were not checked: enough free names were found."));
    QTRY_COMPARE(enough->rdap().inFlight(), 0);
    QVERIFY2(other.server.requests().size() <= 4, qPrintable(QString::number(other.server.requests().size())));
}

// Answers come in any order; the page is made of the best-ranked free names.
void TestRegistrar::bestRankedFreeNamesMakeThePage()
{
    Registry registry;
    registry.answers = {{"shop.net", kTaken}};
    // The two best-ranked names are answered last, after every other name came back free.
    registry.server.setHold([](const HttpRequest &request) {
        return request.target.endsWith("/shop.com") || request.target.endsWith("/shop.net");
    });
    auto service = startService(allEndingsAt(registry), {.enoughFree = 3});
    QNetworkReply *reply = ask(portOf(*service), "/whois.cgi?vhost_name=shop");
    QTRY_VERIFY(registry.server.requests().size() == 18 && registry.server.inFlight() == 2);
    QCOMPARE(registry.server.held(), 2);
    registry.server.release();

    const Page page = pageOf(reply);
    QCOMPARE(offered(page.body), (std::vector<std::string>{"shop.com", "shop.org", "shop.biz"}));
    QVERIFY(page.body.contains("<li>shop.net: registered</li>"));
}

// Text longer than a name arrives as one run of letters: its words make the
// names, the text itself is never asked about, and the page says why.
void TestRegistrar::longTextIsAPhrase()
{
    QString error;
    std::optional<WordKnowledge> words =
        WordKnowledge::load(WordKnowledge::defaultWordList(), WordKnowledge::defaultWordnetFolder(), &error);
    QVERIFY2(words, qPrintable(error));
    Registry registry;
    auto service =
        startService(allEndingsAt(registry), {.words = std::make_shared<const WordKnowledge>(std::move(*words))});
    const QByteArray text = "wherecanibuyfreshorganicvegetablesandseasonalfruitnearsanfrancisco";
    const Page page = fetch(portOf(*service), "/whois.cgi?vhost_name=" + text);
    QCOMPARE(page.status, 200);
    QVERIFY(page.body.contains("The text is longer than a name may be (63 characters)"));
    const std::vector<std::string> names = offered(page.body);
    QCOMPARE(names.size(), std::size_t(30));
    // Names made of its words: 20 letters, or 22 for a form offered bare ("sanfranciscovegetables").
    for (const std::string &name : names)
        QVERIFY2(name.find('.') <= 22, name.c_str());
    for (const HttpRequest &request : registry.server.requests())
        QVERIFY(!request.target.contains(text));
}

QTEST_GUILESS_MAIN(TestRegistrar)

#include "test_registrar.moc"
