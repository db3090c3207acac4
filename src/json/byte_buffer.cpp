#include "json/byte_buffer.h"

#include <utility>

namespace velomir::detail {

// From the heap, also when large: memory freed by the last parse is then reused by the next without new page faults
// (the allocator keeps a large block it gave back once, up to tens of megabytes).
ByteBuffer::ByteBuffer(std::size_t capacity) : data_(new char[capacity == 0 ? 1 : capacity]) {}

ByteBuffer::~ByteBuffer() { delete[] data_; }

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        delete[] data_;
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

}  // namespace velomir::detail
