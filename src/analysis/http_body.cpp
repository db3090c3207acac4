#include "analysis/http_body.h"

#include <zlib.h>

#include <limits>

#include "text/text_helpers.h"

namespace velomir {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A zlib stream starts with a deflate method byte and a header checksum; anything else is taken as raw deflate.
bool hasZlibHeader(std::string_view body) {
    if (body.size() < 2) return false;
    const auto cmf = static_cast<unsigned char>(body[0]);
    const auto flg = static_cast<unsigned char>(body[1]);
    return (cmf & 0x0F) == Z_DEFLATED && (cmf >> 4) <= 7 && (cmf * 256 + flg) % 31 == 0;
}

std::optional<std::string> inflateStream(std::string_view body, int windowBits) {
    if (body.size() > std::numeric_limits<uInt>::max()) return std::nullopt;
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK) return std::nullopt;
    struct EndGuard {
        z_stream* stream;
        ~EndGuard() { inflateEnd(stream); }
    } guard{&stream};
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
    stream.avail_in = static_cast<uInt>(body.size());
    std::string out;
    char chunk[64 * 1024];
    int status = Z_OK;
    bool tooLarge = false;
    // Z_BUF_ERROR here means the input ran out before the stream's end: a truncated body.
    while (status == Z_OK && !tooLarge) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        status = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = sizeof chunk - stream.avail_out;
        tooLarge = out.size() + produced > kMaxBodyBytes;
        if (!tooLarge) out.append(chunk, produced);
    }
    if (status != Z_STREAM_END || tooLarge) return std::nullopt;
    return out;
}

}  // namespace

std::optional<std::string> decodeContent(std::string_view body, std::string_view contentEncoding) {
    const std::string encoding = asciiLower(trimmed(contentEncoding));
    if (body.empty()) return std::string();
    if (encoding == "gzip" || encoding == "x-gzip") return inflateStream(body, 16 + MAX_WBITS);
    if (encoding == "deflate") return inflateStream(body, hasZlibHeader(body) ? MAX_WBITS : -MAX_WBITS);
    return std::string(body);
}

}  // namespace velomir
