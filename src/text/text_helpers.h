// Shared text helpers for everything that reads numbers, blanks, keys or lists out of text.
// Texts are UTF-8 byte strings; positions here are 0-based byte offsets (std::string::npos = not found).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velomir {

// The full-width space U+3000 and the booleans as the settings file stores them.
inline constexpr std::string_view kFullWidthSpace = "\xE3\x80\x80";
inline constexpr std::string_view kTrueText = "真";
inline constexpr std::string_view kFalseText = "假";

// Full-width ASCII forms (U+FF01..U+FF5E) become their ASCII twins, U+3000 a space; other bytes pass unchanged.
std::string fullWidthToAscii(std::string_view text);

// Appends the UTF-8 bytes of one code point (at most U+10FFFF; the caller keeps surrogates out).
void appendUtf8(std::string& out, char32_t codePoint);

// Integer value of a text: full-width forms read as ASCII, leading blanks skipped, optional sign, leading digits.
// No digits give 0. The 32-bit reading saturates at the type's limits; the 64-bit reading (for IDs) gives 0
// when the digits do not fit, since a clipped ID would name another item.
std::int32_t integerValue32(std::string_view text);
std::int64_t integerValue64(std::string_view text);

// Removes every ASCII space and full-width space.
std::string removeBlanks(std::string_view text);

std::string asciiLower(std::string_view text);

// ASCII-case-insensitive search from a 0-based byte offset.
std::size_t findNoCase(std::string_view text, std::string_view needle, std::size_t from = 0);
bool containsNoCase(std::string_view text, std::string_view needle);

// Replaces every non-overlapping occurrence, left to right, never looking at inserted text.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
std::string replaceAllNoCase(std::string_view text, std::string_view from, std::string_view to);

// open + text + close in one buffer. (GCC 12 at -O3 warns falsely about "literal" + std::string.)
std::string enclosed(std::string_view open, std::string_view text, std::string_view close);

// Tabs and line breaks become spaces, for formats that keep one record on one line.
std::string oneLine(std::string text);

// Splits at every separator; empty columns between separators are kept, nothing is trimmed.
std::vector<std::string> splitText(std::string_view text, std::string_view separator);

// Stored booleans: "真" is true; so are the GBK bytes of 真, as settings files saved in that code page hold it.
std::string booleanText(bool value);
bool textToBoolean(std::string_view text);

}  // namespace velomir
