// File names for saved tracks. Names come from the service and are untrusted: whatever they hold, a name made here
// is one safe path component inside the chosen folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velomir {

// The most bytes of a final name, extension included, so that its ".part" twin fits the usual 255-byte limit.
inline constexpr std::size_t kMaxFileNameBytes = 250;

// `stem` made safe, with `extension` (".mp3", ".lrc", or empty) appended: '/', '\\', ':', '*', '?', '"', '<', '>',
// '|' become their full-width forms, NUL and control characters go, invalid UTF-8 becomes U+FFFD, leading and
// trailing dots and blanks are trimmed, the stem is cut at a character boundary so the whole fits
// kMaxFileNameBytes; an empty (or "." / "..") stem becomes "_". Never empty, never "." or "..", never holds '/'.
std::string safeFileName(std::string_view stem, std::string_view extension);

// What a name template can use for one row.
struct NameFields {
    std::string name;
    std::string artists;  // joined as the grid shows them
    std::string album;
    std::string id;
    int position = 0;  // the row's number in the list, 1-based
    int listSize = 0;  // how many rows the list has: {index} is zero-padded to its width
};

inline constexpr std::string_view kDefaultNameTemplate = "{artists} - {name}";

// The template with {name} {artists} {album} {index} {id} filled in (unknown braces kept as they are); the result
// is a stem, not yet safe.
std::string fillNameTemplate(std::string_view nameTemplate, const NameFields& fields);

// Final names (with ".mp3") for a whole list, in its order: two rows that would get one name both keep a file, the
// later one's stem gaining " (ID)" (and a counter if that is taken too). Names compare byte for byte.
std::vector<std::string> planFileNames(std::string_view nameTemplate, const std::vector<NameFields>& rows);

// True when `template` is usable: not empty after trimming, braces balanced, only known fields.
bool isNameTemplate(std::string_view nameTemplate);

}  // namespace velomir
