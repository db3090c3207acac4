// Shared by the JSON test files: the document implementations every typed test runs on (the reference
// reader in json/oracle, and the fast reader as soon as its header is in the tree), and a neutral view of their nodes.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "json/oracle/oracle_json_document.h"

#if __has_include("json/json_document.h")
#include "json/json_document.h"
#define VELOMIR_TEST_FAST_JSON 1
#endif

namespace velomir::testing {

template <typename Document>
struct JsonImplementation;

template <>
struct JsonImplementation<oracle::JsonDocument> {
    using Table = oracle::JsonNodeTable;
    using Node = oracle::JsonNode;
};

#ifdef VELOMIR_TEST_FAST_JSON
template <>
struct JsonImplementation<JsonDocument> {
    using Table = JsonNodeTable;
    using Node = JsonNode;
};
using JsonDocumentTypes = ::testing::Types<oracle::JsonDocument, JsonDocument>;
#else
using JsonDocumentTypes = ::testing::Types<oracle::JsonDocument>;
#endif

// One node as plain fields, comparable across implementations.
struct NodeRow {
    std::string name;
    int type = 0;
    std::string value;
    int level = 0;
    int childCount = 0;
    int ordinal = 0;
    bool operator==(const NodeRow&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const NodeRow& row) {
    return out << "{" << row.name << ", type " << row.type << ", [" << row.value << "], level " << row.level
               << ", children " << row.childCount << ", ordinal " << row.ordinal << "}";
}

template <typename Document>
std::vector<NodeRow> tableRows(const typename JsonImplementation<Document>::Table& table) {
    using Node = typename JsonImplementation<Document>::Node;
    std::vector<Node> nodes;
    table.exportNodes(nodes);
    std::vector<NodeRow> rows;
    for (const Node& node : nodes) {
        rows.push_back({node.name, node.type, node.value, node.level, node.childCount, node.ordinal});
    }
    return rows;
}

template <typename Document>
std::vector<NodeRow> rowsOf(const Document& document) {
    return tableRows<Document>(document.nodeTable());
}

// Empty when levels, child counts and ordinals fit together as a depth-first table; else the first misfit.
inline std::string tableMisfit(const std::vector<NodeRow>& rows) {
    std::vector<std::size_t> open;  // ancestors of the current node, outermost first
    std::vector<int> counted(rows.size(), 0);
    int rootLevelCount = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        while (!open.empty() && rows[open.back()].level >= rows[i].level) open.pop_back();
        const int expectedLevel = open.empty() ? 1 : rows[open.back()].level + 1;
        const int expectedOrdinal = open.empty() ? ++rootLevelCount : ++counted[open.back()];
        if (rows[i].level != expectedLevel) return "level of node " + std::to_string(i + 1);
        if (rows[i].ordinal != expectedOrdinal) return "ordinal of node " + std::to_string(i + 1);
        open.push_back(i);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].childCount != counted[i]) return "child count of node " + std::to_string(i + 1);
    }
    return {};
}

}  // namespace velomir::testing
