#pragma once

#include "lookup/answer_verdict.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>

struct nghttp2_session;

namespace varnex::registrar {

// How one HTTP/2 stream ended.
struct Http2Outcome {
    bool transportError = false; // never reached the host (no address, refused, TLS)
    bool unreachable = false;    // the host name did not resolve or the host refused
    bool notHttp2 = false;       // the host does not speak HTTP/2: ask it over HTTP/1.1
    bool unprocessed = false;    // the registry refused the stream before any answer: safe to ask again
    QString error;               // set when there is no answer
    std::optional<RegistryAnswer> answer;
};

// The client side of one HTTP/2 connection, through libnghttp2, without the
// socket: the registry's bytes go in, the bytes for it come out, and each
// stream's answer is read as strictly as a verdict needs: whether it ended
// with END_STREAM or was reset, its :status as sent, and any later header
// block that changes it.
class Http2Session final {
public:
    using StreamId = qint32;

    explicit Http2Session(qsizetype maxBody);
    ~Http2Session();
    Http2Session(const Http2Session &) = delete;
    Http2Session &operator=(const Http2Session &) = delete;

    // A GET for the URL as a new stream; -1 when the session takes no more.
    StreamId submit(const QUrl &url, const QByteArray &authority);
    // Nobody waits for this stream any more: it is reset. False when it was not open.
    bool cancel(StreamId stream);
    // Takes what the registry sent; false, with nghttp2's reason, when it breaks the protocol.
    bool receive(QByteArrayView bytes, QString &error);
    // What is to be sent to the registry now.
    QByteArray takeOutput();
    // The session has nothing more to read or to send.
    bool isOver() const;
    // The registry told it to go away.
    bool goneAway() const { return m_goneAway; }

    bool hasOpenStreams() const { return !m_streams.empty(); }
    // Streams whose outcome has not been taken yet.
    int openStreams() const { return int(m_streams.size() + m_finished.size()); }
    // Every open stream ends with `outcome`.
    void failAll(const Http2Outcome &outcome);
    // The next stream that ended, in the order they ended.
    std::optional<std::pair<StreamId, Http2Outcome>> takeFinished();

private:
    struct Callbacks;
    friend struct Callbacks;
    // What one stream has received so far.
    struct Stream {
        QByteArray status;    // the :status of the first header block, as sent
        int statusFields = 0; // in any block: more than one means the status was changed
        int headerBlocks = 0;
        qsizetype headerBytes = 0;
        bool dataSeen = false;
        bool ended = false; // END_STREAM came
        bool tooLarge = false;
        QByteArray contentType;
        QByteArray contentLength;
        QByteArray contentEncoding;
        QByteArray location;
        QByteArray retryAfter;
        QByteArray body;
    };

    Stream *streamOf(StreamId id);
    void finishStream(StreamId id, std::uint32_t errorCode);
    Http2Outcome outcomeOf(const Stream &stream, std::uint32_t errorCode) const;
    static RegistryAnswer answerOf(const Stream &stream);

    struct Deleter {
        void operator()(nghttp2_session *session) const;
    };
    std::unique_ptr<nghttp2_session, Deleter> m_session;
    qsizetype m_maxBody;
    std::map<StreamId, Stream> m_streams;
    QList<std::pair<StreamId, Http2Outcome>> m_finished;
    bool m_goneAway = false;
};

} // namespace varnex::registrar
