#pragma once

#include <QByteArrayView>

namespace varnex::registrar {

// What a DNS answer says about a name, for the screen before the registries.
// Only HasNameServers spares a registry lookup; the other two send the name on.
enum class DnsVerdict { HasNameServers, NoNameServers, NoAnswer };

// Reads `message`, the raw answer to an NS question for `askedName` (any case,
// trailing dot or not). A name has name servers only when a well-formed
// response (QR set, opcode QUERY, NOERROR, not truncated, exactly the one
// question asked: that name, NS, IN; every record framed exactly to the end)
// has an NS record of class IN owned by that very name in its answer section.
// NXDOMAIN, or NOERROR without such a record, in an otherwise well-formed
// response is NoNameServers; anything else, NoAnswer.
DnsVerdict dnsVerdictOf(QByteArrayView message, QByteArrayView askedName);

} // namespace varnex::registrar
