#include "lookup/http_response_reader.h"

#include <QRegularExpression>

#include <algorithm>
#include <cctype>
#include <utility>

namespace varnex::registrar {

namespace {

bool isToken(QByteArrayView text)
{
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                        || QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
        if (!ok)
            return false;
    }
    return true;
}

bool isDigits(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 18)
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

bool hasControlCharacter(QByteArrayView value)
{
    return std::any_of(value.begin(), value.end(),
                       [](char c) { return (c >= 0 && c < 0x20 && c != '\t') || c == 0x7f; });
}

// name ":" value, the name a token, the value free of control characters.
bool isHeaderLine(QByteArrayView line)
{
    const qsizetype colon = line.indexOf(':');
    return colon > 0 && isToken(line.first(colon)) && !hasControlCharacter(line.sliced(colon + 1));
}

// A header line as name (lower case) and trimmed value; the error when it is malformed.
QString splitHeaderLine(const QByteArray &line, QByteArray &name, QByteArray &value)
{
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0 || !isToken(QByteArrayView(line).first(colon)))
        return QStringLiteral("a header line of the answer is malformed");
    name = line.first(colon).toLower();
    value = line.sliced(colon + 1).trimmed();
    if (hasControlCharacter(value))
        return QStringLiteral("a header of the answer holds a control character");
    return {};
}

// What frames a body: an interim answer must have none, a final one at most one of each.
bool isFramingHeader(const QByteArray &name)
{
    return name == "content-length" || name == "transfer-encoding";
}

} // namespace

bool HttpResponseReader::hasHeader(QByteArrayView name) const
{
    return std::any_of(m_headers.begin(), m_headers.end(),
                       [name](const auto &entry) { return entry.first.compare(name, Qt::CaseInsensitive) == 0; });
}

QByteArray HttpResponseReader::header(QByteArrayView name) const
{
    QByteArray value;
    for (const auto &[key, headerValue] : m_headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            value = headerValue;
    }
    return value;
}

void HttpResponseReader::fail(const QString &why)
{
    m_state = State::Failed;
    m_error = why;
}

// A line ends in CRLF; a bare LF is not accepted, since framing must be exact.
bool HttpResponseReader::takeLine(QByteArrayView bytes, qsizetype &at, QByteArray &line)
{
    const qsizetype end = bytes.indexOf('\n', at);
    const qsizetype take = (end < 0 ? bytes.size() : end + 1) - at;
    m_headSize += take;
    if (m_headSize > m_limits.maxHead) {
        fail(QStringLiteral("the answer's header is too long"));
        return false;
    }
    m_line += bytes.sliced(at, take);
    at += take;
    if (end < 0)
        return false;
    if (m_line.size() < 2 || m_line.at(m_line.size() - 2) != '\r') {
        fail(QStringLiteral("a line of the answer does not end in CRLF"));
        return false;
    }
    m_line.chop(2);
    line = std::exchange(m_line, {});
    return true;
}

qsizetype HttpResponseReader::feed(QByteArrayView bytes)
{
    qsizetype at = 0;
    QByteArray line;
    while (m_state == State::Reading && at < bytes.size()) {
        switch (m_phase) {
        case Phase::StatusLine:
            if (takeLine(bytes, at, line))
                onStatusLine(line);
            break;
        case Phase::InterimHeaders:
            // The interim head counts toward the head's limit, so a flood of them ends.
            if (takeLine(bytes, at, line)) {
                if (line.isEmpty())
                    m_phase = Phase::StatusLine;
                else
                    onInterimHeaderLine(line);
            }
            break;
        case Phase::Headers:
            if (takeLine(bytes, at, line))
                line.isEmpty() ? onHeadEnd() : onHeaderLine(line);
            break;
        case Phase::Trailers:
            if (takeLine(bytes, at, line)) {
                if (line.isEmpty())
                    complete();
                else if (!isHeaderLine(line))
                    fail(QStringLiteral("a trailer line of the answer is not a header"));
            }
            break;
        case Phase::ChunkSize:
            if (takeLine(bytes, at, line))
                onChunkSize(line);
            break;
        case Phase::ChunkEnd:
            if (takeLine(bytes, at, line)) {
                if (line.isEmpty())
                    m_phase = Phase::ChunkSize;
                else
                    fail(QStringLiteral("a chunk of the answer is longer than it says"));
            }
            break;
        case Phase::Body:
        case Phase::ChunkData: {
            const qsizetype take = m_framing == Framing::Close
                                       ? bytes.size() - at
                                       : qsizetype(std::min<qint64>(m_remaining, bytes.size() - at));
            if (m_body.size() + take > m_limits.maxBody) {
                fail(QStringLiteral("the answer is larger than %1 KiB").arg(m_limits.maxBody / 1024));
                break;
            }
            m_body += bytes.sliced(at, take);
            at += take;
            m_remaining -= take;
            if (m_framing != Framing::Close && m_remaining == 0) {
                if (m_phase == Phase::ChunkData) {
                    m_headSize = 0;
                    m_phase = Phase::ChunkEnd;
                } else {
                    complete();
                }
            }
            break;
        }
        case Phase::Done:
            break;
        }
    }
    return at;
}

void HttpResponseReader::endOfStream()
{
    if (m_state != State::Reading)
        return;
    if (m_phase == Phase::Body && m_framing == Framing::Close)
        complete();
    else
        fail(QStringLiteral("the connection closed before the whole answer came"));
}

void HttpResponseReader::onStatusLine(const QByteArray &line)
{
    // One empty line before the answer is passed over, and only there: between
    // an interim head and the next status line it is a line too many.
    if (std::exchange(m_firstLine, false) && line.isEmpty())
        return;
    // The reason phrase, with the space before it, may be left out.
    static const QRegularExpression statusLine(QRegularExpression::anchoredPattern(
        QStringLiteral("HTTP/1\\.([01]) ([1-9][0-9][0-9])(?: [^\\x00-\\x08\\x0a-\\x1f\\x7f]*)?")));
    const QRegularExpressionMatch match = statusLine.match(QString::fromLatin1(line));
    if (!match.hasMatch())
        return fail(QStringLiteral("the answer does not start with an HTTP/1.x status line"));
    m_http10 = match.capturedView(1) == QLatin1String("0");
    m_status = match.capturedView(2).toInt();
    if (m_status < 200) {
        // Nothing was asked to switch to, and HTTP/1.0 has no interim answers.
        if (m_status == 101 || m_http10)
            return fail(QStringLiteral("the registry answered with an interim status %1").arg(m_status));
        m_interims.append(InterimHead{m_status, {}});
        m_phase = Phase::InterimHeaders;
        return;
    }
    m_keepAlive = !m_http10;
    m_phase = Phase::Headers;
}

void HttpResponseReader::onInterimHeaderLine(const QByteArray &line)
{
    QByteArray name, value;
    if (const QString error = splitHeaderLine(line, name, value); !error.isEmpty())
        return fail(error);
    if (isFramingHeader(name))
        return fail(QStringLiteral("an interim answer of the registry gives a body"));
    m_interims.last().headers.append({name, value});
}

void HttpResponseReader::onHeaderLine(const QByteArray &line)
{
    QByteArray name, value;
    if (const QString error = splitHeaderLine(line, name, value); !error.isEmpty())
        return fail(error);
    if (value.isEmpty() && isFramingHeader(name))
        return fail(QStringLiteral("the answer gives an empty %1").arg(QString::fromLatin1(name)));
    for (const auto &[known, knownValue] : m_headers) {
        if (known == name && isFramingHeader(name))
            return fail(QStringLiteral("the answer gives its %1 twice").arg(QString::fromLatin1(name)));
    }
    if (name == "connection") {
        for (const QByteArray &option : value.toLower().split(',')) {
            if (option.trimmed() == "close")
                m_keepAlive = false;
        }
    }
    m_headers.append({name, value});
}

void HttpResponseReader::onHeadEnd()
{
    const QByteArray length = header("content-length");
    const QByteArray encoding = header("transfer-encoding");
    const QByteArray contentEncoding = header("content-encoding").toLower();
    if (!contentEncoding.isEmpty() && contentEncoding != "identity")
        return fail(QStringLiteral("the answer is encoded (%1), which was not asked for")
                        .arg(QString::fromLatin1(contentEncoding)));
    m_headSize = 0;
    if (m_status == 204 || m_status == 304) {
        if (!length.isEmpty() || !encoding.isEmpty())
            return fail(QStringLiteral("an answer without a body gives a body length"));
        return complete();
    }
    if (!encoding.isEmpty()) {
        if (!length.isEmpty())
            return fail(QStringLiteral("the answer gives both a length and a transfer encoding"));
        if (encoding.toLower() != "chunked" || m_http10)
            return fail(QStringLiteral("the answer's transfer encoding is not plain chunked"));
        m_framing = Framing::Chunked;
        m_phase = Phase::ChunkSize;
        return;
    }
    if (!length.isEmpty()) {
        if (!isDigits(length))
            return fail(QStringLiteral("the answer's length is not a number"));
        m_remaining = length.toLongLong();
        if (m_remaining > m_limits.maxBody)
            return fail(QStringLiteral("the answer is larger than %1 KiB").arg(m_limits.maxBody / 1024));
        m_framing = Framing::Length;
        m_phase = Phase::Body;
        if (m_remaining == 0)
            complete();
        return;
    }
    m_framing = Framing::Close;
    m_keepAlive = false;
    m_phase = Phase::Body;
}

void HttpResponseReader::onChunkSize(const QByteArray &line)
{
    // chunk-size [ BWS ";" extensions ]: white space only before an extension.
    const qsizetype extension = line.indexOf(';');
    QByteArray size = extension < 0 ? line : line.first(extension);
    if (extension >= 0) {
        while (size.endsWith(' ') || size.endsWith('\t'))
            size.chop(1);
    }
    bool ok = !size.isEmpty() && size.size() <= 8;
    for (const char c : size)
        ok = ok && std::isxdigit(static_cast<unsigned char>(c));
    if (!ok)
        return fail(QStringLiteral("a chunk size of the answer is malformed"));
    m_remaining = size.toLongLong(nullptr, 16);
    if (m_remaining == 0) {
        m_phase = Phase::Trailers;
        return;
    }
    if (m_body.size() + m_remaining > m_limits.maxBody)
        return fail(QStringLiteral("the answer is larger than %1 KiB").arg(m_limits.maxBody / 1024));
    m_phase = Phase::ChunkData;
}

} // namespace varnex::registrar
