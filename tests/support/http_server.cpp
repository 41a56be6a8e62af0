#include "support/http_server.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace varnex::test {

namespace {

QByteArray head(const HttpResponse &response)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + response.reason + "\r\n";
    if (response.sendContentLength)
        out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    out += "Content-Type: text/html\r\nConnection: close\r\n";
    for (const auto &[name, value] : response.headers)
        out += name + ": " + value + "\r\n";
    return out + "\r\n";
}

} // namespace

void HttpServer::answer(QTcpSocket *socket, const HttpResponse &response)
{
    --m_inFlight;
    socket->write(head(response));
    if (response.trickle.count() > 0) {
        auto *timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket, timer, body = response.body, sent = qsizetype(0)]() mutable {
            if (sent == body.size()) {
                timer->stop();
                socket->disconnectFromHost();
                return;
            }
            socket->write(body.mid(sent++, 1));
        });
        timer->start(response.trickle);
        return;
    }
    socket->write(response.closeMidBody ? response.body.left(response.body.size() / 2) : response.body);
    socket->disconnectFromHost();
}

HttpServer::HttpServer(Handler handler, quint16 port) : m_handler(std::move(handler))
{
    connect(&m_server, &QTcpServer::newConnection, this, &HttpServer::accept);
    m_server.listen(QHostAddress::LocalHost, port);
}

QString HttpServer::hostAndPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

void HttpServer::release()
{
    const auto held = std::exchange(m_held, {});
    for (const auto &[socket, response] : held) {
        if (socket)
            answer(socket, response);
        else
            --m_inFlight; // the client gave up meanwhile
    }
}

void HttpServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            if (socket->property("answered").toBool())
                return;
            QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
            socket->setProperty("buffer", buffer);
            const qsizetype end = buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            socket->setProperty("answered", true);
            HttpRequest request;
            request.requestLine = buffer.left(buffer.indexOf("\r\n"));
            const QList<QByteArray> parts = request.requestLine.split(' ');
            request.target = parts.value(1);
            m_requests.append(request);
            m_maxInFlight = std::max(m_maxInFlight, ++m_inFlight);
            if (m_onRequest)
                m_onRequest(request);
            const HttpResponse response = m_handler ? m_handler(request) : HttpResponse{};
            if (m_hold && m_hold(request)) {
                m_held.append({socket, response});
            } else if (response.delay.count() > 0) {
                QTimer::singleShot(response.delay, socket, [this, socket, response] { answer(socket, response); });
            } else {
                answer(socket, response);
            }
        });
    }
}

} // namespace varnex::test
