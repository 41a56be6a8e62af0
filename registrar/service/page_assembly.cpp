#include "service/page_assembly.h"

#include "names/candidates.h"
#include "names/name_rules.h"
#include "service/whois_page.h"

#include <QTimer>

#include <algorithm>

namespace varnex::registrar {

namespace {

constexpr qint64 kRetryAfterSeconds = 30; // when no registry could be reached or gave a usable answer
constexpr qint64 kLongestRetryAfterSeconds = 3600;

// A page on which no name got a registry's own word: what happened, for the
// status line the window shows, and when to try again. Waiting lookups say
// the most (try later), then errors (asking again will not help soon), then silence.
std::pair<QByteArray, qint64> whyNothingWasChecked(const QList<CheckedName> &names)
{
    using Failure = Availability::Failure;
    qint64 busyFor = 0;
    bool errors = false;
    for (const CheckedName &name : names) {
        if (!name.answer)
            continue; // no answer in time: unreachable
        if (name.answer->failure == Failure::Busy)
            busyFor = std::max<qint64>({busyFor, 1, name.answer->retryIn.value_or(std::chrono::seconds(1)).count()});
        else if (name.answer->failure == Failure::BadAnswer || name.answer->state == Availability::State::Invalid)
            errors = true;
    }
    if (busyFor > 0) {
        busyFor = std::min(busyFor, kLongestRetryAfterSeconds);
        return {"Too many lookups waiting; try again in " + QByteArray::number(busyFor) + " s", busyFor};
    }
    if (errors)
        return {"The registries answered with errors", kRetryAfterSeconds};
    return {"Could not reach the registries; check the network connection", kRetryAfterSeconds};
}

} // namespace

struct PageJob {
    enum class Step : char { Screening, ForRegistry, NotInDns, Asked, Settled };

    PageAssembly::Done done;
    quint64 number = 0; // in the order pages started
    QString requested;
    QList<CheckedName> names; // in rank order
    QList<Step> steps;        // one a name
    int screening = 0;        // DNS verdicts the page still waits for
    int questions = 0;        // DNS questions this page asked
    int waiting = 0;          // registry answers still to come
    int lookups = 0;          // registry lookups this page asked for
    int free = 0;
    int cacheHits = 0;
    qsizetype notNeeded = 0; // candidates after enough free names came from the cache
    QString note;            // one line on the page about what was asked
    bool screenOver = false;
    bool answered = false;
};

namespace {

Availability registeredByDns()
{
    return {Availability::State::Registered, QStringLiteral("it has name servers")};
}

bool isFree(const PageJob &job, qsizetype i)
{
    return job.steps[i] == PageJob::Step::Settled && job.names[i].answer->state == Availability::State::NotRegistered;
}

// Just past the `enough`-th free name in rank order, if the page has that
// many: names below it can no longer make the page.
std::optional<qsizetype> cutOf(const PageJob &job, int enough)
{
    int free = 0;
    for (qsizetype i = 0; i < job.names.size(); ++i) {
        if (isFree(job, i) && ++free >= enough)
            return i + 1;
    }
    return std::nullopt;
}

// The page holds `enough` free names and every name ranked above the last of them is settled.
bool bestRankedAreSettled(const PageJob &job, int enough)
{
    int free = 0;
    for (qsizetype i = 0; i < job.names.size(); ++i) {
        if (job.steps[i] != PageJob::Step::Settled)
            return false;
        if (isFree(job, i) && ++free >= enough)
            return true;
    }
    return false;
}

} // namespace

PageAssembly::PageAssembly(Bootstrap bootstrap, Settings settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_rdap(std::move(bootstrap), settings.rdap), m_candidates(2000)
{
    if (settings.dns)
        m_dns = std::make_unique<DnsScreen>(*settings.dns);
}

PageAssembly::~PageAssembly() = default;

void PageAssembly::setBootstrap(Bootstrap bootstrap)
{
    m_rdap.setBootstrap(std::move(bootstrap));
}

void PageAssembly::start(const QString &requested, Done done)
{
    auto job = std::make_shared<PageJob>();
    job->done = std::move(done);
    job->number = ++m_pages;
    job->requested = requested;
    const LabelCheck label = checkLabel(job->requested);
    if (!label) {
        // A refusal is a failure the window reports, not an empty list.
        const QByteArray reason = "Not a name that can be registered: " + label.refusal.toLatin1();
        job->done({400, invalidNamePage(job->requested, label.refusal), {}, reason, label.refusal.toLatin1()});
        return;
    }
    QStringList *candidates = m_candidates.object(label.label);
    if (!candidates) {
        candidates = new QStringList(label.phrase ? candidatesForPhrase(label.label, m_settings.words.get())
                                                  : candidatesFor(label.label, m_settings.words.get()));
        m_candidates.insert(label.label, candidates); // the cache owns it from here
    }
    if (label.phrase) {
        // Text longer than a name is a phrase: names of its words, and one line on why it is not among them.
        if (candidates->isEmpty()) {
            const QString refusal = QStringLiteral("longer than 63 characters, with no words to make names of");
            job->done({400,
                       invalidNamePage(job->requested, refusal),
                       {},
                       "Not a name that can be registered: " + refusal.toLatin1(),
                       refusal.toLatin1()});
            return;
        }
        job->note = QStringLiteral("The text is longer than a name may be (63 characters), so it is not checked "
                                   "itself; these names are made of its words.");
    }
    // Names past the point where the cache alone has enough free ones are not needed.
    for (const QString &domain : *candidates) {
        if (job->free >= m_settings.enoughFree)
            break;
        const int i = int(job->names.size());
        job->names.append({domain, std::nullopt});
        job->steps.append(PageJob::Step::ForRegistry);
        if (std::optional<Availability> cached = m_cache.find(domain)) {
            settle(job, i, *cached);
            ++job->cacheHits;
        } else if (m_dns && job->questions < m_settings.maxDnsQuestionsPerPage) {
            job->steps[i] = PageJob::Step::Screening;
            ++job->screening;
            ++job->questions;
            screen(job, i);
        }
    }
    job->notNeeded = candidates->size() - job->names.size();
    if (job->screening == 0) {
        askRegistries(job);
    } else {
        // A resolver that drops questions or stalls does not hold the page: what
        // it has not screened by then goes to the registries.
        QTimer::singleShot(m_settings.screenWait, this, [this, weak = std::weak_ptr<PageJob>(job)] {
            if (const std::shared_ptr<PageJob> job = weak.lock(); job && !job->screenOver)
                askRegistries(job);
        });
    }
    if (job->answered)
        return;
    // Whatever happens, the page is answered in time, with what is still pending unchecked.
    QTimer::singleShot(m_settings.pageDeadline, this, [this, weak = std::weak_ptr<PageJob>(job)] {
        if (const std::shared_ptr<PageJob> job = weak.lock())
            finishPage(job);
    });
}

void PageAssembly::settle(const std::shared_ptr<PageJob> &job, int index, const Availability &answer)
{
    job->names[index].answer = answer;
    job->steps[index] = PageJob::Step::Settled;
    if (answer.state == Availability::State::NotRegistered)
        ++job->free;
}

void PageAssembly::screen(const std::shared_ptr<PageJob> &job, int index)
{
    const QString domain = job->names[index].domain;
    auto done = [this, job, index](DnsScreen::Verdict verdict) {
        if (job->answered)
            return;
        const bool registered = verdict == DnsScreen::Verdict::HasNameServers;
        const PageJob::Step step = job->steps[index];
        if (step == PageJob::Step::Screening) {
            --job->screening;
            if (registered)
                settle(job, index, registeredByDns());
            else
                job->steps[index] =
                    verdict == DnsScreen::Verdict::NoNameServers ? PageJob::Step::NotInDns : PageJob::Step::ForRegistry;
            if (job->screening == 0)
                askRegistries(job);
            else
                finishIfDone(job);
        } else if (registered && (step == PageJob::Step::ForRegistry || step == PageJob::Step::NotInDns)) {
            // Too late for the screen, for a name the page has not asked about (yet).
            settle(job, index, registeredByDns());
            finishIfDone(job);
        }
        // A name already asked about: withdrawUnsentLookup() settled it if its lookup had not gone out.
    };
    Screening &screening = m_screening[domain];
    screening.pages.append({job.get(), std::move(done)});
    if (screening.pages.size() > 1) {
        m_dns->share(screening.ticket, job->number);
        return;
    }
    const DnsScreen::Ticket ticket = m_dns->screen(
        domain,
        [this, domain](DnsScreen::Verdict verdict) {
            const Screening screening = m_screening.take(domain);
            if (verdict == DnsScreen::Verdict::HasNameServers) {
                m_cache.store(domain, registeredByDns());
                withdrawUnsentLookup(domain, registeredByDns());
            }
            for (const auto &[page, callback] : screening.pages)
                callback(verdict);
        },
        job->number);
    m_screening[domain].ticket = ticket;
}

// Asks the registries about the names that need it, best ranked first, as far
// as the page's share of lookups goes and no further than a free name could
// still make the page; ends the page when it is done.
void PageAssembly::askRegistries(const std::shared_ptr<PageJob> &job)
{
    if (job->answered)
        return;
    if (!job->screenOver) {
        // The screen is done or its time is up: what it did not screen goes to
        // the registries like the rest.
        job->screenOver = true;
        job->screening = 0;
        for (int i = 0; i < job->names.size(); ++i) {
            if (job->steps[i] == PageJob::Step::Screening) {
                job->steps[i] = PageJob::Step::ForRegistry;
                endScreenWait(job->names[i].domain);
            }
        }
    }
    const qsizetype cut = cutOf(*job, m_settings.enoughFree).value_or(job->names.size());
    for (int i = 0; i < cut && job->lookups < m_settings.maxLookupsPerPage; ++i) {
        if (job->steps[i] != PageJob::Step::ForRegistry && job->steps[i] != PageJob::Step::NotInDns)
            continue;
        const bool likelyFree = job->steps[i] == PageJob::Step::NotInDns;
        job->steps[i] = PageJob::Step::Asked;
        ++job->lookups;
        ++job->waiting;
        lookup(job->names[i].domain, job.get(), likelyFree, [this, job, i](const Availability &answer) {
            if (job->answered)
                return;
            --job->waiting;
            settle(job, i, answer);
            finishIfDone(job);
        });
    }
    finishIfDone(job);
}

// A page is answered when its best-ranked free names are known, or when
// nothing more can be learned in time: every lookup it could send is answered.
void PageAssembly::finishIfDone(const std::shared_ptr<PageJob> &job)
{
    if ((job->screenOver && job->waiting == 0) || bestRankedAreSettled(*job, m_settings.enoughFree))
        finishPage(job);
}

void PageAssembly::lookup(const QString &domain, const PageJob *job, bool likelyFree, RdapClient::Done done)
{
    Waiting &waiting = m_inFlight[domain];
    waiting.pages.append({job, std::move(done)});
    if (waiting.pages.size() > 1)
        return;
    waiting.ticket = m_rdap.lookup(
        domain,
        [this, domain](const Availability &answer) {
            m_cache.store(domain, answer);
            const Waiting waiting = m_inFlight.take(domain);
            for (const auto &[page, callback] : waiting.pages)
                callback(answer);
        },
        likelyFree);
}

// DNS has just settled a name: if its lookup still waits in the queue it is
// never sent, and every page waiting for it takes DNS's word (the lookup still
// counts in their shares: it was theirs to send). One already sent is left to
// its registry.
void PageAssembly::withdrawUnsentLookup(const QString &domain, const Availability &answer)
{
    const auto found = m_inFlight.constFind(domain);
    if (found == m_inFlight.cend())
        return;
    // RdapClient does not say whether a lookup has gone out; a queue that got shorter does.
    const int queued = m_rdap.queued();
    m_rdap.cancel(found->ticket);
    if (m_rdap.queued() == queued)
        return;
    const Waiting waiting = m_inFlight.take(domain);
    for (const auto &[page, callback] : waiting.pages)
        callback(answer);
}

// A page that is answered no longer waits; a lookup nobody waits for is not sent.
void PageAssembly::stopWaiting(const PageJob *job)
{
    for (const CheckedName &name : job->names) {
        const auto found = m_inFlight.find(name.domain);
        if (found == m_inFlight.end())
            continue;
        found->pages.removeIf([job](const auto &entry) { return entry.first == job; });
        if (found->pages.isEmpty()) {
            m_rdap.cancel(found->ticket);
            m_inFlight.erase(found);
        }
    }
}

// Every page that asked this question is past its wait for DNS: if it is not
// out yet it never goes, and if it is, it no longer holds a newer page's
// questions back, but its answer may still save a lookup not yet sent.
void PageAssembly::endScreenWait(const QString &domain)
{
    const auto found = m_screening.find(domain);
    if (found == m_screening.end() || !std::all_of(found->pages.cbegin(), found->pages.cend(), [](const auto &entry) {
            return entry.first->screenOver;
        }))
        return;
    if (!m_dns->endWait(found->ticket))
        m_screening.erase(found);
}

// Likewise for DNS: a question no page waits for is withdrawn, so it never
// holds a newer page's questions back.
void PageAssembly::stopScreening(const PageJob *job)
{
    if (!m_dns)
        return;
    for (const CheckedName &name : job->names) {
        const auto found = m_screening.find(name.domain);
        if (found == m_screening.end())
            continue;
        found->pages.removeIf([job](const auto &entry) { return entry.first == job; });
        if (found->pages.isEmpty()) {
            m_dns->cancel(found->ticket);
            m_screening.erase(found);
        }
    }
}

void PageAssembly::finishPage(const std::shared_ptr<PageJob> &job)
{
    if (job->answered)
        return;
    job->answered = true;
    stopWaiting(job.get());
    stopScreening(job.get());
    // The page shows the best-ranked free names, up to enoughFree, and every
    // name ranked above the last of them; a lookup still pending there had no
    // answer in time. Names below are left off, and so are names the page
    // never asked about. Those not settled are counted on the page.
    const std::optional<qsizetype> enoughAt = cutOf(*job, m_settings.enoughFree);
    const bool enough = enoughAt.has_value();
    const qsizetype cut = enoughAt.value_or(job->names.size());
    QList<CheckedName> shown;
    qsizetype notAsked = job->notNeeded;
    for (qsizetype i = 0; i < job->names.size(); ++i) {
        const PageJob::Step step = job->steps[i];
        if (i < cut && (step == PageJob::Step::Settled || step == PageJob::Step::Asked))
            shown.append(job->names[i]);
        else if (step != PageJob::Step::Settled)
            ++notAsked;
    }
    const QString notAskedWhy =
        enough ? QStringLiteral("enough free names were found") : QStringLiteral("the page's share of lookups is used");
    job->names = std::move(shown);
    const QByteArray note = QByteArray::number(job->cacheHits) + " of " + QByteArray::number(job->names.size())
                            + " names from the cache, " + QByteArray::number(job->lookups) + " registry lookups, "
                            + QByteArray::number(job->free) + " free";
    const bool anyAnswered = std::any_of(job->names.begin(), job->names.end(), [](const CheckedName &name) {
        return name.answer && name.answer->isVerdict();
    });
    // No name got a registry's own word: that is a failure to report, not a page on which nothing is free.
    PageAnswer response{200, whoisPage(job->requested, job->names, notAsked, notAskedWhy, job->note), {}, {}, note};
    if (!anyAnswered) {
        const auto [reason, retryAfter] = whyNothingWasChecked(job->names);
        response = {503, response.body, "Retry-After: " + QByteArray::number(retryAfter) + "\r\n", reason, note};
    }
    job->done(response);
}

} // namespace varnex::registrar
