#pragma once

#include <QString>

#include <chrono>
#include <optional>

namespace varnex::registrar {

// What a registry said of one name.
struct Availability {
    enum class State {
        NotRegistered, // a 404 from the name's own registry: offered on the page
        Registered,
        Invalid,   // the registry calls the name invalid
        Unchecked, // no usable answer; `reason` says why
    };
    // Why a name could not be checked, as a page that checked nothing sums it up.
    enum class Failure {
        None,
        Unreachable, // no connection, no answer in time
        BadAnswer,   // an answer that cannot be taken: an error status, odd framing, another name
        Busy,        // too many lookups waiting, or the registry asked to slow down
        Certificate, // the registry's TLS certificate could not be verified: not the network's fault
    };
    State state = State::Unchecked;
    QString reason;
    Failure failure = Failure::None;
    // Busy: when asking again may help.
    std::optional<std::chrono::seconds> retryIn;
    // Taken from the cache: how long ago the registry gave this answer.
    std::optional<std::chrono::seconds> age;

    static Availability unchecked(Failure failure, const QString &why) { return {State::Unchecked, why, failure}; }
    static Availability busy(const QString &why, std::chrono::seconds retryIn)
    {
        return {State::Unchecked, why, Failure::Busy, retryIn};
    }
    // A registry's own word on the name: registered or not.
    bool isVerdict() const { return state == State::NotRegistered || state == State::Registered; }
};

} // namespace varnex::registrar
