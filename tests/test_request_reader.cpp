#include "service/request_reader.h"

#include <QTest>

using varnex::registrar::RequestHead;
using varnex::registrar::RequestReader;

namespace {

// What a connection makes of `bytes` fed in the given pieces: each request
// ("METHOD TARGET 1.x keep|close host=H"), then the refusal's status, or "..."
// for a head still unfinished, each with the byte it ended at.
QList<std::pair<QByteArray, qsizetype>> readRequests(const QByteArray &bytes, const QList<qsizetype> &cuts)
{
    QList<std::pair<QByteArray, qsizetype>> outcomes;
    RequestReader reader;
    qsizetype at = 0;
    qsizetype from = 0;
    for (qsizetype piece = 0; piece <= cuts.size(); ++piece) {
        const qsizetype to = piece < cuts.size() ? cuts[piece] : bytes.size();
        QByteArrayView rest = QByteArrayView(bytes).sliced(from, to - from);
        from = to;
        while (!rest.isEmpty()) {
            const qsizetype taken = reader.feed(rest);
            rest = rest.sliced(taken);
            at += taken;
            if (reader.state() == RequestReader::State::Failed) {
                outcomes.append({QByteArray::number(reader.errorStatus()), at});
                return outcomes;
            }
            if (reader.state() == RequestReader::State::Complete) {
                const RequestHead &head = reader.head();
                outcomes.append({head.method + ' ' + head.target + (head.http10 ? " 1.0" : " 1.1")
                                     + (head.keepAlive ? " keep" : " close")
                                     + (head.hasHost ? " host=" + head.host : QByteArray()),
                                 at});
                reader = RequestReader();
            }
        }
    }
    if (reader.started())
        outcomes.append({"...", at});
    return outcomes;
}

QByteArrayList descriptions(const QList<std::pair<QByteArray, qsizetype>> &outcomes)
{
    QByteArrayList list;
    for (const auto &[description, at] : outcomes)
        list.append(description);
    return list;
}

} // namespace

class TestRequestReader final : public QObject {
    Q_OBJECT

private slots:
    void requests_data();
    void requests();
};

void TestRequestReader::requests_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArrayList>("expected");

    const QByteArray get = "GET /whois.cgi?vhost_name=shop HTTP/1.1\r\nHost: 127.0.0.1:8537\r\n";
    const QByteArray page = "GET /whois.cgi?vhost_name=shop 1.1 keep host=127.0.0.1:8537";
    QTest::newRow("plain") << get + "\r\n" << QByteArrayList{page};
    QTest::newRow("pipelined pair in one packet")
        << get + "\r\n" + "HEAD /x HTTP/1.1\r\nhost: a\r\nConnection: close\r\n\r\n"
        << QByteArrayList{page, "HEAD /x 1.1 close host=a"};
    QTest::newRow("empty lines before a request") << "\r\n\r\n" + get + "\r\n" << QByteArrayList{page};
    QTest::newRow("unfinished") << get << QByteArrayList{"..."};
    QTest::newRow("HTTP/1.0 closes") << QByteArray("GET / HTTP/1.0\r\n\r\n") << QByteArrayList{"GET / 1.0 close"};
    QTest::newRow("HTTP/1.0 keep-alive asked")
        << QByteArray("GET / HTTP/1.0\r\nConnection: Upgrade, Keep-Alive\r\n\r\n") << QByteArrayList{"GET / 1.0 keep"};
    QTest::newRow("close wins") << get + "Connection: keep-alive\r\nConnection: close\r\n\r\n"
                                << QByteArrayList{"GET /whois.cgi?vhost_name=shop 1.1 close host=127.0.0.1:8537"};
    QTest::newRow("later HTTP/1.x answered as 1.1")
        << QByteArray("GET / HTTP/1.7\r\nHost: a\r\n\r\n") << QByteArrayList{"GET / 1.1 keep host=a"};
    QTest::newRow("other methods are the front's to refuse")
        << QByteArray("post / HTTP/1.1\r\nHost: a\r\nContent-Length: 0\r\n\r\n")
        << QByteArrayList{"post / 1.1 keep host=a"};
    QTest::newRow("HTTP/2") << QByteArray("GET / HTTP/2.0\r\nHost: a\r\n\r\n") << QByteArrayList{"505"};
    QTest::newRow("HTTP/2 preface") << QByteArray("PRI * HTTP/2.0\r\n\r\nSM\r\n\r\n") << QByteArrayList{"400"};
    QTest::newRow("no version") << QByteArray("GET /whois.cgi?vhost_name=shop\r\n\r\n") << QByteArrayList{"400"};
    QTest::newRow("TLS hello") << QByteArray("\x16\x03\x01\x02\x00\x01", 6) << QByteArrayList{"400"};
    QTest::newRow("two spaces") << QByteArray("GET  / HTTP/1.1\r\nHost: a\r\n\r\n") << QByteArrayList{"400"};
    QTest::newRow("a URL, not a path") << QByteArray("GET http://a/whois.cgi HTTP/1.1\r\nHost: a\r\n\r\n")
                                       << QByteArrayList{"400"};
    QTest::newRow("raw UTF-8 in the target")
        << QByteArray("GET /whois.cgi?vhost_name=b\xc3\xbc HTTP/1.1\r\nHost: a\r\n\r\n") << QByteArrayList{"400"};
    QTest::newRow("target at its limit") << "GET /" + QByteArray(2047, 'a') + " HTTP/1.1\r\nHost: a\r\n\r\n"
                                         << QByteArrayList{"GET /" + QByteArray(2047, 'a') + " 1.1 keep host=a"};
    QTest::newRow("target a byte over") << "GET /" + QByteArray(2048, 'a') + " HTTP/1.1\r\nHost: a\r\n\r\n"
                                        << QByteArrayList{"414"};
    QTest::newRow("oversize head") << get + "X-Big: " + QByteArray(17000, 'a') + "\r\n\r\n" << QByteArrayList{"431"};
    QTest::newRow("bare LF") << QByteArray("GET / HTTP/1.1\nHost: a\n\n") << QByteArrayList{"400"};
    QTest::newRow("bare LF in the fields") << get + "X: a\n\r\n" << QByteArrayList{"400"};
    QTest::newRow("bare CR in a value") << get + "X: a\rb\r\n\r\n" << QByteArrayList{"400"};
    QTest::newRow("NUL in a value") << get + QByteArray("X: a\0b\r\n\r\n", 9) << QByteArrayList{"400"};
    QTest::newRow("obs-fold") << get + "X-A: a\r\n b\r\n\r\n" << QByteArrayList{"400"};
    QTest::newRow("space before the colon")
        << QByteArray("GET / HTTP/1.1\r\nHost : a\r\n\r\n") << QByteArrayList{"400"};
    QTest::newRow("HTTP/1.1 without Host") << QByteArray("GET / HTTP/1.1\r\n\r\n") << QByteArrayList{"400"};
    QTest::newRow("two Hosts") << get + "Host: evil.example\r\n\r\n" << QByteArrayList{"400"};
    QTest::newRow("Host that is not a host")
        << QByteArray("GET / HTTP/1.1\r\nHost: a/b\r\n\r\n") << QByteArrayList{"400"};
    QTest::newRow("Content-Length 0") << get + "Content-Length: 0\r\n\r\n" << QByteArrayList{page};
    QTest::newRow("body, then a pipelined request") << get + "Content-Length: 5\r\n\r\nhello" + get + "\r\n"
                                                    << QByteArrayList{"413"};
    QTest::newRow("POST with a body") << QByteArray("POST / HTTP/1.1\r\nHost: a\r\nContent-Length: 2\r\n\r\nab")
                                      << QByteArrayList{"405"};
    QTest::newRow("two equal Content-Lengths") << get + "Content-Length: 0\r\nContent-Length: 0\r\n\r\n"
                                               << QByteArrayList{"400"};
    QTest::newRow("Content-Length list") << get + "Content-Length: 5, 5\r\n\r\nhello" << QByteArrayList{"400"};
    QTest::newRow("negative Content-Length") << get + "Content-Length: -1\r\n\r\n" << QByteArrayList{"400"};
    QTest::newRow("chunked") << get + "Transfer-Encoding: chunked\r\n\r\n0\r\n\r\n" << QByteArrayList{"413"};
    QTest::newRow("chunked and a length") << get + "Transfer-Encoding: chunked\r\nContent-Length: 0\r\n\r\n"
                                          << QByteArrayList{"400"};
    QTest::newRow("chunked in HTTP/1.0") << QByteArray("GET / HTTP/1.0\r\nTransfer-Encoding: chunked\r\n\r\n")
                                         << QByteArrayList{"400"};
    QTest::newRow("a good request, then garbage") << get + "\r\nGARBAGE\r\n\r\n" << QByteArrayList{page, "400"};
}

void TestRequestReader::requests()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArrayList, expected);

    const auto whole = readRequests(bytes, {});
    QCOMPARE(descriptions(whole), expected);
    // Cut anywhere, or fed a byte at a time, the bytes read the same and end at the same byte.
    const qsizetype step = bytes.size() < 4096 ? 1 : 97;
    for (qsizetype cut = 1; cut < bytes.size(); cut += step)
        QCOMPARE(readRequests(bytes, {cut}), whole);
    QList<qsizetype> everyByte;
    for (qsizetype cut = 1; cut < bytes.size(); ++cut)
        everyByte.append(cut);
    QCOMPARE(readRequests(bytes, everyByte), whole);
}

QTEST_APPLESS_MAIN(TestRequestReader)
#include "test_request_reader.moc"
