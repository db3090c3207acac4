#include "analysis/item_text.h"

#include "json/json_document.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The code unit of "\uXXXX" at `pos`, or -1 when there is none.
long readUnicodeEscape(std::string_view text, std::size_t pos) {
    if (pos + 6 > text.size() || text[pos] != '\\' || text[pos + 1] != 'u') return -1;
    long unit = 0;
    for (std::size_t i = pos + 2; i < pos + 6; ++i) {
        const int digit = hexValue(text[i]);
        if (digit < 0) return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

// Decodes the \u escape at `pos` (a surrogate pair takes two); returns the escape's length, 0 if malformed.
std::size_t decodeUnicode(std::string_view text, std::size_t pos, std::string& out) {
    const long unit = readUnicodeEscape(text, pos);
    if (unit < 0) return 0;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        const long low = readUnicodeEscape(text, pos + 6);
        if (low >= 0xDC00 && low <= 0xDFFF) {
            appendUtf8(out, static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
            return 12;
        }
    }
    // A lone surrogate cannot be written in UTF-8.
    appendUtf8(out, static_cast<char32_t>((unit >= 0xD800 && unit <= 0xDFFF) ? 0xFFFD : unit));
    return 6;
}

char simpleEscape(char c) {
    switch (c) {
        case '"':
            return '"';
        case '\\':
            return '\\';
        case '/':
            return '/';
        case 'b':
            return '\b';
        case 'f':
            return '\f';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        default:
            return 0;
    }
}

// A line break may stay after a literal in front of a closing brace.
bool isNullLiteral(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return first != std::string_view::npos && text.substr(first, last - first + 1) == "null";
}

}  // namespace

std::string decodeJsonEscapes(std::string_view text) {
    if (text.find('\\') == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            if (text[i + 1] == 'u') {
                if (const std::size_t used = decodeUnicode(text, i, out)) {
                    i += used;
                    continue;
                }
            } else if (const char c = simpleEscape(text[i + 1])) {
                out += c;
                i += 2;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

std::string itemText(JsonDocument& document, const std::string& path) {
    std::string text = document.getText(path);
    // getText cannot tell the literal null from the string "null": ask the raw node.
    if (isNullLiteral(text)) {
        int node = 0;
        document.count(path, node);
        if (node > 0 && isNullLiteral(document.nodes().valueOf(node))) return {};
    }
    return decodeJsonEscapes(text);
}

}  // namespace velomir
