#pragma once

#include <cstddef>
#include <string_view>

namespace varnex {

// Bytes appended at the end, in memory mapped for the buffer alone: it grows by
// moving its pages (mremap), never by copying them, and asks for huge pages, so
// filling a few megabytes takes a few page faults rather than a thousand (on a
// virtual machine each fault can cost tens of microseconds).
class ByteBuffer final {
public:
    ByteBuffer() = default;
    ~ByteBuffer();
    ByteBuffer(const ByteBuffer &) = delete;
    ByteBuffer &operator=(const ByteBuffer &) = delete;
    ByteBuffer(ByteBuffer &&other) noexcept;
    ByteBuffer &operator=(ByteBuffer &&other) noexcept;

    // Room for `count` more bytes after the end; write them, then commit().
    // Throws std::bad_alloc when no memory can be had.
    char *room(std::size_t count)
    {
        if (m_capacity - m_size < count)
            grow(count);
        return m_data + m_size;
    }
    void commit(std::size_t count) { m_size += count; }
    // Empties the buffer and keeps its memory for what comes next.
    void clear() { m_size = 0; }

    void append(std::string_view bytes);
    void append(char byte)
    {
        *room(1) = byte;
        ++m_size;
    }

    std::size_t size() const { return m_size; }
    std::string_view view() const { return {m_data, m_size}; }

private:
    void grow(std::size_t count);

    char *m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

} // namespace varnex
