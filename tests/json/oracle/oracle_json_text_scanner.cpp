#include "json/oracle/oracle_json_text_scanner.h"

#include "json/oracle/oracle_json_node_table.h"
#include "text/text_helpers.h"

namespace velomir::oracle {

namespace {

// Stored with two apostrophes wherever the pattern needs a double quote; "　" is U+3000.
constexpr std::string_view kQuoteStripper = R"re([\s　]+''|''[\s　]+|^[ 　''\t]+|[ 　''\t]+$)re";
constexpr std::string_view kBlankTrimmer = R"re(^[ 　\t]+|[ 　\t]+$)re";
constexpr std::string_view kOpeningBlankRemover = R"re([\s　]+(\[|{|''))re";
constexpr std::string_view kClosingBlankRemover = R"re((\]|}|'')[\s　]+)re";

constexpr std::string_view kObjectBlock = R"re({[\s\S]+})re";
constexpr std::string_view kArrayBlock = R"re(\[[\s\S]+\])re";

// Returned by the member readers when the scan cannot go on; callers discard it.
constexpr std::string_view kBeyond = "超出";

std::string withQuotes(std::string_view stored) { return replaceAll(stored, "''", "\""); }

// Bytes of the character at pos, read as the pattern engine reads UTF-8: a byte that starts no well-formed
// sequence is a character of its own.
std::size_t characterBytes(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t k) -> unsigned {
        return pos + k < text.size() ? static_cast<unsigned char>(text[pos + k]) : 0U;
    };
    const unsigned lead = byte(0);
    std::size_t length = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 1;
    }
    if (byte(1) < low || byte(1) > high) return 1;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(k) < 0x80 || byte(k) > 0xBF) return 1;
    }
    return length;
}

// Turns the engine's increasing character offsets back into byte offsets.
class ByteCursor {
public:
    explicit ByteCursor(std::string_view text) : text_(text) {}
    std::size_t byteOffset(int character) {
        while (characters_ < character && byte_ < text_.size()) {
            byte_ += characterBytes(text_, byte_);
            ++characters_;
        }
        return byte_;
    }

private:
    std::string_view text_;
    std::size_t byte_ = 0;
    int characters_ = 0;
};

// True for every byte between an opening and a closing string delimiter. A double quote delimits unless an odd
// run of backslashes stands in front of it; delimiters pair up from the start, an unpaired last one opens nothing.
std::vector<bool> stringInteriors(std::string_view text) {
    std::vector<std::size_t> delimiters;
    std::size_t backslashes = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"' && backslashes % 2 == 0) delimiters.push_back(i);
        backslashes = text[i] == '\\' ? backslashes + 1 : 0;
    }
    std::vector<bool> inside(text.size(), false);
    for (std::size_t k = 0; k + 1 < delimiters.size(); k += 2) {
        for (std::size_t j = delimiters[k] + 1; j < delimiters[k + 1]; ++j) inside[j] = true;
    }
    return inside;
}

int findIn(std::string_view text, char wanted, int from) {
    const std::size_t start = from <= 1 ? 0 : static_cast<std::size_t>(from - 1);
    if (start >= text.size()) return -1;
    const std::size_t hit = text.find(wanted, start);
    return hit == std::string_view::npos ? -1 : static_cast<int>(hit) + 1;
}

}  // namespace

JsonTextScanner::JsonTextScanner() {
    createPatterns();
    setTokens();
}

JsonTextScanner::JsonTextScanner(const JsonTextScanner& other)
    : tokens_(other.tokens_),
      marked_(other.marked_),
      plain_(other.plain_),
      segments_(other.segments_),
      querySegment_(other.querySegment_),
      queryResult_(other.queryResult_),
      queryZeroBased_(other.queryZeroBased_) {
    createPatterns();
}

JsonTextScanner& JsonTextScanner::operator=(const JsonTextScanner& other) {
    if (this == &other) return *this;
    tokens_ = other.tokens_;
    marked_ = other.marked_;
    plain_ = other.plain_;
    segments_ = other.segments_;
    querySegment_ = other.querySegment_;
    queryResult_ = other.queryResult_;
    queryZeroBased_ = other.queryZeroBased_;
    return *this;
}

void JsonTextScanner::createPatterns() {
    quoteStripper_.create(withQuotes(kQuoteStripper));
    blankTrimmer_.create(withQuotes(kBlankTrimmer));
    openingBlankRemover_.create(withQuotes(kOpeningBlankRemover));
    closingBlankRemover_.create(withQuotes(kClosingBlankRemover));
}

void JsonTextScanner::setTokens() { tokens_ = {"{", "}", "[", "]", "\"", ":", ","}; }

std::vector<std::string> JsonTextScanner::extractBlocks(std::string_view text) {
    std::vector<std::string> blocks;
    for (const std::string_view pattern : {kObjectBlock, kArrayBlock}) {
        RegexObject block;
        block.create(pattern);
        const int count = block.execute(text);
        for (int m = 1; m <= count; ++m) blocks.push_back(block.matchText(m));
    }
    return blocks;
}

std::string JsonTextScanner::queryText(std::string_view text, std::string_view path, bool zeroBased) {
    queryZeroBased_ = zeroBased;
    querySegment_ = 1;
    if (path.empty() || splitPath(path) == 0) {
        queryResult_ = compact(text);
        return queryResult_;
    }
    JsonPairList pairs;
    std::vector<std::string> elements;
    int kind = Scalar;
    splitTopLevel(text, pairs, elements, kind);
    queryResult_ = kind == Array ? queryArray(elements) : queryObject(pairs);
    return queryResult_;
}

std::string JsonTextScanner::queryArray(const std::vector<std::string>& elements) {
    if (querySegment_ < 1 || querySegment_ > static_cast<int>(segments_.size())) return {};
    const std::string& wanted = segments_[static_cast<std::size_t>(querySegment_ - 1)];
    for (std::size_t i = 1; i <= elements.size(); ++i) {
        const std::size_t number = queryZeroBased_ ? i - 1 : i;
        if (wanted == "[" + std::to_string(number) + "]") return queryValue(elements[i - 1]);
    }
    return {};
}

std::string JsonTextScanner::queryObject(const JsonPairList& pairs) {
    if (querySegment_ < 1 || querySegment_ > static_cast<int>(segments_.size())) return {};
    const std::string& wanted = segments_[static_cast<std::size_t>(querySegment_ - 1)];
    for (const auto& [name, value] : pairs) {
        if (name == wanted) return queryValue(value);
    }
    return {};
}

std::string JsonTextScanner::queryValue(const std::string& value) {
    if (querySegment_ == static_cast<int>(segments_.size())) return restoreEscapedQuotes(stripQuotes(value));
    ++querySegment_;
    const int kind = valueKind(value);
    if (kind == Object) {
        JsonPairList pairs;
        splitObject(value, true, pairs);
        return queryObject(pairs);
    }
    if (kind == Array) {
        std::vector<std::string> elements;
        splitArray(value, true, elements);
        return queryArray(elements);
    }
    return {};
}

std::string JsonTextScanner::restoreEscapedQuotes(std::string_view text) { return replaceAll(text, "\\''", "\\\""); }

std::string JsonTextScanner::stripQuotes(std::string_view text) const { return quoteStripper_.replace(text, ""); }

std::string JsonTextScanner::trimBlanks(std::string_view text) const { return blankTrimmer_.replace(text, ""); }

int JsonTextScanner::splitTopLevel(std::string_view text, JsonPairList& pairs, std::vector<std::string>& elements,
                                   int& kind) {
    std::string current(text);
    for (int pass = 1; pass <= 2; ++pass) {
        load(current);
        const int brace = find(OpenBrace, 1);
        const int bracket = find(OpenBracket, 1);
        if (brace == -1 && bracket == -1) {
            // No structure at all: the text becomes the single element of an array.
            current = "[" + current + "]";
            continue;
        }
        if (bracket == -1 || (brace != -1 && brace < bracket)) {
            kind = Object;
            return splitObject(current, false, pairs);
        }
        kind = Array;
        return splitArray(current, false, elements);
    }
    return 0;
}

int JsonTextScanner::splitObject(std::string_view text, bool loadFirst, JsonPairList& pairs) {
    if (loadFirst) load(text);
    int p = find(OpenBrace, 1);
    pairs.clear();
    while (true) {
        int end = 0;
        std::string name = readMemberName(p, end);
        p = end;
        if (p == -1) break;
        std::string value = readMemberValue(p, end);
        p = end;
        value = trimBlanks(value);
        if (p == -1) break;
        pairs.emplace_back(std::move(name), std::move(value));
    }
    return static_cast<int>(pairs.size());
}

int JsonTextScanner::splitArray(std::string_view text, bool loadFirst, std::vector<std::string>& elements) {
    if (loadFirst) load(text);
    elements.clear();
    int p = find(OpenBracket, 1);
    while (p != -1) {
        const int s = p;
        do {
            int t = find(Comma, p + 1);
            if (t == -1) t = find(CloseBracket, p + 1);
            p = t;
        } while (!isBalanced(s, p) && p != -1);
        if (p == -1) break;
        elements.push_back(trimBlanks(textBetween(s, p, false)));
    }
    // Empty brackets hold no element, while brackets holding only a comma hold two empty ones.
    if (elements.size() == 1 && elements.front().empty()) elements.clear();
    return static_cast<int>(elements.size());
}

int JsonTextScanner::valueKind(std::string_view text) {
    if (text.empty()) return Scalar;
    if (text.front() == '[') return Array;
    if (text.front() == '{') return Object;
    return Scalar;
}

std::string JsonTextScanner::firstMarkup(std::string_view text, int& position) {
    load(text);
    const int brace = find(OpenBrace, 1);
    const int bracket = find(OpenBracket, 1);
    if (brace == -1 && bracket == -1) {
        position = -1;
        return {};
    }
    const bool braceFirst = bracket == -1 || (brace != -1 && brace < bracket);
    position = braceFirst ? brace : bracket;
    return braceFirst ? tokens_[OpenBrace] : tokens_[OpenBracket];
}

int JsonTextScanner::splitPath(std::string_view path) {
    const std::string text = replaceAll(path, "''", "\"");
    segments_.clear();
    const int length = static_cast<int>(text.size());
    int s = 0;
    int e = 0;
    bool last = false;
    while (!last) {
        e = findIn(text, '.', e + 1);
        if (e == -1) {
            e = length + 1;
            last = true;
        }
        int quotes = 0;
        const int first = findIn(text, '"', s + 1);
        if (first != -1 && first < e) {
            const int second = findIn(text, '"', first + 1);
            quotes = second != -1 && second < e ? 2 : 1;
        }
        // One quote before the full stop: the stop lies inside a quoted name.
        if (quotes != 1) {
            segments_.push_back(
                stripQuotes(text.substr(static_cast<std::size_t>(s), static_cast<std::size_t>(e - s - 1))));
            s = e;
        }
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
    const std::string opened = removeBlankRuns(openingBlankRemover_, text, true);
    // Deleting blanks never moves quotes relative to each other, but positions shift: the interiors are recomputed.
    return removeBlankRuns(closingBlankRemover_, opened, false);
}

std::string JsonTextScanner::removeBlankRuns(RegexObject& pattern, std::string_view text, bool markAtEnd) {
    const std::vector<bool> inside = stringInteriors(text);
    const int count = pattern.execute(text);
    ByteCursor cursor(text);
    std::string out;
    std::size_t copied = 0;
    for (int m = 1; m <= count; ++m) {
        int character = 0;
        const std::string whole = pattern.matchTextAt(m, &character);
        const std::size_t start = cursor.byteOffset(character);
        // Blanks next to a quote always go; a bracket or brace inside a string literal keeps its blanks.
        const std::size_t mark = markAtEnd ? start + whole.size() - 1 : start;
        const bool keep = text[mark] != '"' && inside[mark];
        out.append(text.substr(copied, start - copied));
        out += keep ? whole : pattern.groupText(m, 1);
        copied = start + whole.size();
    }
    out.append(text.substr(copied));
    return out;
}

void JsonTextScanner::load(std::string_view text) {
    // Escaped backslashes are parked first so that the backslash in front of a closing quote cannot hide it.
    std::string normalised = replaceAll(text, "\\\\", "\\|\\|");
    normalised = replaceAll(normalised, "\\\"", "\\''");
    normalised = replaceAll(normalised, "\\|\\|", "\\\\");
    const std::string compacted = compact(normalised);
    marked_.clear();
    marked_.append(compacted);
    plain_.clear();
    plain_.append(compacted);
    setTokens();
    blankStrings();
}

void JsonTextScanner::blankStrings() {
    int count = 0;
    int open = 0;
    for (int hit = find(Quote, 1); hit != -1; hit = find(Quote, hit + 1)) {
        ++count;
        if (count % 2 == 1) {
            open = hit;
            continue;
        }
        for (int i = open + 1; i < hit; ++i) marked_[static_cast<std::size_t>(i - 1)] = ' ';
    }
}

bool JsonTextScanner::isBalanced(int a, int b) const {
    if (a == -1 || b == -1) return false;
    const int openBraces = countBetween(OpenBrace, a, b);
    const int closeBraces = countBetween(CloseBrace, a, b);
    const int openBrackets = countBetween(OpenBracket, a, b);
    const int closeBrackets = countBetween(CloseBracket, a, b);
    const int quotes = countBetween(Quote, a, b);
    return openBraces == closeBraces && openBrackets == closeBrackets && quotes % 2 == 0;
}

std::string JsonTextScanner::readMemberName(int position, int& end) const {
    int a = position;
    const bool inBuffer = a >= 1 && a <= static_cast<int>(marked_.size());
    const char at = inBuffer ? marked_[static_cast<std::size_t>(a - 1)] : '\0';
    if (at != '{' && at != ',') {
        const int brace = find(OpenBrace, a);
        if (brace != -1 && brace > a) a = brace;
    }
    const int q1 = find(Quote, a);
    const int q2 = find(Quote, q1 + 1);
    int k = a;
    do {
        k = find(Colon, k + 1);
    } while (k != -1 && k >= q1 && k <= q2);  // a colon inside the name's quotes
    if (k == -1) {
        end = -1;
        return std::string(kBeyond);
    }
    end = k;
    return stripQuotes(textBetween(a, k, false));
}

std::string JsonTextScanner::readMemberValue(int colon, int& end) const {
    const int bufferEnd = static_cast<int>(marked_.size()) + 1;
    int q = colon;
    int prev = 0;
    while (true) {
        const int lb = find(OpenBracket, q + 1);
        const int lc = find(OpenBrace, q + 1);
        const int cm = find(Comma, q + 1);
        const int rc = find(CloseBrace, q + 1);
        if (cm != -1 && (rc == -1 || cm < rc)) {
            q = cm;
        } else if (rc != -1) {
            q = rc;
        } else {
            q = bufferEnd;
        }
        bool closerFound = false;
        if (lb != -1 && lb < q) {
            q = find(CloseBracket, lb + 1);
            closerFound = q != -1;
        } else if (lc != -1 && lc < q) {
            q = find(CloseBrace, lc + 1);
            closerFound = q != -1;
        }
        if (!closerFound) {
            if (q == prev || q == -1 || q < prev) {
                end = -1;
                return std::string(kBeyond);
            }
            prev = q;
        }
        if (isBalanced(colon, q)) {
            end = q;
            return textBetween(colon, q, false);
        }
    }
}

std::string JsonTextScanner::textBetween(int a, int b, bool inclusive) const {
    int from = inclusive ? a : a + 1;
    int to = inclusive ? b : b - 1;
    if (from < 1) from = 1;
    if (to > static_cast<int>(plain_.size())) to = static_cast<int>(plain_.size());
    if (from > to) return {};
    return plain_.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from + 1));
}

bool JsonTextScanner::isQuoteCountEven(int a, int b) const { return countBetween(Quote, a, b) % 2 == 0; }

int JsonTextScanner::find(Token token, int from) const {
    const std::string& wanted = tokens_[token];
    const std::size_t start = from <= 1 ? 0 : static_cast<std::size_t>(from - 1);
    if (start >= marked_.size()) return -1;
    const std::size_t hit = marked_.find(wanted, start);
    return hit == std::string::npos ? -1 : static_cast<int>(hit) + 1;
}

int JsonTextScanner::countBetween(Token token, int a, int b) const {
    int count = 0;
    for (int hit = find(token, a + 1); hit != -1 && hit < b; hit = find(token, hit + 1)) ++count;
    return count;
}

}  // namespace velomir::oracle
