// splitObject and splitArray over a region of a loaded buffer, with the same results as the literal loops
// of the reference reader (tests/json/oracle).
// Well-formed members and elements are cut in one step from the precomputed matching closers; anything else goes
// through the literal steps (MarkedRegion). Each pair or element is handed over as soon as it is known.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "json/byte_scan.h"
#include "json/loaded_text.h"

namespace velomir::detail {

// Receives the pairs and elements; texts are views into the loaded buffer or into scratch texts that live until
// the call returns. Values have been through trimBlanks.
class SplitSink {
public:
    virtual void member(const LoadedText& text, std::string_view name, std::string_view value) = 0;
    virtual void element(const LoadedText& text, std::string_view value) = 0;
    // A member whose name is a slice of the buffer between double quotes, right in front of ":" (and holds no
    // double quote).
    virtual void quotedMember(const LoadedText& text, std::string_view name, std::string_view value) {
        member(text, name, value);
    }

protected:
    ~SplitSink() = default;
};

// The region [begin, end) stands for a loaded text of its own; returns the number of pairs or elements.
int splitObjectRegion(const LoadedText& text, std::size_t begin, std::size_t end, SplitSink& sink);
int splitArrayRegion(const LoadedText& text, std::size_t begin, std::size_t end, SplitSink& sink);

// trimBlanks of the bytes [begin, end) of the loaded buffer.
std::string_view trimmedValue(const LoadedText& text, std::size_t begin, std::size_t end, std::string& scratch);

// The two steps of a split, for callers that hand over to a sink of their own type without a virtual call: first
// the plain members or elements ("name":value one after the other, the usual case) are cut in one go, then the
// literal steps take over from the first other one. The plain step returns kSplitDone when it cut the whole region,
// kSplitFromStart when it cut nothing and the steps start as usual, else the offset of the "," or opener where they
// resume.
inline constexpr std::size_t kSplitDone = std::string_view::npos;
inline constexpr std::size_t kSplitFromStart = std::string_view::npos - 1;
int splitObjectRegionFrom(const LoadedText& text, std::size_t begin, std::size_t end, SplitSink& sink,
                          std::size_t resume, int pairs);
int splitArrayRegionFrom(const LoadedText& text, std::size_t begin, std::size_t end, SplitSink& sink,
                         std::size_t resume, int elements, bool emptyHeld);

// trimmedValue for the usual value, which neither begins nor ends with a blank (space, tab, or the first or last
// byte of U+3000) and has no line break with a blank next to it.
inline std::string_view plainTrimmed(const LoadedText& text, std::size_t begin, std::size_t end, std::string& scratch) {
    const std::string_view value = text.plain().substr(begin, end - begin);
    // Bit 0: a blank may begin here, bit 1: one may end here.
    static constexpr auto kEdges = [] {
        std::array<std::uint8_t, 256> edges{};
        edges[' '] = edges['\t'] = 3;
        edges[0xE3] |= 1;
        edges[0x80] |= 2;
        return edges;
    }();
    if (value.empty() || (((kEdges[static_cast<unsigned char>(value.front())] & 1) |
                           (kEdges[static_cast<unsigned char>(value.back())] & 2)) == 0 &&
                          text.noLineHazards())) {
        return value;
    }
    return trimmedValue(text, begin, end, scratch);
}

// Where the value that starts at `value` (before `end`) ends: at the first "," or Closer outside string literals,
// a nested object or array taken whole. `clear` is false when the value cannot be cut in one step, so that the literal
// steps (MarkedRegion) decide: a nested value not closed properly, an unpaired double quote, an opener or a closer of
// the other kind before the end. These are the values on which the literal steps and the quick steps agree at once.
struct ValueEnd {
    std::size_t at;  // the "," or Closer; npos when the value runs to the end
    bool clear;
};

template <char Closer>
[[gnu::always_inline]] inline ValueEnd valueEnd(const LoadedText& text, std::size_t value, std::size_t end) {
    constexpr std::size_t npos = std::string_view::npos;
    const std::string_view plain = text.plain();
    std::size_t stop = value;
    const char first = plain[value];
    if (first == '{' || first == '[') {
        const std::size_t closer = text.closerOf(value);
        if (closer == npos || !text.evenQuotes(value, closer) || closer + 1 >= end) return {npos, false};
        stop = closer + 1;
    } else {
        while (true) {
            if (plain[stop] != '"') {
                stop = findFirstOf<false, ',', '}', ']', '{', '[', '"'>(plain, stop, end);
                if (stop == end) return {npos, true};
                if (plain[stop] != '"') break;
            }
            const std::size_t close = findByte(plain, '"', stop + 1, end);
            if (close == npos) return {npos, false};
            stop = close + 1;
            if (stop == end) return {npos, true};
            // A string value is mostly followed right away by "," or the closer.
            if (plain[stop] == ',' || plain[stop] == Closer) return {stop, true};
        }
    }
    const char c = plain[stop];
    if (c == ',' || c == Closer) return {stop, true};
    return {npos, false};
}

template <typename Sink>
std::size_t splitPlainMembers(const LoadedText& text, std::size_t begin, std::size_t end, Sink& sink, int& pairs,
                              std::string& scratch) {
    const std::string_view plain = text.plain();
    if (begin >= end || plain[begin] != '{') return kSplitFromStart;
    std::size_t at = begin;  // the "{" or "," in front of the member
    while (at + 1 < end && plain[at + 1] == '"') {
        const std::size_t close = findFirstOf<true, '"', '\xE3'>(plain, at + 2, end);
        if (close + 2 >= end || plain[close] != '"' || plain[close + 1] != ':') break;
        const ValueEnd stop = valueEnd<'}'>(text, close + 2, end);
        if (!stop.clear || stop.at == std::string_view::npos) break;
        sink.quotedMember(text, plain.substr(at + 2, close - at - 2), plainTrimmed(text, close + 2, stop.at, scratch));
        ++pairs;
        at = stop.at;
        if (plain[at] == '}') return at + 1 == end ? kSplitDone : at;
    }
    return at;
}

template <typename Sink>
std::size_t splitPlainElements(const LoadedText& text, std::size_t begin, std::size_t end, Sink& sink, int& elements,
                               bool& emptyHeld, std::string& scratch) {
    const std::string_view plain = text.plain();
    if (begin >= end || plain[begin] != '[') return kSplitFromStart;
    std::size_t at = begin;  // the "[" or "," in front of the element
    while (at + 1 < end) {
        const ValueEnd stop = valueEnd<']'>(text, at + 1, end);
        // A "]" ends the element only when no comma follows it.
        if (!stop.clear || stop.at == std::string_view::npos || (plain[stop.at] == ']' && stop.at + 1 != end)) break;
        const std::string_view value = plainTrimmed(text, at + 1, stop.at, scratch);
        ++elements;
        at = stop.at;
        // A lone empty element is no element: it is handed over only when a second one comes.
        if (elements == 1 && value.empty()) {
            emptyHeld = true;
        } else {
            if (emptyHeld) {
                sink.element(text, {});
                emptyHeld = false;
            }
            sink.element(text, value);
        }
        if (plain[at] == ']') return kSplitDone;
    }
    return at;
}

}  // namespace velomir::detail
