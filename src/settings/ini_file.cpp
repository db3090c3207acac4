#include "settings/ini_file.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string_view>
#include <system_error>
#include <vector>

#include "text/text_helpers.h"

namespace velomir {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The file as lines without their line ends, and how to end them again when it is written back.
struct IniText {
    std::string byteOrderMark;
    std::string lineEnd = "\n";
    std::vector<std::string> lines;
};

struct KeyLine {
    std::string key;
    std::string value;
};

fs::path fsPath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool sameName(std::string_view a, std::string_view b) { return a.size() == b.size() && asciiLower(a) == asciiLower(b); }

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream in(fsPath(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

IniText splitIniText(std::string text) {
    IniText ini;
    if (text.starts_with(kByteOrderMark)) {
        ini.byteOrderMark = kByteOrderMark;
        text.erase(0, kByteOrderMark.size());
    }
    if (text.find("\r\n") != std::string::npos) ini.lineEnd = "\r\n";
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (text.empty()) return ini;
    for (std::string& line : splitText(text, "\n")) {
        // Every carriage return at a line's end is line-end noise (CR CR LF from a twice-converted file, a lone
        // CR ending the file): kept, a write would turn it into a CR LF and the next write would change the file.
        while (!line.empty() && line.back() == '\r') line.pop_back();
        ini.lines.push_back(std::move(line));
    }
    return ini;
}

std::string joinIniText(const IniText& ini) {
    std::string text = ini.byteOrderMark;
    for (const std::string& line : ini.lines) text += line + ini.lineEnd;
    return text;
}

// The name of a "[name]" line; nothing for any other line.
std::optional<std::string> sectionOf(std::string_view line) {
    line = trimmed(line);
    if (!line.starts_with('[')) return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return std::string(trimmed(line.substr(1, close - 1)));
}

std::string unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return std::string(value.substr(1, value.size() - 2));
    }
    return std::string(value);
}

std::optional<KeyLine> keyOf(std::string_view line) {
    const std::string_view body = trimmed(line);
    if (body.empty() || body.front() == ';' || body.front() == '[') return std::nullopt;
    const auto equals = body.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return KeyLine{std::string(trimmed(body.substr(0, equals))), unquoted(trimmed(body.substr(equals + 1)))};
}

// A section's header line and the end of its body (the next header or the end of the file).
struct SectionRange {
    std::size_t header = 0;
    std::size_t end = 0;
    bool found = false;
};

SectionRange findSection(const std::vector<std::string>& lines, const std::string& section) {
    SectionRange range;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionOf(lines[i]);
        if (!name) continue;
        if (range.found) {
            range.end = i;
            return range;
        }
        if (sameName(*name, section)) {
            range.header = i;
            range.found = true;
        }
    }
    range.end = lines.size();
    return range;
}

std::optional<std::size_t> findKey(const std::vector<std::string>& lines, const SectionRange& range,
                                   const std::string& key) {
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const auto entry = keyOf(lines[i]);
        if (entry && sameName(entry->key, key)) return i;
    }
    return std::nullopt;
}

void setKey(IniText& ini, const std::string& section, const std::string& key, const std::string& value) {
    const std::string line = key + "=" + value;
    const SectionRange range = findSection(ini.lines, section);
    if (!range.found) {
        ini.lines.push_back("[" + section + "]");
        ini.lines.push_back(line);
        return;
    }
    if (const auto at = findKey(ini.lines, range, key)) {
        ini.lines[*at] = line;
        return;
    }
    // New keys go after the section's last entry, before the blank lines that part it from the next section.
    std::size_t at = range.end;
    while (at > range.header + 1 && trimmed(ini.lines[at - 1]).empty()) --at;
    ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(at), line);
}

constexpr std::string_view kTemporaryMark = ".tmp-";

// "velomir.ini.tmp-PID-RANDOM": the process that writes it is in its name, so that a later save can tell a file
// that a killed save left behind from one that another running process is writing right now.
std::string temporaryName(const std::string& path) {
    std::random_device random;
    std::ostringstream name;
    name << path << kTemporaryMark << getpid() << '-' << std::hex << random() << random();
    return name.str();
}

// True for a temporary of an earlier save that no running process will finish: its writer is this process (whose
// own saves finish or clean up before they return) or no longer exists, or its name carries no process at all.
bool isLeftOver(std::string_view suffix) {
    const auto dash = suffix.find('-');
    if (dash == std::string_view::npos || dash == 0) return true;
    const std::string digits(suffix.substr(0, dash));
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) return true;
    const auto writer = static_cast<pid_t>(std::stol(digits));
    return writer == getpid() || (kill(writer, 0) != 0 && errno == ESRCH);
}

void removeLeftOverTemporaries(const fs::path& target) {
    const std::string prefix = target.filename().string() + std::string(kTemporaryMark);
    std::error_code error;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
            isLeftOver(std::string_view(name).substr(prefix.size()))) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

}  // namespace

bool replaceFileAtomically(const std::string& path, const std::string& text) {
    std::error_code error;
    const fs::path target = fsPath(path);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
    // A save killed between writing and renaming leaves its temporary behind; without this they would pile up.
    removeLeftOverTemporaries(target);
    const fs::path temporary = fsPath(temporaryName(path));
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << text;
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temporary, error);
            return false;
        }
    }
    std::error_code renameError;
    fs::rename(temporary, target, renameError);
    if (renameError) fs::remove(temporary, error);
    return !renameError;
}

IniFile::IniFile(std::string path, FileReplacer replace) : path_(std::move(path)), replace_(std::move(replace)) {}

std::string IniFile::read(const std::string& section, const std::string& key, const std::string& fallback) const {
    const auto text = readWholeFile(path_);
    if (!text) return fallback;
    const IniText ini = splitIniText(*text);
    const SectionRange range = findSection(ini.lines, section);
    if (!range.found) return fallback;
    const auto at = findKey(ini.lines, range, key);
    return at ? keyOf(ini.lines[*at])->value : fallback;
}

bool IniFile::write(const std::string& section, const std::string& key, const std::string& value) {
    return writeKeys(section, {{key, value}});
}

bool IniFile::writeKeys(const std::string& section, const IniEntries& entries) {
    IniText ini = splitIniText(readWholeFile(path_).value_or(std::string()));
    for (const auto& [key, value] : entries) setKey(ini, section, key, value);
    return replace_(path_, joinIniText(ini));
}

}  // namespace velomir
