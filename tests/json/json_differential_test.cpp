// The fast reader against the reference reader (json/oracle), on generated answers shaped like the service's and on
// broken copies of them. The seed is printed; VELOMIR_JSON_DIFF_SEED replays a run, VELOMIR_JSON_DIFF_CASES
// changes the number of generated answers.
#include "json/json_differential.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "json/extra/json_text_scanner.h"
#include "json/oracle/oracle_json_text_scanner.h"

namespace velomir::testing {
namespace {

std::uint32_t environmentNumber(const char* name, std::uint32_t fallback) {
    const char* text = std::getenv(name);
    return text ? static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10)) : fallback;
}

// Bytes shown as C escapes, so that a failing text can be pasted back into a test.
std::string escaped(const std::string& text) {
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
            out += "\"\"";  // ends the hex escape
        }
    }
    return out;
}

class AnswerGenerator {
public:
    explicit AnswerGenerator(std::uint32_t seed) : random_(seed) {}

    std::string answer() {
        style_ = pick(4);
        std::string out;
        if (pick(8) == 0) {
            out = scalar();  // a bare value, or an error page
        } else if (pick(5) == 0) {
            array(out, 0);
        } else {
            object(out, 0);
        }
        return out;
    }

    // One to three damages: cuts, lost or stray bytes, doubled pieces, flipped bits.
    std::string broken(std::string text) {
        static const std::vector<std::string> strays = {
            "\"",           "{",    "}",    "[",  "]",    ",",  ":",  "\\",  "\\\"", " ", "\n", "\r\n", "|", "\\|", "'",
            "\xE3\x80\x80", "\xE3", "\x80", "\t", "\\\\", "}{", "[[", "\"\""};
        for (int damage = 1 + pick(3); damage > 0; --damage) {
            const std::size_t at = text.empty() ? 0 : pick(static_cast<int>(text.size()) + 1);
            switch (pick(5)) {
                case 0:
                    text.resize(at);
                    break;
                case 1:
                    text.erase(at, 1 + pick(3));
                    break;
                case 2:
                    text.insert(at, strays[pick(static_cast<int>(strays.size()))]);
                    break;
                case 3:
                    text.insert(at, text.substr(pick(static_cast<int>(text.size()) + 1), 1 + pick(40)));
                    break;
                default:
                    if (at < text.size()) text[at] = static_cast<char>(text[at] ^ (1 << pick(8)));
                    break;
            }
        }
        return text;
    }

private:
    int pick(int n) { return static_cast<int>(random_() % static_cast<std::uint32_t>(n)); }

    template <typename T>
    const T& any(const std::vector<T>& choices) {
        return choices[static_cast<std::size_t>(pick(static_cast<int>(choices.size())))];
    }

    // White space between tokens: none in the service's compact style, line breaks and indents in the others.
    void gap(std::string& out, int depth) {
        if (style_ == 0 || pick(3) == 0) return;
        if (style_ == 3 && pick(2) == 0) {
            out += any<std::string>({" ", "\t", "\xE3\x80\x80", "  ", "\v"});
            return;
        }
        out += style_ == 2 ? "\r\n" : "\n";
        for (int i = 0; i < depth; ++i) out += any<std::string>({"  ", "\t", "\xE3\x80\x80"});
    }

    std::string stringValue() {
        static const std::vector<std::string> pieces = {"Song [Live]",
                                                        "可惜没如果",
                                                        "林俊杰",
                                                        "a{b}c",
                                                        "x,y:z",
                                                        "[",
                                                        "]",
                                                        "{",
                                                        "}",
                                                        ",",
                                                        ":",
                                                        "\\\"",
                                                        "\\\\",
                                                        "\\u2026",
                                                        "\\n",
                                                        "\\/",
                                                        "\xE3\x80\x80",
                                                        " ",
                                                        "\t",
                                                        "It's",
                                                        "''",
                                                        "\\|",
                                                        "a.b",
                                                        "Jay Chou",
                                                        "http://p1.x/0.mp3",
                                                        "( [ ",
                                                        " ] )",
                                                        "\\\\\\\"",
                                                        "\\'"};
        std::string out = "\"";
        for (int n = pick(4); n >= 0; --n) out += any(pieces);
        return out + "\"";
    }

    std::string scalar() {
        switch (pick(4)) {
            case 0:
                return stringValue();
            case 1:
                return any<std::string>({"0", "-1", "29814898", "109951163400737238", "3.5", "-2.65076E-4", "100.0"});
            case 2:
                return any<std::string>({"true", "false", "null"});
            default:
                return stringValue();
        }
    }

    void value(std::string& out, int depth) {
        const int kind = depth > 4 ? 0 : pick(6);
        if (kind == 4) {
            object(out, depth + 1);
        } else if (kind == 5) {
            array(out, depth + 1);
        } else {
            out += scalar();
        }
    }

    void object(std::string& out, int depth) {
        static const std::vector<std::string> names = {"name",   "id",  "artists", "album", "tracks",
                                                       "result", "a.b", "",        " sp ",  "名字",
                                                       "x",      "[1]", "code",    "mp3Url"};
        out += '{';
        for (int n = pick(6); n > 0; --n) {
            gap(out, depth + 1);
            out += "\"" + any(names) + "\"";
            if (style_ != 0 && pick(2) == 0) out += ' ';
            out += ':';
            if (style_ != 0 && pick(2) == 0) out += ' ';
            value(out, depth);
            if (n > 1) out += ',';
        }
        gap(out, depth);
        out += '}';
    }

    void array(std::string& out, int depth) {
        out += '[';
        // Now and then a long list of scalars, as a playlist has, so that long child lists are looked up too.
        const int count = pick(6) == 0 ? 16 + pick(24) : pick(5);
        for (int n = count; n > 0; --n) {
            gap(out, depth + 1);
            if (count > 5) {
                out += scalar();
            } else {
                value(out, depth);
            }
            if (n > 1) out += ',';
        }
        gap(out, depth);
        out += ']';
    }

    std::mt19937 random_;
    int style_ = 0;
};

TEST(JsonDifferential, GeneratedAnswersAndBrokenCopiesReadTheSame) {
    const std::uint32_t seed = environmentNumber("VELOMIR_JSON_DIFF_SEED", 20240611U);
    const std::uint32_t answers = environmentNumber("VELOMIR_JSON_DIFF_CASES", 1200U);
    std::cout << "[ SEED     ] VELOMIR_JSON_DIFF_SEED=" << seed << std::endl;
    AnswerGenerator generator(seed);
    for (std::uint32_t n = 0; n < answers; ++n) {
        const std::string answer = generator.answer();
        const std::vector<std::string> texts = {answer, generator.broken(answer), generator.broken(answer)};
        for (std::size_t k = 0; k < texts.size(); ++k) {
            const bool zeroBased = (n + k) % 3 == 0;
            const std::string difference = JsonDifference(texts[k], zeroBased, seed + n).run();
            ASSERT_EQ(difference, "") << "answer " << n << " variant " << k << (zeroBased ? " (zero-based)" : "")
                                      << ", text \"" << escaped(texts[k]) << "\"";
        }
    }
}

// The scanner's text operations on short strings of the bytes that matter to them: blanks of every kind, line
// breaks, quotes, backslashes, brackets, full stops, digits and broken UTF-8.
TEST(JsonDifferential, ScannerTextOperationsGiveTheSameText) {
    static const std::vector<std::string> pieces = {" ",
                                                    "\t",
                                                    "\n",
                                                    "\r",
                                                    "\v",
                                                    "\f",
                                                    "\"",
                                                    "''",
                                                    "\\",
                                                    "\\|",
                                                    "[",
                                                    "]",
                                                    "{",
                                                    "}",
                                                    ".",
                                                    "1",
                                                    "0",
                                                    "x",
                                                    ",",
                                                    ":",
                                                    "\xE3\x80\x80",
                                                    "\xE3",
                                                    "\x80",
                                                    "\xC0\x8A",
                                                    "\xE4\xB8\xAD",
                                                    "[1]"};
    std::mt19937 random(environmentNumber("VELOMIR_JSON_DIFF_SEED", 20240611U));
    oracle::JsonTextScanner reference;
    JsonTextScanner fast;
    for (int n = 0; n < 4000; ++n) {
        std::string text;
        for (int k = static_cast<int>(random() % 12); k > 0; --k) text += pieces[random() % pieces.size()];
        SCOPED_TRACE("text \"" + escaped(text) + "\"");
        ASSERT_EQ(JsonTextScanner::stripQuotes(text), reference.stripQuotes(text));
        ASSERT_EQ(JsonTextScanner::trimBlanks(text), reference.trimBlanks(text));
        ASSERT_EQ(JsonTextScanner::compact(text), reference.compact(text));
        ASSERT_EQ(JsonTextScanner::normalisePath(text, 0), oracle::JsonTextScanner::normalisePath(text, 0));
        ASSERT_EQ(JsonTextScanner::normalisePath(text, 1), oracle::JsonTextScanner::normalisePath(text, 1));
        std::vector<std::string> fastSegments;
        std::vector<std::string> referenceSegments;
        ASSERT_EQ(fast.splitPath(text), reference.splitPath(text));
        fast.pathSegments(fastSegments);
        reference.pathSegments(referenceSegments);
        ASSERT_EQ(fastSegments, referenceSegments);
    }
}

// Shapes the generator reaches only by luck: each is a place where the quick cuts hand over to the literal steps.
TEST(JsonDifferential, HandOverCasesReadTheSame) {
    const std::vector<std::string> texts = {
        R"({"a":[1,2]]],"b":2})",                       // an array value followed by stray closers
        R"([{"a":1}],[2])",                             // elements after the outermost closer
        R"([1,{"a":[}],3])",                            // a closer of the wrong kind inside an element
        R"({"a":"x"y","b":1})",                         // an unpaired quote inside a value
        R"({"a":{"b":1}"c":2})",                        // a missing comma after a nested object
        R"({"a" "b":1})",                               // a missing colon merges two members
        R"({"a":[1,2])",                                // the outermost closer missing
        R"([[1],])",                                    // a trailing comma
        R"([,])",                                       // two empty elements
        "{\"a\":{\"b\":1\n  },\"c\":[1\n ]}",           // blanks at line starts inside nested values
        "{\"a\":\"x\\ \\\"] y\",\"b\":[1 ] }",          // a quote behind a backslash after compaction
        R"({"k":"\|\\","v":[1]})",                      // a backslash-pipe in the text
        "{\"a\":{\"s\":\"x\\\xE3\x80\x80\",\"t\":1}}",  // a quote that compaction puts behind a backslash
        "[{\"s\":\"\\\\\\|\\\\\\\"\"}]",                // backslash-pipes between escaped backslashes
        R"({"a":[1]} {"b":2})",                         // two objects in a row
        R"({"a":x"y,}"z,"b":1})",                       // a scalar holding a literal with a comma and a closer
        R"(["a""b",1"]"2,3])",                          // literals back to back, a literal inside a scalar
        R"({"a":"x"[1],"b":2})",                        // an opener after a string value
        R"({"a":x"y})",                                 // an unpaired quote in the last value
        R"([1,"a])",                                    // an unpaired quote in the last element
        "\xE3\x80\x80{\"a\"\xE3\x80\x80:\xE3\x80\x80[\xE3\x80\x80\"x\"\xE3\x80\x80]\xE3\x80\x80}",
    };
    for (const std::string& text : texts) {
        for (const bool zeroBased : {false, true}) {
            EXPECT_EQ(JsonDifference(text, zeroBased, 7).run(), "") << "text \"" << escaped(text) << "\"";
        }
    }
    // Below the depth limit values are kept whole (the reference needs a while for this one).
    const std::string deep = std::string(515, '[') + "{\"a\":[1]}" + std::string(515, ']');
    EXPECT_EQ(JsonDifference(deep, false, 7).run(), "");
}

}  // namespace
}  // namespace velomir::testing
