// The text transformations of `load` and `compact`, done in one pass over the bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "json/byte_buffer.h"
#include "json/loaded_text.h"

namespace velomir::detail {

// What load changed, kept so that the text it was given can be rebuilt from the text it produced.
class LoadEdits {
public:
    // At output position `at` two apostrophes stand for one double quote.
    void quote(std::size_t at) { marks_.emplace_back(static_cast<std::uint32_t>(at), kQuote); }
    // At output position `at` the bytes `deleted` were removed.
    void deletion(std::size_t at, std::string_view deleted);
    std::string rebuild(std::string_view loaded) const;
    bool empty() const { return marks_.empty(); }
    std::size_t footprint() const { return marks_.size() * sizeof(marks_[0]) + deleted_.size(); }

private:
    static constexpr std::uint32_t kQuote = 0xFFFFFFFF;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> marks_;
    std::string deleted_;
};

// compact: white space in front of "[", "{" and double quotes and after "]", "}" and double quotes removed; a
// bracket or brace inside a string literal keeps its white space.
std::string compactText(std::string_view text);

struct LoadResult {
    ByteBuffer text;
    bool editsComplete = false;  // whether the edits rebuild the given text
};

// load's text: the escape normalisation (a double quote behind an odd run of backslashes becomes two apostrophes
// next to the backslashes), then compact. Edits are recorded when `edits` is given.
// With index, the loaded text is indexed while it is written; the caller finishes the index over the result.
LoadResult loadText(std::string_view text, LoadEdits* edits = nullptr, TextIndex* index = nullptr);

}  // namespace velomir::detail
