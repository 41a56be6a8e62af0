#include "service/page_assembly.h"

#include "names/candidates.h"
#include "names/name_rules.h"
#include "names/registrable.h"
#include "service/whois_page.h"

#include <QTimer>

#include <algorithm>

namespace varnex::registrar {

namespace {

constexpr qint64 kRetryAfterSeconds = 30; // when no registry could be reached or gave a usable answer
constexpr qint64 kLongestRetryAfterSeconds = 3600;

// A page on which no name got a registry's own word: what happened, for the
// status line the window shows, and when to try again. A refused certificate
// says the most (no wait mends it, and the network is not at fault: something
// on the way, or the registry, shows another certificate), then waiting
// lookups (try later), then errors (asking again will not help soon), then silence.
std::pair<QByteArray, qint64> whyNothingWasChecked(const QList<CheckedName> &names)
{
    using Failure = Availability::Failure;
    qint64 busyFor = 0;
    bool errors = false;
    bool certificates = false;
    for (const CheckedName &name : names) {
        if (!name.answer || whyNotRegistrable(name.domain))
            continue; // no answer in time (unreachable), or never asked (not sold under its ending)
        if (name.answer->failure == Failure::Busy)
            busyFor = std::max<qint64>({busyFor, 1, name.answer->retryIn.value_or(std::chrono::seconds(1)).count()});
        else if (name.answer->failure == Failure::BadAnswer || name.answer->state == Availability::State::Invalid)
            errors = true;
        certificates = certificates || name.answer->failure == Failure::Certificate;
    }
    if (certificates)
        return {"A registry's certificate could not be verified", kRetryAfterSeconds};
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
    PageJob(NameLookups &lookups, quint64 number, RankedLookups::Shares shares, std::function<void()> settled)
        : number(number), search(lookups, number, shares, std::move(settled))
    {
    }

    quint64 number; // in the order pages started
    QString requested;
    PageAssembly::Done done;
    RankedLookups search;
    QString note; // one line on the page about what was asked
    bool answered = false;
    QObject timers; // the page's deadline ends with it
};

PageAssembly::PageAssembly(Bootstrap bootstrap, Settings settings, QObject *parent)
    : QObject(parent),
      m_settings(settings),
      m_lookups(std::move(bootstrap), {settings.rdap, settings.dns}),
      m_candidates(2000)
{
}

PageAssembly::~PageAssembly() = default;

void PageAssembly::start(const QString &requested, Done done)
{
    const quint64 number = ++m_pages;
    const LabelCheck label = checkLabel(requested);
    if (!label) {
        // A refusal is a failure the window reports, not an empty list.
        const QByteArray reason = "Not a name that can be registered: " + label.refusal.toLatin1();
        done({400, invalidNamePage(requested, label.refusal), {}, reason, label.refusal.toLatin1()});
        return;
    }
    const QStringList &candidates = candidatesOf(label);
    QString note;
    if (label.phrase) {
        // Text longer than a name is a phrase: names of its words, and one line on why it is not among them.
        if (candidates.isEmpty()) {
            const QString refusal = QStringLiteral("longer than 63 characters, with no words to make names of");
            done({400,
                  invalidNamePage(requested, refusal),
                  {},
                  "Not a name that can be registered: " + refusal.toLatin1(),
                  refusal.toLatin1()});
            return;
        }
        note = QStringLiteral("The text is longer than a name may be (63 characters), so it is not checked "
                              "itself; these names are made of its words.");
    }
    const RankedLookups::Shares shares{m_settings.screenWait, m_settings.maxDnsQuestionsPerPage,
                                       m_settings.maxLookupsPerPage, m_settings.enoughFree};
    auto settled = [this, number] { finishPage(*m_open.at(number)); };
    PageJob *job =
        m_open.emplace(number, std::make_unique<PageJob>(m_lookups, number, shares, settled)).first->second.get();
    job->requested = requested;
    job->done = std::move(done);
    job->note = note;
    // A name its ending's registry would not sell is never asked: the page says why.
    job->search.start(candidates, [](const QString &domain) -> std::optional<Availability> {
        if (std::optional<QString> why = whyNotRegistrable(domain))
            return Availability{Availability::State::Invalid, *why};
        return std::nullopt;
    });
    if (job->answered)
        return;
    // Whatever happens, the page is answered in time, with what is still pending unchecked.
    QTimer::singleShot(m_settings.pageDeadline, &job->timers, [this, job] { finishPage(*job); });
}

const QStringList &PageAssembly::candidatesOf(const LabelCheck &label)
{
    // A phrase is longer than any label, so the two never share a key.
    QStringList *candidates = m_candidates.object(label.label);
    if (!candidates) {
        candidates = new QStringList(label.phrase ? candidatesForPhrase(label.label, m_settings.words.get())
                                                  : candidatesFor(label.label, m_settings.words.get()));
        m_candidates.insert(label.label, candidates); // the cache owns it from here
    }
    return *candidates;
}

void PageAssembly::finishPage(PageJob &job)
{
    if (job.answered)
        return;
    job.answered = true;
    job.search.stop();
    const RankedLookups &search = job.search;
    // The page shows the best-ranked free names, up to enoughFree, and every
    // name ranked above the last of them; a lookup still pending there had no
    // answer in time. Names below are left off, and so are names the page
    // never asked about. Those not settled are counted on the page.
    const std::optional<qsizetype> enoughAt = search.cut();
    const qsizetype cut = enoughAt.value_or(qsizetype(search.names().size()));
    QList<CheckedName> shown;
    qsizetype notAsked = search.notNeeded();
    for (qsizetype i = 0; i < qsizetype(search.names().size()); ++i) {
        const RankedLookups::Name &name = search.names()[std::size_t(i)];
        const bool settled = name.step == RankedLookups::Step::Settled;
        if (i < cut && (settled || name.step == RankedLookups::Step::Asked))
            shown.append({name.domain, name.answer});
        else if (!settled)
            ++notAsked;
    }
    const QString notAskedWhy = enoughAt ? QStringLiteral("enough free names were found")
                                         : QStringLiteral("the page's share of lookups is used");
    const QByteArray note = QByteArray::number(search.cacheHits()) + " of " + QByteArray::number(shown.size())
                            + " names from the cache, " + QByteArray::number(search.lookups()) + " registry lookups, "
                            + QByteArray::number(search.free()) + " free";
    const bool anyAnswered = std::any_of(
        shown.begin(), shown.end(), [](const CheckedName &name) { return name.answer && name.answer->isVerdict(); });
    // No name got a registry's own word: that is a failure to report, not a page on which nothing is free.
    PageAnswer response{200, whoisPage(job.requested, shown, notAsked, notAskedWhy, job.note), {}, {}, note};
    if (!anyAnswered) {
        const auto [reason, retryAfter] = whyNothingWasChecked(shown);
        response = {503, response.body, "Retry-After: " + QByteArray::number(retryAfter) + "\r\n", reason, note};
    }
    job.done(response);
    // Not at once: the page may be ending from inside one of its own callbacks.
    QTimer::singleShot(0, this, [this, number = job.number] { m_open.erase(number); });
}

} // namespace varnex::registrar
