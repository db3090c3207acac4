// A file in the download folder that records the track IDs already saved there, one a line, so that a file the
// user renamed or moved is not fetched again.
#pragma once

#include <set>
#include <string>

namespace velomir {

inline constexpr char kArchiveFileName[] = ".velomir-saved";

class DownloadArchive {
public:
    // Reads `folder`'s archive; a missing or unreadable archive is empty, lines that are no ID are ignored.
    explicit DownloadArchive(std::string folder);

    bool contains(const std::string& trackId) const;
    // Appends the ID and flushes it to the disk before returning; false when the archive cannot be written.
    bool add(const std::string& trackId);

private:
    std::string path_;
    std::set<std::string> ids_;
};

}  // namespace velomir
