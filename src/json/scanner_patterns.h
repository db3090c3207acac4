// Byte-level twins of the scanner's regular expressions, equal to what the pattern engine (PCRE2 in UTF mode, JIT,
// case-insensitive, multi-line with CR, LF and CR LF as line breaks, global) gives on every input, invalid UTF-8
// included. They run without the engine because the parser calls them millions of times on a large answer.
//   quote stripper   [\s　]+"|"[\s　]+|^[ 　"\t]+|[ 　"\t]+$   removed
//   blank trimmer    ^[ 　\t]+|[ 　\t]+$                      removed
//   path normaliser  \.(\[\d+\]) -> $1   and   ([^\.])(\[\d+\])(\.?) -> $1.$2$3
// "\s" is ASCII white space (no Unicode properties); "　" is U+3000 (E3 80 80). For "^" the JIT looks at the byte
// in front only: a position is a line start at the start of the text or right after a CR or LF byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velomir::detail {

inline bool isLineBreak(char c) { return c == '\n' || c == '\r'; }

inline bool isFullWidthSpace(std::string_view text, std::size_t i) {
    return i + 2 < text.size() && text[i] == '\xE3' && text[i + 1] == '\x80' && text[i + 2] == '\x80';
}

// Length of the [\s　] character at i, 0 when there is none.
inline std::size_t whiteSpaceAt(std::string_view text, std::size_t i) {
    if (i >= text.size()) return 0;
    const char c = text[i];
    if (c == ' ' || (c >= '\t' && c <= '\r')) return 1;
    return isFullWidthSpace(text, i) ? 3 : 0;
}

// Length of the [ 　\t] character at i, 0 when there is none.
inline std::size_t blankAt(std::string_view text, std::size_t i) {
    if (i >= text.size()) return 0;
    if (text[i] == ' ' || text[i] == '\t') return 1;
    return isFullWidthSpace(text, i) ? 3 : 0;
}

// End of the run of [\s　] characters that starts at i (i itself when there is none).
inline std::size_t whiteSpaceRunEnd(std::string_view text, std::size_t i) {
    while (std::size_t length = whiteSpaceAt(text, i)) i += length;
    return i;
}

// The result of a deletion pattern: a view into the subject when only its edges went, else the scratch text.
std::string_view trimBlanks(std::string_view text, std::string& scratch);
std::string_view stripQuotes(std::string_view text, std::string& scratch);

// Mode 0 and 1 of the JSON path rules; any other mode gives the empty text.
std::string normalisePath(std::string_view path, int mode);

}  // namespace velomir::detail
