#pragma once

#include "lookup/answer_verdict.h"
#include "lookup/availability.h"
#include "lookup/bootstrap.h"
#include "lookup/http2_connection.h"
#include "lookup/registry_connection.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSslCertificate>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <variant>

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
class RdapClient final : public QObject {
    Q_OBJECT

public:
    struct Settings {
        std::chrono::milliseconds lookupTimeout = std::chrono::seconds(10);
        std::chrono::milliseconds queueTimeout = std::chrono::seconds(5); // the longest wait for a connection
        std::chrono::milliseconds unreachableFor = std::chrono::seconds(5); // a host that did not resolve or refused
        // The longest wait for a registry's address. With the DNS screen's own
        // 150 ms it keeps an offline page under a second.
        std::chrono::milliseconds hostLookupBudget = std::chrono::milliseconds(750);
        int perHostLimit = 6;      // HTTP/1.1 connections
        int perHostStreams = 20;   // HTTP/2 streams on the one connection
        int maxQueued = 256;       // per host
        int maxRedirects = 3;
        // An https registry is first asked over HTTP/2 (offered by ALPN); this
        // also asks plain http ones over HTTP/2 with prior knowledge.
        bool cleartextHttp2 = false;
        QList<QSslCertificate> extraCertificates; // trusted beside the system's
    };
    using Done = std::function<void(const Availability &)>;
    using Ticket = quint64;

    RdapClient(Bootstrap bootstrap, Settings settings, QObject *parent = nullptr);
    ~RdapClient() override;

    // Calls `done` once with the answer, later (never from inside this call),
    // unless the lookup is cancelled first. `likelyFree` (DNS knows no such
    // name) asks on a new connection at once, where a 404 needs no second asking.
    Ticket lookup(const QString &domain, Done done, bool likelyFree = false);
    // Nobody needs this lookup any more: if it is still queued it is never sent.
    void cancel(Ticket ticket);

    int queued() const;
    int inFlight() const;
    void setBootstrap(Bootstrap bootstrap) { m_bootstrap = std::move(bootstrap); }

private:
    struct Lookup {
        Ticket ticket = 0;
        QString domain;
        QUrl url;
        Done done;
        int redirects = 0;
        bool needsNewConnection = false;
        std::chrono::steady_clock::time_point queuedAt;
    };
    struct Active {
        Lookup lookup;
        QString hostKey;
        RegistryConnection *connection = nullptr; // HTTP/1.1
        Http2Connection *http2 = nullptr;         // HTTP/2, with its stream
        Http2Connection::StreamId stream = -1;
        QTimer timer;
    };
    enum class Protocol { Unknown, Http2, Http1 };
    struct Host {
        QUrl base;
        std::deque<Lookup> queue;
        QList<RegistryConnection *> connections;
        Http2Connection *http2 = nullptr; // the one taking new streams
        QList<Http2Connection *> retiring; // told to go away, finishing what they took
        QDateTime quietUntil; // after a 429
        std::chrono::steady_clock::time_point unreachableUntil;
        QString unreachableReason;
        QTimer queueTimer;
        Protocol protocol = Protocol::Unknown;
        // The last answer was a 404: the next is likely one too, and a 404 counts
        // only as the first answer on its connection, so ask on a new one at once.
        bool lastWasNotFound = false;
    };

    Host &host(const QString &hostKey);
    void enqueue(const QString &hostKey, Lookup lookup, bool front = false);
    void startNext(const QString &hostKey);
    void expireQueue(const QString &hostKey);
    void failQueue(Host &host, const QString &reason);
    RegistryConnection *connectionFor(Host &host, bool mustBeNew);
    void onAnswered(RegistryConnection *connection, const RegistryConnection::Outcome &outcome);
    bool triesHttp2(const Host &host) const;
    Http2Connection *http2For(Host &host);
    void onStreamAnswered(Http2Connection *connection, Http2Connection::StreamId stream,
                          const Http2Connection::Outcome &outcome);
    void retireIfDone(Host &host, Http2Connection *connection);
    void markUnreachable(Host &host, const QString &reason);
    void conclude(Active *active, const RegistryAnswer &answer);
    void askAgain(Lookup lookup);
    Lookup release(Active *active);
    void finish(Active *active, const Availability &answer);
    void finishLater(Done done, Availability answer);
    void forget(Host &host, RegistryConnection *connection);

    Bootstrap m_bootstrap;
    Settings m_settings;
    std::map<QString, std::unique_ptr<Host>> m_hosts;
    std::list<Active> m_active;
    Ticket m_nextTicket = 1;
};

} // namespace varnex::registrar
