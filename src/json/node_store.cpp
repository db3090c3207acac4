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
    : records_(other.records_),
      flags_(other.flags_),
      otherTypes_(other.otherTypes_),
      texts_(other.texts_),
      deferred_(other.deferred_) {}

NodeStore& NodeStore::operator=(const NodeStore& other) {
    if (this != &other) {
        records_ = other.records_;
        flags_ = other.flags_;
        otherTypes_ = other.otherTypes_;
        texts_ = other.texts_;
        deferred_ = other.deferred_;
        forgetChildLists();
    }
    return *this;
}

std::int32_t NodeStore::type(int node) const {
    const std::uint8_t bits = flags(node) & kTypeMask;
    if (bits != kOtherType) return bits;
    const auto found = otherTypes_.find(node);
    return found == otherTypes_.end() ? 0 : found->second;
}

bool NodeStore::nameEquals(int node, std::string_view name) const {
    const NodeRecord& record = at(node);
    // An element's record holds the length its name "[k]" has, so the length rules most children out first.
    if (record.nameLength != name.size()) return false;
    if (flags(node) & kElementName) return elementNumber(name) == record.nameRef;
    const std::string_view stored = texts_.view(record.nameRef, record.nameLength);
    return name.empty() || (stored.front() == name.front() && stored == name);
}

std::string NodeStore::name(int node) const {
    const NodeRecord& record = at(node);
    std::string out;
    if (flags(node) & kElementName) {
        appendElementName(out, record.nameRef);
    } else {
        out = texts_.view(record.nameRef, record.nameLength);
    }
    return out;
}

std::string NodeStore::value(int node) const {
    if (flags(node) & kDeferredValue) return deferred_->text(texts_);
    const NodeRecord& record = at(node);
    return std::string(texts_.view(record.valueRef, record.valueLength));
}

std::string_view NodeStore::valueView(int node, std::string& scratch) const {
    if (flags(node) & kDeferredValue) {
        scratch = deferred_->text(texts_);
        return scratch;
    }
    const NodeRecord& record = at(node);
    return texts_.view(record.valueRef, record.valueLength);
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
    records_.insert(static_cast<std::size_t>(index - 1), record);
    flags_.insert(static_cast<std::size_t>(index - 1), 0);
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
    records_.erase(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - 1));
    flags_.erase(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - 1));
    forgetChildLists();
}

void NodeStore::setType(int node, std::int32_t type) {
    const std::uint8_t kept = flags(node) & ~kTypeMask;
    if (type >= 0 && type < kOtherType) {
        otherTypes_.erase(node);
        setFlags(node, kept | static_cast<std::uint8_t>(type));
    } else {
        otherTypes_[node] = type;
        setFlags(node, kept | kOtherType);
    }
}

void NodeStore::setName(int node, std::string_view name) {
    at(node).nameRef = texts_.copy(name);
    at(node).nameLength = static_cast<std::uint32_t>(name.size());
    setFlags(node, flags(node) & ~kElementName);
    forgetChildLists();
}

void NodeStore::setValue(int node, std::string_view value) {
    at(node).valueRef = texts_.copy(value);
    at(node).valueLength = static_cast<std::uint32_t>(value.size());
    setFlags(node, flags(node) & ~kDeferredValue);
}

void NodeStore::clear() {
    records_.clear();
    flags_.clear();
    otherTypes_.clear();
    texts_.clear();
    deferred_.reset();
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
    const int level = at(node).level + 1;
    // The reference child scan: candidates at the level, deeper nodes jumped over by their child count.
    for (int i = node; i < count();) {
        ++i;
        const NodeRecord& record = at(i);
        if (record.level < level) break;
        if (record.level == level) {
            children.push_back(i);
        } else {
            i += record.childCount;
        }
    }
    return remember(node, std::move(children));
}

void NodeStore::keepChildList(int node, std::vector<int> children) const { remember(node, std::move(children)); }

namespace {

std::uint32_t nameKey(std::string_view name) {
    const std::uint32_t first = name.empty() ? 0 : static_cast<unsigned char>(name.front());
    return static_cast<std::uint32_t>(std::min<std::size_t>(name.size(), 0xFFFFFF)) << 8 | first;
}

}  // namespace

std::uint32_t NodeStore::nameKey(int node) const {
    const NodeRecord& record = at(node);
    const std::uint32_t length = std::min<std::uint32_t>(record.nameLength, 0xFFFFFF) << 8;
    if (flags(node) & kElementName) return length | '[';
    return length | (record.nameLength == 0 ? 0 : static_cast<unsigned char>(texts_.view(record.nameRef, 1)[0]));
}

int NodeStore::findListedChild(int node, std::string_view name) const {
    const ChildList& list = childList(node);
    if (list.firstNumber >= 0) {
        // Every child is an element and their numbers follow each other: the name says where to look.
        const std::int64_t position = elementNumber(name) - list.firstNumber;
        const bool inRange = position >= 0 && position < static_cast<std::int64_t>(list.children.size());
        return inRange ? list.children[static_cast<std::size_t>(position)] : -1;
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
    for (std::size_t j = 0; numbered && j < list.children.size(); ++j) {
        const int child = list.children[j];
        numbered = (flags(child) & kElementName) &&
                   at(child).nameRef == static_cast<std::int64_t>(at(list.children.front()).nameRef) + j;
    }
    if (numbered) list.firstNumber = at(list.children.front()).nameRef;
    return childLists_.insert_or_assign(node, std::move(list)).first->second;
}

}  // namespace velomir::detail
