#include "json/oracle/oracle_json_node_table.h"

namespace velomir::oracle {

int JsonNodeTable::shiftLevels(std::vector<JsonNode>& records, int level, int delta) {
    for (JsonNode& record : records) record.level = delta != 0 ? record.level + delta : level;
    return static_cast<int>(records.size());
}

int JsonNodeTable::addNode(int parent, std::string_view name, std::int32_t type, std::string_view value,
                           int childPosition, const std::vector<JsonNode>& prepared, bool relevel) {
    JsonNode record{std::string(name), type, std::string(value), 0, 0, 0};
    const bool rootLevel = !isNode(parent);
    const int owner = rootLevel ? 0 : parent;
    record.level = rootLevel ? 1 : levelOf(parent) + 1;
    const int siblings = rootLevel ? rootCount_ : childCountOf(parent);
    if (childPosition >= 1 && childPosition <= siblings) {
        const int index = nthChild(record.level, childPosition, owner);
        nodes_.insert(nodes_.begin() + (index - 1), std::move(record));
        insertSubtree(index, prepared, relevel);
        renumberChildren(owner, childPosition);
        return index;
    }
    int index = 0;
    if (rootLevel) {
        record.ordinal = ++rootCount_;
        nodes_.push_back(std::move(record));
        index = nodeCount();
    } else {
        index = subtreeEnd(parent);
        if (index == -1) index = nodeCount() + 1;
        record.ordinal = ++at(parent).childCount;
        nodes_.insert(nodes_.begin() + (index - 1), std::move(record));
    }
    insertSubtree(index, prepared, relevel);
    return index;
}

void JsonNodeTable::insertSubtree(int node, std::vector<JsonNode> records, bool relevel) {
    if (records.empty()) return;
    const int delta = levelOf(node) + 1 - records.front().level;
    if (relevel && delta != 0) shiftLevels(records, 0, delta);
    nodes_.insert(nodes_.begin() + node, records.begin(), records.end());
    renumberChildren(node, 1);
}

int JsonNodeTable::subtreeEnd(int node) const {
    if (!isNode(node)) return -1;
    const int level = levelOf(node);
    int i = node;
    while (i < nodeCount()) {
        ++i;
        if (levelOf(i) <= level) return i;
        i += childCountOf(i);
    }
    return -1;
}

void JsonNodeTable::renumberChildren(int parent, int firstOrdinal) {
    std::vector<int> children;
    if (parent <= 0) {
        childIndexes(1, children, 0);
    } else {
        childIndexes(levelOf(parent) + 1, children, parent);
    }
    const int count = static_cast<int>(children.size());
    for (int j = firstOrdinal < 1 ? 1 : firstOrdinal; j <= count; ++j) at(children[j - 1]).ordinal = j;
    if (parent <= 0) {
        rootCount_ = count;
    } else if (isNode(parent)) {
        at(parent).childCount = count;
    }
}

template <typename Visit>
int JsonNodeTable::scanLevel(int level, int start, Visit visit) const {
    int i = start < 0 ? 0 : start;
    while (i < nodeCount()) {
        ++i;
        const int current = levelOf(i);
        if (current == level) {
            if (visit(i)) return i;
        } else if (current < level) {
            return -1;
        } else {
            i += childCountOf(i);
        }
    }
    return -1;
}

int JsonNodeTable::childIndexes(int level, std::vector<int>& indexes, int start) const {
    indexes.clear();
    scanLevel(level, start, [&](int i) {
        indexes.push_back(i);
        return false;
    });
    return static_cast<int>(indexes.size());
}

int JsonNodeTable::nthChild(int level, int n, int start) const {
    int seen = 0;
    return scanLevel(level, start, [&](int) { return ++seen == n; });
}

int JsonNodeTable::findChild(int level, std::string_view name, int start) const {
    return scanLevel(level, start, [&](int i) { return at(i).name == name; });
}

int JsonNodeTable::levelOf(int node) const { return isNode(node) ? at(node).level : -1; }

int JsonNodeTable::parentOf(int node) const {
    if (!isNode(node)) return -1;
    const int level = levelOf(node);
    if (level == 1) return 0;
    int i = node;
    while (true) {
        // Ordinals are at least 1 in any table built by these operations; a zero would never move the scan.
        if (at(i).ordinal < 1) return -1;
        i -= at(i).ordinal;
        if (i == 0) return 0;
        if (i < 0) return -1;
        if (levelOf(i) == level - 1) return i;
        if (levelOf(i) < level - 1) return -1;
    }
}

int JsonNodeTable::parentAtLevel(int node, int level) const {
    if (isNode(node)) return parentOf(node);
    for (int i = node - 1; i >= 1; --i) {
        const int current = levelOf(i);
        if (current == level - 1) return i;
        if (current < level - 1) return -1;
    }
    return level - 1 == 0 ? 0 : -1;
}

bool JsonNodeTable::hasChildren(int node) const { return isNode(node) && at(node).childCount != 0; }

int JsonNodeTable::childCountOf(int node) const { return isNode(node) ? at(node).childCount : -1; }

std::string JsonNodeTable::nameOf(int node) const { return isNode(node) ? at(node).name : std::string(); }

int JsonNodeTable::typeOf(int node) const { return isNode(node) ? at(node).type : -1; }

std::string JsonNodeTable::valueOf(int node) const { return isNode(node) ? at(node).value : std::string(); }

bool JsonNodeTable::setName(int node, std::string_view name) {
    if (!isNode(node)) return false;
    at(node).name = name;
    return true;
}

bool JsonNodeTable::setType(int node, std::int32_t type) {
    if (!isNode(node)) return false;
    at(node).type = type;
    return true;
}

bool JsonNodeTable::setValue(int node, std::string_view value) {
    if (!isNode(node)) return false;
    at(node).value = value;
    return true;
}

int JsonNodeTable::nodeCount() const { return static_cast<int>(nodes_.size()); }

bool JsonNodeTable::removeNode(int node, bool /*mode*/) {
    if (!isNode(node)) return false;
    const int parent = parentOf(node);
    int end = subtreeEnd(node);
    if (end == -1) end = nodeCount() + 1;
    nodes_.erase(nodes_.begin() + (node - 1), nodes_.begin() + (end - 1));
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

JsonNode& JsonNodeTable::at(int node) { return nodes_[static_cast<std::size_t>(node - 1)]; }

const JsonNode& JsonNodeTable::at(int node) const { return nodes_[static_cast<std::size_t>(node - 1)]; }

}  // namespace velomir::oracle
