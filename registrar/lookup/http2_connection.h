#pragma once

#include "lookup/http2_session.h"

#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QUrl>

#include <chrono>
#include <memory>

class QTcpSocket;

namespace varnex::registrar {

// One HTTP/2 connection to a registry host: over TLS when the peer picks "h2"
// by ALPN, or in clear text with prior knowledge. Every lookup is a stream of
// its own, so an answer is bound to its question. Qt's own client hides what a
// verdict needs: whether a stream ended with END_STREAM or was reset, the
// :status as sent, and a later header block that changes it. The session
// (`Http2Session`, libnghttp2) sees each; this class carries its bytes.
class Http2Connection final : public QObject {
    Q_OBJECT

public:
    struct Settings {
        bool cleartext = false;                   // prior knowledge on http://
        QList<QSslCertificate> extraCertificates; // trusted beside the system's
        qsizetype maxBody = 1 << 20;
        std::chrono::milliseconds hostLookupBudget = std::chrono::seconds(10); // then the host is unreachable
    };
    using Outcome = Http2Outcome;
    using StreamId = qint32;

    Http2Connection(const QUrl &base, const Settings &settings, QObject *parent = nullptr);
    ~Http2Connection() override;

    // Sends GET for the URL as a new stream; `answered` follows once for it,
    // never from inside this call. -1 when the connection takes no more.
    StreamId get(const QUrl &url);
    // Nobody waits for this stream any more: it is reset, and no answer follows.
    void cancel(StreamId stream);
    // Open or opening, and not told to go away.
    bool acceptsStreams() const;
    // Streams whose answer has not been handed out yet.
    int openStreams() const { return m_session->openStreams(); }

signals:
    void answered(qint32 stream, const varnex::registrar::Http2Connection::Outcome &outcome);

private:
    void onConnected();
    void onReadyRead();
    void onSocketError();
    void breakOff(const QString &error);
    void flush();
    void failAll(const Outcome &outcome);
    void emitFinished();
    bool closed() const { return m_closed || m_session->goneAway(); }

    QUrl m_base;
    QTcpSocket *m_socket = nullptr;
    std::unique_ptr<Http2Session> m_session;
    bool m_ready = false;  // connected and speaking HTTP/2
    bool m_closed = false; // failed or closed
    bool m_anyBytes = false;
};

} // namespace varnex::registrar
