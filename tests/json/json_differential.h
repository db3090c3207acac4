// Runs the fast reader and the reference reader (json/oracle) side by side on one text and reports the first place
// where they disagree: the node tables field by field, then getText and count on the empty path, on every node's path,
// on paths derived from those (missing members, other indexes, quoted segments, start nodes).
// Shared by the differential test and the fuzzer, so it depends on neither GoogleTest nor libFuzzer.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "json/json_document.h"
#include "json/oracle/oracle_json_document.h"

namespace velomir::testing {

// Exported nodes as text, a line a node, for comparing two tables and showing where they differ.
template <typename Node>
std::string nodeRowsText(const std::vector<Node>& nodes) {
    std::string out;
    for (const Node& node : nodes) {
        out += node.name + "|" + std::to_string(node.type) + "|" + node.value + "|" + std::to_string(node.level) + "|" +
               std::to_string(node.childCount) + "|" + std::to_string(node.ordinal) + "\n";
    }
    return out;
}

class JsonDifference {
public:
    // derivedPaths: how many node paths get varied into missing or odd paths.
    JsonDifference(std::string_view text, bool zeroBased, std::uint32_t pathSeed, std::size_t derivedPaths = 64)
        : text_(text), zeroBased_(zeroBased), seed_(pathSeed), derivedPaths_(derivedPaths) {}

    // Empty when both implementations agree on everything asked, else a description of the first difference.
    std::string run() {
        fast_.parse(text_, zeroBased_);
        reference_.parse(text_, zeroBased_);
        if (std::string difference = compareTables(); !difference.empty()) return difference;
        for (const std::string& path : pathsToAsk()) {
            if (std::string difference = compareQueries(path); !difference.empty()) return difference;
        }
        return compareStartNodes();
    }

private:
    template <typename Node>
    static std::string describe(const Node& node) {
        std::ostringstream out;
        out << "{name [" << node.name << "], type " << node.type << ", value [" << node.value << "], level "
            << node.level << ", children " << node.childCount << ", ordinal " << node.ordinal << "}";
        return out.str();
    }

    std::string compareTables() {
        std::vector<JsonNode> fastNodes;
        std::vector<oracle::JsonNode> referenceNodes;
        fast_.nodeTable().exportNodes(fastNodes);
        reference_.nodeTable().exportNodes(referenceNodes);
        if (fastNodes.size() != referenceNodes.size()) {
            return "node count " + std::to_string(fastNodes.size()) + " instead of " +
                   std::to_string(referenceNodes.size());
        }
        for (std::size_t i = 0; i < fastNodes.size(); ++i) {
            const JsonNode& a = fastNodes[i];
            const oracle::JsonNode& b = referenceNodes[i];
            if (a.name != b.name || a.type != b.type || a.value != b.value || a.level != b.level ||
                a.childCount != b.childCount || a.ordinal != b.ordinal) {
                return "node " + std::to_string(i + 1) + ": " + describe(a) + " instead of " + describe(b);
            }
        }
        nodeCount_ = static_cast<int>(fastNodes.size());
        return {};
    }

    // Large tables are sampled: the reference answers a query in time linear in the table.
    int step() const { return nodeCount_ > 120 ? nodeCount_ / 60 : 1; }

    std::uint32_t next() {
        seed_ = seed_ * 1664525U + 1013904223U;
        return seed_ >> 8;
    }

    std::vector<std::string> pathsToAsk() {
        std::vector<std::string> paths = {"", ".", "[1]", "[0]", "\"\"", "''''"};
        for (int node = 1; node <= nodeCount_; node += step()) paths.push_back(reference_.pathOf(node));
        const std::size_t known = paths.size();
        for (std::size_t k = 0; k < known && k < derivedPaths_; ++k) {
            const std::string path = paths[6 + next() % (known - 6)];
            paths.push_back(path + ".x");
            paths.push_back(path + ".[1]");
            paths.push_back(path + "[1]");
            paths.push_back("." + path);
            paths.push_back("''" + path + "''");
            paths.push_back(path + ".[01]");
        }
        return paths;
    }

    std::string compareQueries(const std::string& path) {
        const std::string fastText = fast_.getText(path);
        const std::string referenceText = reference_.getText(path);
        if (fastText != referenceText) {
            return "getText [" + path + "]: [" + fastText + "] instead of [" + referenceText + "]";
        }
        int fastNode = -7;
        int referenceNode = -7;
        const int fastCount = fast_.count(path, fastNode);
        const int referenceCount = reference_.count(path, referenceNode);
        if (fastCount != referenceCount || fastNode != referenceNode) {
            return "count [" + path + "]: " + std::to_string(fastCount) + " at " + std::to_string(fastNode) +
                   " instead of " + std::to_string(referenceCount) + " at " + std::to_string(referenceNode);
        }
        return {};
    }

    std::string compareStartNodes() {
        for (int node = 1; node <= nodeCount_; node += step()) {
            const std::string path = reference_.pathOf(node);
            if (fast_.pathOf(node) != path) return "pathOf " + std::to_string(node) + ": [" + fast_.pathOf(node) + "]";
            const int start = 1 + static_cast<int>(next() % static_cast<std::uint32_t>(nodeCount_));
            for (const std::string& asked : {path, path + ".[1]", std::string("x.") + path}) {
                if (fast_.getText(asked, start) != reference_.getText(asked, start)) {
                    return "getText [" + asked + "] from node " + std::to_string(start) + ": [" +
                           fast_.getText(asked, start) + "] instead of [" + reference_.getText(asked, start) + "]";
                }
            }
        }
        return {};
    }

    std::string text_;
    bool zeroBased_;
    std::uint32_t seed_;
    std::size_t derivedPaths_;
    int nodeCount_ = 0;
    JsonDocument fast_;
    oracle::JsonDocument reference_;
};

}  // namespace velomir::testing
