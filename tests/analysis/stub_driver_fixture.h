// A driver on the stand-in service over loopback, with a recording view: the whole road from text to rows.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "analysis/analysis_driver.h"
#include "analysis/curl_transport.h"
#include "recording_view.h"
#include "stub_service.h"

namespace velomir::testing {

// What the command line tells apart: no problem, a failed transfer, or the service's refusal.
enum class Cause { None, Transfer, Refusal };
inline Cause causeOf(const Status& status) {
    if (status.ok()) return Cause::None;
    return status.code() == Status::Code::Refused ? Cause::Refusal : Cause::Transfer;
}

class StubDriverFixture : public ::testing::Test {
protected:
    void SetUp() override {
        port_ = stub_.start();
        ASSERT_GT(port_, 0);
        HttpSettings settings;
        settings.serviceAddress = "127.0.0.1:" + std::to_string(port_);
        // Faults that silence the answer cost one time-out each.
        settings.timeout = std::chrono::seconds(2);
        http_ = std::make_unique<CurlTransport>(settings);
        driver_ = std::make_unique<AnalysisDriver>(view_, *http_, options_);
        view_.state = &driver_->state();
    }
    void TearDown() override { stub_.stop(); }

    const RunState& run(const std::string& text, bool searchMode = false) {
        view_.link = text;
        view_.search = searchMode;
        driver_->runAnalysis();
        return driver_->state();
    }

    StubService stub_{StubOptions{}};
    int port_ = 0;
    RecordingView view_;
    AnalysisOptions options_;
    std::unique_ptr<CurlTransport> http_;
    std::unique_ptr<AnalysisDriver> driver_;
};

}  // namespace velomir::testing
