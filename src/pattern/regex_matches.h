// The results of one run of a pattern over a subject: every match with its groups, read by 1-based number.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velomir {

class RegexMatches {
public:
    RegexMatches(std::string_view subject, int groupCount);

    // ovector holds byte offsets (start, end) for the whole match and each group, unset groups as ~0.
    void add(const std::size_t* ovector, int characterOffset);

    int count() const { return static_cast<int>(firstIndexes_.size()); }
    // Groups of the first match: 0 when there is no match.
    int groupCount() const { return count() > 0 ? groupCount_ : 0; }
    // Out-of-range numbers give empty text and position 0; position is the whole match's character offset.
    std::string matchText(int match, int* position = nullptr) const;
    std::string groupText(int match, int group, int* position = nullptr) const;

private:
    std::string text(int match, int group, int* position) const;

    std::string subject_;
    int groupCount_;
    std::vector<std::size_t> spans_;  // (groupCount_ + 1) start/end pairs per match
    std::vector<int> firstIndexes_;
};

}  // namespace velomir
