#pragma once

#include "lookup/availability.h"

#include <QHash>
#include <QString>

#include <chrono>
#include <list>
#include <optional>

namespace varnex::registrar {

// Recent answers, least recently used out when full. "Not registered" is kept
// for a minute, since a name can be taken at any moment and offering it stale
// costs the user a failed purchase; "registered" for an hour, since names are
// rarely let go. Other answers are not kept, so a failure is asked again next
// time. An answer found here carries its age.
class AvailabilityCache final {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::size_t kCapacity = 50000;
    static constexpr std::chrono::seconds kNotRegisteredFor{60};
    static constexpr std::chrono::hours kRegisteredFor{1};

    explicit AvailabilityCache(std::size_t capacity = kCapacity) : m_capacity(capacity) { }

    std::optional<Availability> find(const QString &domain, Clock::time_point now = Clock::now());
    void store(const QString &domain, const Availability &answer, Clock::time_point now = Clock::now());
    std::size_t size() const { return m_entries.size(); }

private:
    struct Entry {
        QString domain;
        Availability answer;
        Clock::time_point answered;
        Clock::time_point expires;
    };
    using Order = std::list<Entry>; // most recently used first

    std::size_t m_capacity;
    Order m_entries;
    QHash<QString, Order::iterator> m_index;
};

} // namespace varnex::registrar
