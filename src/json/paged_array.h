// A growable array in fixed pages: growing never copies what is there, so a table of a million nodes needs no
// second copy of itself while it grows. Insertion and erasure in the middle shift elements one by one.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace velomir::detail {

template <typename T, unsigned PageBits = 13>
class PagedArray {
public:
    PagedArray() = default;
    PagedArray(const PagedArray& other) { *this = other; }
    PagedArray& operator=(const PagedArray& other) {
        if (this == &other) return *this;
        clear();
        for (std::size_t i = 0; i < other.size_; ++i) push_back(other[i]);
        return *this;
    }
    PagedArray(PagedArray&& other) noexcept { *this = std::move(other); }
    PagedArray& operator=(PagedArray&& other) noexcept {
        pages_ = std::move(other.pages_);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        other.pages_.clear();
        return *this;
    }

    std::size_t size() const { return size_; }
    T& operator[](std::size_t i) { return pages_[i >> PageBits][i & kMask]; }
    const T& operator[](std::size_t i) const { return pages_[i >> PageBits][i & kMask]; }

    void push_back(const T& value) {
        if (size_ == capacity_) grow();
        (*this)[size_++] = value;
    }

    void insert(std::size_t at, const T& value) {
        push_back(value);
        for (std::size_t i = size_ - 1; i > at; --i) (*this)[i] = (*this)[i - 1];
        (*this)[at] = value;
    }

    void erase(std::size_t first, std::size_t last) {
        const std::size_t count = last - first;
        for (std::size_t i = first; i + count < size_; ++i) (*this)[i] = (*this)[i + count];
        size_ -= count;
        pages_.resize((size_ + kPageSize - 1) >> PageBits);
        capacity_ = pages_.size() << PageBits;
    }

    void clear() {
        pages_.clear();
        size_ = 0;
        capacity_ = 0;
    }

private:
    [[gnu::noinline]] void grow() {
        pages_.emplace_back(new T[kPageSize]);
        capacity_ += kPageSize;
    }

    static constexpr std::size_t kPageSize = std::size_t{1} << PageBits;
    static constexpr std::size_t kMask = kPageSize - 1;

    std::vector<std::unique_ptr<T[]>> pages_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace velomir::detail
