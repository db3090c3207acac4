// The program's one way of talking to the service: a blocking GET on the caller's thread. Tests substitute fakes.
#pragma once

#include <atomic>
#include <string>

#include "analysis/status.h"

namespace velomir {

struct HttpRequest {
    enum class Body { Text, Bytes };
    std::string address;
    // Text: decompressed and cut at the first zero byte. Bytes: exactly as received.
    Body body = Body::Text;
    bool followRedirects = true;
};

struct HttpReply {
    Status status;               // not ok: the request failed and the body is empty
    long code = 0;               // the HTTP status of the last answer
    std::string body;            // whatever the HTTP status code
    std::string redirectTarget;  // a 3xx answer's absolute Location, when redirects were not followed
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    virtual HttpReply get(const HttpRequest& request) = 0;

    // Body as text (decompressed, cut at the first zero byte); "" on failure, `status` says why.
    std::string fetchText(const std::string& address, Status& status);
    std::string fetchText(const std::string& address);
    // Body bytes exactly as received, whatever the status code; "" on failure.
    std::string fetchBytes(const std::string& address);
    // The absolute address a redirect answer points to, not followed; "" for any other answer or a failure.
    std::string redirectTarget(const std::string& address);
};

// Set once, it makes every request under way end at its next byte or second of silence, and every later one fail
// at once: how a closing window gets its workers back quickly.
using StopFlag = std::atomic<bool>;

}  // namespace velomir
