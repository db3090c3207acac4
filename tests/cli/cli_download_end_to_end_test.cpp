// velomir-cli --download against the stand-in on loopback: what lands in the folder, byte for byte and tag for tag,
// what stderr says, and what survives a stop or a kill at any moment.
#include <gtest/gtest.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <csignal>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <set>

#include "cli_process.h"
#include "downloads/download_archive.h"
#include "downloads/file_naming.h"
#include "song_audio.h"
#include "stub_service.h"

namespace velomir {
namespace {

namespace fs = std::filesystem;

const std::string kDownloadList = "http://music.163.com/#/playlist?id=1200000200";
const std::string kFaultList = "http://music.163.com/#/playlist?id=1200000201";
const std::string kHostileList = "http://music.163.com/#/playlist?id=1200000202";

std::string addressOf(const StubService& stub) { return stub.baseAddress().substr(std::string("http://").size()); }

// The bytes after the ID3v2 tag at the start, if there is one.
std::string audioAfterTag(const std::string& bytes) {
    if (bytes.size() < 10 || bytes.compare(0, 3, "ID3") != 0) return bytes;
    std::size_t size = 0;
    for (int i = 6; i < 10; ++i) size = size << 7 | (static_cast<unsigned char>(bytes[i]) & 0x7F);
    size += 10 + ((static_cast<unsigned char>(bytes[5]) & 0x10) ? 10 : 0);
    return size <= bytes.size() ? bytes.substr(size) : std::string();
}

std::string frameText(TagLib::ID3v2::Tag* tag, const char* id) {
    const TagLib::ID3v2::FrameList& frames = tag->frameListMap()[id];
    return frames.isEmpty() ? "" : frames.front()->toString().to8Bit(true);
}

// The value of the first user text frame: the track ID.
std::string userText(TagLib::ID3v2::Tag* tag) {
    for (TagLib::ID3v2::Frame* frame : tag->frameListMap()["TXXX"]) {
        const auto* text = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        if (text != nullptr && text->fieldList().size() >= 2) return text->fieldList()[1].to8Bit(true);
    }
    return "";
}

// The rows of a list as velomir-cli prints them in JSON.
std::vector<nlohmann::json> listRows(const std::string& service, const std::string& link) {
    const Outcome listed = runCliArguments({"--service-address", service, "--format", "json", link});
    EXPECT_EQ(listed.status, 0) << listed.err;
    const auto json = nlohmann::json::parse(listed.out, nullptr, false);
    if (!json.contains("rows")) return {};
    return {json["rows"].begin(), json["rows"].end()};
}

// What a folder holds, by kind of name.
struct FolderContent {
    std::vector<fs::path> audio;   // *.mp3
    std::vector<fs::path> lyrics;  // *.lrc
    std::vector<fs::path> parts;   // *.part
    std::vector<fs::path> other;   // anything else but the archive
};

FolderContent contentOf(const fs::path& folder) {
    FolderContent content;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".mp3") && entry.is_regular_file()) {
            content.audio.push_back(entry.path());
        } else if (name.ends_with(".lrc") && entry.is_regular_file()) {
            content.lyrics.push_back(entry.path());
        } else if (name.ends_with(".part")) {
            content.parts.push_back(entry.path());
        } else if (name != kArchiveFileName) {
            content.other.push_back(entry.path());
        }
    }
    return content;
}

// The track ID of a saved file, from its tag; empty when the file has no readable tag.
std::string savedId(const fs::path& file) {
    TagLib::MPEG::File mp3(file.c_str(), false);
    return mp3.isValid() && mp3.hasID3v2Tag() ? userText(mp3.ID3v2Tag()) : "";
}

// Every file under a final name holds the whole audio of its song after its tag.
void expectWholeFiles(const std::vector<fs::path>& files) {
    for (const fs::path& file : files) {
        const std::string id = savedId(file);
        ASSERT_FALSE(id.empty()) << file;
        const std::string expected = songAudio(std::stoll(id));
        const std::string audio = audioAfterTag(fileBytes(file));
        EXPECT_EQ(audio.size(), expected.size()) << file;
        EXPECT_TRUE(audio == expected) << file;
    }
}

class CliDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(stub_.start(), 0);
        service_ = addressOf(stub_);
        folder_ = scratch_.path() / "saved";
    }
    void TearDown() override { stub_.stop(); }

    Outcome download(const std::string& link, std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments = {"--service-address", service_,        "--format", "tsv",
                                              "--download",        folder_.string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        arguments.push_back(link);
        return runCliArguments(arguments);
    }

    StubService stub_{StubOptions{}};
    std::string service_;
    ScratchFolder scratch_;
    fs::path folder_;
};

TEST_F(CliDownloadTest, SavesAWholeListTaggedAndASecondRunFetchesNoAudio) {
    const std::vector<nlohmann::json> rows = listRows(service_, kDownloadList);
    ASSERT_EQ(rows.size(), 200u);

    const Outcome first = download(kDownloadList);
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err, "saved 200, already there 0, unavailable 0, failed 0\n");
    EXPECT_EQ(first.out.find("\t{200}\n"), first.out.find('\t')) << "the list is printed as without --download";

    std::vector<NameFields> fields;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        fields.push_back({rows[i]["trackName"].get<std::string>(), rows[i]["artistNames"].get<std::string>(),
                          rows[i]["albumName"].get<std::string>(), rows[i]["trackId"].get<std::string>(),
                          static_cast<int>(i) + 1, 200});
    }
    const std::vector<std::string> names = planFileNames(kDefaultNameTemplate, fields);
    const FolderContent content = contentOf(folder_);
    EXPECT_EQ(content.audio.size(), 200u);
    EXPECT_TRUE(content.parts.empty() && content.other.empty() && content.lyrics.empty());

    std::set<std::string> covers;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const fs::path file = folder_ / names[i];
        ASSERT_TRUE(fs::is_regular_file(file));
        TagLib::MPEG::File mp3(file.c_str(), false);
        ASSERT_TRUE(mp3.isValid() && mp3.hasID3v2Tag());
        EXPECT_FALSE(mp3.hasID3v1Tag() || mp3.hasAPETag());
        TagLib::ID3v2::Tag* tag = mp3.ID3v2Tag();
        EXPECT_EQ(tag->header()->majorVersion(), 3u);
        EXPECT_EQ(frameText(tag, "TIT2"), rows[i]["trackName"]);
        EXPECT_EQ(frameText(tag, "TPE1"), rows[i]["artistNames"]);
        EXPECT_EQ(frameText(tag, "TALB"), rows[i]["albumName"]);
        EXPECT_EQ(frameText(tag, "TRCK"), std::to_string(i + 1) + "/200");
        EXPECT_EQ(userText(tag), rows[i]["trackId"]);
        const TagLib::ID3v2::FrameList pictures = tag->frameListMap()["APIC"];
        ASSERT_EQ(pictures.size(), 1u);
        const auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(pictures.front());
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->type(), TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        const TagLib::ByteVector cover = picture->picture();
        ASSERT_GT(cover.size(), 4u);
        EXPECT_TRUE(cover.startsWith("\xFF\xD8") || cover.startsWith("\x89PNG"));
        covers.insert(std::string(cover.data(), cover.size()));
        const std::string audio = audioAfterTag(fileBytes(file));
        const std::string expected = songAudio(std::stoll(rows[i]["trackId"].get<std::string>()));
        ASSERT_GT(expected.size(), 900'000u);
        EXPECT_EQ(audio.size(), expected.size());
        EXPECT_TRUE(audio == expected);
    }
    EXPECT_EQ(covers.size(), 10u) << "one picture per album";
    int pictureRequests = 0;
    for (const std::string& request : stub_.requestLog())
        pictureRequests += request.find("/cover/") != std::string::npos;
    EXPECT_LE(pictureRequests, 10 + 1) << "each album's picture fetched once (the listing's own aside)";

    stub_.clearRequestLog();
    const Outcome second = download(kDownloadList);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.err, "saved 0, already there 200, unavailable 0, failed 0\n");
    for (const std::string& request : stub_.requestLog()) EXPECT_EQ(request.find("/audio/"), std::string::npos);
    EXPECT_EQ(contentOf(folder_).audio.size(), 200u);
}

// Songs whose transfer goes wrong once come whole after the retries; songs that are no audio are named, and no
// short file or page is left under an audio name.
TEST_F(CliDownloadTest, TransferFaultsEndWholeOrReported) {
    const Outcome run = download(kFaultList);
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> lines = [&] {
        std::vector<std::string> all;
        std::size_t from = 0;
        for (std::size_t end; (end = run.err.find('\n', from)) != std::string::npos; from = end + 1)
            all.push_back(run.err.substr(from, end - from));
        return all;
    }();
    ASSERT_EQ(lines.size(), 4u) << run.err;
    EXPECT_EQ(lines[0], "saved 5, already there 0, unavailable 3, failed 0");
    EXPECT_TRUE(lines[1].starts_with("#5 Redirected to 404")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("#6 HTML as Audio")) << lines[2];
    EXPECT_TRUE(lines[3].starts_with("#8 Outer Address to 404")) << lines[3];

    const FolderContent content = contentOf(folder_);
    EXPECT_TRUE(content.parts.empty() && content.other.empty()) << content.parts.size() << content.other.size();
    ASSERT_EQ(content.audio.size(), 5u);
    expectWholeFiles(content.audio);
    std::set<std::string> ids;
    for (const fs::path& file : content.audio) ids.insert(savedId(file));
    EXPECT_EQ(ids, (std::set<std::string>{"7610000001", "7610000002", "7610000003", "7610000004", "7610000007"}));
}

// Names that try to leave the folder, hide, clash or overflow all become distinct safe names inside it; with
// --lyrics each file has its lyrics in the tag and in a .lrc beside it.
TEST_F(CliDownloadTest, HostileNamesStayInsideTheFolderWithTheirLyrics) {
    folder_ = scratch_.path() / "a" / "b" / "saved";
    const Outcome run = download(kHostileList, {"--lyrics", "--jobs", "3"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "saved 12, already there 0, unavailable 0, failed 0\n");

    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(scratch_.path())) {
        if (entry.is_directory()) {
            EXPECT_TRUE(entry.path() == scratch_.path() / "a" || entry.path() == scratch_.path() / "a" / "b" ||
                        entry.path() == folder_)
                << entry.path();
        } else {
            EXPECT_EQ(entry.path().parent_path(), folder_);
            EXPECT_TRUE(entry.is_regular_file()) << entry.path();
        }
    }
    const FolderContent content = contentOf(folder_);
    EXPECT_TRUE(content.parts.empty() && content.other.empty());
    ASSERT_EQ(content.audio.size(), 12u);
    ASSERT_EQ(content.lyrics.size(), 12u);
    expectWholeFiles(content.audio);
    std::set<std::string> ids;
    for (const fs::path& file : content.audio) {
        SCOPED_TRACE(file.filename().string());
        const std::string name = file.filename().string();
        EXPECT_LE(name.size(), kMaxFileNameBytes);
        EXPECT_EQ(name.find_first_of(std::string("/\\\n\r\0", 5)), std::string::npos);
        EXPECT_FALSE(name.starts_with(".") || name.starts_with(" "));
        const std::string id = savedId(file);
        ids.insert(id);
        const std::string line = "Line 1 of song " + id;

        fs::path lrc = file;
        lrc.replace_extension(".lrc");
        ASSERT_TRUE(fs::is_regular_file(lrc));
        EXPECT_NE(fileBytes(lrc).find(line), std::string::npos);
        TagLib::MPEG::File mp3(file.c_str(), false);
        const TagLib::ID3v2::FrameList uslt = mp3.ID3v2Tag()->frameListMap()["USLT"];
        ASSERT_EQ(uslt.size(), 1u);
        const auto* lyrics = dynamic_cast<TagLib::ID3v2::UnsynchronizedLyricsFrame*>(uslt.front());
        ASSERT_NE(lyrics, nullptr);
        EXPECT_NE(lyrics->text().to8Bit(true).find(line), std::string::npos);
    }
    EXPECT_EQ(ids.size(), 12u) << "both songs of one name kept";
}

TEST_F(CliDownloadTest, WrongUsageExitsTwoBeforeAnyRequestOrFolder) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--jobs", "2", kHostileList},
        {"--lyrics", kHostileList},
        {"--name-format", "{name}", kHostileList},
        {"--download", folder_.string(), "--jobs", "9", kHostileList},
        {"--download", folder_.string(), "--jobs", "0", kHostileList},
        {"--download", folder_.string(), "--name-format", "{title}", kHostileList},
        {"--download", folder_.string(), "--name-format", "{name", kHostileList},
        {"--download", "", kHostileList},
        {kHostileList, "--download"},
    };
    for (const std::vector<std::string>& arguments : wrong) {
        std::vector<std::string> all = {"--service-address", service_};
        all.insert(all.end(), arguments.begin(), arguments.end());
        const Outcome outcome = runCliArguments(all);
        EXPECT_EQ(outcome.status, 2) << arguments[0] << " " << arguments[1];
        EXPECT_EQ(outcome.out, "");
        EXPECT_NE(outcome.err.find("Try 'velomir-cli --help'"), std::string::npos) << outcome.err;
    }
    EXPECT_FALSE(fs::exists(folder_));
    EXPECT_TRUE(stub_.requestLog().empty());
}

TEST_F(CliDownloadTest, AFolderThatCannotBeMadeEndsTheRunWithOneLine) {
    std::fclose(std::fopen(folder_.c_str(), "w"));
    const Outcome run = download(kHostileList);
    EXPECT_EQ(run.status, 1);
    const std::string account =
        "saved 0, already there 0, unavailable 0, failed 0\n"
        "stopped with 12 tracks unfinished; a run into the same folder resumes them\n"
        "velomir-cli: ";
    EXPECT_EQ(run.err.substr(0, account.size()), account);
    EXPECT_NE(run.err.find(folder_.string()), std::string::npos) << run.err;
    EXPECT_EQ(countOf(run.err, "\n"), 3) << run.err;
}

// Ctrl+C while a transfer hangs: the run ends at once with 130, the .part stays, and the next run resumes it;
// on a terminal that run shows its progress line and clears it.
TEST_F(CliDownloadTest, InterruptKeepsThePartForTheNextRun) {
    fs::create_directories(folder_);
    FolderWatch watch(folder_);
    FILE* errors = std::tmpfile();
    ASSERT_NE(errors, nullptr);
    const pid_t cli = startCli(
        {"--service-address", service_, "--format", "tsv", "--download", folder_.string(), "--jobs", "1", kFaultList},
        -1, fileno(errors));
    // The song that stalls after its first 64 KiB: its .part written, the transfer hanging.
    const bool written = watch.waitForWrite("Stalls Once", ".mp3.part", cli);
    kill(cli, SIGINT);
    EXPECT_EQ(waitForExit(cli), 130);
    ASSERT_TRUE(written);
    const std::string err = readFromStart(errors);
    std::fclose(errors);
    // One transfer at a time: the songs after the stalled one were never begun.
    EXPECT_TRUE(err.starts_with("saved ")) << err;
    EXPECT_NE(err.find("unavailable 0, failed 0\n"), std::string::npos) << err;
    EXPECT_NE(err.find("\nstopped with "), std::string::npos) << err;

    // The stalled song's .part, and perhaps one waiting for its retry: each a start of its song.
    const FolderContent stopped = contentOf(folder_);
    ASSERT_FALSE(stopped.parts.empty());
    bool stalledKept = false;
    for (const fs::path& file : stopped.parts) {
        SCOPED_TRACE(file.filename().string());
        const std::string part = fileBytes(file);
        EXPECT_GT(part.size(), 0u);
        bool startOfASong = false;
        for (std::int64_t id = 7610000001; id <= 7610000008; ++id) {
            const std::string audio = songAudio(id);
            startOfASong = startOfASong || (part.size() < audio.size() && audio.compare(0, part.size(), part) == 0);
        }
        EXPECT_TRUE(startOfASong);
        stalledKept = stalledKept || file.filename().string().find("Stalls Once") != std::string::npos;
    }
    EXPECT_TRUE(stalledKept);
    expectWholeFiles(stopped.audio);

    const Outcome resumed = runCliOnTerminal(
        {"--service-address", service_, "--format", "tsv", "--download", folder_.string(), kFaultList});
    EXPECT_EQ(resumed.status, 1);
    EXPECT_NE(resumed.out.find("saved "), std::string::npos) << resumed.out;
    EXPECT_NE(resumed.out.find("/8  "), std::string::npos) << "a progress line";
    EXPECT_NE(resumed.out.find("\r\x1b[Ksaved "), std::string::npos) << "cleared before the summary";
    const FolderContent after = contentOf(folder_);
    EXPECT_TRUE(after.parts.empty());
    EXPECT_EQ(after.audio.size(), 5u);
    expectWholeFiles(after.audio);
}

// SIGTERM while every audio answer is held back: the transfers are given up at once, nothing gets a final name.
TEST(CliDownloadStop, TerminateEndsHeldTransfersAtOnce) {
    StubOptions options;
    options.audioDelayMs = 3'600'000;
    StubService stub(options);
    ASSERT_GT(stub.start(), 0);
    const std::string service = addressOf(stub);
    ScratchFolder scratch;
    ASSERT_EQ(listRows(service, kHostileList).size(), 12u);
    const std::size_t listing = stub.requestLog().size();
    stub.clearRequestLog();

    fs::create_directories(scratch.path() / "saved");
    FILE* errors = std::tmpfile();
    ASSERT_NE(errors, nullptr);
    const pid_t cli = startCli({"--service-address", service, "--format", "tsv", "--download",
                                (scratch.path() / "saved").string(), kHostileList},
                               -1, fileno(errors));
    stub.waitForRequests(listing + 4);
    kill(cli, SIGTERM);
    EXPECT_EQ(waitForExit(cli), 143);
    // The account says the run was stopped, not killed.
    EXPECT_EQ(readFromStart(errors),
              "saved 0, already there 0, unavailable 0, failed 0\n"
              "stopped with 12 tracks unfinished; a run into the same folder resumes them\n");
    std::fclose(errors);
    EXPECT_TRUE(contentOf(scratch.path() / "saved").audio.empty());
    stub.stop();
}

// SIGKILL at random moments of a run (the k-th change in the folder): a file under a final name is always whole,
// and a last run leaves every file whole and nothing else behind.
TEST_F(CliDownloadTest, KilledAtAnyMomentEveryFinalNameIsWhole) {
    fs::create_directories(folder_);
    FolderWatch watch(folder_);
    const std::vector<std::string> arguments = {"--service-address", service_,         "--format",  "tsv",
                                                "--download",        folder_.string(), kHostileList};
    // One run to the end tells how many changes a whole run makes.
    long changes = 0;
    {
        const pid_t cli = startCli(arguments, -1, -1);
        changes = watch.waitForEvents(std::numeric_limits<long>::max(), cli);
        ASSERT_EQ(waitForExit(cli), 0);
    }
    ASSERT_GT(changes, 12);
    const auto emptyFolder = [&] {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) fs::remove_all(entry.path());
    };
    emptyFolder();

    std::mt19937 random(20261208);
    int killed = 0;
    for (int round = 0; round < 30; ++round) {
        const long moment = std::uniform_int_distribution<long>(1, changes)(random);
        SCOPED_TRACE("round " + std::to_string(round) + ", change " + std::to_string(moment));
        watch.drain();
        const pid_t cli = startCli(arguments, -1, -1);
        if (watch.waitForEvents(moment, cli) >= moment) kill(cli, SIGKILL);
        const int status = waitForExit(cli);
        const FolderContent content = contentOf(folder_);
        expectWholeFiles(content.audio);
        if (status == 128 + SIGKILL) {
            ++killed;
        } else {
            // The run ended before the moment came: it must have finished the list; start over.
            EXPECT_EQ(status, 0);
            EXPECT_EQ(content.audio.size(), 12u);
            EXPECT_TRUE(content.parts.empty());
            emptyFolder();
        }
    }
    EXPECT_GE(killed, 15);

    const Outcome last = runCliArguments(arguments);
    EXPECT_EQ(last.status, 0) << last.err;
    const FolderContent content = contentOf(folder_);
    EXPECT_EQ(content.audio.size(), 12u);
    EXPECT_TRUE(content.parts.empty() && content.other.empty());
    expectWholeFiles(content.audio);
}

}  // namespace
}  // namespace velomir
