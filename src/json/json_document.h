// A parsed JSON answer: parse it once, then read values with JSON paths ("result.tracks.[3].name").
// Values are kept as raw text; nothing is converted. A path names members by name and elements as "[k]".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "json/json_node_table.h"
#include "json/path_splitter.h"

namespace velomir {

// A value whose node would stand deeper than this is kept whole as a scalar, so recursion stays bounded.
inline constexpr int kMaxJsonDepth = 512;

class JsonDocument {
public:
    JsonNodeTable nodeTable() const { return table_; }
    // Read access without the copy, for callers that need a node's raw value.
    const JsonNodeTable& nodes() const { return table_; }
    // Replaces the table with the nodes of text; arrays name their elements from "[0]" when zeroBased.
    void parse(std::string_view text, bool zeroBased = false);
    // Parses as parse does and empties `text` as soon as it is loaded, so that a large answer's memory is given
    // back before the nodes are built.
    void parseAndRelease(std::string& text, bool zeroBased = false);
    // Text of the value at the path below start (0 = root); the whole compacted document for the empty path.
    std::string getText(std::string_view path, int start = 0);
    // Members or elements of the value at the path, 0 when there is none; node receives the value's index.
    int count(std::string_view path, int& node);
    int count(std::string_view path) {
        int node = 0;
        return count(path, node);
    }

    // Building and naming: defined in velomir_json_extra (json/extra/json_document_edits.cpp), which the tests and
    // fuzz targets link. The program only reads parsed answers and links none of this.

    // Sets value and type of the node at the path, adding missing members along it; false when nothing was set.
    bool setText(std::string_view path, std::string_view value, std::int32_t type);
    void addElements(const std::vector<std::string>& elements, int parent);
    void addMembers(const JsonPairList& pairs, int parent);
    static std::string capitalise(std::string_view text);
    // Dotted path of a node below the root; names holding a full stop are put in double quotes.
    std::string pathOf(int node) const;

private:
    // `release`, when given, holds `text` and is emptied once the text is loaded.
    void parseReleasing(std::string_view text, bool zeroBased, std::string* release);
    void build(std::string_view text, std::string* release);
    int walk(const std::vector<std::string_view>& segments);
    auto findChild() const {
        return [this](int level, std::string_view segment, int node) { return table_.findChild(level, segment, node); };
    }
    void addValue(int parent, const std::string& name, const std::string& value);

    bool zeroBased_ = false;
    JsonNodeTable table_;
    detail::PathSplitter paths_;
    detail::PathMemo memo_;
};

}  // namespace velomir
