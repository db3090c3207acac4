#include "json/byte_buffer.h"

#include <cstdint>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace velomir::detail {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a buffer comes from the heap, where freed memory is reused without new page faults.
constexpr std::size_t kMappedFrom = std::size_t{4} << 20;

}  // namespace

ByteBuffer::ByteBuffer(std::size_t capacity) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (capacity >= kMappedFrom) {
        const std::size_t length = capacity + kHugePage;
        void* mapping = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping != MAP_FAILED) {
            const auto start = (reinterpret_cast<std::uintptr_t>(mapping) + kHugePage - 1) & ~(kHugePage - 1);
            data_ = reinterpret_cast<char*>(start);
            madvise(data_, capacity, MADV_HUGEPAGE);  // only a hint: without huge pages the buffer works the same
            mapping_ = mapping;
            mapped_ = length;
            return;
        }
    }
#endif
    data_ = new char[capacity == 0 ? 1 : capacity];
}

ByteBuffer::~ByteBuffer() { release(); }

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)),
      mapping_(std::exchange(other.mapping_, nullptr)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mapped_ = std::exchange(other.mapped_, 0);
        mapping_ = std::exchange(other.mapping_, nullptr);
    }
    return *this;
}

void ByteBuffer::release() {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (mapped_ != 0) {
        munmap(mapping_, mapped_);
        data_ = nullptr;
        mapped_ = 0;
        return;
    }
#endif
    delete[] data_;
    data_ = nullptr;
}

}  // namespace velomir::detail
