// The scanner's searches over a loaded text, done step by step as the reference reader (tests/json/oracle) does
// them but without the marked copy: a region of a loaded buffer stands for a loaded text of its own (positions
// 1-based from the region start, the region end acting as the buffer end). Searches remember their last answer, and the
// balance count of a growing range is extended instead of counted again, so the literal loops stay linear.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "json/loaded_text.h"

namespace velomir::detail {

class MarkedRegion {
public:
    MarkedRegion(const LoadedText& text, std::size_t begin, std::size_t end);

    int length() const { return static_cast<int>(end_ - begin_); }
    std::size_t offsetOf(int position) const { return begin_ + static_cast<std::size_t>(position) - 1; }
    int positionOf(std::size_t offset) const { return static_cast<int>(offset - begin_) + 1; }
    const LoadedText& text() const { return text_; }

    // Declares the byte at position visible and no double quote, so searches after it start outside any literal.
    void anchor(int position) const;
    // First occurrence of token in the marked buffer from position `from` (from the start when from <= 1), or -1.
    int find(char token, int from) const;
    // Whether the braces and brackets strictly between a and b balance and the double quotes there are even.
    bool isBalanced(int a, int b) const;
    // Double quotes strictly between a and b.
    int quotesBetween(int a, int b) const;
    // The marked buffer's byte at position, '\0' outside the buffer.
    char markedAt(int position) const;
    std::string_view textBetween(int a, int b, bool inclusive) const;

    // The literal member and element steps.
    std::string_view readMemberName(int position, int& end, std::string& scratch) const;
    std::string_view readMemberValue(int colon, int& end) const;
    int elementEnd(int start) const;

private:
    struct Lexer {
        bool inside = false;  // inside a literal whose closing quote is at closeAt
        std::size_t closeAt = 0;
    };
    struct Counts {
        long braces = 0;  // "{" minus "}"
        long brackets = 0;
        long quotes = 0;
    };
    struct Search {
        int from = 0;
        int hit = -2;  // -2: nothing remembered
    };

    Lexer lexerAt(std::size_t offset) const;
    bool anchored(std::size_t offset) const;
    std::size_t scanFor(char token, std::size_t offset, Lexer lexer) const;
    void count(std::size_t from, std::size_t to, Lexer& lexer, Counts& counts) const;
    Search& searchFor(char token) const;

    const LoadedText& text_;
    std::string_view plain_;
    std::size_t begin_;
    std::size_t end_;
    mutable std::array<std::size_t, 8> anchors_{};
    mutable std::size_t anchorCount_ = 0;
    mutable std::array<Search, 6> searches_{};
    // The last balance count: positions (a, to) counted, lexer state at `to`.
    mutable int countedFrom_ = -2;
    mutable int countedTo_ = 0;
    mutable Lexer countedLexer_;
    mutable Counts counted_;
};

}  // namespace velomir::detail
