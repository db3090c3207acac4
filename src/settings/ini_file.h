// A settings file read and written one key at a time, as the Windows profile-string service does it.
// Section and key names compare without regard to ASCII case; values are trimmed of blanks and of one pair of
// enclosing quotes. No Qt: the file is plain text handled with the standard library.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace velomir {

// Replaces the file at `path` by `text`; false on failure. The seam through which every settings write goes.
using FileReplacer = std::function<bool(const std::string& path, const std::string& text)>;

// Writes a temporary file beside `path`, then renames it over: a crash never leaves half a file. Creates the folder.
bool replaceFileAtomically(const std::string& path, const std::string& text);

using IniEntries = std::vector<std::pair<std::string, std::string>>;  // key, value

class IniFile {
public:
    explicit IniFile(std::string path, FileReplacer replace = replaceFileAtomically);

    const std::string& path() const { return path_; }

    // The value of the first matching key of the first matching section; `fallback` when there is none or the
    // file cannot be read.
    std::string read(const std::string& section, const std::string& key, const std::string& fallback = {}) const;

    // Sets the key, creating the folder, file, section or key as needed and keeping every other line. The file is
    // replaced atomically (written beside it, then renamed), so it is never left half-written. False on failure.
    bool write(const std::string& section, const std::string& key, const std::string& value);
    // Sets every key of `entries` in that order, as write does, with one replacement of the file.
    bool writeKeys(const std::string& section, const IniEntries& entries);

private:
    std::string path_;
    FileReplacer replace_;
};

}  // namespace velomir
