// A settings file read and written one key at a time, as the Windows profile-string service does it.
// Section and key names compare without regard to ASCII case; values are trimmed of blanks and of one pair of
// enclosing quotes. No Qt: the file is plain text handled with the standard library.
#pragma once

#include <string>

namespace velomir {

class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    // The value of the first matching key of the first matching section; `fallback` when there is none or the
    // file cannot be read.
    std::string read(const std::string& section, const std::string& key, const std::string& fallback = {}) const;

    // Sets the key, creating the folder, file, section or key as needed and keeping every other line. The file is
    // replaced atomically (written beside it, then renamed), so it is never left half-written. False on failure.
    bool write(const std::string& section, const std::string& key, const std::string& value);

private:
    std::string path_;
};

}  // namespace velomir
