#pragma once

#include "lookup/http2_connection.h"
#include "lookup/registry_connection.h"

#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QUrl>

#include <chrono>

namespace varnex::registrar {

// The connections to one registry host: a few HTTP/1.1 ones, one question at a
// time on each, and one HTTP/2 connection that takes new streams, beside those
// told to go away, which finish what they took. The pool owns them all and
// passes on what they answer.
class HostPool final : public QObject {
    Q_OBJECT

public:
    struct Limits {
        int connections = 6;                                                   // HTTP/1.1
        int streams = 100;                                                     // HTTP/2, on the one connection
        QList<QSslCertificate> extraCertificates;                              // trusted beside the system's
        std::chrono::milliseconds hostLookupBudget = std::chrono::seconds(10); // then the host is unreachable
    };

    HostPool(const QUrl &base, Limits limits, QObject *parent = nullptr);
    ~HostPool() override;

    void setBase(const QUrl &base) { m_base = base; }

    // An idle HTTP/1.1 connection, or a new one; nullptr when all are busy.
    RegistryConnection *connectionFor(bool mustBeNew);
    // A connection that answered: kept when it can take the next question.
    void answeredOn(RegistryConnection *connection, bool gotAnswer);
    void forget(RegistryConnection *connection);

    // The HTTP/2 connection with room for another stream, opened when there is
    // none; nullptr when it has no room.
    Http2Connection *streamsFor();
    // A stream on `connection` has ended: a connection that takes no more goes once it is done.
    void streamEnded(Http2Connection *connection);
    void cancelStream(Http2Connection *connection, Http2Connection::StreamId stream);

signals:
    void answered(varnex::registrar::RegistryConnection *connection,
                  const varnex::registrar::RegistryConnection::Outcome &outcome);
    void streamAnswered(varnex::registrar::Http2Connection *connection, qint32 stream,
                        const varnex::registrar::Http2Connection::Outcome &outcome);

private:
    bool makeRoom();
    RegistryConnection *openConnection();
    Http2Connection *openHttp2();
    void retire(Http2Connection *connection);
    void retireIfDone(Http2Connection *connection);

    QUrl m_base;
    Limits m_limits;
    QList<RegistryConnection *> m_connections;
    Http2Connection *m_http2 = nullptr;  // the one taking new streams
    QList<Http2Connection *> m_retiring; // told to go away, finishing what they took
};

} // namespace varnex::registrar
