#include "registrar_server.h"

#include "name_rules.h"
#include "whois_page.h"

#include <QElapsedTimer>
#include <QHttpServerRequest>
#include <QMetaEnum>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>

namespace varnex::registrar {

namespace {

constexpr qsizetype kMaxTarget = 2048;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 414:
        return "URI Too Long";
    default:
        return "Error";
    }
}

struct Response {
    int status = 200;
    QByteArray body;
    QByteArray extraHeaders;
};

bool wantsClose(const QHttpServerRequest &request)
{
    for (const auto &[name, value] : request.headers()) {
        if (name.compare("connection", Qt::CaseInsensitive) == 0 && value.toLower().contains("close"))
            return true;
    }
    return false;
}

void write(QTcpSocket *socket, const Response &response, bool headOnly, bool close)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status)
                      + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
                      + QByteArray::number(response.body.size()) + "\r\n" + response.extraHeaders;
    if (close)
        head += "Connection: close\r\n";
    GuardedTcpServer::answered(socket);
    socket->write(head + "\r\n");
    if (!headOnly)
        socket->write(response.body);
    if (close)
        socket->disconnectFromHost();
}

QByteArray methodName(QHttpServerRequest::Method method)
{
    return QByteArray(QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(int(method))).toUpper();
}

QByteArray target(const QHttpServerRequest &request)
{
    const QUrl url = request.url();
    QByteArray text = url.path(QUrl::FullyEncoded).toLatin1();
    if (url.hasQuery())
        text += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    return text;
}

void log(const QByteArray &method, const QByteArray &target, int status, const QElapsedTimer &timer,
         const QByteArray &note = {})
{
    std::fprintf(stderr, "%s %s %d %lld ms%s%s\n", method.constData(), target.left(200).constData(), status,
                 static_cast<long long>(timer.elapsed()), note.isEmpty() ? "" : ", ", note.constData());
}

} // namespace

struct PageJob {
    QPointer<QTcpSocket> socket;
    bool headOnly = false;
    bool close = false;
    QByteArray method;
    QByteArray target;
    QElapsedTimer timer;
    QString requested;
    QList<CheckedName> names;
    int waiting = 0;
    int cacheHits = 0;
    bool answered = false;
};

RegistrarServer::RegistrarServer(Bootstrap bootstrap, Settings settings, QObject *parent)
    : QAbstractHttpServer(parent), m_settings(settings), m_rdap(std::move(bootstrap), m_network, settings.rdap)
{
}

RegistrarServer::~RegistrarServer() = default;

quint16 RegistrarServer::listenGuarded(const QHostAddress &address, quint16 port, GuardedTcpServer::Limits limits)
{
    auto *listener = new GuardedTcpServer(limits, this);
    if (!listener->listen(address, port)) {
        delete listener;
        return 0;
    }
    bind(listener);
    return listener->serverPort();
}

void RegistrarServer::missingHandler(const QHttpServerRequest &, QTcpSocket *) {}

bool RegistrarServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray method = methodName(request.method());
    const QByteArray requestTarget = target(request);
    const bool close = wantsClose(request);
    const bool headOnly = request.method() == QHttpServerRequest::Method::Head;
    auto answer = [&](const Response &response) {
        write(socket, response, headOnly, close);
        log(method, requestTarget, response.status, timer);
    };

    if (requestTarget.size() > kMaxTarget) {
        answer({414, "<p>The request is too long.</p>\r\n"});
    } else if (request.url().path() != QLatin1String("/whois.cgi")) {
        answer({404, "<p>Not found. The page is /whois.cgi?vhost_name=NAME</p>\r\n"});
    } else if (request.method() != QHttpServerRequest::Method::Get && !headOnly) {
        answer({405, "<p>Only GET and HEAD are answered here.</p>\r\n", "Allow: GET, HEAD\r\n"});
    } else {
        startPage(request, socket, headOnly);
    }
    return true;
}

void RegistrarServer::startPage(const QHttpServerRequest &request, QTcpSocket *socket, bool headOnly)
{
    auto job = std::make_shared<PageJob>();
    job->timer.start();
    job->socket = socket;
    job->headOnly = headOnly;
    job->close = wantsClose(request);
    job->method = methodName(request.method());
    job->target = target(request);
    job->requested = request.query().queryItemValue(QStringLiteral("vhost_name"), QUrl::FullyDecoded);

    const std::optional<QString> label = labelFor(job->requested);
    if (!label) {
        write(socket, {200, invalidNamePage(job->requested)}, headOnly, job->close);
        log(job->method, job->target, 200, job->timer, "not a valid name");
        return;
    }
    for (const QString &domain : candidatesFor(*label))
        job->names.append({domain, std::nullopt});
    GuardedTcpServer::setWaiting(socket, true);
    for (int i = 0; i < job->names.size(); ++i)
        check(job, i);
    if (job->waiting == 0) {
        finishPage(job);
        return;
    }
    // Whatever happens, the page is answered in time, with what is still pending unchecked.
    QTimer::singleShot(m_settings.pageDeadline, this, [this, weak = std::weak_ptr<PageJob>(job)] {
        if (const std::shared_ptr<PageJob> job = weak.lock())
            finishPage(job);
    });
}

void RegistrarServer::check(const std::shared_ptr<PageJob> &job, int index)
{
    const QString domain = job->names[index].domain;
    if (std::optional<Availability> cached = m_cache.find(domain)) {
        job->names[index].answer = std::move(cached);
        ++job->cacheHits;
        return;
    }
    ++job->waiting;
    lookup(domain, [this, job, index](const Availability &answer) {
        if (job->answered)
            return;
        job->names[index].answer = answer;
        if (--job->waiting == 0)
            finishPage(job);
    });
}

void RegistrarServer::lookup(const QString &domain, RdapClient::Done done)
{
    QList<RdapClient::Done> &waiting = m_inFlight[domain];
    waiting.append(std::move(done));
    if (waiting.size() > 1)
        return;
    m_rdap.lookup(domain, [this, domain](const Availability &answer) {
        m_cache.store(domain, answer);
        const QList<RdapClient::Done> callbacks = m_inFlight.take(domain);
        for (const RdapClient::Done &callback : callbacks)
            callback(answer);
    });
}

void RegistrarServer::finishPage(const std::shared_ptr<PageJob> &job)
{
    if (job->answered)
        return;
    job->answered = true;
    const QByteArray note = QByteArray::number(job->cacheHits) + " of " + QByteArray::number(job->names.size())
                            + " names from the cache";
    if (!job->socket) {
        log(job->method, job->target, 200, job->timer, note + ", client gone");
        return;
    }
    GuardedTcpServer::setWaiting(job->socket, false);
    write(job->socket, {200, whoisPage(job->requested, job->names)}, job->headOnly, job->close);
    log(job->method, job->target, 200, job->timer, note);
}

} // namespace varnex::registrar
