// The settings file on any bytes: the input is the file. A few keys of one section are written; they read back
// as written, keys elsewhere read as before, every other line is kept in order, and writing again changes nothing.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "settings/ini_file.h"
#include "text/text_helpers.h"

namespace {

using velomir::fuzz::require;

std::string gPath;

void removeFolder() {
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(gPath).parent_path(), error);
}

void writeBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Lines as the reader sees them: no byte order mark, no line ends, no carriage returns ending a line.
std::vector<std::string> linesOf(std::string text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    if (text.back() == '\n') lines.emplace_back();
    return lines;
}

struct Probe {
    const char* section;
    const char* key;
};

// The written section's keys, then keys the writes must not touch.
const velomir::IniEntries kWrites = {{"max", "6"}, {"pic", "真"}, {"up", "a b=c"}};
constexpr Probe kUntouched[] = {{"song", "kd"}, {"WIN", "max"}, {"WIN", "kd"}, {"other", "up"}, {"", "max"}};
constexpr const char* kSection = "song";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isOurLine(const std::string& line) {
    if (line == "[" + std::string(kSection) + "]") return true;
    for (const auto& [key, value] : kWrites) {
        if (line == key + "=" + value) return true;
    }
    return false;
}

bool isWrittenKeyLine(std::string_view line) {
    line = trimmed(line);
    if (line.starts_with(';') || line.starts_with('[')) return false;
    const std::string key = velomir::asciiLower(trimmed(line.substr(0, line.find('='))));
    if (line.find('=') == std::string_view::npos) return false;
    for (const auto& entry : kWrites) {
        if (key == entry.first) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = std::getenv("TMPDIR");
    std::string folder = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/velomir-ini-fuzz-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) std::abort();
    gPath = folder + "/velomir.ini";
    std::atexit(removeFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 16384) return 0;
    const std::string_view original = velomir::fuzz::asText(data, size);
    writeBytes(gPath, original);
    velomir::IniFile file(gPath);

    std::vector<std::string> before;
    for (const Probe& probe : kUntouched) before.push_back(file.read(probe.section, probe.key, "<none>"));

    require(file.writeKeys(kSection, kWrites), "the write succeeds", original);
    const std::string written = readBytes(gPath);
    for (const auto& [key, value] : kWrites) {
        require(file.read(kSection, key) == value, "a written key reads back", original);
        require(file.read("SONG", key) == value, "section names ignore case", original);
    }
    for (std::size_t i = 0; i < std::size(kUntouched); ++i) {
        require(file.read(kUntouched[i].section, kUntouched[i].key, "<none>") == before[i],
                "keys not written read as before", original);
    }
    require(written.starts_with("\xEF\xBB\xBF") == original.starts_with("\xEF\xBB\xBF"), "the byte order mark is kept",
            original);

    // Every old line survives in order, but for the written keys' lines; new lines are only ours.
    const std::vector<std::string> oldLines = linesOf(std::string(original));
    std::size_t kept = 0;
    std::size_t changes = 0;
    for (const std::string& line : linesOf(written)) {
        if (kept < oldLines.size() && line == oldLines[kept]) {
            ++kept;
            continue;
        }
        require(isOurLine(line), "only written lines are new", original);
        ++changes;
        // Replacements come before additions: new keys go after the section's last entry.
        if (kept < oldLines.size() && isWrittenKeyLine(oldLines[kept])) ++kept;
    }
    require(kept == oldLines.size(), "every other line is kept", original);
    require(changes <= kWrites.size() + 1, "at most the keys and a section header change", original);

    require(file.writeKeys(kSection, kWrites), "the second write succeeds", original);
    require(readBytes(gPath) == written, "writing the same keys again changes nothing", original);
    return 0;
}
