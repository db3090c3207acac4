#include "json/byte_buffer.h"

#include <cstdlib>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace velomir::detail {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kHugeFrom = std::size_t{4} << 20;

}  // namespace

// From the heap, also when large: memory freed by the last parse is then reused by the next without new page faults
// (the allocator keeps a large block it gave back once, up to tens of megabytes). A large buffer is aligned to huge
// pages and asks for them where the system gives them on request: the reads of a large answer's queries then miss
// the address translation cache far less often.
ByteBuffer::ByteBuffer(std::size_t capacity) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (capacity >= kHugeFrom) {
        const std::size_t rounded = (capacity + kHugePage - 1) & ~(kHugePage - 1);
        if (void* memory = std::aligned_alloc(kHugePage, rounded)) {
            madvise(memory, rounded, MADV_HUGEPAGE);  // only a hint: without huge pages the buffer works the same
            data_ = static_cast<char*>(memory);
            return;
        }
    }
#endif
    data_ = static_cast<char*>(std::malloc(capacity == 0 ? 1 : capacity));
    if (data_ == nullptr) throw std::bad_alloc();
}

ByteBuffer::~ByteBuffer() { std::free(data_); }

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        std::free(data_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

}  // namespace velomir::detail
