#pragma once

#include "lookup/availability.h"

#include <QDateTime>
#include <QString>

#include <chrono>
#include <optional>

namespace varnex::registrar {

// When a registry host is left alone: after it asked to slow down (a 429), and
// for a while after it could not be reached at all or its certificate was
// refused, when every lookup would fail the same way. The answer to a lookup
// asked meanwhile, or nothing.
class HostBackOff final {
public:
    using Clock = std::chrono::steady_clock;

    void quietUntil(const QDateTime &until) { m_quietUntil = until; }
    void unreachableUntil(Clock::time_point until, const Availability &failure);

    std::optional<Availability> whileQuiet(const QDateTime &now) const;
    std::optional<Availability> whileUnreachable(Clock::time_point now) const;

private:
    QDateTime m_quietUntil;
    Clock::time_point m_unreachableUntil;
    Availability m_unreachable;
};

} // namespace varnex::registrar
