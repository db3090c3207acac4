// One answer of the stand-in, before faults and compression are applied.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace velomir {

// Receives output pieces; returns false when the receiver is gone, which ends the stream.
using PieceSink = std::function<bool(std::string_view)>;

inline constexpr std::string_view kJsonType = "application/json;charset=UTF-8";
inline constexpr std::string_view kHtmlType = "text/html;charset=UTF-8";

struct StubAnswer {
    int status = 200;
    std::string contentType{kJsonType};
    std::string body;
    // Set instead of body for answers too big to hold: writes the body piece by piece, sent chunked.
    std::function<void(const PieceSink&)> stream;
    // Only text answers are compressed by the gzip option: pictures and audio are read as raw bytes.
    bool compressible = true;
};

}  // namespace velomir
