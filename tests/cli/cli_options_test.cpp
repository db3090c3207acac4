#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace velomir {
namespace {

CliParse parse(std::vector<std::string> arguments) { return parseCliArguments(arguments); }

TEST(CliOptions, ReadsEveryOptionAndJoinsTheText) {
    const CliParse p = parse({"--search", "--max", "7", "--no-auto-search", "--format", "m3u", "--service-address",
                              "127.0.0.1:8080", "love", "song"});
    ASSERT_EQ(p.error, "");
    EXPECT_TRUE(p.options.searchMode);
    EXPECT_EQ(p.options.analysis.maxCount, 7);
    EXPECT_FALSE(p.options.analysis.jumpToSearch);
    EXPECT_TRUE(p.options.formatGiven);
    EXPECT_EQ(p.options.format, OutputFormat::M3u);
    EXPECT_EQ(p.options.serviceAddress, "127.0.0.1:8080");
    EXPECT_EQ(p.options.text, "love song");
    EXPECT_FALSE(p.options.resolve);
    EXPECT_TRUE(parse({"--resolve", "x"}).options.resolve);
    EXPECT_EQ(parse({"--format", "lrc", "x"}).options.format, OutputFormat::Lrc);
    // After "--" everything is text, also what looks like an option; so is the search marker in any case.
    EXPECT_EQ(parse({"--", "--s--love"}).options.text, "--s--love");
    EXPECT_EQ(parse({"--S--成都", "--max", "3"}).options.text, "--S--成都");
    EXPECT_EQ(parse({"--s--"}).error, "");
    EXPECT_TRUE(parse({"--help"}).options.help);
    EXPECT_TRUE(parse({"--version"}).options.version);
}

TEST(CliOptions, WrongUsageIsReported) {
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"--max", "0", "x"},
        {"--max", "abc", "x"},
        {"--max"},
        {"--format", "xml", "x"},
        {"--format", "LRC", "x"},
        {"--service-address", "nohost", "x"},
        {"--service-address", "h:99999", "x"},
        {"--frobnicate", "x"},
    };
    for (const auto& arguments : wrong) {
        EXPECT_NE(parse(arguments).error, "") << (arguments.empty() ? "(none)" : arguments[0]);
    }
}

}  // namespace
}  // namespace velomir

namespace velomir {
namespace {

TEST(CliOptions, DownloadOptionsAreReadWithTheirDefaults) {
    const CliParse all = parseCliArguments(
        {"--download", "out dir", "--jobs", "8", "--name-format", "{index}. {name}", "--lyrics", "x"});
    ASSERT_EQ(all.error, "");
    EXPECT_EQ(all.options.downloadFolder, "out dir");
    EXPECT_EQ(all.options.jobs, 8);
    EXPECT_EQ(all.options.nameTemplate, "{index}. {name}");
    EXPECT_TRUE(all.options.lyrics);
    EXPECT_EQ(all.options.text, "x");

    const CliParse plain = parseCliArguments({"x", "--download", "d"});
    ASSERT_EQ(plain.error, "");
    EXPECT_EQ(plain.options.jobs, 4);
    EXPECT_EQ(plain.options.nameTemplate, kDefaultNameTemplate);
    EXPECT_FALSE(plain.options.lyrics);
    EXPECT_TRUE(parseCliArguments({"x"}).options.downloadFolder.empty());
    EXPECT_EQ(parseCliArguments({"--download", "d", "--jobs", "1", "x"}).options.jobs, 1);
}

TEST(CliOptions, DownloadOptionsOutOfRangeOrWithoutAFolderAreWrongUsage) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--jobs", "4", "x"},
        {"--lyrics", "x"},
        {"--name-format", "{name}", "x"},
        {"x", "--lyrics", "--download"},
        {"--download", "", "x"},
        {"--download", "d", "--jobs", "0", "x"},
        {"--download", "d", "--jobs", "9", "x"},
        {"--download", "d", "--jobs", "2x", "x"},
        {"--download", "d", "--jobs", "-1", "x"},
        {"--download", "d", "--name-format", "{title}", "x"},
        {"--download", "d", "--name-format", "{name", "x"},
        {"--download", "d", "--name-format", "  ", "x"},
        {"--download", "d"},
    };
    for (const auto& arguments : wrong) {
        std::string shown;
        for (const std::string& argument : arguments) shown += "'" + argument + "' ";
        EXPECT_NE(parseCliArguments(arguments).error, "") << shown;
    }
    EXPECT_EQ(parseCliArguments({"--lyrics", "x"}).error, "--lyrics works only with --download DIR");
}

}  // namespace
}  // namespace velomir
