// Storage behind JsonNodeTable: one 28-byte record and one flag byte per node, texts in a TextStore.
// An element name "[k]" is kept as its number; the root's value (the text given to parse, often tens of
// megabytes) is rebuilt on demand from the loaded text and the edits of load.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "json/paged_array.h"
#include "json/text_store.h"

namespace velomir::detail {

// Trivial on purpose: the record pages are not cleared when they are allocated. Write NodeRecord record{}.
struct NodeRecord {
    TextStore::Ref nameRef;    // for an element name: its number
    std::uint32_t nameLength;  // for an element name: the length of "[number]"
    TextStore::Ref valueRef;
    std::uint32_t valueLength;
    std::int32_t level;
    std::int32_t childCount;
    std::int32_t ordinal;
};

// A text known as a function of stored texts (the root value); rebuilt each time it is read.
class DeferredText {
public:
    virtual ~DeferredText() = default;
    virtual std::string text(const TextStore& texts) const = 0;
};

// Children of one node in scan order, kept for large nodes between queries.
struct ChildList {
    std::vector<int> children;
    std::vector<std::uint32_t> keys;  // name length and first byte of each child, to rule most out cheaply
    std::int64_t firstNumber = -1;    // when every child is an element named "[firstNumber + j]"
};

// Nodes with at least this many children keep their child list.
inline constexpr int kListedChildren = 64;

class NodeStore {
public:
    NodeStore() = default;
    // A copy shares the immutable texts; its cached child lists are its own.
    NodeStore(const NodeStore& other);
    NodeStore& operator=(const NodeStore& other);

    static constexpr std::uint8_t kTypeMask = 0x03;
    static constexpr std::uint8_t kOtherType = 0x03;  // the type is kept in otherTypes_
    static constexpr std::uint8_t kElementName = 0x04;
    static constexpr std::uint8_t kDeferredValue = 0x08;

    int count() const { return static_cast<int>(records_.size()); }
    bool isNode(int node) const { return node >= 1 && node <= count(); }
    NodeRecord& at(int node) { return records_[static_cast<std::size_t>(node - 1)]; }
    const NodeRecord& at(int node) const { return records_[static_cast<std::size_t>(node - 1)]; }
    std::uint8_t flags(int node) const { return flags_[static_cast<std::size_t>(node - 1)]; }

    TextStore& texts() { return texts_; }
    const TextStore& texts() const { return texts_; }
    void setDeferred(std::shared_ptr<const DeferredText> text) { deferred_ = std::move(text); }

    std::int32_t type(int node) const;
    bool nameEquals(int node, std::string_view name) const;
    std::string name(int node) const;
    std::string value(int node) const;
    // The stored value; a deferred one is rebuilt into scratch.
    std::string_view valueView(int node, std::string& scratch) const;

    // Record fields other than the texts are taken from record; names and values given as text are copied.
    int append(const NodeRecord& record, std::uint8_t flags) {
        records_.push_back(record);
        flags_.push_back(flags);
        return count();
    }
    void insert(int index, const NodeRecord& record, std::int32_t type);
    void erase(int first, int last);
    NodeRecord textRecord(std::string_view name, std::string_view value);
    void setType(int node, std::int32_t type);
    void setName(int node, std::string_view name);
    void setValue(int node, std::string_view value);
    void clear();

    // First child of node (at level + 1, in scan order) with that name, or -1; the children are listed at the
    // first call. Only for nodes with many children.
    int findListedChild(int node, std::string_view name) const;
    // Hands over the children of a node that the caller knows, as the child scan would find them.
    void keepChildList(int node, std::vector<int> children) const;
    void forgetChildLists() const {
        childLists_.clear();
        recentLists_.fill({0, nullptr});
    }

private:
    void setFlags(int node, std::uint8_t flags) { flags_[static_cast<std::size_t>(node - 1)] = flags; }
    const ChildList& childList(int node) const;
    const ChildList& remember(int node, std::vector<int> children) const;
    std::uint32_t nameKey(int node) const;

    PagedArray<NodeRecord> records_;
    PagedArray<std::uint8_t, 15> flags_;
    std::map<int, std::int32_t> otherTypes_;  // types outside 0..2, by node
    TextStore texts_;
    std::shared_ptr<const DeferredText> deferred_;
    mutable std::unordered_map<int, ChildList> childLists_;
    // The lists asked for last: a run of queries keeps returning to the same few nodes.
    mutable std::array<std::pair<int, const ChildList*>, 4> recentLists_{};
    mutable std::size_t nextRecent_ = 0;
};

// Appends "[number]" to out.
void appendElementName(std::string& out, std::int64_t number);
// Length of the element name "[number]".
std::uint32_t elementNameLength(std::int64_t number);
// The number of a name "[digits]" written as an element name is written (no sign, no leading zero), else -1.
std::int64_t elementNumber(std::string_view name);

}  // namespace velomir::detail
