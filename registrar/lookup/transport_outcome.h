#pragma once

#include "lookup/answer_verdict.h"
#include "lookup/availability.h"
#include "lookup/http2_connection.h"
#include "lookup/registry_connection.h"

#include <optional>

namespace varnex::registrar {

// What to do once a transport is done with a question, before any verdict:
// read the answer it brought, ask again, or give up.
struct TransportStep {
    enum class Next {
        Read,               // `answer` came: the verdict decides
        AskOnNewConnection, // nothing came that could be the answer, and it is safe to ask once more
        AskOverHttp1,       // the host does not speak HTTP/2
        Fail,               // `failure` is the answer
    };
    Next next = Next::Read;
    std::optional<RegistryAnswer> answer;
    Availability failure;
    bool failsWholeHost = false; // Fail: every other lookup to the host would fail the same way
};

// `onNewConnection`: the question was already asked again where nothing else was asked.
TransportStep stepAfter(const RegistryConnection::Outcome &outcome, bool onNewConnection);
TransportStep stepAfter(const Http2Connection::Outcome &outcome, bool onNewConnection);

} // namespace varnex::registrar
