#include "bench/process_runner.h"

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace velomir::bench {

namespace {

// Starts the program with its standard output on a pipe; the pipe's reading end goes to `out`.
pid_t spawnReading(const std::vector<std::string>& arguments, int& out) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    out = pipeEnds[0];
    return pid;
}

}  // namespace

std::int64_t monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

ProcessOutcome runProcess(const std::vector<std::string>& arguments, bool keepOutput) {
    ProcessOutcome outcome;
    outcome.startedNs = monotonicNanoseconds();
    int out = -1;
    const pid_t pid = spawnReading(arguments, out);
    if (pid < 0) {
        if (out >= 0) close(out);
        return outcome;
    }
    char buffer[4096];
    for (ssize_t got; (got = read(out, buffer, sizeof buffer)) > 0;) {
        if (keepOutput) outcome.output.append(buffer, static_cast<std::size_t>(got));
    }
    close(out);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
    outcome.wallMs = static_cast<double>(monotonicNanoseconds() - outcome.startedNs) / 1e6;
    outcome.peakKib = usage.ru_maxrss;
    return outcome;
}

StubProcess::StubProcess(const std::string& command, const std::vector<std::string>& arguments) {
    int out = -1;
    std::vector<std::string> commandLine{command};
    commandLine.insert(commandLine.end(), arguments.begin(), arguments.end());
    pid_ = spawnReading(commandLine, out);
    if (pid_ < 0) return;
    FILE* stream = fdopen(out, "r");
    char line[256] = {};
    // Ready once it names its port: "listening on 127.0.0.1:PORT".
    if (stream != nullptr && std::fgets(line, sizeof line, stream) != nullptr) {
        if (const char* colon = std::strrchr(line, ':')) port_ = std::atoi(colon + 1);
    }
    if (stream != nullptr) std::fclose(stream);
}

StubProcess::~StubProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

}  // namespace velomir::bench
