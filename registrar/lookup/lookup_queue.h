#pragma once

#include "lookup/availability.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <chrono>
#include <deque>
#include <functional>
#include <vector>

namespace varnex::registrar {

// One name's lookup, from the moment it is asked until it is answered.
struct PendingLookup {
    using Done = std::function<void(const Availability &)>;
    using Clock = std::chrono::steady_clock;

    quint64 ticket = 0;
    QString domain;
    QUrl url;
    Done done;
    int redirects = 0;
    bool needsNewConnection = false;
    Clock::time_point queuedAt;
    QList<QUrl> bases; // the ending's base URLs when it was asked: where a redirect may lead
};

// The lookups waiting for a registry host, oldest first: a bounded number, each
// for a bounded time. A lookup asked again goes in front, past the bound, since
// it already had its turn.
class LookupQueue final {
public:
    using Clock = PendingLookup::Clock;

    LookupQueue(int maxQueued, std::chrono::milliseconds timeout) : m_maxQueued(maxQueued), m_timeout(timeout) { }

    bool empty() const { return m_lookups.empty(); }
    int size() const { return int(m_lookups.size()); }
    bool full() const { return size() >= m_maxQueued; }
    const PendingLookup &front() const { return m_lookups.front(); }

    void pushBack(PendingLookup lookup, Clock::time_point now);
    void pushFront(PendingLookup lookup, Clock::time_point now);
    PendingLookup takeFront();
    // False when no lookup here has that ticket.
    bool remove(quint64 ticket);
    std::vector<PendingLookup> takeAll();
    // The lookups at the front that have waited their time out.
    std::vector<PendingLookup> takeExpired(Clock::time_point now);
    // How long the oldest may still wait.
    std::chrono::milliseconds waitLeft(Clock::time_point now) const;

private:
    int m_maxQueued;
    std::chrono::milliseconds m_timeout;
    std::deque<PendingLookup> m_lookups;
};

} // namespace varnex::registrar
