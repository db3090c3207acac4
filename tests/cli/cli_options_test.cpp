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
