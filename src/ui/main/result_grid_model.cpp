#include "ui/main/result_grid_model.h"

#include <QTimer>
#include <algorithm>

namespace velomir {

ResultGridModel::ResultGridModel(QObject* parent) : QAbstractTableModel(parent) {
    cells_.resize(1);
    columns_ = 1;
    cells_[0].resize(1);
}

void ResultGridModel::changing() {
    if (resetting_) return;
    resetting_ = true;
    beginResetModel();
    // A caller that forgets to publish still gets its changes shown once control returns to the event loop.
    QTimer::singleShot(0, this, &ResultGridModel::publish);
}

void ResultGridModel::publish() {
    if (!resetting_) return;
    resetting_ = false;
    endResetModel();
}

void ResultGridModel::setGridRows(int rows) {
    changing();
    cells_.resize(static_cast<std::size_t>(std::max(rows, 0)), std::vector<GridCell>(columns_));
}

void ResultGridModel::setGridColumns(int columns) {
    changing();
    columns_ = std::max(columns, 0);
    for (auto& row : cells_) row.resize(static_cast<std::size_t>(columns_));
}

void ResultGridModel::appendGridColumn(const QString& title) {
    setGridColumns(columns_ + 1);
    if (!cells_.empty()) cells_[0].back().text = title;
}

void ResultGridModel::appendGridRow(const QString& title) {
    changing();
    cells_.emplace_back(static_cast<std::size_t>(columns_));
    if (columns_ > 0) cells_.back()[0].text = title;
}

GridCell* ResultGridModel::cell(int row, int column) {
    if (row < 0 || row >= gridRows() || column < 0 || column >= columns_) return nullptr;
    changing();
    return &cells_[row][column];
}

const GridCell* ResultGridModel::cell(int row, int column) const {
    if (row < 0 || row >= gridRows() || column < 0 || column >= columns_) return nullptr;
    return &cells_[row][column];
}

int ResultGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || resetting_ ? 0 : std::max(gridRows() - 1, 0);
}

int ResultGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || resetting_ ? 0 : std::max(columns_ - 1, 0);
}

QVariant ResultGridModel::cellRole(const GridCell& cell, int role) {
    // A cell shows a few hundred characters at most; laying out a name of megabytes at every paint would freeze
    // the window. The cell keeps its whole text for everything else.
    constexpr qsizetype kShownCharacters = 4096;
    switch (role) {
        case Qt::DisplayRole:
            return cell.text.size() > kShownCharacters ? cell.text.left(kShownCharacters) : cell.text;
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(cell.alignment);
        case Qt::ForegroundRole:
            return cell.colour.isValid() ? QVariant(cell.colour) : QVariant();
        default:
            return {};
    }
}

QVariant ResultGridModel::data(const QModelIndex& index, int role) const {
    const GridCell* found = index.isValid() ? cell(index.row() + 1, index.column() + 1) : nullptr;
    return found && !resetting_ ? cellRole(*found, role) : QVariant();
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const GridCell* found = orientation == Qt::Horizontal ? cell(0, section + 1) : cell(section + 1, 0);
    return found && !resetting_ ? cellRole(*found, role) : QVariant();
}

Qt::ItemFlags ResultGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

Qt::Alignment qtAlignment(CellAlignment alignment) {
    switch (alignment) {
        case CellAlignment::Left:
            return Qt::AlignLeft | Qt::AlignVCenter;
        case CellAlignment::Centre:
            return Qt::AlignCenter;
        case CellAlignment::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace velomir
