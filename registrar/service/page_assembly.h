#pragma once

#include "lookup/name_lookups.h"
#include "lookup/ranked_lookups.h"
#include "names/name_rules.h"
#include "names/word_knowledge.h"

#include <QByteArray>
#include <QCache>
#include <QObject>

#include <chrono>
#include <functional>
#include <map>
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

// The WHOIS page for a name: its candidates in rank order, settled by the
// name lookups (cache, DNS, registries) within the page's shares and its
// deadline, and the best-ranked free ones shown. A page on which no registry
// could answer is a 503, a name that cannot be registered a 400.
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
        // comes only saves a lookup not yet sent.
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

    NameLookups &lookups() { return m_lookups; }
    const NameLookups &lookups() const { return m_lookups; }

private:
    const QStringList &candidatesOf(const LabelCheck &label);
    void finishPage(PageJob &job);

    Settings m_settings;
    NameLookups m_lookups;
    QCache<QString, QStringList> m_candidates;          // by label: made once, asked again often
    quint64 m_pages = 0;                                // pages started: the newest page's DNS questions go first
    std::map<quint64, std::unique_ptr<PageJob>> m_open; // by number; dropped before the lookups they hold
};

} // namespace varnex::registrar
