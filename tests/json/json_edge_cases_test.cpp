// Edge cases of parsing and path queries, run on every JSON document implementation.
#include <string>
#include <utility>
#include <vector>

#include "json/json_test_support.h"

namespace velomir::testing {
namespace {

constexpr int kScalar = 0;
constexpr int kObject = 1;
constexpr int kArray = 2;

const std::string kWorkedExample = R"({"a":{"b":[1,2]},"c":3})";

struct ParseCase {
    const char* label;
    std::string text;
    bool zeroBased;
    std::vector<NodeRow> nodes;
};

const std::vector<ParseCase> kParseCases = {
    {"empty object", "{}", false, {{"JSON", kObject, "{}", 1, 0, 1}}},
    {"empty array", "[]", false, {{"JSON", kArray, "[]", 1, 0, 1}}},
    {"empty text", "", false, {{"JSON", kArray, "", 1, 0, 1}}},
    {"comma only",
     "[,]",
     false,
     {{"JSON", kArray, "[,]", 1, 2, 1}, {"[1]", kScalar, "", 2, 0, 1}, {"[2]", kScalar, "", 2, 0, 2}}},
    {"worked example",
     kWorkedExample,
     false,
     {{"JSON", kObject, kWorkedExample, 1, 2, 1},
      {"a", kObject, R"({"b":[1,2]})", 2, 1, 1},
      {"b", kArray, "[1,2]", 3, 2, 1},
      {"[1]", kScalar, "1", 4, 0, 1},
      {"[2]", kScalar, "2", 4, 0, 2},
      {"c", kScalar, "3", 2, 0, 2}}},
    {"bare number", "42", false, {{"JSON", kArray, "42", 1, 1, 1}, {"[1]", kScalar, "42", 2, 0, 1}}},
    {"zero-based names",
     "[5,[6]]",
     true,
     {{"JSON", kArray, "[5,[6]]", 1, 2, 1},
      {"[0]", kScalar, "5", 2, 0, 1},
      {"[1]", kArray, "[6]", 2, 1, 2},
      {"[0]", kScalar, "6", 3, 0, 1}}},
    {"structure inside strings",
     R"({"s":"{[,:]}","t":1})",
     false,
     {{"JSON", kObject, R"({"s":"{[,:]}","t":1})", 1, 2, 1},
      {"s", kScalar, R"("{[,:]}")", 2, 0, 1},
      {"t", kScalar, "1", 2, 0, 2}}},
    {"escaped quote keeps its marker",
     R"({"q":"a\"b","n":1})",
     false,
     {{"JSON", kObject, R"({"q":"a\"b","n":1})", 1, 2, 1},
      {"q", kScalar, R"("a\''b")", 2, 0, 1},
      {"n", kScalar, "1", 2, 0, 2}}},
    {"escaped backslash before the closing quote",
     R"({"p":"c:\\","n":2})",
     false,
     {{"JSON", kObject, R"({"p":"c:\\","n":2})", 1, 2, 1},
      {"p", kScalar, R"("c:\\")", 2, 0, 1},
      {"n", kScalar, "2", 2, 0, 2}}},
    {"number before a line break",
     "{\"n\": 5\n}",
     false,
     {{"JSON", kObject, "{\"n\": 5\n}", 1, 1, 1}, {"n", kScalar, "5\n", 2, 0, 1}}},
    {"blanks right inside quotes",
     R"({"s":"  padded  "})",
     false,
     {{"JSON", kObject, R"({"s":"  padded  "})", 1, 1, 1}, {"s", kScalar, R"("padded")", 2, 0, 1}}},
    {"brackets inside a string keep their blanks",
     R"({"t":"Song [Live]","u":"x [ y ] z"})",
     false,
     {{"JSON", kObject, R"({"t":"Song [Live]","u":"x [ y ] z"})", 1, 2, 1},
      {"t", kScalar, R"("Song [Live]")", 2, 0, 1},
      {"u", kScalar, R"("x [ y ] z")", 2, 0, 2}}},
    {"nested values are compacted",
     R"({"o": { "k" : [ 1 , 2 ] } })",
     false,
     {{"JSON", kObject, R"({"o": { "k" : [ 1 , 2 ] } })", 1, 1, 1},
      {"o", kObject, R"({"k":[ 1 , 2 ]})", 2, 1, 1},
      {"k", kArray, "[ 1 , 2 ]", 3, 2, 1},
      {"[1]", kScalar, "1", 4, 0, 1},
      {"[2]", kScalar, "2", 4, 0, 2}}},
    {"duplicate names",
     R"({"a":1,"a":2})",
     false,
     {{"JSON", kObject, R"({"a":1,"a":2})", 1, 2, 1}, {"a", kScalar, "1", 2, 0, 1}, {"a", kScalar, "2", 2, 0, 2}}},
    {"two objects in a row",
     R"({"a":1}{"b":2})",
     false,
     {{"JSON", kObject, R"({"a":1}{"b":2})", 1, 2, 1}, {"a", kScalar, "1", 2, 0, 1}, {"b", kScalar, "2", 2, 0, 2}}},
    {"text before the first brace",
     R"(x{"a":1})",
     false,
     {{"JSON", kObject, R"(x{"a":1})", 1, 1, 1}, {"a", kScalar, "1", 2, 0, 1}}},
    {"unclosed array ends the member list",
     R"({"a":1,"b":[2,"c":3})",
     false,
     {{"JSON", kObject, R"({"a":1,"b":[2,"c":3})", 1, 1, 1}, {"a", kScalar, "1", 2, 0, 1}}},
};

struct QueryCase {
    const char* label;
    std::string document;
    bool zeroBased;
    std::string path;
    std::string text;
    int count;
};

const std::vector<QueryCase> kQueryCases = {
    {"empty path", kWorkedExample, false, "", kWorkedExample, 2},
    {"object member", kWorkedExample, false, "a", R"({"b":[1,2]})", 1},
    {"array member", kWorkedExample, false, "a.b", "[1,2]", 2},
    {"element", kWorkedExample, false, "a.b.[2]", "2", 0},
    {"no element [0] when counting from 1", kWorkedExample, false, "a.b.[0]", "", 0},
    {"index with a leading zero", kWorkedExample, false, "a.b.[01]", "", 0},
    {"path through a scalar", kWorkedExample, false, "c.x", "", 0},
    {"leading full stop", kWorkedExample, false, ".a", "", 0},
    {"trailing full stop", kWorkedExample, false, "a.", "", 0},
    {"leading full stop reaches an empty name", R"({"":{"a":1}})", false, ".a", "1", 0},
    {"unclosed quoted segment names nothing", kWorkedExample, false, R"("a)", kWorkedExample, 2},
    {"first element counting from 1", "[10,20]", false, "[1]", "10", 0},
    {"[0] counting from 1", "[10,20]", false, "[0]", "", 0},
    {"first element counting from 0", "[10,20]", true, "[0]", "10", 0},
    {"[1] counting from 0", "[10,20]", true, "[1]", "20", 0},
    {"index after a name, counting from 0", R"({"a":[7,8]})", true, "a[1]", "8", 0},
    {"index after a name, counting from 1", R"({"a":[7,8]})", false, "a[1]", "", 0},
    {"quoted name with a full stop", R"({"a.b":{"c":7}})", false, R"("a.b".c)", "7", 0},
    {"apostrophe-quoted name", R"({"a.b":{"c":7}})", false, "''a.b''.c", "7", 0},
    {"quoted name alone", R"({"a.b":{"c":7}})", false, R"("a.b")", R"({"c":7})", 1},
    {"unquoted full stop splits", R"({"a.b":{"c":7}})", false, "a.b.c", "", 0},
    {"duplicate names give the first", R"({"a":1,"a":2})", false, "a", "1", 0},
    {"escaped quote keeps its backslash", R"({"q":"a\"b","n":1})", false, "q", R"(a\"b)", 0},
    {"member after an escaped quote", R"({"q":"a\"b","n":1})", false, "n", "1", 0},
    {"escaped backslash", R"({"p":"c:\\","n":2})", false, "p", R"(c:\\)", 0},
    {"other escapes stay as written", R"({"u":"\u4e2d\/"})", false, "u", R"(\u4e2d\/)", 0},
    {"object text with escaped quotes", R"({"o":{"q":"x\"y"}})", false, "o", R"({"q":"x\"y"})", 1},
    {"brackets in a string", R"({"t":"Song [Live]"})", false, "t", "Song [Live]", 0},
    {"blanks right inside quotes", R"({"s":"  padded  "})", false, "s", "padded", 0},
    {"number before a line break", "{\"n\": 5\n}", false, "n", "5\n", 0},
    {"literal", R"({"x":null})", false, "x", "null", 0},
    {"second of two objects", R"({"a":1}{"b":2})", false, "b", "2", 0},
    {"bare number", "42", false, "[1]", "42", 0},
    {"empty object", "{}", false, "", "{}", 0},
    {"empty path is compacted", R"({ "a" : [ 1 ] })", false, "", R"({"a":[ 1 ]})", 1},
};

template <typename Document>
class JsonEdgeCases : public ::testing::Test {};
TYPED_TEST_SUITE(JsonEdgeCases, JsonDocumentTypes);

TYPED_TEST(JsonEdgeCases, ParseGivesTheExpectedNodes) {
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE(c.label);
        TypeParam document;
        document.parse(c.text, c.zeroBased);
        EXPECT_EQ(rowsOf(document), c.nodes);
    }
}

TYPED_TEST(JsonEdgeCases, QueriesGiveTheExpectedTextAndCount) {
    for (const QueryCase& c : kQueryCases) {
        SCOPED_TRACE(std::string(c.label) + ": " + c.path);
        TypeParam document;
        document.parse(c.document, c.zeroBased);
        EXPECT_EQ(document.getText(c.path), c.text);
        EXPECT_EQ(document.count(c.path), c.count);
    }
}

TYPED_TEST(JsonEdgeCases, CountReportsTheNodeItFound) {
    TypeParam document;
    document.parse(kWorkedExample);
    int node = 0;
    EXPECT_EQ(document.count("a.b", node), 2);
    EXPECT_EQ(node, 3);
    node = 42;
    EXPECT_EQ(document.count("a.x", node), 0);
    EXPECT_EQ(node, 42);
    EXPECT_EQ(document.count("", node), 2);
    EXPECT_EQ(node, 42);
}

TYPED_TEST(JsonEdgeCases, StartNodeSkipsTheSegmentsLeadingToIt) {
    TypeParam document;
    document.parse(kWorkedExample);
    EXPECT_EQ(document.getText("a.b", 2), "[1,2]");
    EXPECT_EQ(document.getText("x.b.[1]", 2), "1");  // the first segment is not looked up
    EXPECT_EQ(document.getText("a", 2), "");         // nothing below the start node was named
}

// Queries in a row reuse the nodes of the path before: a quoted name holding a full stop, or a path whose
// segments lose white space, must not be taken for the plain path written with the same bytes.
TYPED_TEST(JsonEdgeCases, PathsInARowDoNotBorrowEachOthersNodes) {
    TypeParam document;
    document.parse(R"({"a":{"b":{"c":1},"b.c":5},"a.b":{"c":2},"x":[{"y":3},{"y":4}]})");
    const std::vector<std::pair<std::string, std::string>> asked = {
        {"a.b.c", "1"},          {R"("a.b".c)", "2"}, {"a.b.c", "1"},      {R"(a."b.c")", "5"}, {"a.b.c", "1"},
        {"a.b", R"({"c":1})"},   {"a. b .c", "1"},    {R"(a."b.c")", "5"}, {"a.b.c", "1"},      {"x.[1].y", "3"},
        {"x.[2].y", "4"},        {"x. [1] .y", "3"},  {"x.[2].y", "4"},    {"x.[2].z", ""},     {"x.[2].y", "4"},
        {"x.[2]", R"({"y":4})"}, {R"("a.b".c)", "2"}, {"a.b.c", "1"},
    };
    for (const auto& [path, text] : asked) EXPECT_EQ(document.getText(path), text) << path;
    int node = 0;
    EXPECT_EQ(document.count(R"("a.b")", node), 1);
    EXPECT_EQ(document.getText("a.b.c"), "1");
    EXPECT_EQ(document.count("a.b", node), 1);
    EXPECT_EQ(document.getText(R"("a.b".c)"), "2");
}

TYPED_TEST(JsonEdgeCases, DocumentNeverParsed) {
    TypeParam document;
    EXPECT_EQ(document.getText("a"), "");
    EXPECT_EQ(document.count("a"), 0);
    EXPECT_EQ(document.getText(""), "");
    EXPECT_EQ(document.count(""), -1);
}

TYPED_TEST(JsonEdgeCases, ParsingAgainReplacesTheTable) {
    TypeParam document;
    document.parse(kWorkedExample);
    document.parse("[1]");
    EXPECT_EQ(rowsOf(document),
              (std::vector<NodeRow>{{"JSON", kArray, "[1]", 1, 1, 1}, {"[1]", kScalar, "1", 2, 0, 1}}));
    EXPECT_EQ(document.getText("a"), "");
}

TYPED_TEST(JsonEdgeCases, PathOfLeadsBackToTheNode) {
    TypeParam document;
    document.parse(R"({"a.b":[{"c":1}],"":{"d":2}})");
    const std::vector<std::string> expected = {"", R"("a.b")", R"("a.b".[1])", R"("a.b".[1].c)", "", ".d"};
    for (int node = 1; node <= static_cast<int>(expected.size()); ++node) {
        EXPECT_EQ(document.pathOf(node), expected[static_cast<std::size_t>(node - 1)]) << "node " << node;
    }
    EXPECT_EQ(document.getText(document.pathOf(4)), "1");
    EXPECT_EQ(document.getText(document.pathOf(6)), "2");
}

TYPED_TEST(JsonEdgeCases, DeepNestingStopsSplittingBelowTheDepthLimit) {
    const std::string text = std::string(600, '[') + std::string(600, ']');
    TypeParam document;
    document.parse(text);
    const std::vector<NodeRow> rows = rowsOf(document);
    ASSERT_EQ(rows.size(), 513U);
    EXPECT_EQ(rows[511], (NodeRow{"[1]", kArray, text.substr(511, 178), 512, 1, 1}));
    EXPECT_EQ(rows[512], (NodeRow{"[1]", kScalar, text.substr(512, 176), 513, 0, 1}));
    EXPECT_EQ(tableMisfit(rows), "");
}

// Node table operations on hand-built tables.
template <typename Document>
class JsonNodeTableEdgeCases : public ::testing::Test {
protected:
    using Table = typename JsonImplementation<Document>::Table;
    static std::vector<NodeRow> rows(const Table& table) { return tableRows<Document>(table); }
};
TYPED_TEST_SUITE(JsonNodeTableEdgeCases, JsonDocumentTypes);

TYPED_TEST(JsonNodeTableEdgeCases, FindChildStaysInsideTheStartNode) {
    typename TestFixture::Table table;
    const int root = table.addNode(0, "JSON", kObject, "");
    const int a = table.addNode(root, "a", kObject, "");
    table.addNode(a, "x", kScalar, "deep");
    const int x = table.addNode(root, "x", kScalar, "top");
    const int second = table.addNode(0, "JSON", kObject, "");
    const int y = table.addNode(second, "y", kScalar, "");
    EXPECT_EQ(table.findChild(2, "x", root), x);
    EXPECT_EQ(table.findChild(2, "y", root), -1);  // stops at the second root-level node
    EXPECT_EQ(table.findChild(2, "y", second), y);
    EXPECT_EQ(table.findChild(1, "JSON", 0), root);
    EXPECT_EQ(tableMisfit(TestFixture::rows(table)), "");
}

TYPED_TEST(JsonNodeTableEdgeCases, ParentOfJumpsOverSiblingSubtrees) {
    typename TestFixture::Table table;
    const int root = table.addNode(0, "JSON", kObject, "");
    const int big = table.addNode(root, "big", kArray, "");
    int deepest = 0;
    for (int i = 0; i < 5; ++i) {
        const int element = table.addNode(big, "[" + std::to_string(i + 1) + "]", kObject, "");
        for (int j = 0; j < 3; ++j) deepest = table.addNode(element, "m", kScalar, "");
    }
    const int after = table.addNode(root, "after", kScalar, "");
    EXPECT_EQ(table.parentOf(after), root);
    EXPECT_EQ(table.parentOf(deepest), deepest - 3);
    EXPECT_EQ(table.parentOf(big + 1), big);
    EXPECT_EQ(table.parentOf(root), 0);
    EXPECT_EQ(table.parentOf(0), -1);
    EXPECT_EQ(table.parentOf(after + 1), -1);
    EXPECT_EQ(table.subtreeEnd(big), after);
    EXPECT_EQ(table.subtreeEnd(root), -1);
}

TYPED_TEST(JsonNodeTableEdgeCases, NoNodeGivesNeutralResults) {
    typename TestFixture::Table table;
    const int root = table.addNode(0, "JSON", kObject, "{}");
    const int scalar = table.addNode(root, "s", kScalar, "1");
    EXPECT_EQ(table.childCountOf(scalar), 0);
    for (const int none : {0, -1, scalar + 1}) {
        SCOPED_TRACE(none);
        EXPECT_EQ(table.childCountOf(none), -1);
        EXPECT_EQ(table.levelOf(none), -1);
        EXPECT_EQ(table.typeOf(none), -1);
        EXPECT_EQ(table.valueOf(none), "");
        EXPECT_EQ(table.nameOf(none), "");
        EXPECT_FALSE(table.hasChildren(none));
    }
}

TYPED_TEST(JsonNodeTableEdgeCases, AddNodeAtAChildPosition) {
    typename TestFixture::Table table;
    const int root = table.addNode(0, "JSON", kObject, "");
    for (const char* name : {"a", "b", "c"}) table.addNode(root, name, kScalar, "");
    EXPECT_EQ(table.addNode(root, "n", kScalar, "", 2), 3);
    EXPECT_EQ(table.addNode(root, "z", kScalar, "", 9), 6);  // no such position: last child
    const std::vector<NodeRow> rows = TestFixture::rows(table);
    std::vector<std::string> names;
    for (const NodeRow& row : rows) names.push_back(row.name);
    EXPECT_EQ(names, (std::vector<std::string>{"JSON", "a", "n", "b", "c", "z"}));
    EXPECT_EQ(table.childCountOf(root), 5);
    EXPECT_EQ(tableMisfit(rows), "");
}

TYPED_TEST(JsonNodeTableEdgeCases, LastChildOfAnEarlierParentIsInsertedInPlace) {
    typename TestFixture::Table table;
    const int root = table.addNode(0, "JSON", kObject, "");
    const int a = table.addNode(root, "a", kObject, "");
    table.addNode(a, "a1", kScalar, "");
    table.addNode(root, "b", kScalar, "");
    EXPECT_EQ(table.addNode(a, "a2", kScalar, ""), 4);
    EXPECT_EQ(table.nameOf(5), "b");
    EXPECT_EQ(tableMisfit(TestFixture::rows(table)), "");
}

}  // namespace
}  // namespace velomir::testing
