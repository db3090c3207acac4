#include "audio_sender.h"

#include <httplib.h>

#include <algorithm>
#include <memory>

#include "download_items.h"
#include "media_answers.h"

namespace velomir {
namespace {

constexpr std::string_view kServiceNotFoundPage = "http://music.163.com/404";
constexpr std::size_t kStallBytes = 64 * 1024;

// What a Range header asks of a body of `total` bytes.
struct BytePart {
    int status = 200;  // 200: the whole body, 206: a part, 416: nothing to send
    std::size_t offset = 0;
    std::size_t length = 0;
};

BytePart partAsked(const std::string& range, std::size_t total) {
    const BytePart whole{200, 0, total};
    httplib::Ranges ranges;
    // Several ranges would need a multipart answer; a server may answer those with the whole body instead.
    if (range.empty() || !httplib::detail::parse_range_header(range, ranges) || ranges.size() != 1) return whole;
    const auto [first, last] = ranges.front();
    if (first < 0) {  // "-N": the last N bytes
        if (last <= 0 || total == 0) return {416, 0, 0};
        const std::size_t length = std::min(static_cast<std::size_t>(last), total);
        return {206, total - length, length};
    }
    const auto from = static_cast<std::size_t>(first);
    if (from >= total) return {416, 0, 0};
    const std::size_t to = last < 0 ? total - 1 : std::min(static_cast<std::size_t>(last), total - 1);
    if (to < from) return whole;  // an invalid range is ignored
    return {206, from, to - from + 1};
}

void sendGone(httplib::Response& response) {
    response.status = 503;
    response.set_content("", "text/plain");
}

}  // namespace

bool AudioSender::firstRequest(std::int64_t songId) {
    std::lock_guard lock(mutex_);
    return requested_.insert(songId).second;
}

void AudioSender::send(std::string_view file, const std::string& range, httplib::Response& response) {
    if (delay_.count() > 0 && stop_.waitFor(delay_)) return sendGone(response);
    const std::int64_t id = audioFileId(file);
    const AudioFault fault = audioFaultOf(id);
    const bool first = fault != AudioFault::None && firstRequest(id);
    if (fault == AudioFault::RedirectTo404) {
        response.status = 302;
        response.set_header("Location", std::string(kServiceNotFoundPage));
        return;
    }
    if (fault == AudioFault::BusyOnce && first) {
        response.status = 503;
        response.set_header("Retry-After", "1");
        response.set_content("Service Unavailable\n", "text/plain");
        return;
    }
    StubAnswer answer = audioAnswer(file);
    if (answer.status != 200) {
        response.status = answer.status;
        response.set_content(answer.body, answer.contentType);
        return;
    }
    const auto body = std::make_shared<const std::string>(std::move(answer.body));
    const std::string total = std::to_string(body->size());
    const bool rangesHonoured = fault != AudioFault::RangeIgnored;
    const BytePart part = rangesHonoured ? partAsked(range, body->size()) : BytePart{200, 0, body->size()};
    response.status = part.status;
    if (rangesHonoured) response.set_header("Accept-Ranges", "bytes");
    if (part.status == 416) {
        response.set_header("Content-Range", "bytes */" + total);
        response.set_content("", answer.contentType);
        return;
    }
    if (part.status == 206) {
        response.set_header("Content-Range", "bytes " + std::to_string(part.offset) + "-" +
                                                 std::to_string(part.offset + part.length - 1) + "/" + total);
    }
    if (first && fault == AudioFault::CutOnce) {
        // The headers promise the whole part; about half comes before the connection closes.
        response.set_content_provider(part.length, answer.contentType,
                                      [body, part](std::size_t, std::size_t, httplib::DataSink& sink) {
                                          sink.write(body->data() + part.offset, part.length / 2);
                                          return false;
                                      });
    } else if (first && fault == AudioFault::StallOnce) {
        StopSignal& stop = stop_;
        response.set_content_provider(
            part.length, answer.contentType, [body, part, &stop](std::size_t, std::size_t, httplib::DataSink& sink) {
                sink.write(body->data() + part.offset, std::min(kStallBytes, part.length / 2));
                stop.wait();
                return false;
            });
    } else {
        response.set_content(body->substr(part.offset, part.length), answer.contentType);
    }
}

}  // namespace velomir
