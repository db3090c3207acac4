// Storage behind JsonNodeTable: one 12-byte slot per node, texts in a TextStore.
// A parsed answer has a million nodes and more, so the slot keeps only what most nodes need in small fields: the
// value's reference and length, ordinal, child count, level and flags. A member's name is not stored when it stands
// in the loaded text right in front of its value ("name":value); an element's name "[k]" follows from its ordinal.
// Whatever does not fit goes to a wide record that the slot points to. The root's value (the text given to parse,
// often tens of megabytes) is rebuilt on demand from the loaded text and the edits of load.
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

// A node as the builders and the table operations hand it over.
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
    static constexpr std::uint8_t kWide = 0x10;          // the fields are in wide_
    static constexpr std::uint8_t kAdjacentName = 0x20;  // the name is the quoted text in front of ":" and the value
    static constexpr std::uint8_t kOrdinalName = 0x40;   // an element named after its ordinal
    static constexpr std::uint8_t kKeyed = 0x80;         // childless: the child count field holds the name's key

    int count() const { return static_cast<int>(slots_.size()); }
    bool isNode(int node) const { return node >= 1 && node <= count(); }
    std::uint8_t flags(int node) const { return slot(node).flags; }

    std::int32_t level(int node) const {
        const Slot& s = slot(node);
        return s.flags & kWide ? wide(s).level : s.level;
    }
    std::int32_t childCount(int node) const {
        const Slot& s = slot(node);
        if (s.flags & kWide) return wide(s).childCount;
        return s.flags & kKeyed ? 0 : s.childCount;
    }
    std::int32_t ordinal(int node) const {
        const Slot& s = slot(node);
        return s.flags & kWide ? wide(s).ordinal : s.ordinal;
    }
    void setChildCount(int node, std::int32_t count);
    void setOrdinal(int node, std::int32_t ordinal);

    TextStore& texts() { return texts_; }
    const TextStore& texts() const { return texts_; }
    void setDeferred(std::shared_ptr<const DeferredText> text) { deferred_ = std::move(text); }
    // Elements named after their ordinal are "[ordinal - base]".
    void setElementBase(int base) { elementBase_ = base; }

    std::int32_t type(int node) const;
    // A name asked for, with what rules most nodes out without looking at their names.
    struct NameProbe {
        std::string_view name;
        std::uint16_t key;
        std::int64_t number;  // as an element name, else -1
        std::uint8_t byte;    // nameByte(key)
    };
    static NameProbe probe(std::string_view name);
    // 16 bits of a name, from its length and its first and last bytes.
    static std::uint16_t nameKey16(std::string_view name) {
        if (name.empty()) return 0;
        const auto first = static_cast<unsigned char>(name.front());
        const auto last = static_cast<unsigned char>(name.back());
        return static_cast<std::uint16_t>((name.size() * 0x9E37U) ^ (first * 0x2F1BU) ^ (last * 0x45D9U) ^ 1U);
    }
    bool nameEquals(int node, const NameProbe& probe) const {
        // Most children of a scan are ruled out by their key, without a call.
        const std::uint8_t byte = nameBytes_[static_cast<std::size_t>(node - 1)];
        if (byte != 0 && byte != probe.byte) return false;
        const Slot& s = slot(node);
        if ((s.flags & kKeyed) && s.childCount != probe.key) return false;
        return namesMatch(node, probe);
    }
    bool nameEquals(int node, std::string_view name) const { return nameEquals(node, probe(name)); }
    std::string name(int node) const;
    std::string value(int node) const;
    // The stored value; a deferred one is rebuilt into scratch.
    std::string_view valueView(int node, std::string& scratch) const;

    // Appends a node. kAdjacentName in flags: the name is the quoted text right in front of ":" and the value
    // (record's name fields unused); kOrdinalName: an element named after its ordinal. Other names are taken from
    // the record's name fields. key: nameKey16 of an adjacent name; kKeyed: the node has no children and keeps all
    // of the key in its slot.
    int append(const NodeRecord& record, std::uint8_t flags, std::uint16_t key = 0) {
        nameBytes_.push_back(flags & kAdjacentName ? nameByte(key) : 0);
        const bool small = record.valueLength < 0xFFFF && static_cast<std::uint32_t>(record.ordinal) < 0xFFFF &&
                           static_cast<std::uint32_t>(record.childCount) < 0xFFFF &&
                           static_cast<std::uint32_t>(record.level) < 0xFF && (flags & (kAdjacentName | kOrdinalName));
        if (!small) return appendWide(record, flags);
        const bool keyed = (flags & kKeyed) && record.childCount == 0;
        slots_.push_back(
            {record.valueRef, static_cast<std::uint16_t>(record.valueLength),
             static_cast<std::uint16_t>(record.ordinal), keyed ? key : static_cast<std::uint16_t>(record.childCount),
             static_cast<std::uint8_t>(record.level), static_cast<std::uint8_t>(keyed ? flags : flags & ~kKeyed)});
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
    // Visits the level-`level` nodes from start + 1 to the end of start's subtree, jumping over deeper subtrees;
    // returns the first node that visit accepts, or -1.
    template <typename Visit>
    int scanLevel(int level, int start, Visit visit) const {
        int i = start < 0 ? 0 : start;
        while (i < count()) {
            ++i;
            const int at = this->level(i);
            if (at == level) {
                if (visit(i)) return i;
            } else if (at < level) {
                return -1;
            } else {
                i += childCount(i);
            }
        }
        return -1;
    }
    void forgetChildLists() const {
        childLists_.clear();
        recentLists_.fill({0, nullptr});
    }

private:
    struct Slot {
        TextStore::Ref valueRef;
        std::uint16_t valueLength;  // wide: low half of the wide record's index
        std::uint16_t ordinal;      // wide: high half
        std::uint16_t childCount;
        std::uint8_t level;
        std::uint8_t flags;
    };
    struct Wide {
        TextStore::Ref nameRef;  // for an element name: its number
        std::uint32_t nameLength;
        std::uint32_t valueLength;
        std::int32_t level;
        std::int32_t childCount;
        std::int32_t ordinal;
    };

    Slot& slot(int node) { return slots_[static_cast<std::size_t>(node - 1)]; }
    const Slot& slot(int node) const { return slots_[static_cast<std::size_t>(node - 1)]; }
    static std::uint32_t wideIndex(const Slot& s) {
        return s.valueLength | static_cast<std::uint32_t>(s.ordinal) << 16;
    }
    Wide& wide(const Slot& s) { return wide_[wideIndex(s)]; }
    const Wide& wide(const Slot& s) const { return wide_[wideIndex(s)]; }

    // Reads the slots of nodes [first, end) and the value text of first once, to have them in the cache.
    void touchSubtree(int first, int end) const;
    // nameEquals once the keys agree.
    bool namesMatch(int node, const NameProbe& probe) const;
    int appendWide(const NodeRecord& record, std::uint8_t flags);
    Slot makeWide(const NodeRecord& record, std::uint8_t flags);
    // Moves the node's fields into a wide record with an explicit name, so that any of them may change.
    Wide& widen(int node);
    NodeRecord record(int node) const;
    std::uint32_t valueLength(const Slot& s) const { return s.flags & kWide ? wide(s).valueLength : s.valueLength; }
    // Length of the name of an adjacent-name node (the quoted text ending two bytes before the value).
    std::uint32_t adjacentNameLength(const Slot& s) const;
    std::int64_t ordinalNumber(const Slot& s) const { return static_cast<std::int64_t>(s.ordinal) - elementBase_; }
    const ChildList& childList(int node) const;
    const ChildList& remember(int node, std::vector<int> children) const;
    std::uint32_t nameKey(int node) const;
    // Element number of an element-named node, else -1.
    std::int64_t elementNumberOf(int node) const;

    // Eight bits of each name's key, 0 when not known: a scan over children rules most of them out here, without
    // the slot's key (which only childless nodes have room for) and without reading the name in the text.
    static std::uint8_t nameByte(std::uint16_t key) { return static_cast<std::uint8_t>(key >> 8 | 1); }

    PagedArray<Slot> slots_;
    PagedArray<std::uint8_t, 15> nameBytes_;
    std::vector<Wide> wide_;
    std::map<int, std::int32_t> otherTypes_;  // types outside 0..2, by node
    TextStore texts_;
    std::shared_ptr<const DeferredText> deferred_;
    int elementBase_ = 0;
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
