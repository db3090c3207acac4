#include "downloads/download_engine.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>

#include "downloads/download_archive.h"
#include "downloads/download_test_support.h"
#include "settings/settings_test_support.h"

namespace velomir {
namespace {

using namespace std::chrono_literals;
using testing::mp3Frames;
using testing::rangeStart;
using testing::ScriptedAnswer;
using testing::ScriptedRequest;
using testing::ScriptedServer;
using testing::tagBytes;

class Recorder : public DownloadObserver {
public:
    void progressed(const DownloadProgress& progress) override {
        last = progress;
        ++progressCount;
        if (onProgress) onProgress(progress);
    }
    void trackFinished(const DownloadResult& result) override { finished.push_back(result); }

    std::function<void(const DownloadProgress&)> onProgress;
    DownloadProgress last;
    int progressCount = 0;
    std::vector<DownloadResult> finished;
};

class DownloadEngine : public ::testing::Test {
protected:
    // Starts the server; `script` is also told how many requests for the same target came so far, this one included.
    void serve(std::function<ScriptedAnswer(const ScriptedRequest&, int try_)> script) {
        server_ = std::make_unique<ScriptedServer>([this, script](const ScriptedRequest& request) {
            int try_ = 0;
            {
                std::lock_guard lock(mutex_);
                try_ = ++tries_[request.target];
            }
            return script(request, try_);
        });
        http_.serviceAddress = server_->hostAndPort();
        http_.timeout = 10s;
        http_.stop = &stop_;
        options_.folder = folder();
        options_.firstPause = 10ms;
    }

    DownloadItem item(int position, const std::string& id, const std::string& name) {
        return {position, testing::trackRow(id, name, server_->address("/audio/" + id + ".mp3"))};
    }
    DownloadReport run(const std::vector<DownloadItem>& items) {
        return downloadTracks(items, options_, http_, &recorder_);
    }

    std::string folder() const { return scratch_.filePath("songs"); }
    std::string path(const std::string& name) const { return folder() + "/" + name; }
    bool exists(const std::string& name) const { return std::filesystem::exists(path(name)); }
    std::string read(const std::string& name) const { return testing::readFile(path(name)); }
    void write(const std::string& name, const std::string& bytes) const {
        std::filesystem::create_directories(folder());
        testing::writeFile(path(name), bytes);
    }
    // The audio of a saved file, behind its tag.
    std::string audioOf(const std::string& name) const {
        const std::string bytes = read(name);
        return bytes.substr(tagBytes(bytes));
    }
    std::vector<std::string> ranges(const std::string& target) const {
        std::vector<std::string> found;
        for (const ScriptedRequest& request : server_->requests(target)) found.push_back(request.range);
        return found;
    }
    std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder())) {
            const std::string name = entry.path().filename().string();
            if (name.ends_with(".part") || name.starts_with(".velomir-tmp-")) names.push_back(name);
        }
        return names;
    }

    testing::ScratchFolder scratch_;
    std::unique_ptr<ScriptedServer> server_;
    std::mutex mutex_;
    std::map<std::string, int> tries_;
    StopFlag stop_{false};
    HttpSettings http_;
    DownloadOptions options_;
    Recorder recorder_;
};

TEST_F(DownloadEngine, SavesEachTrackTaggedUnderItsOwnNameWithTheAlbumCoverAskedOnce) {
    const std::string one = mp3Frames(24, 1), two = mp3Frames(30, 2), three = mp3Frames(26, 3);
    serve([&](const ScriptedRequest& request, int) -> ScriptedAnswer {
        if (request.target == "/audio/1.mp3") return testing::whole(one);
        if (request.target == "/audio/2.mp3") return testing::whole(two);
        if (request.target == "/audio/3.mp3") return testing::whole(three);
        if (request.target.starts_with("/song/media/outer/url?id=3.mp3")) {
            return testing::redirect(server_->address("/audio/3.mp3"));
        }
        if (request.target == "/cover/9.jpg") return testing::whole(testing::jpegBytes(), "image/jpeg");
        return testing::status(404);
    });
    std::vector<DownloadItem> items = {item(1, "1", "一"), item(2, "2", "同名"), item(3, "3", "同名")};
    items[2].row.audioAddress = "http://m1.music.126.net/0.mp3";  // the placeholder: resolved through the outer address
    for (DownloadItem& entry : items) entry.row.trackCover = server_->address("/cover/9.jpg");
    options_.listSize = 12;

    const DownloadReport report = run(items);

    ASSERT_EQ(report.results.size(), 3u);
    EXPECT_EQ(report.saved, 3);
    EXPECT_FALSE(report.stopped);
    EXPECT_EQ(report.stopMessage, "");
    EXPECT_EQ(report.results[0].fileName, "歌手 - 一.mp3");
    EXPECT_EQ(report.results[1].fileName, "歌手 - 同名.mp3");
    EXPECT_NE(report.results[2].fileName, report.results[1].fileName);
    EXPECT_EQ(audioOf(report.results[0].fileName), one);
    EXPECT_EQ(audioOf(report.results[1].fileName), two);
    EXPECT_EQ(audioOf(report.results[2].fileName), three);
    EXPECT_TRUE(leftovers().empty());

    testing::TagReader tags(read(report.results[1].fileName));
    EXPECT_EQ(testing::utf8(tags.tag().title()), "同名");
    EXPECT_EQ(testing::utf8(tags.tag().album()), "专辑");
    EXPECT_EQ(testing::utf8(tags.frame("TRCK")->toString()), "2/12");
    auto& picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame&>(*tags.frame("APIC"));
    EXPECT_EQ(picture.picture(), testing::bytesOf(testing::jpegBytes()));
    EXPECT_EQ(server_->requests("/cover/").size(), 1u);
    const auto outer = server_->requests("/song/media/outer/url");
    ASSERT_EQ(outer.size(), 1u);
    EXPECT_EQ(outer[0].host, "music.163.com");

    DownloadArchive archive(folder());
    for (const char* id : {"1", "2", "3"}) EXPECT_TRUE(archive.contains(id)) << id;
    ASSERT_EQ(recorder_.finished.size(), 3u);
    EXPECT_EQ(recorder_.last.finished, 3);
    EXPECT_EQ(recorder_.last.total, 3);
    EXPECT_EQ(recorder_.last.bytesReceived, static_cast<std::int64_t>(one.size() + two.size() + three.size()));
    EXPECT_EQ(recorder_.last.bytesExpected, recorder_.last.bytesReceived);
}

TEST_F(DownloadEngine, ResumesAPartOnlyFromWhereItEnds) {
    std::map<std::string, std::string> bodies;
    for (char id = '1'; id <= '5'; ++id) bodies[std::string(1, id)] = mp3Frames(24, id);
    serve([&](const ScriptedRequest& request, int try_) -> ScriptedAnswer {
        const std::string id = request.target.substr(7, 1);
        const std::string& body = bodies.at(id);
        const std::size_t from = rangeStart(request);
        if (id == "1" && from > 0) return testing::rest(body, from);
        if (id == "3" && try_ == 1) return testing::rest(body, 2000);  // not where the .part ends
        if ((id == "4" || id == "5") && from > 0)
            return {416, {{"Content-Range", "bytes */" + std::to_string(body.size())}}, {}};
        return testing::whole(body);  // a Range ignored
    });
    write("歌手 - r1.mp3.part", bodies["1"].substr(0, 5000));
    write("歌手 - r2.mp3.part", std::string(3000, 'j'));
    write("歌手 - r3.mp3.part", bodies["3"].substr(0, 4000));
    write("歌手 - r4.mp3.part", bodies["4"]);
    write("歌手 - r5.mp3.part", std::string(6000, 'j'));
    std::vector<DownloadItem> items;
    for (int i = 1; i <= 5; ++i) items.push_back(item(i, std::to_string(i), "r" + std::to_string(i)));

    const DownloadReport report = run(items);

    EXPECT_EQ(report.saved, 5);
    for (int i = 1; i <= 5; ++i) {
        const std::string id = std::to_string(i);
        EXPECT_EQ(audioOf("歌手 - r" + id + ".mp3"), bodies[id]) << id;
    }
    EXPECT_EQ(ranges("/audio/1.mp3"), (std::vector<std::string>{"bytes=5000-"}));
    EXPECT_EQ(ranges("/audio/2.mp3"), (std::vector<std::string>{"bytes=3000-"}));
    EXPECT_EQ(ranges("/audio/3.mp3"), (std::vector<std::string>{"bytes=4000-", ""}));
    EXPECT_EQ(ranges("/audio/4.mp3"), (std::vector<std::string>{"bytes=" + std::to_string(bodies["4"].size()) + "-"}));
    EXPECT_EQ(ranges("/audio/5.mp3"), (std::vector<std::string>{"bytes=6000-", ""}));
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(DownloadEngine, TriesAgainAfterACutAPauseAskedForAndAStall) {
    const std::string body = mp3Frames(40, 7);
    serve([&](const ScriptedRequest& request, int try_) -> ScriptedAnswer {
        const std::size_t from = rangeStart(request);
        if (from > 0) return testing::rest(body, from);
        ScriptedAnswer answer = testing::whole(body);
        if (request.target == "/audio/1.mp3" && try_ == 1) answer.sendBytes = 5000;  // connection lost
        if (request.target == "/audio/2.mp3" && try_ == 1) return testing::status(503, {{"Retry-After", "1"}});
        if (request.target == "/audio/3.mp3" && try_ == 1) {
            answer.sendBytes = 4096;  // then silence
            answer.stall = true;
        }
        return answer;
    });
    options_.stallTime = 1s;

    const DownloadReport report = run({item(1, "1", "cut"), item(2, "2", "busy"), item(3, "3", "stall")});

    EXPECT_EQ(report.saved, 3);
    for (const char* name : {"歌手 - cut.mp3", "歌手 - busy.mp3", "歌手 - stall.mp3"}) EXPECT_EQ(audioOf(name), body);
    EXPECT_EQ(ranges("/audio/1.mp3"), (std::vector<std::string>{"", "bytes=5000-"}));
    EXPECT_EQ(ranges("/audio/3.mp3"), (std::vector<std::string>{"", "bytes=4096-"}));
    const auto busy = server_->requests("/audio/2.mp3");
    ASSERT_EQ(busy.size(), 2u);
    EXPECT_GE(busy[1].when - busy[0].when, 1s);
}

TEST_F(DownloadEngine, GivesUpAtOnceOnRefusalsAndAfterTheTriesOnFaults) {
    serve([&](const ScriptedRequest& request, int) -> ScriptedAnswer {
        if (request.target == "/audio/1.mp3") return testing::status(404);
        if (request.target == "/audio/2.mp3") return testing::status(403);
        return testing::status(500);
    });
    options_.maxTries = 3;

    const DownloadReport report = run({item(1, "1", "gone"), item(2, "2", "refused"), item(3, "3", "broken")});

    ASSERT_EQ(report.results.size(), 3u);
    EXPECT_EQ(report.results[0].outcome, DownloadOutcome::Unavailable);
    EXPECT_EQ(report.results[1].outcome, DownloadOutcome::Unavailable);
    EXPECT_EQ(report.results[2].outcome, DownloadOutcome::Failed);
    EXPECT_NE(report.results[2].reason.find("500"), std::string::npos) << report.results[2].reason;
    EXPECT_EQ(report.unavailable, 2);
    EXPECT_EQ(report.failed, 1);
    EXPECT_EQ(server_->requests("/audio/1.mp3").size(), 1u);
    EXPECT_EQ(server_->requests("/audio/2.mp3").size(), 1u);
    EXPECT_EQ(server_->requests("/audio/3.mp3").size(), 3u);
    EXPECT_TRUE(leftovers().empty());
    EXPECT_FALSE(exists("歌手 - gone.mp3") || exists("歌手 - refused.mp3") || exists("歌手 - broken.mp3"));
}

TEST_F(DownloadEngine, LeavesNothingForWhatIsNoAudio) {
    const std::string page = "<!DOCTYPE html><html>" + std::string(10000, ' ') + "</html>";
    serve([&](const ScriptedRequest& request, int) -> ScriptedAnswer {
        if (request.target == "/audio/1.mp3") return testing::redirect("http://music.163.com/404");
        if (request.target == "/404" && request.host == "music.163.com") return testing::whole(page, "text/html");
        if (request.target == "/audio/2.mp3" || request.target == "/audio/5.mp3") return testing::whole(page);
        if (request.target == "/audio/3.mp3") return testing::whole(mp3Frames(), "text/html; charset=utf-8");
        if (request.target == "/audio/4.mp3") return testing::whole(mp3Frames(5));
        return testing::status(404);
    });
    write("歌手 - 5.mp3.part", mp3Frames(3));  // a .part whose rest turns out to be a page

    std::vector<DownloadItem> items;
    for (int i = 1; i <= 5; ++i) items.push_back(item(i, std::to_string(i), std::to_string(i)));
    const DownloadReport report = run(items);

    EXPECT_EQ(report.unavailable, 5);
    for (const DownloadResult& result : report.results) {
        EXPECT_EQ(result.outcome, DownloadOutcome::Unavailable) << result.title;
        EXPECT_FALSE(result.reason.empty());
        EXPECT_FALSE(exists(result.fileName)) << result.fileName;
        EXPECT_EQ(server_->requests("/audio/" + result.trackId + ".mp3").size(), 1u) << result.title;
    }
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(DownloadEngine, SkipsWhatIsAlreadyThere) {
    serve([&](const ScriptedRequest&, int) { return testing::whole(mp3Frames()); });
    write("歌手 - kept.mp3", "a file the user has");
    write("歌手 - kept.mp3.part", "left from a crash");
    write(".velomir-tmp-Ab12Cd", "left from a crash");
    ASSERT_TRUE(DownloadArchive(folder()).add("1"));

    const DownloadReport report = run({item(1, "1", "renamed"), item(2, "2", "kept"), item(3, "3", "new")});

    ASSERT_EQ(report.results.size(), 3u);
    EXPECT_EQ(report.results[0].outcome, DownloadOutcome::AlreadyThere);
    EXPECT_EQ(report.results[1].outcome, DownloadOutcome::AlreadyThere);
    EXPECT_EQ(report.results[2].outcome, DownloadOutcome::Saved);
    EXPECT_EQ(report.alreadyThere, 2);
    EXPECT_EQ(server_->requests().size(), 1u);
    EXPECT_EQ(read("歌手 - kept.mp3"), "a file the user has");
    EXPECT_FALSE(exists("歌手 - renamed.mp3"));
    EXPECT_TRUE(leftovers().empty());
    EXPECT_TRUE(DownloadArchive(folder()).contains("3"));
}

TEST_F(DownloadEngine, RunsAsManyTransfersAtOnceAsAsked) {
    std::mutex mutex;
    std::condition_variable arrival;
    int arrived = 0, answering = 0, mostAtOnce = 0;
    serve([&](const ScriptedRequest&, int) {
        std::unique_lock lock(mutex);
        const int order = ++arrived;
        mostAtOnce = std::max(mostAtOnce, ++answering);
        arrival.notify_all();
        // The first two wait for each other (ten seconds at most): the transfers must overlap.
        if (order <= 2) arrival.wait_for(lock, 10s, [&] { return arrived >= 2; });
        --answering;
        return testing::whole(mp3Frames());
    });
    options_.jobs = 2;

    std::vector<DownloadItem> items;
    for (int i = 1; i <= 6; ++i) items.push_back(item(i, std::to_string(i), std::to_string(i)));
    const DownloadReport report = run(items);

    EXPECT_EQ(report.saved, 6);
    EXPECT_EQ(mostAtOnce, 2);
    EXPECT_LE(server_->mostAtOnce(), 3);  // a finished connection may linger a moment on the server's side
}

TEST_F(DownloadEngine, WritesTheLyricsBesideAndIntoTheTag) {
    serve([&](const ScriptedRequest& request, int) -> ScriptedAnswer {
        if (request.target.starts_with("/audio/")) return testing::whole(mp3Frames());
        if (request.target.starts_with("/api/song/lyric?id=1&")) {
            return testing::whole(R"({"lrc":{"lyric":"[00:01.00]你好\n"},"code":200})", "application/json");
        }
        return testing::status(503);  // song 2's lyrics never come
    });
    options_.lyrics = true;

    const DownloadReport report = run({item(1, "1", "sung"), item(2, "2", "silent")});

    EXPECT_EQ(report.saved, 2);
    EXPECT_EQ(read("歌手 - sung.lrc"), "[00:01.00]你好\n");
    testing::TagReader tags(read("歌手 - sung.mp3"));
    auto& lyrics = dynamic_cast<TagLib::ID3v2::UnsynchronizedLyricsFrame&>(*tags.frame("USLT"));
    EXPECT_EQ(testing::utf8(lyrics.text()), "[00:01.00]你好\n");
    EXPECT_FALSE(exists("歌手 - silent.lrc"));
    EXPECT_EQ(testing::TagReader(read("歌手 - silent.mp3")).count("USLT"), 0);
}

TEST_F(DownloadEngine, StopsAtTheStopFlagKeepingThePart) {
    const std::string body = mp3Frames(40);
    serve([&](const ScriptedRequest&, int) {
        ScriptedAnswer answer = testing::whole(body);
        answer.sendBytes = 6000;
        answer.stall = true;
        return answer;
    });
    recorder_.onProgress = [&](const DownloadProgress& progress) {
        if (progress.bytesReceived >= 6000) stop_ = true;
    };

    const DownloadReport report = run({item(1, "1", "stopped")});

    EXPECT_TRUE(report.stopped);
    EXPECT_TRUE(report.results.empty());
    EXPECT_FALSE(exists("歌手 - stopped.mp3"));
    EXPECT_EQ(read("歌手 - stopped.mp3.part"), body.substr(0, 6000));
}

TEST_F(DownloadEngine, EndsTheRunWhenTheFolderCannotBeWritten) {
    serve([&](const ScriptedRequest&, int) { return testing::whole(mp3Frames(40)); });
    testing::writeFile(scratch_.filePath("plain"), "a file, not a folder");
    options_.folder = scratch_.filePath("plain") + "/songs";

    DownloadReport report = run({item(1, "1", "nowhere")});

    EXPECT_EQ(report.stopMessage.rfind("cannot write into " + options_.folder + ": ", 0), 0u) << report.stopMessage;
    EXPECT_TRUE(report.results.empty());
    EXPECT_TRUE(server_->requests().empty());

    // The disk fills up in the middle of the body.
    options_.folder = folder();
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 6000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    report = run({item(1, "1", "full")});
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(report.stopMessage, "cannot write into " + folder() + ": File too large");
    EXPECT_FALSE(report.stopped);
    EXPECT_TRUE(report.results.empty());
    EXPECT_FALSE(exists("歌手 - full.mp3"));
    const std::string part = read("歌手 - full.mp3.part");
    EXPECT_LE(part.size(), 6000u);
    EXPECT_EQ(part, mp3Frames(40).substr(0, part.size()));
}

}  // namespace
}  // namespace velomir
