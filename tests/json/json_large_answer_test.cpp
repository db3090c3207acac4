// Answers of several megabytes: too big for the reference, but they take the paths a small text never reaches
// (a loaded buffer mapped on its own, the root value rebuilt from the edits of load or kept whole, long child
// lists). Checked against what the text says and against the reference's compact.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "json/json_document.h"
#include "json/json_test_support.h"
#include "json/oracle/oracle_json_text_scanner.h"

namespace velomir::testing {
namespace {

constexpr int kTracks = 4000;

// indent < 0: compact as the service sends it; else line breaks and that many spaces before every member.
std::string track(int i, int indent) {
    const bool pretty = indent >= 0;
    const std::string gap = pretty ? "\r\n" + std::string(static_cast<std::size_t>(indent), ' ') : "";
    const std::string colon = pretty ? " : " : ":";
    return "{" + gap + "\"name\"" + colon + "\"Song [Live] \\\"" + std::to_string(i) + "\\\" \\u2026\"," + gap +
           "\"id\"" + colon + std::to_string(29814898 + i) + "," + gap + "\"artists\"" + colon +
           "[{\"name\":\"林俊杰\",\"id\":3684},{\"name\":\"a\\\\\",\"id\":" + std::to_string(i) + "}]," + gap +
           "\"album\"" + colon + "{\"name\":\" 新地球 \",\"picId\":109951163400737238,\"pad\":\"" +
           std::string(900, 'x') + "\"}," + gap + "\"mp3Url\"" + colon + "null}";
}

std::string answer(int indent) {
    std::string text = "{\"result\":{\"tracks\":[";
    for (int i = 1; i <= kTracks; ++i) {
        if (i > 1) text += indent >= 0 ? ",\n    " : ",";
        text += track(i, indent);
    }
    return text + "]},\"code\":200}";
}

// Compact; a few blanks (the root value is rebuilt from the edits of load); many (it is kept whole).
class JsonLargeAnswer : public ::testing::TestWithParam<int> {};

TEST_P(JsonLargeAnswer, ReadsLikeTheText) {
    const std::string text = answer(GetParam());
    ASSERT_GT(text.size(), 4u << 20);
    JsonDocument document;
    document.parse(text);
    const JsonNodeTable table = document.nodeTable();
    EXPECT_EQ(table.valueOf(1), text);  // the root keeps the text exactly as given
    EXPECT_EQ(document.getText(""), oracle::JsonTextScanner().compact(text));
    EXPECT_EQ(document.count("result.tracks"), kTracks);
    EXPECT_EQ(document.getText("result.tracks.[4000].name"), "Song [Live] \\\"4000\\\" \\u2026");
    EXPECT_EQ(document.getText("result.tracks.[17].artists.[2].name"), "a\\\\");
    EXPECT_EQ(document.getText("result.tracks.[17].artists.[2].id"), "17");
    EXPECT_EQ(document.getText("result.tracks.[3999].album.name"), "新地球");
    EXPECT_EQ(document.getText("result.tracks.[1].mp3Url"), "null");
    EXPECT_EQ(document.count("result.tracks.[4001]"), 0);
    EXPECT_EQ(document.getText("result.tracks.[0].id"), "");
    std::vector<JsonNode> nodes;
    table.exportNodes(nodes);
    std::vector<NodeRow> rows;
    for (const JsonNode& node : nodes) {
        rows.push_back({node.name, node.type, node.value, node.level, node.childCount, node.ordinal});
    }
    EXPECT_EQ(tableMisfit(rows), "");
}

INSTANTIATE_TEST_SUITE_P(Indents, JsonLargeAnswer, ::testing::Values(-1, 6, 200));

// Giving the answer's memory back once it is loaded changes nothing the document says.
TEST(JsonLargeAnswerRelease, ReadsAsParseDoesAndEmptiesTheText) {
    for (const int indent : {-1, 6}) {
        std::string text = answer(indent);
        JsonDocument kept;
        kept.parse(text);
        JsonDocument released;
        released.parseAndRelease(text);
        EXPECT_TRUE(text.empty());
        EXPECT_EQ(text.capacity(), std::string().capacity());
        EXPECT_EQ(released.getText(""), kept.getText(""));
        EXPECT_EQ(released.count("result.tracks"), kTracks);
        EXPECT_EQ(released.getText("result.tracks.[4000].name"), kept.getText("result.tracks.[4000].name"));
    }
}

// One huge value is one node, read back whole.
TEST(JsonLargeAnswerRelease, OneHugeValueIsOneNode) {
    const std::string text = R"({"name":")" + std::string(8 << 20, 'x') + R"("})";
    JsonDocument document;
    document.parse(text);
    EXPECT_EQ(document.nodes().nodeCount(), 2);
    EXPECT_EQ(document.getText("name").size(), std::size_t{8} << 20);
}

}  // namespace
}  // namespace velomir::testing
