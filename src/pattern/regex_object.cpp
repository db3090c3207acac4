#include "pattern/regex_object.h"

#include <array>

#include "pattern/regex_engine.h"
#include "pattern/regex_matches.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

// Each character gets a backslash in the order of its set; the backslash comes first so that only the
// backslashes already in the text are doubled, never the ones inserted here.
std::string escapeWith(std::string_view text, std::string_view set) {
    std::string result(text);
    for (const char c : set) {
        const std::array<char, 2> escaped{'\\', c};
        result = replaceAll(result, std::string_view(&c, 1), std::string_view(escaped.data(), escaped.size()));
    }
    return result;
}

}  // namespace

RegexObject::RegexObject() = default;

std::string RegexObject::wildcardToPattern(std::string_view text) {
    std::string result = escapeWith(text, "\\^$+.{}[]=()-\"");
    result = replaceAll(result, "*", ".*");
    return replaceAll(result, "?", ".?");
}

std::string RegexObject::escapeAll(std::string_view text) { return escapeWith(text, "\\^$+.{}[]=()?*|\""); }

std::string RegexObject::escapeKeepAlternation(std::string_view text) { return escapeWith(text, "\\^$+.{}[]=()?*\""); }

std::string RegexObject::escapeKeepGroups(std::string_view text) { return escapeWith(text, "\\^$+.{}[]=?*\""); }

bool RegexObject::create(std::string_view pattern, bool ignoreCase, bool multiline, bool global) {
    engine_ = std::make_shared<const RegexEngine>(pattern, ignoreCase, multiline, global);
    return true;
}

int RegexObject::execute(std::string_view subject) {
    matches_ = engine_ ? engine_->execute(subject) : nullptr;
    return matchCount();
}

std::string RegexObject::getPattern() const { return engine_ ? engine_->pattern() : std::string(); }

std::string RegexObject::replace(std::string_view subject, std::string_view replacement) const {
    return engine_ ? engine_->replace(subject, replacement) : std::string();
}

int RegexObject::matchCount() const { return matches_ ? matches_->count() : 0; }

std::string RegexObject::matchText(int match) const { return matchTextAt(match); }

std::string RegexObject::groupText(int match, int group) const { return groupTextAt(match, group); }

int RegexObject::groupCount() const { return matches_ ? matches_->groupCount() : 0; }

std::string RegexObject::matchTextAt(int match, int* position) const {
    if (matches_) return matches_->matchText(match, position);
    if (position) *position = 0;
    return {};
}

std::string RegexObject::groupTextAt(int match, int group, int* position) const {
    if (matches_) return matches_->groupText(match, group, position);
    if (position) *position = 0;
    return {};
}

}  // namespace velomir
