// The program's one way of talking to the service: a blocking GET. Tests of other parts substitute fakes.
#pragma once

#include <functional>
#include <string>

namespace velomir {

// Called repeatedly while a request waits, so a GUI can run its event loop. May be empty.
using EventPump = std::function<void()>;

// Why a request gave nothing. The window ignores it (failures stay silent there); the command line reports it.
struct TransferStatus {
    enum class Code { Ok, NoConnection, TimedOut, TooLarge, CorruptBody, Failed };
    Code code = Code::Ok;
    std::string message;  // one line for a person, empty when ok

    bool ok() const { return code == Code::Ok; }
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;

    // Body as text in the local code page (decompressed, cut at the first zero byte); "" on failure.
    virtual std::string fetchText(const std::string& address) = 0;
    // Body bytes exactly as received, whatever the status code; "" on failure.
    virtual std::string fetchBytes(const std::string& address) = 0;

    // fetchText that also says why it failed. A transport that cannot tell reports every request as ok.
    virtual std::string fetchTextWithStatus(const std::string& address, TransferStatus& status) {
        status = {};
        return fetchText(address);
    }
    // The absolute address a redirect answer (3xx with Location) points to, not followed; "" for any other
    // answer or a failed request.
    virtual std::string redirectTarget(const std::string& address) {
        (void)address;
        return {};
    }
};

}  // namespace velomir
