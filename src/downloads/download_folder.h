// The folder tracks are saved into. A file under a final name is only ever made by renaming a whole, synced file
// into place, so a crash or a full disk leaves the old file or the new one, never half of one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velomir {

// Names starting with this are the folder's temporaries; any found at the start of a run are left from a crash.
inline constexpr std::string_view kTemporaryPrefix = ".velomir-tmp-";

class DownloadFolder {
public:
    explicit DownloadFolder(std::string path);

    // Creates the folder and its parents when missing and removes the temporaries an earlier run left. Empty when
    // the folder is usable, else the line that ends the run.
    std::string prepare();

    const std::string& path() const { return path_; }
    std::string pathOf(std::string_view name) const;

    // The size of a file in the folder; -1 when there is none.
    std::int64_t sizeOf(std::string_view name) const;
    // Reads a whole file; 0 or an errno value.
    int read(std::string_view name, std::string& bytes) const;
    // Puts `bytes` under `name` through a synced temporary; 0 or an errno value (and no temporary left).
    int writeWhole(std::string_view name, std::string_view bytes) const;
    // Renames `from` to `to` once its data is on the disk; 0 or an errno value.
    int promote(std::string_view from, std::string_view to) const;
    void remove(std::string_view name) const;

    // The line that ends a run when writing failed with `error`.
    std::string faultMessage(int error) const;

private:
    int syncFolder() const;

    std::string path_;
};

// True for the errors that say the folder or the disk cannot take more, rather than one file having a problem.
bool isFolderFault(int error);

}  // namespace velomir
