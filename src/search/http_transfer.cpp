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

} // namespace

HttpTransfer::HttpTransfer(QNetworkAccessManager &network, QObject *parent,
                           std::chrono::milliseconds timeout)
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

    QNetworkRequest request(url);
    // Follow a registrar's redirects on its own host only: a page from elsewhere is not its answer.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::SameOriginRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);

    QNetworkReply *reply = m_network.get(request);
    m_reply = reply;
    // Whatever way this returns, a reply still running is stopped.
    const auto stopReply = qScopeGuard([reply] {
        if (!reply->isFinished())
            reply->abort();
    });

    Stop stop = Stop::None;
    ByteBuffer body;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, [&] {
        stop = Stop::TimedOut;
        reply->abort();
    });
    auto tooLarge = [&] {
        stop = Stop::TooLarge;
        reply->abort();
    };
    auto checkLength = [&] {
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > kMaxBodySize)
            tooLarge();
    };
    // Read what has come at once: left in the reply, the body would be buffered
    // there and then copied out whole. This runs as a slot, so nothing may be
    // thrown out of it into Qt's event loop.
    auto take = [&] {
        for (qint64 available; stop == Stop::None && (available = reply->bytesAvailable()) > 0;) {
            if (qint64(body.size()) + available > kMaxBodySize)
                return tooLarge();
            char *room = nullptr;
            try {
                room = body.room(std::size_t(available));
            } catch (const std::bad_alloc &) {
                stop = Stop::NoMemory;
                reply->abort();
                return;
            }
            const qint64 got = reply->read(room, available);
            if (got <= 0)
                return;
            body.commit(std::size_t(got));
        }
    };
    connect(reply, &QNetworkReply::metaDataChanged, &loop, checkLength);
    connect(reply, &QNetworkReply::readyRead, &loop, take);
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    deadline.start(m_timeout);
    if (!reply->isFinished())
        loop.exec();
    // Ended from outside: by abort(), or the program is quitting.
    if (m_aborted || !reply->isFinished())
        throw SearchError(QNetworkReply::OperationCanceledError, "The search was cancelled.");
    take(); // what came with the end

    switch (stop) {
    case Stop::TimedOut:
        throw SearchError(QNetworkReply::TimeoutError,
                          QStringLiteral("The registrar did not answer within %1 seconds.")
                              .arg(m_timeout.count() / 1000.0)
                              .toStdString());
    case Stop::TooLarge:
        throw SearchError(QNetworkReply::UnknownContentError,
                          QStringLiteral("The registrar's page is larger than %1 MiB.")
                              .arg(kMaxBodySize >> 20)
                              .toStdString());
    case Stop::NoMemory:
        throw SearchError(QNetworkReply::UnknownContentError,
                          "There is not enough memory to hold the registrar's page.");
    case Stop::None:
        break;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)) {
        throw SearchError(status.toInt(),
                          reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute)
                              .toString()
                              .toStdString(),
                          reply->rawHeader("Server").toStdString());
    }
    if (reply->error() != QNetworkReply::NoError)
        throw SearchError(reply->error(), reply->errorString().toStdString());

    return body;
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
