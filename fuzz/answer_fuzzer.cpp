// Fuzzes the registry answer reader and the verdict on what it read.
//
// Input: four bytes that seed where the answer is cut into pieces, then the
// bytes a registry sends. The reader must come to the same end whether the
// bytes arrive at once or piece by piece, and "not registered" must never be
// read from anything but a complete 404 with an acceptable body.

#include "lookup/answer_verdict.h"
#include "lookup/http_response_reader.h"
#include "lookup/registry_connection.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QJsonDocument>
#include <QTimeZone>

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

using varnex::registrar::AskedQuestion;
using varnex::registrar::Availability;
using varnex::registrar::HttpResponseReader;
using varnex::registrar::RegistryAnswer;
using varnex::registrar::Verdict;

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "answer_fuzzer: check failed: %s\n", what);
        __builtin_trap();
    }
}

struct Reading {
    HttpResponseReader reader{HttpResponseReader::Limits{.maxHead = 1024, .maxBody = 4096}};
    qsizetype taken = 0;
    bool closed = false;
};

// Feeds the bytes in pieces whose lengths come from `seed`, then the close.
Reading read(QByteArrayView bytes, std::uint32_t seed)
{
    Reading reading;
    qsizetype at = 0;
    while (at < bytes.size() && reading.reader.state() == HttpResponseReader::State::Reading) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype piece = seed == 0 ? bytes.size() : qsizetype(1 + (seed >> 16) % 64);
        const QByteArrayView part = bytes.sliced(at, std::min(piece, bytes.size() - at));
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::uint32_t seed = std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 | std::uint32_t(data[2]) << 16
                               | std::uint32_t(data[3]) << 24;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data + 4), qsizetype(size - 4));

    const Reading whole = read(bytes, 0);
    const Reading pieces = read(bytes, seed | 1);
    const HttpResponseReader &a = whole.reader;
    const HttpResponseReader &b = pieces.reader;
    check(a.state() == b.state(), "the same end however the bytes are cut");
    if (a.state() == HttpResponseReader::State::Failed)
        return 0;
    check(whole.taken == pieces.taken, "the answer ends at the same byte");
    check(a.status() == b.status() && a.body() == b.body() && a.framedByClose() == b.framedByClose()
              && a.keepAlive() == b.keepAlive() && a.header("location") == b.header("location")
              && a.header("content-type") == b.header("content-type"),
          "the same answer however the bytes are cut");
    check(a.status() >= 200 && a.status() <= 999, "a complete answer has a final three-digit status");
    check(a.body().size() <= 4096, "the body stays within its limit");

    const QDateTime now(QDate(2026, 12, 8), QTime(12, 0), QTimeZone::utc());
    const AskedQuestion asked{QStringLiteral("example.com"), QUrl(QStringLiteral("https://rdap.example/domain/example.com"))};
    const Verdict verdict = varnex::registrar::verdictOf(varnex::registrar::registryAnswerOf(a, true), asked, 3, now);
    if (verdict.next == Verdict::Next::Settled && verdict.availability.state == Availability::State::NotRegistered) {
        check(a.status() == 404 && !a.framedByClose(), "not registered only from a complete 404");
        check(a.body().isEmpty() || QJsonDocument::fromJson(a.body()).isObject(), "a 404's body is empty or an object");
    }
    if (verdict.next == Verdict::Next::Follow)
        check(verdict.target.host() == QLatin1String("rdap.example") && verdict.target.path().endsWith(QLatin1String("/domain/example.com"), Qt::CaseInsensitive),
              "a redirect is followed only to the same question");
    return 0;
}
