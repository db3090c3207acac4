#include "text/text_helpers.h"

#include <limits>

namespace velomir {

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isLeadingBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Reads sign and digits after blanks; returns false when the digits overflow Int (`negative` is still set).
template <typename Int>
bool readInteger(std::string_view text, Int& out, bool& negative) {
    const std::string ascii = fullWidthToAscii(text);
    std::size_t i = 0;
    while (i < ascii.size() && isLeadingBlank(ascii[i])) ++i;
    negative = false;
    if (i < ascii.size() && (ascii[i] == '+' || ascii[i] == '-')) negative = ascii[i++] == '-';
    // Accumulate as a negative number so that the minimum of the type is reachable.
    Int value = 0;
    constexpr Int kMin = std::numeric_limits<Int>::min();
    for (; i < ascii.size() && ascii[i] >= '0' && ascii[i] <= '9'; ++i) {
        const Int digit = ascii[i] - '0';
        if (value < (kMin + digit) / 10) return false;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == kMin) return false;
        value = -value;
    }
    out = value;
    return true;
}

}  // namespace

void appendUtf8(std::string& out, char32_t codePoint) {
    const auto byte = [&out](char32_t value) { out += static_cast<char>(value); };
    if (codePoint < 0x80) {
        byte(codePoint);
    } else if (codePoint < 0x800) {
        byte(0xC0 | (codePoint >> 6));
        byte(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        byte(0xE0 | (codePoint >> 12));
        byte(0x80 | ((codePoint >> 6) & 0x3F));
        byte(0x80 | (codePoint & 0x3F));
    } else {
        byte(0xF0 | (codePoint >> 18));
        byte(0x80 | ((codePoint >> 12) & 0x3F));
        byte(0x80 | ((codePoint >> 6) & 0x3F));
        byte(0x80 | (codePoint & 0x3F));
    }
}

std::string fullWidthToAscii(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        if ((b0 == 0xEF || b0 == 0xE3) && i + 2 < text.size()) {
            const auto b1 = static_cast<unsigned char>(text[i + 1]);
            const auto b2 = static_cast<unsigned char>(text[i + 2]);
            if (b0 == 0xE3 && b1 == 0x80 && b2 == 0x80) {
                out += ' ';
                i += 2;
                continue;
            }
            // U+FF01..U+FF3F are EF BC 81..BF, U+FF40..U+FF5E are EF BD 80..9E.
            if (b0 == 0xEF && b1 == 0xBC && b2 >= 0x81 && b2 <= 0xBF) {
                out += static_cast<char>(b2 - 0x81 + 0x21);
                i += 2;
                continue;
            }
            if (b0 == 0xEF && b1 == 0xBD && b2 >= 0x80 && b2 <= 0x9E) {
                out += static_cast<char>(b2 - 0x80 + 0x60);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::int32_t integerValue32(std::string_view text) {
    std::int32_t value = 0;
    bool negative = false;
    if (readInteger(text, value, negative)) return value;
    return negative ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
}

std::int64_t integerValue64(std::string_view text) {
    std::int64_t value = 0;
    bool negative = false;
    return readInteger(text, value, negative) ? value : 0;
}

std::string removeBlanks(std::string_view text) {
    std::string out = replaceAll(text, kFullWidthSpace, "");
    std::erase(out, ' ');
    return out;
}

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lowerAscii(c);
    return out;
}

std::size_t findNoCase(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty()) return from <= text.size() ? from : std::string::npos;
    if (text.size() < needle.size()) return std::string::npos;
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && lowerAscii(text[i + k]) == lowerAscii(needle[k])) ++k;
        if (k == needle.size()) return i;
    }
    return std::string::npos;
}

bool containsNoCase(std::string_view text, std::string_view needle) {
    return findNoCase(text, needle) != std::string::npos;
}

namespace {

template <typename Find>
std::string replaceWith(std::string_view text, std::string_view from, std::string_view to, Find find) {
    if (from.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (std::size_t hit = find(pos); hit != std::string::npos; hit = find(pos)) {
        out.append(text, pos, hit - pos);
        out.append(to);
        pos = hit + from.size();
    }
    out.append(text, pos);
    return out;
}

}  // namespace

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    return replaceWith(text, from, to, [&](std::size_t pos) { return text.find(from, pos); });
}

std::string replaceAllNoCase(std::string_view text, std::string_view from, std::string_view to) {
    return replaceWith(text, from, to, [&](std::size_t pos) { return findNoCase(text, from, pos); });
}

std::vector<std::string> splitText(std::string_view text, std::string_view separator) {
    std::vector<std::string> columns;
    if (separator.empty()) {
        columns.emplace_back(text);
        return columns;
    }
    std::size_t pos = 0;
    for (std::size_t hit = text.find(separator); hit != std::string::npos; hit = text.find(separator, pos)) {
        columns.emplace_back(text.substr(pos, hit - pos));
        pos = hit + separator.size();
    }
    columns.emplace_back(text.substr(pos));
    return columns;
}

std::string booleanText(bool value) { return std::string(value ? kTrueText : kFalseText); }

bool textToBoolean(std::string_view text) { return text == kTrueText || text == "\xD5\xE6"; }

std::string enclosed(std::string_view open, std::string_view text, std::string_view close) {
    std::string out;
    out.reserve(open.size() + text.size() + close.size());
    out.append(open).append(text).append(close);
    return out;
}

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace velomir
