#include "cli/cli_view.h"

namespace velomir {

void TextGrid::setRowCount(int rows) { cells_.resize(rows > 0 ? rows : 0, std::vector<std::string>(columns_)); }

void TextGrid::setColumnCount(int columns) {
    columns_ = columns > 0 ? columns : 0;
    for (auto& row : cells_) row.resize(columns_);
}

void TextGrid::appendColumn(const std::string& title) {
    setColumnCount(columns_ + 1);
    if (!cells_.empty()) cells_[0].back() = title;
}

void TextGrid::appendRow(const std::string& title) {
    cells_.emplace_back(columns_);
    if (columns_ > 0) cells_.back()[0] = title;
}

void TextGrid::setCellText(int row, int column, const std::string& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columns_) return;
    cells_[row][column] = text;
}

std::string TextGrid::cell(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columns_) return {};
    return cells_[row][column];
}

}  // namespace velomir
