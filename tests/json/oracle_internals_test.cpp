// The reference reader's own pieces that the document tests reach only indirectly, and the fast scanner's queries
// that only tests reach.
#include <string>
#include <vector>

#include "json/extra/json_text_scanner.h"
#include "json/json_test_support.h"
#include "json/oracle/oracle_marked_text.h"

namespace velomir::testing {
namespace {

using oracle::JsonDocument;
using oracle::JsonNode;
using oracle::JsonNodeTable;
using oracle::JsonTextScanner;

struct TextCase {
    std::string input;
    std::string expected;
};

TEST(OracleScanner, CompactKeepsBlanksAroundBracketsInsideStrings) {
    const std::vector<TextCase> cases = {
        {"  [ 1 ] ", "[ 1 ]"},
        {R"("a" : "b")", R"("a":"b")"},
        {R"({"t":"x [ y ] z"})", R"({"t":"x [ y ] z"})"},
        {"\"a\"\u3000: \u3000[1]", R"("a":[1])"},
        {"[\n  {\n  }\n]", "[{\n  }]"},
        {R"("a [ b)", R"("a[ b)"},                                    // an unpaired quote opens no string
        {R"({"t":"a \" [ b"})", R"({"t":"a \"[ b"})"},                // blanks after any quote go, even an escaped one
        {"中文 [1] \"好 { 好\"", "中文[1]\"好 { 好\""},               // offsets counted in characters
        {"\xE3\x80 [1] \xFF \"x [ y\"", "\xE3\x80[1]\xFF\"x [ y\""},  // invalid bytes count one each
    };
    JsonTextScanner scanner;
    for (const TextCase& c : cases) EXPECT_EQ(scanner.compact(c.input), c.expected) << c.input;
}

TEST(OracleScanner, SplitPathSegments) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {R"(a."b.c".d)", {"a", "b.c", "d"}},
        {"''x.y''", {"x.y"}},
        {"a..b", {"a", "", "b"}},
        {" a . b ", {"a", "b"}},
        {R"("open.x)", {}},
        {"", {""}},
    };
    JsonTextScanner scanner;
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(scanner.splitPath(path), static_cast<int>(expected.size())) << path;
        std::vector<std::string> segments;
        scanner.pathSegments(segments);
        EXPECT_EQ(segments, expected) << path;
    }
}

TEST(OracleScanner, NormalisePathModes) {
    EXPECT_EQ(JsonTextScanner::normalisePath("a.[1].b", 0), "a[1].b");
    EXPECT_EQ(JsonTextScanner::normalisePath("a[1]b", 1), "a.[1]b");
    EXPECT_EQ(JsonTextScanner::normalisePath("a[1].b", 1), "a.[1].b");
    EXPECT_EQ(JsonTextScanner::normalisePath("[1].b", 1), "[1].b");
    EXPECT_EQ(JsonTextScanner::normalisePath("a[1]", 2), "");
}

// The value and element cuts on hand-counted positions, so that a fault both readers share would still show.
TEST(OracleMarkedText, CutsEndAtTheFirstBalancedCandidate) {
    // Separators inside a string literal are no candidates; an unpaired last quote hides nothing.
    const oracle::MarkedText member(R"({"a,b":1,"c)");
    EXPECT_EQ(member.next(',', 1), 9);
    EXPECT_TRUE(member.balanced(1, 9));
    EXPECT_FALSE(member.balanced(8, 12));
    EXPECT_EQ(member.between(9, 99), R"("c)");
    int colon = 0;
    std::string name;
    ASSERT_TRUE(member.readName(1, colon, name));
    EXPECT_EQ(colon, 7);
    EXPECT_EQ(name, R"("a,b")");

    // The "[" before the first comma leads to the "]" behind it; the comma after that balances.
    EXPECT_EQ(oracle::MarkedText(R"({"a":[1,{"b":2}],"c":3})").valueEnd(5), 17);
    // Without a comma or "}" the value runs to one past the text end.
    EXPECT_EQ(oracle::MarkedText(R"({"a":1)").valueEnd(5), 7);
    // An opener whose closer never comes ends the member list.
    EXPECT_EQ(oracle::MarkedText(R"({"a":[1,2})").valueEnd(5), -1);

    // Commas first, then the "]"s after the last comma.
    const oracle::MarkedText elements("[1,[2,3],4]");
    EXPECT_EQ(elements.elementEnd(1), 3);
    EXPECT_EQ(elements.elementEnd(3), 9);
    EXPECT_EQ(elements.elementEnd(9), 11);
    EXPECT_EQ(elements.elementEnd(11), -1);
    EXPECT_EQ(oracle::MarkedText("[[1,2]]").elementEnd(1), 7);
}

// queryText and extractBlocks live only in the fast scanner (no reader path uses them); the reference table
// checks the first.
TEST(ScannerQueries, QueryTextAgreesWithTheReferenceTable) {
    const std::string text = R"({"a":{"b":[1,{"c":"x\"y"}]},"d":[]})";
    for (const bool zeroBased : {false, true}) {
        JsonDocument document;
        document.parse(text, zeroBased);
        velomir::JsonTextScanner scanner;
        const std::string first = zeroBased ? "[0]" : "[1]";
        const std::string second = zeroBased ? "[1]" : "[2]";
        for (const std::string& path : {std::string(), std::string("a"), "a.b." + first, "a.b." + second + ".c",
                                        std::string("d"), "d." + first, std::string("x")}) {
            EXPECT_EQ(scanner.queryText(text, path, zeroBased), document.getText(path)) << path;
        }
    }
}

TEST(ScannerQueries, ExtractBlocksTakesTheWidestObjectAndArray) {
    velomir::JsonTextScanner scanner;
    EXPECT_EQ(scanner.extractBlocks(R"(x{"a":[1]}y)"), (std::vector<std::string>{R"({"a":[1]})", "[1]"}));
    EXPECT_TRUE(scanner.extractBlocks("plain").empty());
}

TEST(OracleNodeTable, RemoveNodeRenumbersTheRemainingSiblings) {
    JsonDocument document;
    document.parse(R"({"a":1,"b":{"c":[2,3]},"d":4})");
    JsonNodeTable table = document.nodeTable();
    EXPECT_TRUE(table.removeNode(3));
    EXPECT_FALSE(table.removeNode(99));
    EXPECT_EQ(
        tableRows<JsonDocument>(table),
        (std::vector<NodeRow>{
            {"JSON", 1, R"({"a":1,"b":{"c":[2,3]},"d":4})", 1, 2, 1}, {"a", 0, "1", 2, 0, 1}, {"d", 0, "4", 2, 0, 2}}));
}

TEST(OracleNodeTable, PreparedRecordsBecomeTheNewNodesSubtree) {
    JsonNodeTable table;
    const int root = table.addNode(0, "JSON", 1, "");
    table.addNode(root, "z", 0, "");
    std::vector<JsonNode> records(2);
    records[0].name = "x";
    records[0].level = 7;
    records[1].name = "y";
    records[1].level = 7;
    EXPECT_EQ(table.addNode(root, "g", 1, "", 1, records, true), 2);
    const std::vector<NodeRow> rows = tableRows<JsonDocument>(table);
    EXPECT_EQ(tableMisfit(rows), "");
    ASSERT_EQ(rows.size(), 5U);
    EXPECT_EQ(rows[1], (NodeRow{"g", 1, "", 2, 2, 1}));
    EXPECT_EQ(rows[3], (NodeRow{"y", 0, "", 3, 0, 2}));
    EXPECT_EQ(rows[4], (NodeRow{"z", 0, "", 2, 0, 2}));

    EXPECT_EQ(JsonNodeTable::shiftLevels(records, 4, 0), 2);
    EXPECT_EQ(records[1].level, 4);
}

}  // namespace
}  // namespace velomir::testing
