// Compact regular-expression wrapper that remembers the match count of its last run.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace velomir {

class RegexEngine;
class RegexMatches;

// Copies share the compiled pattern and the last results; the stored count is each copy's own.
class RegexMatcher {
public:
    // Drops the old pattern and results first; true once the new pattern is set (also when it is invalid).
    bool create(std::string_view pattern, bool ignoreCase = true, bool multiline = true, bool global = true);
    std::string getPattern() const;
    // "$1".."$99" insert groups, "$&" the match, "$$" a dollar. Empty text when there is nothing to run.
    std::string replace(std::string_view subject, std::string_view replacement) const;
    // Number of matches, also stored for matchCount.
    int execute(std::string_view subject);
    int matchCount() const { return count_; }
    std::string matchText(int match) const;
    std::string groupText(int match, int group) const;
    // Number of groups of the first match; 0 when the last execute found nothing.
    int groupCount() const;

private:
    std::shared_ptr<const RegexEngine> engine_;
    std::shared_ptr<const RegexMatches> matches_;
    int count_ = 0;
};

}  // namespace velomir
