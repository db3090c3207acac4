// What the transfer does to a received body before the caller sees it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velomir {

// A larger body, received or inflated, fails the request: it would only exhaust memory.
inline constexpr std::size_t kMaxBodyBytes = std::size_t{64} << 20;

// Undoes a Content-Encoding of gzip or deflate (zlib-wrapped or raw); other encodings leave the body as it is.
// nullopt when the compressed data is corrupt or truncated, or inflates beyond kMaxBodyBytes.
std::optional<std::string> decodeContent(std::string_view body, std::string_view contentEncoding);

}  // namespace velomir
