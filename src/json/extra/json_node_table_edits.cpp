// The node table's building, editing and walking operations: the program only reads parsed answers, so these live
// in velomir_json_extra with the tests that compare them with the reference.
#include <utility>

#include "json/json_node_table.h"
#include "json/node_store.h"

namespace velomir {

using detail::NodeRecord;
using detail::NodeStore;

int JsonNodeTable::shiftLevels(std::vector<JsonNode>& records, int level, int delta) {
    for (JsonNode& record : records) record.level = delta != 0 ? record.level + delta : level;
    return static_cast<int>(records.size());
}

int JsonNodeTable::addNode(int parent, std::string_view name, std::int32_t type, std::string_view value,
                           int childPosition, const std::vector<JsonNode>& prepared, bool relevel) {
    NodeRecord record = store_->textRecord(name, value);
    const bool rootLevel = !store_->isNode(parent);
    const int owner = rootLevel ? 0 : parent;
    record.level = rootLevel ? 1 : levelOf(parent) + 1;
    const int siblings = rootLevel ? rootCount_ : childCountOf(parent);
    if (childPosition >= 1 && childPosition <= siblings) {
        const int index = nthChild(record.level, childPosition, owner);
        if (index >= 1) {
            store_->insert(index, record, type);
            insertSubtree(index, prepared, relevel);
            renumberChildren(owner, childPosition);
            return index;
        }
    }
    int index = 0;
    if (rootLevel) {
        record.ordinal = ++rootCount_;
        index = nodeCount() + 1;
    } else {
        index = subtreeEnd(parent);
        if (index == -1) index = nodeCount() + 1;
        record.ordinal = store_->childCount(parent) + 1;
        store_->setChildCount(parent, record.ordinal);
    }
    store_->insert(index, record, type);
    insertSubtree(index, prepared, relevel);
    return index;
}

void JsonNodeTable::insertSubtree(int node, std::vector<JsonNode> records, bool relevel) {
    if (records.empty()) return;
    const int delta = levelOf(node) + 1 - records.front().level;
    if (relevel && delta != 0) shiftLevels(records, 0, delta);
    int index = node;
    for (const JsonNode& prepared : records) {
        NodeRecord record = store_->textRecord(prepared.name, prepared.value);
        record.level = prepared.level;
        record.childCount = prepared.childCount;
        record.ordinal = prepared.ordinal;
        store_->insert(++index, record, prepared.type);
    }
    renumberChildren(node, 1);
}

int JsonNodeTable::subtreeEnd(int node) const {
    if (!store_->isNode(node)) return -1;
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
    for (int j = firstOrdinal < 1 ? 1 : firstOrdinal; j <= count; ++j) store_->setOrdinal(children[j - 1], j);
    if (parent <= 0) {
        rootCount_ = count;
    } else if (store_->isNode(parent)) {
        store_->setChildCount(parent, count);
    }
    store_->forgetChildLists();
}

int JsonNodeTable::childIndexes(int level, std::vector<int>& indexes, int start) const {
    indexes.clear();
    store_->scanLevel(level, start, [&](int i) {
        indexes.push_back(i);
        return false;
    });
    return static_cast<int>(indexes.size());
}

int JsonNodeTable::nthChild(int level, int n, int start) const {
    int seen = 0;
    return store_->scanLevel(level, start, [&](int) { return ++seen == n; });
}

int JsonNodeTable::parentOf(int node) const {
    if (!store_->isNode(node)) return -1;
    const int level = levelOf(node);
    if (level == 1) return 0;
    int i = node;
    while (true) {
        // Ordinals are at least 1 in any table built by these operations; a zero would never move the scan.
        const int ordinal = store_->ordinal(i);
        if (ordinal < 1) return -1;
        i -= ordinal;
        if (i == 0) return 0;
        if (i < 0) return -1;
        if (levelOf(i) == level - 1) return i;
        if (levelOf(i) < level - 1) return -1;
    }
}

int JsonNodeTable::parentAtLevel(int node, int level) const {
    if (store_->isNode(node)) return parentOf(node);
    for (int i = node - 1; i >= 1; --i) {
        const int current = levelOf(i);
        if (current == level - 1) return i;
        if (current < level - 1) return -1;
    }
    return level - 1 == 0 ? 0 : -1;
}

bool JsonNodeTable::hasChildren(int node) const { return store_->isNode(node) && store_->childCount(node) != 0; }

std::string JsonNodeTable::nameOf(int node) const { return store_->isNode(node) ? store_->name(node) : std::string(); }

int JsonNodeTable::typeOf(int node) const { return store_->isNode(node) ? store_->type(node) : -1; }

bool JsonNodeTable::setName(int node, std::string_view name) {
    if (!store_->isNode(node)) return false;
    store_->setName(node, name);
    return true;
}

bool JsonNodeTable::setType(int node, std::int32_t type) {
    if (!store_->isNode(node)) return false;
    store_->setType(node, type);
    return true;
}

bool JsonNodeTable::setValue(int node, std::string_view value) {
    if (!store_->isNode(node)) return false;
    store_->setValue(node, value);
    return true;
}

bool JsonNodeTable::removeNode(int node, bool /*mode*/) {
    if (!store_->isNode(node)) return false;
    const int parent = parentOf(node);
    int end = subtreeEnd(node);
    if (end == -1) end = nodeCount() + 1;
    store_->erase(node, end);
    renumberChildren(parent, 1);
    return true;
}

int JsonNodeTable::exportNodes(std::vector<JsonNode>& out) const {
    out.clear();
    out.reserve(static_cast<std::size_t>(nodeCount()));
    for (int i = 1; i <= nodeCount(); ++i) {
        out.push_back({store_->name(i), store_->type(i), store_->value(i), store_->level(i), store_->childCount(i),
                       store_->ordinal(i)});
    }
    return nodeCount();
}

}  // namespace velomir
