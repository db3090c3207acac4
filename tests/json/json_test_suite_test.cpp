// Every file of the public JSON parsing suite (valid, invalid and implementation-defined texts) must parse and
// answer queries without crashing or hanging, and leave a well-formed node table.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "json/json_test_support.h"

namespace velomir::testing {
namespace {

std::vector<std::filesystem::path> suiteFiles() {
    std::vector<std::filesystem::path> files;
    const std::filesystem::path folder = std::filesystem::path(VELOMIR_CORPUS_DIR) / "json-test-suite" / "test_parsing";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

template <typename Document>
class JsonTestSuite : public ::testing::Test {};
TYPED_TEST_SUITE(JsonTestSuite, JsonDocumentTypes);

TYPED_TEST(JsonTestSuite, EveryFileParsesAndAnswersQueries) {
    const std::vector<std::filesystem::path> files = suiteFiles();
    ASSERT_GT(files.size(), 300U);
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string text = readBytes(file);
        TypeParam document;
        document.parse(text);
        const std::vector<NodeRow> rows = rowsOf(document);
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows.front().value, text);
        EXPECT_EQ(tableMisfit(rows), "");
        EXPECT_EQ(document.count(""), rows.front().childCount);
        document.getText("");
        document.getText("[1]");
        document.count("[1]");
        // The first member or element is found again by its own path (an empty name has the root's path).
        if (rows.size() > 1 && !rows[1].name.empty()) {
            int node = 0;
            EXPECT_EQ(document.count(document.pathOf(2), node), rows[1].childCount);
            EXPECT_EQ(node, 2);
            document.getText(document.pathOf(2));
        }
    }
}

}  // namespace
}  // namespace velomir::testing
