// The keys of velomir.ini, their defaults, and where the file lives.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "analysis/analysis_options.h"
#include "settings/ini_file.h"

namespace velomir {

// The main window's state and normal-state geometry as stored at close.
struct WindowGeometry {
    int state = 0;  // 0 normal, 2 minimised, 3 maximised
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
};

// What the window remembers of downloads.
struct DownloadPreferences {
    std::string folder;   // the folder chosen last; empty: none yet
    bool lyrics = false;  // save each track's lyrics beside it and in its tag
};

class SettingsStore {
public:
    explicit SettingsStore(std::string path, FileReplacer replace = replaceFileAtomically);

    const std::string& path() const { return file_.path(); }

    // `max` (at least 1), `pic`, `sou`, with the defaults 100, on, on.
    AnalysisOptions loadOptions() const;
    // One replacement of the file for the three keys.
    void saveOptions(const AnalysisOptions& options);

    // The leading integer of a key of the window section; the integer of `fallback` when the key is missing.
    int windowValue(const std::string& key, const std::string& fallback) const;
    // Writes wz, kd, gd, zb and db, in this order, with one replacement of the file.
    void saveWindow(const WindowGeometry& geometry);

    // `folder` and `lyrics` (0 or 1) of the download section; empty and off when missing.
    DownloadPreferences loadDownload() const;
    // One replacement of the file for both keys. A folder whose name holds a line break cannot be stored: the
    // stored one is kept.
    void saveDownload(const DownloadPreferences& preferences);

    // True on the first start with this file, which it then marks (up=1) so that it never answers true again.
    bool claimFirstStart();

private:
    IniFile file_;
};

// The maximum count a text stands for: its leading integer, raised to 1 when it is 0 or less.
int maxCountOf(std::string_view text);

// True when a file can be created in the folder (probed by creating and removing one).
bool isWritableFolder(const std::string& folder);

// velomir.ini in the program's folder; when that folder is not writable, velomir/velomir.ini under the XDG
// configuration folder ($XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config).
std::string settingsPathFor(const std::string& programFolder, const std::string& xdgConfigHome, const std::string& home,
                            const std::function<bool(const std::string&)>& writable = isWritableFolder);

}  // namespace velomir
