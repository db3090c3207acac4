#include "json/path_splitter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "json/scanner_patterns.h"
#include "text/text_helpers.h"

namespace velomir::detail {

namespace {

enum PathByte : unsigned char { kPlain, kStop, kQuote, kStrippable };

// A full stop splits; quotes and apostrophes need the quoting rules; white space, controls and the first byte of
// U+3000 may be stripped off a segment; everything else is plain.
constexpr std::array<PathByte, 256> kPathBytes = [] {
    std::array<PathByte, 256> bytes{};
    for (int c = 0; c <= 0x20; ++c) bytes[static_cast<std::size_t>(c)] = kStrippable;
    bytes[0xE3] = kStrippable;
    bytes['.'] = kStop;
    bytes['"'] = kQuote;
    bytes['\''] = kQuote;
    return bytes;
}();

bool needsStripping(std::string_view raw) {
    for (const char c : raw) {
        if (kPathBytes[static_cast<unsigned char>(c)] >= kQuote) return true;
    }
    return false;
}

}  // namespace

std::size_t commonLength(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    std::size_t same = 0;
    for (; same + 8 <= common; same += 8) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        std::memcpy(&x, a.data() + same, 8);
        std::memcpy(&y, b.data() + same, 8);
        if (x != y) break;
    }
    while (same < common && a[same] == b[same]) ++same;
    return same;
}

bool isPlainPath(std::string_view path, std::size_t from) {
    for (std::size_t i = from; i < path.size(); ++i) {
        if (kPathBytes[static_cast<unsigned char>(path[i])] >= kQuote) return false;
    }
    return true;
}

const std::vector<std::string_view>& PathSplitter::split(std::string_view path) {
    segments_.clear();
    // Without quotes or apostrophes every full stop splits: one pass, no searches.
    std::size_t start = 0;
    bool strip = false;
    for (std::size_t i = 0; i < path.size(); ++i) {
        switch (kPathBytes[static_cast<unsigned char>(path[i])]) {
            case kPlain:
                break;
            case kStop:
                push(path.substr(start, i - start), strip);
                start = i + 1;
                strip = false;
                break;
            case kQuote:
                return splitQuoted(path);
            default:
                strip = true;
        }
    }
    push(path.substr(start), strip);
    return segments_;
}

void PathSplitter::push(std::string_view raw, bool strip) {
    segments_.push_back(strip ? stripQuotes(raw, scratchFor(segments_.size())) : raw);
}

std::string& PathSplitter::scratchFor(std::size_t segment) {
    if (scratch_.size() <= segment) scratch_.resize(segment + 1);
    return scratch_[segment];
}

const std::vector<std::string_view>& PathSplitter::splitQuoted(std::string_view path) {
    std::string_view text = path;
    if (path.find("''") != std::string_view::npos) {
        path_ = replaceAll(path, "''", "\"");
        text = path_;
    }
    segments_.clear();
    const bool anyQuote = text.find('"') != std::string_view::npos;
    // 0-based here: s is one past the previous full stop (the 1-based position of that stop in the reference steps).
    std::size_t s = 0;
    std::size_t e = 0;
    bool last = false;
    while (!last) {
        const std::size_t stop = text.find('.', e);
        last = stop == std::string_view::npos;
        e = last ? text.size() + 1 : stop + 1;
        int quotes = 0;
        const std::size_t first = anyQuote ? text.find('"', s) : std::string_view::npos;
        if (first != std::string_view::npos && first + 1 < e) {
            const std::size_t second = text.find('"', first + 1);
            quotes = second != std::string_view::npos && second + 1 < e ? 2 : 1;
        }
        // One quote before the full stop: the stop lies inside a quoted name.
        if (quotes != 1) {
            const std::string_view raw = text.substr(s, e - s - 1);
            push(raw, needsStripping(raw));
            s = e;
        }
    }
    return segments_;
}

}  // namespace velomir::detail
