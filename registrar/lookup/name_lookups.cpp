#include "lookup/name_lookups.h"

#include <algorithm>

namespace varnex::registrar {

namespace {

Availability registeredByDns()
{
    return {Availability::State::Registered, QStringLiteral("it has name servers")};
}

} // namespace

NameLookups::Subscription::Subscription(NameLookups *owner, Ticket ticket, Holders::iterator holder)
    : m_owner(owner), m_ticket(ticket), m_holder(holder)
{
}

NameLookups::Subscription::Subscription(Subscription &&other) noexcept
    : m_owner(other.m_owner), m_ticket(other.m_ticket), m_holder(other.m_holder)
{
    other.m_owner = nullptr;
}

NameLookups::Subscription &NameLookups::Subscription::operator=(Subscription &&other) noexcept
{
    if (this != &other) {
        drop();
        m_owner = other.m_owner;
        m_ticket = other.m_ticket;
        m_holder = other.m_holder;
        other.m_owner = nullptr;
    }
    return *this;
}

void NameLookups::Subscription::stopWaiting()
{
    if (m_owner)
        m_owner->stopWaiting(m_ticket, m_holder);
}

void NameLookups::Subscription::drop()
{
    if (NameLookups *owner = m_owner) {
        m_owner = nullptr;
        owner->release(m_ticket, m_holder);
    }
}

NameLookups::NameLookups(Bootstrap bootstrap, Settings settings, QObject *parent)
    : QObject(parent), m_rdap(std::move(bootstrap), settings.rdap)
{
    if (settings.dns)
        m_dns = std::make_unique<DnsScreen>(*settings.dns);
}

NameLookups::~NameLookups() = default;

std::optional<Availability> NameLookups::cached(const QString &domain)
{
    return m_cache.find(domain);
}

NameLookups::Subscription NameLookups::screen(const QString &domain, quint64 asker, Screened screened)
{
    if (!m_dns)
        return {};
    if (const auto asked = m_screening.constFind(domain); asked != m_screening.cend()) {
        m_dns->share(*asked, asker);
        return hold(*asked, {std::move(screened), {}});
    }
    const Ticket ticket = m_nextTicket++;
    m_questions[ticket] = {domain, true, {}};
    m_screening.insert(domain, ticket);
    Subscription subscription = hold(ticket, {std::move(screened), {}});
    m_dns->screen(
        ticket, domain, [this, ticket](DnsVerdict verdict) { onScreened(ticket, verdict); }, asker);
    return subscription;
}

NameLookups::Subscription NameLookups::lookUp(const QString &domain, bool likelyFree, Answered answered)
{
    if (const auto asked = m_lookingUp.constFind(domain); asked != m_lookingUp.cend())
        return hold(*asked, {{}, std::move(answered)});
    const Ticket ticket = m_nextTicket++;
    m_questions[ticket] = {domain, false, {}};
    m_lookingUp.insert(domain, ticket);
    Subscription subscription = hold(ticket, {{}, std::move(answered)});
    m_rdap.lookup(
        ticket, domain, [this, ticket, domain](const Availability &answer) { onAnswered(ticket, domain, answer); },
        likelyFree);
    return subscription;
}

NameLookups::Subscription NameLookups::hold(Ticket ticket, Holder holder)
{
    Holders &holders = m_questions.at(ticket).holders;
    return {this, ticket, holders.insert(holders.end(), std::move(holder))};
}

// A question nobody holds is withdrawn if it has not gone out. One already
// out stops standing for its name: its answer only goes into the cache.
void NameLookups::release(Ticket ticket, Holders::iterator holder)
{
    const auto found = m_questions.find(ticket);
    if (found == m_questions.end())
        return; // answered or withdrawn already
    found->second.holders.erase(holder);
    if (!found->second.holders.empty())
        return;
    if (found->second.dns)
        m_dns->cancel(ticket);
    else
        m_rdap.cancel(ticket);
    take(ticket);
}

void NameLookups::stopWaiting(Ticket ticket, Holders::iterator holder)
{
    const auto found = m_questions.find(ticket);
    if (found == m_questions.end() || !found->second.dns)
        return;
    holder->waiting = false;
    const Holders &holders = found->second.holders;
    if (std::none_of(holders.begin(), holders.end(), [](const Holder &each) { return each.waiting; })
        && !m_dns->endWait(ticket))
        take(ticket); // it was never sent, and never will be
}

// The question out of the books: its answer, if any comes, is no one's.
std::optional<NameLookups::Question> NameLookups::take(Ticket ticket)
{
    const auto found = m_questions.find(ticket);
    if (found == m_questions.end())
        return std::nullopt;
    Question question = std::move(found->second);
    m_questions.erase(found);
    (question.dns ? m_screening : m_lookingUp).remove(question.domain);
    return question;
}

void NameLookups::onScreened(Ticket ticket, DnsVerdict verdict)
{
    const std::optional<Question> question = take(ticket);
    if (!question)
        return;
    if (verdict == DnsVerdict::HasNameServers) {
        m_cache.store(question->domain, registeredByDns());
        withdrawLookup(question->domain, registeredByDns());
    }
    for (const Holder &holder : question->holders)
        holder.screened(verdict);
}

void NameLookups::onAnswered(Ticket ticket, const QString &domain, const Availability &answer)
{
    m_cache.store(domain, answer);
    if (const std::optional<Question> question = take(ticket)) {
        for (const Holder &holder : question->holders)
            holder.answered(answer);
    }
}

// DNS has just settled the name: its registry lookup, if still queued, is
// never sent, and its holders take DNS's word. One already out is left to its
// registry.
void NameLookups::withdrawLookup(const QString &domain, const Availability &answer)
{
    const Ticket ticket = m_lookingUp.value(domain);
    if (ticket == 0 || !m_rdap.cancel(ticket))
        return;
    if (const std::optional<Question> question = take(ticket)) {
        for (const Holder &holder : question->holders)
            holder.answered(answer);
    }
}

} // namespace varnex::registrar
