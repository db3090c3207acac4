#include "json/loaded_text.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "json/byte_scan.h"
#include "json/scanner_patterns.h"

namespace velomir::detail {

namespace {

constexpr std::uint32_t kNoCloser = 0xFFFFFFFF;

bool blankEndsAt(std::string_view text, std::size_t end) {
    if (end == 0) return false;
    const char c = text[end - 1];
    return c == ' ' || c == '\t' || (end >= 3 && isFullWidthSpace(text, end - 3));
}

}  // namespace

namespace {

// Masks of one 64-byte block, bit k for byte k.
struct BlockMasks {
    std::uint64_t quotes = 0;
    std::uint64_t brackets = 0;  // { } [ ]
    std::uint64_t rare = 0;      // backslashes and line breaks
};

#ifdef VELOMIR_JSON_SSE2
[[gnu::always_inline]] inline BlockMasks blockMasks(const char* p) {
    BlockMasks masks;
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        const auto eq = [&](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
        const auto bits = [](__m128i m) {
            return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(m)));
        };
        masks.quotes |= bits(eq('"')) << (16 * k);
        masks.brackets |= bits(_mm_or_si128(_mm_or_si128(eq('{'), eq('}')), _mm_or_si128(eq('['), eq(']'))))
                          << (16 * k);
        masks.rare |= bits(_mm_or_si128(eq('\\'), _mm_or_si128(eq('\n'), eq('\r')))) << (16 * k);
    }
    return masks;
}
#else
[[gnu::always_inline]] inline BlockMasks blockMasks(const char* p) {
    BlockMasks masks;
    for (int k = 0; k < 64; ++k) {
        const char c = p[k];
        const std::uint64_t bit = std::uint64_t{1} << k;
        if (c == '"') masks.quotes |= bit;
        if (c == '{' || c == '}' || c == '[' || c == ']') masks.brackets |= bit;
        if (c == '\\' || c == '\n' || c == '\r') masks.rare |= bit;
    }
    return masks;
}
#endif

// Bit k set when an odd number of bits 0..k of x are set.
std::uint64_t prefixXor(std::uint64_t x) {
    x ^= x << 1;
    x ^= x << 2;
    x ^= x << 4;
    x ^= x << 8;
    x ^= x << 16;
    x ^= x << 32;
    return x;
}

}  // namespace

LoadedText::LoadedText(std::string_view plain) : plain_(plain) {
    TextIndex index;
    index.reserve(plain.size());
    index.feed(plain.data(), plain.size());
    take(std::move(index));
}

LoadedText::LoadedText(std::string_view plain, TextIndex&& index) : plain_(plain) { take(std::move(index)); }

void LoadedText::take(TextIndex&& index) {
    index.finish(plain_);
    openers_ = std::move(index.openers_);
    unpaired_ = index.unpaired_;
    lineHazards_ = std::move(index.lineHazards_);
    loadHazards_ = std::move(index.loadHazards_);
}

void TextIndex::bracket(const char* data, std::size_t i) {
    const char c = data[i];
    if (c == '{' || c == '[') {
        open_.push_back(static_cast<std::uint32_t>(openers_.size()));
        openers_.emplace_back(static_cast<std::uint32_t>(i), kNoCloser);
    } else {
        const char opener = c == '}' ? '{' : '[';
        if (!open_.empty() && data[openers_[open_.back()].first] == opener) {
            openers_[open_.back()].second = static_cast<std::uint32_t>(i);
            open_.pop_back();
        } else {
            // A wrong closer lies inside every opener still open: none of them is properly matched any more.
            open_.clear();
        }
    }
}

// 64 bytes at a time: the double quotes pair up from the start (a running parity), brackets and braces outside the
// pairs are matched, and the rare bytes are kept for the end, where the bytes after them are known.
void TextIndex::reserve(std::size_t size) {
    openers_.reserve(size / 64);  // answers hold an object or array every few dozen bytes
}

void TextIndex::blocks(const char* data, std::size_t end) {
    for (; done_ + 64 <= end; done_ += 64) {
        const BlockMasks masks = blockMasks(data + done_);
        if (masks.quotes != 0) lastQuote_ = done_ + 63 - static_cast<std::size_t>(std::countl_zero(masks.quotes));
        const std::uint64_t strings = prefixXor(masks.quotes) ^ inside_;
        inside_ = static_cast<std::uint64_t>(0) - (strings >> 63);
        for (std::uint64_t bits = masks.brackets & ~strings; bits != 0; bits &= bits - 1) {
            bracket(data, done_ + static_cast<std::size_t>(std::countr_zero(bits)));
        }
        for (std::uint64_t bits = masks.rare; bits != 0; bits &= bits - 1) {
            rare_.push_back(static_cast<std::uint32_t>(done_ + static_cast<std::size_t>(std::countr_zero(bits))));
        }
    }
}

void TextIndex::feed(const char* data, std::size_t written) { blocks(data, written); }

void TextIndex::finish(std::string_view plain) {
    const std::size_t n = plain.size();
    blocks(plain.data(), n);
    if (done_ < n) {
        // The last bytes, padded with blanks to a block.
        char tail[128];
        const std::size_t kept = n - done_;
        std::memcpy(tail, plain.data() + done_, kept);
        std::memset(tail + kept, ' ', sizeof tail - kept);
        // Brackets read their openers from plain: positions are those of plain.
        const BlockMasks masks = blockMasks(tail);
        if (masks.quotes != 0) lastQuote_ = done_ + 63 - static_cast<std::size_t>(std::countl_zero(masks.quotes));
        const std::uint64_t strings = prefixXor(masks.quotes) ^ inside_;
        inside_ = static_cast<std::uint64_t>(0) - (strings >> 63);
        for (std::uint64_t bits = masks.brackets & ~strings; bits != 0; bits &= bits - 1) {
            bracket(plain.data(), done_ + static_cast<std::size_t>(std::countr_zero(bits)));
        }
        for (std::uint64_t bits = masks.rare; bits != 0; bits &= bits - 1) {
            rare_.push_back(static_cast<std::uint32_t>(done_ + static_cast<std::size_t>(std::countr_zero(bits))));
        }
        done_ = n;
    }
    if (inside_ != 0) {
        // An odd count: the last quote pairs with nothing and leaves the rest visible.
        unpaired_ = lastQuote_;
        for (std::size_t i = lastQuote_ + 1; i < n; ++i) {
            const char c = plain[i];
            if (c == '{' || c == '}' || c == '[' || c == ']') bracket(plain.data(), i);
        }
    }
    std::size_t runEnd = 0;  // end of the last backslash run looked at
    bool oddQuote = false;
    for (const std::uint32_t i : rare_) {
        if (plain[i] != '\\') {
            if (blankEndsAt(plain, i) || blankAt(plain, i + 1) != 0) lineHazards_.push_back(i);
            continue;
        }
        if (i < runEnd) continue;
        std::size_t end = i;
        while (end < n && plain[end] == '\\') ++end;
        if (end < n && plain[end] == '|') loadHazards_.push_back(static_cast<std::uint32_t>(end - 1));
        if (end < n && plain[end] == '"' && (end - i) % 2 == 1) {
            loadHazards_.push_back(static_cast<std::uint32_t>(end));
            oddQuote = true;
        }
        runEnd = end;
    }
    if (oddQuote) {
        // A quote behind an odd backslash run changes the literals the closing-blank pattern sees; white space after
        // a closing bracket or brace may then have been kept where a value of its own would lose it.
        for (std::size_t i = 0; i + 1 < n; ++i) {
            if ((plain[i] == ']' || plain[i] == '}') && whiteSpaceAt(plain, i + 1) != 0) {
                loadHazards_.push_back(static_cast<std::uint32_t>(i));
            }
        }
        std::sort(loadHazards_.begin(), loadHazards_.end());
    }
}

bool LoadedText::any(const std::vector<std::uint32_t>& positions, std::size_t begin, std::size_t end) {
    if (positions.empty()) return false;
    const auto first = std::lower_bound(positions.begin(), positions.end(), begin);
    return first != positions.end() && *first < end;
}

std::size_t LoadedText::closerOf(std::size_t opener) const {
    const auto matches = [&](std::size_t k) { return k < openers_.size() && openers_[k].first == opener; };
    if (!matches(cursor_)) {
        if (matches(cursor_ + 1)) {
            ++cursor_;
        } else {
            const auto found = std::lower_bound(openers_.begin(), openers_.end(),
                                                std::make_pair(static_cast<std::uint32_t>(opener), std::uint32_t{0}));
            if (found == openers_.end() || found->first != opener) return npos;
            cursor_ = static_cast<std::size_t>(found - openers_.begin());
        }
    }
    const std::uint32_t closer = openers_[cursor_].second;
    return closer == kNoCloser ? npos : closer;
}

LoadedText::Stop LoadedText::nextVisible(std::size_t from, std::size_t end, const std::array<bool, 256>& stops) const {
    std::size_t quotes = 0;
    for (std::size_t i = from; i < end; ++i) {
        const char c = plain_[i];
        if (c == '"') {
            const std::size_t close = findByte(plain_, '"', i + 1, end);
            if (close == npos) {
                ++quotes;  // unpaired: the rest stays visible
            } else {
                quotes += 2;
                i = close;
            }
        } else if (stops[static_cast<unsigned char>(c)]) {
            return {i, quotes};
        }
    }
    return {npos, quotes};
}

}  // namespace velomir::detail
