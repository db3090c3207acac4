#include "pattern/regex_engine.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include "pattern/regex_matches.h"

namespace velomir {

namespace {

bool isContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return byte >= low && byte <= high;
}

// Length of the character at pos; a byte that does not start a well-formed sequence is a character of its own,
// the same reading PCRE2 gives invalid UTF-8.
std::size_t characterLength(std::string_view text, std::size_t pos) {
    const auto at = [&](std::size_t i) {
        return pos + i < text.size() ? static_cast<unsigned char>(text[pos + i]) : 0;
    };
    const unsigned char lead = at(0);
    if (lead < 0xC2 || lead > 0xF4) return 1;
    if (lead < 0xE0) return isContinuation(at(1)) ? 2 : 1;
    if (lead < 0xF0) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        return isContinuation(at(1), low, high) && isContinuation(at(2)) ? 3 : 1;
    }
    const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
    return isContinuation(at(1), low, high) && isContinuation(at(2)) && isContinuation(at(3)) ? 4 : 1;
}

// Turns increasing byte offsets into character offsets without rescanning from the start.
class CharacterCounter {
public:
    explicit CharacterCounter(std::string_view text) : text_(text) {}
    int offsetOf(std::size_t bytePos) {
        while (byte_ < bytePos && byte_ < text_.size()) {
            byte_ += characterLength(text_, byte_);
            ++characters_;
        }
        return characters_;
    }

private:
    std::string_view text_;
    std::size_t byte_ = 0;
    int characters_ = 0;
};

void appendGroup(std::string& out, std::string_view subject, const std::size_t* ovector, int group) {
    const std::size_t start = ovector[2 * group];
    const std::size_t end = ovector[2 * group + 1];
    if (start != PCRE2_UNSET && end >= start) out.append(subject.substr(start, end - start));
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "$$" a dollar, "$&" the match, "$nn" group nn when it exists, else "$n" group n and the digit as text.
// A group beyond the pattern's count, or one that took no part, inserts nothing; any other "$" is literal.
void appendExpansion(std::string& out, std::string_view replacement, std::string_view subject,
                     const std::size_t* ovector, int groupCount) {
    for (std::size_t i = 0; i < replacement.size(); ++i) {
        const char c = replacement[i];
        const char next = i + 1 < replacement.size() ? replacement[i + 1] : '\0';
        if (c == '$' && next == '$') {
            out.push_back('$');
            ++i;
        } else if (c == '$' && next == '&') {
            appendGroup(out, subject, ovector, 0);
            ++i;
        } else if (c == '$' && isDigit(next)) {
            const bool twoDigits = i + 2 < replacement.size() && isDigit(replacement[i + 2]);
            const int pair = twoDigits ? (next - '0') * 10 + (replacement[i + 2] - '0') : 0;
            if (pair >= 1 && pair <= groupCount) {
                appendGroup(out, subject, ovector, pair);
                i += 2;
            } else if (next != '0') {
                if (next - '0' <= groupCount) appendGroup(out, subject, ovector, next - '0');
                ++i;
            } else {
                out.push_back(c);  // "$0" names no group
            }
        } else {
            out.push_back(c);
        }
    }
}

}  // namespace

RegexEngine::RegexEngine(std::string_view pattern, bool ignoreCase, bool multiline, bool global)
    : pattern_(pattern), global_(global) {
    // A line break is CR, LF or CR LF; without multiline "$" means the very end, as in script engines.
    uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;
    options |= ignoreCase ? PCRE2_CASELESS : 0;
    options |= multiline ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    if (!context) return;
    pcre2_set_newline(context, PCRE2_NEWLINE_ANYCRLF);
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern_.data()), pattern_.size(), options, &error, &errorOffset,
                          context);
    pcre2_compile_context_free(context);
    if (!code_) return;
    // The JIT is only a speed-up: when it is unavailable the interpreter runs the same pattern.
    pcre2_jit_compile(code_, PCRE2_JIT_COMPLETE);
    uint32_t captures = 0;
    pcre2_pattern_info(code_, PCRE2_INFO_CAPTURECOUNT, &captures);
    groupCount_ = static_cast<int>(captures);
}

RegexEngine::~RegexEngine() { pcre2_code_free(code_); }

template <typename OnMatch>
bool RegexEngine::forEachMatch(std::string_view subject, OnMatch onMatch) const {
    if (!code_) return false;
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code_, nullptr);
    if (!data) return false;
    const auto* text = reinterpret_cast<PCRE2_SPTR>(subject.data());
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
    std::size_t start = 0;
    int rc = 0;
    while (start <= subject.size()) {
        rc = pcre2_match(code_, text, subject.size(), start, 0, data, nullptr);
        if (rc < 0) break;
        onMatch(ovector);
        if (!global_) break;
        // An empty match moves the search on by one character so the scan cannot stall.
        start = ovector[1] > ovector[0] ? ovector[1] : ovector[0] + characterLength(subject, ovector[0]);
    }
    pcre2_match_data_free(data);
    return rc >= 0 || rc == PCRE2_ERROR_NOMATCH;
}

std::shared_ptr<const RegexMatches> RegexEngine::execute(std::string_view subject) const {
    auto matches = std::make_shared<RegexMatches>(subject, groupCount_);
    CharacterCounter counter(subject);
    const bool ok =
        forEachMatch(subject, [&](const std::size_t* ovector) { matches->add(ovector, counter.offsetOf(ovector[0])); });
    if (!ok) return nullptr;
    return matches;
}

std::string RegexEngine::replace(std::string_view subject, std::string_view replacement) const {
    std::string out;
    std::size_t copied = 0;
    const bool ok = forEachMatch(subject, [&](const std::size_t* ovector) {
        out.append(subject.substr(copied, ovector[0] - copied));
        appendExpansion(out, replacement, subject, ovector, groupCount_);
        copied = ovector[1];
    });
    if (!ok) return {};
    out.append(subject.substr(copied));
    return out;
}

}  // namespace velomir
