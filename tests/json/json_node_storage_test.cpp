// The node table keeps parsed nodes in small slots and moves a node to a wide record when a field outgrows its
// slot or is changed: names found in front of values, element names taken from ordinals, 16-bit lengths, ordinals
// and child counts, 8-bit levels. These cases cross each of those limits, and change parsed tables afterwards.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "json/json_differential.h"
#include "json/json_document.h"
#include "json/json_node_table.h"
#include "json/oracle/oracle_json_document.h"
#include "json/oracle/oracle_json_node_table.h"

namespace velomir::testing {
namespace {

template <typename Table>
std::string rowsOf(const Table& table) {
    std::vector<typename std::conditional_t<std::is_same_v<Table, JsonNodeTable>, JsonNode, oracle::JsonNode>> nodes;
    table.exportNodes(nodes);
    return nodeRowsText(nodes);
}

TEST(JsonNodeStorage, LongValuesKeepTheirNames) {
    const std::string big(70000, 'x');
    const std::string text = R"({"big":")" + big + R"(","after":{"list":[")" + big + R"(",2]},"last":1})";
    JsonDocument document;
    document.parse(text);
    EXPECT_EQ(document.getText("big"), big);
    EXPECT_EQ(document.getText("after.list.[1]"), big);
    EXPECT_EQ(document.getText("after.list.[2]"), "2");
    EXPECT_EQ(document.getText("last"), "1");
    const JsonNodeTable& table = document.nodes();
    EXPECT_EQ(table.nameOf(2), "big");
    EXPECT_EQ(table.nameOf(3), "after");
    EXPECT_EQ(table.valueOf(3).size(), big.size() + 15);
    EXPECT_EQ(table.nameOf(5), "[1]");
    EXPECT_EQ(document.pathOf(6), "after.list.[2]");
}

TEST(JsonNodeStorage, ManyElementsAndMembersKeepNamesOrdinalsAndCounts) {
    constexpr int kMany = 70000;  // past 65,535
    std::string array = "[";
    std::string object = "{";
    for (int i = 0; i < kMany; ++i) {
        array += (i ? "," : "") + std::to_string(i);
        object += (i ? ",\"m" : "\"m") + std::to_string(i) + "\":" + std::to_string(i);
    }
    array += "]";
    object += "}";
    for (const bool zeroBased : {false, true}) {
        JsonDocument document;
        document.parse(array, zeroBased);
        const int base = zeroBased ? 0 : 1;
        EXPECT_EQ(document.count(""), kMany);
        for (const int i : {0, 65533, 65534, 65535, 65536, kMany - 1}) {
            EXPECT_EQ(document.getText("[" + std::to_string(i + base) + "]"), std::to_string(i));
            EXPECT_EQ(document.nodes().nameOf(i + 2), "[" + std::to_string(i + base) + "]");
        }
        std::vector<JsonNode> nodes;
        document.nodes().exportNodes(nodes);
        EXPECT_EQ(nodes.back().ordinal, kMany);
        EXPECT_EQ(nodes.front().childCount, kMany);
        EXPECT_EQ(document.nodes().parentOf(kMany + 1), 1);
    }
    JsonDocument document;
    document.parse(object);
    EXPECT_EQ(document.count(""), kMany);
    EXPECT_EQ(document.getText("m69999"), "69999");
    EXPECT_EQ(document.getText("m65535"), "65535");
    EXPECT_EQ(document.nodes().nameOf(kMany + 1), "m69999");
    EXPECT_EQ(document.nodes().parentOf(kMany + 1), 1);
}

TEST(JsonNodeStorage, DeepNestingReadsLikeTheReference) {
    for (const int depth : {255, 256}) {
        std::string arrays =
            std::string(static_cast<std::size_t>(depth), '[') + "1" + std::string(static_cast<std::size_t>(depth), ']');
        std::string objects;
        for (int i = 0; i < depth; ++i) objects += R"({"a":1,"b":)";
        objects += "2" + std::string(static_cast<std::size_t>(depth), '}');
        for (const std::string& text : {arrays, objects}) {
            EXPECT_EQ(JsonDifference(text, depth % 2 == 0, 7).run(), "") << depth;
        }
    }
}

// Parsed tables changed afterwards: names that came from the text or from ordinals stay as they were.
TEST(JsonNodeStorage, ChangedParsedTablesMatchTheReference) {
    const std::vector<std::string> texts = {
        R"({"result":{"tracks":[{"name":"a","id":1},{"name":"b","id":2},[3,4,[5]],"x"]},"code":200})",
        R"([[1,2,3],{"a":{"b":[true,null]}},"s",[],{}])",
        R"({"a b":1, "c" : [ 1 , 2 ],"d":{"e":"f"}})",
    };
    const std::vector<std::string> names = {"a", "[1]", "[2]", "[3]", "[0]", "name", "x y", ""};
    std::mt19937 random(11);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<std::uint32_t>(n)); };
    for (int round = 0; round < 150; ++round) {
        const std::string& text = texts[static_cast<std::size_t>(round) % texts.size()];
        const bool zeroBased = round % 2 == 1;
        JsonDocument fastDocument;
        oracle::JsonDocument referenceDocument;
        fastDocument.parse(text, zeroBased);
        referenceDocument.parse(text, zeroBased);
        JsonNodeTable fast = fastDocument.nodeTable();
        oracle::JsonNodeTable reference = referenceDocument.nodeTable();
        for (int step = 0; step < 8; ++step) {
            const int node = pick(fast.nodeCount() + 2);
            const std::string& name = names[static_cast<std::size_t>(pick(static_cast<int>(names.size())))];
            switch (pick(6)) {
                case 0:
                    ASSERT_EQ(fast.removeNode(node), reference.removeNode(node));
                    break;
                case 1:
                    ASSERT_EQ(fast.setName(node, name), reference.setName(node, name));
                    break;
                case 2: {
                    const int type = pick(5) - 1;
                    ASSERT_EQ(fast.setValue(node, "v"), reference.setValue(node, "v"));
                    ASSERT_EQ(fast.setType(node, type), reference.setType(node, type));
                    break;
                }
                case 3: {
                    const int position = pick(4);
                    ASSERT_EQ(fast.addNode(node, name, 0, "n", position),
                              reference.addNode(node, name, 0, "n", position));
                    break;
                }
                case 4: {
                    const int first = 1 + pick(2);
                    fast.renumberChildren(node, first);
                    reference.renumberChildren(node, first);
                    break;
                }
                default:
                    break;
            }
            ASSERT_EQ(rowsOf(fast), rowsOf(reference)) << "round " << round << " step " << step;
            for (int k = 0; k <= fast.nodeCount() + 1; ++k) {
                for (const std::string& asked : names) {
                    ASSERT_EQ(fast.findChild(fast.levelOf(k) + 1, asked, k),
                              reference.findChild(reference.levelOf(k) + 1, asked, k))
                        << "round " << round << " node " << k << " name " << asked;
                }
                ASSERT_EQ(fast.parentOf(k), reference.parentOf(k)) << "round " << round << " node " << k;
            }
        }
    }
}

}  // namespace
}  // namespace velomir::testing
