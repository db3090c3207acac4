#include "downloads/download_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace velomir {

namespace {

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};

}  // namespace

DownloadFolder::DownloadFolder(std::string path) : path_(std::move(path)) {
    while (path_.size() > 1 && path_.back() == '/') path_.pop_back();
    if (path_.empty()) path_.push_back('.');
}

std::string DownloadFolder::prepare() {
    std::error_code error;
    std::filesystem::create_directories(path_, error);
    if (!error && !std::filesystem::is_directory(path_, error) && !error) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    if (error) return "cannot write into " + path_ + ": " + error.message();
    std::unique_ptr<DIR, DirectoryCloser> directory(opendir(path_.c_str()));
    if (!directory) return faultMessage(errno);
    while (const dirent* entry = readdir(directory.get())) {
        if (std::string_view(entry->d_name).starts_with(kTemporaryPrefix)) {
            unlinkat(dirfd(directory.get()), entry->d_name, 0);
        }
    }
    return {};
}

std::string DownloadFolder::pathOf(std::string_view name) const { return path_ + "/" + std::string(name); }

std::int64_t DownloadFolder::sizeOf(std::string_view name) const {
    struct stat status {};
    if (::stat(pathOf(name).c_str(), &status) != 0) return -1;
    return static_cast<std::int64_t>(status.st_size);
}

int DownloadFolder::read(std::string_view name, std::string& bytes) const {
    const int fd = ::open(pathOf(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    bytes.clear();
    int result = 0;
    char buffer[1 << 16];
    while (true) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) result = errno;
        if (count <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fd);
    return result;
}

int DownloadFolder::writeWhole(std::string_view name, std::string_view bytes) const {
    std::string temporary = pathOf(kTemporaryPrefix) + "XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return errno;
    int result = writeAll(fd, bytes);
    if (result == 0 && ::fchmod(fd, 0644) != 0) result = errno;
    if (result == 0 && ::fsync(fd) != 0) result = errno;
    if (::close(fd) != 0 && result == 0) result = errno;
    if (result == 0 && ::rename(temporary.c_str(), pathOf(name).c_str()) != 0) result = errno;
    if (result != 0) {
        ::unlink(temporary.c_str());
        return result;
    }
    return syncFolder();
}

int DownloadFolder::promote(std::string_view from, std::string_view to) const {
    const int fd = ::open(pathOf(from).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    if (result == 0 && ::rename(pathOf(from).c_str(), pathOf(to).c_str()) != 0) result = errno;
    return result != 0 ? result : syncFolder();
}

void DownloadFolder::remove(std::string_view name) const { ::unlink(pathOf(name).c_str()); }

// The rename is only lasting once the folder itself is on the disk.
int DownloadFolder::syncFolder() const {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    // Some file systems cannot sync a folder; the rename stands all the same.
    return result == EINVAL || result == EROFS ? 0 : result;
}

std::string DownloadFolder::faultMessage(int error) const {
    if (error == ENOSPC || error == EDQUOT) return "the disk is full";
    return "cannot write into " + path_ + ": " + std::strerror(error);
}

bool isFolderFault(int error) { return error != ENAMETOOLONG && error != 0; }

}  // namespace velomir
