#include "json/node_store.h"

#include <algorithm>
#include <charconv>

namespace velomir::detail {

void appendElementName(std::string& out, std::int64_t number) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.push_back('[');
    out.append(digits, end);
    out.push_back(']');
}

std::uint32_t elementNameLength(std::int64_t number) {
    std::uint32_t digits = 1;
    for (; number >= 10; number /= 10) ++digits;
    return digits + 2;
}

std::int64_t elementNumber(std::string_view name) {
    if (name.size() < 3 || name.size() > 12 || name.front() != '[' || name.back() != ']') return -1;
    const std::string_view digits = name.substr(1, name.size() - 2);
    if (digits.size() > 1 && digits.front() == '0') return -1;
    std::int64_t number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return -1;
        number = number * 10 + (c - '0');
    }
    return number <= 0xFFFFFFFFLL ? number : -1;
}

NodeStore::NodeStore(const NodeStore& other)
    : slots_(other.slots_),
      nameBytes_(other.nameBytes_),
      wide_(other.wide_),
      otherTypes_(other.otherTypes_),
      texts_(other.texts_),
      deferred_(other.deferred_),
      elementBase_(other.elementBase_) {}

NodeStore& NodeStore::operator=(const NodeStore& other) {
    if (this != &other) {
        slots_ = other.slots_;
        nameBytes_ = other.nameBytes_;
        wide_ = other.wide_;
        otherTypes_ = other.otherTypes_;
        texts_ = other.texts_;
        deferred_ = other.deferred_;
        elementBase_ = other.elementBase_;
        forgetChildLists();
    }
    return *this;
}

NodeStore::Slot NodeStore::makeWide(const NodeRecord& record, std::uint8_t flags) {
    const auto index = static_cast<std::uint32_t>(wide_.size());
    wide_.push_back(
        {record.nameRef, record.nameLength, record.valueLength, record.level, record.childCount, record.ordinal});
    const std::uint8_t kept = flags & static_cast<std::uint8_t>(~(kAdjacentName | kOrdinalName | kKeyed));
    return {record.valueRef,
            static_cast<std::uint16_t>(index & 0xFFFF),
            static_cast<std::uint16_t>(index >> 16),
            0,
            0,
            static_cast<std::uint8_t>(kept | kWide)};
}

int NodeStore::appendWide(const NodeRecord& record, std::uint8_t flags) {
    slots_.push_back(makeWide(record, flags));
    return count();
}

std::uint32_t NodeStore::adjacentNameLength(const Slot& s) const {
    // The value's first byte follows the name's closing quote and the colon; the name holds no double quote.
    const char* end = texts_.pointer(s.valueRef) - 2;
    const char* p = end;
    while (p[-1] != '"') --p;
    return static_cast<std::uint32_t>(end - p);
}

NodeRecord NodeStore::record(int node) const {
    const Slot& s = slot(node);
    if (s.flags & kWide) {
        const Wide& w = wide(s);
        return {w.nameRef, w.nameLength, s.valueRef, w.valueLength, w.level, w.childCount, w.ordinal};
    }
    NodeRecord r{};
    if (s.flags & kAdjacentName) {
        r.nameLength = adjacentNameLength(s);
        r.nameRef = s.valueRef - 2 - r.nameLength;
    } else if (s.flags & kOrdinalName) {
        r.nameRef = static_cast<TextStore::Ref>(ordinalNumber(s));
        r.nameLength = elementNameLength(ordinalNumber(s));
    }
    r.valueRef = s.valueRef;
    r.valueLength = s.valueLength;
    r.level = s.level;
    r.childCount = s.flags & kKeyed ? 0 : s.childCount;
    r.ordinal = s.ordinal;
    return r;
}

NodeStore::Wide& NodeStore::widen(int node) {
    Slot& s = slot(node);
    if (!(s.flags & kWide)) s = makeWide(record(node), s.flags);
    return wide(s);
}

void NodeStore::setChildCount(int node, std::int32_t count) {
    Slot& s = slot(node);
    if ((s.flags & kKeyed) && count == 0) return;
    if (!(s.flags & kWide) && static_cast<std::uint32_t>(count) < 0xFFFF) {
        s.flags &= static_cast<std::uint8_t>(~kKeyed);
        s.childCount = static_cast<std::uint16_t>(count);
    } else {
        widen(node).childCount = count;
    }
}

void NodeStore::setOrdinal(int node, std::int32_t ordinal) {
    Slot& s = slot(node);
    // An element named after its ordinal keeps its name: it becomes explicit first.
    if (!(s.flags & (kWide | kOrdinalName)) && static_cast<std::uint32_t>(ordinal) < 0xFFFF) {
        s.ordinal = static_cast<std::uint16_t>(ordinal);
    } else if (!(s.flags & kWide) && s.ordinal == ordinal) {
        return;
    } else {
        widen(node).ordinal = ordinal;
    }
}

std::int32_t NodeStore::type(int node) const {
    const std::uint8_t bits = flags(node) & kTypeMask;
    if (bits != kOtherType) return bits;
    const auto found = otherTypes_.find(node);
    return found == otherTypes_.end() ? 0 : found->second;
}

std::int64_t NodeStore::elementNumberOf(int node) const {
    const Slot& s = slot(node);
    if (!(s.flags & kElementName)) return -1;
    return s.flags & kWide ? static_cast<std::int64_t>(wide(s).nameRef) : ordinalNumber(s);
}

NodeStore::NameProbe NodeStore::probe(std::string_view name) {
    const std::uint16_t key = nameKey16(name);
    return {name, key, elementNumber(name), nameByte(key)};
}

bool NodeStore::namesMatch(int node, const NameProbe& probe) const {
    const Slot& s = slot(node);
    const std::string_view name = probe.name;
    if (s.flags & kAdjacentName) {
        // Compared from the end back to the opening quote, which the name must reach exactly.
        const char* p = texts_.pointer(s.valueRef) - 3;
        for (std::size_t j = name.size(); j > 0; --j, --p) {
            if (*p != name[j - 1] || *p == '"') return false;
        }
        return *p == '"';
    }
    if (s.flags & kElementName) return probe.number >= 0 && probe.number == elementNumberOf(node);
    const Wide& w = wide(s);
    // An element's record holds the length its name "[k]" has, so the length rules most children out first.
    if (w.nameLength != name.size()) return false;
    const std::string_view stored = texts_.view(w.nameRef, w.nameLength);
    return name.empty() || (stored.front() == name.front() && stored == name);
}

std::string NodeStore::name(int node) const {
    const std::int64_t number = elementNumberOf(node);
    std::string out;
    if (number >= 0) {
        appendElementName(out, number);
    } else {
        const NodeRecord r = record(node);
        out = texts_.view(r.nameRef, r.nameLength);
    }
    return out;
}

std::string NodeStore::value(int node) const {
    std::string scratch;
    const std::string_view view = valueView(node, scratch);
    return scratch.empty() ? std::string(view) : scratch;
}

std::string_view NodeStore::valueView(int node, std::string& scratch) const {
    const Slot& s = slot(node);
    if (s.flags & kDeferredValue) {
        scratch = deferred_->text(texts_);
        return scratch;
    }
    return texts_.view(s.valueRef, valueLength(s));
}

NodeRecord NodeStore::textRecord(std::string_view name, std::string_view value) {
    NodeRecord record{};
    record.nameRef = texts_.copy(name);
    record.nameLength = static_cast<std::uint32_t>(name.size());
    record.valueRef = texts_.copy(value);
    record.valueLength = static_cast<std::uint32_t>(value.size());
    return record;
}

void NodeStore::insert(int index, const NodeRecord& record, std::int32_t type) {
    std::map<int, std::int32_t> shifted;
    for (const auto& [node, other] : otherTypes_) shifted[node >= index ? node + 1 : node] = other;
    otherTypes_ = std::move(shifted);
    slots_.insert(static_cast<std::size_t>(index - 1), makeWide(record, 0));
    nameBytes_.insert(static_cast<std::size_t>(index - 1), 0);
    setType(index, type);
    forgetChildLists();
}

void NodeStore::erase(int first, int last) {
    std::map<int, std::int32_t> kept;
    for (const auto& [node, other] : otherTypes_) {
        if (node < first) kept[node] = other;
        if (node >= last) kept[node - (last - first)] = other;
    }
    otherTypes_ = std::move(kept);
    slots_.erase(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - 1));
    nameBytes_.erase(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - 1));
    forgetChildLists();
}

void NodeStore::setType(int node, std::int32_t type) {
    Slot& s = slot(node);
    const std::uint8_t kept = s.flags & ~kTypeMask;
    if (type >= 0 && type < kOtherType) {
        otherTypes_.erase(node);
        s.flags = kept | static_cast<std::uint8_t>(type);
    } else {
        otherTypes_[node] = type;
        s.flags = kept | kOtherType;
    }
}

void NodeStore::setName(int node, std::string_view name) {
    Wide& w = widen(node);
    nameBytes_[static_cast<std::size_t>(node - 1)] = 0;
    w.nameRef = texts_.copy(name);
    w.nameLength = static_cast<std::uint32_t>(name.size());
    slot(node).flags &= static_cast<std::uint8_t>(~kElementName);
    forgetChildLists();
}

void NodeStore::setValue(int node, std::string_view value) {
    // The name may be known through the value's place: it becomes explicit first.
    Wide& w = widen(node);
    w.valueLength = static_cast<std::uint32_t>(value.size());
    Slot& s = slot(node);
    s.valueRef = texts_.copy(value);
    s.flags &= static_cast<std::uint8_t>(~kDeferredValue);
}

void NodeStore::clear() {
    slots_.clear();
    nameBytes_.clear();
    wide_.clear();
    otherTypes_.clear();
    texts_.clear();
    deferred_.reset();
    elementBase_ = 0;
    forgetChildLists();
}

const ChildList& NodeStore::childList(int node) const {
    for (const auto& [recent, list] : recentLists_) {
        if (recent == node && list != nullptr) return *list;
    }
    const auto found = childLists_.find(node);
    if (found != childLists_.end()) {
        recentLists_[nextRecent_++ % recentLists_.size()] = {node, &found->second};
        return found->second;
    }
    std::vector<int> children;
    const int level = this->level(node) + 1;
    // The reference child scan: candidates at the level, deeper nodes jumped over by their child count.
    for (int i = node; i < count();) {
        ++i;
        const int at = this->level(i);
        if (at < level) break;
        if (at == level) {
            children.push_back(i);
        } else {
            i += childCount(i);
        }
    }
    return remember(node, std::move(children));
}

namespace {

std::uint32_t nameKey(std::string_view name) {
    const std::uint32_t first = name.empty() ? 0 : static_cast<unsigned char>(name.front());
    return static_cast<std::uint32_t>(std::min<std::size_t>(name.size(), 0xFFFFFF)) << 8 | first;
}

}  // namespace

std::uint32_t NodeStore::nameKey(int node) const {
    const NodeRecord r = record(node);
    const std::uint32_t length = std::min<std::uint32_t>(r.nameLength, 0xFFFFFF) << 8;
    if (flags(node) & kElementName) return length | '[';
    return length | (r.nameLength == 0 ? 0 : static_cast<unsigned char>(texts_.view(r.nameRef, 1)[0]));
}

void NodeStore::touchSubtree(int first, int end) const {
    constexpr int kMostSlots = 512;
    constexpr std::uint32_t kMostText = 8192;
    const int last = std::min(end, first + kMostSlots);
    // Plain loads, independent of each other, so that their cache misses overlap: the queries that follow would
    // otherwise meet them one by one. (Prefetch instructions did not bring the lines in time here.)
    unsigned acc = 0;
    for (int i = first; i < last; i += 5) acc += slot(i).flags;
    for (int i = first; i < last; i += 64) acc += nameBytes_[static_cast<std::size_t>(i - 1)];
    const Slot& s = slot(first);
    const std::uint32_t length = s.flags & kDeferredValue ? 0 : std::min(valueLength(s), kMostText);
    if (length != 0) {
        const char* text = texts_.pointer(s.valueRef);
        for (std::uint32_t k = 0; k < length; k += 64) acc += static_cast<unsigned char>(text[k]);
    }
    asm volatile("" : : "r"(acc));
}

int NodeStore::findListedChild(int node, std::string_view name) const {
    const ChildList& list = childList(node);
    if (list.firstNumber >= 0) {
        // Every child is an element and their numbers follow each other: the name says where to look.
        const std::int64_t position = elementNumber(name) - list.firstNumber;
        const bool inRange = position >= 0 && position < static_cast<std::int64_t>(list.children.size());
        if (!inRange) return -1;
        const auto at = static_cast<std::size_t>(position);
        // Elements of a long list are mostly read one after the other, several members each: the next one is
        // brought into the cache now, its misses overlapping, rather than one by one by the queries on it.
        if (at + 2 < list.children.size()) touchSubtree(list.children[at + 1], list.children[at + 2]);
        return list.children[at];
    }
    const std::uint32_t key = detail::nameKey(name);
    for (std::size_t j = 0; j < list.keys.size(); ++j) {
        if (list.keys[j] == key && nameEquals(list.children[j], name)) return list.children[j];
    }
    return -1;
}

const ChildList& NodeStore::remember(int node, std::vector<int> children) const {
    ChildList list{std::move(children), {}, -1};
    list.keys.reserve(list.children.size());
    for (const int child : list.children) list.keys.push_back(nameKey(child));
    bool numbered = !list.children.empty();
    const std::int64_t first = numbered ? elementNumberOf(list.children.front()) : -1;
    for (std::size_t j = 0; numbered && j < list.children.size(); ++j) {
        numbered = first >= 0 && elementNumberOf(list.children[j]) == first + static_cast<std::int64_t>(j);
    }
    if (numbered) list.firstNumber = first;
    return childLists_.insert_or_assign(node, std::move(list)).first->second;
}

}  // namespace velomir::detail
