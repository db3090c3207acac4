#include "json/loaded_text.h"

#include <algorithm>
#include <cstring>

#include "json/byte_scan.h"
#include "json/scanner_patterns.h"

namespace velomir::detail {

namespace {

constexpr std::uint32_t kNoCloser = 0xFFFFFFFF;

// memchr: for the rare bytes of the hazard passes, which lie far apart.
std::size_t findFar(std::string_view text, char byte, std::size_t from, std::size_t end) {
    if (from >= end) return std::string::npos;
    const void* hit = std::memchr(text.data() + from, byte, end - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) : std::string::npos;
}

constexpr auto kStructure = byteSet("{}[]\"");

bool blankEndsAt(std::string_view text, std::size_t end) {
    if (end == 0) return false;
    const char c = text[end - 1];
    return c == ' ' || c == '\t' || (end >= 3 && isFullWidthSpace(text, end - 3));
}

}  // namespace

LoadedText::LoadedText(std::string_view plain) : plain_(plain) {
    indexStructure();
    indexHazards();
}

void LoadedText::indexStructure() {
    std::vector<std::uint32_t> open;  // indexes into openers_ of the openers not closed yet
    open.reserve(64);
    openers_.reserve(plain_.size() / 64);  // answers hold an object or array every few dozen bytes
    const std::size_t n = plain_.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = plain_[i];
        if (!kStructure[static_cast<unsigned char>(c)]) continue;
        if (c == '"') {
            const std::size_t close = findByte(plain_, '"', i + 1, n);
            if (close == npos) {
                unpaired_ = i;
            } else {
                i = close;
            }
        } else if (c == '{' || c == '[') {
            open.push_back(static_cast<std::uint32_t>(openers_.size()));
            openers_.emplace_back(static_cast<std::uint32_t>(i), kNoCloser);
        } else if (c == '}' || c == ']') {
            const char opener = c == '}' ? '{' : '[';
            if (!open.empty() && plain_[openers_[open.back()].first] == opener) {
                openers_[open.back()].second = static_cast<std::uint32_t>(i);
                open.pop_back();
            } else {
                // A wrong closer lies inside every opener still open: none of them is properly matched any more.
                open.clear();
            }
        }
    }
}

void LoadedText::indexHazards() {
    const std::size_t n = plain_.size();
    bool oddQuote = false;
    for (std::size_t i = findFar(plain_, '\\', 0, n); i != npos; i = findFar(plain_, '\\', i, n)) {
        std::size_t end = i;
        while (end < n && plain_[end] == '\\') ++end;
        if (end < n && plain_[end] == '|') loadHazards_.push_back(static_cast<std::uint32_t>(end - 1));
        if (end < n && plain_[end] == '"' && (end - i) % 2 == 1) {
            loadHazards_.push_back(static_cast<std::uint32_t>(end));
            oddQuote = true;
        }
        i = end;
    }
    for (const char lineBreak : {'\n', '\r'}) {
        for (std::size_t i = findFar(plain_, lineBreak, 0, n); i != npos; i = findFar(plain_, lineBreak, i + 1, n)) {
            if (blankEndsAt(plain_, i) || blankAt(plain_, i + 1) != 0)
                lineHazards_.push_back(static_cast<std::uint32_t>(i));
        }
    }
    std::sort(lineHazards_.begin(), lineHazards_.end());
    if (oddQuote) {
        // A quote behind an odd backslash run changes the literals the closing-blank pattern sees; white space after
        // a closing bracket or brace may then have been kept where a value of its own would lose it.
        for (std::size_t i = 0; i + 1 < n; ++i) {
            if ((plain_[i] == ']' || plain_[i] == '}') && whiteSpaceAt(plain_, i + 1) != 0) {
                loadHazards_.push_back(static_cast<std::uint32_t>(i));
            }
        }
        std::sort(loadHazards_.begin(), loadHazards_.end());
    }
}

bool LoadedText::any(const std::vector<std::uint32_t>& positions, std::size_t begin, std::size_t end) {
    if (positions.empty()) return false;
    const auto first = std::lower_bound(positions.begin(), positions.end(), begin);
    return first != positions.end() && *first < end;
}

std::size_t LoadedText::closerOf(std::size_t opener) const {
    const auto matches = [&](std::size_t k) { return k < openers_.size() && openers_[k].first == opener; };
    if (!matches(cursor_)) {
        if (matches(cursor_ + 1)) {
            ++cursor_;
        } else {
            const auto found = std::lower_bound(openers_.begin(), openers_.end(),
                                                std::make_pair(static_cast<std::uint32_t>(opener), std::uint32_t{0}));
            if (found == openers_.end() || found->first != opener) return npos;
            cursor_ = static_cast<std::size_t>(found - openers_.begin());
        }
    }
    const std::uint32_t closer = openers_[cursor_].second;
    return closer == kNoCloser ? npos : closer;
}

LoadedText::Stop LoadedText::nextVisible(std::size_t from, std::size_t end, const std::array<bool, 256>& stops) const {
    std::size_t quotes = 0;
    for (std::size_t i = from; i < end; ++i) {
        const char c = plain_[i];
        if (c == '"') {
            const std::size_t close = findByte(plain_, '"', i + 1, end);
            if (close == npos) {
                ++quotes;  // unpaired: the rest stays visible
            } else {
                quotes += 2;
                i = close;
            }
        } else if (stops[static_cast<unsigned char>(c)]) {
            return {i, quotes};
        }
    }
    return {npos, quotes};
}

}  // namespace velomir::detail
