// Percent coding and marked-text cutting on any bytes. The whole input is encoded, decoded and cut with the
// artist page's markers; an input of three parts (0x1E between) is also cut as text, start marker, end marker.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "analysis/http_text.h"
#include "fuzz_support.h"
#include "text/text_helpers.h"

namespace {

using velomir::fuzz::require;

const std::string kArtistStart = "display:none;\">";
const std::string kArtistEnd = "</textarea>";

bool isAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

void checkEncoding(const std::string& text) {
    const std::string encoded = velomir::urlEncodeUtf8(text);
    std::size_t expectedSize = 0;
    for (const char c : text) expectedSize += isAsciiAlnum(c) ? 1 : 3;
    require(encoded.size() == expectedSize, "three bytes per escaped byte", text);
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            require(isAsciiAlnum(encoded[i]), "only letters, digits and escapes", text);
            continue;
        }
        require(i + 2 < encoded.size() && isUpperHex(encoded[i + 1]) && isUpperHex(encoded[i + 2]),
                "an escape is two upper-case hex digits", text);
        i += 2;
    }
    require(velomir::urlDecodeUtf8(encoded) == text, "decoding undoes encoding", text);
}

void checkDecoding(const std::string& text) {
    const std::string decoded = velomir::urlDecodeUtf8(text);
    require(decoded.size() <= text.size(), "decoding never lengthens", text);
    if (text.find('%') == std::string::npos) require(decoded == text, "text without escapes is unchanged", text);
}

// The cut, found again on lower-cased copies with the standard search.
std::string referenceBetween(const std::string& text, const std::string& start, const std::string& end) {
    const std::string lower = velomir::asciiLower(text);
    const std::size_t at = lower.find(velomir::asciiLower(start));
    if (at == std::string::npos) return {};
    const std::size_t from = at + start.size();
    const std::size_t until = lower.find(velomir::asciiLower(end), from);
    if (until == std::string::npos) return {};
    return text.substr(from, until - from);
}

void checkBetween(const std::string& text, const std::string& start, const std::string& end) {
    const std::string cut = velomir::textBetween(text, start, end);
    require(cut == referenceBetween(text, start, end), "textBetween finds the first markers", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 16384) return 0;
    const std::string text(velomir::fuzz::asText(data, size));
    checkEncoding(text);
    checkDecoding(text);
    checkBetween(text, kArtistStart, kArtistEnd);
    // The artist page is decoded before it is cut.
    checkBetween(velomir::urlDecodeUtf8(text), kArtistStart, kArtistEnd);
    const auto parts = velomir::fuzz::splitParts(text);
    if (parts.size() == 3) checkBetween(std::string(parts[0]), std::string(parts[1]), std::string(parts[2]));
    return 0;
}
