// velomir-cli as a child process, the way a user or a script runs it, and what the tests watch it by.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace velomir {

struct Outcome {
    int status = -1;  // the exit code; 128 + the signal when one ended it
    std::string out;
    std::string err;
};

// Through the shell: `arguments` is shell text; `environment` holds assignments put before the command, such as
// "NAME=value ".
Outcome runCli(const std::string& arguments, const std::string& environment = "");

// Without a shell: every argument reaches the program as it is.
Outcome runCliArguments(const std::vector<std::string>& arguments);

// Started and left running, stdout and stderr into the given descriptors (-1: nowhere).
pid_t startCli(const std::vector<std::string>& arguments, int outFd, int errFd);

// Started on a new terminal (stdout and stderr both), read until it ends.
Outcome runCliOnTerminal(const std::vector<std::string>& arguments);

// Reaps the child: its exit code, or 128 + the signal that ended it.
int waitForExit(pid_t pid);

std::string fileBytes(const std::filesystem::path& path);
// Everything in an open file, from its start.
std::string readFromStart(FILE* file);

int countOf(const std::string& text, const std::string& part);

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The changes inside one folder, as the kernel reports them (files made, written, closed, renamed, removed): the
// events a test waits for instead of a time.
class FolderWatch {
public:
    explicit FolderWatch(const std::filesystem::path& folder);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Waits until `count` events have come, or the process `pid` has ended; the number of events seen.
    long waitForEvents(long count, pid_t pid);
    // Waits until data is written to a file whose name holds `part` and ends with `suffix`; false when `pid` ends
    // first.
    bool waitForWrite(const std::string& part, const std::string& suffix, pid_t pid);
    // Forgets the events that have come so far.
    void drain();

private:
    struct Event {
        std::uint32_t mask;
        std::string name;
    };
    // What has come; blocks until something does or, with a `pidFd`, the process ends (then nothing, `ended` set).
    std::vector<Event> next(int pidFd, bool& ended);
    int fd_ = -1;
};

}  // namespace velomir
