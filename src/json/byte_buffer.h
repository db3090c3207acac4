// A byte buffer of fixed capacity for loaded texts, written in place without clearing it first.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace velomir::detail {

class ByteBuffer {
public:
    ByteBuffer() = default;
    explicit ByteBuffer(std::size_t capacity);
    ~ByteBuffer();
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    std::size_t size() const { return size_; }
    std::string_view view() const { return {data_, size_}; }

    // The caller keeps within the capacity given at construction.
    void append(std::string_view bytes) {
        if (!bytes.empty()) std::memcpy(data_ + size_, bytes.data(), bytes.size());
        size_ += bytes.size();
    }
    void push_back(char c) { data_[size_++] = c; }
    // Writing in place: the caller writes at tail() within the capacity, then counts what it keeps.
    char* tail() { return data_ + size_; }
    void commit(std::size_t bytes) { size_ += bytes; }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace velomir::detail
