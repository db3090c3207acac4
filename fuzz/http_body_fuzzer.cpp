// Content decoding of any body. Byte 0: bits 0-2 the Content-Encoding, bit 3 a repeated body, bits 4-7 the
// compression level of the round trip. A repeated body is bytes 1-2 (count, little-endian), 3 (length of A) and
// 4 (length of B), then A, B, C: the body is A, B count times, C, so a short input can inflate past the limit.
// Any result stays within the limit, and whatever zlib compresses (gzip, zlib-wrapped, raw) decodes back whole.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/http_body.h"
#include "fuzz_support.h"

namespace {

using velomir::fuzz::require;

constexpr std::string_view kEncodings[] = {"gzip", "x-gzip", "deflate", " Deflate\t", "identity", "br", "", "GZIP"};
constexpr bool kInflates[] = {true, true, true, true, false, false, false, true};
constexpr std::size_t kMaxRepeatedBody = std::size_t{2} << 20;
constexpr std::size_t kMaxRoundTrip = std::size_t{256} << 10;

std::string repeatedBody(std::string_view rest) {
    if (rest.size() < 4) return std::string(rest);
    const std::size_t count = static_cast<unsigned char>(rest[0]) | static_cast<unsigned char>(rest[1]) << 8;
    std::string_view tail = rest.substr(4);
    const std::string_view a = tail.substr(0, static_cast<unsigned char>(rest[2]));
    tail.remove_prefix(a.size());
    const std::string_view b = tail.substr(0, static_cast<unsigned char>(rest[3]));
    tail.remove_prefix(b.size());
    std::string body(a);
    for (std::size_t i = 0; i < count && body.size() + b.size() <= kMaxRepeatedBody; ++i) body += b;
    return body += tail;
}

std::string compressed(std::string_view text, int level, int windowBits) {
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
    std::string out(deflateBound(&stream, static_cast<uLong>(text.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) std::abort();
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

void roundTrip(const std::string& body, int level, std::string_view input) {
    struct Wrapper {
        int windowBits;
        std::string_view encoding;
    };
    for (const Wrapper& wrapper :
         {Wrapper{16 + MAX_WBITS, "gzip"}, Wrapper{MAX_WBITS, "deflate"}, Wrapper{-MAX_WBITS, "deflate"}}) {
        const std::string packed = compressed(body, level, wrapper.windowBits);
        const std::optional<std::string> unpacked = velomir::decodeContent(packed, wrapper.encoding);
        require(unpacked && *unpacked == body, "a compressed body decodes back", input);
        require(!velomir::decodeContent(std::string_view(packed).substr(0, packed.size() - 1), wrapper.encoding),
                "a truncated body is refused", input);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 65536) return 0;
    const std::string_view input = velomir::fuzz::asText(data, size);
    const std::string_view encoding = kEncodings[data[0] & 7];
    const std::string body = (data[0] & 8) != 0 ? repeatedBody(input.substr(1)) : std::string(input.substr(1));

    const std::optional<std::string> decoded = velomir::decodeContent(body, encoding);
    if (decoded) require(decoded->size() <= velomir::kMaxBodyBytes, "never beyond the limit", input);
    if (body.empty()) require(decoded && decoded->empty(), "an empty body stays empty", input);
    if (!kInflates[data[0] & 7]) require(decoded && *decoded == body, "other encodings leave the body", input);

    if (body.size() <= kMaxRoundTrip) roundTrip(body, (data[0] >> 4) % 10, input);
    return 0;
}
