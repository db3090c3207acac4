// Text utilities the service requests need. Texts are UTF-8, the local code page, so code page conversions
// are identities; invalid bytes pass unchanged.
#pragma once

#include <string>

namespace velomir {

// Percent-encodes every byte except ASCII letters and digits ("%XX", upper-case hex).
std::string urlEncodeUtf8(const std::string& text);

// Replaces "%XX" by its byte. A "%" not followed by two hex digits is copied; a "%" among the last two
// characters ends the text (it and the rest are dropped). "+" stays "+".
std::string urlDecodeUtf8(const std::string& text);

// The text between the first start marker and the next end marker, markers matched without regard to ASCII
// case; "" when either is missing.
std::string textBetween(const std::string& text, const std::string& startMarker, const std::string& endMarker);

}  // namespace velomir
