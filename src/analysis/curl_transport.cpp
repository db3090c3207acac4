#include "analysis/curl_transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>

#include "analysis/http_body.h"
#include "analysis/service_hosts.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

// The service's web pages were made for browsers of this shape; the requests look like theirs.
constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.1; Trident/4.0)";
// What that browser sends as its Accept header, for the same reason.
constexpr char kAcceptHeader[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";
constexpr char kLanguageHeader[] = "Accept-Language: zh-cn";
constexpr long kMaxRedirects = 10;

// One request and what libcurl's callbacks gather for it.
struct Exchange {
    Exchange(const HttpRequest& r, const HttpSettings& s) : request(r), settings(s) {}

    const HttpRequest& request;
    const HttpSettings& settings;
    Clock::time_point lastActivity;
    bool tooLarge = false;
    bool silent = false;   // no byte for the whole time-out
    bool stopped = false;  // the stop flag was set
    char error[CURL_ERROR_SIZE] = {};
    std::string contentEncoding;
    HttpReply reply;

    Clock::time_point now() const { return settings.clock ? settings.clock() : Clock::now(); }
    void touch() { lastActivity = now(); }
    bool stopRequested() const { return settings.stop != nullptr && settings.stop->load(); }
};

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
    if (exchange.stopRequested()) return 0;
    exchange.touch();
    const std::string_view line(data, length);
    try {
        // Every response (a redirect, an interim answer) starts afresh: only the last one is the answer.
        if (line.starts_with("HTTP/")) {
            exchange.reply.body.clear();
            exchange.contentEncoding.clear();
        }
        if (auto value = headerValue(line, "content-encoding")) exchange.contentEncoding = *value;
    } catch (const std::exception&) {
        return 0;
    }
    return length;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t length = size * count;
    std::string& body = exchange.reply.body;
    if (exchange.stopRequested()) return 0;
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

// libcurl calls this at least once a second, bytes or not: where silence and the stop flag are noticed.
int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& exchange = *static_cast<Exchange*>(user);
    exchange.stopped = exchange.stopRequested();
    exchange.silent = exchange.now() - exchange.lastActivity >= exchange.settings.timeout;
    return exchange.stopped || exchange.silent ? 1 : 0;
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

// The options of this transport's own exchanges, on top of the shared ones.
void setExchangeOptions(CURL* curl, Exchange& exchange) {
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, exchange.error);
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
Status decodeText(Exchange& exchange) {
    std::string& body = exchange.reply.body;
    if (!exchange.contentEncoding.empty()) {
        std::optional<std::string> text = decodeContent(body, exchange.contentEncoding);
        if (!text) return {Status::Code::CorruptBody, "compressed answer is corrupt, truncated or too large"};
        body = std::move(*text);
    }
    body.resize(std::min(body.find('\0'), body.size()));
    return {};
}

// What went wrong, in libcurl's own words where it has them ("Failed to connect to ... Connection refused").
Status statusOf(const Exchange& exchange, CURLcode result) {
    if (exchange.tooLarge) return {Status::Code::TooLarge, "answer larger than 64 MiB"};
    if (exchange.stopped) return {Status::Code::Stopped, "stopped"};
    if (exchange.silent) return {Status::Code::TimedOut, "no answer within the time-out"};
    const std::string detail = exchange.error[0] != '\0' ? exchange.error : curl_easy_strerror(result);
    switch (result) {
        case CURLE_OK:
            return {};
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            return {Status::Code::NoConnection, detail};
        case CURLE_OPERATION_TIMEDOUT:
            return {Status::Code::TimedOut, detail};
        case CURLE_FILESIZE_EXCEEDED:
            return {Status::Code::TooLarge, "answer larger than 64 MiB"};
        default:
            return {Status::Code::Failed, detail};
    }
}

// The whole exchange; any failure gives a reply whose status says why and whose body is empty.
HttpReply perform(Exchange& exchange, const CurlRequestSetup& setup) {
    CurlHandle curl(curl_easy_init());
    if (!curl || !setup.ready()) return {{Status::Code::Failed, "cannot prepare the request"}, 0, {}, {}};
    setup.apply(curl.get(), exchange.request.address, exchange.request.followRedirects);
    setExchangeOptions(curl.get(), exchange);
    exchange.touch();
    const CURLcode result = curl_easy_perform(curl.get());
    HttpReply& reply = exchange.reply;
    reply.status = statusOf(exchange, result);
    if (!reply.status.ok()) return {std::move(reply.status), 0, {}, {}};
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &reply.code);
    char* target = nullptr;
    if (curl_easy_getinfo(curl.get(), CURLINFO_REDIRECT_URL, &target) == CURLE_OK && target != nullptr) {
        reply.redirectTarget = target;
    }
    if (exchange.request.body == HttpRequest::Body::Text) reply.status = decodeText(exchange);
    if (!reply.status.ok()) return {std::move(reply.status), 0, {}, {}};
    return std::move(reply);
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

bool isServiceAddress(std::string_view hostAndPort) {
    const auto colon = hostAndPort.rfind(':');
    if (colon == std::string_view::npos) return false;
    return isHost(hostAndPort.substr(0, colon)) && isPort(hostAndPort.substr(colon + 1));
}

std::vector<std::string> serviceConnectTo(std::string_view hostAndPort) {
    if (!isServiceAddress(hostAndPort)) return {};
    std::vector<std::string> entries;
    for (std::string_view host : {kMainHost, kSearchHost, kShortLinkHost}) {
        entries.push_back(std::string(host) + "::" + std::string(hostAndPort));
    }
    return entries;
}

struct CurlRequestSetup::Lists {
    CurlList headers;
    CurlList connectTo;
    bool ready = false;
};

CurlRequestSetup::CurlRequestSetup(const HttpSettings& settings)
    : lists_(std::make_unique<Lists>()),
      timeout_(settings.timeout),
      trustedCertificates_(settings.trustedCertificates) {
    initialiseCurlOnce();
    bool ready = appendTo(lists_->headers, kAcceptHeader) && appendTo(lists_->headers, kLanguageHeader);
    for (const std::string& entry : serviceConnectTo(settings.serviceAddress)) {
        ready = ready && appendTo(lists_->connectTo, entry);
    }
    lists_->ready = ready;
}

CurlRequestSetup::~CurlRequestSetup() = default;

bool CurlRequestSetup::ready() const { return lists_->ready; }

void CurlRequestSetup::apply(void* handle, const std::string& address, bool followRedirects) const {
    CURL* curl = static_cast<CURL*>(handle);
    const long timeoutMs = static_cast<long>(timeout_.count());
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, followRedirects ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(curl, CURLOPT_REFERER, address.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, lists_->headers.get());
    if (lists_->connectTo) curl_easy_setopt(curl, CURLOPT_CONNECT_TO, lists_->connectTo.get());
    // libcurl's defaults, stated: an answer from a host whose certificate does not check out is no answer.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!trustedCertificates_.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, trustedCertificates_.c_str());
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, std::max(timeoutMs, 1L));
}

CurlTransport::CurlTransport(HttpSettings settings)
    : settings_(std::move(settings)), setup_(std::make_shared<const CurlRequestSetup>(settings_)) {}

HttpReply CurlTransport::get(const HttpRequest& request) {
    if (settings_.stop != nullptr && settings_.stop->load()) return {{Status::Code::Stopped, "stopped"}, 0, {}, {}};
    try {
        Exchange exchange(request, settings_);
        return perform(exchange, *setup_);
    } catch (const std::exception& error) {
        return {{Status::Code::Failed, error.what()}, 0, {}, {}};
    }
}

}  // namespace velomir
