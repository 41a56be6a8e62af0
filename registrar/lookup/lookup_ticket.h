#pragma once

#include <QtGlobal>

namespace varnex::registrar {

// The number of one question about a name: given by whoever asks
// (NameLookups), and the key under which the DNS screen and the registry
// client keep, answer and withdraw that question. Never used twice.
using LookupTicket = quint64;

} // namespace varnex::registrar
