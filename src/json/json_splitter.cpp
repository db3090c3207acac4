#include "json/json_splitter.h"

#include <string>

#include "json/byte_scan.h"
#include "json/marked_region.h"
#include "json/scanner_patterns.h"

namespace velomir::detail {

namespace {

constexpr std::size_t npos = std::string::npos;
constexpr auto kComma = byteSet(",");

// One object or array being cut. Positions are the region's 1-based ones, as the reference steps (tests/json/oracle)
// use them.
class Cutter {
public:
    Cutter(const LoadedText& text, std::size_t begin, std::size_t end)
        : text_(text), plain_(text.plain()), end_(end), region_(text, begin, end) {}

    const MarkedRegion& region() const { return region_; }

    // readMemberName at a visible "{" or "," followed by "name": (the name has no quote inside).
    bool quickName(int p, int& colon, std::string_view& name, std::string& scratch) const {
        if (p < 1 || p > region_.length()) return false;
        const std::size_t at = region_.offsetOf(p);
        if ((plain_[at] != '{' && plain_[at] != ',') || at + 1 >= end_ || plain_[at + 1] != '"') return false;
        const std::size_t close = findByte(plain_, '"', at + 2, end_);
        if (close == npos || close + 1 >= end_ || plain_[close + 1] != ':') return false;
        colon = region_.positionOf(close + 1);
        // Nothing inside the quotes that the quote stripper could take: the name is what they enclose.
        std::size_t i = at + 2;
        while (i<close&& static_cast<unsigned char>(plain_[i])> 0x20 && plain_[i] != '\xE3') ++i;
        name = i == close ? plain_.substr(at + 2, close - at - 2)
                          : stripQuotes(plain_.substr(at + 1, close - at), scratch);
        return true;
    }

    // readMemberValue when valueEnd cuts the value: it then ends at the "," or "}" found, or at the end of the text.
    bool quickMemberValue(int colon, int& end, std::size_t& valueEnd) const {
        const std::size_t value = region_.offsetOf(colon) + 1;
        if (value >= end_) return false;
        const ValueEnd stop = detail::valueEnd<'}'>(text_, value, end_);
        if (!stop.clear) return false;
        valueEnd = stop.at == npos ? end_ : stop.at;
        end = region_.positionOf(valueEnd);
        return true;
    }

    // The element loop from a visible "[" or ",": candidates are the commas after it, then the "]"s after the last
    // comma; the first balanced one ends the element. End -1: neither a comma nor a closing bracket follows.
    bool quickElement(int start, int& end) const {
        const std::size_t value = region_.offsetOf(start) + 1;
        if (value >= end_) {
            end = -1;
            return true;
        }
        const ValueEnd stop = detail::valueEnd<']'>(text_, value, end_);
        if (!stop.clear) return false;
        if (stop.at == npos) {
            end = -1;
            return true;
        }
        if (plain_[stop.at] == ']' && text_.nextVisible(stop.at + 1, end_, kComma).at != npos) return false;
        end = region_.positionOf(stop.at);
        return true;
    }

private:
    const LoadedText& text_;
    std::string_view plain_;
    std::size_t end_;
    MarkedRegion region_;
};

}  // namespace

std::string_view trimmedValue(const LoadedText& text, std::size_t begin, std::size_t end, std::string& scratch) {
    const std::string_view value = text.plain().substr(begin, end - begin);
    // Most values neither begin nor end with a blank (space, tab, or the first or last byte of U+3000).
    const bool plainEdges =
        value.empty() || (value.front() != ' ' && value.front() != '\t' && value.front() != '\xE3' &&
                          value.back() != ' ' && value.back() != '\t' && value.back() != '\x80');
    if (plainEdges && text.trimsOnlyEdges(begin, end)) return value;
    std::size_t first = 0;
    while (std::size_t length = blankAt(value, first)) first += length;
    std::size_t last = value.size();
    while (last > first) {
        if (value[last - 1] == ' ' || value[last - 1] == '\t') {
            --last;
        } else if (last >= first + 3 && isFullWidthSpace(value, last - 3)) {
            last -= 3;
        } else {
            break;
        }
    }
    if (text.trimsOnlyEdges(begin + first, begin + last)) return value.substr(first, last - first);
    return trimBlanks(value, scratch);
}

int splitObjectRegion(const LoadedText& text, std::size_t begin, std::size_t end, SplitSink& sink) {
    std::string scratch;
    int pairs = 0;
    const std::size_t resume = splitPlainMembers(text, begin, end, sink, pairs, scratch);
    return resume == kSplitDone ? pairs : splitObjectRegionFrom(text, begin, end, sink, resume, pairs);
}

int splitObjectRegionFrom(const LoadedText& text, std::size_t begin, std::size_t end, SplitSink& sink,
                          std::size_t resume, int pairs) {
    const Cutter cutter(text, begin, end);
    const MarkedRegion& region = cutter.region();
    std::string nameScratch;
    std::string valueScratch;
    int p = resume != kSplitFromStart                   ? region.positionOf(resume)
            : begin < end && text.plain()[begin] == '{' ? 1
                                                        : region.find('{', 1);
    // From the last byte on no colon can follow, so readMemberName would fail there.
    while (p < region.length()) {
        int colon = -1;
        std::string_view name;
        if (!cutter.quickName(p, colon, name, nameScratch)) {
            region.anchor(p);
            name = region.readMemberName(p, colon, nameScratch);
        }
        if (colon == -1) break;
        int valueEnd = -1;
        std::size_t endOffset = 0;
        if (cutter.quickMemberValue(colon, valueEnd, endOffset)) {
            const std::size_t valueBegin = region.offsetOf(colon) + 1;
            sink.member(text, name, trimmedValue(text, valueBegin, endOffset, valueScratch));
        } else {
            region.anchor(colon);
            region.readMemberValue(colon, valueEnd);
            if (valueEnd == -1) break;
            // The value is textBetween(colon, valueEnd), valueEnd being at most one past the end.
            const std::size_t valueBegin = region.offsetOf(colon) + 1;
            sink.member(text, name, trimmedValue(text, valueBegin, region.offsetOf(valueEnd), valueScratch));
        }
        ++pairs;
        p = valueEnd;
    }
    return pairs;
}

int splitArrayRegion(const LoadedText& text, std::size_t begin, std::size_t end, SplitSink& sink) {
    std::string scratch;
    int elements = 0;
    bool emptyHeld = false;
    const std::size_t resume = splitPlainElements(text, begin, end, sink, elements, emptyHeld, scratch);
    if (resume == kSplitDone) return emptyHeld ? 0 : elements;
    return splitArrayRegionFrom(text, begin, end, sink, resume, elements, emptyHeld);
}

int splitArrayRegionFrom(const LoadedText& text, std::size_t begin, std::size_t end, SplitSink& sink,
                         std::size_t resume, int elements, bool emptyHeld) {
    const Cutter cutter(text, begin, end);
    const MarkedRegion& region = cutter.region();
    std::string scratch;
    int p = resume != kSplitFromStart                   ? region.positionOf(resume)
            : begin < end && text.plain()[begin] == '[' ? 1
                                                        : region.find('[', 1);
    while (p != -1) {
        const int start = p;
        if (!cutter.quickElement(start, p)) {
            region.anchor(start);
            p = region.elementEnd(start);
        }
        if (p == -1) break;
        const std::string_view value = trimmedValue(text, region.offsetOf(start) + 1, region.offsetOf(p), scratch);
        ++elements;
        if (elements == 1 && value.empty()) {
            emptyHeld = true;
            continue;
        }
        if (emptyHeld) {
            sink.element(text, {});
            emptyHeld = false;
        }
        sink.element(text, value);
    }
    return emptyHeld ? 0 : elements;
}

}  // namespace velomir::detail
