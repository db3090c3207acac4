// velomir-cli as a user runs it, against the stand-in service on loopback.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "stub_service.h"

namespace velomir {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
};

Outcome runCli(const std::string& arguments) {
    Outcome outcome;
    FILE* pipe = popen((std::string(VELOMIR_CLI_COMMAND) + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (!pipe) return outcome;
    std::array<char, 4096> buffer{};
    while (const std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) outcome.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

class CliEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const int port = stub_.start();
        ASSERT_GT(port, 0);
        address_ = "--service-address 127.0.0.1:" + std::to_string(port) + " ";
    }
    void TearDown() override { stub_.stop(); }

    StubService stub_{StubOptions{}};
    std::string address_;
};

constexpr const char* kPlaylist = "'http://music.163.com/#/playlist?id=2330887406'";

TEST_F(CliEndToEnd, TablePrintsLabelCountAndTheRows) {
    const Outcome outcome = runCli(address_ + "--format table " + kPlaylist);
    ASSERT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out.rfind("[歌单]http://music.163.com/#/playlist?id=2330887406\n{25}\n", 0), 0u);
    EXPECT_NE(outcome.out.find("Song [Live]"), std::string::npos);
    EXPECT_NE(outcome.out.find("\n25  "), std::string::npos);
}

TEST_F(CliEndToEnd, JsonCarriesEveryFieldOfEveryRow) {
    const Outcome outcome = runCli(address_ + "--format json " + kPlaylist);
    ASSERT_EQ(outcome.status, 0);
    const auto json = nlohmann::json::parse(outcome.out);
    EXPECT_EQ(json["count"], 25);
    EXPECT_EQ(json["kind"], 0);
    ASSERT_EQ(json["rows"].size(), 25u);
    EXPECT_EQ(json["rows"][0].size(), 16u);
    EXPECT_EQ(json["rows"][1]["artistNames"], "A/B");
    EXPECT_EQ(json["rows"][3]["trackName"], "Say \"Hello\"");
}

TEST_F(CliEndToEnd, M3uListsAResolvedAddressForEveryTrack) {
    const Outcome outcome = runCli(address_ + "--format m3u " + kPlaylist);
    ASSERT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out.rfind("#EXTM3U\n", 0), 0u);
    std::size_t entries = 0;
    for (std::size_t at = outcome.out.find("#EXTINF:-1,"); at != std::string::npos;
         at = outcome.out.find("#EXTINF:-1,", at + 1)) {
        const std::size_t lineEnd = outcome.out.find('\n', at);
        EXPECT_EQ(outcome.out.compare(lineEnd + 1, 7, "http://"), 0);
        ++entries;
    }
    EXPECT_EQ(entries, 25u);
}

TEST_F(CliEndToEnd, NoRowsIsStillASuccessAndBadUsageIsTwo) {
    const Outcome empty = runCli(address_ + "--format tsv --no-auto-search 'nothing here'");
    EXPECT_EQ(empty.status, 0);
    EXPECT_NE(empty.out.find("\t{0}\n"), std::string::npos);
    EXPECT_EQ(runCli("--max 0 x").status, 2);
    EXPECT_EQ(runCli("").status, 2);
    EXPECT_EQ(runCli("--help").status, 0);
}

}  // namespace
}  // namespace velomir
