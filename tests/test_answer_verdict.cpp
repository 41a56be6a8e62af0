// The two pure decisions every registry answer goes through, each rule a row:
// stepAfter(), what a transport's outcome calls for, and verdictOf(), what the
// answer it brought means. No network: the answers are written out here.

#include "lookup/answer_verdict.h"
#include "lookup/http_response_reader.h"
#include "lookup/transport_outcome.h"

#include <QTest>
#include <QTimeZone>

#include <memory>

using namespace varnex::registrar;
using State = Availability::State;
using Next = Verdict::Next;
using Step = TransportStep::Next;

// How far a question got toward its registry.
enum class Reached { Yes, TransportError, Unreachable, CertificateRefused };

Q_DECLARE_METATYPE(Next)
Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(Reached)

namespace {

const QDateTime kNow(QDate(2026, 12, 8), QTime(12, 0), QTimeZone::utc());
const QByteArray kRdap = "application/rdap+json";
const QString kAsked = QStringLiteral("example.com");
const QString kUrl = QStringLiteral("https://rdap.example/com/v1/domain/example.com");

// The ending's base URLs, as the bootstrap gives them.
AskedQuestion asked(int redirects = 0, bool onNewConnection = false)
{
    return {
        kAsked,
        QUrl(kUrl),
        redirects,
        onNewConnection,
        {QUrl(QStringLiteral("https://rdap.example/com/v1/")), QUrl(QStringLiteral("https://rdap2.example/rdap/"))}};
}

QString letter(State state)
{
    return QString("NRIU").at(int(state));
}

Availability::Failure failureOf(Reached reached)
{
    switch (reached) {
    case Reached::Yes:
        return Availability::Failure::BadAnswer;
    case Reached::TransportError:
    case Reached::Unreachable:
        return Availability::Failure::Unreachable;
    case Reached::CertificateRefused:
        return Availability::Failure::Certificate;
    }
    return Availability::Failure::None;
}

std::shared_ptr<const HttpResponseReader> readerOf(const QByteArray &bytes)
{
    auto reader = std::make_shared<HttpResponseReader>(HttpResponseLimits{});
    reader->feed(bytes);
    return reader;
}

} // namespace

class TestAnswerVerdict final : public QObject {
    Q_OBJECT

private slots:
    void verdicts_data();
    void verdicts();
    void redirects_data();
    void redirects();
    void http1Steps_data();
    void http1Steps();
    void http2Steps_data();
    void http2Steps();
};

void TestAnswerVerdict::verdicts_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<bool>("bound");
    QTest::addColumn<bool>("onNewConnection");
    QTest::addColumn<Next>("next");
    QTest::addColumn<QString>("state"); // N, R, I, U; empty when not settled

    auto row = [](const char *name, int status, QByteArray type, QByteArray body, QString state) {
        QTest::newRow(name) << status << type << body << true << true << false << Next::Settled << state;
    };
    // Complete answers with their status, exactly.
    row("404, empty", 404, {}, {}, "N");
    row("404, RDAP error object", 404, kRdap, R"({"errorCode":404,"title":"Not Found"})", "N");
    row("404, JSON error object", 404, "application/json; charset=utf-8", R"({"errorCode":404})", "N");
    row("404, reserved name's error object", 404, kRdap, R"({"errorCode":404,"title":"Registry Reserved"})", "N");
    row("404, links and notices", 404, kRdap,
        R"({"notices":[{"title":"Terms","links":[{"rel":"self","href":"https://rdap.example/"}]}],"errorCode":404})",
        "N");
    row("200, the name asked", 200, kRdap, R"({"objectClassName":"domain","ldhName":"EXAMPLE.COM."})", "R");
    row("200, another name", 200, kRdap, R"({"objectClassName":"domain","ldhName":"other.com"})", "U");
    row("200, the name asked twice, another kept", 200, kRdap,
        R"({"objectClassName":"domain","ldhName":"other.com","ldhName":"example.com"})", "U");
    row("400", 400, kRdap, "{}", "I");
    row("500", 500, kRdap, "{}", "U");
    row("no plain status", 0, {}, {}, "U");
    // What a 404's body may hold.
    row("404, HTML", 404, "text/html", "<html>Not Found</html>", "U");
    row("404, no type", 404, {}, "{}", "U");
    row("404, an array", 404, kRdap, "[]", "U");
    row("404, trailing bytes", 404, kRdap, "{}x", "U");
    row("404, a member twice", 404, kRdap, R"({"objectClassName":"domain","objectClassName":"error"})", "U");
    row("404, a member twice, escaped", 404, kRdap, R"({"objectClassName":"domain","objectClass\u004eame":"x"})", "U");
    row("404, a nested member twice", 404, kRdap, R"({"a":[{"b":1,"B ":2}]})", "U");
    row("404, a domain object", 404, kRdap, R"({"objectClassName":"domain"})", "U");
    row("404, a Domain object", 404, kRdap, R"({"objectClassName":"Domain"})", "U");
    row("404, a \"domain \" object", 404, kRdap, R"({"objectClassName":" domain "})", "U");
    row("404, lower-case names", 404, kRdap, R"({"objectclassname":"domain"})", "U");
    row("404, an ldhName", 404, kRdap, R"({"errorCode":404,"ldhname":"example.com"})", "U");
    row("404, a unicodeName deep inside", 404, kRdap, R"({"errorCode":404,"x":[{"y":{"unicodeName":"é.com"}}]})", "U");
    row("404, a domain object deep inside", 404, kRdap, R"({"notices":[{"objectClassName":"domain"}]})", "U");
    // Framing and binding, whatever the status.
    QTest::newRow("404 cut off") << 404 << QByteArray() << QByteArray() << false << true << false << Next::Settled
                                 << "U";
    QTest::newRow("404 not bound, first time")
        << 404 << QByteArray() << QByteArray() << true << false << false << Next::AskOnNewConnection << QString();
    QTest::newRow("404 not bound, on a new connection")
        << 404 << QByteArray() << QByteArray() << true << false << true << Next::Settled << "U";
    QTest::newRow("200 not bound: the name binds it")
        << 200 << kRdap << QByteArray(R"({"objectClassName":"domain","ldhName":"example.com"})") << true << false
        << false << Next::Settled << "R";
}

void TestAnswerVerdict::verdicts()
{
    QFETCH(int, status);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, body);
    QFETCH(bool, complete);
    QFETCH(bool, bound);
    QFETCH(bool, onNewConnection);
    QFETCH(Next, next);
    QFETCH(QString, state);

    const RegistryAnswer answer{status, type, body, {}, {}, complete, bound};
    const Verdict verdict = verdictOf(answer, asked(0, onNewConnection), 3, kNow);
    QCOMPARE(verdict.next, next);
    if (next == Next::Settled)
        QVERIFY2(letter(verdict.availability.state) == state, qPrintable(verdict.availability.reason));
}

void TestAnswerVerdict::redirects_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("location");
    QTest::addColumn<int>("redirects");  // followed so far, of 3
    QTest::addColumn<QString>("target"); // empty: not followed, could not be checked

    auto row = [](const char *name, QByteArray location, QString target) {
        QTest::newRow(name) << 302 << location << 0 << target;
    };
    row("the base URL and the name", "/com/v1/domain/example.com", kUrl);
    row("as a full URL", "https://rdap.example/com/v1/domain/example.com", kUrl);
    row("the name in capitals", "/com/v1/domain/EXAMPLE.COM", "https://rdap.example/com/v1/domain/EXAMPLE.COM");
    row("the ending's other base URL", "https://rdap2.example/rdap/domain/example.com",
        "https://rdap2.example/rdap/domain/example.com");
    row("another ending's service on the host", "/net/v1/domain/example.com", {});
    row("a path outside the base URL", "/moved/domain/example.com", {});
    row("another name", "/com/v1/domain/other.com", {});
    row("the name with more after it", "/com/v1/domain/example.com/x", {});
    row("an escaped slash", "/help%2Fdomain%2Fexample.com", {});
    row("an escaped slash in lower case", "/com/v1/domain%2fexample.com", {});
    row("an escaped backslash", "/com/v1/x%5Cdomain/example.com", {});
    row("a backslash", "/com/v1/x\\..\\domain/example.com", {});
    row("a dot segment", "/com/v1/./domain/example.com", {});
    row("dot-dot segments", "/com/v1/x/../domain/example.com", {});
    row("escaped dot-dot segments", "/com/v1/x/%2E%2E/domain/example.com", {});
    row("any escape", "/com/v1/domain/ex%61mple.com", {});
    row("a query", "/com/v1/domain/example.com?x=1", {});
    row("a fragment", "/com/v1/domain/example.com#x", {});
    row("user information", "https://u@rdap.example/com/v1/domain/example.com", {});
    row("another host", "https://other.example/com/v1/domain/example.com", {});
    row("plain http", "http://rdap.example/com/v1/domain/example.com", {});
    row("another port", "https://rdap.example:8443/com/v1/domain/example.com", {});
    row("a space", "/com/v1/domain/example.com ", {});
    row("nothing", "", {});
    QTest::newRow("301, 303, 307, 308 alike") << 308 << QByteArray("/com/v1/domain/example.com") << 0 << kUrl;
    QTest::newRow("one too many") << 302 << QByteArray("/com/v1/domain/example.com") << 3 << QString();
}

void TestAnswerVerdict::redirects()
{
    QFETCH(int, status);
    QFETCH(QByteArray, location);
    QFETCH(int, redirects);
    QFETCH(QString, target);

    const RegistryAnswer answer{status, {}, {}, location, {}, true, true};
    const Verdict verdict = verdictOf(answer, asked(redirects), 3, kNow);
    if (target.isEmpty()) {
        QCOMPARE(verdict.next, Next::Settled);
        QCOMPARE(verdict.availability.state, State::Unchecked);
    } else {
        QCOMPARE(verdict.next, Next::Follow);
        QCOMPARE(verdict.target.toString(QUrl::FullyEncoded), target);
    }
}

void TestAnswerVerdict::http1Steps_data()
{
    QTest::addColumn<QByteArray>("bytes"); // the registry's; empty: no answer came
    QTest::addColumn<bool>("firstOnConnection");
    QTest::addColumn<Reached>("reached");
    QTest::addColumn<bool>("onNewConnection");
    QTest::addColumn<Step>("next");
    QTest::addColumn<bool>("failsWholeHost");

    const QByteArray notFound = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
    QTest::newRow("an answer is read") << notFound << true << Reached::Yes << false << Step::Read << false;
    QTest::newRow("an answer on a reused connection is read too")
        << notFound << false << Reached::Yes << false << Step::Read << false;
    QTest::newRow("nothing on a reused connection: ask on a new one")
        << QByteArray() << false << Reached::Yes << false << Step::AskOnNewConnection << false;
    QTest::newRow("nothing on a reused connection, asked again already")
        << QByteArray() << false << Reached::Yes << true << Step::Fail << false;
    QTest::newRow("nothing on a new connection")
        << QByteArray() << true << Reached::Yes << false << Step::Fail << false;
    QTest::newRow("the host is unreachable")
        << QByteArray() << true << Reached::Unreachable << false << Step::Fail << true;
    QTest::newRow("a transport error, host reached")
        << QByteArray() << false << Reached::TransportError << false << Step::Fail << false;
    QTest::newRow("the certificate is refused")
        << QByteArray() << true << Reached::CertificateRefused << false << Step::Fail << true;
}

void TestAnswerVerdict::http1Steps()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, firstOnConnection);
    QFETCH(Reached, reached);
    QFETCH(bool, onNewConnection);
    QFETCH(Step, next);
    QFETCH(bool, failsWholeHost);

    const RegistryConnection::Outcome outcome{.transportError = reached != Reached::Yes,
                                              .unreachable = reached == Reached::Unreachable,
                                              .error = bytes.isEmpty() ? "no answer" : QString(),
                                              .response = bytes.isEmpty() ? nullptr : readerOf(bytes),
                                              .firstOnConnection = firstOnConnection,
                                              .certificateRefused = reached == Reached::CertificateRefused};
    const TransportStep step = stepAfter(outcome, onNewConnection);
    QCOMPARE(step.next, next);
    QCOMPARE(step.failsWholeHost, failsWholeHost);
    if (next == Step::Read) {
        QCOMPARE(step.answer->status, 404);
        QCOMPARE(step.answer->bound, firstOnConnection);
    }
    if (next == Step::Fail)
        QCOMPARE(step.failure.failure, failureOf(reached));
}

void TestAnswerVerdict::http2Steps_data()
{
    QTest::addColumn<bool>("answered");
    QTest::addColumn<bool>("notHttp2");
    QTest::addColumn<bool>("unprocessed");
    QTest::addColumn<Reached>("reached");
    QTest::addColumn<bool>("onNewConnection");
    QTest::addColumn<Step>("next");
    QTest::addColumn<bool>("failsWholeHost");

    QTest::newRow("an answer is read") << true << false << false << Reached::Yes << false << Step::Read << false;
    QTest::newRow("no HTTP/2: ask over HTTP/1.1")
        << false << true << false << Reached::Yes << false << Step::AskOverHttp1 << false;
    QTest::newRow("refused unprocessed: ask on a new connection")
        << false << false << true << Reached::Yes << false << Step::AskOnNewConnection << false;
    QTest::newRow("refused unprocessed, asked again already")
        << false << false << true << Reached::Yes << true << Step::Fail << false;
    QTest::newRow("reset or cut") << false << false << false << Reached::Yes << false << Step::Fail << false;
    QTest::newRow("the host is unreachable")
        << false << false << false << Reached::Unreachable << false << Step::Fail << true;
    QTest::newRow("the certificate is refused")
        << false << false << false << Reached::CertificateRefused << false << Step::Fail << true;
}

void TestAnswerVerdict::http2Steps()
{
    QFETCH(bool, answered);
    QFETCH(bool, notHttp2);
    QFETCH(bool, unprocessed);
    QFETCH(Reached, reached);
    QFETCH(bool, onNewConnection);
    QFETCH(Step, next);
    QFETCH(bool, failsWholeHost);

    Http2Outcome outcome{.transportError = reached != Reached::Yes,
                         .unreachable = reached == Reached::Unreachable,
                         .notHttp2 = notHttp2,
                         .unprocessed = unprocessed,
                         .error = answered ? QString() : "no answer",
                         .answer = std::nullopt,
                         .certificateRefused = reached == Reached::CertificateRefused};
    if (answered)
        outcome.answer = RegistryAnswer{404};
    const TransportStep step = stepAfter(outcome, onNewConnection);
    QCOMPARE(step.next, next);
    QCOMPARE(step.failsWholeHost, failsWholeHost);
    if (next == Step::Read)
        QCOMPARE(step.answer->status, 404);
    if (next == Step::Fail && reached != Reached::Yes)
        QCOMPARE(step.failure.failure, failureOf(reached));
}

QTEST_GUILESS_MAIN(TestAnswerVerdict)
#include "test_answer_verdict.moc"
