#include "lookup/http2_session.h"

#include "lookup/request_target.h"

#include <nghttp2/nghttp2.h>

#include <algorithm>

namespace varnex::registrar {

namespace {

constexpr std::uint32_t kMaxConcurrentStreams = 100;
constexpr std::uint32_t kStreamsBeforeSettings = 20;
constexpr qsizetype kMaxHeaderBytes = 16 * 1024; // as the HTTP/1.1 reader's head

QByteArray bytesOf(const std::uint8_t *data, std::size_t length)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(length));
}

// nghttp2 copies what it is given, so the bytes need only outlive the call that takes them.
nghttp2_nv header(QByteArrayView name, QByteArrayView value)
{
    return {reinterpret_cast<std::uint8_t *>(const_cast<char *>(name.data())),
            reinterpret_cast<std::uint8_t *>(const_cast<char *>(value.data())), std::size_t(name.size()),
            std::size_t(value.size()), NGHTTP2_NV_FLAG_NONE};
}

QString resetText(std::uint32_t code)
{
    return QString::fromLatin1(nghttp2_http2_strerror(code));
}

bool isPlainStatus(const QByteArray &status)
{
    return status.size() == 3 && std::all_of(status.begin(), status.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// An interim answer to pass over; 101 is none, as HTTP/2 has no protocol switch.
bool isInterimStatus(const QByteArray &status)
{
    return isPlainStatus(status) && status.startsWith('1') && status != "101";
}

// Frames that may follow a stream's END_STREAM without saying anything of its
// answer: a priority hint, flow control for what we send, and a reset that
// reports no error (which a server may send once it has answered).
bool saysNothingOfTheAnswer(const Http2FrameTrail::Frame &frame)
{
    using Trail = Http2FrameTrail;
    return frame.type == Trail::Priority || frame.type == Trail::WindowUpdate
           || (frame.type == Trail::RstStream && frame.length == 4 && frame.errorCode == NGHTTP2_NO_ERROR);
}

} // namespace

// nghttp2's callbacks, which find the session through user_data.
struct Http2Session::Callbacks {
    static Http2Session *owner(void *data) { return static_cast<Http2Session *>(data); }

    static int onBeginHeaders(nghttp2_session *, const nghttp2_frame *frame, void *data)
    {
        if (Stream *stream = owner(data)->streamOf(frame->hd.stream_id)) {
            ++stream->headerBlocks;
            stream->interimBlock = false;
        }
        return 0;
    }

    static int onHeader(nghttp2_session *, const nghttp2_frame *frame, const std::uint8_t *name, std::size_t nameLength,
                        const std::uint8_t *value, std::size_t valueLength, std::uint8_t, void *data)
    {
        Stream *stream = owner(data)->streamOf(frame->hd.stream_id);
        if (!stream)
            return 0;
        stream->headerBytes += qsizetype(nameLength + valueLength);
        if (stream->headerBytes > kMaxHeaderBytes)
            return NGHTTP2_ERR_TEMPORAL_CALLBACK_FAILURE; // resets the stream
        keepField(*stream, bytesOf(name, nameLength), bytesOf(value, valueLength));
        return 0;
    }

    // The first :status of a block before the final one is interim (its block
    // passed over) or final; any other :status changes the answer.
    static void keepStatus(Stream &stream, const QByteArray &text, bool firstInBlock)
    {
        if (stream.finalBlock != 0 || !firstInBlock || stream.dataSeen) {
            stream.statusChanged = true;
        } else if (isInterimStatus(text)) {
            stream.interimBlock = true;
        } else {
            stream.finalBlock = stream.headerBlocks;
            stream.status = text;
        }
    }

    static void keepField(Stream &stream, const QByteArray &key, const QByteArray &text)
    {
        if (key == ":status") {
            const bool firstInBlock = !stream.interimBlock && stream.finalBlock != stream.headerBlocks;
            keepStatus(stream, text, firstInBlock);
            return;
        }
        if (stream.interimBlock || stream.headerBlocks != stream.finalBlock)
            return; // interim blocks and trailers say nothing a verdict reads
        if (key == "content-type")
            stream.contentType = text.toLower();
        else if (key == "content-length")
            stream.contentLength = text;
        else if (key == "content-encoding")
            stream.contentEncoding = text.toLower();
        else if (key == "location")
            stream.location = text;
        else if (key == "retry-after")
            stream.retryAfter = text;
    }

    static int onDataChunk(nghttp2_session *session, std::uint8_t, std::int32_t id, const std::uint8_t *data,
                           std::size_t length, void *user)
    {
        Http2Session *self = owner(user);
        Stream *stream = self->streamOf(id);
        if (!stream || stream->tooLarge)
            return 0;
        stream->dataSeen = true;
        if (stream->body.size() + qsizetype(length) > self->m_maxBody) {
            stream->tooLarge = true;
            nghttp2_submit_rst_stream(session, NGHTTP2_FLAG_NONE, id, NGHTTP2_CANCEL);
            return 0;
        }
        stream->body.append(reinterpret_cast<const char *>(data), qsizetype(length));
        return 0;
    }

    static int onFrame(nghttp2_session *, const nghttp2_frame *frame, void *data)
    {
        Http2Session *self = owner(data);
        if (frame->hd.type == NGHTTP2_GOAWAY) {
            // Streams past the last one it took are closed by nghttp2 as refused; the rest may still
            // end, unless the registry reports an error: then the connection is over.
            self->m_goneAway = true;
            if (frame->goaway.error_code != NGHTTP2_NO_ERROR && self->m_brokenBy.isEmpty())
                self->m_brokenBy = QStringLiteral("the registry ended the connection with an error (%1)")
                                       .arg(resetText(frame->goaway.error_code));
            return 0;
        }
        if ((frame->hd.type == NGHTTP2_HEADERS || frame->hd.type == NGHTTP2_DATA)
            && (frame->hd.flags & NGHTTP2_FLAG_END_STREAM)) {
            if (Stream *stream = self->streamOf(frame->hd.stream_id))
                stream->ended = true;
        }
        return 0;
    }

    static int onStreamClose(nghttp2_session *, std::int32_t id, std::uint32_t errorCode, void *data)
    {
        owner(data)->closeStream(id, errorCode);
        return 0;
    }

    // We send GOAWAY only when nghttp2 found a connection error in what the registry sent.
    static int onFrameSent(nghttp2_session *, const nghttp2_frame *frame, void *data)
    {
        Http2Session *self = owner(data);
        if (frame->hd.type == NGHTTP2_GOAWAY && self->m_brokenBy.isEmpty())
            self->m_brokenBy =
                QStringLiteral("the registry broke the HTTP/2 protocol (%1)").arg(resetText(frame->goaway.error_code));
        return 0;
    }
};

void Http2Session::Deleter::operator()(nghttp2_session *session) const
{
    nghttp2_session_del(session);
}

Http2Session::Http2Session(qsizetype maxBody) : m_maxBody(maxBody)
{
    nghttp2_session_callbacks *callbacks = nullptr;
    nghttp2_session_callbacks_new(&callbacks);
    nghttp2_session_callbacks_set_on_begin_headers_callback(callbacks, &Callbacks::onBeginHeaders);
    nghttp2_session_callbacks_set_on_header_callback(callbacks, &Callbacks::onHeader);
    nghttp2_session_callbacks_set_on_data_chunk_recv_callback(callbacks, &Callbacks::onDataChunk);
    nghttp2_session_callbacks_set_on_frame_recv_callback(callbacks, &Callbacks::onFrame);
    nghttp2_session_callbacks_set_on_stream_close_callback(callbacks, &Callbacks::onStreamClose);
    nghttp2_session_callbacks_set_on_frame_send_callback(callbacks, &Callbacks::onFrameSent);
    nghttp2_option *option = nullptr;
    nghttp2_option_new(&option);
    // Until the registry's SETTINGS say how many streams it takes, no more than
    // this go out at once; the rest wait in nghttp2, as any past its limit do.
    nghttp2_option_set_peer_max_concurrent_streams(option, kStreamsBeforeSettings);
    nghttp2_session *session = nullptr;
    nghttp2_session_client_new2(&session, callbacks, this, option);
    m_session.reset(session);
    nghttp2_option_del(option);
    nghttp2_session_callbacks_del(callbacks);
    const nghttp2_settings_entry ours[] = {{NGHTTP2_SETTINGS_ENABLE_PUSH, 0},
                                           {NGHTTP2_SETTINGS_MAX_CONCURRENT_STREAMS, kMaxConcurrentStreams},
                                           {NGHTTP2_SETTINGS_MAX_HEADER_LIST_SIZE, 16 * 1024}};
    nghttp2_submit_settings(m_session.get(), NGHTTP2_FLAG_NONE, ours, std::size(ours));
}

Http2Session::~Http2Session() = default;

Http2Session::StreamId Http2Session::submit(const QUrl &url, const QByteArray &authority)
{
    const QByteArray path = requestTarget(url), scheme = url.scheme().toLatin1();
    const nghttp2_nv headers[] = {header(":method", "GET"),
                                  header(":scheme", scheme),
                                  header(":authority", authority),
                                  header(":path", path),
                                  header("accept", "application/rdap+json"),
                                  header("accept-encoding", "identity"),
                                  header("user-agent", "varnex-registrar")};
    const std::int32_t id =
        nghttp2_submit_request(m_session.get(), nullptr, headers, std::size(headers), nullptr, nullptr);
    if (id < 0)
        return -1;
    m_streams.emplace(id, Stream{});
    return id;
}

bool Http2Session::cancel(StreamId stream)
{
    if (m_streams.erase(stream) == 0)
        return false;
    nghttp2_submit_rst_stream(m_session.get(), NGHTTP2_FLAG_NONE, stream, NGHTTP2_CANCEL);
    return true;
}

bool Http2Session::receive(QByteArrayView bytes, QString &error)
{
    // The frames are followed first, so a stream that ends here knows of any frame after its end.
    m_trail.feed(bytes, [this](const Http2FrameTrail::Frame &frame) { onFrameHeader(frame); });
    const auto taken = nghttp2_session_mem_recv(m_session.get(), reinterpret_cast<const std::uint8_t *>(bytes.data()),
                                                std::size_t(bytes.size()));
    if (taken < 0) {
        m_brokenBy = QStringLiteral("the registry broke the HTTP/2 protocol (%1)").arg(nghttp2_strerror(int(taken)));
        nghttp2_session_terminate_session(m_session.get(), taken == NGHTTP2_ERR_FLOODED ? NGHTTP2_ENHANCE_YOUR_CALM
                                                                                        : NGHTTP2_PROTOCOL_ERROR);
    }
    // A connection error nghttp2 found shows as the GOAWAY it sends.
    drainOutput();
    settle();
    if (m_brokenBy.isEmpty())
        return true;
    error = m_brokenBy;
    return false;
}

QByteArray Http2Session::takeOutput()
{
    drainOutput();
    settle(); // a stream we reset ourselves ends as its RST_STREAM goes
    return std::exchange(m_output, {});
}

void Http2Session::drainOutput()
{
    for (;;) {
        const std::uint8_t *data = nullptr;
        const auto length = nghttp2_session_mem_send(m_session.get(), &data);
        if (length <= 0)
            return;
        m_output.append(reinterpret_cast<const char *>(data), qsizetype(length));
    }
}

bool Http2Session::isOver() const
{
    return !nghttp2_session_want_read(m_session.get()) && !nghttp2_session_want_write(m_session.get());
}

void Http2Session::failAll(const Http2Outcome &outcome)
{
    for (const auto &[id, stream] : m_streams)
        m_finished.append({id, outcome});
    m_streams.clear();
}

std::optional<std::pair<Http2Session::StreamId, Http2Outcome>> Http2Session::takeFinished()
{
    if (m_finished.isEmpty())
        return std::nullopt;
    return m_finished.takeFirst();
}

Http2Session::Stream *Http2Session::streamOf(StreamId id)
{
    const auto found = m_streams.find(id);
    return found == m_streams.end() ? nullptr : &found->second;
}

// What the frames show of a stream, beside nghttp2: where it ended, and whether anything followed.
void Http2Session::onFrameHeader(const Http2FrameTrail::Frame &frame)
{
    using Trail = Http2FrameTrail;
    Stream *stream = streamOf(frame.stream);
    if (!stream)
        return;
    if (stream->endInFrames) {
        if (!saysNothingOfTheAnswer(frame))
            stream->contradicted = true;
    } else if (stream->endInContinuation) {
        // Anything but the block's CONTINUATION here is a connection error, which nghttp2 reports.
        stream->endInFrames = frame.type == Trail::Continuation && (frame.flags & Trail::EndHeaders);
        stream->endInContinuation = !stream->endInFrames;
    } else if ((frame.type == Trail::Data || frame.type == Trail::Headers) && (frame.flags & Trail::EndStream)) {
        const bool blockGoesOn = frame.type == Trail::Headers && !(frame.flags & Trail::EndHeaders);
        stream->endInContinuation = blockGoesOn;
        stream->endInFrames = !blockGoesOn;
    }
}

void Http2Session::closeStream(StreamId id, std::uint32_t errorCode)
{
    const auto found = m_streams.find(id);
    if (found == m_streams.end())
        return;
    m_closed.append({id, std::move(found->second), errorCode});
    m_streams.erase(found);
}

// The bytes read so far are all in: the streams they closed are handed out, and
// when the connection is broken, every stream fails.
void Http2Session::settle()
{
    for (const Closed &closed : std::exchange(m_closed, {}))
        m_finished.append({closed.id, outcomeOf(closed.stream, closed.errorCode)});
    if (!m_brokenBy.isEmpty())
        failAll({.error = m_brokenBy});
}

Http2Outcome Http2Session::outcomeOf(const Stream &stream, std::uint32_t errorCode) const
{
    Http2Outcome outcome;
    if (errorCode == NGHTTP2_REFUSED_STREAM && stream.headerBlocks == 0) {
        outcome.unprocessed = true;
        outcome.error = QStringLiteral("the registry refused the question");
    } else if (!m_brokenBy.isEmpty()) {
        outcome.error = m_brokenBy;
    } else if (stream.contradicted) {
        outcome.error = QStringLiteral("the registry sent more on the stream after its answer ended");
    } else if (stream.tooLarge) {
        outcome.error = QStringLiteral("the answer is larger than %1 KiB").arg(m_maxBody / 1024);
    } else if (!stream.ended || errorCode != NGHTTP2_NO_ERROR) {
        outcome.error = errorCode != NGHTTP2_NO_ERROR
                            ? QStringLiteral("the registry reset the answer (%1)").arg(resetText(errorCode))
                            : QStringLiteral("the registry reset the answer before its end");
    } else if (!stream.contentEncoding.isEmpty() && stream.contentEncoding != "identity") {
        outcome.error = QStringLiteral("the answer is encoded, which was not asked for");
    } else if (!stream.contentLength.isEmpty() && stream.contentLength != QByteArray::number(stream.body.size())) {
        outcome.error = QStringLiteral("the answer's length does not match its body");
    } else {
        outcome.answer = answerOf(stream);
    }
    return outcome;
}

RegistryAnswer Http2Session::answerOf(const Stream &stream)
{
    RegistryAnswer answer;
    answer.status = !stream.statusChanged && isPlainStatus(stream.status) ? stream.status.toInt() : 0;
    answer.contentType = stream.contentType;
    answer.body = stream.body;
    answer.location = stream.location;
    answer.retryAfter = stream.retryAfter;
    if (answer.status >= 100 && answer.status < 200)
        answer.status = 0; // a 101, or an interim status that ended the stream
    return answer;
}

} // namespace varnex::registrar
