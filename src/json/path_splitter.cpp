#include "json/path_splitter.h"

#include "json/scanner_patterns.h"
#include "text/text_helpers.h"

namespace velomir::detail {

namespace {

// stripQuotes, without a call for the usual plain name or index.
std::string_view segment(std::string_view raw, std::string& scratch) {
    for (const char c : raw) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == '"' || c == '\xE3') return stripQuotes(raw, scratch);
    }
    return raw;
}

}  // namespace

const std::vector<std::string_view>& PathSplitter::split(std::string_view path) {
    std::string_view text = path;
    if (path.find("''") != std::string_view::npos) {
        path_ = replaceAll(path, "''", "\"");
        text = path_;
    }
    segments_.clear();
    const bool anyQuote = text.find('"') != std::string_view::npos;
    // 0-based here: s is one past the previous full stop (the documented 1-based position of that stop).
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
            if (scratch_.size() <= segments_.size()) scratch_.resize(segments_.size() + 1);
            segments_.push_back(segment(text.substr(s, e - s - 1), scratch_[segments_.size()]));
            s = e;
        }
    }
    return segments_;
}

}  // namespace velomir::detail
