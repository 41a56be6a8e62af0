#include "lookup/transport_outcome.h"

namespace varnex::registrar {

namespace {

using Failure = Availability::Failure;

// A host that did not resolve, refused the connection or showed a certificate
// that could not be verified fails every lookup the same way for a while.
template <typename Outcome>
TransportStep failed(const Outcome &outcome)
{
    TransportStep step{TransportStep::Next::Fail};
    const Failure failure = outcome.certificateRefused ? Failure::Certificate
                            : outcome.transportError   ? Failure::Unreachable
                                                       : Failure::BadAnswer;
    step.failure = Availability::unchecked(failure, outcome.error);
    step.failsWholeHost = outcome.certificateRefused || (outcome.transportError && outcome.unreachable);
    return step;
}

} // namespace

TransportStep stepAfter(const RegistryConnection::Outcome &outcome, bool onNewConnection)
{
    if (outcome.response)
        return {TransportStep::Next::Read, registryAnswerOf(*outcome.response, outcome.firstOnConnection)};
    // A reused connection may simply have been closed by the registry meanwhile: ask once more on a new one.
    if (!outcome.firstOnConnection && !outcome.transportError && !onNewConnection)
        return {TransportStep::Next::AskOnNewConnection};
    return failed(outcome);
}

TransportStep stepAfter(const Http2Connection::Outcome &outcome, bool onNewConnection)
{
    if (outcome.notHttp2)
        return {TransportStep::Next::AskOverHttp1};
    if (outcome.unprocessed && !onNewConnection)
        return {TransportStep::Next::AskOnNewConnection};
    if (outcome.answer)
        return {TransportStep::Next::Read, outcome.answer};
    return failed(outcome);
}

} // namespace varnex::registrar
