// Reference JSON document: parse and path queries written out literally, on the reference table and scanner.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "json/oracle/oracle_json_node_table.h"
#include "json/oracle/oracle_json_text_scanner.h"

namespace velomir::oracle {

// A value whose node would stand deeper than this is kept whole as a scalar, so recursion stays bounded.
inline constexpr int kMaxDepth = 512;

class JsonDocument {
public:
    JsonNodeTable nodeTable() const { return table_; }
    // Replaces the table with the nodes of text; arrays name their elements from "[0]" when zeroBased.
    void parse(std::string_view text, bool zeroBased = false);
    // Text of the value at the path below start (0 = root); the whole compacted document for the empty path.
    std::string getText(std::string_view path, int start = 0);
    // Sets value and type of the node at the path, adding missing members along it; false when nothing was set.
    bool setText(std::string_view path, std::string_view value, std::int32_t type);
    // Members or elements of the value at the path, 0 when there is none; node receives the value's index.
    int count(std::string_view path, int& node);
    int count(std::string_view path) {
        int node = 0;
        return count(path, node);
    }
    void addElements(const std::vector<std::string>& elements, int parent);
    void addMembers(const JsonPairList& pairs, int parent);
    std::string unquote(std::string_view text) const;
    // Dotted path of a node below the root; names holding a full stop are put in double quotes.
    std::string pathOf(int node) const;

private:
    void addValue(int parent, const std::string& name, const std::string& value);
    // The path's segments; none for the empty path, which the split would give one empty segment.
    std::vector<std::string> segmentsOf(std::string_view path);
    // Looks up segments[first - 1] and those after it, from node `from`; -1 as soon as one is missing.
    int descend(const std::vector<std::string>& segments, int from, int first) const;

    bool zeroBased_ = false;
    JsonNodeTable table_;
    JsonTextScanner scanner_;
};

}  // namespace velomir::oracle
