#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>

namespace varnex::registrar {

// Reads one HTTP/1.x response as its bytes arrive, strictly: a single
// Content-Length or chunked framing (never both, never two lengths), no header
// folding, bounded head and body. Whatever follows the response is left to the
// caller, who can then tell a connection that sent more than it was asked for.
// Interim (1xx) heads before the final one are read and passed over, as every
// HTTP/1.1 client must; one empty line before the first status line and a
// status line without a reason phrase are taken, as servers send them.
struct HttpResponseLimits {
    qsizetype maxHead = 16 * 1024;
    qsizetype maxBody = 1 << 20; // an RDAP domain object is a few kilobytes
};

class HttpResponseReader final {
public:
    enum class State { Reading, Complete, Failed };
    using Limits = HttpResponseLimits;
    using Headers = QList<QPair<QByteArray, QByteArray>>;
    // A 1xx head read before the final one: it says nothing of the answer.
    struct InterimHead {
        int status = 0;
        Headers headers; // names in lower case
    };

    HttpResponseReader() = default;
    explicit HttpResponseReader(Limits limits) : m_limits(limits) { }

    // Takes bytes up to the end of the response; returns how many it took.
    qsizetype feed(QByteArrayView bytes);
    // The peer closed the connection: only a body framed by the close ends here.
    void endOfStream();

    State state() const { return m_state; }
    const QString &error() const { return m_error; }
    int status() const { return m_status; }
    const QByteArray &body() const { return m_body; }
    // The last value of a header, by case-insensitive name; empty when absent.
    QByteArray header(QByteArrayView name) const;
    bool hasHeader(QByteArrayView name) const;
    // Every header of the head in order, names in lower case.
    const Headers &headers() const { return m_headers; }
    // The interim heads passed over before the final one, in order.
    const QList<InterimHead> &interimHeads() const { return m_interims; }
    // The body ended with the connection, so a cut-off one looks the same.
    bool framedByClose() const { return m_framing == Framing::Close; }
    // The server lets this connection carry another request.
    bool keepAlive() const { return m_keepAlive; }

private:
    enum class Phase { StatusLine, InterimHeaders, Headers, Body, ChunkSize, ChunkData, ChunkEnd, Trailers, Done };
    enum class Framing { None, Length, Chunked, Close };

    bool takeLine(QByteArrayView bytes, qsizetype &at, QByteArray &line);
    void fail(const QString &why);
    void onStatusLine(const QByteArray &line);
    void onInterimHeaderLine(const QByteArray &line);
    void onHeaderLine(const QByteArray &line);
    void onHeadEnd();
    void onChunkSize(const QByteArray &line);
    void complete()
    {
        m_phase = Phase::Done;
        m_state = State::Complete;
    }

    Limits m_limits;
    State m_state = State::Reading;
    Phase m_phase = Phase::StatusLine;
    Framing m_framing = Framing::None;
    QString m_error;
    QByteArray m_line;
    qsizetype m_headSize = 0;
    bool m_http10 = false;
    bool m_keepAlive = false;
    bool m_firstLine = true; // no line of the answer read yet
    int m_status = 0;
    Headers m_headers;
    QList<InterimHead> m_interims;
    qint64 m_remaining = 0; // of the body or of the current chunk
    QByteArray m_body;
};

} // namespace varnex::registrar
