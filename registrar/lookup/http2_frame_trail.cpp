#include "lookup/http2_frame_trail.h"

#include <algorithm>

namespace varnex::registrar {

namespace {

constexpr qsizetype kFrameHeader = 9;
constexpr std::uint32_t kResetPayload = 4;

std::uint32_t bigEndian(QByteArrayView bytes)
{
    std::uint32_t value = 0;
    for (const char byte : bytes)
        value = value << 8 | std::uint8_t(byte);
    return value;
}

} // namespace

std::uint32_t Http2FrameTrail::length() const
{
    return bigEndian(QByteArrayView(m_head).first(3));
}

// A well-formed RST_STREAM is read with its error code; every other frame's payload is passed over.
qsizetype Http2FrameTrail::headSize() const
{
    const bool reset = m_head.size() >= kFrameHeader && std::uint8_t(m_head.at(3)) == RstStream;
    return reset && length() == kResetPayload ? kFrameHeader + kResetPayload : kFrameHeader;
}

void Http2FrameTrail::feed(QByteArrayView bytes, const Seen &seen)
{
    while (!bytes.isEmpty()) {
        if (m_skip > 0) {
            const auto step = std::min<qsizetype>(m_skip, bytes.size());
            m_skip -= std::uint32_t(step);
            bytes = bytes.sliced(step);
            continue;
        }
        const qsizetype take = std::min(headSize() - m_head.size(), bytes.size());
        m_head.append(bytes.first(take));
        bytes = bytes.sliced(take);
        if (m_head.size() < headSize())
            continue;
        const QByteArrayView head(m_head);
        Frame frame{std::uint8_t(head.at(3)), std::uint8_t(head.at(4)),
                    std::int32_t(bigEndian(head.sliced(5, 4)) & 0x7fffffffu), length()};
        if (head.size() > kFrameHeader)
            frame.errorCode = bigEndian(head.sliced(kFrameHeader));
        m_skip = length() - std::uint32_t(head.size() - kFrameHeader);
        m_head.clear();
        seen(frame);
    }
}

} // namespace varnex::registrar
