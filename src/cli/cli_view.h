// The driver's view for the command line: a link box and a mode flag kept in memory.
#pragma once

#include <string>

#include "analysis/analysis_view.h"

namespace velomir {

class CliView : public AnalysisView {
public:
    explicit CliView(std::string text, bool searchMode) : text_(std::move(text)), searchMode_(searchMode) {}
    std::string linkText() const override { return text_; }
    void setLinkText(const std::string& text) override { text_ = text; }
    bool searchMode() const override { return searchMode_; }
    void switchMode(bool searchMode) override { searchMode_ = searchMode; }
    void resetDetailPane() override {}
    void collapseSettingsBar() override {}
    void listPublished() override {}
    void listGrew(bool) override {}

private:
    std::string text_;
    bool searchMode_;
};

}  // namespace velomir
