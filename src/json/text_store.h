// Immutable texts of a node table, addressed by 32-bit references so that a node record stays small.
// A large buffer (a loaded answer) is kept whole; small texts are copied into shared chunks. Copies of a store
// share every byte written so far and never write into each other's chunks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "json/byte_buffer.h"

namespace velomir::detail {

class TextStore {
public:
    using Ref = std::uint32_t;

    TextStore() = default;
    TextStore(const TextStore& other);
    TextStore& operator=(const TextStore& other);
    TextStore(TextStore&&) noexcept = default;
    TextStore& operator=(TextStore&&) noexcept = default;

    // Takes the buffer over; returns the reference of its first byte. Throws std::length_error when the
    // 4 GiB reference space is used up.
    Ref keep(std::string buffer);
    Ref keep(ByteBuffer buffer);
    // Copies a text; returns the reference of its first byte.
    Ref copy(std::string_view text);

    std::string_view view(Ref ref, std::uint32_t length) const {
        if (length == 0) return {};
        return {pointer(ref), length};
    }
    // The byte at ref, which must lie inside a kept or copied text; the texts in front of it in the same buffer
    // lie right in front of it.
    const char* pointer(Ref ref) const { return pages_[ref >> kPageBits] + (ref & kPageMask); }
    void clear();

private:
    static constexpr unsigned kPageBits = 16;
    static constexpr Ref kPageMask = (Ref{1} << kPageBits) - 1;
    static constexpr std::size_t kChunkSize = std::size_t{1} << 20;

    Ref map(const char* data, std::size_t size);

    std::vector<const char*> pages_;
    std::vector<std::shared_ptr<const void>> owners_;
    char* chunk_ = nullptr;  // free space of the current chunk, owned through owners_
    std::size_t chunkLeft_ = 0;
    std::size_t nextChunk_ = 0;  // size of the last chunk
    Ref chunkRef_ = 0;
};

}  // namespace velomir::detail
