// The option values velomir.ini stores, where the file lives, and how often a save touches it.
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <string>

#include "settings_test_support.h"

namespace velomir::testing {
namespace {

TEST(SettingsStore, OptionValues) {
    ScratchFolder folder;
    struct Case {
        const char* text;
        int max;
        bool covers;
        bool search;
    };
    const Case cases[] = {
        {"", 100, true, true},
        {"[song]\nmax=250\npic=真\nsou=假\n", 250, true, false},
        {"[song]\nmax=0\n", 1, true, true},
        {"[song]\nmax=abc\n", 1, true, true},
        {"[song]\nmax=-5\n", 1, true, true},
        {"[song]\nmax=  42abc\n", 42, true, true},
        {"[song]\npic=false\nsou=true\n", 100, false, false},
        {"[song]\npic=\xD5\xE6\nsou=\xBC\xD9\n", 100, true, false},  // GBK 真 and 假
    };
    int files = 0;
    for (const Case& c : cases) {
        const std::string path = folder.filePath("s" + std::to_string(++files) + ".ini");
        writeFile(path, c.text);
        const AnalysisOptions options = SettingsStore(path).loadOptions();
        EXPECT_EQ(options.maxCount, c.max) << c.text;
        EXPECT_EQ(options.showCovers, c.covers) << c.text;
        EXPECT_EQ(options.jumpToSearch, c.search) << c.text;
    }
}

TEST(SettingsStore, Location) {
    const auto writable = [](const std::string&) { return true; };
    const auto readOnly = [](const std::string&) { return false; };
    EXPECT_EQ(settingsPathFor("/opt/velomir", "/x", "/home/u", writable), "/opt/velomir/velomir.ini");
    EXPECT_EQ(settingsPathFor("/opt/velomir", "/x", "/home/u", readOnly), "/x/velomir/velomir.ini");
    EXPECT_EQ(settingsPathFor("/opt/velomir", "", "/home/u", readOnly), "/home/u/.config/velomir/velomir.ini");
    EXPECT_EQ(settingsPathFor("/opt/velomir", "relative", "/home/u", readOnly), "/home/u/.config/velomir/velomir.ini");
    // The real probe: a folder that does not exist, or is a file, cannot take the settings.
    ScratchFolder folder;
    EXPECT_EQ(settingsPathFor(folder.filePath("no-such-folder"), "/x", "/home/u"), "/x/velomir/velomir.ini");
    const std::string file = folder.filePath("x");
    writeFile(file, "x");
    EXPECT_FALSE(isWritableFolder(file));
    EXPECT_TRUE(isWritableFolder(folder.path().string()));
    EXPECT_EQ(settingsPathFor(folder.path().string(), "/x", "/home/u"), folder.filePath("velomir.ini"));
}

// Every save reads the file once and replaces it once, whatever the number of keys; other lines are kept.
TEST(SettingsStore, EachSaveIsOneWrite) {
    ScratchFolder folder;
    const std::string path = folder.filePath("velomir.ini");
    writeFile(path, "; mine\n[other]\nx=1\n");
    int writes = 0;
    SettingsStore store(path, [&writes](const std::string& file, const std::string& text) {
        ++writes;
        return replaceFileAtomically(file, text);
    });
    store.saveOptions({42, false, true});
    EXPECT_EQ(writes, 1);
    store.saveWindow({0, 800, 500, 10, 20});
    EXPECT_EQ(writes, 2);
    EXPECT_EQ(readFile(path),
              "; mine\n[other]\nx=1\n[song]\nmax=42\npic=假\nsou=真\n[WIN]\nwz=0\nkd=800\ngd=500\nzb=10\ndb=20\n");
    EXPECT_EQ(store.loadOptions().maxCount, 42);
}

// Folders come back as chosen, whatever their ends look like; lyrics are 0 or 1; the rest of the file is kept.
TEST(SettingsStore, DownloadSection) {
    ScratchFolder folder;
    const std::string path = folder.filePath("velomir.ini");
    writeFile(path, "[song]\nmax=42\n[download]\nlyrics=yes\n");
    int writes = 0;
    SettingsStore store(path, [&writes](const std::string& file, const std::string& text) {
        ++writes;
        return replaceFileAtomically(file, text);
    });
    EXPECT_EQ(store.loadDownload().folder, "");
    EXPECT_FALSE(store.loadDownload().lyrics);
    for (const std::string chosen :
         {"/home/u/音乐/下载", " /home/u/lead", "/tmp/trail ", "\"quoted\"", "'half", "a\"", "/x;y=z[1]", ""}) {
        store.saveDownload({chosen, true});
        EXPECT_EQ(store.loadDownload().folder, chosen);
        EXPECT_TRUE(store.loadDownload().lyrics);
    }
    EXPECT_EQ(writes, 8);
    store.saveDownload({"/home/u/Music", false});
    EXPECT_EQ(readFile(path), "[song]\nmax=42\n[download]\nlyrics=0\nfolder=/home/u/Music\n");
    // A line break would split the line and plant a key of its own: the stored folder stays.
    store.saveDownload({"/tmp/a\nlyrics=1\n[song]\nmax=1", true});
    EXPECT_EQ(store.loadDownload().folder, "/home/u/Music");
    EXPECT_TRUE(store.loadDownload().lyrics);
    EXPECT_EQ(store.loadOptions().maxCount, 42);
    EXPECT_EQ(writes, 10);
}

}  // namespace
}  // namespace velomir::testing
