#pragma once

#include "lookup/answer_verdict.h"

#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QUrl>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

class QTcpSocket;

namespace varnex::registrar {

// One HTTP/2 connection to a registry host, through libnghttp2: over TLS when
// the peer picks "h2" by ALPN, or in clear text with prior knowledge. Every
// lookup is a stream of its own, so an answer is bound to its question. Qt's
// own client hides what a verdict needs: whether a stream ended with
// END_STREAM or was reset, the :status as sent, and a later header block that
// changes it. Here each is seen.
class Http2Connection final : public QObject {
    Q_OBJECT

public:
    struct Settings {
        bool cleartext = false;                  // prior knowledge on http://
        QList<QSslCertificate> extraCertificates; // trusted beside the system's
        qsizetype maxBody = 1 << 20;
        std::chrono::milliseconds hostLookupBudget = std::chrono::seconds(10); // then the host is unreachable
    };
    struct Outcome {
        bool transportError = false; // never reached the host (no address, refused, TLS)
        bool unreachable = false;    // the host name did not resolve or the host refused
        bool notHttp2 = false;       // the host does not speak HTTP/2: ask it over HTTP/1.1
        bool unprocessed = false;    // the registry refused the stream before any answer: safe to ask again
        QString error;               // set when there is no answer
        std::optional<RegistryAnswer> answer;
    };
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
    int openStreams() const { return int(m_streams.size() + m_finished.size()); }

signals:
    void answered(qint32 stream, const varnex::registrar::Http2Connection::Outcome &outcome);

private:
    struct Session;
    friend struct Session;
    // What one stream has received so far.
    struct Stream {
        QByteArray status;      // the :status of the first header block, as sent
        int statusFields = 0;   // in any block: more than one means the status was changed
        int headerBlocks = 0;
        qsizetype headerBytes = 0;
        bool dataSeen = false;
        bool ended = false;     // END_STREAM came
        bool tooLarge = false;
        QByteArray contentType;
        QByteArray contentLength;
        QByteArray contentEncoding;
        QByteArray location;
        QByteArray retryAfter;
        QByteArray body;
    };

    void onConnected();
    void onReadyRead();
    void onSocketError();
    void flush();
    void failAll(const Outcome &outcome);
    void finishStream(StreamId id, std::uint32_t errorCode);
    void emitFinished();

    QUrl m_base;
    Settings m_settings;
    QTcpSocket *m_socket = nullptr;
    std::unique_ptr<Session> m_session;
    std::map<StreamId, Stream> m_streams;
    QList<std::pair<StreamId, Outcome>> m_finished; // emitted once nghttp2 has returned
    bool m_ready = false;   // connected and speaking HTTP/2
    bool m_closed = false;  // failed, closed or told to go away
    bool m_anyBytes = false;
};

} // namespace varnex::registrar
