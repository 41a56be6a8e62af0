#include "lookup/lookup_queue.h"

#include <algorithm>

namespace varnex::registrar {

void LookupQueue::pushBack(PendingLookup lookup, Clock::time_point now)
{
    lookup.queuedAt = now;
    m_lookups.push_back(std::move(lookup));
}

void LookupQueue::pushFront(PendingLookup lookup, Clock::time_point now)
{
    lookup.queuedAt = now;
    m_lookups.push_front(std::move(lookup));
}

PendingLookup LookupQueue::takeFront()
{
    PendingLookup lookup = std::move(m_lookups.front());
    m_lookups.pop_front();
    return lookup;
}

bool LookupQueue::remove(quint64 ticket)
{
    return std::erase_if(m_lookups, [ticket](const PendingLookup &lookup) { return lookup.ticket == ticket; }) > 0;
}

std::vector<PendingLookup> LookupQueue::takeAll()
{
    std::vector<PendingLookup> all(std::make_move_iterator(m_lookups.begin()),
                                   std::make_move_iterator(m_lookups.end()));
    m_lookups.clear();
    return all;
}

std::vector<PendingLookup> LookupQueue::takeExpired(Clock::time_point now)
{
    std::vector<PendingLookup> expired;
    while (!m_lookups.empty() && now - m_lookups.front().queuedAt >= m_timeout)
        expired.push_back(takeFront());
    return expired;
}

std::chrono::milliseconds LookupQueue::waitLeft(Clock::time_point now) const
{
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_lookups.front().queuedAt);
    return std::max(std::chrono::milliseconds(0), m_timeout - waited);
}

} // namespace varnex::registrar
