// Why an operation that talks to the service gave nothing usable: one vocabulary for transfers, the service's
// refusals and a fetch's early stops (BadInput: the input named nothing to ask for, so nothing was asked).
#pragma once

#include <string>
#include <utility>

namespace velomir {

class Status {
public:
    enum class Code { Ok, NoConnection, TimedOut, TooLarge, CorruptBody, Refused, Stopped, Failed, BadInput };

    Status() = default;
    Status(Code code, std::string message) : code_(code), message_(std::move(message)) {}

    bool ok() const { return code_ == Code::Ok; }
    Code code() const { return code_; }
    // One line for a person; empty when ok.
    const std::string& message() const { return message_; }

private:
    Code code_ = Code::Ok;
    std::string message_;
};

}  // namespace velomir
