#include "lookup/availability_cache.h"

namespace varnex::registrar {

std::optional<Availability> AvailabilityCache::find(const QString &domain, Clock::time_point now)
{
    const auto found = m_index.constFind(domain);
    if (found == m_index.constEnd())
        return std::nullopt;
    const Order::iterator entry = *found;
    if (entry->expires <= now) {
        m_index.erase(found);
        m_entries.erase(entry);
        return std::nullopt;
    }
    m_entries.splice(m_entries.begin(), m_entries, entry);
    Availability answer = entry->answer;
    answer.age = std::chrono::duration_cast<std::chrono::seconds>(now - entry->answered);
    return answer;
}

void AvailabilityCache::store(const QString &domain, const Availability &answer, Clock::time_point now)
{
    Clock::duration keep{};
    if (answer.state == Availability::State::NotRegistered)
        keep = kNotRegisteredFor;
    else if (answer.state == Availability::State::Registered)
        keep = kRegisteredFor;
    else
        return;

    if (const auto found = m_index.constFind(domain); found != m_index.constEnd()) {
        m_entries.erase(*found);
        m_index.erase(found);
    }
    m_entries.push_front({domain, answer, now, now + keep});
    m_index.insert(domain, m_entries.begin());
    while (m_entries.size() > m_capacity) {
        m_index.remove(m_entries.back().domain);
        m_entries.pop_back();
    }
}

} // namespace varnex::registrar
