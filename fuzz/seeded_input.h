#pragma once

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <optional>

// An input of a fuzzer that reads a stream in pieces: its first four bytes seed
// where the stream is cut, the rest is the stream. None when it is too short.
struct SeededInput {
    std::uint32_t seed;
    QByteArrayView bytes;
};

inline std::optional<SeededInput> seededInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return std::nullopt;
    const std::uint32_t seed = std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 | std::uint32_t(data[2]) << 16
                               | std::uint32_t(data[3]) << 24;
    return SeededInput{seed, QByteArrayView(reinterpret_cast<const char *>(data + 4), qsizetype(size - 4))};
}
