#include "json/oracle/oracle_json_document.h"

#include "text/text_helpers.h"

namespace velomir::oracle {

void JsonDocument::parse(std::string_view text, bool zeroBased) {
    zeroBased_ = zeroBased;
    table_.clear();
    JsonPairList pairs;
    std::vector<std::string> elements;
    int kind = Scalar;
    scanner_.splitTopLevel(text, pairs, elements, kind);
    if (kind == Array) {
        const int root = table_.addNode(0, "JSON", Array, text);
        addElements(elements, root);
    } else {
        const int root = table_.addNode(0, "JSON", Object, text);
        addMembers(pairs, root);
    }
}

void JsonDocument::addMembers(const JsonPairList& pairs, int parent) {
    for (const auto& [name, value] : pairs) addValue(parent, name, value);
}

void JsonDocument::addElements(const std::vector<std::string>& elements, int parent) {
    for (std::size_t i = 1; i <= elements.size(); ++i) {
        const std::size_t number = zeroBased_ ? i - 1 : i;
        addValue(parent, "[" + std::to_string(number) + "]", elements[i - 1]);
    }
}

void JsonDocument::addValue(int parent, const std::string& name, const std::string& value) {
    const int level = table_.levelOf(parent) < 1 ? 1 : table_.levelOf(parent) + 1;
    const int kind = level > kMaxDepth ? Scalar : JsonTextScanner::valueKind(value);
    if (kind == Object) {
        JsonPairList pairs;
        scanner_.splitObject(value, true, pairs);
        const int node = table_.addNode(parent, name, Object, value);
        addMembers(pairs, node);
    } else if (kind == Array) {
        std::vector<std::string> elements;
        scanner_.splitArray(value, true, elements);
        const int node = table_.addNode(parent, name, Array, value);
        addElements(elements, node);
    } else {
        table_.addNode(parent, name, Scalar, value);
    }
}

std::string JsonDocument::getText(std::string_view path, int start) {
    const std::string query = zeroBased_ ? JsonTextScanner::normalisePath(path, 1) : std::string(path);
    if (query.empty() || scanner_.splitPath(query) == 0) return scanner_.compact(table_.valueOf(1));
    int current = 1;
    int skip = 0;
    if (start > 0) {
        current = start;
        skip = table_.levelOf(start);
    }
    std::vector<std::string> segments;
    scanner_.pathSegments(segments);
    for (int i = 1; i <= static_cast<int>(segments.size()); ++i) {
        // The segments that lead down to the start node are not looked up.
        if (skip != 0 && i < skip) continue;
        current = table_.findChild(i + 1, segments[static_cast<std::size_t>(i - 1)], current);
        if (current == -1) return {};
    }
    if (start > 0 && current == start) return {};
    return unquote(table_.valueOf(current));
}

bool JsonDocument::setText(std::string_view path, std::string_view value, std::int32_t type) {
    if (table_.nodeCount() == 0) table_.addNode(0, "JSON", Object, "");
    int current = 1;
    if (!path.empty() && scanner_.splitPath(path) > 0) {
        std::vector<std::string> segments;
        scanner_.pathSegments(segments);
        for (int i = 1; i <= static_cast<int>(segments.size()); ++i) {
            const std::string& segment = segments[static_cast<std::size_t>(i - 1)];
            const int child = table_.findChild(i + 1, segment, current);
            current = child != -1 ? child : table_.addNode(current, segment, Object, "");
        }
    }
    return table_.setValue(current, value) && table_.setType(current, type);
}

int JsonDocument::count(std::string_view path, int& node) {
    if (path.empty() || scanner_.splitPath(path) == 0) return table_.childCountOf(1);
    std::vector<std::string> segments;
    scanner_.pathSegments(segments);
    int current = 1;
    for (int i = 1; i <= static_cast<int>(segments.size()); ++i) {
        current = table_.findChild(i + 1, segments[static_cast<std::size_t>(i - 1)], current);
        if (current == -1) return 0;
    }
    node = current;
    return table_.childCountOf(current);
}

std::string JsonDocument::unquote(std::string_view text) const {
    return JsonTextScanner::restoreEscapedQuotes(scanner_.stripQuotes(text));
}

std::string JsonDocument::capitalise(std::string_view text) {
    std::string result = asciiLower(text);
    if (!result.empty() && result.front() >= 'a' && result.front() <= 'z') result.front() -= 'a' - 'A';
    return result;
}

std::string JsonDocument::pathOf(int node) const {
    std::string path;
    bool first = true;
    for (int k = node; table_.parentOf(k) > 0; k = table_.parentOf(k)) {
        std::string name = table_.nameOf(k);
        if (name.find('.') != std::string::npos) name = "\"" + name + "\"";
        path = first ? name : name + "." + path;
        first = false;
    }
    return path;
}

}  // namespace velomir::oracle
