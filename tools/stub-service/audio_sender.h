// Audio answers as a download client meets them: byte ranges, a delay per answer, and the transfer faults of the
// fault playlist's songs.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "stop_signal.h"

namespace httplib {
struct Response;
}

namespace velomir {

class AudioSender {
public:
    AudioSender(StopSignal& stop, int delayMs) : stop_(stop), delay_(delayMs) {}

    // file is "<id>.mp3"; range is the request's Range header, empty when it has none.
    void send(std::string_view file, const std::string& range, httplib::Response& response);

private:
    // True only for the first request of the song since this stand-in started.
    bool firstRequest(std::int64_t songId);

    StopSignal& stop_;
    std::chrono::milliseconds delay_;
    std::mutex mutex_;
    std::set<std::int64_t> requested_;
};

}  // namespace velomir
