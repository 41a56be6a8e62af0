#include "service/registrar_server.h"

#include "varnex_version.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QUrl>
#include <QUrlQuery>

#include <cstdio>

namespace varnex::registrar {

namespace {

using varnex::kVersion;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 413:
        return "Content Too Large";
    case 414:
        return "URI Too Long";
    case 421:
        return "Misdirected Request";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Error";
    }
}

void log(const QByteArray &method, const QByteArray &target, int status, const QElapsedTimer &timer,
         const QByteArray &note = {})
{
    std::fprintf(stderr, "%s %s %d %lld ms%s%s\n", method.isEmpty() ? "-" : method.constData(),
                 target.isEmpty() ? "-" : target.left(200).constData(), status, static_cast<long long>(timer.elapsed()),
                 note.isEmpty() ? "" : ", ", note.constData());
}

// A Host that names this service: a loopback name or address, or the address
// the connection came in on. Anything else may be a page in a browser that
// rebound its own name to this address, or a client using it as an open relay.
bool namesThisService(const RequestHead &head, const QTcpSocket *socket)
{
    QByteArray host = head.host.toLower();
    if (host.isEmpty())
        return true; // HTTP/1.0 clients may send none; browsers always do
    if (host.startsWith('[')) {
        host = host.mid(1, host.indexOf(']') - 1);
    } else if (host.count(':') == 1) {
        host.truncate(host.indexOf(':'));
    }
    if (host.endsWith('.'))
        host.chop(1);
    if (host == "localhost" || host.endsWith(".localhost"))
        return true;
    const QHostAddress address(QString::fromLatin1(host));
    return !address.isNull() && (address.isLoopback() || address.isEqual(socket->localAddress()));
}

void write(ClientConnection *client, const ClientConnection::Ticket &ticket, const PageAnswer &answer, bool headOnly)
{
    QByteArray bytes = (ticket.http10 ? "HTTP/1.0 " : "HTTP/1.1 ") + QByteArray::number(answer.status) + ' '
                       + (answer.reason.isEmpty() ? reasonPhrase(answer.status) : answer.reason)
                       // The mark Varnex looks for, to tell its own service from another program on the port.
                       + "\r\nServer: varnex-registrar/" + QByteArray(kVersion)
                       + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
                       + QByteArray::number(answer.body.size()) + "\r\n" + answer.extraHeaders;
    if (answer.status == 405)
        bytes += "Allow: GET, HEAD\r\n";
    if (!ticket.keepAlive)
        bytes += "Connection: close\r\n";
    else if (ticket.http10)
        bytes += "Connection: keep-alive\r\n";
    bytes += "\r\n";
    if (!headOnly)
        bytes += answer.body;
    client->answer(ticket, bytes);
}

QByteArray refusalPage(int status)
{
    switch (status) {
    case 405:
        return "<p>Only GET and HEAD are answered here.</p>\r\n";
    case 413:
        return "<p>This service takes no request body.</p>\r\n";
    case 414:
        return "<p>The request is too long.</p>\r\n";
    case 431:
        return "<p>The request's header is too long.</p>\r\n";
    case 505:
        return "<p>Only HTTP/1.0 and HTTP/1.1 are answered here.</p>\r\n";
    default:
        return "<p>The request is not well-formed HTTP.</p>\r\n";
    }
}

} // namespace

RegistrarServer::RegistrarServer(Bootstrap bootstrap, Settings settings, QObject *parent)
    : QObject(parent), m_pages(std::move(bootstrap), std::move(settings))
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

void RegistrarServer::bind(GuardedTcpServer *listener)
{
    listener->setParent(this);
    m_listeners.append(listener);
    connect(listener, &GuardedTcpServer::connected, this, &RegistrarServer::serve);
    for (ClientConnection *client : listener->connections())
        serve(client); // any that came before
}

QList<GuardedTcpServer *> RegistrarServer::servers() const
{
    QList<GuardedTcpServer *> listeners;
    for (const QPointer<GuardedTcpServer> &listener : m_listeners) {
        if (listener)
            listeners.append(listener);
    }
    return listeners;
}

QList<quint16> RegistrarServer::serverPorts() const
{
    QList<quint16> ports;
    for (const GuardedTcpServer *listener : servers())
        ports.append(listener->serverPort());
    return ports;
}

void RegistrarServer::serve(ClientConnection *client)
{
    connect(
        client, &ClientConnection::requested, this,
        [this, client](const RequestHead &head, ClientConnection::Ticket ticket) { onRequest(client, head, ticket); });
    connect(client, &ClientConnection::refused, this,
            [this, client](int status, const QByteArray &why, const RequestHead &head,
                           ClientConnection::Ticket ticket) { onRefused(client, status, why, head, ticket); });
}

void RegistrarServer::onRefused(ClientConnection *client, int status, const QByteArray &why, const RequestHead &head,
                                ClientConnection::Ticket ticket)
{
    QElapsedTimer timer;
    timer.start();
    write(client, ticket, {status, refusalPage(status)}, head.method == "HEAD");
    log(head.method, head.target, status, timer, why);
}

void RegistrarServer::onRequest(ClientConnection *client, const RequestHead &head, ClientConnection::Ticket ticket)
{
    QElapsedTimer timer;
    timer.start();
    const bool headOnly = head.method == "HEAD";
    auto answer = [&](const PageAnswer &page) {
        write(client, ticket, page, headOnly);
        log(head.method, head.target, page.status, timer);
    };

    const QUrl url = QUrl::fromEncoded(head.target);
    if (!namesThisService(head, client->socket())) {
        answer({421, "<p>This service answers only for its own address.</p>\r\n"});
    } else if (url.path() != QLatin1String("/whois.cgi")) {
        answer({404, "<p>Not found. The page is /whois.cgi?vhost_name=NAME</p>\r\n"});
    } else if (!headOnly && head.method != "GET") {
        answer({405, refusalPage(405)});
    } else {
        const QString requested = QUrlQuery(url).queryItemValue(QStringLiteral("vhost_name"), QUrl::FullyDecoded);
        m_pages.start(requested, [client = QPointer(client), ticket, headOnly, method = head.method,
                                  target = head.target, timer](const PageAnswer &page) {
            if (!client) {
                log(method, target, page.status, timer, page.note + ", client gone");
                return;
            }
            write(client, ticket, page, headOnly);
            log(method, target, page.status, timer, page.note);
        });
    }
}

} // namespace varnex::registrar
