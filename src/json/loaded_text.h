// A loaded buffer with what the splitter needs to know about it, found in one pass over the bytes.
// "Visible" means visible in the marked buffer: not inside a pair of double quotes (the blanking pairs every double
// quote from the start; an unpaired last one leaves the rest visible).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velomir::detail {

// What the splitter needs to know about a buffer, found while the buffer is written: whole blocks of 64 bytes as
// soon as they are written (while they are still in the cache), the rest when the buffer is complete.
class TextIndex {
public:
    // Room for the openers of a buffer of that size.
    void reserve(std::size_t size);
    // Looks at the blocks among the first `written` bytes of data that it has not looked at yet.
    void feed(const char* data, std::size_t written);
    // Looks at the rest of plain, which is complete now, and at the rare bytes found on the way.
    void finish(std::string_view plain);

private:
    friend class LoadedText;
    void blocks(const char* data, std::size_t end);
    void bracket(const char* data, std::size_t i);

    std::vector<std::pair<std::uint32_t, std::uint32_t>> openers_;  // position, closer or kNoCloser
    std::vector<std::uint32_t> open_;                               // indexes into openers_ not closed yet
    std::vector<std::uint32_t> rare_;                               // backslashes and line breaks
    std::size_t done_ = 0;                                          // bytes looked at
    std::uint64_t inside_ = 0;  // all ones when the last block ended inside a pair of quotes
    std::size_t lastQuote_ = std::string::npos;
    std::size_t unpaired_ = std::string::npos;
    std::vector<std::uint32_t> lineHazards_;
    std::vector<std::uint32_t> loadHazards_;
};

class LoadedText {
public:
    static constexpr std::size_t npos = std::string::npos;

    explicit LoadedText(std::string_view plain);
    // With the index that was fed while plain was written; it is finished here.
    LoadedText(std::string_view plain, TextIndex&& index);

    // Where the owner keeps the buffer (a node table's text reference); not used here.
    std::uint32_t storeRef = 0;

    std::string_view plain() const { return plain_; }
    std::size_t size() const { return plain_.size(); }

    // Closer of the visible opener at `opener` when everything between them is properly nested, else npos.
    std::size_t closerOf(std::size_t opener) const;
    // Whether the double quotes from visible position a to visible position b are an even number.
    bool evenQuotes(std::size_t a, std::size_t b) const { return unpaired_ == npos || a > unpaired_ || b < unpaired_; }
    // Whether trimBlanks leaves [begin, end) alone except for blank runs at its two ends.
    bool trimsOnlyEdges(std::size_t begin, std::size_t end) const { return !any(lineHazards_, begin, end); }
    bool noLineHazards() const { return lineHazards_.empty(); }
    // Whether loading [begin, end) as a text of its own would give back the same bytes (and thus the same marked
    // buffer, as long as it starts outside any literal and holds an even number of double quotes).
    bool reloadsUnchanged(std::size_t begin, std::size_t end) const {
        return !any(lineHazards_, begin, end) && !any(loadHazards_, begin, end);
    }

    struct Stop {
        std::size_t at;      // npos when no stop byte comes before the end
        std::size_t quotes;  // double quotes passed on the way
    };
    // The first visible byte among `stops` from `from`, which lies outside any literal, up to `end`.
    Stop nextVisible(std::size_t from, std::size_t end, const std::array<bool, 256>& stops) const;

private:
    static bool any(const std::vector<std::uint32_t>& positions, std::size_t begin, std::size_t end);
    void take(TextIndex&& index);

    std::string_view plain_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> openers_;  // position, closer or kNoCloser
    mutable std::size_t cursor_ = 0;                                // openers are mostly asked for in order
    std::size_t unpaired_ = npos;
    std::vector<std::uint32_t> lineHazards_;  // line breaks with a blank next to them
    std::vector<std::uint32_t> loadHazards_;  // where escape normalisation or compaction would act
};

// Byte sets for nextVisible.
constexpr std::array<bool, 256> byteSet(std::string_view bytes) {
    std::array<bool, 256> set{};
    for (const char c : bytes) set[static_cast<unsigned char>(c)] = true;
    return set;
}

}  // namespace velomir::detail
