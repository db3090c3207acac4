#include "stub_service.h"

#include <httplib.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "answer_sender.h"
#include "audio_sender.h"
#include "request_throttle.h"
#include "service_answers.h"
#include "text/text_helpers.h"

namespace velomir {
namespace {

constexpr std::int64_t kRedirectTarget = 2330887406;
constexpr std::string_view kPlaylistPath = "/api/playlist/detail";
// So that answers held by faults, eight parallel audio transfers and idle kept-alive connections do not starve
// the listing requests.
constexpr int kWorkerThreads = 48;

bool isPlaylistRequest(const httplib::Request& request) {
    std::string_view path = request.path;
    if (path.ends_with('/')) path.remove_suffix(1);
    return path == kPlaylistPath;
}

// Pictures, audio and the service's /404 page come from other hosts than the interfaces the service throttles.
bool throttled(const std::string& path) {
    return !path.starts_with("/cover/") && !path.starts_with("/audio/") && path != "/404";
}

std::int64_t playlistIdOf(const httplib::Request& request) {
    return isPlaylistRequest(request) ? integerValue64(request.get_param_value("id")) : 0;
}

}  // namespace

struct StubService::State {
    explicit State(StubOptions given)
        : options(std::move(given)), throttle(options.throttleRequests, options.throttleWindow, options.clock) {}
    void handle(const httplib::Request& request, httplib::Response& response);
    void redirect(const httplib::Request& request, httplib::Response& response) const;
    void log(const httplib::Request& request);

    StubOptions options;
    RequestThrottle throttle;
    httplib::Server server;
    std::thread thread;
    StopSignal stopSignal;
    std::unique_ptr<ServiceAnswers> answers;
    std::unique_ptr<AnswerSender> sender;
    std::unique_ptr<AudioSender> audio;
    int port = -1;
    mutable std::mutex logMutex;
    mutable std::condition_variable logGrew;
    std::vector<std::string> requestLog;
};

void StubService::State::log(const httplib::Request& request) {
    {
        std::lock_guard lock(logMutex);
        std::string entry = request.get_header_value("Host") + request.target;
        if (request.method == "POST") entry += " " + request.body;
        requestLog.push_back(std::move(entry));
    }
    logGrew.notify_all();
}

void StubService::State::handle(const httplib::Request& request, httplib::Response& response) {
    log(request);
    const StubRequest stubRequest{request.path, {request.params.begin(), request.params.end()}};
    // Short links and the outer address only redirect; no fault spoils them.
    if (const auto target = answers->redirectTarget(stubRequest, request.get_header_value("Host"))) {
        response.status = target->empty() ? 404 : 302;
        if (!target->empty()) response.set_header("Location", *target);
        return;
    }
    if (throttled(request.path) && !throttle.admit()) {
        return sender->send({200, std::string(kJsonType), R"({"msg":"操作频繁，请稍候再试","code":406})", {}, true},
                            Fault::None, response);
    }
    Fault fault = faultNamed(options.fault);
    // Audio has ranges, a delay and faults of its own; a fault chosen for every answer spoils it like the rest.
    if (fault == Fault::None && request.path.starts_with("/audio/")) {
        return audio->send(std::string_view(request.path).substr(7), request.get_header_value("Range"), response);
    }
    const std::int64_t playlistId = playlistIdOf(request);
    StubAnswer answer;
    // A fault playlist spoils the sample playlist's answer, whatever the fault applied to every answer.
    if (const Fault own = faultOfPlaylist(playlistId); own != Fault::None) {
        fault = own;
        answer = answers->playlist(kRedirectTarget);
    } else {
        answer = answers->answer(stubRequest);
    }
    // The redirect target itself is answered, or a redirect for every answer would never end.
    if (fault == Fault::Redirect && playlistId != kRedirectTarget) return redirect(request, response);
    sender->send(std::move(answer), fault, response);
}

// To the same host the client asked for, so that a connect-to override also reaches the stand-in again.
void StubService::State::redirect(const httplib::Request& request, httplib::Response& response) const {
    std::string host = request.get_header_value("Host");
    if (host.empty()) host = "127.0.0.1:" + std::to_string(port);
    response.status = 302;
    response.set_header("Location",
                        "http://" + host + std::string(kPlaylistPath) + "?id=" + std::to_string(kRedirectTarget));
}

StubService::StubService(StubOptions options) : state_(std::make_unique<State>(std::move(options))) {}

StubService::~StubService() { stop(); }

int StubService::start(int port) {
    State& state = *state_;
    if (state.port > 0 || state.thread.joinable()) return state.port;
    state.server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    // The service compresses only when told to; httplib must not do it on its own. Byte ranges are answered by
    // the audio answers alone, from the Range header: httplib would cut every other answer as well.
    state.server.set_pre_routing_handler([](const httplib::Request& request, httplib::Response&) {
        auto& changed = const_cast<httplib::Request&>(request);
        changed.headers.erase("Accept-Encoding");
        changed.ranges.clear();
        return httplib::Server::HandlerResponse::Unhandled;
    });
    const auto handler = [&state](const httplib::Request& request, httplib::Response& response) {
        state.handle(request, response);
    };
    // The newer interfaces take their fields as a POST form as well as in the query.
    state.server.Get(".*", handler);
    state.server.Post(".*", handler);
    if (port == 0) {
        state.port = state.server.bind_to_any_port("127.0.0.1");
    } else {
        state.port = state.server.bind_to_port("127.0.0.1", port) ? port : -1;
    }
    if (state.port <= 0) return state.port = -1;
    state.answers = std::make_unique<ServiceAnswers>(baseAddress(), state.options.era);
    state.sender =
        std::make_unique<AnswerSender>(baseAddress(), state.options.gzip, state.options.slowMs, state.stopSignal);
    state.audio = std::make_unique<AudioSender>(state.stopSignal, state.options.audioDelayMs);
    state.thread = std::thread([&state] { state.server.listen_after_bind(); });
    while (!state.server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return state.port;
}

void StubService::stop() {
    State& state = *state_;
    state.stopSignal.trigger();
    state.server.stop();
    if (state.thread.joinable()) state.thread.join();
}

std::vector<std::string> StubService::requestLog() const {
    std::lock_guard lock(state_->logMutex);
    return state_->requestLog;
}

void StubService::waitForRequests(std::size_t count) const {
    std::unique_lock lock(state_->logMutex);
    state_->logGrew.wait(lock, [this, count] { return state_->requestLog.size() >= count; });
}

void StubService::clearRequestLog() {
    std::lock_guard lock(state_->logMutex);
    state_->requestLog.clear();
}

std::string StubService::baseAddress() const { return "http://127.0.0.1:" + std::to_string(state_->port); }

}  // namespace velomir
