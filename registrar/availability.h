#pragma once

#include <QString>

namespace varnex::registrar {

// What a registry said of one name.
struct Availability {
    enum class State {
        NotRegistered, // a 404 from the name's own registry: offered on the page
        Registered,
        Invalid,       // the registry calls the name invalid
        Unchecked,     // no usable answer; `reason` says why
    };
    State state = State::Unchecked;
    QString reason;

    static Availability unchecked(const QString &why) { return {State::Unchecked, why}; }
};

} // namespace varnex::registrar
