#pragma once

#include "lookup/availability_cache.h"
#include "lookup/bootstrap.h"
#include "lookup/dns_screen.h"
#include "service/guarded_tcp_server.h"
#include "lookup/rdap_client.h"
#include "names/word_knowledge.h"

#include <QAbstractHttpServer>
#include <QCache>
#include <QHash>

#include <chrono>
#include <memory>
#include <optional>

namespace varnex::registrar {

struct PageJob;

// The registrar's WHOIS page, GET or HEAD /whois.cgi?vhost_name=NAME, answered
// from the registries over RDAP. Other paths answer 404, other methods 405, a
// request target over 2 KB 414, a Host that is not this service 421, a name
// that cannot be registered 400, a page on which no registry could answer 503.
// Answers go out in request order, in the client's HTTP version. One line per
// request goes to standard error.
class RegistrarServer final : public QAbstractHttpServer {
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
        int maxLookupsPerPage = 60; // registry lookups one page may ask for
        // The page is answered once it holds this many free names and every
        // name ranked above the last of them is settled.
        int enoughFree = 30;
        // Words for suggestions; none: the fixed prefixes and suffixes only.
        std::shared_ptr<const WordKnowledge> words;
    };

    RegistrarServer(Bootstrap bootstrap, Settings settings, QObject *parent = nullptr);
    ~RegistrarServer() override;

    // Listens with the connection limits on; returns the port, 0 on failure.
    quint16 listenGuarded(const QHostAddress &address, quint16 port, GuardedTcpServer::Limits limits = {});

    const RdapClient &rdap() const { return m_rdap; }
    const DnsScreen *dns() const { return m_dns.get(); } // none without a resolver
    // New lookups go to the services this one names; those already queued keep their URL.
    void setBootstrap(Bootstrap bootstrap);
    // Empty when the DNS screen, if asked for, is ready; otherwise why not.
    QString dnsError() const { return m_dns ? m_dns->error() : QString(); }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    void startPage(const QHttpServerRequest &request, const std::shared_ptr<PageJob> &job);
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
    QHash<QString, Waiting> m_inFlight; // one lookup per name, however many pages wait for it
    QHash<QString, Screening> m_screening; // likewise one DNS question per name
    quint64 m_pages = 0;                    // pages started: the newest page's DNS questions go first
    QCache<QString, QStringList> m_candidates;            // by label: made once, asked again often
};

} // namespace varnex::registrar
