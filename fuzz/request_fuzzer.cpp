// Fuzzes the service's request reader.
//
// Input: four bytes that seed where the stream is cut into pieces, then the
// bytes a client sends on one connection. The requests read, their ends and
// the refusal that stops the reading must be the same whether the bytes
// arrive at once or piece by piece; every request taken is well-formed, and
// reads back the same from its plain form.

#include "service/request_reader.h"

#include "seeded_input.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

using varnex::registrar::RequestHead;
using varnex::registrar::RequestReader;

const RequestReader::Limits kLimits{.maxHead = 512, .maxTarget = 64};

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "request_fuzzer: check failed: %s\n", what);
        __builtin_trap();
    }
}

struct Reading {
    QList<std::pair<RequestHead, qsizetype>> requests; // and the byte each ended at
    int refusal = 0;
    qsizetype refusedAt = -1;
    bool unfinished = false;
};

// Reads the stream as a connection does, in pieces whose lengths come from
// `seed` (0: all at once), until the bytes end or a request is refused.
Reading read(QByteArrayView bytes, std::uint32_t seed)
{
    Reading reading;
    RequestReader reader(kLimits);
    qsizetype at = 0;
    qsizetype fed = 0;
    while (fed < bytes.size() && reading.refusal == 0) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype piece = seed == 0 ? bytes.size() : qsizetype(1 + (seed >> 16) % 48);
        QByteArrayView rest = bytes.sliced(fed, std::min(piece, bytes.size() - fed));
        fed += rest.size();
        while (!rest.isEmpty()) {
            const qsizetype taken = reader.feed(rest);
            check(taken > 0 && taken <= rest.size(), "feed takes at least a byte and at most what it was given");
            check(taken == rest.size() || reader.state() != RequestReader::State::Reading,
                  "feed leaves bytes only once the head has ended");
            rest = rest.sliced(taken);
            at += taken;
            if (reader.state() == RequestReader::State::Failed) {
                reading.refusal = reader.errorStatus();
                reading.refusedAt = at;
                break;
            }
            if (reader.state() == RequestReader::State::Complete) {
                reading.requests.append({reader.head(), at});
                reader = RequestReader(kLimits);
            }
        }
    }
    reading.unfinished = reading.refusal == 0 && reader.started();
    return reading;
}

// The request in its plainest form.
QByteArray plainForm(const RequestHead &head)
{
    QByteArray bytes = head.method + ' ' + head.target + (head.http10 ? " HTTP/1.0\r\n" : " HTTP/1.1\r\n");
    if (head.hasHost)
        bytes += "Host: " + head.host + "\r\n";
    if (head.http10 && head.keepAlive)
        bytes += "Connection: keep-alive\r\n";
    if (!head.http10 && !head.keepAlive)
        bytes += "Connection: close\r\n";
    return bytes + "\r\n";
}

bool isVisibleAscii(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c > 0x20 && c < 0x7f; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::optional<SeededInput> input = seededInput(data, size);
    if (!input)
        return 0;
    const std::uint32_t seed = input->seed;
    const QByteArrayView bytes = input->bytes;

    const Reading whole = read(bytes, 0);
    const Reading pieces = read(bytes, seed | 1);
    check(whole.requests == pieces.requests, "the same requests, ending at the same bytes, however the bytes are cut");
    check(whole.refusal == pieces.refusal && whole.refusedAt == pieces.refusedAt,
          "the same refusal at the same byte however the bytes are cut");
    check(whole.unfinished == pieces.unfinished, "the same unfinished head however the bytes are cut");
    check(QList<int>{0, 400, 405, 413, 414, 431, 505}.contains(whole.refusal),
          "a refusal is one of the statuses the front answers with");
    qsizetype previous = 0;
    for (const auto &[head, end] : whole.requests) {
        check(end - previous <= kLimits.maxHead, "a head stays within its limit");
        previous = end;
        check(!head.method.isEmpty() && head.method.size() <= 32 && isVisibleAscii(head.method),
              "a method is a short token");
        check(head.target.startsWith('/') && head.target.size() <= kLimits.maxTarget && isVisibleAscii(head.target),
              "a target is a path of visible ASCII within its limit");
        check(head.http10 || head.hasHost, "an HTTP/1.1 request names its Host");
        const QByteArray plain = plainForm(head);
        // Its plain form may be a byte or two longer ("Host:a" becomes "Host: a").
        RequestReader again({.maxHead = 2 * kLimits.maxHead, .maxTarget = kLimits.maxTarget});
        check(again.feed(plain) == plain.size() && again.state() == RequestReader::State::Complete
                  && again.head() == head,
              "a request reads back the same from its plain form");
    }
    return 0;
}
