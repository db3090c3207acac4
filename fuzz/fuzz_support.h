// What the fuzz targets share: a failed check aborts (libFuzzer keeps the input), and inputs that carry
// several texts split them at a record separator byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace velomir::fuzz {

// Rare in the texts under test and easy to write into a seed.
inline constexpr char kPartSeparator = '\x1E';

[[noreturn]] inline void fail(const char* what, std::string_view input) {
    std::fprintf(stderr, "check failed: %s (input of %zu bytes)\n", what, input.size());
    std::abort();
}

inline void require(bool holds, const char* what, std::string_view input) {
    if (!holds) fail(what, input);
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The texts between separators; always at least one (possibly empty).
inline std::vector<std::string_view> splitParts(std::string_view input) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t at = input.find(kPartSeparator); at != std::string_view::npos;
         at = input.find(kPartSeparator, start)) {
        parts.push_back(input.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(input.substr(start));
    return parts;
}

inline bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace velomir::fuzz
