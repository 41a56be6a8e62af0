#include "lookup/http2_connection.h"

#include "lookup/host_lookup_limit.h"
#include "lookup/request_target.h"
#include "lookup/tls_failure.h"

#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

namespace varnex::registrar {

namespace {

constexpr qint64 kReadBuffer = 64 * 1024;

bool isHttps(const QUrl &url)
{
    return url.scheme() == QLatin1String("https");
}

QSslSocket *tlsSocket(const QList<QSslCertificate> &extraCertificates, QObject *parent)
{
    auto *socket = new QSslSocket(parent);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setAllowedNextProtocols({QByteArrayLiteral("h2"), QByteArrayLiteral("http/1.1")});
    if (!extraCertificates.isEmpty())
        tls.setCaCertificates(tls.caCertificates() + extraCertificates);
    socket->setSslConfiguration(tls);
    return socket;
}

} // namespace

Http2Connection::Http2Connection(const QUrl &base, const Settings &settings, QObject *parent)
    : QObject(parent), m_base(base), m_session(std::make_unique<Http2Session>(settings.maxBody))
{
    const quint16 port = quint16(base.port(isHttps(base) ? 443 : 80));
    if (isHttps(base)) {
        QSslSocket *socket = tlsSocket(settings.extraCertificates, this);
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
        tls->connectToHostEncrypted(base.host(), port);
    else
        m_socket->connectToHost(base.host(), port);
    limitHostLookup(m_socket, settings.hostLookupBudget, [this] {
        Outcome outcome;
        outcome.transportError = true;
        outcome.unreachable = true;
        outcome.error = QStringLiteral("the registry's address was not found in time");
        failAll(outcome);
    });
}

Http2Connection::~Http2Connection()
{
    m_socket->disconnect(this);
    m_socket->abort();
}

bool Http2Connection::acceptsStreams() const
{
    return !closed() && m_socket->state() != QAbstractSocket::UnconnectedState;
}

Http2Connection::StreamId Http2Connection::get(const QUrl &url)
{
    if (closed())
        return -1;
    const StreamId id = m_session->submit(url, authorityOf(m_base));
    if (id < 0)
        return -1;
    // Sent once connected; after that, at once.
    QTimer::singleShot(0, this, [self = QPointer(this)] {
        if (self && self->m_ready)
            self->flush();
    });
    return id;
}

void Http2Connection::cancel(StreamId stream)
{
    if (m_session->cancel(stream) && m_ready)
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
        QString error;
        if (!m_session->receive(bytes, error)) {
            breakOff(error);
            return;
        }
        flush();
        emitFinished();
    }
}

// A close (a FIN, or a TLS close_notify with TCP still open) or a failure:
// what came before it still counts, then every stream still open fails.
void Http2Connection::onSocketError()
{
    QPointer<Http2Connection> self(this);
    onReadyRead();
    if (!self)
        return;
    if (!m_session->hasOpenStreams()) {
        m_closed = true;
        return;
    }
    const QAbstractSocket::SocketError error = m_socket->error();
    Outcome outcome;
    outcome.transportError = !m_anyBytes && error != QAbstractSocket::RemoteHostClosedError;
    outcome.unreachable =
        error == QAbstractSocket::HostNotFoundError || error == QAbstractSocket::ConnectionRefusedError;
    const std::optional<QString> refusal = certificateRefusal(*m_socket);
    outcome.certificateRefused = refusal.has_value();
    outcome.error = m_anyBytes || error == QAbstractSocket::RemoteHostClosedError
                        ? QStringLiteral("the connection closed before the whole answer came")
                        : refusal.value_or(m_socket->errorString());
    failAll(outcome);
}

// The registry broke the protocol: the session has failed every stream and
// queued a GOAWAY, which goes out before the connection closes at once,
// whatever the registry does next.
void Http2Connection::breakOff(const QString &error)
{
    m_socket->write(m_session->takeOutput());
    m_socket->flush();
    Outcome outcome;
    outcome.error = error;
    failAll(outcome);
}

void Http2Connection::flush()
{
    if (const QByteArray output = m_session->takeOutput(); !output.isEmpty())
        m_socket->write(output);
    if (m_session->isOver())
        m_closed = true;
}

// Every stream still open ends with this outcome, and the connection is done.
void Http2Connection::failAll(const Outcome &outcome)
{
    m_closed = true;
    m_ready = false;
    m_socket->disconnect(this);
    m_socket->abort();
    m_session->failAll(outcome);
    emitFinished();
}

// Answers go out only once nghttp2 has returned, since a receiver may cancel or start streams at once.
void Http2Connection::emitFinished()
{
    QPointer<Http2Connection> self(this);
    while (self) {
        std::optional<std::pair<StreamId, Outcome>> finished = m_session->takeFinished();
        if (!finished)
            return;
        emit answered(finished->first, finished->second);
    }
}

} // namespace varnex::registrar
