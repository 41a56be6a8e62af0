#include "lookup/ranked_lookups.h"

#include <QTimer>

namespace varnex::registrar {

namespace {

Availability registeredByDns()
{
    return {Availability::State::Registered, QStringLiteral("it has name servers")};
}

bool isFree(const RankedLookups::Name &name)
{
    return name.step == RankedLookups::Step::Settled && name.answer->state == Availability::State::NotRegistered;
}

} // namespace

RankedLookups::RankedLookups(NameLookups &lookups, quint64 asker, Shares shares, std::function<void()> done)
    : m_nameLookups(lookups), m_asker(asker), m_shares(shares), m_done(std::move(done))
{
}

void RankedLookups::start(const QStringList &candidates, const KnownAnswer &known)
{
    m_names.reserve(std::size_t(candidates.size()));
    // Names past the point where the cache alone has enough free ones are not needed.
    for (const QString &domain : candidates) {
        if (m_free >= m_shares.enough)
            break;
        const qsizetype i = qsizetype(m_names.size());
        Name &name = m_names.emplace_back(Name{domain, std::nullopt});
        if (std::optional<Availability> answer = known ? known(domain) : std::nullopt) {
            settle(i, *answer);
        } else if (std::optional<Availability> cached = m_nameLookups.cached(domain)) {
            settle(i, *cached);
            ++m_cacheHits;
        } else if (m_nameLookups.screens() && m_questions < m_shares.maxQuestions) {
            name.step = Step::Screening;
            ++m_screening;
            ++m_questions;
            name.screen =
                m_nameLookups.screen(domain, m_asker, [this, i](DnsVerdict verdict) { onScreened(i, verdict); });
        }
    }
    m_notNeeded = candidates.size() - qsizetype(m_names.size());
    if (m_screening == 0) {
        askRegistries();
        return;
    }
    // A resolver that drops questions or stalls does not hold the names back:
    // what it has not screened by then goes to the registries.
    QTimer::singleShot(m_shares.screenWait, &m_timers, [this] {
        if (!m_screenOver)
            askRegistries();
    });
}

void RankedLookups::stop()
{
    m_over = true;
    // Lookups first, then DNS questions, which then no longer hold a newer asker's back.
    for (Name &name : m_names)
        name.lookup.drop();
    for (Name &name : m_names)
        name.screen.drop();
}

std::optional<qsizetype> RankedLookups::cut() const
{
    int free = 0;
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (isFree(m_names[i]) && ++free >= m_shares.enough)
            return qsizetype(i) + 1;
    }
    return std::nullopt;
}

void RankedLookups::settle(qsizetype index, const Availability &answer)
{
    Name &name = m_names[std::size_t(index)];
    name.answer = answer;
    name.step = Step::Settled;
    if (answer.state == Availability::State::NotRegistered)
        ++m_free;
}

void RankedLookups::onScreened(qsizetype index, DnsVerdict verdict)
{
    if (m_over)
        return;
    const bool registered = verdict == DnsVerdict::HasNameServers;
    Name &name = m_names[std::size_t(index)];
    if (name.step == Step::Screening) {
        --m_screening;
        if (registered)
            settle(index, registeredByDns());
        else
            name.step = verdict == DnsVerdict::NoNameServers ? Step::NotInDns : Step::ForRegistry;
        if (m_screening == 0)
            askRegistries();
        else
            finishIfDone();
    } else if (registered && (name.step == Step::ForRegistry || name.step == Step::NotInDns)) {
        // Too late for the screen, for a name not asked about (yet).
        settle(index, registeredByDns());
        finishIfDone();
    }
    // A name already asked about: its lookup, if not yet sent, was withdrawn and answered "registered".
}

// Asks the registries about the names that need it, best ranked first, as far
// as the share of lookups goes and no further than a free name could still
// count; ends when that is done.
void RankedLookups::askRegistries()
{
    if (m_over)
        return;
    if (!m_screenOver) {
        // The screen is done or its time is up: what it did not screen goes to
        // the registries like the rest.
        m_screenOver = true;
        m_screening = 0;
        for (Name &name : m_names) {
            if (name.step == Step::Screening) {
                name.step = Step::ForRegistry;
                name.screen.stopWaiting();
            }
        }
    }
    const qsizetype cut = this->cut().value_or(qsizetype(m_names.size()));
    for (qsizetype i = 0; i < cut && m_lookups < m_shares.maxLookups; ++i) {
        Name &name = m_names[std::size_t(i)];
        if (name.step != Step::ForRegistry && name.step != Step::NotInDns)
            continue;
        const bool likelyFree = name.step == Step::NotInDns;
        name.step = Step::Asked;
        ++m_lookups;
        ++m_waiting;
        name.lookup = m_nameLookups.lookUp(name.domain, likelyFree, [this, i](const Availability &answer) {
            if (m_over)
                return;
            --m_waiting;
            settle(i, answer);
            finishIfDone();
        });
    }
    finishIfDone();
}

// Done when the best-ranked free names are known, or when nothing more can be
// learned: every lookup that could be sent is answered.
void RankedLookups::finishIfDone()
{
    if (!m_over && ((m_screenOver && m_waiting == 0) || bestRankedAreSettled()))
        m_done();
}

// There are `enough` free names and every name ranked above the last of them is settled.
bool RankedLookups::bestRankedAreSettled() const
{
    int free = 0;
    for (const Name &name : m_names) {
        if (name.step != Step::Settled)
            return false;
        if (isFree(name) && ++free >= m_shares.enough)
            return true;
    }
    return false;
}

} // namespace varnex::registrar
