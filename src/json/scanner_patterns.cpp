#include "json/scanner_patterns.h"

#include <array>

#include "json/byte_scan.h"

namespace velomir::detail {

namespace {

bool isLineStart(std::string_view text, std::size_t i) { return i == 0 || isLineBreak(text[i - 1]); }

bool isLineEnd(std::string_view text, std::size_t i) { return i >= text.size() || isLineBreak(text[i]); }

// Length of the [ 　"\t] character at i, 0 when there is none.
std::size_t blankOrQuoteAt(std::string_view text, std::size_t i) {
    return i < text.size() && text[i] == '"' ? 1 : blankAt(text, i);
}

// Collects the deleted ranges (increasing, disjoint) and builds the result, copying only when a range lies inside.
class Cuts {
public:
    Cuts(std::string_view text, std::string& scratch) : text_(text), scratch_(scratch) {}

    void cut(std::size_t begin, std::size_t end) {
        if (building_) {
            scratch_.append(text_.substr(copied_, begin - copied_));
            copied_ = end;
        } else if (begin == head_) {
            head_ = end;
        } else if (end == text_.size()) {
            tail_ = begin;
        } else {
            scratch_.assign(text_.substr(head_, begin - head_));
            copied_ = end;
            building_ = true;
        }
    }

    std::string_view result() {
        if (!building_) return text_.substr(head_, tail_ - head_);
        scratch_.append(text_.substr(copied_));
        return scratch_;
    }

private:
    std::string_view text_;
    std::string& scratch_;
    std::size_t head_ = 0;
    std::size_t tail_ = text_.size();
    std::size_t copied_ = 0;
    bool building_ = false;
};

// Remembers the last run measured, so that stepping through a long run does not measure it again and again.
template <typename CharacterAt>
class RunMeter {
public:
    RunMeter(std::string_view text, CharacterAt characterAt) : text_(text), characterAt_(characterAt) {}
    std::size_t endFrom(std::size_t i) {
        if (i < start_ || i >= end_) {
            start_ = i;
            end_ = i;
            while (std::size_t length = characterAt_(text_, end_)) end_ += length;
        }
        return end_;
    }

private:
    std::string_view text_;
    CharacterAt characterAt_;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
};

// Byte length of the well-formed UTF-8 character at i, 0 when none starts there (as the engine reads its subject).
std::size_t validCharacterAt(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) -> unsigned {
        return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0U;
    };
    const unsigned lead = byte(0);
    const auto inRange = [](unsigned b, unsigned low, unsigned high) { return b >= low && b <= high; };
    if (lead < 0x80) return 1;
    if (inRange(lead, 0xC2, 0xDF)) return inRange(byte(1), 0x80, 0xBF) ? 2 : 0;
    if (inRange(lead, 0xE0, 0xEF)) {
        const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned high = lead == 0xED ? 0x9F : 0xBF;
        return inRange(byte(1), low, high) && inRange(byte(2), 0x80, 0xBF) ? 3 : 0;
    }
    if (inRange(lead, 0xF0, 0xF4)) {
        const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
        return inRange(byte(1), low, high) && inRange(byte(2), 0x80, 0xBF) && inRange(byte(3), 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// End of "[digits]" starting at i, 0 when there is none.
std::size_t indexEnd(std::string_view text, std::size_t i) {
    if (i >= text.size() || text[i] != '[') return 0;
    std::size_t j = i + 1;
    while (j < text.size() && isDigit(text[j])) ++j;
    return j > i + 1 && j < text.size() && text[j] == ']' ? j + 1 : 0;
}

std::string dropStopBeforeIndex(std::string_view path) {
    std::string out;
    std::size_t i = 0;
    while (i < path.size()) {
        const std::size_t end = path[i] == '.' ? indexEnd(path, i + 1) : 0;
        if (end != 0) {
            out.append(path.substr(i + 1, end - i - 1));
            i = end;
        } else {
            out.push_back(path[i++]);
        }
    }
    return out;
}

std::string putStopBeforeIndex(std::string_view path) {
    std::string out;
    std::size_t i = 0;
    std::size_t searchStart = 0;  // where the engine's current search began: just after the last match
    while (i < path.size()) {
        const std::size_t length = path[i] == '.' ? 0 : validCharacterAt(path, i);
        const std::size_t end = length != 0 ? indexEnd(path, i + length) : 0;
        if (end == 0) {
            out.push_back(path[i++]);
            // After a failed attempt at a CR the engine steps over the LF of a CR LF pair.
            if (i > searchStart && i < path.size() && path[i - 1] == '\r' && path[i] == '\n') out.push_back(path[i++]);
            continue;
        }
        const bool stop = end < path.size() && path[end] == '.';
        out.append(path.substr(i, length));
        out.push_back('.');
        out.append(path.substr(i + length, end - i - length));
        if (stop) out.push_back('.');
        i = end + (stop ? 1 : 0);
        searchStart = i;
    }
    return out;
}

// The whole pattern, when the quick look found something it may match.
std::string_view stripQuotesEverywhere(std::string_view text, std::string& scratch);

}  // namespace

std::string_view trimBlanks(std::string_view text, std::string& scratch) {
    Cuts cuts(text, scratch);
    std::size_t i = 0;
    while (i < text.size()) {
        if (blankAt(text, i) == 0) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (std::size_t length = blankAt(text, end)) end += length;
        // Inside a run neither anchor can hold, so a run is deleted whole or not at all.
        if (isLineStart(text, i) || isLineEnd(text, end)) cuts.cut(i, end);
        i = end;
    }
    return cuts.result();
}

std::string_view stripQuotes(std::string_view text, std::string& scratch) {
    // The usual "name" or plain scalar: nothing in between that any alternative could start with.
    const std::size_t first = !text.empty() && text.front() == '"' ? 1 : 0;
    const std::size_t last = text.size() > first && text.back() == '"' ? text.size() - 1 : text.size();
    // Bytes an alternative of the quote stripper can start with: white space and other controls, the double quote,
    // and the first byte of U+3000.
    for (std::size_t i = first; (i = findFirstOf<true, '"', '\xE3'>(text, i, last)) != last; ++i) {
        // 0xE3 starts many a kana or CJK character; only U+3000 matters.
        if (text[i] != '\xE3' || isFullWidthSpace(text, i)) return stripQuotesEverywhere(text, scratch);
    }
    return text.substr(first, last - first);
    return stripQuotesEverywhere(text, scratch);
}

namespace {

std::string_view stripQuotesEverywhere(std::string_view text, std::string& scratch) {
    Cuts cuts(text, scratch);
    RunMeter whiteSpace(text, whiteSpaceAt);
    RunMeter blanks(text, blankOrQuoteAt);
    std::size_t i = 0;
    while (i < text.size()) {
        if (whiteSpaceAt(text, i) != 0) {
            const std::size_t end = whiteSpace.endFrom(i);
            if (end < text.size() && text[end] == '"') {
                cuts.cut(i, end + 1);
                i = end + 1;
                continue;
            }
        }
        if (text[i] == '"') {
            const std::size_t end = whiteSpaceRunEnd(text, i + 1);
            if (end > i + 1) {
                cuts.cut(i, end);
                i = end;
                continue;
            }
        }
        if (blankOrQuoteAt(text, i) != 0) {
            const std::size_t end = blanks.endFrom(i);
            if (isLineStart(text, i) || isLineEnd(text, end)) {
                cuts.cut(i, end);
                i = end;
                continue;
            }
        }
        ++i;
    }
    return cuts.result();
}

}  // namespace

std::string normalisePath(std::string_view path, int mode) {
    if (mode == 0) return dropStopBeforeIndex(path);
    if (mode == 1) return putStopBeforeIndex(path);
    return {};
}

}  // namespace velomir::detail
