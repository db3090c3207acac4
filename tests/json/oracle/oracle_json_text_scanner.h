// Reference text scanner: loads a text (escaped quotes parked, blanks around structure removed) into a marked text,
// cuts objects and arrays into member and element texts with its literal searches, and splits paths. The text
// operations run the scanner patterns on RegexObject.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "json/oracle/oracle_marked_text.h"
#include "pattern/regex_object.h"

namespace velomir::oracle {

using JsonPairList = std::vector<std::pair<std::string, std::string>>;

class JsonTextScanner {
public:
    // Splits the outermost object or array; kind becomes Object or Array. Returns the number of pairs or elements.
    int splitTopLevel(std::string_view text, JsonPairList& pairs, std::vector<std::string>& elements, int& kind);
    int splitObject(std::string_view text, bool loadFirst, JsonPairList& pairs);
    int splitArray(std::string_view text, bool loadFirst, std::vector<std::string>& elements);
    static int valueKind(std::string_view text);

    int splitPath(std::string_view path);
    int pathSegments(std::vector<std::string>& out) const;
    static std::string normalisePath(std::string_view path, int mode);

    // Removes blank runs in front of "[", "{" and double quotes and after "]", "}" and double quotes; a bracket or
    // brace inside a string literal keeps its blanks.
    std::string compact(std::string_view text);
    std::string stripQuotes(std::string_view text) const;
    std::string trimBlanks(std::string_view text) const;
    static std::string restoreEscapedQuotes(std::string_view text);

private:
    // A copy compiles its own patterns, so that no run of one scanner can touch another's results.
    struct Patterns {
        Patterns();
        Patterns(const Patterns&) : Patterns() {}
        Patterns& operator=(const Patterns&) { return *this; }
        RegexObject quoteStripper;
        RegexObject blankTrimmer;
        RegexObject openingBlankRemover;
        RegexObject closingBlankRemover;
    };

    void load(std::string_view text);
    // '{' or '[', whichever comes first in the loaded text; '\0' when there is neither.
    char outermostOpener() const;
    static std::string removeBlankRuns(RegexObject& pattern, std::string_view text, bool markAtEnd);

    Patterns patterns_;
    MarkedText loaded_;
    std::vector<std::string> segments_;
};

}  // namespace velomir::oracle
