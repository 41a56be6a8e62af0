#pragma once

#include "availability.h"
#include "bootstrap.h"

#include <QDateTime>
#include <QHash>
#include <QObject>

#include <chrono>
#include <deque>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

namespace varnex::registrar {

// Asks each name's registry over RDAP whether it is registered: at most a few
// lookups at once per registry host, the rest queued, each given up after a
// time-out; a registry that answers 429 is left alone for as long as it asks.
class RdapClient final : public QObject {
    Q_OBJECT

public:
    struct Settings {
        std::chrono::milliseconds lookupTimeout = std::chrono::seconds(10);
        int perHostLimit = 4;
        int maxRedirects = 3;
    };
    using Done = std::function<void(const Availability &)>;

    RdapClient(Bootstrap bootstrap, QNetworkAccessManager &network, Settings settings, QObject *parent = nullptr);

    // Calls `done` once with the answer, later (never from inside this call).
    void lookup(const QString &domain, Done done);

private:
    struct Pending {
        QString domain;
        QUrl url;
        Done done;
    };
    struct Host {
        int inFlight = 0;
        std::deque<Pending> queue;
        QDateTime quietUntil; // after a 429
    };

    void startNext(const QString &hostKey);
    void start(const QString &hostKey, Pending pending);
    Availability classify(QNetworkReply *reply, const QString &hostKey, bool timedOut);
    void finishLater(Done done, Availability answer);

    Bootstrap m_bootstrap;
    QNetworkAccessManager &m_network;
    Settings m_settings;
    QHash<QString, Host> m_hosts;
};

} // namespace varnex::registrar
