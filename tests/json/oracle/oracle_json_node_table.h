// Reference node table: the records in one vector in document order, every lookup a walk over them with no
// shortcut, so that the fast table can be compared with it. Indexes are 1-based; an index outside 1..nodeCount()
// designates no node.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velomir::oracle {

enum NodeType : std::int32_t { Scalar = 0, Object = 1, Array = 2 };

struct JsonNode {
    std::string name;
    std::int32_t type = Scalar;
    std::string value;
    std::int32_t level = 0;
    std::int32_t childCount = 0;
    std::int32_t ordinal = 0;
};

class JsonNodeTable {
public:
    // Adds delta to every record's level, or sets every level to `level` when delta is 0; returns the count.
    static int shiftLevels(std::vector<JsonNode>& records, int level, int delta);

    // Adds one node as the last child of parent (root level when parent is no node), or as the childPosition-th
    // child when that position exists. Prepared records follow the new node as its subtree; with relevel they are
    // first shifted so that the first record sits one level below the new node. Returns the new node's index.
    int addNode(int parent, std::string_view name, std::int32_t type, std::string_view value, int childPosition = 0,
                const std::vector<JsonNode>& prepared = {}, bool relevel = false);
    // First index after node's subtree, or -1 when the subtree runs to the end of the table.
    int subtreeEnd(int node) const;
    // Ordinals of parent's children from position firstOrdinal on, and parent's child count (root level for 0 or less).
    void renumberChildren(int parent, int firstOrdinal);

    // The three scans below visit the level-`level` nodes from start + 1 to the end of start's subtree.
    int childIndexes(int level, std::vector<int>& indexes, int start) const;
    int nthChild(int level, int n, int start) const;
    int findChild(int level, std::string_view name, int start) const;

    int levelOf(int node) const;
    // 0 for a root-level node, -1 for no node or when no parent is found.
    int parentOf(int node) const;
    // As parentOf; for no node the search starts at node - 1 and looks for a node of level `level` - 1.
    int parentAtLevel(int node, int level) const;
    bool hasChildren(int node) const;
    int childCountOf(int node) const;
    std::string nameOf(int node) const;
    int typeOf(int node) const;
    std::string valueOf(int node) const;
    bool setName(int node, std::string_view name);
    bool setType(int node, std::int32_t type);
    bool setValue(int node, std::string_view value);
    int nodeCount() const;
    // Removes the node with its subtree; the parent's remaining children are renumbered. The mode has no effect.
    bool removeNode(int node, bool mode = false);
    void clear();
    int exportNodes(std::vector<JsonNode>& out) const;

private:
    bool isNode(int node) const;
    // The record of a node, nullptr for no node.
    JsonNode* record(int node);
    const JsonNode* record(int node) const;

    std::vector<JsonNode> nodes_;
    std::int32_t rootCount_ = 0;
};

}  // namespace velomir::oracle
