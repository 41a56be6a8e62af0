#pragma once

#include <QUrl>

namespace varnex::registrar {

// Which HTTP a registry host is asked over. An https host is offered HTTP/2 by
// ALPN, a plain http one only with prior knowledge when that is asked for; the
// first sign that the host does not speak it turns the host to HTTP/1.1 for good.
class TransportChoice final {
public:
    TransportChoice(const QUrl &base, bool cleartextHttp2)
        : m_mayTryHttp2(base.scheme() == QLatin1String("https") || cleartextHttp2)
    {
    }

    bool triesHttp2() const { return m_mayTryHttp2 && m_protocol != Protocol::Http1; }
    void answeredOverHttp2() { m_protocol = Protocol::Http2; }
    void fallBackToHttp1() { m_protocol = Protocol::Http1; }

private:
    enum class Protocol { Unknown, Http2, Http1 };

    bool m_mayTryHttp2;
    Protocol m_protocol = Protocol::Unknown;
};

} // namespace varnex::registrar
