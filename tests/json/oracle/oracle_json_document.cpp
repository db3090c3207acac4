#include "json/oracle/oracle_json_document.h"

#include <algorithm>

namespace velomir::oracle {

void JsonDocument::parse(std::string_view text, bool zeroBased) {
    zeroBased_ = zeroBased;
    table_.clear();
    JsonPairList pairs;
    std::vector<std::string> elements;
    int kind = Scalar;
    scanner_.splitTopLevel(text, pairs, elements, kind);
    const int root = table_.addNode(0, "JSON", kind == Array ? Array : Object, text);
    if (kind == Array) {
        addElements(elements, root);
    } else {
        addMembers(pairs, root);
    }
}

void JsonDocument::addMembers(const JsonPairList& pairs, int parent) {
    for (const auto& [name, value] : pairs) addValue(parent, name, value);
}

void JsonDocument::addElements(const std::vector<std::string>& elements, int parent) {
    std::size_t number = zeroBased_ ? 0 : 1;
    for (const std::string& element : elements) addValue(parent, "[" + std::to_string(number++) + "]", element);
}

void JsonDocument::addValue(int parent, const std::string& name, const std::string& value) {
    // Outside any node the value lands on level 1.
    const int level = std::max(table_.levelOf(parent), 0) + 1;
    const int kind = level <= kMaxDepth ? JsonTextScanner::valueKind(value) : Scalar;
    const int node = table_.addNode(parent, name, kind, value);
    if (kind == Object) {
        JsonPairList pairs;
        scanner_.splitObject(value, true, pairs);
        addMembers(pairs, node);
    } else if (kind == Array) {
        std::vector<std::string> elements;
        scanner_.splitArray(value, true, elements);
        addElements(elements, node);
    }
}

std::vector<std::string> JsonDocument::segmentsOf(std::string_view path) {
    std::vector<std::string> segments;
    if (path.empty()) return segments;
    scanner_.splitPath(path);
    scanner_.pathSegments(segments);
    return segments;
}

int JsonDocument::descend(const std::vector<std::string>& segments, int from, int first) const {
    int node = from;
    // Segment k names a node of level k + 1: the root is level 1.
    for (int k = first; k <= static_cast<int>(segments.size()) && node != -1; ++k) {
        node = table_.findChild(k + 1, segments[static_cast<std::size_t>(k - 1)], node);
    }
    return node;
}

std::string JsonDocument::getText(std::string_view path, int start) {
    const std::string query = zeroBased_ ? JsonTextScanner::normalisePath(path, 1) : std::string(path);
    const std::vector<std::string> segments = segmentsOf(query);
    if (segments.empty()) return scanner_.compact(table_.valueOf(1));
    // From a start node the segments leading down to it are not looked up again; its level tells how many.
    const int from = start > 0 ? start : 1;
    const int first = start > 0 ? std::max(table_.levelOf(start), 1) : 1;
    const int found = descend(segments, from, first);
    if (found == -1 || (start > 0 && found == start)) return {};
    return unquote(table_.valueOf(found));
}

bool JsonDocument::setText(std::string_view path, std::string_view value, std::int32_t type) {
    if (table_.nodeCount() == 0) table_.addNode(0, "JSON", Object, "");
    int node = 1;
    int level = 2;
    for (const std::string& segment : segmentsOf(path)) {
        const int child = table_.findChild(level++, segment, node);
        // A missing member along the path is added as an empty object.
        node = child != -1 ? child : table_.addNode(node, segment, Object, "");
    }
    return table_.setValue(node, value) && table_.setType(node, type);
}

int JsonDocument::count(std::string_view path, int& node) {
    const std::vector<std::string> segments = segmentsOf(path);
    // The empty path counts the root's members and reports no node.
    if (segments.empty()) return table_.childCountOf(1);
    const int found = descend(segments, 1, 1);
    if (found != -1) node = found;
    return found == -1 ? 0 : table_.childCountOf(found);
}

std::string JsonDocument::unquote(std::string_view text) const {
    return JsonTextScanner::restoreEscapedQuotes(scanner_.stripQuotes(text));
}

std::string JsonDocument::pathOf(int node) const {
    // Names from the node up to, not including, the root-level node, joined in the other order.
    std::vector<std::string> names;
    for (int k = node, parent = table_.parentOf(node); parent > 0; k = parent, parent = table_.parentOf(k)) {
        const std::string name = table_.nameOf(k);
        names.push_back(name.find('.') == std::string::npos ? name : "\"" + name + "\"");
    }
    std::string path;
    for (std::size_t k = names.size(); k > 0; --k) {
        path += names[k - 1];
        if (k > 1) path += '.';
    }
    return path;
}

}  // namespace velomir::oracle
