#include "downloads/file_naming.h"

#include <array>
#include <cstdint>
#include <unordered_set>
#include <utility>

#include "text/text_helpers.h"

namespace velomir {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The next code point of `text` from `at`, advancing `at`. A malformed sequence (stray continuation byte, cut
// sequence, overlong form, surrogate, beyond U+10FFFF) yields U+FFFD and consumes only its first byte, so the bytes
// after it are read afresh.
char32_t nextCodePoint(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    struct Form {
        unsigned char mask, bits;
        int length;
        char32_t smallest;
    };
    static constexpr Form kForms[] = {{0xE0, 0xC0, 2, 0x80}, {0xF0, 0xE0, 3, 0x800}, {0xF8, 0xF0, 4, 0x10000}};
    const Form* form = nullptr;
    for (const Form& f : kForms) {
        if ((lead & f.mask) == f.bits) form = &f;
    }
    if (form == nullptr) {
        ++at;
        return kReplacement;
    }
    const int length = form->length;
    char32_t value = lead & static_cast<unsigned char>(~form->mask);
    if (text.size() - at < static_cast<std::size_t>(length)) {
        ++at;
        return kReplacement;
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return kReplacement;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < form->smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++at;
        return kReplacement;
    }
    at += length;
    return value;
}

// Characters that separate paths or are refused by other systems' file names (a folder may be a shared or
// removable disk) keep their look through their full-width forms.
char32_t fullWidthForm(char32_t c) {
    constexpr std::string_view kReserved = "/\\:*?\"<>|";
    constexpr char32_t kFullWidth[] = {0xFF0F, 0xFF3C, 0xFF1A, 0xFF0A, 0xFF1F, 0xFF02, 0xFF1C, 0xFF1E, 0xFF5C};
    const std::size_t at = c < 0x80 ? kReserved.find(static_cast<char>(c)) : std::string_view::npos;
    return at == std::string_view::npos ? c : kFullWidth[at];
}

bool isControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// Direction overrides and isolates could show "x<RLO>3pm.exe" as "xexe.mp3": they go with the controls.
bool isDirectionControl(char32_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

// Every character of `text` made harmless in one path component: valid UTF-8 only. A tab or line break becomes a
// blank so that the words on either side stay apart; a carriage return and the other controls go.
std::string cleanCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char32_t c = nextCodePoint(text, at);
        if (c == '\t' || c == '\n') {
            out += ' ';
        } else if (!isControl(c) && !isDirectionControl(c)) {
            appendUtf8(out, fullWidthForm(c));
        }
    }
    return out;
}

constexpr std::array<std::string_view, 3> kTrimmed = {" ", "\xC2\xA0", "\xE3\x80\x80"};  // blank, no-break, ideographic

// Leading and trailing dots and blanks: a leading dot hides the file, a trailing one or a blank is lost or refused
// on other systems, and "." / ".." trim to nothing.
std::string_view trimDotsAndBlanks(std::string_view text) {
    const auto trimmedPrefix = [](std::string_view t) -> std::size_t {
        if (!t.empty() && t.front() == '.') return 1;
        for (const std::string_view blank : kTrimmed) {
            if (t.substr(0, blank.size()) == blank) return blank.size();
        }
        return 0;
    };
    const auto trimmedSuffix = [](std::string_view t) -> std::size_t {
        if (!t.empty() && t.back() == '.') return 1;
        for (const std::string_view blank : kTrimmed) {
            if (t.size() >= blank.size() && t.substr(t.size() - blank.size()) == blank) return blank.size();
        }
        return 0;
    };
    for (std::size_t n = trimmedPrefix(text); n > 0; n = trimmedPrefix(text)) text.remove_prefix(n);
    for (std::size_t n = trimmedSuffix(text); n > 0; n = trimmedSuffix(text)) text.remove_suffix(n);
    return text;
}

// The longest prefix of valid UTF-8 `text` of at most `limit` bytes that ends on a character boundary.
std::string_view cutAtCharacter(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

// A stem that went through cleanCharacters, cut to at most `limit` bytes and trimmed; never empty.
std::string fittedStem(std::string_view clean, std::size_t limit) {
    std::string stem(trimDotsAndBlanks(cutAtCharacter(trimDotsAndBlanks(clean), limit)));
    return stem.empty() ? std::string("_") : stem;
}

std::string safeExtension(std::string_view extension) {
    // Our own extensions pass unchanged; anything else still cannot break out of the folder or crowd out the stem.
    const std::string clean = cleanCharacters(extension);
    return std::string(cutAtCharacter(clean, kMaxFileNameBytes - 1));
}

std::string paddedNumber(int value, int width) {
    std::string digits = std::to_string(value);
    if (value >= 0 && static_cast<int>(digits.size()) < width) {
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    }
    return digits;
}

int decimalWidth(int value) {
    int width = 1;
    for (; value >= 10; value /= 10) ++width;
    return width;
}

// The value of a field name, or nullptr when the name is no field.
const std::string* fieldValue(std::string_view field, const NameFields& fields, const std::string& index) {
    if (field == "name") return &fields.name;
    if (field == "artists") return &fields.artists;
    if (field == "album") return &fields.album;
    if (field == "id") return &fields.id;
    if (field == "index") return &index;
    return nullptr;
}

// The ID text put into a second name: long enough for any real ID, short enough to leave room for the stem.
constexpr std::size_t kMaxIdBytes = 40;

}  // namespace

std::string safeFileName(std::string_view stem, std::string_view extension) {
    const std::string ext = safeExtension(extension);
    return fittedStem(cleanCharacters(stem), kMaxFileNameBytes - ext.size()) + ext;
}

std::string fillNameTemplate(std::string_view nameTemplate, const NameFields& fields) {
    const std::string index = paddedNumber(fields.position, fields.listSize > 0 ? decimalWidth(fields.listSize) : 0);
    std::string out;
    std::size_t at = 0;
    while (at < nameTemplate.size()) {
        const std::size_t open = nameTemplate.find('{', at);
        if (open == std::string_view::npos) break;
        out.append(nameTemplate.substr(at, open - at));
        const std::size_t close = nameTemplate.find('}', open + 1);
        const std::string* value = close == std::string_view::npos
                                       ? nullptr
                                       : fieldValue(nameTemplate.substr(open + 1, close - open - 1), fields, index);
        if (value == nullptr) {
            // Not a field: the brace is text, and what follows it may still start one ("{{name}").
            out += '{';
            at = open + 1;
        } else {
            out += *value;
            at = close + 1;
        }
    }
    out.append(nameTemplate.substr(at));
    return out;
}

std::vector<std::string> planFileNames(std::string_view nameTemplate, const std::vector<NameFields>& rows) {
    constexpr std::string_view kExtension = ".mp3";
    std::vector<std::string> names;
    names.reserve(rows.size());
    std::unordered_set<std::string> taken;
    taken.reserve(rows.size() * 2);
    for (const NameFields& row : rows) {
        const std::string stem = cleanCharacters(fillNameTemplate(nameTemplate, row));
        std::string name = fittedStem(stem, kMaxFileNameBytes - kExtension.size()) + std::string(kExtension);
        if (taken.contains(name)) {
            const std::string id(cutAtCharacter(cleanCharacters(row.id), kMaxIdBytes));
            for (std::uint64_t counter = 1;; ++counter) {
                // Without an ID the counter alone tells the names apart, from " (2)" on.
                const std::string mark =
                    id.empty() ? std::to_string(counter + 1) : (counter == 1 ? id : id + '-' + std::to_string(counter));
                const std::string suffix = " (" + mark + ")";
                name = fittedStem(stem, kMaxFileNameBytes - kExtension.size() - suffix.size()) + suffix +
                       std::string(kExtension);
                if (!taken.contains(name)) break;
            }
        }
        taken.insert(name);
        names.push_back(std::move(name));
    }
    return names;
}

bool isNameTemplate(std::string_view nameTemplate) {
    const std::string_view trimmed = [&] {
        std::string_view t = nameTemplate;
        while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
        while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
        return t;
    }();
    if (trimmed.empty()) return false;
    const NameFields none;
    const std::string index;
    for (std::size_t at = 0; at < nameTemplate.size(); ++at) {
        if (nameTemplate[at] == '}') return false;
        if (nameTemplate[at] != '{') continue;
        const std::size_t close = nameTemplate.find_first_of("{}", at + 1);
        if (close == std::string_view::npos || nameTemplate[close] != '}') return false;
        if (fieldValue(nameTemplate.substr(at + 1, close - at - 1), none, index) == nullptr) return false;
        at = close;
    }
    return true;
}

}  // namespace velomir
