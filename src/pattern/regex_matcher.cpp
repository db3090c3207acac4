#include "pattern/regex_matcher.h"

#include "pattern/regex_engine.h"
#include "pattern/regex_matches.h"

namespace velomir {

bool RegexMatcher::create(std::string_view pattern, bool ignoreCase, bool multiline, bool global) {
    matches_.reset();
    engine_ = std::make_shared<const RegexEngine>(pattern, ignoreCase, multiline, global);
    count_ = 0;
    return true;
}

std::string RegexMatcher::getPattern() const { return engine_ ? engine_->pattern() : std::string(); }

std::string RegexMatcher::replace(std::string_view subject, std::string_view replacement) const {
    return engine_ ? engine_->replace(subject, replacement) : std::string();
}

int RegexMatcher::execute(std::string_view subject) {
    matches_ = engine_ ? engine_->execute(subject) : nullptr;
    count_ = matches_ ? matches_->count() : 0;
    return count_;
}

std::string RegexMatcher::matchText(int match) const { return matches_ ? matches_->matchText(match) : std::string(); }

std::string RegexMatcher::groupText(int match, int group) const {
    return matches_ ? matches_->groupText(match, group) : std::string();
}

int RegexMatcher::groupCount() const { return count_ > 0 && matches_ ? matches_->groupCount() : 0; }

}  // namespace velomir
