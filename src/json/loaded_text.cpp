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

LoadedText::LoadedText(std::string_view plain) : plain_(plain) { index(); }

namespace {

// Masks of one 64-byte block, bit k for byte k.
struct BlockMasks {
    std::uint64_t quotes = 0;
    std::uint64_t brackets = 0;  // { } [ ]
    std::uint64_t rare = 0;      // backslashes and line breaks
};

#ifdef VELOMIR_JSON_SSE2
BlockMasks blockMasks(const char* p) {
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
BlockMasks blockMasks(const char* p) {
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

// One pass over the bytes, 64 at a time: the double quotes pair up from the start (a running parity), brackets and
// braces outside the pairs are matched, and the rare bytes (backslashes, line breaks) are looked at one by one.
void LoadedText::index() {
    std::vector<std::uint32_t> open;  // indexes into openers_ of the openers not closed yet
    open.reserve(64);
    openers_.reserve(plain_.size() / 64);  // answers hold an object or array every few dozen bytes
    const std::size_t n = plain_.size();
    std::uint64_t inside = 0;  // all ones when the previous block ended inside a pair of quotes
    std::size_t lastQuote = npos;
    std::size_t runEnd = 0;  // end of the last backslash run looked at
    bool oddQuote = false;
    const auto bracket = [&](std::size_t i) {
        const char c = plain_[i];
        if (c == '{' || c == '[') {
            open.push_back(static_cast<std::uint32_t>(openers_.size()));
            openers_.emplace_back(static_cast<std::uint32_t>(i), kNoCloser);
        } else {
            const char opener = c == '}' ? '{' : '[';
            if (!open.empty() && plain_[openers_[open.back()].first] == opener) {
                openers_[open.back()].second = static_cast<std::uint32_t>(i);
                open.pop_back();
            } else {
                // A wrong closer lies inside every opener still open: none of them is properly matched any more.
                open.clear();
            }
        }
    };
    const auto rare = [&](std::size_t i) {
        if (plain_[i] != '\\') {
            if (blankEndsAt(plain_, i) || blankAt(plain_, i + 1) != 0)
                lineHazards_.push_back(static_cast<std::uint32_t>(i));
            return;
        }
        if (i < runEnd) return;
        std::size_t end = i;
        while (end < n && plain_[end] == '\\') ++end;
        if (end < n && plain_[end] == '|') loadHazards_.push_back(static_cast<std::uint32_t>(end - 1));
        if (end < n && plain_[end] == '"' && (end - i) % 2 == 1) {
            loadHazards_.push_back(static_cast<std::uint32_t>(end));
            oddQuote = true;
        }
        runEnd = end;
    };
    char tail[64];
    for (std::size_t block = 0; block < n; block += 64) {
        const char* p = plain_.data() + block;
        if (n - block < 64) {
            std::memset(tail, ' ', sizeof tail);
            std::memcpy(tail, p, n - block);
            p = tail;
        }
        const BlockMasks masks = blockMasks(p);
        if (masks.quotes != 0) lastQuote = block + 63 - static_cast<std::size_t>(std::countl_zero(masks.quotes));
        const std::uint64_t strings = prefixXor(masks.quotes) ^ inside;
        inside = static_cast<std::uint64_t>(0) - (strings >> 63);
        for (std::uint64_t bits = masks.brackets & ~strings; bits != 0; bits &= bits - 1) {
            bracket(block + static_cast<std::size_t>(std::countr_zero(bits)));
        }
        for (std::uint64_t bits = masks.rare; bits != 0; bits &= bits - 1) {
            rare(block + static_cast<std::size_t>(std::countr_zero(bits)));
        }
    }
    if (inside != 0) {
        // An odd count: the last quote pairs with nothing and leaves the rest visible.
        unpaired_ = lastQuote;
        for (std::size_t i = lastQuote + 1; i < n; ++i) {
            const char c = plain_[i];
            if (c == '{' || c == '}' || c == '[' || c == ']') bracket(i);
        }
    }
    if (oddQuote) {
        // A quote behind an odd backslash run changes the literals the closing-blank pattern sees; white space after
        // a closing bracket or brace may then have been kept where a value of its own would lose it.
        for (std::size_t i = 0; i + 1 < n; ++i) {
            if ((plain_[i] == ']' || plain_[i] == '}') && whiteSpaceAt(plain_, i + 1) != 0) {
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
