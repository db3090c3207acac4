#include "json/text_store.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace velomir::detail {

TextStore::TextStore(const TextStore& other) : pages_(other.pages_), owners_(other.owners_) {}

TextStore& TextStore::operator=(const TextStore& other) {
    if (this != &other) {
        pages_ = other.pages_;
        owners_ = other.owners_;
        // The other store may still fill its chunk: this one starts a chunk of its own.
        chunk_ = nullptr;
        chunkLeft_ = 0;
    }
    return *this;
}

TextStore::Ref TextStore::map(const char* data, std::size_t size) {
    const std::size_t pages = size == 0 ? 1 : ((size - 1) >> kPageBits) + 1;
    if (pages_.size() + pages > (std::size_t{1} << (32 - kPageBits))) throw std::length_error("text store full");
    const Ref ref = static_cast<Ref>(pages_.size() << kPageBits);
    for (std::size_t i = 0; i < pages; ++i) pages_.push_back(data + (i << kPageBits));
    return ref;
}

TextStore::Ref TextStore::keep(std::string buffer) {
    auto owner = std::make_shared<const std::string>(std::move(buffer));
    const Ref ref = map(owner->data(), owner->size());
    owners_.push_back(std::move(owner));
    return ref;
}

TextStore::Ref TextStore::keep(ByteBuffer buffer) {
    auto owner = std::make_shared<const ByteBuffer>(std::move(buffer));
    const Ref ref = map(owner->view().data(), owner->size());
    owners_.push_back(std::move(owner));
    return ref;
}

TextStore::Ref TextStore::copy(std::string_view text) {
    if (text.size() > kChunkSize / 4) return keep(std::string(text));
    if (text.size() > chunkLeft_) {
        // Chunks grow from a few kilobytes: most tables copy only the root's name. Their bytes are not cleared.
        nextChunk_ = std::min(kChunkSize, std::max(nextChunk_ * 2, std::max<std::size_t>(text.size(), 4096)));
        std::shared_ptr<char[]> chunk(new char[nextChunk_]);
        chunk_ = chunk.get();
        chunkLeft_ = nextChunk_;
        chunkRef_ = map(chunk_, nextChunk_);
        owners_.push_back(std::move(chunk));
    }
    const Ref ref = chunkRef_;
    if (!text.empty()) std::memcpy(chunk_, text.data(), text.size());
    chunk_ += text.size();
    chunkLeft_ -= text.size();
    chunkRef_ += static_cast<Ref>(text.size());
    return ref;
}

void TextStore::clear() {
    pages_.clear();
    owners_.clear();
    chunk_ = nullptr;
    chunkLeft_ = 0;
    nextChunk_ = 0;
}

}  // namespace velomir::detail
