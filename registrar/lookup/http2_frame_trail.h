#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <functional>

namespace varnex::registrar {

// The frame headers in a registry's HTTP/2 bytes, followed on their own.
// libnghttp2 drops frames for a stream it has closed without a word, yet a
// frame that follows a stream's end may contradict its answer; this sees every
// frame. It reads only what framing needs (length, type, flags, stream) and a
// RST_STREAM's error code; libnghttp2 reads the rest, and any framing fault.
class Http2FrameTrail final {
public:
    enum Type : std::uint8_t {
        Data = 0,
        Headers = 1,
        Priority = 2,
        RstStream = 3,
        WindowUpdate = 8,
        Continuation = 9,
    };
    enum Flag : std::uint8_t { EndStream = 0x1, EndHeaders = 0x4 };

    struct Frame {
        std::uint8_t type = 0;
        std::uint8_t flags = 0;
        std::int32_t stream = 0;
        std::uint32_t length = 0;
        std::uint32_t errorCode = 0; // a well-formed RST_STREAM's (length 4)
    };
    using Seen = std::function<void(const Frame &)>;

    // Calls `seen` for each frame once its header (and a RST_STREAM's code) is in.
    void feed(QByteArrayView bytes, const Seen &seen);

private:
    qsizetype headSize() const;
    std::uint32_t length() const;

    QByteArray m_head;        // the current frame's header so far, with a RST_STREAM's code
    std::uint32_t m_skip = 0; // payload bytes still to pass over
};

} // namespace varnex::registrar
