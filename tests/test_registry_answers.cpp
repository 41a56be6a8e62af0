// What the registrar makes of every kind of registry answer, played byte for
// byte by a stand-in registry (tests/support/stand_in_registry.py) on loopback,
// over HTTP/1.1 and over HTTP/2 (TLS with ALPN, and clear text). The one figure
// that counts: no name is called "not registered" without its own registry's
// complete, well-framed 404 to exactly that question.

#include "lookup/bootstrap.h"
#include "lookup/rdap_client.h"
#include "lookup/retry_after.h"
#include "support/http_server.h"

#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QTest>

using namespace std::chrono_literals;
using namespace varnex::registrar;
using State = Availability::State;

namespace {

// The stand-in's kinds of answer that are a real "not found".
bool isHonest404(const QString &domain)
{
    const QString kind = domain.section('.', 0, 0);
    return kind.startsWith("free") || kind == "chunked404" || kind == "http10" || kind == "interim"
           || kind.startsWith("fine");
}

// The stand-in's .com service at `base` ("…/rdap/"), with a second base URL
// ("…/moved/") a redirect may lead to, and a .net service on the same host
// ("…/net/v1/"), as one registry serves both endings.
QByteArray bootstrapAt(const QByteArray &base)
{
    QByteArray moved = base, net = base;
    moved.replace("/rdap/", "/moved/");
    net.replace("/rdap/", "/net/v1/");
    return R"({"services":[[["com"],[")" + base + R"(",")" + moved + R"("]],[["net"],[")" + net + R"("]]]})";
}

// A stand-in registry process; its port is on its first line, then those of its other listeners.
bool startStandIn(QProcess &process, const QStringList &arguments, QByteArray &port, QByteArrayList *more = nullptr)
{
    process.setProgram(VARNEX_PYTHON3);
    process.setArguments(QStringList{QStringLiteral(VARNEX_TEST_SUPPORT_DIR "/stand_in_registry.py")} + arguments);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    if (!process.waitForStarted(10000) || !process.waitForReadyRead(20000))
        return false;
    QByteArrayList ports = process.readLine().trimmed().split(' ');
    port = ports.takeFirst();
    if (more)
        *more = ports;
    return port.toUInt() != 0;
}

bool openssl(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start("openssl", arguments);
    const bool ok =
        process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ok)
        qWarning("openssl %s: %s", qPrintable(arguments.join(' ')), process.readAll().constData());
    return ok;
}

const QStringList kNewKey{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};

// A self-signed certificate for `name` (its CN) and `altName`, valid from now for two days.
bool makeCertificate(const QString &certificate, const QString &key, const QString &name, const QString &altName)
{
    return openssl(QStringList{"req", "-x509"} + kNewKey
                   + QStringList{"-days", "2", "-subj", "/CN=" + name, "-addext", "subjectAltName=" + altName,
                                 "-keyout", key, "-out", certificate});
}

// A certificate for 127.0.0.1 signed by `authority`, valid only for a day in
// 2020 (Qt drops an expired authority of its own, so the leaf expires, not it).
bool makeExpiredCertificate(const QTemporaryDir &folder, const QStringList &authority, const QString &certificate,
                            const QString &key)
{
    QFile config(folder.filePath("expired.cnf"));
    QFile index(folder.filePath("index.txt"));
    QFile serial(folder.filePath("serial"));
    if (!config.open(QIODevice::WriteOnly) || !index.open(QIODevice::WriteOnly) || !serial.open(QIODevice::WriteOnly))
        return false;
    config.write("[ca]\ndefault_ca = expired\n[expired]\ndatabase = " + index.fileName().toUtf8()
                 + "\nserial = " + serial.fileName().toUtf8() + "\nnew_certs_dir = " + folder.path().toUtf8()
                 + "\ndefault_md = sha256\npolicy = any\ncopy_extensions = copy\n[any]\ncommonName = supplied\n");
    serial.write("01\n");
    config.close();
    index.close();
    serial.close();
    const QString request = folder.filePath("expired.csr");
    return openssl(QStringList{"req", "-new"} + kNewKey
                   + QStringList{"-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key,
                                 "-out", request})
           && openssl({"ca", "-batch", "-config", config.fileName(), "-cert", authority[0], "-keyfile", authority[1],
                       "-in", request, "-out", certificate, "-startdate", "20200101000000Z", "-enddate",
                       "20200102000000Z", "-notext"});
}

QString letters(State state)
{
    switch (state) {
    case State::NotRegistered:
        return "N";
    case State::Registered:
        return "R";
    case State::Invalid:
        return "I";
    case State::Unchecked:
        return "U";
    }
    return "?";
}

// Where a redirect may lead and what a 404's body may hold, the same on both
// transports. The stand-in answers a bare 404 wherever a redirect below would
// reach a path its routes do not take, or the .net service.
template <typename Row>
void strictRows(Row row)
{
    row("redirect to another base URL of the ending", {"redirectmoved.com"}, "R");
    row("redirect with an escaped slash", {"redirectslash.com"}, "U");
    row("redirect with an escaped slash in the last segment", {"redirectencoded.com"}, "U");
    row("redirect with escaped backslashes", {"redirectbackslash.com"}, "U");
    row("redirect with escaped dot segments", {"redirectdotenc.com"}, "U");
    row("redirect with dot segments", {"redirectdots.com"}, "U");
    row("redirect to the other ending's service on the host", {"redirectnet.com"}, "U");
    row("404 naming a member twice", {"dupkeys404.com"}, "U");
    row("404 naming a member twice, once escaped", {"dupescaped404.com"}, "U");
    row("404 naming a nested member twice", {"dupnested404.com"}, "U");
    row("404 naming a member twice in another case", {"dupcase404.com"}, "U");
    row("404 of a domain object in lower-case names", {"lowerkeys404.com"}, "U");
    row("404 of a \"domain \" object", {"spacedclass404.com"}, "U");
    row("404 holding a domain object deep inside", {"nesteddomain404.com"}, "U");
    row("404 holding a domain's name deep inside", {"nestedname404.com"}, "U");
    row("404 error object of the .org registry", {"freeorgerror.com"}, "N");
    row("404 error object of the .info and .biz registry", {"freeinfoerror.com"}, "N");
    row("404 of a reserved name", {"freereserved.com"}, "N");
}

} // namespace

class TestRegistryAnswers final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void answers_data();
    void answers();
    void retryAfterForms_data();
    void retryAfterForms();
    void unreachableRegistryFailsAtOnce_data();
    void unreachableRegistryFailsAtOnce();
    void http2Answers_data();
    void http2Answers();
    void http2Streams();
    void httpsWithoutHttp2();
    void transportFailures_data();
    void transportFailures();
    void redirectToTheEndingsOtherHost();

private:
    QList<Availability> ask(const QByteArray &base, const QStringList &domains, RdapClient::Settings settings);
    void check(const QStringList &domains, const QList<Availability> &answers, const QString &expected);

    QProcess m_registry;
    QProcess m_http2Tls;
    QProcess m_http2Clear;
    QProcess m_http1Tls; // https without HTTP/2
    QTemporaryDir m_folder;
    QByteArray m_port;
    QByteArray m_http2TlsPort;
    QByteArray m_http2ClearPort;
    QByteArray m_http1TlsPort;
    QByteArray m_wrongHostPort; // HTTP/2 over TLS, a certificate for another name
    QByteArray m_expiredPort;   // HTTP/2 over TLS, a certificate that has expired
    QList<QSslCertificate> m_testAuthority;
    int m_falseOffers = 0;
    int m_rows = 0;
};

void TestRegistryAnswers::initTestCase()
{
    QVERIFY2(startStandIn(m_registry, {}, m_port), "python3 is needed for the stand-in registry");
    // A certificate for 127.0.0.1 made now, trusted by the client as the service's --ca-file would make it.
    const QString certificate = m_folder.filePath("registry.pem");
    const QString key = m_folder.filePath("registry.key");
    QVERIFY2(makeCertificate(certificate, key, "127.0.0.1", "IP:127.0.0.1"), "openssl is needed for the TLS stand-in");
    // Certificates that must be refused: one trusted but for another name, one by a trusted authority but expired.
    const QString wrongHost = m_folder.filePath("wrong-host.pem"), wrongHostKey = m_folder.filePath("wrong-host.key");
    const QString expired = m_folder.filePath("expired.pem"), expiredKey = m_folder.filePath("expired.key");
    QVERIFY(makeCertificate(wrongHost, wrongHostKey, "wrong.example", "DNS:wrong.example"));
    QVERIFY(makeExpiredCertificate(m_folder, {certificate, key}, expired, expiredKey));
    m_testAuthority = QSslCertificate::fromPath(certificate) + QSslCertificate::fromPath(wrongHost);
    QCOMPARE(m_testAuthority.size(), 2);
    QByteArrayList refused;
    QVERIFY(startStandIn(
        m_http2Tls, {"--h2", "--tls", certificate, key, "--tls", wrongHost, wrongHostKey, "--tls", expired, expiredKey},
        m_http2TlsPort, &refused));
    QCOMPARE(refused.size(), 2);
    m_wrongHostPort = refused[0];
    m_expiredPort = refused[1];
    QVERIFY(startStandIn(m_http2Clear, {"--h2"}, m_http2ClearPort));
    QVERIFY(startStandIn(m_http1Tls, {"--tls", certificate, key}, m_http1TlsPort));
}

void TestRegistryAnswers::cleanupTestCase()
{
    for (QProcess *process : {&m_registry, &m_http2Tls, &m_http2Clear, &m_http1Tls}) {
        process->kill();
        process->waitForFinished();
    }
    qInfo("false offers: %d over %d rows (HTTP/1.1 and HTTP/2)", m_falseOffers, m_rows);
    QCOMPARE(m_falseOffers, 0);
}

// Asks for the names in turn, each after the last is answered, so that they
// share a connection wherever the client reuses one.
QList<Availability> TestRegistryAnswers::ask(const QByteArray &base, const QStringList &domains,
                                             RdapClient::Settings settings)
{
    RdapClient client(*Bootstrap::fromJson(bootstrapAt(base)), settings);
    QList<Availability> answers;
    for (const QString &domain : domains) {
        std::optional<Availability> answer;
        client.lookup(answers.size() + 1, domain, [&](const Availability &given) { answer = given; });
        if (!QTest::qWaitFor([&] { return answer.has_value(); }, 60000))
            answer = Availability::unchecked(Availability::Failure::Unreachable, "the test gave up");
        answers.append(*answer);
    }
    return answers;
}

void TestRegistryAnswers::answers_data()
{
    QTest::addColumn<QStringList>("domains");
    QTest::addColumn<QString>("expected"); // one letter a name: N, R, I, U; "R|U" allows either

    auto row = [](const char *name, QStringList domains, QString expected) {
        QTest::newRow(name) << domains << expected;
    };
    row("complete 404", {"free1.com"}, "N");
    row("registered", {"taken1.com"}, "R");
    row("404s on a reused connection are asked again", {"taken2.com", "free2.com", "taken3.com", "free3.com"},
        "R N R N");
    row("chunked 404", {"chunked404.com"}, "N");
    row("HTTP/1.0 404 with a length", {"http10.com"}, "N");
    row("one answer too many", {"extra.com", "taken4.com", "taken5.com"}, "R|U R R");
    row("one answer too many, late", {"extralate.com", "taken6.com", "taken7.com"}, "R|U R|U R");
    row("answer for another name", {"wrongname.com"}, "U");
    row("domain object without a name", {"noname.com"}, "U");
    row("name in capitals with a dot", {"uppername.com"}, "R");
    row("404 cut off", {"cut404.com"}, "U");
    row("chunked 404 cut off", {"cutchunked.com"}, "U");
    row("two lengths", {"twolengths.com"}, "U");
    row("length and chunked", {"lengthandchunked.com"}, "U");
    row("404 framed by the close", {"closeframed.com"}, "U");
    row("404 that claims the name", {"claims.com"}, "U");
    row("redirect to the same name on the same host", {"redirectsame.com"}, "R");
    row("redirect loop", {"redirectloop.com"}, "U");
    row("redirect to another host", {"redirectother.com"}, "U");
    row("redirect to another scheme", {"redirecthttps.com"}, "U");
    row("429 without Retry-After", {"slownone.com", "free4.com"}, "U U");
    row("429 with a huge Retry-After", {"slowhuge.com", "free5.com"}, "U U");
    row("429 with a negative Retry-After", {"slownegative.com", "free6.com"}, "U U");
    row("429 with an HTTP date", {"slowdate.com", "free7.com"}, "U U");
    row("silence", {"silence.com"}, "U");
    row("trickle", {"trickle.com"}, "U");
    row("endless body", {"endless.com", "free8.com"}, "U N");
    row("gigabyte body", {"gigabyte.com"}, "U");
    row("gzip bomb", {"gzipbomb.com"}, "U");
    row("closed mid-body", {"midclose.com"}, "U");
    row("interim answer", {"interim.com"}, "N");
    row("bare line feeds", {"barelf.com"}, "U");
    row("not HTTP", {"garbage.com"}, "U");
    row("server error", {"servererror.com"}, "U");
    row("registry calls the name invalid", {"invalid.com"}, "I");
    // What a 404 must carry to mean "not registered", and where a redirect may lead.
    row("404 with an empty body", {"freeempty.com"}, "N");
    row("HTML 404 of a moved service", {"html404.com"}, "U");
    row("404 without a type", {"untyped404.com"}, "U");
    row("404 holding an array", {"array404.com"}, "U");
    row("404 with trailing garbage", {"garbage404.com"}, "U");
    row("404 of a Domain object", {"classdomain404.com"}, "U");
    row("redirect to another name", {"redirectname.com"}, "U");
    row("redirect to the root", {"redirectroot.com"}, "U");
    row("redirect to a help page", {"redirecthelp.com"}, "U");
    row("unasked redirect after a 200", {"lateredirect.com", "taken8.com", "taken9.com"}, "R R R");
    // Framing that is almost right.
    row("chunk size with a space after it", {"chunkspace.com"}, "U");
    row("trailer that is a status line", {"badtrailer.com"}, "U");
    row("empty Transfer-Encoding", {"emptyte.com"}, "U");
    // Interim answers are passed over, one CRLF before the status line and a
    // missing reason phrase are taken; nothing else around them is.
    row("100 and 103 before the 404", {"fineinterims.com"}, "N");
    row("one CRLF before the status line", {"finecrlf.com"}, "N");
    row("status line without a reason", {"finenoreason.com"}, "N");
    row("two CRLFs before the status line", {"twocrlf.com"}, "U");
    row("bare LF before the status line", {"lfbefore.com"}, "U");
    row("CRLF between interim and final", {"crlfafterinterim.com"}, "U");
    row("101 before the 404", {"switching.com"}, "U");
    row("interim answer with a length", {"interimlength.com"}, "U");
    row("interim answer after the 404", {"interimafter.com"}, "U");
    row("HTTP/1.0 interim answer", {"interim10.com"}, "U");
    row("status 4041 without a reason", {"status4041.com"}, "U");
    row("a thousand interim answers", {"interimflood.com"}, "U");
    strictRows(row);
}

void TestRegistryAnswers::check(const QStringList &domains, const QList<Availability> &answers, const QString &expected)
{
    const QStringList allowed = expected.split(' ');
    QCOMPARE(answers.size(), allowed.size());
    ++m_rows;
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const Availability &answer = answers[i];
        if (answer.state == State::NotRegistered && !isHonest404(domains[i]))
            ++m_falseOffers;
        QVERIFY2(allowed[i].split('|').contains(letters(answer.state)),
                 qPrintable(domains[i] + ": " + letters(answer.state) + " " + answer.reason));
    }
}

void TestRegistryAnswers::answers()
{
    QFETCH(QStringList, domains);
    QFETCH(QString, expected);

    check(domains, ask("http://127.0.0.1:" + m_port + "/rdap/", domains, {.lookupTimeout = 1500ms, .perHostLimit = 1}),
          expected);
}

// The same rule on HTTP/2, the path every https registry takes: each row over
// TLS (ALPN "h2") and in clear text (prior knowledge).
void TestRegistryAnswers::http2Answers_data()
{
    QTest::addColumn<bool>("tls");
    QTest::addColumn<QStringList>("domains");
    QTest::addColumn<QString>("expected");

    auto row = [](const char *name, QStringList domains, QString expected) {
        for (const bool tls : {true, false})
            QTest::addRow("%s: %s", tls ? "tls" : "clear", name) << tls << domains << expected;
    };
    row("complete 404", {"free1.com"}, "N");
    row("404 with an empty body", {"freeempty.com"}, "N");
    row("registered", {"taken1.com"}, "R");
    row("streams on one connection", {"free2.com", "taken2.com", "free3.com"}, "N R N");
    row("reset with NO_ERROR before the end", {"rstnoerror.com"}, "U");
    row("reset with INTERNAL_ERROR", {"rstinternal.com"}, "U");
    row("reset with ENHANCE_YOUR_CALM", {"rstcalm.com"}, "U");
    row("reset with INADEQUATE_SECURITY", {"rstsecurity.com"}, "U");
    row("reset after some data", {"rstdata.com"}, "U");
    row("status 4041", {"status4041.com"}, "U");
    row("status 404x", {"status404x.com"}, "U");
    row("status with a reason", {"status404text.com"}, "U");
    row("two statuses in one block", {"twostatus.com"}, "U");
    row("200 with trailers saying 404", {"trailerstatus.com"}, "U");
    row("interim answer", {"interim.com"}, "N");
    row("shorter than its length", {"lengthshort.com"}, "U");
    row("GOAWAY in mid-answer, then a new connection", {"goawaymid.com", "free4.com"}, "U N");
    row("closed in mid-answer, then a new connection", {"closemid.com", "free5.com"}, "U N");
    row("HTML 404 of a moved service", {"html404.com"}, "U");
    row("404 holding an array", {"array404.com"}, "U");
    row("404 with trailing garbage", {"garbage404.com"}, "U");
    row("404 of a Domain object", {"classdomain404.com"}, "U");
    row("redirect to the same name on the same host", {"redirectsame.com"}, "R");
    row("redirect to another name", {"redirectname.com"}, "U");
    row("redirect to the root", {"redirectroot.com"}, "U");
    row("redirect to a help page", {"redirecthelp.com"}, "U");
    row("redirect loop", {"redirectloop.com"}, "U");
    row("silence", {"silence.com"}, "U");
    // Frames on the stream after its complete 404, in the same write.
    row("HEADERS :status 200 after the end", {"lateheaders.com"}, "U");
    row("DATA with the domain object after the end", {"latedata.com"}, "U");
    row("RST_STREAM INTERNAL_ERROR after the end", {"laterst.com"}, "U");
    row("unknown frame type after the end", {"lateunknown.com"}, "U");
    row("CONTINUATION after the end, then a new connection", {"latecontinuation.com", "free6.com"}, "U N");
    row("GOAWAY PROTOCOL_ERROR after the end, then a new connection", {"lategoaway.com", "free7.com"}, "U N");
    row("RST_STREAM NO_ERROR after the end", {"finelaterst.com", "free8.com"}, "N N");
    row("WINDOW_UPDATE after the end", {"finewindow.com", "free9.com"}, "N N");
    row("PRIORITY after the end", {"finepriority.com", "free10.com"}, "N N");
    // Interim answers.
    row("100 and 103 before the 404", {"fineinterims.com"}, "N");
    row("101 before the 404", {"switching.com"}, "U");
    row("103 with END_STREAM", {"interimend.com"}, "U");
    row("DATA after a 103", {"interimdata.com"}, "U");
    row("103 after the 404", {"interimlate.com"}, "U");
    strictRows(row);
}

void TestRegistryAnswers::http2Answers()
{
    QFETCH(bool, tls);
    QFETCH(QStringList, domains);
    QFETCH(QString, expected);

    const QByteArray base =
        tls ? "https://127.0.0.1:" + m_http2TlsPort + "/rdap/" : "http://127.0.0.1:" + m_http2ClearPort + "/rdap/";
    const QList<Availability> answers =
        ask(base, domains, {.lookupTimeout = 1500ms, .cleartextHttp2 = !tls, .extraCertificates = m_testAuthority});
    check(domains, answers, expected);
}

void TestRegistryAnswers::retryAfterForms_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<qint64>("seconds"); // from now

    QTest::newRow("seconds") << QByteArray("120") << qint64(120);
    QTest::newRow("missing") << QByteArray() << qint64(60);
    QTest::newRow("negative") << QByteArray("-5") << qint64(60);
    QTest::newRow("huge") << QByteArray("99999999999999999999") << qint64(3600);
    QTest::newRow("IMF-fixdate") << QByteArray("Tue, 08 Dec 2026 12:02:00 GMT") << qint64(120);
    QTest::newRow("RFC 850") << QByteArray("Tuesday, 08-Dec-26 12:02:00 GMT") << qint64(120);
    QTest::newRow("asctime") << QByteArray("Tue Dec  8 12:02:00 2026") << qint64(120);
    QTest::newRow("date in the past") << QByteArray("Tue, 08 Dec 2026 11:00:00 GMT") << qint64(0);
    QTest::newRow("date far ahead") << QByteArray("Tue, 08 Dec 2099 12:00:00 GMT") << qint64(3600);
    QTest::newRow("nonsense") << QByteArray("soon") << qint64(60);
}

void TestRegistryAnswers::retryAfterForms()
{
    QFETCH(QByteArray, value);
    QFETCH(qint64, seconds);
    const QDateTime now(QDate(2026, 12, 8), QTime(12, 0), QTimeZone::utc());
    QCOMPARE(now.secsTo(retryAfter(value, now)), seconds);
}

void TestRegistryAnswers::unreachableRegistryFailsAtOnce_data()
{
    QTest::addColumn<bool>("http2");
    QTest::newRow("HTTP/1.1") << false;
    QTest::newRow("HTTP/2") << true; // many streams on the one connection that fails
}

void TestRegistryAnswers::unreachableRegistryFailsAtOnce()
{
    QFETCH(bool, http2);
    // Nothing listens there: the first refusal answers every lookup queued behind it.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QByteArray json = bootstrapAt("http://127.0.0.1:" + QByteArray::number(closed.serverPort()) + "/rdap/");
    closed.close();
    // A lookup time-out far beyond the wait below: a lookup left unanswered fails the test.
    RdapClient client(*Bootstrap::fromJson(json), {.lookupTimeout = 600s, .perHostLimit = 1, .cleartextHttp2 = http2});
    int answered = 0;
    for (int i = 0; i < 20; ++i) {
        client.lookup(i + 1, QStringLiteral("name%1.com").arg(i), [&](const Availability &answer) {
            QCOMPARE(answer.state, State::Unchecked);
            QCOMPARE(answer.failure, Availability::Failure::Unreachable);
            ++answered;
        });
    }
    const int attempts = client.inFlight();
    QTRY_COMPARE_WITH_TIMEOUT(answered, 20, 60000);
    QCOMPARE(attempts, http2 ? 20 : 1);
    QCOMPARE(client.queued(), 0);
}

// Cleartext HTTP/2 with prior knowledge, as the benchmarks ask; a real registry
// is https, where ALPN says whether it speaks HTTP/2.
void TestRegistryAnswers::http2Streams()
{
    // A registry that takes 30 streams at once, and drops a client that opens more.
    const QStringList arguments{"--world", "--http2", "--max-streams", "30"};
    QProcess world;
    world.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    world.start(VARNEX_PYTHON3, QStringList{VARNEX_TEST_SUPPORT_DIR "/stand_in_registry.py"} + arguments);
    QVERIFY(world.waitForStarted(10000));
    QVERIFY(world.waitForReadyRead(20000));
    const QByteArray port = world.readLine().trimmed();
    RdapClient client(*Bootstrap::fromJson(R"({"services":[[["com"],["http://127.0.0.1:)" + port + R"(/rdap/"]]]})"),
                      {.cleartextHttp2 = true});
    // Many at once: on HTTP/2 every answer is bound to its question by its stream,
    // and those past the registry's limit wait for a stream to end.
    QHash<QString, State> answers;
    QHash<QString, QString> reasons;
    for (int i = 0; i < 60; ++i) {
        const QString domain = QString::fromLatin1(i % 2 ? "taken%1.com" : "free%1.com").arg(i);
        client.lookup(i + 1, domain, [&answers, &reasons, domain](const Availability &answer) {
            answers.insert(domain, answer.state);
            reasons.insert(domain, ": " + answer.reason);
        });
    }
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 60, 60000);
    for (auto it = answers.begin(); it != answers.end(); ++it)
        QVERIFY2(it.value() == (it.key().startsWith("free") ? State::NotRegistered : State::Registered),
                 qPrintable(it.key() + reasons.value(it.key())));
    world.kill();
    world.waitForFinished();
}

// An https registry that does not take "h2" by ALPN is asked over HTTP/1.1, with the same trust.
void TestRegistryAnswers::httpsWithoutHttp2()
{
    const QStringList domains{"free1.com", "taken1.com", "html404.com", "free2.com"};
    check(domains,
          ask("https://127.0.0.1:" + m_http1TlsPort + "/rdap/", domains,
              {.lookupTimeout = 5s, .extraCertificates = m_testAuthority}),
          "N R U N");
}

// Answers that end with the connection or its certificate must end at once,
// never by the lookup's time-out: each row waits far less than it (the test's
// own safety limit) and checks why each name could not be checked.
void TestRegistryAnswers::transportFailures_data()
{
    QTest::addColumn<QString>("registry");
    QTest::addColumn<QStringList>("domains");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("failure");    // of every "U"
    QTest::addColumn<QString>("reason"); // found in the reason of every "U"

    using Failure = Availability::Failure;
    const QString closed = "closed before the whole answer", broken = "broke the HTTP/2 protocol";
    auto row = [](const char *registry, const char *name, QStringList domains, QString expected, Failure failure,
                  const QString &reason) {
        QTest::addRow("%s: %s", registry, name) << registry << domains << expected << int(failure) << reason;
    };
    // A TLS close_notify ends the answer as a FIN does; the stand-in keeps TCP open after it.
    row("h1 tls", "404 cut off, then close_notify", {"cut404.com"}, "U", Failure::BadAnswer, closed);
    row("h1 tls", "chunked 404 cut off, then close_notify", {"cutchunked.com"}, "U", Failure::BadAnswer, closed);
    row("h1 tls", "200 cut off, then close_notify", {"midclose.com"}, "U", Failure::BadAnswer, closed);
    row("h1 tls", "404, then close_notify", {"http10.com", "free1.com"}, "N N", Failure::None, "");
    row("h2 tls", "404 head, then close_notify", {"closemid.com", "free1.com"}, "U N", Failure::BadAnswer, closed);
    row("h2 tls", "404, then close_notify", {"fineclose.com", "free1.com"}, "N N", Failure::None, "");
    row("h2 clear", "404, then FIN", {"fineclose.com", "free1.com"}, "N N", Failure::None, "");
    // Connection errors; the registry then ignores the GOAWAY and keeps TCP open.
    for (const char *registry : {"h2 tls", "h2 clear"}) {
        row(registry, "PUSH_PROMISE", {"pushpromise.com", "free1.com"}, "U N", Failure::BadAnswer, broken);
        row(registry, "HEADERS on stream 0", {"headerszero.com", "free1.com"}, "U N", Failure::BadAnswer, broken);
        row(registry, "HTTP/1.1 spoken", {"http1spoken.com"}, "U", Failure::BadAnswer, broken);
    }
    // Certificates that cannot be verified.
    row("wrong host", "trusted certificate for another name", {"free1.com"}, "U", Failure::Certificate, "host name");
    row("expired", "expired certificate of a trusted authority", {"free1.com"}, "U", Failure::Certificate, "expired");
    row("unknown authority", "self-signed certificate", {"free1.com", "free2.com"}, "U U", Failure::Certificate,
        "self-signed");
}

void TestRegistryAnswers::transportFailures()
{
    QFETCH(QString, registry);
    QFETCH(QStringList, domains);
    QFETCH(QString, expected);
    QFETCH(int, failure);
    QFETCH(QString, reason);

    const QHash<QString, QByteArray> bases{
        {"h1 tls", "https://127.0.0.1:" + m_http1TlsPort},
        {"h2 tls", "https://127.0.0.1:" + m_http2TlsPort},
        {"h2 clear", "http://127.0.0.1:" + m_http2ClearPort},
        {"wrong host", "https://127.0.0.1:" + m_wrongHostPort},
        {"expired", "https://127.0.0.1:" + m_expiredPort},
        {"unknown authority", "https://127.0.0.1:" + m_http2TlsPort},
    };
    RdapClient::Settings settings{.lookupTimeout = 600s, .cleartextHttp2 = registry == "h2 clear"};
    if (registry != "unknown authority")
        settings.extraCertificates = m_testAuthority;
    const QList<Availability> answers = ask(bases.value(registry) + "/rdap/", domains, settings);
    check(domains, answers, expected);
    for (const Availability &answer : answers) {
        if (answer.state == State::Unchecked)
            QVERIFY2(int(answer.failure) == failure && answer.reason.contains(reason), qPrintable(answer.reason));
    }
}

// The bootstrap may give an ending base URLs on two hosts: a redirect to the
// other one is followed there, on a host the client has not asked before.
void TestRegistryAnswers::redirectToTheEndingsOtherHost()
{
    using varnex::test::HttpRequest;
    using varnex::test::HttpResponse;
    varnex::test::HttpServer moved([](const HttpRequest &request) {
        return HttpResponse{.body = R"({"objectClassName":"domain","ldhName":")" + request.target.split('/').last()
                                    + R"("})"};
    });
    varnex::test::HttpServer first([&moved](const HttpRequest &request) {
        const QByteArray target =
            "http://" + moved.hostAndPort().toLatin1() + "/moved/domain/" + request.target.split('/').last();
        return HttpResponse{.status = 302, .reason = "Found", .headers = {{"Location", target}}};
    });
    const QByteArray json = R"({"services":[[["com"],["http://)" + first.hostAndPort().toLatin1()
                            + R"(/rdap/","http://)" + moved.hostAndPort().toLatin1() + R"(/moved/"]]]})";
    RdapClient client(*Bootstrap::fromJson(json), {.lookupTimeout = 60s});
    std::optional<Availability> answer;
    client.lookup(1, "taken1.com", [&](const Availability &given) { answer = given; });
    QVERIFY(QTest::qWaitFor([&] { return answer.has_value(); }, 60000));
    QVERIFY2(answer->state == State::Registered, qPrintable(answer->reason));
    QCOMPARE(moved.requests().size(), 1);
}

QTEST_GUILESS_MAIN(TestRegistryAnswers)
#include "test_registry_answers.moc"
