// The program's one way of talking to the service: a blocking GET. Tests of other parts substitute fakes.
#pragma once

#include <functional>
#include <string>

namespace velomir {

// Called repeatedly while a request waits, so a GUI can run its event loop. May be empty.
using EventPump = std::function<void()>;

class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    // Body as text in the local code page (decompressed, cut at the first zero byte); "" on failure.
    virtual std::string fetchText(const std::string& address) = 0;
    // Body bytes exactly as received, whatever the status code; "" on failure.
    virtual std::string fetchBytes(const std::string& address) = 0;
};

}  // namespace velomir
