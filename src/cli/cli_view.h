// The driver's view for the command line: a link box, a mode flag and a grid kept in memory.
#pragma once

#include <string>
#include <vector>

#include "analysis/analysis_view.h"

namespace velomir {

class TextGrid : public GridControl {
public:
    void setRowCount(int rows) override;
    void setColumnCount(int columns) override;
    void setColumnWidth(int, int) override {}
    void appendColumn(const std::string& title) override;
    void appendRow(const std::string& title) override;
    void setCellText(int row, int column, const std::string& text) override;
    void setAlignment(int, int, int, int, CellAlignment) override {}
    void setColour(int, int, int, int, std::uint32_t) override {}
    int rowCount() const override { return static_cast<int>(cells_.size()); }
    int columnCount() const override { return columns_; }

    // The text of a cell; empty outside the grid.
    std::string cell(int row, int column) const;

private:
    std::vector<std::vector<std::string>> cells_{1, std::vector<std::string>(1)};
    int columns_ = 1;
};

class CliView : public AnalysisView {
public:
    explicit CliView(std::string text, bool searchMode) : text_(std::move(text)), searchMode_(searchMode) {}
    std::string linkText() const override { return text_; }
    void setLinkText(const std::string& text) override { text_ = text; }
    bool searchMode() const override { return searchMode_; }
    void switchMode(bool searchMode) override { searchMode_ = searchMode; }
    void resetDetailPane() override {}
    void collapseSettingsBar() override {}
    GridControl& grid() override { return grid_; }
    const TextGrid& textGrid() const { return grid_; }

private:
    std::string text_;
    bool searchMode_;
    TextGrid grid_;
};

}  // namespace velomir
