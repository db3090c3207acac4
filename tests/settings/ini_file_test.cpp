// Our INI reader and writer: how keys are found, and that a write keeps every other line and replaces the file whole.
#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings_test_support.h"

namespace velomir::testing {
namespace {

namespace fs = std::filesystem;

class IniFileTest : public ::testing::Test {
protected:
    std::string fileWith(const std::string& text) {
        const std::string path = folder_.filePath("s" + std::to_string(++files_) + ".ini");
        writeFile(path, text);
        return path;
    }
    // Everything in the folder whose name holds ".tmp".
    std::vector<std::string> temporaries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_.path())) {
            const std::string name = entry.path().filename().string();
            if (name.find(".tmp") != std::string::npos) names.push_back(name);
        }
        return names;
    }

    ScratchFolder folder_;
    int files_ = 0;
};

// How the Windows profile service reads a key: names without regard to case, blanks and quotes trimmed.
TEST_F(IniFileTest, ReadsAsTheProfileServiceDoes) {
    struct Case {
        const char* text;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"[song]\nmax=30\n", "max", "30"},
        {"[SONG]\nMax=30\n", "mAX", "30"},
        {"  [ song ]  \r\n  max =  30 \t\r\n", "max", "30"},
        {"[song]\nmax=\" 30 \"\n", "max", " 30 "},
        {"[WIN]\nmax=30\n[song]\nup=1\n", "max", "<none>"},
        {"[song]\nmax=1\n[song]\nmax=2\n", "max", "1"},
        {"[song]\n;max=1\n", "max", "<none>"},
        {"[song]\nmax=a=b\n", "max", "a=b"},
        {"\xEF\xBB\xBF[song]\nmax=7\n", "max", "7"},
        {"[song]\npic=\xD5\xE6\n", "pic", "\xD5\xE6"},
        {"[song]\r\r\nmax=5\r\r\n", "max", "5"},  // a twice-converted file's CR CR LF
    };
    for (const Case& c : cases) {
        const IniFile file(fileWith(c.text));
        EXPECT_EQ(file.read("song", c.key, "<none>"), c.expected) << c.text;
    }
    EXPECT_EQ(IniFile(folder_.filePath("missing.ini")).read("song", "max", "100"), "100");
}

TEST_F(IniFileTest, WriteKeepsEveryOtherLine) {
    const std::string path = fileWith("; kept\r\n[song]\r\nmax=5\r\n\r\n[WIN]\r\nkd=800\r\n");
    IniFile file(path);
    EXPECT_TRUE(file.write("SONG", "MAX", "6"));
    EXPECT_TRUE(file.write("song", "pic", "真"));
    EXPECT_TRUE(file.write("extra", "a", "1"));
    EXPECT_EQ(readFile(path), "; kept\r\n[song]\r\nMAX=6\r\npic=真\r\n\r\n[WIN]\r\nkd=800\r\n[extra]\r\na=1\r\n");
    const std::string created = folder_.filePath("new/sub/velomir.ini");
    EXPECT_TRUE(IniFile(created).write("song", "up", "1"));
    EXPECT_EQ(readFile(created), "[song]\nup=1\n");
}

// A second name of the old file still holds all of the old text: the file was replaced, never rewritten in place.
TEST_F(IniFileTest, WriteReplacesTheFileWhole) {
    const std::string path = fileWith("[song]\nmax=5\n");
    const std::string oldName = path + ".old";
    ASSERT_EQ(::link(path.c_str(), oldName.c_str()), 0);
    EXPECT_TRUE(IniFile(path).write("song", "max", "123456"));
    EXPECT_EQ(readFile(oldName), "[song]\nmax=5\n");
    EXPECT_EQ(readFile(path), "[song]\nmax=123456\n");
    EXPECT_TRUE(temporaries().empty());
}

// Carriage returns ending the last line belong to no line: kept, the write would make one of them a CR LF and the
// next write would switch every line end.
TEST_F(IniFileTest, WriteTwiceChangesNothing) {
    const std::string path = fileWith("[WIN]\nkd=800\n; last\r\r");
    IniFile file(path);
    EXPECT_TRUE(file.write("song", "max", "6"));
    const std::string once = readFile(path);
    EXPECT_EQ(once, "[WIN]\nkd=800\n; last\n[song]\nmax=6\n");
    EXPECT_TRUE(file.write("song", "max", "6"));
    EXPECT_EQ(readFile(path), once);
}

TEST_F(IniFileTest, WriteFailureLeavesNothingBehind) {
    const std::string path = folder_.filePath("velomir.ini");
    fs::create_directories(path);  // a folder where the file should be: the replacement cannot happen
    EXPECT_FALSE(IniFile(path).write("song", "max", "1"));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_.path())) names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"velomir.ini"});
    EXPECT_TRUE(fs::is_directory(path));
}

}  // namespace
}  // namespace velomir::testing
