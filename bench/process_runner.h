// Child processes for the end-to-end benchmark: run one and collect its output, time and peak memory; keep the
// stand-in service running in a process of its own so that its memory is not counted as ours.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace velomir::bench {

// CLOCK_MONOTONIC, the same in every process of the machine.
std::int64_t monotonicNanoseconds();

struct ProcessOutcome {
    int status = -1;             // exit status; -1 when it could not start or did not exit
    std::string output;          // its standard output
    long peakKib = 0;            // its peak resident set
    double wallMs = 0;           // start to exit
    std::int64_t startedNs = 0;  // monotonic clock just before it was started
};

// Runs the program (arguments[0], looked up in PATH when it has no slash) to its end. Output that is not kept goes
// to /dev/null: held here it would raise this process's peak, which a child started later reports as its own.
ProcessOutcome runProcess(const std::vector<std::string>& arguments, bool keepOutput = true);

// velomir-stub-service on a free loopback port, stopped with SIGTERM when this goes.
class StubProcess {
public:
    // The stand-in service started as `command`, with `arguments` after it.
    explicit StubProcess(const std::string& command, const std::vector<std::string>& arguments = {});
    ~StubProcess();
    StubProcess(const StubProcess&) = delete;
    StubProcess& operator=(const StubProcess&) = delete;

    int port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = -1;
};

}  // namespace velomir::bench
