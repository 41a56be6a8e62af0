#pragma once

#include "lookup/dns_answer.h"
#include "lookup/lookup_ticket.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>

class QSocketNotifier;

namespace varnex::registrar {

// Asks DNS whether a name has name servers, through c-ares on this thread's
// event loop. A name that has them is registered, so its registry need not be
// asked; only a registry can say "not registered", so every other outcome
// (no such name, no name servers, no answer) sends the name on to RDAP.
//
// Questions that wait for a place go newest asker first, each asker's in the
// order asked. Every asker (a page) stops waiting for DNS after a short while,
// so the newest one has the most time left to use an answer; a page asked
// under load is screened at once instead of after the backlog of pages that
// have already gone on to the registries, and an older page's questions that
// never get a place send its names to the registries, as a silent resolver
// would. Round-robin would instead give every page a share too small for any
// of them to be screened in time.
class DnsScreen final : public QObject {
    Q_OBJECT

public:
    struct Settings {
        QString resolver; // "HOST[:PORT]"; empty: the system's resolver
        std::chrono::milliseconds timeout = std::chrono::milliseconds(1000); // a try
        int tries = 2;
        int maxInFlight = 32; // questions out at once that someone still waits for
        // c-ares cannot take back one question, so a withdrawn one stays out until
        // answered or given up: all questions out together, withdrawn or not, stay
        // within this, so a silent resolver is never flooded.
        int maxOutstanding = 128;
        // Questions waiting for a place; past it the one that would go last (the
        // oldest asker's last) is answered NoAnswer, so its name goes to its registry.
        int maxWaiting = 1024;
    };
    using Verdict = DnsVerdict;
    using Done = std::function<void(Verdict)>;
    using Ticket = LookupTicket;

    explicit DnsScreen(const Settings &settings, QObject *parent = nullptr);
    ~DnsScreen() override;

    // Empty when the resolver is ready; otherwise why not.
    const QString &error() const { return m_error; }
    // Asks about the name under the asker's ticket. Calls `done` once, later
    // (never from inside this call), unless the question is withdrawn first.
    // `asker` grows with every asker (a page number): the newest asker's
    // questions go out first.
    void screen(Ticket ticket, const QString &domain, Done done, quint64 asker = 0);
    // A newer asker needs this question too: if it still waits, it waits among that asker's.
    void share(Ticket ticket, quint64 asker);
    // Nobody waits for this answer any more: a question not yet sent never is,
    // and one already out no longer takes a place from those still wanted.
    void cancel(Ticket ticket);
    // The asker has stopped waiting, but a late answer is still of use to it.
    // A question not yet sent never is (false: `done` will not be called); one
    // already out gives its place to those still waited for and is answered as
    // before (true).
    bool endWait(Ticket ticket);

    int waiting() const { return int(m_waiting.size()); }
    int inFlight() const { return m_inFlight; }
    int outstanding() const { return m_outstanding; }

private:
    struct Channel;
    struct Query;
    // Where a question waits: by asker, newest first, then in the order asked.
    struct Place {
        quint64 asker = 0;
        quint64 order = 0;
    };
    struct NewestFirst {
        bool operator()(const Place &a, const Place &b) const
        {
            return a.asker != b.asker ? a.asker > b.asker : a.order < b.order;
        }
    };
    struct Question {
        enum class State : char { Waiting, Out, Answered };
        QString domain;
        Done done;
        Place place;
        State state = State::Waiting;
        bool late = false; // out, but no longer holding a place
    };

    static void onSocketState(void *data, int fd, int readable, int writable);
    // An answer in wire form (none: a time-out or a refusal), whichever way c-ares handed it over.
    static void onReply(void *data, int status, const unsigned char *answer, size_t length);
    void process(int readFd, int writeFd);
    void armTimer();
    void sendWaiting();
    void send(Ticket ticket, Question &question);
    void answerLater(Ticket ticket, Question &question, Verdict verdict);

    std::unique_ptr<Channel> m_channel;
    QString m_error;
    QHash<int, std::pair<QSocketNotifier *, QSocketNotifier *>> m_notifiers; // read, write
    QTimer m_timer;
    int m_maxInFlight;
    int m_maxOutstanding;
    int m_maxWaiting;
    int m_inFlight = 0;    // out, and still waited for
    int m_outstanding = 0; // out, wanted or not, until c-ares is done with it
    quint64 m_nextOrder = 0;
    std::unordered_map<Ticket, Question> m_questions; // its references outlive insertions
    std::map<Place, Ticket, NewestFirst> m_waiting;
};

} // namespace varnex::registrar
