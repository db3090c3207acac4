// Reference text scanner: the literal byte searches over a plain and a string-blanked copy of the loaded text,
// and the four scanner patterns run on RegexObject. Positions are 1-based byte positions; -1 means not found.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pattern/regex_object.h"

namespace velomir::oracle {

using JsonPairList = std::vector<std::pair<std::string, std::string>>;

class JsonTextScanner {
public:
    JsonTextScanner();
    // Copies get their own pattern objects, so no run of one copy can touch the other's results.
    JsonTextScanner(const JsonTextScanner& other);
    JsonTextScanner& operator=(const JsonTextScanner& other);

    // The greedy object block and array block of the text, those that exist, in that order.
    std::vector<std::string> extractBlocks(std::string_view text);
    // Value at a path, found by splitting the text level by level without a node table.
    std::string queryText(std::string_view text, std::string_view path, bool zeroBased);
    static std::string restoreEscapedQuotes(std::string_view text);
    std::string stripQuotes(std::string_view text) const;
    std::string trimBlanks(std::string_view text) const;
    // Splits the outermost object or array; kind becomes Object or Array. Returns the number of pairs or elements.
    int splitTopLevel(std::string_view text, JsonPairList& pairs, std::vector<std::string>& elements, int& kind);
    int splitObject(std::string_view text, bool loadFirst, JsonPairList& pairs);
    int splitArray(std::string_view text, bool loadFirst, std::vector<std::string>& elements);
    static int valueKind(std::string_view text);
    // The first "{" or "[" of the loaded text, with its position; empty text and -1 when there is none.
    std::string firstMarkup(std::string_view text, int& position);
    int splitPath(std::string_view path);
    int pathSegments(std::vector<std::string>& out) const;
    static std::string normalisePath(std::string_view path, int mode);
    // Removes blank runs in front of "[", "{" and double quotes and after "]", "}" and double quotes; a bracket or
    // brace inside a string literal keeps its blanks.
    std::string compact(std::string_view text);
    void load(std::string_view text);
    std::string queryArray(const std::vector<std::string>& elements);
    std::string queryObject(const JsonPairList& pairs);
    bool isBalanced(int a, int b) const;
    // From a "{" or "," to the member's colon; end receives the colon's position or -1.
    std::string readMemberName(int position, int& end) const;
    // From a colon to the comma, closing brace or end that ends the value; end receives it or -1.
    std::string readMemberValue(int colon, int& end) const;
    std::string textBetween(int a, int b, bool inclusive) const;
    bool isQuoteCountEven(int a, int b) const;

private:
    enum Token { OpenBrace, CloseBrace, OpenBracket, CloseBracket, Quote, Colon, Comma };

    void createPatterns();
    void setTokens();
    void blankStrings();
    int find(Token token, int from) const;
    int countBetween(Token token, int a, int b) const;
    std::string removeBlankRuns(RegexObject& pattern, std::string_view text, bool markAtEnd);
    std::string queryValue(const std::string& value);

    std::array<std::string, 7> tokens_;
    std::string marked_;
    std::string plain_;
    RegexObject quoteStripper_;
    RegexObject openingBlankRemover_;
    RegexObject closingBlankRemover_;
    RegexObject blankTrimmer_;
    std::vector<std::string> segments_;
    // Walk state of queryText.
    int querySegment_ = 0;
    std::string queryResult_;
    bool queryZeroBased_ = false;
};

}  // namespace velomir::oracle
