// A parsed JSON text as one flat table of nodes in document order: who is whose parent follows from the order and
// the levels. Nodes are addressed by 1-based index; an index outside 1..nodeCount() designates no node.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velomir {

namespace detail {
class NodeStore;
}

enum NodeType : std::int32_t { Scalar = 0, Object = 1, Array = 2 };

struct JsonNode {
    std::string name;
    std::int32_t type = Scalar;
    std::string value;
    std::int32_t level = 0;
    std::int32_t childCount = 0;
    std::int32_t ordinal = 0;
};

// A member's name and value text, or an element's value text, as the splitters hand them over.
using JsonPairList = std::vector<std::pair<std::string, std::string>>;

// Object or Array when the value text begins with "{" or "[", else Scalar.
inline int valueKind(std::string_view text) {
    if (text.empty()) return Scalar;
    if (text.front() == '[') return Array;
    if (text.front() == '{') return Object;
    return Scalar;
}

class JsonNodeTable {
public:
    JsonNodeTable();
    ~JsonNodeTable();
    JsonNodeTable(const JsonNodeTable& other);
    JsonNodeTable& operator=(const JsonNodeTable& other);
    JsonNodeTable(JsonNodeTable&& other) noexcept;
    JsonNodeTable& operator=(JsonNodeTable&& other) noexcept;

    // First node of level `level` named `name` from start + 1 to the end of start's subtree, or -1.
    int findChild(int level, std::string_view name, int start) const;
    int levelOf(int node) const;
    int childCountOf(int node) const;
    std::string valueOf(int node) const;
    int nodeCount() const;
    void clear();

    // Building, editing and walking: defined in velomir_json_extra (json/extra/json_node_table_edits.cpp), which
    // the tests and fuzz targets link. The program only reads parsed answers and links none of this.

    // Adds delta to every record's level, or sets every level to `level` when delta is 0; returns the count.
    static int shiftLevels(std::vector<JsonNode>& records, int level, int delta);

    // Adds one node as the last child of parent (root level when parent is no node), or as the childPosition-th
    // child when that position exists. Prepared records follow the new node as its subtree; with relevel they are
    // first shifted so that the first record sits one level below the new node. Returns the new node's index.
    int addNode(int parent, std::string_view name, std::int32_t type, std::string_view value, int childPosition = 0,
                const std::vector<JsonNode>& prepared = {}, bool relevel = false);
    // First index after node's subtree, or -1 when the subtree runs to the end of the table.
    int subtreeEnd(int node) const;
    // Ordinals of parent's children from position firstOrdinal on, and its child count (root level for 0 or less).
    void renumberChildren(int parent, int firstOrdinal);

    // The level-`level` nodes in the same range as findChild: all of them, or the n-th (-1 when there is none).
    int childIndexes(int level, std::vector<int>& indexes, int start) const;
    int nthChild(int level, int n, int start) const;

    // 0 for a root-level node, -1 for no node or when no parent is found.
    int parentOf(int node) const;
    // As parentOf; for no node the search starts at node - 1 and looks for a node of level `level` - 1.
    int parentAtLevel(int node, int level) const;
    bool hasChildren(int node) const;
    std::string nameOf(int node) const;
    int typeOf(int node) const;
    bool setName(int node, std::string_view name);
    bool setType(int node, std::int32_t type);
    bool setValue(int node, std::string_view value);
    // Removes the node with its subtree; the parent's remaining children are renumbered. The mode has no effect.
    bool removeNode(int node, bool mode = false);
    int exportNodes(std::vector<JsonNode>& out) const;

private:
    friend class JsonDocument;

    void insertSubtree(int node, std::vector<JsonNode> records, bool relevel);

    std::unique_ptr<detail::NodeStore> store_;
    std::int32_t rootCount_ = 0;
};

}  // namespace velomir
