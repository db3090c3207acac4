// The text tool of the JSON reader: loads a text into a plain and a string-blanked (marked) form, cuts objects and
// arrays into member and element texts, and splits JSON paths. Positions are 1-based byte positions of the loaded
// text; -1 means not found. The marked form is not kept as a copy: searches skip string literals instead.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "json/json_node_table.h"
#include "json/path_splitter.h"

namespace velomir {

namespace detail {
class LoadedText;
class MarkedRegion;
}  // namespace detail

class JsonTextScanner {
public:
    JsonTextScanner();
    ~JsonTextScanner();
    JsonTextScanner(const JsonTextScanner& other);
    JsonTextScanner& operator=(const JsonTextScanner& other);

    // The greedy object block and array block of the text, those that exist, in that order.
    std::vector<std::string> extractBlocks(std::string_view text);
    // Value at a path, found by splitting the text level by level without a node table.
    std::string queryText(std::string_view text, std::string_view path, bool zeroBased);
    static std::string restoreEscapedQuotes(std::string_view text);
    static std::string stripQuotes(std::string_view text);
    static std::string trimBlanks(std::string_view text);
    // Splits the outermost object or array; kind becomes Object or Array. Returns the number of pairs or elements.
    int splitTopLevel(std::string_view text, JsonPairList& pairs, std::vector<std::string>& elements, int& kind);
    int splitObject(std::string_view text, bool loadFirst, JsonPairList& pairs);
    int splitArray(std::string_view text, bool loadFirst, std::vector<std::string>& elements);
    // The first "{" or "[" of the loaded text, with its position; empty text and -1 when there is none.
    std::string firstMarkup(std::string_view text, int& position);
    int splitPath(std::string_view path);
    int pathSegments(std::vector<std::string>& out) const;
    static std::string normalisePath(std::string_view path, int mode);
    // White space in front of "[", "{" and double quotes and after "]", "}" and double quotes removed; a bracket or
    // brace inside a string literal keeps its white space.
    static std::string compact(std::string_view text);
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
    detail::MarkedRegion region() const;
    std::string queryValue(const std::string& value);

    std::string plain_;
    std::unique_ptr<detail::LoadedText> loaded_;
    detail::PathSplitter splitter_;
    std::vector<std::string> segments_;
    // Walk state of queryText.
    int querySegment_ = 0;
    std::string queryResult_;
    bool queryZeroBased_ = false;
};

}  // namespace velomir
