#include "settings/settings_store.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "text/text_helpers.h"

namespace velomir {

namespace {

constexpr char kSongSection[] = "song";
constexpr char kWindowSection[] = "WIN";
constexpr char kDownloadSection[] = "download";
constexpr char kFileName[] = "velomir.ini";

// Reading a value trims blanks and one pair of enclosing quotes: a folder that would lose either is stored quoted.
std::string storedFolder(const std::string& folder) {
    constexpr std::string_view kLost = " \t\"'";
    const bool quoted = !folder.empty() && (kLost.find(folder.front()) != std::string_view::npos ||
                                            kLost.find(folder.back()) != std::string_view::npos);
    return quoted ? '"' + folder + '"' : folder;
}

std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

SettingsStore::SettingsStore(std::string path, FileReplacer replace) : file_(std::move(path), std::move(replace)) {}

AnalysisOptions SettingsStore::loadOptions() const {
    AnalysisOptions options;
    options.maxCount = maxCountOf(file_.read(kSongSection, "max", "100"));
    options.showCovers = textToBoolean(file_.read(kSongSection, "pic", booleanText(true)));
    options.jumpToSearch = textToBoolean(file_.read(kSongSection, "sou", booleanText(true)));
    return options;
}

void SettingsStore::saveOptions(const AnalysisOptions& options) {
    file_.writeKeys(kSongSection, {{"max", std::to_string(options.maxCount)},
                                   {"pic", booleanText(options.showCovers)},
                                   {"sou", booleanText(options.jumpToSearch)}});
}

int SettingsStore::windowValue(const std::string& key, const std::string& fallback) const {
    return integerValue32(file_.read(kWindowSection, key, fallback));
}

void SettingsStore::saveWindow(const WindowGeometry& geometry) {
    file_.writeKeys(kWindowSection, {{"wz", std::to_string(geometry.state)},
                                     {"kd", std::to_string(geometry.width)},
                                     {"gd", std::to_string(geometry.height)},
                                     {"zb", std::to_string(geometry.left)},
                                     {"db", std::to_string(geometry.top)}});
}

DownloadPreferences SettingsStore::loadDownload() const {
    DownloadPreferences preferences;
    preferences.folder = file_.read(kDownloadSection, "folder");
    preferences.lyrics = integerValue32(file_.read(kDownloadSection, "lyrics", "0")) != 0;
    return preferences;
}

void SettingsStore::saveDownload(const DownloadPreferences& preferences) {
    IniEntries entries;
    if (preferences.folder.find_first_of("\r\n") == std::string::npos) {
        entries.emplace_back("folder", storedFolder(preferences.folder));
    }
    entries.emplace_back("lyrics", preferences.lyrics ? "1" : "0");
    file_.writeKeys(kDownloadSection, entries);
}

bool SettingsStore::claimFirstStart() {
    if (!file_.read(kSongSection, "up").empty()) return false;
    file_.write(kSongSection, "up", "1");
    return true;
}

int maxCountOf(std::string_view text) { return std::max(1, integerValue32(text)); }

bool isWritableFolder(const std::string& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(fsPath(folder), error)) return false;
    std::random_device random;
    const std::filesystem::path probe = fsPath(folder) / (".velomir-probe-" + std::to_string(random()));
    const bool created = static_cast<bool>(std::ofstream(probe, std::ios::binary));
    std::filesystem::remove(probe, error);
    return created;
}

std::string settingsPathFor(const std::string& programFolder, const std::string& xdgConfigHome, const std::string& home,
                            const std::function<bool(const std::string&)>& writable) {
    if (!programFolder.empty() && writable(programFolder)) return programFolder + "/" + kFileName;
    // The XDG rule ignores a relative XDG_CONFIG_HOME.
    const bool absolute = !xdgConfigHome.empty() && fsPath(xdgConfigHome).is_absolute();
    const std::string configFolder = absolute ? xdgConfigHome : home + "/.config";
    return configFolder + "/velomir/" + kFileName;
}

}  // namespace velomir
