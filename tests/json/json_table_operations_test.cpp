// The fast node table and document against the reference under the operations the parse never uses: insertion at
// a child position, prepared subtrees, removal, renaming, setText, addMembers. These change a table after its
// lookups have been cached, and copies of a table must answer for themselves.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "json/json_differential.h"
#include "json/json_node_table.h"
#include "json/oracle/oracle_json_node_table.h"

namespace velomir::testing {
namespace {

const std::vector<std::string> kNames = {"a", "b", "name", "[1]", "[2]", "[0]", "", "a.b", "[01]", "x y"};

class TablePair {
public:
    explicit TablePair(std::uint32_t seed) : random_(seed) {}

    int pick(int n) { return static_cast<int>(random_() % static_cast<std::uint32_t>(n)); }
    int anyNode() { return pick(fast_.nodeCount() + 3) - 1; }  // from -1 to one past the end
    const std::string& anyName() { return kNames[static_cast<std::size_t>(pick(static_cast<int>(kNames.size())))]; }

    // One random change, applied to both tables; returns a description when their answers differ.
    std::string change() {
        switch (pick(8)) {
            case 0: {
                const int parent = anyNode();
                const std::string& name = anyName();
                const int type = pick(4);
                const int position = pick(3) == 0 ? pick(5) : 0;
                const std::string value = "v" + std::to_string(pick(100));
                std::vector<JsonNode> fastRecords;
                std::vector<oracle::JsonNode> referenceRecords;
                for (int k = pick(4) == 0 ? 1 + pick(3) : 0; k > 0; --k) {
                    const int level = 1 + pick(4);
                    const int children = pick(2);
                    fastRecords.push_back({anyName(), pick(3), "p", level, children, 1 + pick(2)});
                    const JsonNode& made = fastRecords.back();
                    referenceRecords.push_back({made.name, made.type, made.value, level, children, made.ordinal});
                }
                const bool relevel = pick(2) == 0;
                return same("addNode", fast_.addNode(parent, name, type, value, position, fastRecords, relevel),
                            reference_.addNode(parent, name, type, value, position, referenceRecords, relevel));
            }
            case 1: {
                // Many children under one node, so that its lookups go through a kept child list.
                const int parent = anyNode();
                busyParent_ = parent;
                for (int k = 0; k < 70; ++k) {
                    const std::string name = "[" + std::to_string(k) + "]";
                    if (std::string d = same("addNode", fast_.addNode(parent, name, 0, "e"),
                                             reference_.addNode(parent, name, 0, "e"));
                        !d.empty()) {
                        return d;
                    }
                }
                return {};
            }
            case 2: {
                const int node = anyNode();
                return same("removeNode", fast_.removeNode(node), reference_.removeNode(node));
            }
            case 3: {
                const int node = anyNode();
                const std::string& name = anyName();
                return same("setName", fast_.setName(node, name), reference_.setName(node, name));
            }
            case 4: {
                const int node = anyNode();
                const int type = pick(5) - 1;
                return same("setType", fast_.setType(node, type), reference_.setType(node, type)) +
                       same("setValue", fast_.setValue(node, "s"), reference_.setValue(node, "s"));
            }
            case 5: {
                const int parent = anyNode();
                const int first = pick(4);
                fast_.renumberChildren(parent, first);
                reference_.renumberChildren(parent, first);
                return {};
            }
            case 6: {
                // The copy must answer on its own once the original is gone.
                JsonNodeTable copy(fast_);
                fast_ = JsonNodeTable();
                fast_ = std::move(copy);
                return {};
            }
            default:
                return lookups();
        }
    }

    std::string lookups() {
        for (int k = 0; k < 12; ++k) {
            const int node = k % 3 == 0 ? busyParent_ : anyNode();
            const int level = pick(6);
            const int n = 1 + pick(3);
            const std::string& name = anyName();
            std::vector<int> fastList;
            std::vector<int> referenceList;
            fast_.childIndexes(level, fastList, node);
            reference_.childIndexes(level, referenceList, node);
            if (fastList != referenceList) return "childIndexes";
            const std::string d =
                same("findChild", fast_.findChild(level, name, node), reference_.findChild(level, name, node)) +
                same("findChild below", fast_.findChild(fast_.levelOf(node) + 1, name, node),
                     reference_.findChild(reference_.levelOf(node) + 1, name, node)) +
                same("nthChild", fast_.nthChild(level, n, node), reference_.nthChild(level, n, node)) +
                same("subtreeEnd", fast_.subtreeEnd(node), reference_.subtreeEnd(node)) +
                same("parentOf", fast_.parentOf(node), reference_.parentOf(node)) +
                same("parentAtLevel", fast_.parentAtLevel(node, level), reference_.parentAtLevel(node, level)) +
                same("childCountOf", fast_.childCountOf(node), reference_.childCountOf(node)) +
                same("typeOf", fast_.typeOf(node), reference_.typeOf(node)) +
                same("hasChildren", fast_.hasChildren(node), reference_.hasChildren(node)) +
                (fast_.nameOf(node) == reference_.nameOf(node) ? "" : "nameOf") +
                (fast_.valueOf(node) == reference_.valueOf(node) ? "" : "valueOf");
            if (!d.empty()) return d + " at node " + std::to_string(node);
        }
        return {};
    }

    std::string tables() {
        std::vector<JsonNode> fastNodes;
        std::vector<oracle::JsonNode> referenceNodes;
        fast_.exportNodes(fastNodes);
        reference_.exportNodes(referenceNodes);
        return nodeRowsText(fastNodes) == nodeRowsText(referenceNodes)
                   ? ""
                   : "tables differ:\n" + nodeRowsText(fastNodes) + "instead of\n" + nodeRowsText(referenceNodes);
    }

private:
    template <typename T>
    static std::string same(const char* what, T fast, T reference) {
        return fast == reference
                   ? ""
                   : std::string(what) + " " + std::to_string(fast) + " instead of " + std::to_string(reference) + "; ";
    }

    std::mt19937 random_;
    int busyParent_ = 1;
    JsonNodeTable fast_;
    oracle::JsonNodeTable reference_;
};

TEST(JsonTableOperations, RandomChangesAndLookupsMatchTheReference) {
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        TablePair pair(seed);
        for (int step = 0; step < 80; ++step) {
            const std::string difference = pair.change();
            ASSERT_EQ(difference, "") << "seed " << seed << " step " << step;
            ASSERT_EQ(pair.tables(), "") << "seed " << seed << " step " << step;
        }
    }
}

// After parse the document is changed through its own operations; its answers must follow the changes.
TEST(JsonTableOperations, DocumentChangesMatchTheReference) {
    const std::string answer = R"({"result":{"tracks":[{"name":"a","id":1},{"name":"b","id":2}]},"code":200})";
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        JsonDocument fast;
        oracle::JsonDocument reference;
        const bool zeroBased = round % 2 == 1;
        fast.parse(answer, zeroBased);
        reference.parse(answer, zeroBased);
        const std::vector<std::string> paths = {
            "result.tracks.[1].name", "result.tracks", "result.x.y",          "code",
            "result.tracks.[2]",      "new",           "result.tracks.[0].id"};
        for (int step = 0; step < 6; ++step) {
            const std::string& path = paths[random() % paths.size()];
            switch (random() % 3) {
                case 0:
                    ASSERT_EQ(fast.setText(path, "\"t\"", 0), reference.setText(path, "\"t\"", 0));
                    break;
                case 1: {
                    const int parent = static_cast<int>(random() % 6);
                    fast.addMembers({{"m", "{\"k\":[1,2]}"}, {"n", "3"}}, parent);
                    reference.addMembers({{"m", "{\"k\":[1,2]}"}, {"n", "3"}}, parent);
                    break;
                }
                default: {
                    const int parent = static_cast<int>(random() % 6);
                    fast.addElements({"[5]", " x "}, parent);
                    reference.addElements({"[5]", " x "}, parent);
                }
            }
            std::vector<JsonNode> fastNodes;
            std::vector<oracle::JsonNode> referenceNodes;
            fast.nodeTable().exportNodes(fastNodes);
            reference.nodeTable().exportNodes(referenceNodes);
            ASSERT_EQ(nodeRowsText(fastNodes), nodeRowsText(referenceNodes)) << "round " << round << " step " << step;
            for (const std::string& asked : paths) {
                ASSERT_EQ(fast.getText(asked), reference.getText(asked)) << asked;
                ASSERT_EQ(fast.count(asked), reference.count(asked)) << asked;
            }
        }
    }
}

}  // namespace
}  // namespace velomir::testing
