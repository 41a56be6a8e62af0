#pragma once

#include "lookup/availability_cache.h"
#include "lookup/bootstrap.h"
#include "lookup/dns_screen.h"
#include "lookup/rdap_client.h"
#include "names/word_knowledge.h"

#include <QByteArray>
#include <QCache>
#include <QHash>
#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace varnex::registrar {

struct PageJob;

// An answer to a client: the status, its reason phrase when not the standard
// one, extra header lines, the page, and what the log line adds.
struct PageAnswer {
    int status = 200;
    QByteArray body;
    QByteArray extraHeaders;
    QByteArray reason;
    QByteArray note;
};

// The WHOIS page for a name: its candidates in rank order, each from the
// cache, DNS or its registry, within the page's shares and its deadline. A
// page on which no registry could answer is a 503, a name that cannot be
// registered a 400.
class PageAssembly final : public QObject {
    Q_OBJECT

public:
    struct Settings {
        std::chrono::milliseconds pageDeadline = std::chrono::seconds(20);
        RdapClient::Settings rdap;
        // Ask DNS first: a name with name servers is registered, without a lookup.
        std::optional<DnsScreen::Settings> dns;
        // The most DNS may add to a page: names it has not screened by then go to
        // their registries as if there were no screen, and an answer that still
        // comes only saves a lookup not yet sent. A healthy loopback resolver
        // (tests/support/stand_in_dns.py) answers a page's 128 questions, 32 at
        // a time, in 59 ms when each answer takes 10 ms, like a home router's,
        // and in 31 ms with no delay (18 questions: 13 ms and 5 ms).
        std::chrono::milliseconds screenWait = std::chrono::milliseconds(150);
        int maxDnsQuestionsPerPage = 128; // names past these go to their registries unscreened
        int maxLookupsPerPage = 60;       // registry lookups one page may ask for
        // The page is answered once it holds this many free names and every
        // name ranked above the last of them is settled.
        int enoughFree = 30;
        // Words for suggestions; none: the fixed prefixes and suffixes only.
        std::shared_ptr<const WordKnowledge> words;
    };
    using Done = std::function<void(const PageAnswer &)>;

    PageAssembly(Bootstrap bootstrap, Settings settings, QObject *parent = nullptr);
    ~PageAssembly() override;

    // Makes the page for the name asked (as typed, decoded); `done` gets it
    // once, perhaps before this returns.
    void start(const QString &requested, Done done);

    const RdapClient &rdap() const { return m_rdap; }
    const DnsScreen *dns() const { return m_dns.get(); } // none without a resolver
    // New lookups go to the services this one names; those already queued keep their URL.
    void setBootstrap(Bootstrap bootstrap);
    // Empty when the DNS screen, if asked for, is ready; otherwise why not.
    QString dnsError() const { return m_dns ? m_dns->error() : QString(); }

private:
    void settle(const std::shared_ptr<PageJob> &job, int index, const Availability &answer);
    void screen(const std::shared_ptr<PageJob> &job, int index);
    void askRegistries(const std::shared_ptr<PageJob> &job);
    void finishIfDone(const std::shared_ptr<PageJob> &job);
    void finishPage(const std::shared_ptr<PageJob> &job);
    void lookup(const QString &domain, const PageJob *job, bool likelyFree, RdapClient::Done done);
    void withdrawUnsentLookup(const QString &domain, const Availability &answer);
    void stopWaiting(const PageJob *job);
    void stopScreening(const PageJob *job);
    void endScreenWait(const QString &domain);

    struct Waiting {
        RdapClient::Ticket ticket = 0;
        QList<std::pair<const PageJob *, RdapClient::Done>> pages;
    };
    struct Screening {
        DnsScreen::Ticket ticket = 0;
        QList<std::pair<const PageJob *, DnsScreen::Done>> pages;
    };

    Settings m_settings;
    RdapClient m_rdap;
    std::unique_ptr<DnsScreen> m_dns;
    AvailabilityCache m_cache;
    QHash<QString, Waiting> m_inFlight;        // one lookup per name, however many pages wait for it
    QHash<QString, Screening> m_screening;     // likewise one DNS question per name
    quint64 m_pages = 0;                       // pages started: the newest page's DNS questions go first
    QCache<QString, QStringList> m_candidates; // by label: made once, asked again often
};

} // namespace varnex::registrar
