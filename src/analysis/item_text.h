// Turns the raw texts the JSON reader gives into what users see and copy.
#pragma once

#include <string>
#include <string_view>

namespace velomir {

class JsonDocument;

// JSON string escapes (\uXXXX with surrogate pairs, \" \\ \/ \b \f \n \r \t) decoded into UTF-8; anything else,
// including a malformed escape, stays as written.
std::string decodeJsonEscapes(std::string_view text);

// The value at `path` as item text: a JSON null is empty, escapes are decoded.
std::string itemText(JsonDocument& document, const std::string& path);

}  // namespace velomir
