// Settings that survive a kill: a process saving options and geometry as fast as it can is killed at random
// moments; the file is always whole afterwards, and the temporaries that killed saves leave do not pile up.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "settings/ini_file.h"
#include "settings/settings_store.h"
#include "settings_test_support.h"

namespace velomir::testing {
namespace {

constexpr char kOtherSection[] = "[other]\nkeep=this line\n\n";

std::vector<std::string> temporariesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("velomir.ini.tmp-")) names.push_back(name);
    }
    return names;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += name + ' ';
    return text;
}

// A forked process that saves options and geometry in turn without end, writing a line to a pipe after each save.
class Saver {
public:
    explicit Saver(const std::string& path) {
        int ends[2];
        if (::pipe(ends) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ends[0]);
            SettingsStore store(path);
            for (int i = 1;; ++i) {
                store.saveOptions({i % 500 + 1, i % 2 == 0, i % 3 == 0});
                store.saveWindow({0, 400 + i % 300, 300 + i % 200, i % 50, i % 40});
                if (::write(ends[1], "\n", 1) != 1) ::_exit(1);
            }
        }
        ::close(ends[1]);
        lines_ = ends[0];
    }
    ~Saver() {
        if (running()) kill();
        if (lines_ >= 0) ::close(lines_);
    }
    Saver(const Saver&) = delete;
    Saver& operator=(const Saver&) = delete;

    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0 && !reaped_ && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

    // Blocks until `count` saves have finished; false when the process ended first.
    bool waitForSaves(int count) {
        char buffer[256];
        while (seen_ < count) {
            const ssize_t got = ::read(lines_, buffer, sizeof buffer);
            if (got <= 0) return false;
            seen_ += static_cast<int>(std::count(buffer, buffer + got, '\n'));
        }
        return true;
    }

    // Kills the process and reaps it, so that its process ID names no live process any more.
    bool kill() {
        if (::kill(pid_, SIGKILL) != 0) return false;
        reaped_ = ::waitpid(pid_, nullptr, 0) == pid_;
        return reaped_;
    }

private:
    pid_t pid_ = -1;
    int lines_ = -1;
    int seen_ = 0;
    bool reaped_ = false;
};

TEST(SettingsKill, KilledSavesLeaveAWholeFileAndNoLitter) {
    ScratchFolder folder;
    const std::string path = folder.filePath("velomir.ini");
    writeFile(path, std::string(kOtherSection) + "[song]\nup=1\n");
    // To the saving processes, this one is another program saving right now: its temporary must stay.
    const std::string liveName = "velomir.ini.tmp-" + std::to_string(::getpid()) + "-live";
    writeFile(folder.filePath(liveName), "[song]\n");
    std::mt19937 random(std::random_device{}());
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        Saver saver(path);
        ASSERT_GT(saver.pid(), 0);
        // Kill after a random number of finished saves, somewhere inside the next one.
        ASSERT_TRUE(saver.waitForSaves(std::uniform_int_distribution<int>(1, 39)(random)));
        ASSERT_TRUE(saver.running());
        ASSERT_TRUE(saver.kill());
        // What a save killed between writing and renaming leaves, whether or not this kill hit that moment.
        writeFile(path + ".tmp-" + std::to_string(saver.pid()) + "-left", "[so");

        const IniFile ini(path);
        EXPECT_EQ(ini.read("other", "keep"), "this line");
        EXPECT_EQ(ini.read("song", "up"), "1");
        for (const char* key : {"max", "pic", "sou"}) EXPECT_FALSE(ini.read("song", key).empty()) << key;
        for (const char* key : {"wz", "kd", "gd", "zb", "db"}) EXPECT_FALSE(ini.read("WIN", key).empty()) << key;
        // Each save clears what killed saves left: at most this round's remain, beside the live one.
        const std::vector<std::string> left = temporariesIn(folder.path());
        EXPECT_NE(std::find(left.begin(), left.end(), liveName), left.end()) << joined(left);
        EXPECT_LE(left.size(), 3u) << joined(left);
    }
    // A save of this process clears the rest, its own included: none of its saves is still under way.
    SettingsStore(path).saveOptions({100, true, true});
    EXPECT_TRUE(temporariesIn(folder.path()).empty()) << joined(temporariesIn(folder.path()));
}

}  // namespace
}  // namespace velomir::testing
