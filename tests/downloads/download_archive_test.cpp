// The folder's record of saved IDs: written line by line, read back by a later run, robust to a file cut short by
// a crash, to Windows line ends and to lines someone typed.
#include "downloads/download_archive.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "settings/settings_test_support.h"

namespace velomir {
namespace {

using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

TEST(DownloadArchive, RoundTripThroughALaterRun) {
    ScratchFolder folder;
    {
        DownloadArchive archive(folder.path().string());
        EXPECT_FALSE(archive.contains("186016")) << "no archive yet";
        EXPECT_TRUE(archive.add("186016"));
        EXPECT_TRUE(archive.add("5257138"));
        EXPECT_TRUE(archive.add("186016")) << "an ID already there";
        EXPECT_TRUE(archive.contains("186016"));
        EXPECT_FALSE(archive.contains("18601"));
    }
    EXPECT_EQ(readFile(folder.filePath(kArchiveFileName)), "186016\n5257138\n") << "each ID once";

    DownloadArchive later(folder.path().string() + "/");
    EXPECT_TRUE(later.contains("186016"));
    EXPECT_TRUE(later.contains("5257138"));
    EXPECT_TRUE(later.add("1"));
    EXPECT_EQ(readFile(folder.filePath(kArchiveFileName)), "186016\n5257138\n1\n") << "appended, not rewritten";
}

TEST(DownloadArchive, TolerantReading) {
    ScratchFolder folder;
    writeFile(folder.filePath(kArchiveFileName),
              "111\r\n\n  222  \r\n# saved by hand\n33a\n-4\n\t555\n99999999999999999999999\n\r\n666\n");
    const DownloadArchive archive(folder.path().string());
    for (const char* id : {"111", "222", "555", "666"}) EXPECT_TRUE(archive.contains(id)) << id;
    for (const char* junk : {"33a", "33", "-4", "4", "", "# saved by hand", "99999999999999999999999"}) {
        EXPECT_FALSE(archive.contains(junk)) << junk;
    }
}

TEST(DownloadArchive, ATornLastLineIsNotTrustedAndNotGluedTo) {
    ScratchFolder folder;
    // A crash cut "1234567\n" short: "123" is another track's ID, not a saved one.
    writeFile(folder.filePath(kArchiveFileName), "42\n123");
    DownloadArchive archive(folder.path().string());
    EXPECT_TRUE(archive.contains("42"));
    EXPECT_FALSE(archive.contains("123"));
    EXPECT_TRUE(archive.add("1234567"));
    EXPECT_EQ(readFile(folder.filePath(kArchiveFileName)), "42\n123\n1234567\n");
    EXPECT_TRUE(DownloadArchive(folder.path().string()).contains("1234567"));
}

TEST(DownloadArchive, RefusesWhatCannotBeRecorded) {
    ScratchFolder folder;
    DownloadArchive archive(folder.path().string());
    EXPECT_FALSE(archive.add("12\n34")) << "would write two lines";
    EXPECT_FALSE(archive.add(""));
    EXPECT_FALSE(archive.add("abc"));
    EXPECT_FALSE(std::filesystem::exists(folder.filePath(kArchiveFileName)));

    DownloadArchive missing((folder.path() / "gone").string());
    EXPECT_FALSE(missing.add("1")) << "the folder vanished";
    EXPECT_FALSE(missing.contains("1"));

    // The archive's name taken by a folder: unreadable and unwritable, yet no crash.
    std::filesystem::create_directory(folder.filePath(kArchiveFileName));
    DownloadArchive blocked(folder.path().string());
    EXPECT_FALSE(blocked.contains("1"));
    EXPECT_FALSE(blocked.add("1"));
}

}  // namespace
}  // namespace velomir
