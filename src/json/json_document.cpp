#include "json/json_document.h"

#include <memory>

#include "json/byte_scan.h"
#include "json/json_splitter.h"
#include "json/loaded_text.h"
#include "json/node_store.h"
#include "json/scanner_patterns.h"
#include "json/text_loader.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

using detail::LoadedText;
using detail::NodeRecord;
using detail::NodeStore;
using detail::TextStore;

// The text given to parse, rebuilt from the loaded buffer and the few edits load made to it.
class OriginalText final : public detail::DeferredText {
public:
    OriginalText(TextStore::Ref loaded, std::size_t size, detail::LoadEdits edits)
        : loaded_(loaded), size_(static_cast<std::uint32_t>(size)), edits_(std::move(edits)) {}
    std::string text(const TextStore& texts) const override { return edits_.rebuild(texts.view(loaded_, size_)); }

private:
    TextStore::Ref loaded_;
    std::uint32_t size_;
    detail::LoadEdits edits_;
};

bool isInside(std::string_view buffer, std::string_view part) {
    return part.data() >= buffer.data() && part.data() + part.size() <= buffer.data() + buffer.size();
}

// Appends the nodes of the parse depth first, straight at the end of the table: the parser adds a node's whole
// subtree before its next sibling. Texts that are slices of a kept buffer are referenced, not copied.
class TreeBuilder final : public detail::SplitSink {
public:
    TreeBuilder(NodeStore& store, bool zeroBased) : store_(store), zeroBased_(zeroBased) {}

    void split(int node, int kind, const LoadedText& text, std::size_t begin, std::size_t end) {
        const std::size_t depth = parents_.size();
        parents_.push_back({node, store_.level(node), 0});
        {
            // The node's child count is written once its children are in, also when a failure cuts the split short.
            struct CountWriter {
                TreeBuilder& builder;
                std::size_t depth;
                ~CountWriter() {
                    const Parent& parent = builder.parents_[depth];
                    builder.store_.setChildCount(parent.node, parent.children);
                }
            } writer{*this, depth};
            std::string scratch;  // lives until the split returns: a value handed over may stand in it
            if (kind == Object) {
                int pairs = 0;
                const std::size_t resume = detail::splitPlainMembers(text, begin, end, *this, pairs, scratch);
                if (resume != detail::kSplitDone) detail::splitObjectRegionFrom(text, begin, end, *this, resume, pairs);
            } else {
                int elements = 0;
                bool emptyHeld = false;
                const std::size_t resume =
                    detail::splitPlainElements(text, begin, end, *this, elements, emptyHeld, scratch);
                if (resume != detail::kSplitDone) {
                    detail::splitArrayRegionFrom(text, begin, end, *this, resume, elements, emptyHeld);
                }
            }
        }
        // A large node's child list is made by a scan at its first lookup: that costs less than listing every
        // node here.
        parents_.pop_back();
    }

    void member(const LoadedText& text, std::string_view name, std::string_view value) override {
        TextStore::Ref nameRef = 0;
        std::uint32_t nameLength = 0;
        reference(text, name, nameRef, nameLength);
        // Mostly "name":value in the buffer: a small node need not keep its name, it is found in front of the value.
        if (adjacent(text.plain(), name, value)) {
            add(nameRef, nameLength, NodeStore::kAdjacentName | NodeStore::kKeyed, text, value,
                NodeStore::nameKey16(name));
        } else {
            add(nameRef, nameLength, 0, text, value);
        }
    }

    void quotedMember(const LoadedText& text, std::string_view name, std::string_view value) override {
        const TextStore::Ref nameRef = text.storeRef + static_cast<TextStore::Ref>(name.data() - text.plain().data());
        const auto nameLength = static_cast<std::uint32_t>(name.size());
        // The value follows the colon unless trimming took something off its front.
        if (!value.empty() && value.data() == name.data() + name.size() + 2) {
            add(nameRef, nameLength, NodeStore::kAdjacentName | NodeStore::kKeyed, text, value,
                NodeStore::nameKey16(name));
        } else {
            add(nameRef, nameLength, 0, text, value);
        }
    }

    void element(const LoadedText& text, std::string_view value) override {
        const std::int64_t number = static_cast<std::int64_t>(parents_.back().children) + 1 - (zeroBased_ ? 1 : 0);
        add(static_cast<TextStore::Ref>(number), detail::elementNameLength(number),
            NodeStore::kElementName | NodeStore::kOrdinalName, text, value);
    }

private:
    struct Parent {
        int node;
        int level;
        std::int32_t children;  // added so far; an array's elements are all its children
    };

    static bool adjacent(std::string_view buffer, std::string_view name, std::string_view value) {
        if (value.empty() || !isInside(buffer, value) || !isInside(buffer, name) || name.data() == buffer.data()) {
            return false;
        }
        const char* end = name.data() + name.size();
        if (end + 2 != value.data() || name.data()[-1] != '"' || end[0] != '"' || end[1] != ':') return false;
        for (const char c : name) {
            if (c == '"') return false;
        }
        return true;
    }

    void reference(const LoadedText& text, std::string_view part, TextStore::Ref& ref, std::uint32_t& length) {
        length = static_cast<std::uint32_t>(part.size());
        if (isInside(text.plain(), part)) {
            ref = text.storeRef + static_cast<TextStore::Ref>(part.data() - text.plain().data());
        } else {
            ref = store_.texts().copy(part);
        }
    }

    // key: of an adjacent name.
    // The record is made here whole: built field by field in the callers and passed on, it cost a stalled load.
    void add(TextStore::Ref nameRef, std::uint32_t nameLength, std::uint8_t flags, const LoadedText& text,
             std::string_view value, std::uint16_t key = 0) {
        Parent& parent = parents_.back();
        NodeRecord record;
        record.nameRef = nameRef;
        record.nameLength = nameLength;
        record.childCount = 0;
        record.level = parent.level + 1;
        record.ordinal = ++parent.children;
        const int kind = record.level > kMaxJsonDepth ? Scalar : valueKind(value);
        if (kind != Scalar) flags &= static_cast<std::uint8_t>(~NodeStore::kKeyed);
        reference(text, value, record.valueRef, record.valueLength);
        const int node = store_.append(record, flags | static_cast<std::uint8_t>(kind), key);
        if (kind != Scalar) splitValue(node, kind, text, value);
    }

    // A nested value is loaded again before it is split. When that would give back the same bytes, its slice of the
    // current buffer is split in place; otherwise it is loaded for real into a buffer of its own.
    void splitValue(int node, int kind, const LoadedText& text, std::string_view value) {
        if (isInside(text.plain(), value)) {
            const auto begin = static_cast<std::size_t>(value.data() - text.plain().data());
            if (text.reloadsUnchanged(begin, begin + value.size())) {
                split(node, kind, text, begin, begin + value.size());
                return;
            }
        }
        detail::TextIndex index;
        detail::LoadResult loaded = detail::loadText(value, nullptr, &index);
        const std::size_t size = loaded.text.size();
        const TextStore::Ref ref = store_.texts().keep(std::move(loaded.text));
        LoadedText own(store_.texts().view(ref, static_cast<std::uint32_t>(size)), std::move(index));
        own.storeRef = ref;
        split(node, kind, own, 0, size);
    }

    NodeStore& store_;
    bool zeroBased_;
    std::vector<Parent> parents_;
};

// getText's answer: the value through stripQuotes, with the escaped double quotes that load marked put back.
std::string unquoted(std::string_view text) {
    std::string scratch;
    const std::string_view stripped = detail::stripQuotes(text, scratch);
    bool escapedQuote = false;  // "\\''", which stands for an escaped double quote
    for (std::size_t i = detail::findByte(stripped, '\\', 0, stripped.size());
         i != std::string_view::npos && !escapedQuote; i = detail::findByte(stripped, '\\', i + 1, stripped.size())) {
        escapedQuote = stripped.substr(i, 3) == "\\''";
    }
    if (!escapedQuote) return std::string(stripped);
    return replaceAll(stripped, "\\''", "\\\"");
}

}  // namespace

void JsonDocument::parse(std::string_view text, bool zeroBased) { parseReleasing(text, zeroBased, nullptr); }

void JsonDocument::parseAndRelease(std::string& text, bool zeroBased) {
    parseReleasing(text, zeroBased, &text);
    std::string().swap(text);
}

void JsonDocument::parseReleasing(std::string_view text, bool zeroBased, std::string* release) {
    zeroBased_ = zeroBased;
    table_.clear();
    memo_.clear();
    try {
        build(text, release);
    } catch (...) {
        // Out of memory or of text references (beyond 4 GiB of text): the table keeps what was built.
    }
}

void JsonDocument::build(std::string_view text, std::string* release) {
    NodeStore& store = *table_.store_;
    store.setElementBase(zeroBased_ ? 1 : 0);
    detail::LoadEdits edits;
    detail::TextIndex index;  // fed while the text is loaded
    detail::LoadResult loaded = detail::loadText(text, &edits, &index);
    const std::size_t size = loaded.text.size();
    const TextStore::Ref ref = store.texts().keep(std::move(loaded.text));
    LoadedText top(store.texts().view(ref, static_cast<std::uint32_t>(size)), std::move(index));
    top.storeRef = ref;

    NodeRecord root = store.textRecord("JSON", {});
    root.level = 1;
    root.ordinal = 1;
    root.valueLength = static_cast<std::uint32_t>(text.size());
    std::uint8_t flags = 0;
    const LoadedText::Stop first = top.nextVisible(0, size, detail::byteSet("{["));
    const int kind = first.at != LoadedText::npos && top.plain()[first.at] == '{' ? Object : Array;
    if (first.at != LoadedText::npos && loaded.editsComplete && edits.empty()) {
        root.valueRef = ref;
    } else if (first.at != LoadedText::npos && loaded.editsComplete && edits.footprint() <= text.size() / 4 + 256) {
        flags = NodeStore::kDeferredValue;
        store.setDeferred(std::make_shared<OriginalText>(ref, size, std::move(edits)));
    } else {
        root.valueRef = store.texts().copy(text);
    }
    const int node = store.append(root, flags | static_cast<std::uint8_t>(kind));
    table_.rootCount_ = 1;
    TreeBuilder builder(store, zeroBased_);
    if (first.at != LoadedText::npos) {
        // From here on only the loaded text is read.
        if (release != nullptr) std::string().swap(*release);
        builder.split(node, kind, top, 0, size);
        return;
    }
    // No structure at all: the text becomes the single element of an array.
    detail::LoadResult enclosed = detail::loadText(velomir::enclosed("[", text, "]"));
    const std::size_t enclosedSize = enclosed.text.size();
    const TextStore::Ref enclosedRef = store.texts().keep(std::move(enclosed.text));
    LoadedText second(store.texts().view(enclosedRef, static_cast<std::uint32_t>(enclosedSize)));
    second.storeRef = enclosedRef;
    builder.split(node, Array, second, 0, enclosedSize);
}

std::string JsonDocument::getText(std::string_view path, int start) {
    std::string normalised;
    std::string_view query = path;
    if (zeroBased_) {
        normalised = detail::normalisePath(path, 1);
        query = normalised;
    }
    if (query.empty()) return detail::compactText(table_.valueOf(1));
    int current = start;
    if (start <= 0 && !memo_.walk(query, current, findChild())) {
        const std::vector<std::string_view>& segments = paths_.split(query);
        if (segments.empty()) return detail::compactText(table_.valueOf(1));
        current = walk(segments);
    }
    if (current == -1) return {};
    if (start > 0) {
        const std::vector<std::string_view>& segments = paths_.split(query);
        if (segments.empty()) return detail::compactText(table_.valueOf(1));
        const int skip = table_.levelOf(start);
        for (int i = 1; i <= static_cast<int>(segments.size()); ++i) {
            // The segments that lead down to the start node are not looked up.
            if (skip != 0 && i < skip) continue;
            current = table_.findChild(i + 1, segments[static_cast<std::size_t>(i - 1)], current);
            if (current == -1) return {};
        }
        if (current == start) return {};
    }
    std::string scratch;
    return unquoted(table_.store_->valueView(current, scratch));
}

int JsonDocument::count(std::string_view path, int& node) {
    if (path.empty()) return table_.childCountOf(1);
    int current = -1;
    if (!memo_.walk(path, current, findChild())) {
        const std::vector<std::string_view>& segments = paths_.split(path);
        if (segments.empty()) return table_.childCountOf(1);
        current = walk(segments);
    }
    if (current == -1) return 0;
    node = current;
    return table_.childCountOf(current);
}

int JsonDocument::walk(const std::vector<std::string_view>& segments) { return memo_.walk(segments, findChild()); }

}  // namespace velomir
