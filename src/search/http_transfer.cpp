#include "search/http_transfer.h"

#include "search/search_error.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScopeGuard>
#include <QTimer>

#include <new>

namespace varnex {

namespace {

constexpr int kMaxRedirects = 5;

enum class Stop { None, TimedOut, TooLarge, NoMemory };

// Takes a reply's body as it arrives: left in the reply, it would be buffered
// there and then copied out whole. Its handlers run as slots, so nothing may
// be thrown out of them into Qt's event loop: why the reply was stopped is
// kept for the caller to throw.
class BodyTaker final {
public:
    explicit BodyTaker(QNetworkReply &reply) : m_reply(reply) { }

    void stop(Stop why)
    {
        m_stop = why;
        m_reply.abort();
    }
    // A length announced beyond the cap stops the reply before its body comes.
    void checkLength()
    {
        if (m_reply.header(QNetworkRequest::ContentLengthHeader).toLongLong() > HttpTransfer::kMaxBodySize)
            stop(Stop::TooLarge);
    }
    void take();
    Stop stopped() const { return m_stop; }
    ByteBuffer &body() { return m_body; }

private:
    bool takeAvailable(qint64 available);

    QNetworkReply &m_reply;
    Stop m_stop = Stop::None;
    ByteBuffer m_body;
};

void BodyTaker::take()
{
    for (qint64 available; m_stop == Stop::None && (available = m_reply.bytesAvailable()) > 0;) {
        if (!takeAvailable(available))
            return;
    }
}

// False when nothing more is to be read now.
bool BodyTaker::takeAvailable(qint64 available)
{
    if (qint64(m_body.size()) + available > HttpTransfer::kMaxBodySize) {
        stop(Stop::TooLarge);
        return false;
    }
    char *room = nullptr;
    try {
        room = m_body.room(std::size_t(available));
    } catch (const std::bad_alloc &) {
        stop(Stop::NoMemory);
        return false;
    }
    const qint64 got = m_reply.read(room, available);
    if (got <= 0)
        return false;
    m_body.commit(std::size_t(got));
    return true;
}

QNetworkRequest requestFor(const QUrl &url)
{
    QNetworkRequest request(url);
    // Follow a registrar's redirects on its own host only: a page from elsewhere is not its answer.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    return request;
}

// Waits in a local event loop until the reply has finished, taking its body as
// it comes, or the time is up. The loop runs every event, user input included:
// holding input back is the caller's (see HttpTransfer).
void waitForEnd(QNetworkReply &reply, BodyTaker &taker, std::chrono::milliseconds timeout)
{
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&taker] { taker.stop(Stop::TimedOut); });
    QObject::connect(&reply, &QNetworkReply::metaDataChanged, &loop, [&taker] { taker.checkLength(); });
    QObject::connect(&reply, &QNetworkReply::readyRead, &loop, [&taker] { taker.take(); });
    QObject::connect(&reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    deadline.start(timeout);
    if (!reply.isFinished())
        loop.exec();
}

void throwIfStopped(Stop stop, std::chrono::milliseconds timeout)
{
    switch (stop) {
    case Stop::TimedOut:
        throw SearchError(QNetworkReply::TimeoutError, QStringLiteral("The registrar did not answer within %1 seconds.")
                                                           .arg(timeout.count() / 1000.0)
                                                           .toStdString());
    case Stop::TooLarge:
        throw SearchError(QNetworkReply::UnknownContentError,
                          QStringLiteral("The registrar's page is larger than %1 MiB.")
                              .arg(HttpTransfer::kMaxBodySize >> 20)
                              .toStdString());
    case Stop::NoMemory:
        throw SearchError(QNetworkReply::UnknownContentError,
                          "There is not enough memory to hold the registrar's page.");
    case Stop::None:
        break;
    }
}

// A finished reply that is not a 2xx answer, or not finished at all.
void throwIfFailed(const QNetworkReply &reply)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)) {
        throw SearchError(status.toInt(),
                          reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().toStdString(),
                          reply.rawHeader("Server").toStdString());
    }
    if (reply.error() != QNetworkReply::NoError)
        throw SearchError(reply.error(), reply.errorString().toStdString());
}

} // namespace

HttpTransfer::HttpTransfer(QNetworkAccessManager &network, QObject *parent, std::chrono::milliseconds timeout)
    : QObject(parent), m_network(network), m_timeout(timeout)
{
}

HttpTransfer::~HttpTransfer()
{
    releaseReply();
}

void HttpTransfer::releaseReply()
{
    if (m_reply)
        m_reply->deleteLater();
    m_reply = nullptr;
}

ByteBuffer HttpTransfer::fetchDocument(const QUrl &url)
{
    releaseReply();
    m_aborted = false;
    QNetworkReply *reply = m_network.get(requestFor(url));
    m_reply = reply;
    // Whatever way this returns, a reply still running is stopped.
    const auto stopReply = qScopeGuard([reply] {
        if (!reply->isFinished())
            reply->abort();
    });
    BodyTaker taker(*reply);
    waitForEnd(*reply, taker, m_timeout);
    // Ended from outside: by abort(), or the program is quitting.
    if (m_aborted || !reply->isFinished())
        throw SearchError(QNetworkReply::OperationCanceledError, "The search was cancelled.");
    taker.take(); // what came with the end
    throwIfStopped(taker.stopped(), m_timeout);
    throwIfFailed(*reply);
    return std::move(taker.body());
}

void HttpTransfer::abort()
{
    if (!m_reply || m_reply->isFinished())
        return;
    m_aborted = true;
    m_reply->abort(); // finishes the reply now, which ends the wait
}

QByteArray HttpTransfer::nextPiece(qsizetype maxSize)
{
    return m_reply ? m_reply->read(maxSize) : QByteArray();
}

} // namespace varnex
