#include "downloads/download_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <utility>

namespace velomir {
namespace {

// The service's IDs are decimal numbers that fit 64 bits.
bool isTrackId(std::string_view text) {
    if (text.empty() || text.size() > 20) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // close() reports a failed delayed write on some file systems, so its answer counts.
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

}  // namespace

DownloadArchive::DownloadArchive(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    path_ = std::move(folder) + kArchiveFileName;

    FileDescriptor file(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return;
    std::string text;
    char buffer[16 * 1024];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) text.clear();  // a file that fails midway (a folder by that name, a bad disk) reads as empty
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        const std::string_view line = trimBlanks(std::string_view(text).substr(start, end - start));
        if (isTrackId(line)) ids_.emplace(line);
        start = end + 1;
    }
    // A last line without its line break may be a write cut short by a crash: its digits could be the start of
    // another track's ID, and trusting them would skip a track that was never saved.
}

bool DownloadArchive::contains(const std::string& trackId) const { return ids_.contains(trackId); }

bool DownloadArchive::add(const std::string& trackId) {
    if (!isTrackId(trackId)) return false;
    if (ids_.contains(trackId)) return true;

    FileDescriptor file(::open(path_.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (file.get() < 0) return false;
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) return false;

    std::string line;
    if (status.st_size > 0) {
        // After a torn line the ID starts a line of its own, or the two would read as one junk line.
        char last = '\n';
        if (::pread(file.get(), &last, 1, status.st_size - 1) != 1) return false;
        if (last != '\n') line += '\n';
    }
    line += trackId;
    line += '\n';
    if (!writeAll(file.get(), line) || ::fsync(file.get()) != 0 || !file.close()) return false;

    if (status.st_size == 0) {
        // A new file's name lives in the folder: that must reach the disk too. (An empty old file costs one
        // more flush, no harm.)
        const std::size_t slash = path_.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : path_.substr(0, slash == 0 ? 1 : slash);
        FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (directory.get() < 0 || ::fsync(directory.get()) != 0) return false;
    }
    ids_.insert(trackId);
    return true;
}

}  // namespace velomir
