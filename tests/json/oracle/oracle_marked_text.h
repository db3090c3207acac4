// A loaded text as the reference member and element readers see it: the plain bytes, and a marked copy in which
// every byte between two paired double quotes is a space, so that searches for structure pass over string literals.
// Positions are 1-based byte positions; -1 means none.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velomir::oracle {

// True for every byte between an opening and a closing double quote; quotes pair up from the start and an unpaired
// last one opens nothing. With backslashEscapes, a quote behind an odd run of backslashes is no delimiter.
std::vector<bool> stringInteriors(std::string_view text, bool backslashEscapes);

class MarkedText {
public:
    MarkedText() = default;
    explicit MarkedText(std::string plain);

    int length() const { return static_cast<int>(plain_.size()); }
    // First position from `from` on (from the start when from <= 1) whose marked byte is token.
    int next(char token, int from) const;
    // Plain bytes strictly between a and b.
    std::string between(int a, int b) const;
    // Whether, strictly between a and b, "{" and "}" and "[" and "]" are equal in number and quotes are even.
    bool balanced(int a, int b) const;

    // The raw member name from a "{" or "," up to its colon; false when no colon follows.
    bool readName(int position, int& colon, std::string& name) const;
    // The position ending the value that follows a colon, or -1.
    int valueEnd(int colon) const;
    // The comma or "]" ending the element that follows a "[" or comma, or -1.
    int elementEnd(int start) const;

private:
    char markedAt(int position) const;
    int nextValueStop(int after, bool& throughOpener) const;

    std::string plain_;
    std::string marked_;
};

}  // namespace velomir::oracle
