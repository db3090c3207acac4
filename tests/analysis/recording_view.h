// An AnalysisView that records what the driver did to the window and lays each published list out as the grid
// shows it: row 0 the titles, column 0 the row numbers, cell (0, 0) the count.
#pragma once

#include <map>
#include <string>

#include "analysis/analysis_driver.h"
#include "analysis/analysis_view.h"

namespace velomir::testing {

class RecordingView : public AnalysisView {
public:
    std::string linkText() const override { return link; }
    void setLinkText(const std::string& text) override { link = text; }
    bool searchMode() const override { return search; }
    void switchMode(bool mode) override { search = mode; }
    void resetDetailPane() override { ++resets; }
    void collapseSettingsBar() override { ++collapses; }
    void listPublished() override {
        ++published;
        if (state == nullptr) return;
        cells.clear();
        const int n = static_cast<int>(state->resultRows.size());
        cells[{0, 0}] = "{" + std::to_string(n) + "}";
        for (int c = 1; c <= 3; ++c) cells[{0, c}] = state->columnTitles.at(static_cast<std::size_t>(c) - 1);
        for (int r = 1; r <= n; ++r) {
            const ResultRow& row = state->resultRows[static_cast<std::size_t>(r) - 1];
            const bool programme = state->currentRecordType == RecordType::Programme;
            cells[{r, 0}] = std::to_string(r);
            cells[{r, 1}] = programme ? row.programmeName : row.trackName;
            cells[{r, 2}] = programme ? row.djNickname : row.artistNames;
            cells[{r, 3}] = programme ? row.radioName : row.albumName;
        }
        rows = n + 1;
    }

    void listGrew(bool) override { ++grown; }

    std::string cell(int r, int c) const {
        const auto it = cells.find({r, c});
        return it == cells.end() ? "" : it->second;
    }

    const RunState* state = nullptr;  // the driver's, read when a list is published
    std::string link;
    bool search = false;
    int resets = 0, collapses = 0, published = 0, grown = 0, rows = 0;
    std::map<std::pair<int, int>, std::string> cells;
};

}  // namespace velomir::testing
