#include "lookup/transport_outcome.h"

namespace varnex::registrar {

namespace {

using Failure = Availability::Failure;

TransportStep failed(bool transportError, bool unreachable, const QString &error)
{
    TransportStep step{TransportStep::Next::Fail};
    step.failure = Availability::unchecked(transportError ? Failure::Unreachable : Failure::BadAnswer, error);
    step.hostUnreachable = transportError && unreachable;
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
    return failed(outcome.transportError, outcome.unreachable, outcome.error);
}

TransportStep stepAfter(const Http2Connection::Outcome &outcome, bool onNewConnection)
{
    if (outcome.notHttp2)
        return {TransportStep::Next::AskOverHttp1};
    if (outcome.unprocessed && !onNewConnection)
        return {TransportStep::Next::AskOnNewConnection};
    if (outcome.answer)
        return {TransportStep::Next::Read, outcome.answer};
    return failed(outcome.transportError, outcome.unreachable, outcome.error);
}

} // namespace varnex::registrar
