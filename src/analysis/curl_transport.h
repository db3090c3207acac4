// HttpTransport on libcurl's easy interface: one blocking GET per call, on the caller's thread.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/clock.h"
#include "analysis/http_transport.h"

namespace velomir {

struct HttpSettings {
    std::chrono::milliseconds timeout{std::chrono::seconds(90)};  // connect, and no data for this long
    std::string serviceAddress;  // "HOST:PORT" that replaces the service hosts (checked by the caller); empty: none
    // A PEM file of certificates to trust instead of the system's; empty: the system's. Certificates are always
    // verified.
    std::string trustedCertificates;
    // What the time-out is measured by; empty: Clock::now.
    std::function<Clock::time_point()> clock;
    // When given and set, requests end at once with Status::Code::Stopped. Must outlive the transport.
    const StopFlag* stop = nullptr;
};

// What every request of the program sets on its libcurl handle, for code that drives libcurl itself: HTTP/1.1 over
// http and https only, redirects, the browser's headers, the service address override, certificate checks and the
// connect time-out. It holds the lists libcurl points into, so it must outlive the handles it set up; apply() only
// reads, so threads may share one.
class CurlRequestSetup {
public:
    explicit CurlRequestSetup(const HttpSettings& settings);
    ~CurlRequestSetup();
    CurlRequestSetup(const CurlRequestSetup&) = delete;
    CurlRequestSetup& operator=(const CurlRequestSetup&) = delete;

    // False when the lists could not be made.
    bool ready() const;
    // Sets the shared options on `curl`, a libcurl easy handle, for a GET of `address`.
    void apply(void* curl, const std::string& address, bool followRedirects) const;

private:
    struct Lists;
    std::unique_ptr<Lists> lists_;
    std::chrono::milliseconds timeout_;
    std::string trustedCertificates_;
};

class CurlTransport : public HttpTransport {
public:
    explicit CurlTransport(HttpSettings settings = {});

    // Safe to call from several threads at once: every call has its own handle.
    HttpReply get(const HttpRequest& request) override;

private:
    HttpSettings settings_;
    std::shared_ptr<const CurlRequestSetup> setup_;
};

// True for HOST:PORT: a host name or bracketed IPv6 address, a colon, a port from 1 to 65535.
bool isServiceAddress(std::string_view hostAndPort);

// libcurl connect-to entries sending every service host, the short-link host included, to HOST:PORT; empty when
// the text is not HOST:PORT.
std::vector<std::string> serviceConnectTo(std::string_view hostAndPort);

}  // namespace velomir
