#include "search/byte_buffer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

namespace varnex {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t roundUp(std::size_t size)
{
    return (size + kHugePage - 1) / kHugePage * kHugePage;
}

// A mapping of `size` bytes (a multiple of kHugePage) starting on a huge-page
// boundary, so that all of it can be backed by huge pages.
char *mapAligned(std::size_t size)
{
    void *mapped = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    auto *start = static_cast<char *>(mapped);
    const std::size_t skip = (kHugePage - reinterpret_cast<std::uintptr_t>(start) % kHugePage) % kHugePage;
    if (skip > 0)
        ::munmap(start, skip);
    if (kHugePage - skip > 0)
        ::munmap(start + skip + size, kHugePage - skip);
    return start + skip;
}

} // namespace

ByteBuffer::~ByteBuffer()
{
    if (m_data)
        ::munmap(m_data, m_capacity);
}

ByteBuffer::ByteBuffer(ByteBuffer &&other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)),
      m_size(std::exchange(other.m_size, 0)),
      m_capacity(std::exchange(other.m_capacity, 0))
{
}

ByteBuffer &ByteBuffer::operator=(ByteBuffer &&other) noexcept
{
    if (this != &other) {
        if (m_data)
            ::munmap(m_data, m_capacity);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

void ByteBuffer::append(std::string_view bytes)
{
    if (!bytes.empty()) {
        std::memcpy(room(bytes.size()), bytes.data(), bytes.size());
        m_size += bytes.size();
    }
}

void ByteBuffer::grow(std::size_t count)
{
    const std::size_t capacity = roundUp(std::max(m_size + count, m_capacity * 2));
    char *data = nullptr;
    if (!m_data) {
        data = mapAligned(capacity);
    } else {
        void *moved = ::mremap(m_data, m_capacity, capacity, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED)
            throw std::bad_alloc();
        data = static_cast<char *>(moved);
    }
    // Only advice: where huge pages are not to be had, small ones do.
    ::madvise(data, capacity, MADV_HUGEPAGE);
    m_data = data;
    m_capacity = capacity;
}

} // namespace varnex
