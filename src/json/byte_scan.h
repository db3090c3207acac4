// Byte searches sixteen bytes per step with SSE2 (always there on x86-64), else eight per step in portable C++: the
// loader, the index pass and the splitter go through tens of megabytes where the bytes they look for are rare.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#define VELOMIR_JSON_SSE2 1
#endif

namespace velomir::detail {

namespace swar {

inline constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
inline constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
inline constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;

inline std::uint64_t load(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// High bit of every byte that equals `byte`, exactly (no false positives).
inline std::uint64_t equal(std::uint64_t word, char byte) {
    const std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(byte));
    return ~(((x & kLow7) + kLow7) | x) & kHigh;
}

// High bit of every byte at most 0x20 (space and the control characters).
inline std::uint64_t controlOrSpace(std::uint64_t word) { return ~(((word & kLow7) + kOnes * 0x5F) | word) & kHigh; }

}  // namespace swar

// Index (0..7) of the lowest-addressed byte whose high bit is set in hits (hits != 0).
inline unsigned firstHit(std::uint64_t hits) {
    if constexpr (std::endian::native == std::endian::little) {
        return static_cast<unsigned>(std::countr_zero(hits)) / 8;
    } else {
        return static_cast<unsigned>(std::countl_zero(hits)) / 8;
    }
}

#ifdef VELOMIR_JSON_SSE2
namespace sse {

// Bit k set when byte k of the sixteen at p is one of Bytes (or at most 0x20 when WithControls).
template <bool WithControls, char... Bytes>
inline unsigned matches(const char* p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hits = _mm_setzero_si128();
    ((hits = _mm_or_si128(hits, _mm_cmpeq_epi8(v, _mm_set1_epi8(Bytes)))), ...);
    if constexpr (WithControls) hits = _mm_or_si128(hits, _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(0x20)), v));
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
}

}  // namespace sse
#endif

// First position in [from, end) whose byte is one of Bytes (or at most 0x20 when WithControls), else end.
template <bool WithControls, char... Bytes>
[[gnu::always_inline]] inline std::size_t findFirstOf(std::string_view text, std::size_t from, std::size_t end) {
    const char* data = text.data();
    std::size_t i = from;
#ifdef VELOMIR_JSON_SSE2
    for (; i + 16 <= end; i += 16) {
        if (const unsigned hits = sse::matches<WithControls, Bytes...>(data + i)) {
            return i + static_cast<unsigned>(std::countr_zero(hits));
        }
    }
#endif
    for (; i + 8 <= end; i += 8) {
        const std::uint64_t word = swar::load(data + i);
        std::uint64_t hits = (swar::equal(word, Bytes) | ... | 0);
        if constexpr (WithControls) hits |= swar::controlOrSpace(word);
        if (hits != 0) return i + firstHit(hits);
    }
    for (; i < end; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (((c == static_cast<unsigned char>(Bytes)) || ...) || (WithControls && c <= 0x20)) return i;
    }
    return end;
}

// First position of `byte` in [from, end), or std::string_view::npos.
inline std::size_t findByte(std::string_view text, char byte, std::size_t from, std::size_t end) {
    const char* data = text.data();
    std::size_t i = from;
#ifdef VELOMIR_JSON_SSE2
    const __m128i wanted = _mm_set1_epi8(byte);
    for (; i + 16 <= end; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        if (const auto hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, wanted)))) {
            return i + static_cast<unsigned>(std::countr_zero(hits));
        }
    }
#endif
    for (; i + 8 <= end; i += 8) {
        const std::uint64_t hits = swar::equal(swar::load(data + i), byte);
        if (hits != 0) return i + firstHit(hits);
    }
    for (; i < end; ++i) {
        if (data[i] == byte) return i;
    }
    return std::string_view::npos;
}

// Number of bytes equal to `byte` in [from, end).
inline std::size_t countByte(std::string_view text, char byte, std::size_t from, std::size_t end) {
    std::size_t count = 0;
    std::size_t i = from;
#ifdef VELOMIR_JSON_SSE2
    // Each byte of the sum counts the matches in its column, for at most 255 steps; then the columns are added up.
    const __m128i wanted = _mm_set1_epi8(byte);
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= end) {
        __m128i sums = zero;
        for (int step = 0; step < 255 && i + 16 <= end; ++step, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
            sums = _mm_sub_epi8(sums, _mm_cmpeq_epi8(v, wanted));
        }
        const __m128i total = _mm_sad_epu8(sums, zero);
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(total)) +
                 static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(total, total)));
    }
#endif
    for (; i + 8 <= end; i += 8) {
        // One bit per matching byte moved to the bottom of its byte, then all bytes summed by one multiplication.
        count +=
            static_cast<std::size_t>((((swar::equal(swar::load(text.data() + i), byte) >> 7) * swar::kOnes) >> 56));
    }
    for (; i < end; ++i) count += text[i] == byte ? 1 : 0;
    return count;
}

}  // namespace velomir::detail
