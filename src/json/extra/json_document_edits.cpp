// The document's building and naming operations: the program only parses answers and reads them, so these live in
// velomir_json_extra with the tests that compare them with the reference.
#include <string>
#include <string_view>
#include <vector>

#include "json/extra/json_text_scanner.h"
#include "json/json_document.h"
#include "json/node_store.h"
#include "text/text_helpers.h"

namespace velomir {

bool JsonDocument::setText(std::string_view path, std::string_view value, std::int32_t type) {
    memo_.clear();
    if (table_.nodeCount() == 0) table_.addNode(0, "JSON", Object, "");
    int current = 1;
    if (!path.empty()) {
        const std::vector<std::string_view>& segments = paths_.split(path);
        for (int i = 1; i <= static_cast<int>(segments.size()); ++i) {
            const std::string_view segment = segments[static_cast<std::size_t>(i - 1)];
            const int child = table_.findChild(i + 1, segment, current);
            current = child != -1 ? child : table_.addNode(current, segment, Object, "");
        }
    }
    return table_.setValue(current, value) && table_.setType(current, type);
}

void JsonDocument::addMembers(const JsonPairList& pairs, int parent) {
    for (const auto& [name, value] : pairs) addValue(parent, name, value);
}

void JsonDocument::addElements(const std::vector<std::string>& elements, int parent) {
    for (std::size_t i = 1; i <= elements.size(); ++i) {
        std::string name;
        detail::appendElementName(name, static_cast<std::int64_t>(zeroBased_ ? i - 1 : i));
        addValue(parent, name, elements[i - 1]);
    }
}

void JsonDocument::addValue(int parent, const std::string& name, const std::string& value) {
    memo_.clear();
    const int level = table_.levelOf(parent) < 1 ? 1 : table_.levelOf(parent) + 1;
    const int kind = level > kMaxJsonDepth ? Scalar : valueKind(value);
    JsonTextScanner scanner;
    if (kind == Object) {
        JsonPairList pairs;
        scanner.splitObject(value, true, pairs);
        addMembers(pairs, table_.addNode(parent, name, Object, value));
    } else if (kind == Array) {
        std::vector<std::string> elements;
        scanner.splitArray(value, true, elements);
        addElements(elements, table_.addNode(parent, name, Array, value));
    } else {
        table_.addNode(parent, name, Scalar, value);
    }
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

}  // namespace velomir
