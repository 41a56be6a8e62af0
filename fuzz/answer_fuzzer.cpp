// Fuzzes the registry answer reader and the verdict on what it read, over
// HTTP/1.1 and HTTP/2.
//
// Input: four bytes that seed where the answer is cut into pieces, then the
// bytes a registry sends over HTTP/1.1. The reader must come to the same end,
// and the verdict be the same, whether the bytes arrive at once or piece by
// piece, and "not registered" must never be read from anything but a complete
// 404 with an acceptable body. An answer the reader takes is then sent again
// as HTTP/2 frames to the HTTP/2 session, its interim heads as HEADERS blocks
// of their own: once in one HEADERS and one DATA frame fed at once, once with
// its header block and body split over several frames and the bytes cut where
// the seed says. Both must end the same way, and an answer read there must be
// the one HTTP/1.1 read. Whatever the input holds after the HTTP/1.1 answer is
// then sent as raw bytes right after the HTTP/2 answer, in the same piece: a
// frame on the answer's stream that could change it leaves no answer, and an
// answer that stands is still the one HTTP/1.1 read.
// The whole input is also read as JSON by the member scan that 404 bodies go
// through.

#include "lookup/answer_verdict.h"
#include "lookup/http2_session.h"
#include "lookup/http_response_reader.h"
#include "lookup/json_members.h"
#include "lookup/registry_connection.h"

#include "seeded_input.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

using varnex::registrar::AskedQuestion;
using varnex::registrar::Availability;
using varnex::registrar::Http2Outcome;
using varnex::registrar::Http2Session;
using varnex::registrar::HttpResponseReader;
using varnex::registrar::RegistryAnswer;
using varnex::registrar::Verdict;

constexpr qsizetype kMaxBody = 4096;

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "answer_fuzzer: check failed: %s\n", what);
        __builtin_trap();
    }
}

// Lengths of pieces, from a seed: 1 to `most` bytes each, or everything at once for seed 0.
class Cuts final {
public:
    explicit Cuts(std::uint32_t seed) : m_seed(seed), m_whole(seed == 0) { }
    qsizetype next(qsizetype left, qsizetype most = 64)
    {
        if (m_whole)
            return left;
        m_seed = m_seed * 1103515245u + 12345u;
        return std::min(left, qsizetype(1 + (m_seed >> 16) % std::uint32_t(most)));
    }

private:
    std::uint32_t m_seed;
    bool m_whole;
};

bool sameVerdict(const Verdict &a, const Verdict &b)
{
    return a.next == b.next && a.availability.state == b.availability.state
           && a.availability.reason == b.availability.reason && a.availability.failure == b.availability.failure
           && a.availability.retryIn == b.availability.retryIn && a.target == b.target && a.quietUntil == b.quietUntil;
}

bool sameAnswer(const RegistryAnswer &a, const RegistryAnswer &b)
{
    return a.status == b.status && a.contentType == b.contentType && a.body == b.body && a.location == b.location
           && a.retryAfter == b.retryAfter && a.complete == b.complete && a.bound == b.bound;
}

// Members of every object in the value, counted as QJsonDocument kept them.
qsizetype keptMembers(const QJsonValue &value)
{
    qsizetype count = 0;
    if (value.isArray()) {
        for (const QJsonValue &item : value.toArray())
            count += keptMembers(item);
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto member = object.begin(); member != object.end(); ++member)
            count += 1 + keptMembers(member.value());
    }
    return count;
}

// The member scan on any bytes: where QJsonDocument takes them and the scan
// finds no name twice, it must have seen every member QJsonDocument kept, and
// no more (a repeated name is the one way QJsonDocument drops a member).
void checkMembers(QByteArrayView bytes)
{
    const QByteArray text = bytes.toByteArray();
    const varnex::registrar::JsonMembers members = varnex::registrar::jsonMembersOf(text);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || members.repeated)
        return;
    const QJsonValue root = document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    check(keptMembers(root) == members.count, "the member scan counts what QJsonDocument kept");
}

Verdict verdictOn(const RegistryAnswer &answer)
{
    const QDateTime now(QDate(2026, 12, 8), QTime(12, 0), QTimeZone::utc());
    const AskedQuestion asked{QStringLiteral("example.com"),
                              QUrl(QStringLiteral("https://rdap.example/domain/example.com")),
                              0,
                              false,
                              {QUrl(QStringLiteral("https://rdap.example/"))}};
    return varnex::registrar::verdictOf(answer, asked, 3, now);
}

struct Reading {
    HttpResponseReader reader{HttpResponseReader::Limits{.maxHead = 1024, .maxBody = kMaxBody}};
    qsizetype taken = 0;
    bool closed = false;
};

// Feeds the bytes in pieces whose lengths come from `seed`, then the close.
Reading read(QByteArrayView bytes, std::uint32_t seed)
{
    Reading reading;
    Cuts cuts(seed);
    qsizetype at = 0;
    while (at < bytes.size() && reading.reader.state() == HttpResponseReader::State::Reading) {
        const QByteArrayView part = bytes.sliced(at, cuts.next(bytes.size() - at));
        const qsizetype taken = reading.reader.feed(part);
        check(taken >= 0 && taken <= part.size(), "feed takes what it was given at most");
        check(taken == part.size() || reading.reader.state() != HttpResponseReader::State::Reading,
              "feed leaves bytes only once the answer has ended");
        reading.taken += taken;
        at += part.size();
    }
    if (reading.reader.state() == HttpResponseReader::State::Reading) {
        reading.reader.endOfStream();
        reading.closed = true;
    }
    check(reading.reader.state() != HttpResponseReader::State::Reading, "the close ends every answer");
    return reading;
}

// ---- HTTP/2: the same answer as frames a registry might send ----

// A frame on stream 1, or on the connection (stream 0) for SETTINGS.
void appendFrame(QByteArray &out, std::uint8_t type, std::uint8_t flags, QByteArrayView payload)
{
    const auto length = std::uint32_t(payload.size());
    const char stream = type == 4 ? 0 : 1;
    const char head[] = {char(length >> 16), char(length >> 8), char(length), char(type), char(flags), 0, 0, 0, stream};
    out.append(head, sizeof head);
    out.append(payload);
}

// An HPACK string, neither indexed nor Huffman-coded: its length with a 7-bit prefix, then its bytes.
void appendString(QByteArray &out, QByteArrayView text)
{
    std::uint64_t length = std::uint64_t(text.size());
    if (length < 127) {
        out.append(char(length));
    } else {
        out.append(char(127));
        for (length -= 127; length >= 128; length >>= 7)
            out.append(char(0x80 | (length & 0x7f)));
        out.append(char(length));
    }
    out.append(text);
}

// Headers HTTP/2 forbids: they describe the HTTP/1.1 connection only.
bool isConnectionHeader(const QByteArray &name)
{
    return name == "connection" || name == "keep-alive" || name == "proxy-connection" || name == "transfer-encoding"
           || name == "upgrade" || name == "te";
}

QByteArray headerBlock(int status, const HttpResponseReader::Headers &headers)
{
    QByteArray block;
    auto field = [&block](QByteArrayView name, QByteArrayView value) {
        block.append(char(0)); // a literal field without indexing, its name given
        appendString(block, name);
        appendString(block, value);
    };
    field(":status", QByteArray::number(status));
    for (const auto &[name, value] : headers) {
        if (!isConnectionHeader(name))
            field(name, value);
    }
    return block;
}

// Frame types and flags.
constexpr std::uint8_t kData = 0, kHeaders = 1, kPriority = 2, kRstStream = 3, kSettings = 4;
constexpr std::uint8_t kWindowUpdate = 8, kContinuation = 9;
constexpr std::uint8_t kEndStream = 1, kEndHeaders = 4;

// The server's bytes for stream 1: its SETTINGS, each interim head in a HEADERS
// frame of its own, the header block and the body, each in one frame for seed
// 0, else split where the seed says (the header block in four frames at most).
QByteArray http2Answer(const HttpResponseReader &response, std::uint32_t seed)
{
    QByteArray out;
    appendFrame(out, kSettings, 0, {});
    for (const HttpResponseReader::InterimHead &interim : response.interimHeads())
        appendFrame(out, kHeaders, kEndHeaders, headerBlock(interim.status, interim.headers));
    Cuts cuts(seed);
    const QByteArray block = headerBlock(response.status(), response.headers()), &body = response.body();
    // libnghttp2 takes only a few CONTINUATION frames, against floods of them.
    for (qsizetype at = 0, fragments = 0; at < block.size(); ++fragments) {
        const qsizetype size = fragments < 3 ? cuts.next(block.size() - at, 128) : block.size() - at;
        const std::uint8_t end = at + size == block.size() ? kEndHeaders : 0;
        const std::uint8_t flags = at == 0 ? std::uint8_t(end | (body.isEmpty() ? kEndStream : 0)) : end;
        appendFrame(out, at == 0 ? kHeaders : kContinuation, flags, QByteArrayView(block).sliced(at, size));
        at += size;
    }
    for (qsizetype at = 0; at < body.size();) {
        const qsizetype size = cuts.next(body.size() - at, 512);
        appendFrame(out, kData, at + size == body.size() ? kEndStream : 0, QByteArrayView(body).sliced(at, size));
        at += size;
    }
    return out;
}

// What the HTTP/2 session makes of the server's bytes, fed in pieces as the seed says.
Http2Outcome readOverHttp2(const QByteArray &bytes, std::uint32_t seed)
{
    Http2Session session(kMaxBody);
    const Http2Session::StreamId stream =
        session.submit(QUrl(QStringLiteral("https://rdap.example/domain/example.com")), "rdap.example");
    check(stream == 1, "the first question is stream 1");
    session.takeOutput();
    Cuts cuts(seed);
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype size = cuts.next(bytes.size() - at);
        QString error;
        if (!session.receive(QByteArrayView(bytes).sliced(at, size), error)) {
            session.failAll({.error = QStringLiteral("the registry broke the HTTP/2 protocol (%1)").arg(error)});
            break;
        }
        session.takeOutput();
        at += size;
    }
    session.failAll({.error = QStringLiteral("the connection closed before the whole answer came")});
    const auto finished = session.takeFinished();
    check(finished && finished->first == stream && !session.takeFinished(), "the one stream ends once");
    return finished->second;
}

// Whether raw bytes sent after stream 1's end hold a frame on it that may say
// something of its answer: anything but PRIORITY, WINDOW_UPDATE and a
// RST_STREAM with NO_ERROR, whose header (and code) came whole.
bool touchesTheAnswer(QByteArrayView late)
{
    for (qsizetype at = 0; at + 9 <= late.size();) {
        const auto byte = [&late, at](qsizetype i) { return std::uint32_t(std::uint8_t(late.at(at + i))); };
        const std::uint32_t length = byte(0) << 16 | byte(1) << 8 | byte(2);
        const std::uint32_t stream = (byte(5) & 0x7f) << 24 | byte(6) << 16 | byte(7) << 8 | byte(8);
        const std::uint8_t type = std::uint8_t(byte(3));
        if (stream == 1) {
            if (type == kRstStream && length == 4 && at + 13 > late.size())
                return false; // its code never came
            const bool reportsNoError =
                type == kRstStream && length == 4 && (byte(9) | byte(10) | byte(11) | byte(12)) == 0;
            if (type != kPriority && type != kWindowUpdate && !reportsNoError)
                return true;
        }
        at += 9 + qsizetype(length);
    }
    return false;
}

void checkLateFrames(const HttpResponseReader &response, const RegistryAnswer &overHttp1, QByteArrayView late)
{
    const Http2Outcome outcome = readOverHttp2(http2Answer(response, 0) + late.toByteArray(), 0);
    if (outcome.answer)
        check(sameAnswer(*outcome.answer, overHttp1), "HTTP/2: what follows an answer never changes it");
    if (touchesTheAnswer(late))
        check(!outcome.answer, "HTTP/2: a frame on the stream after its end leaves no answer");
}

void checkHttp2(const HttpResponseReader &response, const RegistryAnswer &overHttp1, std::uint32_t seed)
{
    const Http2Outcome whole = readOverHttp2(http2Answer(response, 0), 0);
    const Http2Outcome pieces = readOverHttp2(http2Answer(response, seed), seed);
    check(whole.error == pieces.error && whole.answer.has_value() == pieces.answer.has_value()
              && whole.unprocessed == pieces.unprocessed,
          "HTTP/2: the same end however the answer is framed and cut");
    if (!whole.answer)
        return;
    check(sameAnswer(*whole.answer, *pieces.answer), "HTTP/2: the same answer however it is framed and cut");
    check(sameVerdict(verdictOn(*whole.answer), verdictOn(*pieces.answer)),
          "HTTP/2: the same verdict however it is cut");
    check(sameAnswer(*whole.answer, overHttp1), "HTTP/2 reads the answer HTTP/1.1 read");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::optional<SeededInput> input = seededInput(data, size);
    if (!input)
        return 0;
    const std::uint32_t seed = input->seed;
    const QByteArrayView bytes = input->bytes;

    checkMembers(bytes);
    const Reading whole = read(bytes, 0);
    const Reading pieces = read(bytes, seed | 1);
    const HttpResponseReader &a = whole.reader;
    const HttpResponseReader &b = pieces.reader;
    check(a.state() == b.state(), "the same end however the bytes are cut");
    if (a.state() == HttpResponseReader::State::Failed)
        return 0;
    check(whole.taken == pieces.taken, "the answer ends at the same byte");
    check(a.status() == b.status() && a.body() == b.body() && a.framedByClose() == b.framedByClose()
              && a.keepAlive() == b.keepAlive() && a.headers() == b.headers(),
          "the same answer however the bytes are cut");
    check(a.status() >= 200 && a.status() <= 999, "a complete answer has a final three-digit status");
    check(a.body().size() <= kMaxBody, "the body stays within its limit");

    checkMembers(a.body());
    const RegistryAnswer answer = varnex::registrar::registryAnswerOf(a, true);
    const Verdict verdict = verdictOn(answer);
    check(sameVerdict(verdict, verdictOn(varnex::registrar::registryAnswerOf(b, true))),
          "the same verdict however the bytes are cut");
    if (verdict.next == Verdict::Next::Settled && verdict.availability.state == Availability::State::NotRegistered) {
        check(a.status() == 404 && !a.framedByClose(), "not registered only from a complete 404");
        check(a.body().isEmpty() || QJsonDocument::fromJson(a.body()).isObject(), "a 404's body is empty or an object");
        check(!varnex::registrar::jsonMembersOf(a.body()).repeated, "a 404's body names no member twice");
    }
    if (verdict.next == Verdict::Next::Follow)
        check(verdict.target.scheme() == QLatin1String("https")
                  && verdict.target.host() == QLatin1String("rdap.example") && verdict.target.port(443) == 443
                  && verdict.target.path(QUrl::FullyEncoded)
                             .compare(QLatin1String("/domain/example.com"), Qt::CaseInsensitive)
                         == 0,
              "a redirect is followed only to the base URL and the same name");
    // An answer framed by the close would be complete on HTTP/2, where END_STREAM frames it.
    if (!a.framedByClose()) {
        checkHttp2(a, answer, seed | 1);
        if (whole.taken < bytes.size())
            checkLateFrames(a, answer, bytes.sliced(whole.taken));
    }
    return 0;
}
