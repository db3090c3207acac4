#include "analysis/curl_transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "analysis/http_body.h"
#include "analysis/service_hosts.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Sent as an ordinary desktop browser: the service answers such requests as it answers its own web player.
constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.1; Trident/4.0)";
constexpr char kAcceptHeader[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";
constexpr char kLanguageHeader[] = "Accept-Language: zh-cn";
constexpr auto kPollInterval = 10ms;
constexpr long kMaxRedirects = 10;

struct Reply {
    std::string body;
    std::string contentEncoding;
    long responseCode = 0;
    std::string redirectTarget;  // only when redirects are not followed
};

// One request, shared by the caller and its worker. The caller reads `reply` only once `finished` is set;
// after `abandoned` the worker stops at its next callback and the caller never looks again.
struct Exchange {
    std::string address;
    std::vector<std::string> connectTo;
    std::chrono::milliseconds timeout;
    bool followRedirects = true;
    std::string trustedCertificates;
    bool asText = false;  // the worker decodes the body into text, so the caller's thread never waits on it
    bool corruptBody = false;
    std::atomic<bool> abandoned{false};
    std::atomic<bool> finished{false};
    std::function<Clock::time_point()> now;
    std::atomic<Clock::rep> lastActivity{0};
    CURLcode result = CURLE_FAILED_INIT;
    bool tooLarge = false;
    char error[CURL_ERROR_SIZE] = {};
    Reply reply;

    void touch() { lastActivity.store(now().time_since_epoch().count()); }
    Clock::duration idleTime() const { return now().time_since_epoch() - Clock::duration(lastActivity.load()); }
};

// Every worker is owned here and joined, at the latest when the program ends: none may run on during static
// destruction. An abandoned worker stops at its next libcurl callback.
class Workers {
public:
    ~Workers() {
        std::lock_guard lock(mutex_);
        for (Worker& worker : workers_) worker.exchange->abandoned.store(true);
        for (Worker& worker : workers_) worker.thread.join();
    }

    void start(const std::shared_ptr<Exchange>& exchange, void (*perform)(Exchange&)) {
        std::lock_guard lock(mutex_);
        reapFinished();
        std::thread thread([exchange, perform] {
            perform(*exchange);
            exchange->finished.store(true, std::memory_order_release);
        });
        workers_.push_back({std::move(thread), exchange});
    }

    std::size_t running() {
        std::lock_guard lock(mutex_);
        reapFinished();
        return workers_.size();
    }

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<Exchange> exchange;
    };

    void reapFinished() {
        std::erase_if(workers_, [](Worker& worker) {
            if (!worker.exchange->finished.load(std::memory_order_acquire)) return false;
            worker.thread.join();
            return true;
        });
    }

    std::mutex mutex_;
    std::vector<Worker> workers_;
};

Workers& workers() {
    static Workers owned;
    return owned;
}

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string_view trimmedLine(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The value of a header line when it carries the named header.
std::optional<std::string_view> headerValue(std::string_view line, std::string_view name) {
    const auto colon = line.find(':');
    if (colon == std::string_view::npos || asciiLower(trimmedLine(line.substr(0, colon))) != name) return std::nullopt;
    return trimmedLine(line.substr(colon + 1));
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t length = size * count;
    if (exchange.abandoned.load()) return 0;
    exchange.touch();
    const std::string_view line(data, length);
    Reply& reply = exchange.reply;
    try {
        // Every response (a redirect, an interim answer) starts afresh: only the last one is the answer.
        if (line.starts_with("HTTP/")) reply = Reply{};
        if (auto value = headerValue(line, "content-encoding")) reply.contentEncoding = *value;
    } catch (const std::exception&) {
        return 0;
    }
    return length;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t length = size * count;
    std::string& body = exchange.reply.body;
    if (exchange.abandoned.load()) return 0;
    if (length > kMaxBodyBytes - body.size()) {
        exchange.tooLarge = true;
        return 0;
    }
    try {
        body.append(data, length);
    } catch (const std::exception&) {
        return 0;
    }
    exchange.touch();
    return length;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Exchange*>(user)->abandoned.load() ? 1 : 0;
}

struct CurlCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;
using CurlList = std::unique_ptr<curl_slist, CurlCleanup>;

// curl_slist_append gives the list's head, which is new only for the first entry.
bool appendTo(CurlList& list, const std::string& text) {
    curl_slist* head = curl_slist_append(list.get(), text.c_str());
    if (head == nullptr) return false;
    if (!list) list.reset(head);
    return true;
}

void setRequestOptions(CURL* curl, Exchange& exchange, curl_slist* headers, curl_slist* connectTo) {
    const long timeoutMs = static_cast<long>(exchange.timeout.count());
    curl_easy_setopt(curl, CURLOPT_URL, exchange.address.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, exchange.followRedirects ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, exchange.error);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(curl, CURLOPT_REFERER, exchange.address.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    if (connectTo != nullptr) curl_easy_setopt(curl, CURLOPT_CONNECT_TO, connectTo);
    // libcurl's defaults, stated: an answer from a host whose certificate does not check out is no answer.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!exchange.trustedCertificates.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, exchange.trustedCertificates.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, std::max(timeoutMs, 1L));
    // "No data for the time-out": libcurl counts the low-speed time in whole seconds.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, std::max((timeoutMs + 999) / 1000, 1L));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxBodyBytes));
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &exchange);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &exchange);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
}

// A UTF-8 Content-Type would ask for conversion to the local code page, which is UTF-8 here: bytes stay. The
// text ends at its first zero byte.
void decodeText(Exchange& exchange) {
    std::string& body = exchange.reply.body;
    if (!exchange.reply.contentEncoding.empty()) {
        std::optional<std::string> text = decodeContent(body, exchange.reply.contentEncoding);
        exchange.corruptBody = !text;
        body = text ? std::move(*text) : std::string();
    }
    body.resize(std::min(body.find('\0'), body.size()));
}

// The worker's part: runs the whole exchange; any failure leaves `result` other than CURLE_OK.
void perform(Exchange& exchange) {
    CurlHandle curl(curl_easy_init());
    CurlList headers;
    CurlList connectTo;
    if (!curl || !appendTo(headers, kAcceptHeader) || !appendTo(headers, kLanguageHeader)) return;
    for (const std::string& entry : exchange.connectTo) {
        if (!appendTo(connectTo, entry)) return;
    }
    setRequestOptions(curl.get(), exchange, headers.get(), connectTo.get());
    exchange.result = curl_easy_perform(curl.get());
    if (exchange.result != CURLE_OK) return;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &exchange.reply.responseCode);
    char* target = nullptr;
    if (curl_easy_getinfo(curl.get(), CURLINFO_REDIRECT_URL, &target) == CURLE_OK && target != nullptr) {
        exchange.reply.redirectTarget = target;
    }
    if (exchange.asText) decodeText(exchange);
}

TransferStatus failure(TransferStatus::Code code, std::string message) { return {code, std::move(message)}; }

// What went wrong, in libcurl's own words where it has them ("Failed to connect to ... Connection refused").
TransferStatus statusOf(const Exchange& exchange) {
    if (exchange.tooLarge) return failure(TransferStatus::Code::TooLarge, "answer larger than 64 MiB");
    const std::string detail = exchange.error[0] != '\0' ? exchange.error : curl_easy_strerror(exchange.result);
    switch (exchange.result) {
        case CURLE_OK:
            return {};
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            return failure(TransferStatus::Code::NoConnection, detail);
        case CURLE_OPERATION_TIMEDOUT:
            return failure(TransferStatus::Code::TimedOut, detail);
        case CURLE_FILESIZE_EXCEEDED:
            return failure(TransferStatus::Code::TooLarge, "answer larger than 64 MiB");
        default:
            return failure(TransferStatus::Code::Failed, detail);
    }
}

// Waits for the worker, pumping events. False when it stayed silent for the whole time-out.
bool waitForWorker(const Exchange& exchange, const EventPump& pump) {
    while (!exchange.finished.load(std::memory_order_acquire)) {
        if (exchange.idleTime() >= exchange.timeout) return false;
        if (pump) pump();
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

struct Transfer {
    std::optional<Reply> reply;  // nothing when the request failed
    TransferStatus status;
};

Transfer transfer(const std::string& address, const HttpSettings& settings, const std::vector<std::string>& connectTo,
                  bool asText, bool followRedirects = true) {
    initialiseCurlOnce();
    auto exchange = std::make_shared<Exchange>();
    exchange->address = address;
    exchange->connectTo = connectTo;
    exchange->timeout = settings.timeout;
    exchange->followRedirects = followRedirects;
    exchange->asText = asText;
    exchange->trustedCertificates = settings.trustedCertificates;
    exchange->now = settings.clock ? settings.clock : [] { return Clock::now(); };
    exchange->touch();
    try {
        workers().start(exchange, perform);
    } catch (const std::system_error&) {
        return {std::nullopt, failure(TransferStatus::Code::Failed, "cannot start the request's thread")};
    }
    bool completed = false;
    try {
        completed = waitForWorker(*exchange, settings.pump);
    } catch (...) {
        exchange->abandoned.store(true);
        throw;
    }
    if (!completed) {
        exchange->abandoned.store(true);
        return {std::nullopt, failure(TransferStatus::Code::TimedOut, "no answer within the time-out")};
    }
    TransferStatus status = statusOf(*exchange);
    if (!status.ok()) return {std::nullopt, std::move(status)};
    if (exchange->corruptBody) {
        return {std::nullopt,
                failure(TransferStatus::Code::CorruptBody, "compressed answer is corrupt, truncated or too large")};
    }
    return {std::move(exchange->reply), {}};
}

bool isPort(std::string_view text) {
    if (text.empty() || text.size() > 5) return false;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    const int port = std::atoi(std::string(text).c_str());
    return port >= 1 && port <= 65535;
}

bool isHost(std::string_view text) {
    if (text.size() > 2 && text.front() == '[' && text.back() == ']') {
        return text.find_first_not_of("0123456789abcdefABCDEF:.", 1) == text.size() - 1;
    }
    const auto isHostChar = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '-' ||
               c == '_';
    };
    return !text.empty() && std::all_of(text.begin(), text.end(), isHostChar);
}

}  // namespace

std::size_t runningTransfers() { return workers().running(); }

std::vector<std::string> serviceConnectTo(std::string_view hostAndPort) {
    const auto colon = hostAndPort.rfind(':');
    if (colon == std::string_view::npos) return {};
    if (!isHost(hostAndPort.substr(0, colon)) || !isPort(hostAndPort.substr(colon + 1))) return {};
    std::vector<std::string> entries;
    for (std::string_view host : {kMainHost, kSearchHost, kWebHost, kShortLinkHost}) {
        std::string entry = std::string(host) + "::" + std::string(hostAndPort);
        if (std::find(entries.begin(), entries.end(), entry) == entries.end()) entries.push_back(std::move(entry));
    }
    return entries;
}

CurlTransport::CurlTransport(HttpSettings settings) : settings_(std::move(settings)) {
    if (settings_.serviceAddress.empty()) {
        if (const char* fromEnvironment = std::getenv("VELOMIR_SERVICE_ADDRESS")) {
            settings_.serviceAddress = fromEnvironment;
        }
    }
    connectTo_ = serviceConnectTo(settings_.serviceAddress);
}

std::string CurlTransport::fetchText(const std::string& address) {
    TransferStatus ignored;
    return fetchTextWithStatus(address, ignored);
}

std::string CurlTransport::fetchTextWithStatus(const std::string& address, TransferStatus& status) {
    try {
        Transfer result = transfer(address, settings_, connectTo_, true);
        status = std::move(result.status);
        return result.reply ? std::move(result.reply->body) : std::string();
    } catch (const std::exception& error) {
        status = failure(TransferStatus::Code::Failed, error.what());
        return {};
    }
}

std::string CurlTransport::fetchBytes(const std::string& address) {
    try {
        Transfer result = transfer(address, settings_, connectTo_, false);
        return result.reply ? std::move(result.reply->body) : std::string();
    } catch (const std::exception&) {
        return {};
    }
}

std::string CurlTransport::redirectTarget(const std::string& address) {
    try {
        Transfer result = transfer(address, settings_, connectTo_, false, false);
        if (!result.reply || result.reply->responseCode < 300 || result.reply->responseCode > 399) return {};
        return std::move(result.reply->redirectTarget);
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace velomir
