#include "lookup/http2_connection.h"

#include "lookup/host_lookup_limit.h"
#include "lookup/request_target.h"

#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

#include <nghttp2/nghttp2.h>

namespace varnex::registrar {

namespace {

constexpr qint64 kReadBuffer = 64 * 1024;
constexpr std::uint32_t kMaxConcurrentStreams = 100;

bool isHttps(const QUrl &url)
{
    return url.scheme() == QLatin1String("https");
}

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

constexpr qsizetype kMaxHeaderBytes = 16 * 1024; // as the HTTP/1.1 reader's head

QString resetText(std::uint32_t code)
{
    return QString::fromLatin1(nghttp2_http2_strerror(code));
}

} // namespace

// The nghttp2 session and its callbacks, which find the connection through user_data.
struct Http2Connection::Session {
    nghttp2_session *session = nullptr;

    ~Session()
    {
        if (session)
            nghttp2_session_del(session);
    }

    static Http2Connection *owner(void *data) { return static_cast<Http2Connection *>(data); }

    static Stream *streamOf(Http2Connection *self, std::int32_t id)
    {
        const auto found = self->m_streams.find(id);
        return found == self->m_streams.end() ? nullptr : &found->second;
    }

    static int onBeginHeaders(nghttp2_session *, const nghttp2_frame *frame, void *data)
    {
        if (Stream *stream = streamOf(owner(data), frame->hd.stream_id))
            ++stream->headerBlocks;
        return 0;
    }

    static int onHeader(nghttp2_session *, const nghttp2_frame *frame, const std::uint8_t *name, std::size_t nameLength,
                        const std::uint8_t *value, std::size_t valueLength, std::uint8_t, void *data)
    {
        Stream *stream = streamOf(owner(data), frame->hd.stream_id);
        if (!stream)
            return 0;
        stream->headerBytes += qsizetype(nameLength + valueLength);
        if (stream->headerBytes > kMaxHeaderBytes)
            return NGHTTP2_ERR_TEMPORAL_CALLBACK_FAILURE; // resets the stream
        const QByteArray key = bytesOf(name, nameLength);
        const QByteArray text = bytesOf(value, valueLength);
        if (key == ":status") {
            if (++stream->statusFields == 1 && stream->headerBlocks == 1 && !stream->dataSeen)
                stream->status = text;
            return 0;
        }
        if (stream->headerBlocks != 1)
            return 0; // trailers say nothing a verdict reads
        if (key == "content-type")
            stream->contentType = text.toLower();
        else if (key == "content-length")
            stream->contentLength = text;
        else if (key == "content-encoding")
            stream->contentEncoding = text.toLower();
        else if (key == "location")
            stream->location = text;
        else if (key == "retry-after")
            stream->retryAfter = text;
        return 0;
    }

    static int onDataChunk(nghttp2_session *session, std::uint8_t, std::int32_t id, const std::uint8_t *data,
                           std::size_t length, void *user)
    {
        Http2Connection *self = owner(user);
        Stream *stream = streamOf(self, id);
        if (!stream || stream->tooLarge)
            return 0;
        stream->dataSeen = true;
        if (stream->body.size() + qsizetype(length) > self->m_settings.maxBody) {
            stream->tooLarge = true;
            nghttp2_submit_rst_stream(session, NGHTTP2_FLAG_NONE, id, NGHTTP2_CANCEL);
            return 0;
        }
        stream->body.append(reinterpret_cast<const char *>(data), qsizetype(length));
        return 0;
    }

    static int onFrame(nghttp2_session *, const nghttp2_frame *frame, void *data)
    {
        Http2Connection *self = owner(data);
        if (frame->hd.type == NGHTTP2_GOAWAY) {
            // Streams past the last one it took are closed by nghttp2 as refused; the rest may still end.
            self->m_closed = true;
            return 0;
        }
        if ((frame->hd.type == NGHTTP2_HEADERS || frame->hd.type == NGHTTP2_DATA)
            && (frame->hd.flags & NGHTTP2_FLAG_END_STREAM)) {
            if (Stream *stream = streamOf(self, frame->hd.stream_id))
                stream->ended = true;
        }
        return 0;
    }

    static int onStreamClose(nghttp2_session *, std::int32_t id, std::uint32_t errorCode, void *data)
    {
        owner(data)->finishStream(id, errorCode);
        return 0;
    }
};

Http2Connection::Http2Connection(const QUrl &base, const Settings &settings, QObject *parent)
    : QObject(parent), m_base(base), m_settings(settings), m_session(std::make_unique<Session>())
{
    nghttp2_session_callbacks *callbacks = nullptr;
    nghttp2_session_callbacks_new(&callbacks);
    nghttp2_session_callbacks_set_on_begin_headers_callback(callbacks, &Session::onBeginHeaders);
    nghttp2_session_callbacks_set_on_header_callback(callbacks, &Session::onHeader);
    nghttp2_session_callbacks_set_on_data_chunk_recv_callback(callbacks, &Session::onDataChunk);
    nghttp2_session_callbacks_set_on_frame_recv_callback(callbacks, &Session::onFrame);
    nghttp2_session_callbacks_set_on_stream_close_callback(callbacks, &Session::onStreamClose);
    nghttp2_session_client_new(&m_session->session, callbacks, this);
    nghttp2_session_callbacks_del(callbacks);
    const nghttp2_settings_entry ours[] = {{NGHTTP2_SETTINGS_ENABLE_PUSH, 0},
                                           {NGHTTP2_SETTINGS_MAX_CONCURRENT_STREAMS, kMaxConcurrentStreams},
                                           {NGHTTP2_SETTINGS_MAX_HEADER_LIST_SIZE, 16 * 1024}};
    nghttp2_submit_settings(m_session->session, NGHTTP2_FLAG_NONE, ours, std::size(ours));

    const int defaultPort = isHttps(base) ? 443 : 80;
    if (isHttps(base)) {
        auto *socket = new QSslSocket(this);
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setAllowedNextProtocols({QByteArrayLiteral("h2"), QByteArrayLiteral("http/1.1")});
        if (!settings.extraCertificates.isEmpty())
            tls.setCaCertificates(tls.caCertificates() + settings.extraCertificates);
        socket->setSslConfiguration(tls);
        connect(socket, &QSslSocket::encrypted, this, &Http2Connection::onConnected);
        m_socket = socket;
    } else {
        m_socket = new QTcpSocket(this);
        connect(m_socket, &QTcpSocket::connected, this, &Http2Connection::onConnected);
    }
    m_socket->setReadBufferSize(kReadBuffer);
    connect(m_socket, &QTcpSocket::readyRead, this, &Http2Connection::onReadyRead);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &Http2Connection::onSocketError);
    connect(m_socket, &QTcpSocket::disconnected, this, &Http2Connection::onSocketError);
    if (auto *tls = qobject_cast<QSslSocket *>(m_socket))
        tls->connectToHostEncrypted(base.host(), quint16(base.port(defaultPort)));
    else
        m_socket->connectToHost(base.host(), quint16(base.port(defaultPort)));
    limitHostLookup(m_socket, settings.hostLookupBudget, [this] {
        if (m_streams.empty()) {
            m_closed = true;
            m_socket->abort();
            return;
        }
        failAll({.transportError = true,
                 .unreachable = true,
                 .error = QStringLiteral("the registry's address was not found in time")});
    });
}

Http2Connection::~Http2Connection()
{
    m_socket->disconnect(this);
    m_socket->abort();
}

bool Http2Connection::acceptsStreams() const
{
    return !m_closed && m_socket->state() != QAbstractSocket::UnconnectedState;
}

Http2Connection::StreamId Http2Connection::get(const QUrl &url)
{
    if (m_closed)
        return -1;
    const QByteArray path = requestTarget(url), scheme = url.scheme().toLatin1(), host = authorityOf(m_base);
    const nghttp2_nv headers[] = {header(":method", "GET"),
                                  header(":scheme", scheme),
                                  header(":authority", host),
                                  header(":path", path),
                                  header("accept", "application/rdap+json"),
                                  header("accept-encoding", "identity"),
                                  header("user-agent", "varnex-registrar")};
    const std::int32_t id = nghttp2_submit_request(m_session->session, nullptr, headers, std::size(headers), nullptr, nullptr);
    if (id < 0)
        return -1;
    m_streams.emplace(id, Stream{});
    // Sent once connected; after that, at once.
    QTimer::singleShot(0, this, [self = QPointer(this)] {
        if (self && self->m_ready)
            self->flush();
    });
    return id;
}

void Http2Connection::cancel(StreamId stream)
{
    if (m_streams.erase(stream) == 0)
        return;
    nghttp2_submit_rst_stream(m_session->session, NGHTTP2_FLAG_NONE, stream, NGHTTP2_CANCEL);
    if (m_ready)
        flush();
}

void Http2Connection::onConnected()
{
    if (auto *tls = qobject_cast<QSslSocket *>(m_socket)) {
        if (tls->sslConfiguration().nextNegotiatedProtocol() != "h2") {
            Outcome outcome;
            outcome.notHttp2 = true;
            outcome.error = QStringLiteral("the registry does not speak HTTP/2");
            failAll(outcome);
            return;
        }
    }
    m_ready = true;
    flush();
}

void Http2Connection::onReadyRead()
{
    QPointer<Http2Connection> self(this);
    while (self && m_ready && m_socket->bytesAvailable() > 0) {
        const QByteArray bytes = m_socket->read(kReadBuffer);
        m_anyBytes = true;
        const auto taken = nghttp2_session_mem_recv(m_session->session, reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                                    std::size_t(bytes.size()));
        if (taken < 0) {
            emitFinished();
            if (!self)
                return;
            Outcome outcome;
            outcome.error = QStringLiteral("the registry broke the HTTP/2 protocol (%1)")
                                .arg(QString::fromLatin1(nghttp2_strerror(int(taken))));
            failAll(outcome);
            return;
        }
        flush();
        emitFinished();
    }
}

void Http2Connection::onSocketError()
{
    if (m_streams.empty()) {
        m_closed = true;
        return;
    }
    const QAbstractSocket::SocketError error = m_socket->error();
    Outcome outcome;
    outcome.transportError = !m_anyBytes && error != QAbstractSocket::RemoteHostClosedError;
    outcome.unreachable = error == QAbstractSocket::HostNotFoundError || error == QAbstractSocket::ConnectionRefusedError;
    outcome.error = m_anyBytes || error == QAbstractSocket::RemoteHostClosedError
                        ? QStringLiteral("the connection closed before the whole answer came")
                        : m_socket->errorString();
    failAll(outcome);
}

void Http2Connection::flush()
{
    for (;;) {
        const std::uint8_t *data = nullptr;
        const auto length = nghttp2_session_mem_send(m_session->session, &data);
        if (length <= 0)
            break;
        m_socket->write(reinterpret_cast<const char *>(data), qint64(length));
    }
    if (!nghttp2_session_want_read(m_session->session) && !nghttp2_session_want_write(m_session->session))
        m_closed = true;
}

// Every stream still open ends with this outcome, and the connection is done.
void Http2Connection::failAll(const Outcome &outcome)
{
    m_closed = true;
    m_ready = false;
    m_socket->disconnect(this);
    m_socket->abort();
    for (const auto &[id, stream] : m_streams)
        m_finished.append({id, outcome});
    m_streams.clear();
    emitFinished();
}

void Http2Connection::finishStream(StreamId id, std::uint32_t errorCode)
{
    const auto found = m_streams.find(id);
    if (found == m_streams.end())
        return;
    const Stream stream = std::move(found->second);
    m_streams.erase(found);
    Outcome outcome;
    if (errorCode == NGHTTP2_REFUSED_STREAM && stream.headerBlocks == 0) {
        outcome.unprocessed = true;
        outcome.error = QStringLiteral("the registry refused the question");
    } else if (stream.tooLarge) {
        outcome.error = QStringLiteral("the answer is larger than %1 KiB").arg(m_settings.maxBody / 1024);
    } else if (!stream.ended || errorCode != NGHTTP2_NO_ERROR) {
        outcome.error = errorCode != NGHTTP2_NO_ERROR
                            ? QStringLiteral("the registry reset the answer (%1)").arg(resetText(errorCode))
                            : QStringLiteral("the registry reset the answer before its end");
    } else if (!stream.contentEncoding.isEmpty() && stream.contentEncoding != "identity") {
        outcome.error = QStringLiteral("the answer is encoded, which was not asked for");
    } else if (!stream.contentLength.isEmpty() && stream.contentLength != QByteArray::number(stream.body.size())) {
        outcome.error = QStringLiteral("the answer's length does not match its body");
    } else {
        RegistryAnswer answer;
        const bool plainStatus = stream.statusFields == 1 && stream.status.size() == 3
                                 && std::all_of(stream.status.begin(), stream.status.end(),
                                                [](char c) { return c >= '0' && c <= '9'; });
        answer.status = plainStatus ? stream.status.toInt() : 0;
        answer.contentType = stream.contentType;
        answer.body = stream.body;
        answer.location = stream.location;
        answer.retryAfter = stream.retryAfter;
        // Interim answers and later blocks that carry a status make the status unclear.
        if (stream.headerBlocks > 1 && stream.statusFields > 1)
            answer.status = 0;
        if (answer.status >= 100 && answer.status < 200)
            answer.status = 0;
        outcome.answer = std::move(answer);
    }
    m_finished.append({id, std::move(outcome)});
}

// Answers go out only once nghttp2 has returned, since a receiver may cancel or start streams at once.
void Http2Connection::emitFinished()
{
    QPointer<Http2Connection> self(this);
    while (self && !m_finished.isEmpty()) {
        auto [id, outcome] = m_finished.takeFirst();
        emit answered(id, outcome);
    }
}

} // namespace varnex::registrar
