#include "lookup/registry_connection.h"

#include "lookup/host_lookup_limit.h"
#include "lookup/request_target.h"
#include "lookup/tls_failure.h"

#include <QSslConfiguration>
#include <QSslSocket>

namespace varnex::registrar {

namespace {

constexpr qint64 kReadBuffer = 64 * 1024; // the socket never holds more than this unread

bool isHttps(const QUrl &url)
{
    return url.scheme() == QLatin1String("https");
}

} // namespace

RegistryConnection::RegistryConnection(const QUrl &base, const QList<QSslCertificate> &extraCertificates,
                                       std::chrono::milliseconds hostLookupBudget, QObject *parent)
    : QObject(parent), m_base(base), m_hostLookupBudget(hostLookupBudget)
{
    if (isHttps(base)) {
        auto *socket = new QSslSocket(this);
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setAllowedNextProtocols({QByteArrayLiteral("http/1.1")});
        if (!extraCertificates.isEmpty())
            tls.setCaCertificates(tls.caCertificates() + extraCertificates);
        socket->setSslConfiguration(tls);
        m_socket = socket;
    } else {
        m_socket = new QTcpSocket(this);
    }
    m_socket->setReadBufferSize(kReadBuffer);
    connect(m_socket, &QTcpSocket::readyRead, this, &RegistryConnection::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &RegistryConnection::onPeerClosed);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &RegistryConnection::onError);
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        if (!isHttps(m_base))
            m_socket->write(std::exchange(m_pendingRequest, {}));
    });
    if (auto *tls = qobject_cast<QSslSocket *>(m_socket)) {
        connect(tls, &QSslSocket::encrypted, this, [this] { m_socket->write(std::exchange(m_pendingRequest, {})); });
    }
}

RegistryConnection::~RegistryConnection() = default;

bool RegistryConnection::isIdle() const
{
    return m_usable && !m_reader && m_socket->state() == QAbstractSocket::ConnectedState && m_requests > 0;
}

void RegistryConnection::get(const QUrl &url)
{
    Q_ASSERT(!m_reader && m_usable);
    m_reader = std::make_unique<HttpResponseReader>();
    const int defaultPort = isHttps(m_base) ? 443 : 80;
    const QByteArray request = "GET " + requestTarget(url) + " HTTP/1.1\r\nHost: " + authorityOf(m_base)
                               + "\r\nAccept: application/rdap+json\r\nAccept-Encoding: identity\r\n"
                                 "User-Agent: varnex-registrar\r\n\r\n";
    ++m_requests;
    if (m_socket->state() == QAbstractSocket::UnconnectedState) {
        m_pendingRequest = request;
        if (auto *tls = qobject_cast<QSslSocket *>(m_socket))
            tls->connectToHostEncrypted(m_base.host(), quint16(m_base.port(defaultPort)));
        else
            m_socket->connectToHost(m_base.host(), quint16(m_base.port(defaultPort)));
        limitHostLookup(m_socket, m_hostLookupBudget, [this] {
            Outcome outcome;
            outcome.transportError = true;
            outcome.unreachable = true;
            outcome.error = QStringLiteral("the registry's address was not found in time");
            drop();
            finish(std::move(outcome));
        });
    } else {
        m_socket->write(request);
    }
}

void RegistryConnection::onReadyRead()
{
    if (!m_reader) {
        // Nobody asked: whatever this is, it must not answer the next question.
        m_socket->readAll();
        drop();
        emit closedWhileIdle();
        return;
    }
    while (m_reader && m_socket->bytesAvailable() > 0) {
        const QByteArray bytes = m_socket->read(kReadBuffer);
        const qsizetype taken = m_reader->feed(bytes);
        if (m_reader->state() == HttpResponseReader::State::Reading)
            continue;
        const bool extra = taken < bytes.size() || m_socket->bytesAvailable() > 0;
        Outcome outcome;
        if (m_reader->state() == HttpResponseReader::State::Failed) {
            outcome.error = m_reader->error();
            drop();
        } else if (extra) {
            outcome.error = QStringLiteral("the registry sent more than one answer to one question");
            drop();
        } else if (!m_reader->keepAlive()) {
            drop();
        }
        if (outcome.error.isEmpty())
            outcome.response = std::shared_ptr<const HttpResponseReader>(m_reader.release());
        finish(std::move(outcome));
    }
}

// The registry closed the connection: with a FIN, or over TLS with a
// close_notify while TCP stays open, which ends the answer just the same.
// What came before the close is read first.
void RegistryConnection::onPeerClosed()
{
    if (m_reader && m_socket->bytesAvailable() > 0)
        onReadyRead();
    if (!m_usable)
        return; // already dropped and told
    drop();
    if (!m_reader) {
        emit closedWhileIdle();
        return;
    }
    m_reader->endOfStream();
    Outcome outcome;
    if (m_reader->state() == HttpResponseReader::State::Complete)
        outcome.response = std::shared_ptr<const HttpResponseReader>(m_reader.release());
    else
        outcome.error = m_reader->error();
    finish(std::move(outcome));
}

void RegistryConnection::onError()
{
    const QAbstractSocket::SocketError error = m_socket->error();
    if (error == QAbstractSocket::RemoteHostClosedError)
        return onPeerClosed();
    if (!m_reader) {
        drop();
        emit closedWhileIdle();
        return;
    }
    Outcome outcome;
    outcome.transportError =
        m_reader->state() == HttpResponseReader::State::Reading && m_socket->bytesAvailable() == 0 && m_requests == 1;
    outcome.unreachable =
        error == QAbstractSocket::HostNotFoundError || error == QAbstractSocket::ConnectionRefusedError;
    const std::optional<QString> refusal = certificateRefusal(*m_socket);
    outcome.certificateRefused = outcome.transportError && refusal;
    outcome.error = refusal.value_or(m_socket->errorString());
    drop();
    finish(std::move(outcome));
}

void RegistryConnection::finish(Outcome outcome)
{
    outcome.firstOnConnection = m_requests == 1;
    m_reader.reset();
    emit answered(outcome);
}

void RegistryConnection::drop()
{
    m_usable = false;
    m_socket->disconnect(this);
    m_socket->abort();
}

RegistryAnswer registryAnswerOf(const HttpResponseReader &response, bool firstOnConnection)
{
    RegistryAnswer answer;
    answer.status = response.status();
    answer.contentType = response.header("content-type").toLower();
    answer.body = response.body();
    answer.location = response.header("location");
    answer.retryAfter = response.header("retry-after");
    answer.complete = !response.framedByClose();
    answer.bound = firstOnConnection;
    return answer;
}

} // namespace varnex::registrar
