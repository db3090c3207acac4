#include "json/marked_region.h"

#include <algorithm>

#include "json/byte_scan.h"
#include "json/scanner_patterns.h"

namespace velomir::detail {

namespace {

constexpr std::size_t npos = std::string::npos;
// Returned by the member readers when the scan cannot go on; callers discard it.
constexpr std::string_view kBeyond = "超出";

}  // namespace

MarkedRegion::MarkedRegion(const LoadedText& text, std::size_t begin, std::size_t end)
    : text_(text), plain_(text.plain()), begin_(begin), end_(end) {}

void MarkedRegion::anchor(int position) const {
    if (position < 1 || position > length()) return;
    anchors_[anchorCount_++ % anchors_.size()] = offsetOf(position);
}

bool MarkedRegion::anchored(std::size_t offset) const {
    const std::size_t used = std::min(anchorCount_, anchors_.size());
    return std::find(anchors_.begin(), anchors_.begin() + static_cast<long>(used), offset) !=
           anchors_.begin() + static_cast<long>(used);
}

MarkedRegion::Lexer MarkedRegion::lexerAt(std::size_t offset) const {
    if (offset <= begin_ || anchored(offset) || anchored(offset - 1)) return {};
    std::size_t quotes = 0;
    for (std::size_t q = findByte(plain_, '"', begin_, offset); q != npos; q = findByte(plain_, '"', q + 1, offset)) {
        ++quotes;
    }
    if (quotes % 2 == 0) return {};
    const std::size_t close = findByte(plain_, '"', offset, end_);
    if (close == npos) return {};  // the last quote is unpaired and blanks nothing
    return {true, close};
}

std::size_t MarkedRegion::scanFor(char token, std::size_t offset, Lexer lexer) const {
    std::size_t i = lexer.inside ? lexer.closeAt + 1 : offset;
    while (i < end_) {
        const char c = plain_[i];
        if (c == token) return i;
        if (c == '"') {
            const std::size_t close = findByte(plain_, '"', i + 1, end_);
            i = close == npos ? i + 1 : close + 1;
        } else {
            ++i;
        }
    }
    return npos;
}

MarkedRegion::Search& MarkedRegion::searchFor(char token) const {
    static constexpr std::string_view kTokens = "{}[]:,";
    return searches_[kTokens.find(token)];
}

int MarkedRegion::find(char token, int from) const {
    const int start = from <= 1 ? 1 : from;
    if (start > length()) return -1;
    if (token == '"') {
        const std::size_t hit = findByte(plain_, '"', offsetOf(start), end_);
        return hit == npos ? -1 : positionOf(hit);
    }
    Search& search = searchFor(token);
    // A remembered answer stands for every start between the remembered start and the hit.
    if (search.hit != -2 && search.from <= start && (search.hit == -1 || start <= search.hit)) return search.hit;
    const std::size_t offset = offsetOf(start);
    const std::size_t hit = scanFor(token, offset, lexerAt(offset));
    search = {start, hit == npos ? -1 : positionOf(hit)};
    anchor(search.hit);
    return search.hit;
}

void MarkedRegion::count(std::size_t from, std::size_t to, Lexer& lexer, Counts& counts) const {
    std::size_t i = from;
    if (lexer.inside) {
        if (lexer.closeAt >= to) return;
        ++counts.quotes;
        i = lexer.closeAt + 1;
        lexer.inside = false;
    }
    for (; i < to; ++i) {
        switch (plain_[i]) {
            case '{':
                ++counts.braces;
                break;
            case '}':
                --counts.braces;
                break;
            case '[':
                ++counts.brackets;
                break;
            case ']':
                --counts.brackets;
                break;
            case '"': {
                ++counts.quotes;
                const std::size_t close = findByte(plain_, '"', i + 1, end_);
                if (close == npos) break;
                if (close >= to) {
                    lexer = {true, close};
                    return;
                }
                ++counts.quotes;
                i = close;
                break;
            }
            default:
                break;
        }
    }
}

bool MarkedRegion::isBalanced(int a, int b) const {
    if (a == -1 || b == -1) return false;
    const int first = std::max(a + 1, 1);
    const int last = std::min(b - 1, length());
    if (first > last) return true;
    if (countedFrom_ != a || countedTo_ > last + 1) {
        countedFrom_ = a;
        countedTo_ = first;
        counted_ = {};
        countedLexer_ = lexerAt(offsetOf(first));
    }
    count(offsetOf(countedTo_), offsetOf(last) + 1, countedLexer_, counted_);
    countedTo_ = last + 1;
    return counted_.braces == 0 && counted_.brackets == 0 && counted_.quotes % 2 == 0;
}

int MarkedRegion::quotesBetween(int a, int b) const {
    const int first = std::max(a + 1, 1);
    const int last = std::min(b - 1, length());
    int quotes = 0;
    if (first > last) return 0;
    for (std::size_t q = findByte(plain_, '"', offsetOf(first), offsetOf(last) + 1); q != npos;
         q = findByte(plain_, '"', q + 1, offsetOf(last) + 1)) {
        ++quotes;
    }
    return quotes;
}

char MarkedRegion::markedAt(int position) const {
    if (position < 1 || position > length()) return '\0';
    const std::size_t offset = offsetOf(position);
    const char c = plain_[offset];
    if (c == '"' || anchored(offset)) return c;
    const Lexer lexer = lexerAt(offset);
    return lexer.inside ? ' ' : c;
}

std::string_view MarkedRegion::textBetween(int a, int b, bool inclusive) const {
    int from = inclusive ? a : a + 1;
    int to = inclusive ? b : b - 1;
    if (from < 1) from = 1;
    if (to > length()) to = length();
    if (from > to) return {};
    return plain_.substr(offsetOf(from), static_cast<std::size_t>(to - from + 1));
}

std::string_view MarkedRegion::readMemberName(int position, int& end, std::string& scratch) const {
    int a = position;
    const char at = markedAt(a);
    if (at != '{' && at != ',') {
        const int brace = find('{', a);
        if (brace != -1 && brace > a) a = brace;
    }
    const int q1 = find('"', a);
    const int q2 = find('"', q1 + 1);
    int k = a;
    do {
        k = find(':', k + 1);
    } while (k != -1 && k >= q1 && k <= q2);  // a colon inside the name's quotes
    if (k == -1) {
        end = -1;
        return kBeyond;
    }
    end = k;
    return stripQuotes(textBetween(a, k, false), scratch);
}

std::string_view MarkedRegion::readMemberValue(int colon, int& end) const {
    const int bufferEnd = length() + 1;
    int q = colon;
    int prev = 0;
    while (true) {
        const int lb = find('[', q + 1);
        const int lc = find('{', q + 1);
        const int cm = find(',', q + 1);
        const int rc = find('}', q + 1);
        if (cm != -1 && (rc == -1 || cm < rc)) {
            q = cm;
        } else if (rc != -1) {
            q = rc;
        } else {
            q = bufferEnd;
        }
        bool closerFound = false;
        if (lb != -1 && lb < q) {
            q = find(']', lb + 1);
            closerFound = q != -1;
        } else if (lc != -1 && lc < q) {
            q = find('}', lc + 1);
            closerFound = q != -1;
        }
        if (!closerFound) {
            if (q == prev || q == -1 || q < prev) {
                end = -1;
                return kBeyond;
            }
            prev = q;
        }
        if (isBalanced(colon, q)) {
            end = q;
            return textBetween(colon, q, false);
        }
    }
}

int MarkedRegion::elementEnd(int start) const {
    int p = start;
    do {
        int t = find(',', p + 1);
        if (t == -1) t = find(']', p + 1);
        p = t;
    } while (!isBalanced(start, p) && p != -1);
    return p;
}

}  // namespace velomir::detail
