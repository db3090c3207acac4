// The index of a loaded text is built while the loader writes it, in pieces of any size; it must answer exactly as
// the index built over the finished text at once. Texts of tens of kilobytes, so that pieces, 64-byte blocks and
// the bytes a rare byte looks at (backslash runs, blanks around line breaks) fall across each other's ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "json/loaded_text.h"
#include "json/text_loader.h"

namespace velomir::testing {
namespace {

using detail::LoadedText;
using detail::TextIndex;

std::string randomText(std::mt19937& random, std::size_t size) {
    static const std::vector<std::string> pieces = {"{",
                                                    "}",
                                                    "[",
                                                    "]",
                                                    "\"",
                                                    ",",
                                                    ":",
                                                    "a",
                                                    "bc",
                                                    "12",
                                                    " ",
                                                    "\t",
                                                    "\n",
                                                    "\r",
                                                    "\r\n",
                                                    "\\",
                                                    "\\\\",
                                                    "\\\"",
                                                    "|",
                                                    "\xE3\x80\x80",
                                                    "\xE3\x81\x82",
                                                    "\"name\":",
                                                    "\"x\"",
                                                    "null",
                                                    "{\"a\":[1,2]}",
                                                    "''"};
    std::string text;
    while (text.size() < size) {
        // Long plain stretches too, so that whole blocks pass without a rare byte.
        if (random() % 8 == 0) {
            text.append(random() % 300, 'x');
        } else {
            text += pieces[random() % pieces.size()];
        }
    }
    return text;
}

// Every answer of the two indexes over the same text, asked in the same order.
std::string differences(std::mt19937& random, std::string_view text, LoadedText& once, LoadedText& fed) {
    std::string found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((text[i] == '{' || text[i] == '[') && once.closerOf(i) != fed.closerOf(i)) {
            found += "closerOf " + std::to_string(i) + "; ";
        }
    }
    if (once.noLineHazards() != fed.noLineHazards()) found += "noLineHazards; ";
    for (int k = 0; k < 400; ++k) {
        std::size_t a = random() % (text.size() + 1);
        std::size_t b = random() % (text.size() + 1);
        if (a > b) std::swap(a, b);
        if (once.evenQuotes(a, b) != fed.evenQuotes(a, b)) found += "evenQuotes; ";
        if (once.trimsOnlyEdges(a, b) != fed.trimsOnlyEdges(a, b)) found += "trimsOnlyEdges; ";
        if (once.reloadsUnchanged(a, b) != fed.reloadsUnchanged(a, b)) found += "reloadsUnchanged; ";
    }
    return found;
}

TEST(JsonTextIndex, FedInPiecesAnswersAsBuiltAtOnce) {
    std::mt19937 random(5);
    for (int round = 0; round < 60; ++round) {
        const std::string text = randomText(random, 1 + random() % 40000);
        TextIndex index;
        index.reserve(text.size());
        for (std::size_t written = 0; written < text.size();) {
            written = std::min(text.size(), written + 1 + random() % 5000);
            index.feed(text.data(), written);
        }
        LoadedText once(text);
        LoadedText fed(text, std::move(index));
        ASSERT_EQ(differences(random, text, once, fed), "") << "round " << round;
    }
}

// The loader feeds the index as it writes; the result must be the index of what it wrote.
TEST(JsonTextIndex, LoaderFeedsTheIndexOfWhatItWrites) {
    std::mt19937 random(9);
    for (int round = 0; round < 30; ++round) {
        const std::string text = randomText(random, 1 + random() % 80000);
        TextIndex index;
        const detail::LoadResult loaded = detail::loadText(text, nullptr, &index);
        const std::string_view written = loaded.text.view();
        LoadedText once(written);
        LoadedText fed(written, std::move(index));
        ASSERT_EQ(differences(random, written, once, fed), "") << "round " << round;
    }
}

}  // namespace
}  // namespace velomir::testing
