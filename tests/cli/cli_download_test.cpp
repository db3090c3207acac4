// The pieces of velomir-cli --download that need no service: which rows are saved, the progress line, the
// closing account, the exit status and the stop signals.
#include "cli/cli_download.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <sstream>

#include "cli/row_printer.h"
#include "cli/stop_signals.h"
#include "cli/terminal_progress.h"

namespace velomir {
namespace {

ResultRow track(const std::string& id, const std::string& address = "") {
    ResultRow row;
    row.trackId = id;
    row.trackName = "Song " + id;
    row.audioAddress = address;
    return row;
}

ResultRow programme(const std::string& id, const std::string& address) {
    ResultRow row;
    row.programmeId = id;
    row.programmeName = "Programme " + id;
    row.audioAddress = address;
    return row;
}

TEST(CliDownload, TracksAndProgrammesWithAudioAreSavedWithTheirListPlace) {
    const std::vector<ResultRow> rows = {
        programme("1", ""),
        track("2"),  // no address: the engine asks for the outer one
        programme("3", "http://m.example/3.mp3"),
        programme("4", "http://m.example/0.mp3"),
        track("5", "http://m.example/0.mp3"),
    };
    const std::vector<DownloadItem> items = downloadItems(rows);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].position, 2);
    EXPECT_EQ(items[0].row.trackId, "2");
    EXPECT_EQ(items[1].position, 3);
    EXPECT_EQ(items[1].row.programmeId, "3");
    EXPECT_EQ(items[2].position, 5);
    EXPECT_TRUE(downloadItems({}).empty());
}

DownloadResult result(int position, const std::string& title, DownloadOutcome outcome, const std::string& reason) {
    DownloadResult result;
    result.position = position;
    result.title = title;
    result.outcome = outcome;
    result.reason = reason;
    return result;
}

TEST(CliDownload, SummaryCountsThenNamesEveryTrackNotSaved) {
    DownloadReport report;
    report.results = {result(1, "A", DownloadOutcome::Saved, ""),
                      result(2, "B\x1b[2J", DownloadOutcome::Unavailable, "not audio"),
                      result(3, "C", DownloadOutcome::AlreadyThere, ""),
                      result(7, "D\nE", DownloadOutcome::Failed, "HTTP 500 after 5 tries")};
    report.saved = 1;
    report.alreadyThere = 1;
    report.unavailable = 1;
    report.failed = 1;
    EXPECT_EQ(downloadSummary(report, 4),
              "saved 1, already there 1, unavailable 1, failed 1\n"
              "#2 B [2J: not audio\n"
              "#7 D E: HTTP 500 after 5 tries\n");

    DownloadReport stopped;
    stopped.stopped = true;
    stopped.results = {result(1, "A", DownloadOutcome::Saved, "")};
    stopped.saved = 1;
    EXPECT_EQ(downloadSummary(stopped, 20),
              "saved 1, already there 0, unavailable 0, failed 0\n"
              "stopped with 19 tracks unfinished; a run into the same folder resumes them\n");
}

// A signal that comes after the last track changes nothing; a stop without one is still no success.
TEST(CliDownload, ExitStatusAfterAStopDependsOnTheSignal) {
    DownloadReport whole;
    whole.saved = 3;
    EXPECT_EQ(downloadExitStatus(whole, SIGINT, 0), 0);
    EXPECT_EQ(downloadExitStatus(whole, 0, 1), 1) << "a list that ended short stays a failure";
    DownloadReport stopped = whole;
    stopped.stopped = true;
    EXPECT_EQ(downloadExitStatus(stopped, 0, 0), 1);
    DownloadReport fault = whole;
    fault.stopMessage = "the disk is full";
    EXPECT_EQ(downloadExitStatus(fault, 0, 0), 1);
}

TEST(CliProgress, LineShowsCountBytesSpeedTimeLeftAndTrack) {
    DownloadProgress progress;
    progress.total = 200;
    progress.finished = 37;
    progress.bytesReceived = 12 * 1024 * 1024 + 300 * 1024;
    progress.bytesPerSecond = 1.5 * 1024 * 1024;
    progress.secondsLeft = 42;
    progress.current = "Adele - Say \"Hello\"";
    EXPECT_EQ(progressLine(progress, 120), "37/200  12.3 MiB  1.5 MiB/s  0:42 left  Adele - Say \"Hello\"");

    DownloadProgress start;
    start.total = 5;
    EXPECT_EQ(progressLine(start, 120), "0/5  0 B") << "speed and time left only once known";

    EXPECT_EQ(byteCountText(1023), "1023 B");
    EXPECT_EQ(byteCountText(1024), "1 KiB");
    EXPECT_EQ(byteCountText(3LL * 1024 * 1024 * 1024), "3.00 GiB");
    EXPECT_EQ(durationText(59), "0:59");
    EXPECT_EQ(durationText(3725), "1:02:05");
    EXPECT_EQ(durationText(-1), "");
}

TEST(CliProgress, LineNeverWrapsNorCarriesControlCharacters) {
    DownloadProgress progress;
    progress.total = 9;
    progress.finished = 1;
    progress.current =
        "\x1b]0;title\x07"
        "周杰伦 - 晴天晴天晴天 \xC2\x9B"
        "31m";
    const std::string wide = progressLine(progress, 200);
    EXPECT_EQ(wide.find_first_of("\x1b\x07"), std::string::npos) << wide;
    EXPECT_EQ(wide.find("\xC2\x9B"), std::string::npos) << wide;
    EXPECT_NE(wide.find("周杰伦 - 晴天晴天晴天"), std::string::npos) << wide;

    for (int columns = 1; columns <= 40; ++columns) {
        const std::string line = progressLine(progress, columns);
        EXPECT_LE(displayWidth(line), columns - 1) << columns;
        EXPECT_EQ(wide.compare(0, line.size(), line), 0) << "a start of the whole line: " << columns;
        // Cut between characters: the next byte starts one.
        if (line.size() < wide.size()) {
            EXPECT_NE(static_cast<unsigned char>(wide[line.size()]) & 0xC0, 0x80) << columns;
        }
    }
}

int twentyColumns() { return 20; }

TEST(CliProgress, TerminalLineIsRewrittenInPlaceAndClearedAtTheEnd) {
    std::ostringstream out;
    TerminalProgress progress(out, twentyColumns);
    DownloadProgress step;
    step.total = 3;
    step.current = "a very long name that does not fit";
    progress.progressed(step);
    step.finished = 1;
    progress.progressed(step);
    progress.clear();
    EXPECT_EQ(out.str(),
              "\r0/3  0 B  a very lo\x1b[K"
              "\r1/3  0 B  a very lo\x1b[K"
              "\r\x1b[K");
}

// In a child of its own: the handlers stay there.
TEST(CliSignals, FirstSignalSetsTheFlagAndTheSecondEndsTheProcess) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        static StopFlag stop{false};
        catchStopSignals(stop);
        if (caughtStopSignal() != 0 || stop.load()) _exit(3);
        raise(SIGTERM);
        if (!stop.load() || caughtStopSignal() != SIGTERM) _exit(4);
        raise(SIGINT);
        _exit(5);  // still alive: the second signal was caught as well
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit code " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGINT);
}

}  // namespace
}  // namespace velomir
