#include "json/json_node_table.h"

#include <utility>

#include "json/node_store.h"

namespace velomir {

using detail::NodeStore;

JsonNodeTable::JsonNodeTable() : store_(std::make_unique<NodeStore>()) {}
JsonNodeTable::~JsonNodeTable() = default;
JsonNodeTable::JsonNodeTable(const JsonNodeTable& other)
    : store_(std::make_unique<NodeStore>(*other.store_)), rootCount_(other.rootCount_) {}
JsonNodeTable& JsonNodeTable::operator=(const JsonNodeTable& other) {
    if (this != &other) {
        *store_ = *other.store_;
        rootCount_ = other.rootCount_;
    }
    return *this;
}
JsonNodeTable::JsonNodeTable(JsonNodeTable&& other) noexcept
    : store_(std::exchange(other.store_, std::make_unique<NodeStore>())),
      rootCount_(std::exchange(other.rootCount_, 0)) {}
JsonNodeTable& JsonNodeTable::operator=(JsonNodeTable&& other) noexcept {
    std::swap(store_, other.store_);
    std::swap(rootCount_, other.rootCount_);
    return *this;
}

int JsonNodeTable::findChild(int level, std::string_view name, int start) const {
    const bool listed =
        store_->isNode(start) && level == levelOf(start) + 1 && childCountOf(start) >= detail::kListedChildren;
    if (!listed) {
        const NodeStore::NameProbe probe = NodeStore::probe(name);
        return store_->scanLevel(level, start, [&](int i) { return store_->nameEquals(i, probe); });
    }
    // A large node keeps its child list, which the reference scan (tests/json/oracle) would walk in the same order.
    return store_->findListedChild(start, name);
}

int JsonNodeTable::levelOf(int node) const { return store_->isNode(node) ? store_->level(node) : -1; }

int JsonNodeTable::childCountOf(int node) const { return store_->isNode(node) ? store_->childCount(node) : -1; }

std::string JsonNodeTable::valueOf(int node) const {
    return store_->isNode(node) ? store_->value(node) : std::string();
}

int JsonNodeTable::nodeCount() const { return store_->count(); }

void JsonNodeTable::clear() {
    store_->clear();
    rootCount_ = 0;
}

}  // namespace velomir
