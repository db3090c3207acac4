// Full regular-expression wrapper: compile once, run over subjects, read matches and groups by 1-based number.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace velomir {

class RegexEngine;
class RegexMatches;

// Copies share the compiled pattern and the last results until one of them runs create or execute again.
// A wrapper without create, or with an invalid pattern, gives neutral results (0, empty text).
class RegexObject {
public:
    RegexObject();

    // Pattern text for a file-name wildcard: "*" any run, "?" at most one character, "|" stays active.
    static std::string wildcardToPattern(std::string_view text);
    // Every metacharacter made literal.
    static std::string escapeAll(std::string_view text);
    // As escapeAll, but "|" stays active.
    static std::string escapeKeepAlternation(std::string_view text);
    // As escapeAll, but "(", ")" and "|" stay active.
    static std::string escapeKeepGroups(std::string_view text);

    // Always true: an invalid pattern is only noticed by execute and replace. Earlier results stay readable.
    bool create(std::string_view pattern, bool ignoreCase = true, bool multiline = true, bool global = true);
    // Number of matches; replaces the stored results.
    int execute(std::string_view subject);
    std::string getPattern() const;
    // "$1".."$99" insert groups, "$&" the match, "$$" a dollar. Empty text when there is nothing to run.
    std::string replace(std::string_view subject, std::string_view replacement) const;

    int matchCount() const;
    std::string matchText(int match) const;
    std::string groupText(int match, int group) const;
    // Number of groups of the first match; 0 without matches.
    int groupCount() const;
    // position receives the 0-based character offset of the whole match (0 when out of range).
    std::string matchTextAt(int match, int* position = nullptr) const;
    std::string groupTextAt(int match, int group, int* position = nullptr) const;

private:
    std::shared_ptr<const RegexEngine> engine_;
    std::shared_ptr<const RegexMatches> matches_;
};

}  // namespace velomir
