#include "downloads/download_engine.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <optional>

#include "analysis/audio_address.h"
#include "analysis/http_body.h"
#include "analysis/service_addresses.h"
#include "downloads/audio_check.h"
#include "downloads/download_archive.h"
#include "downloads/download_folder.h"
#include "downloads/file_naming.h"
#include "downloads/track_tagger.h"
#include "lyrics/lyric_source.h"
#include "lyrics/lyrics.h"

namespace velomir {

namespace {

using Milliseconds = std::chrono::milliseconds;
using TimePoint = Clock::time_point;

// How long the loop sleeps at most between looks at the stop flag and the paused tracks.
constexpr Milliseconds kPollInterval{100};
constexpr Milliseconds kProgressInterval{200};
constexpr Milliseconds kSpeedWindow{5000};
constexpr Milliseconds kLongestPause{60000};
constexpr int kMaxJobs = 8;
// A service that keeps answering a resumed request from the wrong place gets this many clean starts.
constexpr int kMaxRestarts = 3;
// Covers and lyrics only add to a track: a few tries, then the track is saved without them.
constexpr int kMaxExtraTries = 3;
constexpr std::size_t kMaxCoverBytes = std::size_t{16} << 20;

constexpr char kPartExtension[] = ".part";
constexpr char kLyricExtension[] = ".lrc";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char a = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (a != prefix[i]) return false;
    }
    return true;
}

// The headers of one answer. Each answer on the way (a redirect) replaces the one before.
struct Answer {
    long code = 0;
    std::int64_t contentLength = -1;
    std::string contentType, contentRange, contentEncoding, retryAfter;

    void read(std::string_view line) {
        if (line.starts_with("HTTP/")) {
            *this = Answer{};
            const auto space = line.find(' ');
            if (space != std::string_view::npos) code = std::atol(std::string(line.substr(space + 1, 3)).c_str());
            return;
        }
        const auto colon = line.find(':');
        if (colon == std::string_view::npos) return;
        const std::string_view name = line.substr(0, colon + 1);
        const std::string value(trimmed(line.substr(colon + 1)));
        if (startsWithNoCase(name, "content-type:")) contentType = value;
        if (startsWithNoCase(name, "content-range:")) contentRange = value;
        if (startsWithNoCase(name, "content-encoding:")) contentEncoding = value;
        if (startsWithNoCase(name, "retry-after:")) retryAfter = value;
        if (startsWithNoCase(name, "content-length:")) contentLength = std::atoll(value.c_str());
    }
    bool transient() const { return code == 408 || code == 429 || code >= 500; }
};

// libcurl results that a later try cannot change.
bool isLastingFailure(CURLcode result) {
    switch (result) {
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
        case CURLE_TOO_MANY_REDIRECTS:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_FILESIZE_EXCEEDED:
        case CURLE_OUT_OF_MEMORY:
            return true;
        default:
            return false;
    }
}

int writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

enum class Kind { Audio, Extra };

// What libcurl's private pointer leads to: a track's audio transfer or a cover or lyric request.
struct Transfer {
    explicit Transfer(Kind k) : kind(k) {}
    Kind kind;
    CURL* curl = nullptr;
    Answer answer;
    char error[CURL_ERROR_SIZE] = {};
    int failures = 0;  // failed tries that count against the limit
    TimePoint notBefore{};
    TimePoint lastActivity{};  // the last byte of the running try
};

// A cover or lyrics, held in memory; shared by every track that wants it.
struct Extra : Transfer {
    Extra(std::string a, std::size_t l, bool t) : Transfer(Kind::Extra), address(std::move(a)), limit(l), text(t) {}
    enum class State { Idle, Waiting, Running, Done };
    std::string address;
    std::size_t limit;
    bool text;
    State state = State::Idle;
    std::string body;
    bool tooLarge = false;
    bool ok = false;
};

// Why a try ended before libcurl was done with it.
enum class Ending { None, Unavailable, Restart, Answered, DiskFault, Stopped, Stalled };

class Engine;

struct Task : Transfer {
    Task() : Transfer(Kind::Audio) {}
    enum class Stage { Queued, Transferring, Verified, Done };
    Engine* engine = nullptr;
    const DownloadItem* item = nullptr;
    NameFields fields;  // name, artists, album, ID and place as the file's name and tag give them
    std::string songId, fileName, partName;
    Stage stage = Stage::Queued;
    bool begun = false;  // has had a try: counts towards the bytes expected
    int restarts = 0;
    // The current try.
    Ending ending = Ending::None;
    std::string endReason;
    int diskError = 0;
    int fd = -1;
    bool bodyBegun = false;
    std::int64_t partSize = 0;  // bytes in the .part when the try began
    std::int64_t offset = 0;    // where this try's bytes land
    std::int64_t received = 0;  // bytes of this try written
    std::int64_t total = -1;    // the whole file's size, once an answer told it
    AudioFormat format = AudioFormat::None;
    Extra* cover = nullptr;
    Extra* lyrics = nullptr;

    std::int64_t have() const { return offset + received; }
};

class Engine {
public:
    Engine(const std::vector<DownloadItem>& items, const DownloadOptions& options, const HttpSettings& http,
           DownloadObserver* observer)
        : items_(items),
          options_(options),
          http_(http),
          observer_(observer),
          setup_(http),
          folder_(options.folder),
          jobs_(static_cast<std::size_t>(std::clamp(options.jobs, 1, kMaxJobs))),
          maxTries_(std::max(options.maxTries, 1)),
          tasks_(items.size()),
          results_(items.size()) {}

    ~Engine() {
        for (Task& task : tasks_) {
            endTransfer(task);
            if (task.fd >= 0) ::close(task.fd);
        }
        for (auto& extra : extras_) endTransfer(*extra);
        if (multi_ != nullptr) curl_multi_cleanup(multi_);
    }

    DownloadReport run() {
        report_.stopMessage = folder_.prepare();
        if (report_.stopMessage.empty() && !setup_.ready()) report_.stopMessage = "cannot prepare the requests";
        if (report_.stopMessage.empty()) multi_ = curl_multi_init();
        if (multi_ == nullptr && report_.stopMessage.empty()) report_.stopMessage = "cannot prepare the requests";
        if (report_.stopMessage.empty()) {
            plan();
            loop();
        }
        reportProgress();
        for (auto& result : results_) {
            if (result) report_.results.push_back(std::move(*result));
        }
        return std::move(report_);
    }

private:
    // ----- Planning -----------------------------------------------------------------------------------------------

    void plan() {
        const int listSize = options_.listSize > 0 ? options_.listSize : static_cast<int>(items_.size());
        std::vector<NameFields> fields;
        for (const DownloadItem& item : items_) {
            const ResultRow& row = item.row;
            const bool track = !row.trackId.empty() || row.programmeId.empty();
            fields.push_back(NameFields{track ? row.trackName : row.programmeName,
                                        track ? row.artistNames : row.djNickname, track ? row.albumName : row.radioName,
                                        track ? row.trackId : row.programmeId, item.position, listSize});
        }
        const std::string_view nameTemplate =
            isNameTemplate(options_.nameTemplate) ? std::string_view(options_.nameTemplate) : kDefaultNameTemplate;
        const std::vector<std::string> names = planFileNames(nameTemplate, fields);
        archive_.emplace(folder_.path());
        for (std::size_t i = 0; i < items_.size(); ++i) {
            Task& task = tasks_[i];
            task.engine = this;
            task.item = &items_[i];
            task.fields = fields[i];
            task.songId = items_[i].row.trackId;
            task.fileName = i < names.size() ? names[i] : safeFileName(task.fields.id, ".mp3");
            task.partName = task.fileName + kPartExtension;
            if (folder_.sizeOf(task.fileName) >= 0) {
                folder_.remove(task.partName);
                finish(task, DownloadOutcome::AlreadyThere, {});
            } else if (!task.fields.id.empty() && archive_->contains(task.fields.id)) {
                finish(task, DownloadOutcome::AlreadyThere, {});
            }
        }
    }

    // ----- The loop -----------------------------------------------------------------------------------------------

    void loop() {
        while (true) {
            int handles = 0;
            curl_multi_perform(multi_, &handles);
            readMessages();
            if (stopRequested()) {
                report_.stopped = true;
                return;
            }
            if (!report_.stopMessage.empty()) return;
            const TimePoint now = Clock::now();
            endStalled(now);
            saveVerified();
            if (!report_.stopMessage.empty()) return;
            const std::size_t running = active_.size();
            startTransfers(now);
            startExtras(now);
            if (done_ == tasks_.size()) return;
            if (now - lastProgress_ >= kProgressInterval) reportProgress();
            // New transfers are set going at once rather than after a wait.
            if (active_.size() <= running) {
                curl_multi_poll(multi_, nullptr, 0, static_cast<int>(waitTime(now).count()), nullptr);
            }
        }
    }

    Milliseconds waitTime(TimePoint now) const {
        Milliseconds wait = kPollInterval;
        const auto until = [&](TimePoint when) {
            if (when > now) wait = std::min(wait, std::chrono::ceil<Milliseconds>(when - now));
        };
        for (const Task* task : paused_) until(task->notBefore);
        for (const Extra* extra : pendingExtras_) {
            if (extra->state == Extra::State::Waiting) until(extra->notBefore);
        }
        return std::max(wait, Milliseconds(1));
    }

    void readMessages() {
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
            if (message->msg != CURLMSG_DONE) continue;
            void* data = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &data);
            auto* transfer = static_cast<Transfer*>(data);
            const CURLcode result = message->data.result;
            if (transfer->kind == Kind::Audio) {
                audioDone(static_cast<Task&>(*transfer), result);
            } else {
                extraDone(static_cast<Extra&>(*transfer), result);
            }
        }
    }

    // A transfer that brought no byte for the stall time is ended here, and tried again: libcurl's own low-speed
    // limit averages over several seconds, so it would notice a stall only that much later.
    void endStalled(TimePoint now) {
        for (Task* task : std::vector<Task*>(active_)) {
            if (now - task->lastActivity >= options_.stallTime) {
                task->ending = Ending::Stalled;
                audioDone(*task, CURLE_OPERATION_TIMEDOUT);
            }
        }
        for (Extra* extra : std::vector<Extra*>(pendingExtras_)) {
            if (extra->state == Extra::State::Running && now - extra->lastActivity >= options_.stallTime) {
                extraDone(*extra, CURLE_OPERATION_TIMEDOUT);
            }
        }
    }

    bool stopRequested() const { return http_.stop != nullptr && http_.stop->load(); }

    // ----- Audio transfers ----------------------------------------------------------------------------------------

    // Tracks to try again come first, then new ones in the list's order.
    void startTransfers(TimePoint now) {
        std::vector<Task*> due;
        for (Task* task : paused_) {
            if (task->notBefore <= now) due.push_back(task);
        }
        for (Task* task : due) {
            if (active_.size() >= jobs_ || !report_.stopMessage.empty()) return;
            startTransfer(*task);
        }
        while (active_.size() < jobs_ && next_ < tasks_.size() && report_.stopMessage.empty()) {
            Task& task = tasks_[next_++];
            if (task.stage == Task::Stage::Queued && !task.begun) startTransfer(task);
        }
    }

    // Moves a track to `stage`, keeping the lists of tracks by stage that the loop looks at.
    void enter(Task& task, Task::Stage stage) {
        if (task.stage == Task::Stage::Transferring) std::erase(active_, &task);
        if (task.stage == Task::Stage::Verified) std::erase(verified_, &task);
        if (task.stage == Task::Stage::Queued) std::erase(paused_, &task);
        task.stage = stage;
        if (stage == Task::Stage::Transferring) active_.push_back(&task);
        if (stage == Task::Stage::Verified) verified_.push_back(&task);
        if (stage == Task::Stage::Queued && task.begun) paused_.push_back(&task);
        if (stage == Task::Stage::Done) ++done_;
    }

    // The track's address is resolved here, just before its transfer: the outer address is followed through its
    // redirects by the transfer itself.
    void startTransfer(Task& task) {
        const ResultRow& row = task.item->row;
        // The service's /0.mp3 placeholder leads nowhere: such a row goes through its outer address too.
        const std::string address =
            !isMissingAudioAddress(row.audioAddress) ? row.audioAddress : outerAudioAddress(task.songId);
        if (address.empty()) {
            finish(task, DownloadOutcome::Unavailable, std::string(download_reason::kNoAddress));
            return;
        }
        if (!task.begun) {
            task.begun = true;
            task.cover = coverFor(row);
            if (options_.lyrics && !task.songId.empty()) task.lyrics = lyricsFor(task.songId);
        }
        task.ending = Ending::None;
        task.endReason.clear();
        task.diskError = 0;
        task.bodyBegun = false;
        task.partSize = std::max<std::int64_t>(folder_.sizeOf(task.partName), 0);
        task.offset = task.partSize;
        task.received = 0;
        task.answer = Answer{};
        task.error[0] = '\0';
        const std::string range = task.partSize > 0 ? std::to_string(task.partSize) + "-" : std::string();
        if (!addTransfer(task, address, onAudioHeader, onAudioBody, range)) {
            finish(task, DownloadOutcome::Failed, std::string(download_reason::kCannotPrepare));
            return;
        }
        enter(task, Task::Stage::Transferring);
        task.lastActivity = Clock::now();
    }

    static std::size_t onAudioHeader(char* data, std::size_t size, std::size_t count, void* user) {
        auto& task = static_cast<Task&>(*static_cast<Transfer*>(user));
        if (task.engine->stopRequested()) return 0;
        task.lastActivity = Clock::now();
        task.answer.read(std::string_view(data, size * count));
        return size * count;
    }

    static std::size_t onAudioBody(char* data, std::size_t size, std::size_t count, void* user) {
        auto& task = static_cast<Task&>(*static_cast<Transfer*>(user));
        Engine& engine = *task.engine;
        const std::size_t length = size * count;
        if (engine.stopRequested()) {
            task.ending = Ending::Stopped;
            return 0;
        }
        if (!task.bodyBegun && !engine.beginBody(task)) return 0;
        // Whole writes only: a write that fails leaves the .part as it was before it, so it can be resumed.
        if (const int error = writeAll(task.fd, data, length); error != 0) {
            // A write cut short may have added part of the piece: take it back off.
            [[maybe_unused]] const int truncated = ::ftruncate(task.fd, task.have());
            return endTry(task, Ending::DiskFault, {}, error);
        }
        task.received += static_cast<std::int64_t>(length);
        task.lastActivity = Clock::now();
        engine.bytesThisRun_ += static_cast<std::int64_t>(length);
        return length;
    }

    // Decides, at the first byte of the final answer, whether it is the file and where its bytes go.
    bool beginBody(Task& task) {
        task.bodyBegun = true;
        const Answer& answer = task.answer;
        char* url = nullptr;
        curl_easy_getinfo(task.curl, CURLINFO_EFFECTIVE_URL, &url);
        if (url != nullptr && isServiceNotFoundPage(url)) {
            return endTry(task, Ending::Unavailable, std::string(download_reason::kNoFile));
        }
        if (answer.code != 200 && answer.code != 206) return endTry(task, Ending::Answered, {});
        if (!isAudioContentType(answer.contentType)) {
            return endTry(task, Ending::Unavailable, std::string(download_reason::kWebPage));
        }
        bool truncate = answer.code == 200;
        task.total = answer.code == 200 ? answer.contentLength : -1;
        if (answer.code == 206) {
            const auto range = parseContentRange(answer.contentRange);
            if (!range || range->first < 0) return endTry(task, Ending::Restart, {});
            if (range->first != task.partSize) {
                if (range->first != 0) return endTry(task, Ending::Restart, {});
                truncate = true;
            }
            task.total = range->total;
        }
        task.fd = ::open(folder_.pathOf(task.partName).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (task.fd < 0) return endTry(task, Ending::DiskFault, {}, errno);
        if (truncate && task.partSize > 0 && ::ftruncate(task.fd, 0) != 0) {
            return endTry(task, Ending::DiskFault, {}, errno);
        }
        if (truncate) task.offset = 0;
        return true;
    }

    static bool endTry(Task& task, Ending ending, std::string reason, int error = 0) {
        task.ending = ending;
        task.endReason = std::move(reason);
        task.diskError = error;
        return false;
    }

    void closePart(Task& task) {
        if (task.fd < 0) return;
        if (::close(task.fd) != 0 && task.diskError == 0 && task.ending == Ending::None) {
            task.ending = Ending::DiskFault;
            task.diskError = errno;
        }
        task.fd = -1;
    }

    void audioDone(Task& task, CURLcode result) {
        // An answer without a body is judged as one with a body is at its first byte.
        if (task.ending == Ending::None && result == CURLE_OK && !task.bodyBegun) beginBody(task);
        closePart(task);
        endTransfer(task);
        if (stopRequested()) return;
        enter(task, Task::Stage::Queued);
        switch (task.ending) {
            case Ending::Stopped:
                return;
            case Ending::Stalled:
                return retryLater(task, std::string(download_reason::kNoData) + std::to_string(stallSeconds()) + " s",
                                  {});
            case Ending::DiskFault:
                return diskFault(task, task.diskError);
            case Ending::Unavailable:
                return unavailable(task, task.endReason);
            case Ending::Restart:
                return restart(task);
            case Ending::Answered:
                return answered(task);
            case Ending::None:
                break;
        }
        if (result != CURLE_OK) {
            const std::string detail = task.error[0] != '\0' ? task.error : curl_easy_strerror(result);
            if (isLastingFailure(result)) return finish(task, DownloadOutcome::Failed, detail);
            return retryLater(task, detail, {});
        }
        bodyEnded(task);
    }

    // An HTTP answer other than the file.
    void answered(Task& task) {
        const Answer& answer = task.answer;
        const std::string said = std::string(download_reason::kHttpAnswer) + std::to_string(answer.code);
        if (answer.code == 416) {
            // Nothing was left to send: the .part is whole when its size is the file's.
            const auto range = parseContentRange(answer.contentRange);
            if (range && range->total > 0 && range->total == task.partSize) {
                task.total = range->total;
                task.offset = task.partSize;
                return bodyEnded(task);
            }
            return restart(task);
        }
        if (answer.transient()) {
            std::optional<Milliseconds> wait;
            if (const auto seconds = parseRetryAfter(answer.retryAfter)) wait = *seconds;
            return retryLater(task, said, wait);
        }
        if (answer.code == 403 || answer.code == 404 || answer.code == 410 || answer.code == 451) {
            return unavailable(task, said);
        }
        finish(task, DownloadOutcome::Failed, said);
    }

    void bodyEnded(Task& task) {
        const std::int64_t size = task.have();
        if (task.total >= 0 && size < task.total)
            return retryLater(task, std::string(download_reason::kEndedEarly), {});
        if (task.total >= 0 && size > task.total) return restart(task);
        if (size < kMinAudioBytes) return unavailable(task, std::string(download_reason::kTooShort));
        const int fd = ::open(folder_.pathOf(task.partName).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return diskFault(task, errno);
        task.format = sniffAudio([fd](std::int64_t offset, std::size_t count) {
            std::string bytes(count, '\0');
            const ssize_t got = ::pread(fd, bytes.data(), count, static_cast<off_t>(offset));
            bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
            return bytes;
        });
        ::close(fd);
        if (task.format == AudioFormat::None) return unavailable(task, std::string(download_reason::kNotAudio));
        enter(task, Task::Stage::Verified);
    }

    void retryLater(Task& task, const std::string& reason, std::optional<Milliseconds> asked) {
        // A try that brought bytes was not wasted: only tries that got nowhere count against the limit.
        if (task.received == 0) ++task.failures;
        if (task.failures >= maxTries_) {
            if (folder_.sizeOf(task.partName) == 0) folder_.remove(task.partName);
            const std::string tries = maxTries_ == 1 ? "1 try" : std::to_string(maxTries_) + " tries";
            return finish(task, DownloadOutcome::Failed, reason + " (" + tries + ")");
        }
        task.notBefore = Clock::now() + pauseAfter(task.failures, asked);
    }

    void restart(Task& task) {
        folder_.remove(task.partName);
        if (++task.restarts > kMaxRestarts) {
            return finish(task, DownloadOutcome::Failed, std::string(download_reason::kWrongPlace));
        }
        task.notBefore = Clock::now();
    }

    void unavailable(Task& task, const std::string& reason) {
        folder_.remove(task.partName);
        finish(task, DownloadOutcome::Unavailable, reason);
    }

    void diskFault(Task& task, int error) {
        if (isFolderFault(error)) {
            report_.stopMessage = folder_.faultMessage(error);
            return;
        }
        finish(task, DownloadOutcome::Failed, std::string(download_reason::kCannotSave) + std::strerror(error));
    }

    Milliseconds pauseAfter(int failures, std::optional<Milliseconds> asked) const {
        Milliseconds pause = std::max(options_.firstPause, Milliseconds(0));
        for (int i = 1; i < failures && pause < kLongestPause; ++i) pause *= 2;
        if (asked && *asked > pause) pause = *asked;
        return std::min(pause, kLongestPause);
    }

    long stallSeconds() const {
        return static_cast<long>(
            std::chrono::ceil<std::chrono::seconds>(std::max(options_.stallTime, Milliseconds(1))).count());
    }

    // ----- Covers and lyrics --------------------------------------------------------------------------------------

    Extra* coverFor(const ResultRow& row) {
        const std::string address = row.pictureAddress();
        if (address.empty()) return nullptr;
        // Tracks of one album share its picture, whatever size the address asks for.
        const std::string key = !row.albumId.empty() ? "album " + row.albumId : address;
        auto [entry, added] = covers_.try_emplace(key, nullptr);
        if (added) entry->second = newExtra(address, kMaxCoverBytes, false);
        return entry->second;
    }

    Extra* lyricsFor(const std::string& songId) {
        const std::string address = lyricAddress(songId);
        return address.empty() ? nullptr : newExtra(address, kMaxBodyBytes, true);
    }

    Extra* newExtra(const std::string& address, std::size_t limit, bool text) {
        extras_.push_back(std::make_unique<Extra>(address, limit, text));
        extras_.back()->state = Extra::State::Waiting;
        pendingExtras_.push_back(extras_.back().get());
        return extras_.back().get();
    }

    using Receiver = std::size_t (*)(char*, std::size_t, std::size_t, void*);

    // A handle for `transfer` on the multi handle, its callbacks given `transfer`; false when libcurl refuses.
    bool addTransfer(Transfer& transfer, const std::string& address, Receiver header, Receiver body,
                     const std::string& range) {
        transfer.curl = curl_easy_init();
        if (transfer.curl == nullptr) return false;
        setup_.apply(transfer.curl, address, true);
        curl_easy_setopt(transfer.curl, CURLOPT_PRIVATE, &transfer);
        curl_easy_setopt(transfer.curl, CURLOPT_ERRORBUFFER, transfer.error);
        curl_easy_setopt(transfer.curl, CURLOPT_HEADERFUNCTION, header);
        curl_easy_setopt(transfer.curl, CURLOPT_HEADERDATA, &transfer);
        curl_easy_setopt(transfer.curl, CURLOPT_WRITEFUNCTION, body);
        curl_easy_setopt(transfer.curl, CURLOPT_WRITEDATA, &transfer);
        // libcurl copies the range text.
        if (!range.empty()) curl_easy_setopt(transfer.curl, CURLOPT_RANGE, range.c_str());
        if (curl_multi_add_handle(multi_, transfer.curl) == CURLM_OK) return true;
        curl_easy_cleanup(transfer.curl);
        transfer.curl = nullptr;
        return false;
    }

    void startExtras(TimePoint now) {
        for (Extra* pointer : std::vector<Extra*>(pendingExtras_)) {
            Extra& extra = *pointer;
            if (extra.state != Extra::State::Waiting || extra.notBefore > now) continue;
            extra.answer = Answer{};
            extra.body.clear();
            extra.tooLarge = false;
            extra.error[0] = '\0';
            if (!addTransfer(extra, extra.address, onExtraHeader, onExtraBody, {})) {
                extraFinished(extra);
                continue;
            }
            extra.state = Extra::State::Running;
            extra.lastActivity = now;
        }
    }

    static std::size_t onExtraHeader(char* data, std::size_t size, std::size_t count, void* user) {
        auto& extra = static_cast<Extra&>(*static_cast<Transfer*>(user));
        const std::string_view line(data, size * count);
        extra.lastActivity = Clock::now();
        if (line.starts_with("HTTP/")) extra.body.clear();
        extra.answer.read(line);
        return size * count;
    }

    static std::size_t onExtraBody(char* data, std::size_t size, std::size_t count, void* user) {
        auto& extra = static_cast<Extra&>(*static_cast<Transfer*>(user));
        const std::size_t length = size * count;
        if (length > extra.limit - extra.body.size()) {
            extra.tooLarge = true;
            return 0;
        }
        extra.body.append(data, length);
        extra.lastActivity = Clock::now();
        return length;
    }

    void extraDone(Extra& extra, CURLcode result) {
        endTransfer(extra);
        const bool whole = result == CURLE_OK && extra.answer.code == 200;
        if (whole && !extra.answer.contentEncoding.empty()) {
            std::optional<std::string> decoded = decodeContent(extra.body, extra.answer.contentEncoding);
            extra.ok = decoded.has_value();
            if (decoded) extra.body = std::move(*decoded);
        } else {
            extra.ok = whole;
        }
        const bool transient =
            !extra.ok && !extra.tooLarge && (result == CURLE_OK ? extra.answer.transient() : !isLastingFailure(result));
        if (transient && ++extra.failures < std::min(maxTries_, kMaxExtraTries)) {
            extra.state = Extra::State::Waiting;
            std::optional<Milliseconds> asked;
            if (const auto seconds = parseRetryAfter(extra.answer.retryAfter)) asked = *seconds;
            extra.notBefore = Clock::now() + pauseAfter(extra.failures, asked);
            return;
        }
        if (!extra.ok) extra.body.clear();
        extraFinished(extra);
    }

    void extraFinished(Extra& extra) {
        extra.state = Extra::State::Done;
        std::erase(pendingExtras_, &extra);
    }

    static bool ready(const Extra* extra) { return extra == nullptr || extra->state == Extra::State::Done; }

    template <typename T>
    void endTransfer(T& transfer) {
        if (transfer.curl == nullptr) return;
        curl_multi_remove_handle(multi_, transfer.curl);
        curl_easy_cleanup(transfer.curl);
        transfer.curl = nullptr;
    }

    // ----- Saving -------------------------------------------------------------------------------------------------

    void saveVerified() {
        for (Task* task : std::vector<Task*>(verified_)) {
            if (!report_.stopMessage.empty()) return;
            if (ready(task->cover) && ready(task->lyrics)) save(*task);
        }
    }

    // Tags a copy of the verified .part and renames it into place; the lyrics go beside it.
    void save(Task& task) {
        std::string lrc;
        if (task.lyrics != nullptr && task.lyrics->ok) {
            Status status;
            const Lyrics lyrics = readLyricReply(task.lyrics->body, status);
            if (status.ok()) lrc = lrcText(lyrics);
        }
        int error = 0;
        bool tagged = false;
        if (task.format == AudioFormat::Mp3) {
            std::string bytes;
            error = folder_.read(task.partName, bytes);
            TrackTags tags;
            tags.title = task.fields.name;
            tags.artists = task.fields.artists;
            tags.album = task.fields.album;
            tags.trackNumber = task.fields.position;
            tags.trackCount = task.fields.listSize;
            if (task.cover != nullptr) tags.coverBytes = task.cover->body;
            tags.lyrics = lrc;
            tags.trackId = task.fields.id;
            tagged = error == 0 && tagMp3(bytes, tags);
            if (tagged) error = folder_.writeWhole(task.fileName, bytes);
        }
        if (error == 0 && !tagged) error = folder_.promote(task.partName, task.fileName);
        if (error == 0 && tagged) folder_.remove(task.partName);
        if (error == 0 && !lrc.empty()) {
            const std::string stem = task.fileName.substr(0, task.fileName.rfind('.'));
            error = folder_.writeWhole(stem + kLyricExtension, lrc);
        }
        if (error != 0) return diskFault(task, error);
        if (!task.fields.id.empty() && !archive_->add(task.fields.id)) {
            report_.stopMessage = "cannot write into " + folder_.path() + ": the record of saved tracks";
            return;
        }
        finish(task, DownloadOutcome::Saved, {});
    }

    void finish(Task& task, DownloadOutcome outcome, std::string reason) {
        enter(task, Task::Stage::Done);
        const std::size_t index = static_cast<std::size_t>(&task - tasks_.data());
        DownloadResult result{task.item->position, task.fields.id, task.fields.name,
                              task.fileName,       outcome,        std::move(reason)};
        switch (outcome) {
            case DownloadOutcome::Saved:
                ++report_.saved;
                break;
            case DownloadOutcome::AlreadyThere:
                ++report_.alreadyThere;
                break;
            case DownloadOutcome::Unavailable:
                ++report_.unavailable;
                break;
            case DownloadOutcome::Failed:
                ++report_.failed;
                break;
        }
        if (observer_ != nullptr) observer_->trackFinished(result);
        results_[index] = std::move(result);
    }

    // ----- Progress -----------------------------------------------------------------------------------------------

    void reportProgress() {
        const TimePoint now = Clock::now();
        lastProgress_ = now;
        if (observer_ == nullptr) return;
        DownloadProgress progress;
        progress.total = static_cast<int>(tasks_.size());
        std::int64_t knownSizes = 0;
        int known = 0, waiting = 0;
        for (const Task& task : tasks_) {
            const bool done = task.stage == Task::Stage::Done;
            if (done) ++progress.finished;
            if (!task.begun) {
                if (!done) ++waiting;
                continue;
            }
            progress.bytesReceived += task.have();
            progress.bytesExpected += task.total >= 0 ? task.total : task.have();
            if (task.total >= 0) {
                knownSizes += task.total;
                ++known;
            }
        }
        // The track in front: the one that has been transferring longest.
        if (!active_.empty()) progress.current = active_.front()->fields.name;
        samples_.emplace_back(now, bytesThisRun_);
        while (samples_.size() > 2 && now - samples_[1].first >= kSpeedWindow) samples_.pop_front();
        const double seconds = std::chrono::duration<double>(now - samples_.front().first).count();
        if (seconds > 0)
            progress.bytesPerSecond = static_cast<double>(bytesThisRun_ - samples_.front().second) / seconds;
        if (progress.bytesPerSecond > 0 && (waiting == 0 || known > 0)) {
            // Tracks not begun yet are guessed at the average size of those whose size is known.
            const double left = static_cast<double>(progress.bytesExpected - progress.bytesReceived) +
                                (known > 0 ? static_cast<double>(knownSizes) / known * waiting : 0.0);
            progress.secondsLeft = static_cast<std::int64_t>(std::ceil(std::max(left, 0.0) / progress.bytesPerSecond));
        }
        observer_->progressed(progress);
    }

    const std::vector<DownloadItem>& items_;
    const DownloadOptions& options_;
    const HttpSettings& http_;
    DownloadObserver* observer_;
    CurlRequestSetup setup_;
    DownloadFolder folder_;
    const std::size_t jobs_;
    const int maxTries_;
    std::optional<DownloadArchive> archive_;
    CURLM* multi_ = nullptr;
    std::vector<Task> tasks_;  // never resized: libcurl holds pointers to its elements
    std::vector<std::unique_ptr<Extra>> extras_;
    std::map<std::string, Extra*> covers_;
    // Tracks by stage, so that a pass of the loop looks only at the few that can move.
    std::size_t next_ = 0;         // every track before it has begun or is done
    std::vector<Task*> active_;    // transferring, in the order they began
    std::vector<Task*> paused_;    // waiting to be tried again
    std::vector<Task*> verified_;  // whole, waiting for their cover or lyrics
    std::size_t done_ = 0;
    std::vector<Extra*> pendingExtras_;  // covers and lyrics not yet done
    std::vector<std::optional<DownloadResult>> results_;
    DownloadReport report_;
    std::int64_t bytesThisRun_ = 0;
    TimePoint lastProgress_{};
    std::deque<std::pair<TimePoint, std::int64_t>> samples_;
};

}  // namespace

DownloadReport downloadTracks(const std::vector<DownloadItem>& items, const DownloadOptions& options,
                              const HttpSettings& http, DownloadObserver* observer) {
    return Engine(items, options, http, observer).run();
}

}  // namespace velomir
