#pragma once

#include "lookup/name_lookups.h"

#include <QObject>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace varnex::registrar {

// Settles names in rank order for one asker until the best-ranked few that
// are not registered are known, or nothing more can be learned: each name
// from the cache, else screened by DNS (within a share of questions and a
// wait), else asked of its registry, best ranked first (within a share of
// lookups, and never below the point where enough free names are known).
class RankedLookups final {
public:
    struct Shares {
        // The most DNS may add: names it has not screened by then go to their
        // registries, and an answer that still comes only saves a lookup not yet sent.
        std::chrono::milliseconds screenWait;
        int maxQuestions; // names past these go to their registries unscreened
        int maxLookups;
        int enough; // free names wanted
    };
    enum class Step : char { Screening, ForRegistry, NotInDns, Asked, Settled };
    struct Name {
        QString domain;
        std::optional<Availability> answer;
        Step step = Step::ForRegistry;
        NameLookups::Subscription screen; // kept past the wait: a late "has name servers" still counts
        NameLookups::Subscription lookup;
    };

    // An answer the asker knows without asking anyone (by rules of its own), or none.
    using KnownAnswer = std::function<std::optional<Availability>(const QString &domain)>;

    // `done` is called once, when the names are settled as far as they can be.
    RankedLookups(NameLookups &lookups, quint64 asker, Shares shares, std::function<void()> done);

    // Perhaps calls `done` before it returns. A name `known` answers is settled
    // with that answer and never asked.
    void start(const QStringList &candidates, const KnownAnswer &known = {});
    // Nothing more is waited for: what no other asker waits for is withdrawn.
    void stop();

    const std::vector<Name> &names() const { return m_names; }
    // Just past the `enough`-th free name, if there are that many.
    std::optional<qsizetype> cut() const;
    int lookups() const { return m_lookups; }
    int free() const { return m_free; }
    int cacheHits() const { return m_cacheHits; }
    // Candidates left out because the cache alone had enough free names above them.
    qsizetype notNeeded() const { return m_notNeeded; }

private:
    void settle(qsizetype index, const Availability &answer);
    void onScreened(qsizetype index, DnsVerdict verdict);
    void askRegistries();
    void finishIfDone();
    bool bestRankedAreSettled() const;

    NameLookups &m_nameLookups;
    quint64 m_asker;
    Shares m_shares;
    std::function<void()> m_done;
    std::vector<Name> m_names; // in rank order
    int m_screening = 0;       // DNS verdicts still waited for
    int m_questions = 0;       // DNS questions asked
    int m_waiting = 0;         // registry answers still to come
    int m_lookups = 0;         // registry lookups asked for
    int m_free = 0;
    int m_cacheHits = 0;
    qsizetype m_notNeeded = 0;
    bool m_screenOver = false;
    bool m_over = false;
    QObject m_timers; // the screen's wait ends with this
};

} // namespace varnex::registrar
