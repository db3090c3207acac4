// CurlTransport against a local server: what a request sends, what the caller gets back, and how failures end.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "analysis/curl_transport.h"
#include "http_test_server.h"

namespace velomir {
namespace {

using namespace std::chrono_literals;
using httplib::Request;
using httplib::Response;
using testing::compressed;

const std::string kText = "Hello 你好 \xFF end";

// A clock that moves a second every time the transport reads it, so the 90-second time-out is over after 90
// looks, however fast or loaded the machine is.
HttpSettings onFakeClock() {
    HttpSettings settings;
    settings.clock = [seconds = std::make_shared<std::atomic<std::int64_t>>(0)] {
        return Clock::time_point(std::chrono::seconds(++*seconds));
    };
    return settings;
}

class HttpTransportTest : public ::testing::Test {
protected:
    HttpTransportTest() {
        auto& server = local_.server;
        // Answers the "body" parameter with the "type" and "encoding" parameters as headers.
        server.Get("/echo", [](const Request& request, Response& response) {
            if (request.has_param("encoding"))
                response.set_header("Content-Encoding", request.get_param_value("encoding"));
            response.set_content(request.get_param_value("body"), request.get_param_value("type"));
        });
        server.Get("/missing", [](const Request&, Response& response) {
            response.status = 404;
            response.set_content("no such item", "text/html");
        });
        server.Get("/old", [](const Request&, Response& response) { response.set_redirect("/api/new"); });
        // Bounded, so a client that ignores its time-out gets this answer and fails instead of hanging.
        server.Get("/stalled", [this](const Request&, Response& response) {
            std::unique_lock lock(releaseMutex_);
            ++stalled_;
            stalledSeen_.notify_all();
            release_.wait(lock, [this] { return released_; });
            response.set_content("late answer", "text/plain");
        });
        server.Get("/huge", [](const Request&, Response& response) {
            response.set_chunked_content_provider("application/octet-stream", [](size_t offset,
                                                                                 httplib::DataSink& sink) {
                static const std::string chunk(1 << 20, 'x');
                return offset >= (std::size_t{65} << 20) ? (sink.done(), true) : sink.write(chunk.data(), chunk.size());
            });
        });
        server.Get("/bomb", [](const Request&, Response& response) {
            static const std::string bomb = compressed(std::string(1 << 20, 'a'), 31, 65);  // 65 MiB inflated
            response.set_header("Content-Encoding", "gzip");
            response.set_content(bomb, "text/plain");
        });
        server.Get(".*", [this](const Request& request, Response& response) {
            std::lock_guard lock(mutex_);
            seen_ = request;
            response.set_content("stand-in", "text/plain");
        });
        local_.start();
    }
    ~HttpTransportTest() override { release(); }

    // Waits for the event: a request has reached the stalling handler.
    void waitForStalledRequest() {
        std::unique_lock lock(releaseMutex_);
        stalledSeen_.wait(lock, [this] { return stalled_ > 0; });
    }

    void release() {
        {
            std::lock_guard lock(releaseMutex_);
            released_ = true;
        }
        release_.notify_all();
    }

    std::string echo(std::string_view body, std::string_view type, std::string_view encoding = {}) const {
        using httplib::detail::encode_query_param;
        std::string query =
            "/echo?body=" + encode_query_param(std::string(body)) + "&type=" + encode_query_param(std::string(type));
        if (!encoding.empty()) query += "&encoding=" + std::string(encoding);
        return local_.address(query);
    }
    Request seen() {
        std::lock_guard lock(mutex_);
        return seen_;
    }

    testing::LocalHttpServer local_;
    CurlTransport transport_;
    std::mutex releaseMutex_;
    std::condition_variable release_;
    std::condition_variable stalledSeen_;
    int stalled_ = 0;
    bool released_ = false;
    std::mutex mutex_;
    Request seen_;
};

TEST_F(HttpTransportTest, CompressedBodiesAreInflatedForTextOnly) {
    const std::string gzip = compressed(kText, 31);
    std::string badBlock = gzip;
    badBlock[10] = 0x07;  // the first block claims the reserved block type
    std::string badChecksum = gzip;
    badChecksum[gzip.size() - 8] ^= 0x55;
    const struct {
        const char* encoding;
        std::string body;
        std::string text;
    } cases[] = {
        {"gzip", gzip, kText},
        {"GZIP", gzip, kText},
        {"deflate", compressed(kText, 15), kText},
        {"deflate", compressed(kText, -15), kText},
        {"br", "left as sent", "left as sent"},
        {"gzip", badBlock, ""},
        {"gzip", badChecksum, ""},
        {"gzip", gzip.substr(0, gzip.size() - 6), ""},
        {"deflate", compressed(kText, -15).substr(0, 5), ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const std::string address = echo(cases[i].body, "text/plain", cases[i].encoding);
        EXPECT_EQ(transport_.fetchText(address), cases[i].text);
        EXPECT_EQ(transport_.fetchBytes(address), cases[i].body);
    }
}

TEST_F(HttpTransportTest, TextKeepsUtf8AndEndsAtZeroByte) {
    for (const char* type : {"text/html; charset=UTF-8", "application/json;charset=utf-8", "text/html"}) {
        EXPECT_EQ(transport_.fetchText(echo(kText, type)), kText) << type;
    }
    const std::string body("abc\0def", 7);
    EXPECT_EQ(transport_.fetchText(echo(body, "text/plain")), "abc");
    EXPECT_EQ(transport_.fetchBytes(echo(body, "text/plain")), body);
}

TEST_F(HttpTransportTest, ErrorPagesAndRedirectsGiveTheirBodies) {
    EXPECT_EQ(transport_.fetchText(local_.address("/missing")), "no such item");
    EXPECT_EQ(transport_.fetchText(local_.address("/old")), "stand-in");
    EXPECT_EQ(seen().path, "/api/new");
}

TEST_F(HttpTransportTest, RedirectTargetIsReadNotFollowed) {
    EXPECT_EQ(transport_.redirectTarget(local_.address("/old")), local_.address("/api/new"));
    EXPECT_EQ(transport_.redirectTarget(local_.address("/missing")), "");
    EXPECT_EQ(transport_.redirectTarget(local_.address("/plain")), "");
    EXPECT_EQ(seen().path, "/plain") << "the redirect's target was not asked for";
}

// The command line names why a request failed; success reports nothing.
TEST_F(HttpTransportTest, StatusNamesTheCauseOfAFailure) {
    using Code = Status::Code;
    int closedPort = 0;
    {
        testing::LocalHttpServer gone;
        gone.start();
        closedPort = gone.port;
    }
    const std::pair<std::string, Code> cases[] = {
        {local_.address("/missing"), Code::Ok},
        {"http://127.0.0.1:" + std::to_string(closedPort) + "/", Code::NoConnection},
        {local_.address("/huge"), Code::TooLarge},
        {local_.address("/bomb"), Code::CorruptBody},
        {echo(compressed(kText, 31).substr(0, 12), "text/plain", "gzip"), Code::CorruptBody},
    };
    for (const auto& [address, code] : cases) {
        Status status;
        transport_.fetchText(address, status);
        EXPECT_EQ(status.code(), code) << address << ": " << status.message();
        EXPECT_EQ(status.message().empty(), code == Code::Ok) << address;
    }
}

TEST_F(HttpTransportTest, SendsTheDefaultHeaders) {
    const std::string address = local_.address("/headers?id=1");
    ASSERT_EQ(transport_.fetchText(address), "stand-in");
    const Request request = seen();
    EXPECT_NE(request.get_header_value("User-Agent").find("MSIE 8.0; Windows NT 5.1"), std::string::npos);
    EXPECT_EQ(request.get_header_value("Accept"),
              "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
              "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*");
    EXPECT_EQ(request.get_header_value("Referer"), address);
    EXPECT_EQ(request.get_header_value("Accept-Language"), "zh-cn");
    EXPECT_FALSE(request.has_header("Accept-Encoding"));
}

TEST_F(HttpTransportTest, ServiceAddressSendsServiceHostsToTheStandIn) {
    const std::string standIn = "127.0.0.1:" + std::to_string(local_.port);
    HttpSettings settings;
    settings.serviceAddress = standIn;
    CurlTransport configured(settings);
    EXPECT_EQ(configured.fetchText("http://music.163.com/api/song/detail?id=7"), "stand-in");
    EXPECT_EQ(seen().get_header_value("Host"), "music.163.com");
    EXPECT_EQ(seen().target, "/api/song/detail?id=7");
    EXPECT_EQ(configured.fetchText("http://s.music.163.com/search/get?s=x"), "stand-in");
    EXPECT_EQ(seen().get_header_value("Host"), "s.music.163.com");
}

TEST(ServiceConnectTo, AcceptsOnlyHostAndPort) {
    const std::vector<std::string> routed = {"music.163.com::127.0.0.1:8080", "s.music.163.com::127.0.0.1:8080",
                                             "163cn.tv::127.0.0.1:8080"};
    EXPECT_EQ(serviceConnectTo("127.0.0.1:8080"), routed);
    EXPECT_EQ(serviceConnectTo("[::1]:65535").size(), 3u);
    for (const char* malformed : {"", "127.0.0.1", ":8080", "host:0", "host:65536", "host:80x", "ho st:80", "a:b:80"}) {
        EXPECT_TRUE(serviceConnectTo(malformed).empty()) << malformed;
    }
}

TEST_F(HttpTransportTest, RefusedConnectionGivesEmptyResults) {
    int port = 0;
    {
        testing::LocalHttpServer gone;
        gone.start();
        port = gone.port;
    }
    const std::string closed = "http://127.0.0.1:" + std::to_string(port) + "/";
    EXPECT_EQ(transport_.fetchText(closed), "");
    EXPECT_EQ(transport_.fetchBytes(closed), "");
}

TEST_F(HttpTransportTest, SilentServerTimesOutOnTheCallersThread) {
    Status status;
    EXPECT_EQ(CurlTransport(onFakeClock()).fetchText(local_.address("/stalled"), status), "");
    EXPECT_EQ(status.code(), Status::Code::TimedOut) << status.message();
}

// How a closing window gets its workers back: the stop flag ends a request under way and refuses later ones.
TEST_F(HttpTransportTest, StopFlagEndsARequestUnderWayAndEveryLaterOne) {
    StopFlag stop{false};
    HttpSettings settings;
    settings.stop = &stop;
    CurlTransport transport(settings);
    HttpReply reply;
    std::thread worker([&] { reply = transport.get({local_.address("/stalled"), HttpRequest::Body::Text, true}); });
    waitForStalledRequest();
    stop = true;
    worker.join();
    EXPECT_EQ(reply.status.code(), Status::Code::Stopped);
    EXPECT_EQ(reply.body, "");
    EXPECT_EQ(transport.get({local_.address("/fresh"), HttpRequest::Body::Text, true}).status.code(),
              Status::Code::Stopped);
    EXPECT_EQ(seen().path, "") << "nothing was sent after the stop";
}

TEST_F(HttpTransportTest, BodiesOver64MebibytesFail) {
    EXPECT_EQ(transport_.fetchBytes(local_.address("/huge")), "");
    EXPECT_EQ(transport_.fetchText(local_.address("/bomb")), "");
}

}  // namespace
}  // namespace velomir
