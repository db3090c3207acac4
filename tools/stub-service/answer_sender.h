// Puts an answer on the wire as it is, compressed, or spoiled by one of the selectable faults.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "stop_signal.h"
#include "stub_answer.h"

namespace httplib {
struct Response;
}

namespace velomir {

enum class Fault { None, Slow, NoAnswer, Reset, TruncatedGzip, Huge, InvalidJson, Redirect, Cheating };

// The names accepted by --fault and StubOptions::fault, in the order of their playlist IDs 9000001...
std::vector<std::string_view> faultNames();
Fault faultNamed(std::string_view name);  // None for an empty or unknown name
Fault faultOfPlaylist(std::int64_t id);   // None unless id is 9000001 to 9000008

class AnswerSender {
public:
    AnswerSender(std::string baseAddress, bool gzip, int slowMs, StopSignal& stop)
        : base_(std::move(baseAddress)), gzip_(gzip), slowMs_(slowMs), stop_(stop) {}

    // The redirect fault needs the request and is answered by the caller; here it sends the answer unchanged.
    void send(StubAnswer answer, Fault fault, httplib::Response& response);

private:
    void sendNormally(StubAnswer answer, httplib::Response& response);
    void sendStream(const StubAnswer& answer, bool gzip, httplib::Response& response);
    void sendHalfThenClose(StubAnswer answer, httplib::Response& response);
    void sendTruncatedGzip(StubAnswer answer, httplib::Response& response);
    void sendHuge(httplib::Response& response);
    std::string wholeBody(const StubAnswer& answer);
    void sendGone(httplib::Response& response);

    std::string base_;
    bool gzip_;
    int slowMs_;
    StopSignal& stop_;
};

}  // namespace velomir
