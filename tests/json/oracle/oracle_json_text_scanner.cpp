#include "json/oracle/oracle_json_text_scanner.h"

#include <algorithm>

#include "json/oracle/oracle_json_node_table.h"
#include "text/text_helpers.h"

namespace velomir::oracle {

namespace {

// Stored with two apostrophes wherever the pattern needs a double quote; "　" is U+3000.
constexpr std::string_view kQuoteStripper = R"re([\s　]+''|''[\s　]+|^[ 　''\t]+|[ 　''\t]+$)re";
constexpr std::string_view kBlankTrimmer = R"re(^[ 　\t]+|[ 　\t]+$)re";
constexpr std::string_view kOpeningBlankRemover = R"re([\s　]+(\[|{|''))re";
constexpr std::string_view kClosingBlankRemover = R"re((\]|}|'')[\s　]+)re";

std::string withQuotes(std::string_view stored) { return replaceAll(stored, "''", "\""); }

// Bytes of the character at pos, read as the pattern engine reads UTF-8: a byte that starts no well-formed
// sequence is a character of its own.
std::size_t characterBytes(std::string_view text, std::size_t pos) {
    const std::string_view rest = text.substr(pos, 4);
    const auto lead = static_cast<unsigned char>(rest.front());
    std::size_t length = 1;
    unsigned secondLow = 0x80;
    unsigned secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) secondLow = 0xA0;
        if (lead == 0xED) secondHigh = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) secondLow = 0x90;
        if (lead == 0xF4) secondHigh = 0x8F;
    }
    if (rest.size() < length) return 1;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(rest[k]);
        if (next < (k == 1 ? secondLow : 0x80U) || next > (k == 1 ? secondHigh : 0xBFU)) return 1;
    }
    return length;
}

}  // namespace

JsonTextScanner::Patterns::Patterns() {
    quoteStripper.create(withQuotes(kQuoteStripper));
    blankTrimmer.create(withQuotes(kBlankTrimmer));
    openingBlankRemover.create(withQuotes(kOpeningBlankRemover));
    closingBlankRemover.create(withQuotes(kClosingBlankRemover));
}

int JsonTextScanner::splitTopLevel(std::string_view text, JsonPairList& pairs, std::vector<std::string>& elements,
                                   int& kind) {
    load(text);
    char opener = outermostOpener();
    if (opener == '\0') {
        // No structure at all: the text becomes the single element of an array.
        load(enclosed("[", text, "]"));
        opener = '[';
    }
    kind = opener == '{' ? Object : Array;
    return opener == '{' ? splitObject({}, false, pairs) : splitArray({}, false, elements);
}

char JsonTextScanner::outermostOpener() const {
    const int brace = loaded_.next('{', 1);
    const int bracket = loaded_.next('[', 1);
    if (brace == -1) return bracket == -1 ? '\0' : '[';
    return bracket != -1 && bracket < brace ? '[' : '{';
}

int JsonTextScanner::splitObject(std::string_view text, bool loadFirst, JsonPairList& pairs) {
    if (loadFirst) load(text);
    pairs.clear();
    int position = loaded_.next('{', 1);
    int colon = 0;
    std::string name;
    while (loaded_.readName(position, colon, name)) {
        const int end = loaded_.valueEnd(colon);
        if (end == -1) break;
        pairs.emplace_back(stripQuotes(name), trimBlanks(loaded_.between(colon, end)));
        position = end;
    }
    return static_cast<int>(pairs.size());
}

int JsonTextScanner::splitArray(std::string_view text, bool loadFirst, std::vector<std::string>& elements) {
    if (loadFirst) load(text);
    elements.clear();
    int start = loaded_.next('[', 1);
    while (start != -1) {
        const int end = loaded_.elementEnd(start);
        if (end == -1) break;
        elements.push_back(trimBlanks(loaded_.between(start, end)));
        start = end;
    }
    // Empty brackets hold no element, while brackets holding only a comma hold two empty ones.
    if (elements.size() == 1 && elements.front().empty()) elements.clear();
    return static_cast<int>(elements.size());
}

int JsonTextScanner::valueKind(std::string_view text) {
    switch (text.empty() ? '\0' : text.front()) {
        case '{':
            return Object;
        case '[':
            return Array;
        default:
            return Scalar;
    }
}

int JsonTextScanner::splitPath(std::string_view path) {
    const std::string text = replaceAll(path, "''", "\"");
    segments_.clear();
    // Every full stop ends a segment, and so does the end of the path, unless exactly one double quote stands
    // between the segment's start and it: then the stop lies inside a quoted name.
    std::size_t begin = 0;
    for (std::size_t stop = 0; stop <= text.size(); ++stop) {
        if (stop < text.size() && text[stop] != '.') continue;
        const std::string_view segment = std::string_view(text).substr(begin, stop - begin);
        if (std::count(segment.begin(), segment.end(), '"') == 1) continue;
        segments_.push_back(stripQuotes(segment));
        begin = stop + 1;
    }
    return static_cast<int>(segments_.size());
}

int JsonTextScanner::pathSegments(std::vector<std::string>& out) const {
    out = segments_;
    return static_cast<int>(out.size());
}

std::string JsonTextScanner::normalisePath(std::string_view path, int mode) {
    RegexObject normaliser;
    if (mode == 0) {
        normaliser.create(R"re(\.(\[\d+\]))re");
        return normaliser.replace(path, "$1");
    }
    if (mode == 1) {
        normaliser.create(R"re(([^\.])(\[\d+\])(\.?))re");
        return normaliser.replace(path, "$1.$2$3");
    }
    return {};
}

std::string JsonTextScanner::compact(std::string_view text) {
    const std::string opened = removeBlankRuns(patterns_.openingBlankRemover, text, true);
    // Deleting blanks never moves quotes relative to each other, but positions shift: the interiors are recomputed.
    return removeBlankRuns(patterns_.closingBlankRemover, opened, false);
}

// Each match becomes its group 1 (the bracket, brace or quote), unless that mark is a bracket or brace inside a
// string literal: then the match stays. The mark ends the match when markAtEnd, else starts it.
std::string JsonTextScanner::removeBlankRuns(RegexObject& pattern, std::string_view text, bool markAtEnd) {
    const std::vector<bool> inside = stringInteriors(text, true);
    const int matches = pattern.execute(text);
    std::string out;
    std::size_t copied = 0;
    std::size_t byte = 0;
    int character = 0;
    for (int m = 1; m <= matches; ++m) {
        int start = 0;
        const std::string whole = pattern.matchTextAt(m, &start);
        // The engine gives character offsets; the bytes are walked forward to the match.
        for (; character < start && byte < text.size(); ++character) byte += characterBytes(text, byte);
        const std::size_t mark = markAtEnd ? byte + whole.size() - 1 : byte;
        const bool keep = text[mark] != '"' && inside[mark];
        out += text.substr(copied, byte - copied);
        out += keep ? whole : pattern.groupText(m, 1);
        copied = byte + whole.size();
    }
    out += text.substr(copied);
    return out;
}

std::string JsonTextScanner::stripQuotes(std::string_view text) const {
    return patterns_.quoteStripper.replace(text, "");
}

std::string JsonTextScanner::trimBlanks(std::string_view text) const {
    return patterns_.blankTrimmer.replace(text, "");
}

std::string JsonTextScanner::restoreEscapedQuotes(std::string_view text) { return replaceAll(text, "\\''", "\\\""); }

void JsonTextScanner::load(std::string_view text) {
    // Escaped backslashes are parked first so that the backslash in front of a closing quote cannot hide it.
    std::string normalised = replaceAll(text, "\\\\", "\\|\\|");
    normalised = replaceAll(normalised, "\\\"", "\\''");
    normalised = replaceAll(normalised, "\\|\\|", "\\\\");
    loaded_ = MarkedText(compact(normalised));
}

}  // namespace velomir::oracle
