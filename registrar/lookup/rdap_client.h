#pragma once

#include "lookup/answer_verdict.h"
#include "lookup/availability.h"
#include "lookup/bootstrap.h"
#include "lookup/host_back_off.h"
#include "lookup/host_pool.h"
#include "lookup/lookup_queue.h"
#include "lookup/lookup_ticket.h"
#include "lookup/transport_choice.h"
#include "lookup/transport_outcome.h"

#include <QObject>
#include <QSslCertificate>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <list>
#include <map>
#include <memory>

namespace varnex::registrar {

// Asks each name's registry over RDAP whether it is registered. Lookups to one
// registry host share a few connections, one question at a time on each; the
// rest wait in a bounded queue for a bounded time. A registry that speaks
// HTTP/2 gets every lookup as a stream on one connection, each answer bound to
// its question by the stream; one that speaks only HTTP/1.1 is asked on a few
// connections of our own, one question at a time. There a "not registered" is
// taken only from a complete, well-framed 404 that is the first answer on its
// connection, so it cannot be an answer left over from another question; any
// answer but a domain object on a reused connection is asked again on a new
// one. Both transports end in the same verdict (`verdictOf`).
//
// The client carries each lookup from its question to its answer; each host's
// queue (`LookupQueue`), connections (`HostPool`), back-off (`HostBackOff`) and
// HTTP version (`TransportChoice`) keep their own state, and what a transport's
// outcome calls for (`stepAfter`) and what an answer means are pure decisions
// that the client carries out.
class RdapClient final : public QObject {
    Q_OBJECT

public:
    struct Settings {
        std::chrono::milliseconds lookupTimeout = std::chrono::seconds(10);
        std::chrono::milliseconds queueTimeout = std::chrono::seconds(5);   // the longest wait for a connection
        std::chrono::milliseconds unreachableFor = std::chrono::seconds(5); // a host that did not resolve or refused
        // The longest wait for a registry's address. With the DNS screen's own
        // 150 ms it keeps an offline page under a second.
        std::chrono::milliseconds hostLookupBudget = std::chrono::milliseconds(750);
        int perHostLimit = 6; // HTTP/1.1 connections
        // HTTP/2 streams on the one connection: every lookup a page may ask for,
        // beside those the page before it left out, so a fresh page takes one
        // round trip. A registry that allows fewer (its SETTINGS) still gets no
        // more at once: nghttp2 keeps the rest back.
        int perHostStreams = 100;
        int maxQueued = 256; // per host
        int maxRedirects = 3;
        // An https registry is first asked over HTTP/2 (offered by ALPN); this
        // also asks plain http ones over HTTP/2 with prior knowledge.
        bool cleartextHttp2 = false;
        QList<QSslCertificate> extraCertificates; // trusted beside the system's
    };
    using Done = PendingLookup::Done;
    using Ticket = LookupTicket;

    RdapClient(Bootstrap bootstrap, Settings settings, QObject *parent = nullptr);
    ~RdapClient() override;

    // Looks the name up under the asker's ticket. Calls `done` once with the
    // answer, later (never from inside this call), unless the lookup is
    // withdrawn first. `likelyFree` (DNS knows no such name) asks on a new
    // connection at once, where a 404 needs no second asking.
    void lookup(Ticket ticket, const QString &domain, Done done, bool likelyFree = false);
    // Nobody needs this lookup any more. True: it was still queued, is never
    // sent and `done` is not called; false: it is out (or its answer is on its
    // way) and `done` follows.
    bool cancel(Ticket ticket);

    int queued() const;
    int inFlight() const;
    void setBootstrap(Bootstrap bootstrap) { m_bootstrap = std::move(bootstrap); }

private:
    using Lookup = PendingLookup;
    struct Active {
        Lookup lookup;
        QString hostKey;
        RegistryConnection *connection = nullptr; // HTTP/1.1
        Http2Connection *http2 = nullptr;         // HTTP/2, with its stream
        Http2Connection::StreamId stream = -1;
        QTimer timer;
    };
    // Everything kept for one registry host (scheme, host and port).
    struct Host {
        Host(const QUrl &base, const Settings &settings);

        HostPool pool;
        LookupQueue queue;
        HostBackOff backOff;
        TransportChoice transport;
        QTimer queueTimer;
        // The last answer was a 404: the next is likely one too, and a 404 counts
        // only as the first answer on its connection, so ask on a new one at once.
        bool lastWasNotFound = false;
    };

    Host &hostFor(const QString &hostKey, const QUrl &base);
    Host &host(const QString &hostKey) { return *m_hosts.at(hostKey); }
    void enqueue(const QString &hostKey, Lookup lookup, bool front = false);
    void startNext(const QString &hostKey);
    bool sendNext(const QString &hostKey, Host &host);
    void startTimer(Active &active);
    void armQueueTimer(Host &host);
    void expireQueue(const QString &hostKey);
    void onAnswered(RegistryConnection *connection, const RegistryConnection::Outcome &outcome);
    void onStreamAnswered(Http2Connection *connection, Http2Connection::StreamId stream,
                          const Http2Connection::Outcome &outcome);
    void take(Active *active, const TransportStep &step);
    void markUnreachable(Host &host, const Availability &failure);
    void conclude(Active *active, const RegistryAnswer &answer);
    void askAgain(Lookup lookup);
    void askOnNewConnection(Active *active);
    Lookup release(Active *active);
    void finish(Active *active, const Availability &answer);
    void finishLater(Done done, Availability answer);

    Bootstrap m_bootstrap;
    Settings m_settings;
    std::map<QString, std::unique_ptr<Host>> m_hosts;
    std::list<Active> m_active;
};

} // namespace varnex::registrar
