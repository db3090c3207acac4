// HttpTransport on libcurl: one blocking GET per call, performed on a worker thread while the caller pumps events.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/http_transport.h"

namespace velomir {

struct HttpSettings {
    EventPump pump;                                               // empty: just sleep between polls
    std::chrono::milliseconds timeout{std::chrono::seconds(90)};  // connect, and no data for this long
    std::string serviceAddress;  // "HOST:PORT" that replaces the service hosts; empty: VELOMIR_SERVICE_ADDRESS
    // A PEM file of certificates to trust instead of the system's; empty: the system's. Certificates are always
    // verified.
    std::string trustedCertificates;
    // What the time-out is measured by; called from the caller's and the worker's thread. Empty: the steady clock.
    std::function<std::chrono::steady_clock::time_point()> clock;
};

class CurlTransport : public HttpTransport {
public:
    explicit CurlTransport(HttpSettings settings = {});

    std::string fetchText(const std::string& address) override;
    std::string fetchBytes(const std::string& address) override;
    std::string fetchTextWithStatus(const std::string& address, TransferStatus& status) override;
    std::string redirectTarget(const std::string& address) override;

private:
    HttpSettings settings_;
    std::vector<std::string> connectTo_;
};

// Requests whose worker has not ended yet, abandoned ones included. Workers are joined at exit at the latest.
std::size_t runningTransfers();

// libcurl connect-to entries sending every service host, the short-link host included, to HOST:PORT; empty when
// the text is not HOST:PORT (a host, a colon, a port from 1 to 65535).
std::vector<std::string> serviceConnectTo(std::string_view hostAndPort);

}  // namespace velomir
