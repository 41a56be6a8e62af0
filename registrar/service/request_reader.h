#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace varnex::registrar {

// What the service takes of a request: its head. The page needs no body.
struct RequestHead {
    QByteArray method;   // a token, case as sent
    QByteArray target;   // origin-form, visible ASCII as sent, not decoded
    bool http10 = false; // HTTP/1.0; any later HTTP/1.x is answered as HTTP/1.1
    bool keepAlive = true;
    bool hasHost = false;
    QByteArray host; // the Host field's value

    bool operator==(const RequestHead &) const = default;
};

struct RequestLimits {
    qsizetype maxHead = 16 * 1024; // request line, fields, and any empty lines before them
    qsizetype maxTarget = 2048;
};

// Reads one HTTP/1.x request head as its bytes arrive, strictly, a byte at a
// time, so it ends at the same byte however the bytes are cut: lines end in
// CRLF only, no folded fields, one Host (required from HTTP/1.1 on), at most
// one Content-Length, bounded head and target. A request that announces a body
// (a Content-Length above 0, or any Transfer-Encoding) is refused, since the
// service never reads one and could not tell where the next request starts.
// Whatever follows the head is left to the caller: the next request.
class RequestReader final {
public:
    enum class State { Reading, Complete, Failed };
    using Limits = RequestLimits;

    RequestReader() = default;
    explicit RequestReader(Limits limits) : m_limits(limits) { }

    // Takes bytes up to the end of the head, or up to the byte that made it
    // fail; returns how many it took.
    qsizetype feed(QByteArrayView bytes);

    State state() const { return m_state; }
    // Complete: the request. Failed: what was read of it, for the answer's version and the log.
    const RequestHead &head() const { return m_head; }
    // Failed: the status to answer with (400, 405, 413, 414, 431 or 505) and why.
    int errorStatus() const { return m_errorStatus; }
    const QByteArray &error() const { return m_error; }
    // Something other than empty lines has come: a close now cuts a request off.
    bool started() const { return m_phase != Phase::LineStart && m_phase != Phase::BlankLineEnd; }

private:
    enum class Phase {
        LineStart,    // before the request line; empty lines are skipped
        BlankLineEnd, // CR of an empty line seen, LF expected
        Method,
        Target,
        Version,
        RequestLineEnd, // CR seen, LF expected
        FieldStart,
        FieldName,
        FieldValue,
        FieldLineEnd,
        HeadEnd,
    };
    enum class Field { Other, Host, Connection, ContentLength, TransferEncoding };

    bool take(char c); // false once the head is over, one way or the other
    void takeRequestLine(char c);
    void takeLineEnd(char c);
    void takeFieldLine(char c);
    void fail(int status, QByteArray why);
    void onVersion();
    void onFieldName();
    void onField();
    void onHeadEnd();

    Limits m_limits;
    State m_state = State::Reading;
    Phase m_phase = Phase::LineStart;
    RequestHead m_head;
    int m_errorStatus = 0;
    QByteArray m_error;
    qsizetype m_size = 0; // of the head so far
    QByteArray m_version;
    QByteArray m_name;
    QByteArray m_value; // kept only for the fields that matter here
    Field m_field = Field::Other;
    bool m_close = false;
    bool m_keepAliveAsked = false;
    bool m_hasLength = false;
    qint64 m_length = 0;
    bool m_hasEncoding = false;
};

} // namespace varnex::registrar
