// Certificates are verified: a stand-in on HTTPS with a self-signed certificate is refused, and reached once the
// test trusts that certificate.
#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "analysis/curl_transport.h"

namespace velomir {
namespace {

const std::string kTlsData = std::string(VELOMIR_CORPUS_DIR) + "/tls/";

class TlsTest : public ::testing::Test {
protected:
    TlsTest() : server_((kTlsData + "stand_in_cert.pem").c_str(), (kTlsData + "stand_in_key.pem").c_str()) {
        setenv("no_proxy", "*", 1);
        server_.Get("/api/playlist/detail", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(R"({"result":{"tracks":[{"name":"Secure","id":7}]},"code":200})", "application/json");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::yield();
    }
    ~TlsTest() override {
        server_.stop();
        thread_.join();
    }

    // The service's own address, sent to the stand-in.
    std::string fetch(const std::string& trusted, Status& status) {
        HttpSettings settings;
        settings.serviceAddress = "127.0.0.1:" + std::to_string(port_);
        settings.trustedCertificates = trusted;
        return CurlTransport(settings).fetchText("https://music.163.com/api/playlist/detail?id=1", status);
    }

    httplib::SSLServer server_;
    int port_ = -1;
    std::thread thread_;
};

TEST_F(TlsTest, SelfSignedCertificateIsRefused) {
    ASSERT_GT(port_, 0);
    Status status;
    EXPECT_EQ(fetch("", status), "");
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.message(), "");
}

TEST_F(TlsTest, TrustedCertificateReachesTheStandIn) {
    ASSERT_GT(port_, 0);
    Status status;
    EXPECT_EQ(fetch(kTlsData + "stand_in_cert.pem", status),
              R"({"result":{"tracks":[{"name":"Secure","id":7}]},"code":200})");
    EXPECT_TRUE(status.ok()) << status.message();
}

}  // namespace
}  // namespace velomir
