#include "service/request_reader.h"

#include <QList>

#include <utility>

namespace varnex::registrar {

namespace {

constexpr qsizetype kMaxMethod = 32;
constexpr QByteArrayView kVersionShape = "HTTP/0.0"; // each 0 a digit

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isTokenCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c)
           || QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

// Visible ASCII: what a request target is made of (anything else is percent-encoded).
bool isVisible(char c)
{
    return c > 0x20 && c < 0x7f;
}

// A field value may hold any byte but the control characters other than HTAB.
bool isValueCharacter(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return c == '\t' || (byte >= 0x20 && byte != 0x7f);
}

bool isWhiteSpace(char c)
{
    return c == ' ' || c == '\t';
}

// uri-host [":" port]: a name, an IPv4 address or a bracketed IPv6 address.
bool isHostValue(QByteArrayView value)
{
    for (const char c : value) {
        if (!(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z') && !isDigit(c)
            && !QByteArrayView("-._~!$&'()*+,;=:[]%").contains(c))
            return false;
    }
    return true;
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isWhiteSpace(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isWhiteSpace(text.back()))
        text.chop(1);
    return text;
}

} // namespace

qsizetype RequestReader::feed(QByteArrayView bytes)
{
    qsizetype at = 0;
    while (m_state == State::Reading && at < bytes.size()) {
        if (!take(bytes[at++]))
            break;
    }
    return at;
}

void RequestReader::fail(int status, QByteArray why)
{
    m_state = State::Failed;
    m_errorStatus = status;
    m_error = std::move(why);
}

bool RequestReader::take(char c)
{
    if (++m_size > m_limits.maxHead) {
        fail(431, "the request head is longer than " + QByteArray::number(m_limits.maxHead) + " bytes");
        return false;
    }
    if (m_phase == Phase::RequestLineEnd || m_phase == Phase::FieldLineEnd)
        takeLineEnd(c);
    else if (m_phase < Phase::RequestLineEnd)
        takeRequestLine(c);
    else
        takeFieldLine(c);
    return m_state == State::Reading;
}

void RequestReader::takeRequestLine(char c)
{
    switch (m_phase) {
    case Phase::LineStart:
        // A client may end a previous request with an extra CRLF.
        if (c == '\r') {
            m_phase = Phase::BlankLineEnd;
        } else if (isTokenCharacter(c)) {
            m_head.method += c;
            m_phase = Phase::Method;
        } else {
            fail(400, "not an HTTP request");
        }
        break;
    case Phase::BlankLineEnd:
        if (c != '\n')
            fail(400, "a line does not end in CRLF");
        m_phase = Phase::LineStart;
        break;
    case Phase::Method:
        if (c == ' ')
            m_phase = Phase::Target;
        else if (!isTokenCharacter(c))
            fail(400, "the method is not a token");
        else if (m_head.method.size() == kMaxMethod)
            fail(400, "the method is too long");
        else
            m_head.method += c;
        break;
    case Phase::Target:
        if (c == ' ' && !m_head.target.isEmpty()) {
            m_phase = Phase::Version;
        } else if (!isVisible(c)) {
            fail(400, "the request target holds a space or a byte that is not visible ASCII");
        } else if (m_head.target.isEmpty() && c != '/') {
            // The service is no proxy: only a path, never a URL or an authority.
            fail(400, "the request target is not a path");
        } else if (m_head.target.size() == m_limits.maxTarget) {
            fail(414, "the request target is longer than " + QByteArray::number(m_limits.maxTarget) + " bytes");
        } else {
            m_head.target += c;
        }
        break;
    case Phase::Version:
        if (c == '\r' && m_version.size() == kVersionShape.size()) {
            m_phase = Phase::RequestLineEnd;
            onVersion();
        } else if (m_version.size() == kVersionShape.size()
                   || !(kVersionShape[m_version.size()] == '0' ? isDigit(c) : c == kVersionShape[m_version.size()])) {
            fail(400, "the request line does not end in an HTTP version");
        } else {
            m_version += c;
        }
        break;
    default:
        break;
    }
}

// The LF after the CR that ended the request line or a field line.
void RequestReader::takeLineEnd(char c)
{
    if (c != '\n')
        return fail(400, "a line does not end in CRLF");
    const bool fieldLine = m_phase == Phase::FieldLineEnd;
    m_phase = Phase::FieldStart;
    if (fieldLine)
        onField();
}

void RequestReader::takeFieldLine(char c)
{
    switch (m_phase) {
    case Phase::FieldStart:
        if (c == '\r') {
            m_phase = Phase::HeadEnd;
        } else if (isWhiteSpace(c)) {
            fail(400, "a field line is folded or starts with white space");
        } else if (isTokenCharacter(c)) {
            m_name = QByteArray(1, c);
            m_phase = Phase::FieldName;
        } else {
            fail(400, "a field line is malformed");
        }
        break;
    case Phase::FieldName:
        if (c == ':') {
            onFieldName();
            m_phase = Phase::FieldValue;
        } else if (isTokenCharacter(c)) {
            m_name += c;
        } else {
            fail(400, "a field name is malformed");
        }
        break;
    case Phase::FieldValue:
        if (c == '\r')
            m_phase = Phase::FieldLineEnd;
        else if (!isValueCharacter(c))
            fail(400, "a field value holds a control character");
        else if (m_field != Field::Other)
            m_value += c;
        break;
    case Phase::HeadEnd:
        if (c != '\n')
            fail(400, "a line does not end in CRLF");
        else
            onHeadEnd();
        break;
    default:
        break;
    }
}

void RequestReader::onVersion()
{
    if (m_version[5] != '1')
        return fail(505, "HTTP/" + m_version.sliced(5) + " is not HTTP/1.x");
    m_head.http10 = m_version[7] == '0';
}

void RequestReader::onFieldName()
{
    m_value.clear();
    const QByteArray name = m_name.toLower();
    m_field = name == "host"                ? Field::Host
              : name == "connection"        ? Field::Connection
              : name == "content-length"    ? Field::ContentLength
              : name == "transfer-encoding" ? Field::TransferEncoding
                                            : Field::Other;
}

void RequestReader::onField()
{
    const QByteArrayView value = trimmed(m_value);
    switch (m_field) {
    case Field::Other:
        break;
    case Field::Host:
        // Two Hosts could name two services; one that is not a host name names none.
        if (m_head.hasHost)
            return fail(400, "the request has two Host fields");
        if (!isHostValue(value))
            return fail(400, "the Host field is not a host");
        m_head.hasHost = true;
        m_head.host = value.toByteArray();
        break;
    case Field::Connection:
        for (const QByteArray &option : value.toByteArray().split(',')) {
            const QByteArrayView name = trimmed(option);
            if (name.compare("close", Qt::CaseInsensitive) == 0)
                m_close = true;
            else if (name.compare("keep-alive", Qt::CaseInsensitive) == 0)
                m_keepAliveAsked = true;
        }
        break;
    case Field::ContentLength: {
        // Two lengths, even equal ones, are how requests are smuggled past a reader that takes the other.
        if (m_hasLength)
            return fail(400, "the request has two Content-Length fields");
        bool digits = !value.isEmpty() && value.size() <= 18;
        for (const char c : value)
            digits = digits && isDigit(c);
        if (!digits)
            return fail(400, "the Content-Length is not a number");
        m_hasLength = true;
        m_length = value.toLongLong();
        break;
    }
    case Field::TransferEncoding:
        m_hasEncoding = true;
        break;
    }
}

void RequestReader::onHeadEnd()
{
    if (!m_head.http10 && !m_head.hasHost)
        return fail(400, "an HTTP/1.1 request without a Host field");
    if (m_hasEncoding && (m_hasLength || m_head.http10))
        return fail(400, "the request's body framing is contradictory");
    if (m_hasEncoding || m_length > 0) {
        if (m_head.method != "GET" && m_head.method != "HEAD")
            return fail(405, "a " + m_head.method + " request with a body");
        return fail(413, "a request with a body");
    }
    m_head.keepAlive = !m_close && (!m_head.http10 || m_keepAliveAsked);
    m_state = State::Complete;
}

} // namespace varnex::registrar
