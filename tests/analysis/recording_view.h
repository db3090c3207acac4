// An AnalysisView that keeps the grid as a map of cells and records what the driver did to the window.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "analysis/analysis_view.h"

namespace velomir::testing {

class RecordingView : public AnalysisView, public GridControl {
public:
    std::string linkText() const override { return link; }
    void setLinkText(const std::string& text) override { link = text; }
    bool searchMode() const override { return search; }
    void switchMode(bool mode) override { search = mode; }
    void resetDetailPane() override { ++resets; }
    void collapseSettingsBar() override { ++collapses; }
    GridControl& grid() override { return *this; }
    void letEventsThrough() override {
        if (onEvents) onEvents();
    }

    void setRowCount(int r) override { rows = r; }
    void setColumnCount(int c) override { columns = c; }
    void setColumnWidth(int c, int w) override { widths[c] = w; }
    void appendColumn(const std::string& title) override { cells[{0, columns++}] = title; }
    void appendRow(const std::string& title) override { cells[{rows++, 0}] = title; }
    void setCellText(int r, int c, const std::string& text) override { cells[{r, c}] = text; }
    void setAlignment(int, int, int, int, CellAlignment) override {}
    void setColour(int, int, int, int, std::uint32_t rgb) override { colour = rgb; }
    int rowCount() const override { return rows; }
    int columnCount() const override { return columns; }

    std::string cell(int r, int c) const {
        const auto it = cells.find({r, c});
        return it == cells.end() ? "" : it->second;
    }

    std::string link;
    bool search = false;
    int resets = 0, collapses = 0, rows = 0, columns = 0;
    std::uint32_t colour = 0;
    std::map<int, int> widths;
    std::map<std::pair<int, int>, std::string> cells;
    std::function<void()> onEvents;  // what a window's handlers would do while events get through
};

}  // namespace velomir::testing
