#include "lookup/dns_answer.h"

#include <QByteArray>

#include <optional>

namespace varnex::registrar {

namespace {

constexpr qsizetype kHeaderSize = 12;
constexpr qsizetype kMaxWireName = 255;
constexpr quint16 kTypeNs = 2;
constexpr quint16 kClassIn = 1;
constexpr int kNoError = 0;
constexpr int kNxDomain = 3;

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// "Shop.com." as lower-case wire labels, so that comparing names never has to
// wonder about a dot inside a label. None when it is not a name.
std::optional<QByteArray> wireName(QByteArrayView dotted)
{
    if (dotted.endsWith('.'))
        dotted.chop(1);
    QByteArray wire;
    while (!dotted.isEmpty()) {
        const qsizetype dot = dotted.indexOf('.');
        const QByteArrayView label = dot < 0 ? dotted : dotted.first(dot);
        if (label.isEmpty() || label.size() > 63)
            return std::nullopt;
        wire += char(label.size());
        for (const char c : label)
            wire += lower(c);
        dotted = dot < 0 ? QByteArrayView() : dotted.sliced(dot + 1);
    }
    wire += '\0';
    if (wire.size() > kMaxWireName)
        return std::nullopt;
    return wire;
}

// Reads the message front to back; any read past its end fails the whole answer.
class Reader final {
public:
    explicit Reader(QByteArrayView message) : m_message(message) { }

    qsizetype offset() const { return m_offset; }
    bool atEnd() const { return m_offset == m_message.size(); }

    std::optional<quint16> u16()
    {
        if (m_message.size() - m_offset < 2)
            return std::nullopt;
        const auto value = quint16(quint8(m_message[m_offset]) << 8 | quint8(m_message[m_offset + 1]));
        m_offset += 2;
        return value;
    }

    bool skip(qsizetype count)
    {
        if (m_message.size() - m_offset < count)
            return false;
        m_offset += count;
        return true;
    }

    // A name, compressed or not, as lower-case wire labels. A pointer must lead
    // back before the piece it is in, so a name cannot loop; label types other
    // than plain labels and pointers are not answers we read.
    std::optional<QByteArray> name()
    {
        QByteArray wire;
        qsizetype at = m_offset;
        qsizetype pieceStart = m_offset;
        qsizetype resume = -1; // where the record goes on after the first pointer
        for (;;) {
            if (at >= m_message.size())
                return std::nullopt;
            const auto length = quint8(m_message[at]);
            if ((length & 0xc0) == 0xc0) {
                if (at + 1 >= m_message.size())
                    return std::nullopt;
                const qsizetype target = qsizetype(length & 0x3f) << 8 | quint8(m_message[at + 1]);
                if (target < kHeaderSize || target >= pieceStart)
                    return std::nullopt;
                if (resume < 0)
                    resume = at + 2;
                at = pieceStart = target;
                continue;
            }
            if (length & 0xc0)
                return std::nullopt;
            if (m_message.size() - at - 1 < length || wire.size() + 1 + length > kMaxWireName)
                return std::nullopt;
            wire += char(length);
            for (qsizetype i = at + 1; i <= at + length; ++i)
                wire += lower(m_message[i]);
            at += 1 + length;
            if (length == 0)
                break;
        }
        m_offset = resume < 0 ? at : resume;
        return wire;
    }

private:
    QByteArrayView m_message;
    qsizetype m_offset = 0;
};

} // namespace

DnsVerdict dnsVerdictOf(QByteArrayView message, QByteArrayView askedName)
{
    const std::optional<QByteArray> asked = wireName(askedName);
    if (!asked)
        return DnsVerdict::NoAnswer;
    Reader reader(message);
    std::optional<quint16> counts[5]; // flags, then questions, answers, authority and additional records
    if (!reader.skip(2))              // the ID: c-ares has matched it to the question
        return DnsVerdict::NoAnswer;
    for (std::optional<quint16> &count : counts) {
        count = reader.u16();
        if (!count)
            return DnsVerdict::NoAnswer;
    }
    const quint16 flags = *counts[0];
    const bool response = flags & 0x8000;
    const int opcode = (flags >> 11) & 0xf;
    const bool truncated = flags & 0x0200;
    const int rcode = flags & 0xf;
    if (!response || opcode != 0 || truncated || (rcode != kNoError && rcode != kNxDomain) || *counts[1] != 1)
        return DnsVerdict::NoAnswer;

    const std::optional<QByteArray> question = reader.name();
    const std::optional<quint16> questionType = reader.u16();
    const std::optional<quint16> questionClass = reader.u16();
    if (question != asked || questionType != kTypeNs || questionClass != kClassIn)
        return DnsVerdict::NoAnswer;

    bool hasNameServers = false;
    const int answers = *counts[2];
    const int records = answers + *counts[3] + *counts[4];
    for (int i = 0; i < records; ++i) {
        const std::optional<QByteArray> owner = reader.name();
        const std::optional<quint16> type = reader.u16();
        const std::optional<quint16> recordClass = reader.u16();
        const bool ttl = reader.skip(4);
        const std::optional<quint16> length = reader.u16();
        if (!owner || !length || !ttl || !type || !recordClass)
            return DnsVerdict::NoAnswer;
        const qsizetype dataEnd = reader.offset() + *length;
        if (*type == kTypeNs) {
            // The data of an NS record is one name that fills it exactly.
            if (!reader.name() || reader.offset() != dataEnd)
                return DnsVerdict::NoAnswer;
            hasNameServers = hasNameServers || (i < answers && *recordClass == kClassIn && *owner == *asked);
        } else if (!reader.skip(*length)) {
            return DnsVerdict::NoAnswer;
        }
    }
    if (!reader.atEnd())
        return DnsVerdict::NoAnswer;
    return rcode == kNoError && hasNameServers ? DnsVerdict::HasNameServers : DnsVerdict::NoNameServers;
}

} // namespace varnex::registrar
