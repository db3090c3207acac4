// Saves a list's tracks into a folder: several transfers at once, each to NAME.mp3.part renamed only when whole,
// verified as audio and tagged, resumed where an earlier run stopped.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/curl_transport.h"
#include "analysis/result_row.h"

namespace velomir {

struct DownloadItem {
    int position = 0;  // the row's number in the list, 1-based
    ResultRow row;     // a track or a programme row
};

struct DownloadOptions {
    std::string folder;  // created when missing
    int jobs = 4;        // transfers at once, 1 to 8
    std::string nameTemplate{"{artists} - {name}"};
    int listSize = 0;     // rows in the whole list: {index}'s width and the tag's track total; 0: items.size()
    bool lyrics = false;  // a NAME.lrc beside each file and the lyrics in its tag
    int maxTries = 5;     // per track, transient failures only
    std::chrono::milliseconds firstPause{1000};  // before the second try, doubling; a longer Retry-After wins
    std::chrono::milliseconds stallTime{std::chrono::seconds(30)};  // no byte for this long: abandoned, resumed
};

enum class DownloadOutcome { Saved, AlreadyThere, Unavailable, Failed };

// How a DownloadResult's reason begins, so that a front end can word it in its own language; a reason that begins
// with none of them is a transfer error as libcurl words it.
namespace download_reason {
inline constexpr std::string_view kNoAddress = "the service gives no audio address for it";
inline constexpr std::string_view kNoFile = "the service has no file for it";
inline constexpr std::string_view kWebPage = "the service sent a web page instead of audio";
inline constexpr std::string_view kTooShort = "the service sent too little to be a song";
inline constexpr std::string_view kNotAudio = "the service sent something that is no audio";
inline constexpr std::string_view kWrongPlace = "the service keeps sending the file from the wrong place";
inline constexpr std::string_view kHttpAnswer = "the service answered HTTP ";  // then the status code
inline constexpr std::string_view kNoData = "no data came for ";               // then "N s"
inline constexpr std::string_view kEndedEarly = "the answer ended early";
inline constexpr std::string_view kCannotSave = "cannot save it: ";  // then the system's words
inline constexpr std::string_view kCannotPrepare = "cannot prepare the request";
}  // namespace download_reason

struct DownloadResult {
    int position = 0;
    std::string trackId;
    std::string title;     // the row's name
    std::string fileName;  // the final name inside the folder
    DownloadOutcome outcome = DownloadOutcome::Failed;
    std::string reason;  // one line for a person; empty for Saved and AlreadyThere
};

struct DownloadProgress {
    int total = 0;
    int finished = 0;  // tracks with an outcome
    std::int64_t bytesReceived = 0;
    std::int64_t bytesExpected = 0;  // sum of the sizes known so far
    double bytesPerSecond = 0;
    std::int64_t secondsLeft = -1;  // -1: not known yet
    std::string current;            // the name of a track being saved
};

class DownloadObserver {
public:
    virtual ~DownloadObserver() = default;
    // Called on the engine's thread, at most a few times a second, and once at the end.
    virtual void progressed(const DownloadProgress& /*progress*/) {}
    virtual void trackFinished(const DownloadResult& /*result*/) {}
};

struct DownloadReport {
    std::vector<DownloadResult> results;  // in the items' order
    int saved = 0, alreadyThere = 0, unavailable = 0, failed = 0;
    bool stopped = false;     // the stop flag ended the run; unfinished tracks are not in `results`
    std::string stopMessage;  // a run-ending fault (folder cannot be written, disk full); empty otherwise
};

// Runs on the caller's thread until every item has an outcome, the stop flag is set or the folder fails. `http`
// carries the service address, certificates and stop flag for every request (audio, covers, lyrics).
DownloadReport downloadTracks(const std::vector<DownloadItem>& items, const DownloadOptions& options,
                              const HttpSettings& http, DownloadObserver* observer = nullptr);

}  // namespace velomir
