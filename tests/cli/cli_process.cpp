#include "cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

extern char** environ;

namespace velomir {

namespace {

std::string readAll(FILE* file) {
    std::string text;
    std::array<char, 4096> buffer{};
    while (const std::size_t n = fread(buffer.data(), 1, buffer.size(), file)) text.append(buffer.data(), n);
    return text;
}

std::vector<char*> argumentVector(std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return argv;
}

// A descriptor that becomes readable when the process ends. (The C library's own wrapper is not declared for C++
// in every version.)
int processDescriptor(pid_t pid) {
    const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) throw std::runtime_error("pidfd_open failed");
    return fd;
}

int statusOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

Outcome runCli(const std::string& arguments, const std::string& environment) {
    Outcome outcome;
    FILE* errors = std::tmpfile();
    if (!errors) return outcome;
    const std::string command = environment + std::string(VELOMIR_CLI_COMMAND) + " " + arguments + " 2>/dev/fd/" +
                                std::to_string(fileno(errors));
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe) {
        outcome.out = readAll(pipe);
        outcome.status = statusOf(pclose(pipe));
        std::rewind(errors);
        outcome.err = readAll(errors);
    }
    std::fclose(errors);
    return outcome;
}

Outcome runCliArguments(const std::vector<std::string>& arguments) {
    Outcome outcome;
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    if (out && err) {
        outcome.status = waitForExit(startCli(arguments, fileno(out), fileno(err)));
        std::rewind(out);
        std::rewind(err);
        outcome.out = readAll(out);
        outcome.err = readAll(err);
    }
    if (out) std::fclose(out);
    if (err) std::fclose(err);
    return outcome;
}

pid_t startCli(const std::vector<std::string>& arguments, int outFd, int errFd) {
    std::vector<std::string> all{VELOMIR_CLI_COMMAND};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv = argumentVector(all);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    for (const auto& [from, to] : {std::pair{outFd, STDOUT_FILENO}, std::pair{errFd, STDERR_FILENO}}) {
        if (from < 0)
            posix_spawn_file_actions_addopen(&actions, to, "/dev/null", O_WRONLY, 0);
        else
            posix_spawn_file_actions_adddup2(&actions, from, to);
    }
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) throw std::runtime_error("velomir-cli could not be started");
    return pid;
}

Outcome runCliOnTerminal(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{VELOMIR_CLI_COMMAND};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv = argumentVector(all);
    Outcome outcome;
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid < 0) return outcome;
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t n = read(terminal, buffer.data(), buffer.size());
        if (n > 0) {
            outcome.out.append(buffer.data(), static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // EIO once the child has closed its side
        }
    }
    close(terminal);
    outcome.status = waitForExit(pid);
    return outcome;
}

int waitForExit(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return statusOf(status);
}

std::string readFromStart(FILE* file) {
    std::rewind(file);
    return readAll(file);
}

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

int countOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velomir-cli-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

FolderWatch::FolderWatch(const std::filesystem::path& folder) {
    fd_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd_ < 0 ||
        inotify_add_watch(fd_, folder.c_str(), IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE) < 0) {
        throw std::runtime_error("the folder cannot be watched");
    }
}

FolderWatch::~FolderWatch() {
    if (fd_ >= 0) close(fd_);
}

std::vector<FolderWatch::Event> FolderWatch::next(int pidFd, bool& ended) {
    std::vector<Event> events;
    ended = false;
    for (;;) {
        alignas(inotify_event) std::array<char, 64 * 1024> buffer{};
        const ssize_t n = read(fd_, buffer.data(), buffer.size());
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            events.push_back({event->mask, event->len > 0 ? event->name : ""});
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
        if (!events.empty() || pidFd < 0) return events;
        std::array<pollfd, 2> waits{{{fd_, POLLIN, 0}, {pidFd, POLLIN, 0}}};
        if (poll(waits.data(), waits.size(), -1) < 0 && errno != EINTR) throw std::runtime_error("poll failed");
        if ((waits[0].revents & POLLIN) == 0 && (waits[1].revents & POLLIN) != 0) {
            ended = true;
            return events;
        }
    }
}

long FolderWatch::waitForEvents(long count, pid_t pid) {
    const int pidFd = processDescriptor(pid);
    bool ended = false;
    long seen = 0;
    while (seen < count && !ended) seen += static_cast<long>(next(pidFd, ended).size());
    close(pidFd);
    return seen;
}

bool FolderWatch::waitForWrite(const std::string& part, const std::string& suffix, pid_t pid) {
    const int pidFd = processDescriptor(pid);
    bool ended = false;
    bool seen = false;
    while (!seen && !ended) {
        for (const Event& event : next(pidFd, ended)) {
            seen = seen || ((event.mask & IN_MODIFY) != 0 && event.name.find(part) != std::string::npos &&
                            event.name.ends_with(suffix));
        }
    }
    close(pidFd);
    return seen;
}

void FolderWatch::drain() {
    bool ended = false;
    while (!next(-1, ended).empty()) {
    }
}

}  // namespace velomir
