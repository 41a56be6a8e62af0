#pragma once

#include "lookup/availability_cache.h"
#include "lookup/bootstrap.h"
#include "lookup/dns_screen.h"
#include "lookup/lookup_ticket.h"
#include "lookup/rdap_client.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <unordered_map>

namespace varnex::registrar {

// Everything the service finds out about names, and the one owner of it: the
// answers kept (AvailabilityCache), DNS first where there is a resolver
// (DnsScreen), and the registries (RdapClient). A name has one DNS question
// and one registry lookup at a time, however many askers wait for it; each
// asker holds a Subscription to it, which hears that question's answer and no
// other, and lets go when dropped. A question nobody holds any more is
// withdrawn if it has not gone out; one already out still answers into the
// cache, but no longer stands for the name: the next asker gets a question of
// its own, under a new ticket, and never an answer that was meant for another.
class NameLookups final : public QObject {
    Q_OBJECT

public:
    using Ticket = LookupTicket;
    using Screened = std::function<void(DnsVerdict)>;
    using Answered = std::function<void(const Availability &)>;
    struct Settings {
        RdapClient::Settings rdap;
        std::optional<DnsScreen::Settings> dns; // none: no DNS screen
    };

private:
    struct Holder {
        Screened screened; // a DNS question's holder
        Answered answered; // a registry lookup's holder
        bool waiting = true;
    };
    using Holders = std::list<Holder>;

public:
    // An asker's hold on one question: it carries the question's ticket. Move
    // only; empty when made by default or moved from.
    class Subscription final {
    public:
        Subscription() = default;
        Subscription(Subscription &&other) noexcept;
        Subscription &operator=(Subscription &&other) noexcept;
        ~Subscription() { drop(); }

        Ticket ticket() const { return m_ticket; }
        // The asker has stopped waiting for DNS but would still take a late
        // answer: once no holder waits, a question not yet sent never is, and
        // one out no longer holds a place from newer askers' questions.
        void stopWaiting();
        // Lets go: the answer is no longer delivered here.
        void drop();

    private:
        friend class NameLookups;
        Subscription(NameLookups *owner, Ticket ticket, Holders::iterator holder);

        QPointer<NameLookups> m_owner;
        Ticket m_ticket = 0;
        Holders::iterator m_holder;
    };

    NameLookups(Bootstrap bootstrap, Settings settings, QObject *parent = nullptr);
    ~NameLookups() override;

    // A recent registry answer for the name, with its age.
    std::optional<Availability> cached(const QString &domain);
    bool screens() const { return m_dns != nullptr; }
    // Asks DNS whether the name has name servers (only when screens()).
    // `asker` grows with every asker: the newest asker's questions go first. A
    // name with name servers is kept as registered, and its registry lookup,
    // if not yet sent, is withdrawn and its holders told "registered".
    Subscription screen(const QString &domain, quint64 asker, Screened screened);
    // Asks the name's registry (see RdapClient::lookup); the answer is kept.
    Subscription lookUp(const QString &domain, bool likelyFree, Answered answered);

    const RdapClient &rdap() const { return m_rdap; }
    const DnsScreen *dns() const { return m_dns.get(); } // none without a resolver
    // New lookups go to the services this one names; those already queued keep their URL.
    void setBootstrap(Bootstrap bootstrap) { m_rdap.setBootstrap(std::move(bootstrap)); }
    // Empty when the DNS screen, if asked for, is ready; otherwise why not.
    QString dnsError() const { return m_dns ? m_dns->error() : QString(); }

private:
    struct Question {
        QString domain;
        bool dns = false; // a DNS question, not a registry lookup
        Holders holders;
    };

    Subscription hold(Ticket ticket, Holder holder);
    void release(Ticket ticket, Holders::iterator holder);
    void stopWaiting(Ticket ticket, Holders::iterator holder);
    std::optional<Question> take(Ticket ticket);
    void onScreened(Ticket ticket, DnsVerdict verdict);
    void onAnswered(Ticket ticket, const QString &domain, const Availability &answer);
    void withdrawLookup(const QString &domain, const Availability &answer);

    AvailabilityCache m_cache;
    RdapClient m_rdap;
    std::unique_ptr<DnsScreen> m_dns;
    Ticket m_nextTicket = 1;
    std::unordered_map<Ticket, Question> m_questions;
    QHash<QString, Ticket> m_screening; // the name's DNS question
    QHash<QString, Ticket> m_lookingUp; // the name's registry lookup
};

} // namespace varnex::registrar
