#include "json/oracle/oracle_json_node_table.h"

#include <algorithm>

namespace velomir::oracle {

int JsonNodeTable::shiftLevels(std::vector<JsonNode>& records, int level, int delta) {
    for (JsonNode& shifted : records) {
        if (delta == 0) {
            shifted.level = level;
        } else {
            shifted.level += delta;
        }
    }
    return static_cast<int>(records.size());
}

int JsonNodeTable::addNode(int parent, std::string_view name, std::int32_t type, std::string_view value,
                           int childPosition, const std::vector<JsonNode>& prepared, bool relevel) {
    const bool underParent = isNode(parent);
    const int owner = underParent ? parent : 0;
    JsonNode made{std::string(name), type, std::string(value), underParent ? levelOf(parent) + 1 : 1, 0, 0};
    // Taking an existing child's place; its ordinal comes from renumbering the owner's children afterwards.
    const int siblings = underParent ? childCountOf(parent) : rootCount_;
    const bool positioned = childPosition >= 1 && childPosition <= siblings;
    int index = positioned ? nthChild(made.level, childPosition, owner) : -1;
    const bool inPlace = index != -1;
    if (!inPlace) {
        // After the parent's subtree, or at the end for the root level or a subtree that runs to the end.
        index = underParent ? subtreeEnd(parent) : -1;
        if (index == -1) index = nodeCount() + 1;
        made.ordinal = underParent ? ++record(parent)->childCount : ++rootCount_;
    }
    nodes_.insert(nodes_.begin() + (index - 1), std::move(made));
    if (!prepared.empty()) {
        std::vector<JsonNode> subtree = prepared;
        const int delta = levelOf(index) + 1 - subtree.front().level;
        if (relevel && delta != 0) shiftLevels(subtree, 0, delta);
        nodes_.insert(nodes_.begin() + index, subtree.begin(), subtree.end());
        renumberChildren(index, 1);
    }
    if (inPlace) renumberChildren(owner, childPosition);
    return index;
}

int JsonNodeTable::subtreeEnd(int node) const {
    if (!isNode(node)) return -1;
    // Hops from child to child: a hop passes over as many records as the child claims children.
    for (int i = node + 1; i <= nodeCount(); i += record(i)->childCount + 1) {
        if (record(i)->level <= record(node)->level) return i;
    }
    return -1;
}

void JsonNodeTable::renumberChildren(int parent, int firstOrdinal) {
    if (parent > 0 && !isNode(parent)) return;
    std::vector<int> children;
    childIndexes(parent > 0 ? levelOf(parent) + 1 : 1, children, std::max(parent, 0));
    int ordinal = 0;
    for (const int child : children) {
        ++ordinal;
        if (ordinal >= firstOrdinal) record(child)->ordinal = ordinal;
    }
    std::int32_t& count = parent > 0 ? record(parent)->childCount : rootCount_;
    count = ordinal;
}

int JsonNodeTable::childIndexes(int level, std::vector<int>& indexes, int start) const {
    indexes.clear();
    // A record of the wanted level is a child, a shallower one ends the walk, a deeper one is hopped over with as
    // many records as it claims children.
    int i = std::max(start, 0) + 1;
    while (i <= nodeCount()) {
        const JsonNode& visited = *record(i);
        if (visited.level < level) break;
        if (visited.level == level) {
            indexes.push_back(i);
            ++i;
        } else {
            i += visited.childCount + 1;
        }
    }
    return static_cast<int>(indexes.size());
}

int JsonNodeTable::nthChild(int level, int n, int start) const {
    std::vector<int> children;
    childIndexes(level, children, start);
    return n >= 1 && n <= static_cast<int>(children.size()) ? children[static_cast<std::size_t>(n - 1)] : -1;
}

int JsonNodeTable::findChild(int level, std::string_view name, int start) const {
    std::vector<int> children;
    childIndexes(level, children, start);
    for (const int child : children) {
        if (record(child)->name == name) return child;
    }
    return -1;
}

int JsonNodeTable::levelOf(int node) const {
    const JsonNode* found = record(node);
    return found ? found->level : -1;
}

int JsonNodeTable::parentOf(int node) const {
    if (!isNode(node)) return -1;
    const int wanted = levelOf(node) - 1;
    if (wanted == 0) return 0;
    // Jumps back by the ordinal of the record it stands on, until it lands on the level above; a shallower
    // record means the table holds no parent. Ordinals are at least 1 in any table these operations build.
    int i = node;
    while (i >= 1) {
        const int ordinal = record(i)->ordinal;
        if (ordinal < 1) return -1;
        i -= ordinal;
        if (i < 1) break;
        if (levelOf(i) == wanted) return i;
        if (levelOf(i) < wanted) return -1;
    }
    return i == 0 ? 0 : -1;
}

int JsonNodeTable::parentAtLevel(int node, int level) const {
    if (isNode(node)) return parentOf(node);
    // Between nodes: the nearest record above of level `level` - 1, unless a shallower record comes first.
    int i = node - 1;
    while (i >= 1 && levelOf(i) > level - 1) --i;
    if (i < 1) return level == 1 ? 0 : -1;
    return levelOf(i) == level - 1 ? i : -1;
}

bool JsonNodeTable::hasChildren(int node) const {
    const JsonNode* found = record(node);
    return found && found->childCount != 0;
}

int JsonNodeTable::childCountOf(int node) const {
    const JsonNode* found = record(node);
    return found ? found->childCount : -1;
}

std::string JsonNodeTable::nameOf(int node) const {
    const JsonNode* found = record(node);
    return found ? found->name : std::string();
}

int JsonNodeTable::typeOf(int node) const {
    const JsonNode* found = record(node);
    return found ? found->type : -1;
}

std::string JsonNodeTable::valueOf(int node) const {
    const JsonNode* found = record(node);
    return found ? found->value : std::string();
}

bool JsonNodeTable::setName(int node, std::string_view name) {
    JsonNode* found = record(node);
    if (found) found->name = name;
    return found != nullptr;
}

bool JsonNodeTable::setType(int node, std::int32_t type) {
    JsonNode* found = record(node);
    if (found) found->type = type;
    return found != nullptr;
}

bool JsonNodeTable::setValue(int node, std::string_view value) {
    JsonNode* found = record(node);
    if (found) found->value = value;
    return found != nullptr;
}

int JsonNodeTable::nodeCount() const { return static_cast<int>(nodes_.size()); }

bool JsonNodeTable::removeNode(int node, bool /*mode*/) {
    if (!isNode(node)) return false;
    const int parent = parentOf(node);
    const int end = subtreeEnd(node);
    nodes_.erase(nodes_.begin() + (node - 1), end == -1 ? nodes_.end() : nodes_.begin() + (end - 1));
    // A node whose parent is not found leaves the root level renumbered.
    renumberChildren(parent, 1);
    return true;
}

void JsonNodeTable::clear() {
    nodes_.clear();
    rootCount_ = 0;
}

int JsonNodeTable::exportNodes(std::vector<JsonNode>& out) const {
    out = nodes_;
    return nodeCount();
}

bool JsonNodeTable::isNode(int node) const { return node >= 1 && node <= nodeCount(); }

JsonNode* JsonNodeTable::record(int node) {
    return isNode(node) ? &nodes_[static_cast<std::size_t>(node - 1)] : nullptr;
}

const JsonNode* JsonNodeTable::record(int node) const {
    return isNode(node) ? &nodes_[static_cast<std::size_t>(node - 1)] : nullptr;
}

}  // namespace velomir::oracle
