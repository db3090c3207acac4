// Compact JSON text written member by member, the way the service sends it (no blanks, no line breaks).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velomir {

// Text values are passed as JSON string contents: escapes such as \" or \u2026 are written as given.
// An empty name writes an array element.
class JsonWriter {
public:
    JsonWriter& openObject(std::string_view name = {});
    JsonWriter& openArray(std::string_view name = {});
    JsonWriter& close();
    JsonWriter& text(std::string_view name, std::string_view escapedValue);
    JsonWriter& number(std::string_view name, std::int64_t value);
    JsonWriter& literal(std::string_view name, std::string_view rawValue);  // null, true, 1.5, [] ...

    // The text so far; complete once every object and array is closed.
    std::string take();

private:
    void key(std::string_view name);

    std::string out_;
    std::string closers_;
};

// Plain UTF-8 text as JSON string contents.
std::string jsonEscaped(std::string_view text);

}  // namespace velomir
