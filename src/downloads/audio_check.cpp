#include "downloads/audio_check.h"

#include <charconv>

#include "analysis/service_hosts.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

constexpr std::size_t kId3HeaderBytes = 10;
// Encoders may pad between the tag and the first frame; a frame sync this far behind the tag still counts.
constexpr std::size_t kFrameSearchBytes = 4096;

bool isFrameSync(unsigned char first, unsigned char second) { return first == 0xFF && (second & 0xE0) == 0xE0; }

// The bytes an ID3v2 tag at the start takes, header and footer included; 0 when there is none.
std::int64_t id3TagBytes(std::string_view head) {
    if (head.size() < kId3HeaderBytes || !head.starts_with("ID3")) return 0;
    std::int64_t size = 0;
    for (std::size_t i = 6; i < 10; ++i) {
        const auto byte = static_cast<unsigned char>(head[i]);
        if (byte & 0x80) return 0;  // not a synchsafe size: no tag
        size = (size << 7) | byte;
    }
    const bool footer = (static_cast<unsigned char>(head[5]) & 0x10) != 0;
    return static_cast<std::int64_t>(kId3HeaderBytes) + size + (footer ? 10 : 0);
}

AudioFormat formatAtStart(std::string_view head) {
    if (head.size() >= 2 && isFrameSync(head[0], head[1])) return AudioFormat::Mp3;
    if (head.starts_with("fLaC")) return AudioFormat::Flac;
    if (head.starts_with("OggS")) return AudioFormat::Ogg;
    if (head.size() >= 8 && head.substr(4, 4) == "ftyp") return AudioFormat::Mp4;
    return AudioFormat::None;
}

std::optional<std::int64_t> number(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

AudioFormat sniffAudio(const ByteReader& read) {
    const std::string head = read(0, 16);
    const std::int64_t tagBytes = id3TagBytes(head);
    if (tagBytes == 0) return formatAtStart(head);
    const std::string behind = read(tagBytes, kFrameSearchBytes);
    if (behind.starts_with("fLaC")) return AudioFormat::Flac;
    for (std::size_t i = 0; i + 1 < behind.size(); ++i) {
        if (isFrameSync(behind[i], behind[i + 1])) return AudioFormat::Mp3;
    }
    return AudioFormat::None;
}

AudioFormat sniffAudio(std::string_view bytes) {
    return sniffAudio([bytes](std::int64_t offset, std::size_t count) {
        if (offset < 0 || static_cast<std::size_t>(offset) >= bytes.size()) return std::string();
        return std::string(bytes.substr(static_cast<std::size_t>(offset), count));
    });
}

bool isAudioContentType(std::string_view contentType) {
    const std::string type = asciiLower(trimmed(contentType));
    return !type.starts_with("text/") && type.find("html") == std::string::npos;
}

bool isServiceNotFoundPage(std::string_view url) {
    const auto scheme = url.find("://");
    if (scheme == std::string_view::npos) return false;
    std::string_view rest = url.substr(scheme + 3);
    const auto pathStart = rest.find_first_of("/?#");
    std::string_view host = rest.substr(0, pathStart);
    if (const auto at = host.rfind('@'); at != std::string_view::npos) host = host.substr(at + 1);
    if (const auto colon = host.rfind(':'); colon != std::string_view::npos) host = host.substr(0, colon);
    if (asciiLower(host) != kMainHost || pathStart == std::string_view::npos) return false;
    std::string_view path = rest.substr(pathStart);
    path = path.substr(0, path.find_first_of("?#"));
    return path == "/404" || path == "/404/";
}

std::optional<ContentRange> parseContentRange(std::string_view value) {
    value = trimmed(value);
    if (!value.starts_with("bytes ")) return std::nullopt;
    value = trimmed(value.substr(6));
    const auto slash = value.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view span = value.substr(0, slash);
    const std::string_view total = value.substr(slash + 1);
    ContentRange range;
    if (total != "*") {
        const auto size = number(total);
        if (!size) return std::nullopt;
        range.total = *size;
    }
    if (span == "*") return range.total >= 0 ? std::optional(range) : std::nullopt;
    const auto dash = span.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const auto first = number(span.substr(0, dash));
    const auto last = number(span.substr(dash + 1));
    if (!first || !last || *last < *first || (range.total >= 0 && *last >= range.total)) return std::nullopt;
    range.first = *first;
    range.last = *last;
    return range;
}

std::optional<std::chrono::seconds> parseRetryAfter(std::string_view value) {
    const auto seconds = number(trimmed(value));
    if (!seconds) return std::nullopt;
    return std::chrono::seconds(*seconds);
}

}  // namespace velomir
