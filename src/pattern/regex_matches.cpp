#include "pattern/regex_matches.h"

namespace velomir {

namespace {
constexpr std::size_t kUnset = ~std::size_t{0};
}

RegexMatches::RegexMatches(std::string_view subject, int groupCount) : subject_(subject), groupCount_(groupCount) {}

void RegexMatches::add(const std::size_t* ovector, int characterOffset) {
    spans_.insert(spans_.end(), ovector, ovector + 2 * (groupCount_ + 1));
    firstIndexes_.push_back(characterOffset);
}

std::string RegexMatches::matchText(int match, int* position) const { return text(match, 0, position); }

std::string RegexMatches::groupText(int match, int group, int* position) const {
    if (group < 1) {
        if (position) *position = 0;
        return {};
    }
    return text(match, group, position);
}

std::string RegexMatches::text(int match, int group, int* position) const {
    if (position) *position = 0;
    if (match < 1 || match > count() || group > groupCount_) return {};
    if (position) *position = firstIndexes_[match - 1];
    const std::size_t at = (static_cast<std::size_t>(match - 1) * (groupCount_ + 1) + group) * 2;
    const std::size_t start = spans_[at];
    const std::size_t end = spans_[at + 1];
    // A group that took no part in the match reads as empty text.
    if (start == kUnset || end < start) return {};
    return subject_.substr(start, end - start);
}

}  // namespace velomir
