// A compiled pattern (PCRE2, UTF-8, tolerant of invalid UTF-8 in subjects) with its three flags.
// Immutable once built, so wrappers and their copies can share one.
#pragma once

#include <memory>
#include <string>
#include <string_view>

struct pcre2_real_code_8;

namespace velomir {

class RegexMatches;

class RegexEngine {
public:
    RegexEngine(std::string_view pattern, bool ignoreCase, bool multiline, bool global);
    ~RegexEngine();
    RegexEngine(const RegexEngine&) = delete;
    RegexEngine& operator=(const RegexEngine&) = delete;

    const std::string& pattern() const { return pattern_; }
    bool valid() const { return code_ != nullptr; }

    // Every match (only the first when not global); null when the pattern is invalid or matching fails.
    std::shared_ptr<const RegexMatches> execute(std::string_view subject) const;
    // The subject with its matches replaced; empty text when the pattern is invalid or matching fails.
    std::string replace(std::string_view subject, std::string_view replacement) const;

private:
    template <typename OnMatch>
    bool forEachMatch(std::string_view subject, OnMatch onMatch) const;

    std::string pattern_;
    bool global_;
    int groupCount_ = 0;
    pcre2_real_code_8* code_ = nullptr;  // null when the pattern did not compile
};

}  // namespace velomir
