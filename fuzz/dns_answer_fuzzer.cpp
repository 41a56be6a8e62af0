// Fuzzes the registrar's reading of a DNS answer to an NS question for
// shop.com: the input is the whole message, as a resolver would send it.

#include "lookup/dns_answer.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

using varnex::registrar::DnsVerdict;
using varnex::registrar::dnsVerdictOf;

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "dns_answer_fuzzer: check failed: %s\n", what);
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView message(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const DnsVerdict verdict = dnsVerdictOf(message, "shop.com");
    check(dnsVerdictOf(message, "SHOP.Com.") == verdict, "the asked name in any case, with a trailing dot");
    check(dnsVerdictOf(message, "shop..com") == DnsVerdict::NoAnswer, "no answer is for a name that is not one");
    if (verdict == DnsVerdict::NoAnswer)
        return 0;

    // Only a response to one standard query, framed exactly, says anything.
    check(message.size() >= 12, "a whole header");
    const auto flags = static_cast<unsigned>(data[2]) << 8 | data[3];
    check((flags & 0x8000) != 0, "QR set");
    check(((flags >> 11) & 0xf) == 0, "opcode QUERY");
    check((flags & 0x0200) == 0, "not truncated");
    check(data[4] == 0 && data[5] == 1, "one question");
    const unsigned rcode = flags & 0xf;
    check(rcode == 0 || rcode == 3, "NOERROR or NXDOMAIN");
    check(verdict != DnsVerdict::HasNameServers || rcode == 0, "name servers only with NOERROR");
    check(dnsVerdictOf(message.chopped(1), "shop.com") == DnsVerdict::NoAnswer, "one byte short is cut off");
    check(dnsVerdictOf(message.toByteArray() + '\0', "shop.com") == DnsVerdict::NoAnswer, "a byte past the end");
    // The same message about another name says nothing about that one.
    check(dnsVerdictOf(message, "shop.net") == DnsVerdict::NoAnswer, "answers only for the name asked");
    return 0;
}
