#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <chrono>
#include <functional>
#include <utility>

namespace varnex::test {

struct HttpRequest {
    QByteArray requestLine; // e.g. "GET /whois.cgi?vhost_name=x HTTP/1.1"
    QByteArray target;      // e.g. "/whois.cgi?vhost_name=x"
};

struct HttpResponse {
    int status = 200;
    QByteArray reason = "OK";
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers;
    std::chrono::milliseconds delay{0};   // wait this long before answering
    bool sendContentLength = true;        // false: the body ends when the connection closes
    bool closeMidBody = false;            // announce the whole body, send half, close
    std::chrono::milliseconds trickle{0}; // send the body one byte at a time at this pace
};

// A small real HTTP/1.1 server on 127.0.0.1 for tests: it reads each request's
// head, records it, and answers with whatever the handler returns, then closes
// the connection. It runs on the test's own thread, so it answers while the code
// under test waits in an event loop.
class HttpServer final : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<HttpResponse(const HttpRequest &)>;

    explicit HttpServer(Handler handler = {}, quint16 port = 0);

    quint16 port() const { return m_server.serverPort(); }
    QString hostAndPort() const;
    bool isListening() const { return m_server.isListening(); }

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    // Runs as each request arrives, before it is answered.
    void setOnRequest(std::function<void(const HttpRequest &)> onRequest) { m_onRequest = std::move(onRequest); }
    // Requests `hold` picks are read and recorded but left unanswered until
    // release(), so a test decides the order answers arrive in, not the clock.
    void setHold(std::function<bool(const HttpRequest &)> hold) { m_hold = std::move(hold); }
    int held() const { return int(m_held.size()); }
    void release(); // answers every held request now, in the order they came
    const QList<HttpRequest> &requests() const { return m_requests; }
    // Requests read but not yet answered, now and at the most so far.
    int inFlight() const { return m_inFlight; }
    int maxInFlight() const { return m_maxInFlight; }

private:
    void accept();
    void answer(QTcpSocket *socket, const HttpResponse &response);

    QTcpServer m_server;
    Handler m_handler;
    std::function<void(const HttpRequest &)> m_onRequest;
    std::function<bool(const HttpRequest &)> m_hold;
    QList<std::pair<QPointer<QTcpSocket>, HttpResponse>> m_held;
    QList<HttpRequest> m_requests;
    int m_inFlight = 0;
    int m_maxInFlight = 0;
};

} // namespace varnex::test
