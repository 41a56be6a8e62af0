#pragma once

#include "lookup/answer_verdict.h"
#include "lookup/http2_frame_trail.h"

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
    // with transportError: the registry's certificate could not be verified
    bool certificateRefused = false;
};

// The client side of one HTTP/2 connection, through libnghttp2, without the
// socket: the registry's bytes go in, the bytes for it come out, and each
// stream's answer is read as strictly as a verdict needs: whether it ended
// with END_STREAM or was reset, its :status as sent (interim 1xx blocks passed
// over), and any later header block that changes it. An answer stands only if
// nothing in the rest of the bytes it came in contradicts it: a frame on its
// stream after END_STREAM (but PRIORITY, WINDOW_UPDATE or a RST_STREAM without
// an error, which say nothing of it), or a connection error.
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
    // Takes one piece of what the registry sent; the streams that end in it are
    // handed out once all of it is read. False, with the reason, when the
    // registry broke the protocol or ended the connection with an error: every
    // stream has then failed, and the GOAWAY that says so is in the output.
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
        QByteArray status;          // the :status of the final header block, as sent
        bool statusChanged = false; // a :status after the final one, or before it but not a plain interim one
        int headerBlocks = 0;
        int finalBlock = 0;        // the block that carried the final :status; 0 before it
        bool interimBlock = false; // the block being read is an interim (1xx) one, passed over
        qsizetype headerBytes = 0;
        bool dataSeen = false;
        bool ended = false; // END_STREAM came
        bool tooLarge = false;
        // What the frames show beside libnghttp2: where the stream ended, and anything after.
        bool endInFrames = false;
        bool endInContinuation = false; // HEADERS with END_STREAM whose block goes on in CONTINUATION
        bool contradicted = false;
        QByteArray contentType;
        QByteArray contentLength;
        QByteArray contentEncoding;
        QByteArray location;
        QByteArray retryAfter;
        QByteArray body;
    };

    // A stream libnghttp2 closed, kept until the bytes that closed it are all read.
    struct Closed {
        StreamId id;
        Stream stream;
        std::uint32_t errorCode;
    };

    Stream *streamOf(StreamId id);
    void onFrameHeader(const Http2FrameTrail::Frame &frame);
    void closeStream(StreamId id, std::uint32_t errorCode);
    void settle();
    void drainOutput();
    Http2Outcome outcomeOf(const Stream &stream, std::uint32_t errorCode) const;
    static RegistryAnswer answerOf(const Stream &stream);

    struct Deleter {
        void operator()(nghttp2_session *session) const;
    };
    std::unique_ptr<nghttp2_session, Deleter> m_session;
    qsizetype m_maxBody;
    std::map<StreamId, Stream> m_streams;
    QList<Closed> m_closed;
    QList<std::pair<StreamId, Http2Outcome>> m_finished;
    Http2FrameTrail m_trail;
    QByteArray m_output;
    QString m_brokenBy; // why the connection is over, when the registry broke it
    bool m_goneAway = false;
};

} // namespace varnex::registrar
