#include "ui/main/result_grid_model.h"

#include <QColor>
#include <array>

#include "analysis/analysis_driver.h"

namespace velomir {

namespace {

constexpr int kTextColumns = 3;
// Before the first run the grid shows these.
constexpr std::array<const char*, kTextColumns> kDefaultTitles{"名称", "歌手", "专辑"};
const QColor kTitleGrey(128, 128, 128);
// A cell shows a few thousand characters at most; laying out a name of megabytes at every paint would freeze the
// window. The row keeps its whole text for everything else.
constexpr qsizetype kShownCharacters = 4096;

const std::string& rowText(const ResultRow& row, RecordType recordType, int column) {
    if (recordType == RecordType::Programme) {
        return column == 1 ? row.programmeName : column == 2 ? row.djNickname : row.radioName;
    }
    return column == 1 ? row.trackName : column == 2 ? row.artistNames : row.albumName;
}

QString shown(const std::string& text) {
    QString whole =
        QString::fromStdString(text.size() > 4 * kShownCharacters ? text.substr(0, 4 * kShownCharacters) : text);
    return whole.size() > kShownCharacters ? whole.left(kShownCharacters) : whole;
}

}  // namespace

ResultGridModel::ResultGridModel(const RunState& state, QObject* parent) : QAbstractTableModel(parent), state_(state) {}

void ResultGridModel::reset() {
    beginResetModel();
    rows_ = static_cast<int>(state_.resultRows.size());
    endResetModel();
}

void ResultGridModel::grow() {
    const int rows = static_cast<int>(state_.resultRows.size());
    if (rows <= rows_) return;
    beginInsertRows(QModelIndex(), rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
}

QString ResultGridModel::title(int column) const {
    if (column < 1 || column > kTextColumns) return {};
    const auto index = static_cast<std::size_t>(column - 1);
    if (state_.columnTitles.size() == kTextColumns) return QString::fromStdString(state_.columnTitles[index]);
    return QString::fromUtf8(kDefaultTitles[index]);
}

QString ResultGridModel::cellText(int row, int column) const {
    if (row < 0 || row > rows_ || column < 0 || column > kTextColumns) return {};
    if (row == 0) return column == 0 ? QStringLiteral("{%1}").arg(rows_) : title(column);
    if (column == 0) return QString::number(row);
    return QString::fromStdString(
        rowText(state_.resultRows[static_cast<std::size_t>(row) - 1], state_.currentRecordType, column));
}

int ResultGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int ResultGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kTextColumns; }

QVariant ResultGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) return {};
    switch (role) {
        case Qt::DisplayRole:
            return shown(rowText(state_.resultRows[static_cast<std::size_t>(index.row())], state_.currentRecordType,
                                 index.column() + 1));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        default:
            return {};
    }
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    switch (role) {
        case Qt::DisplayRole:
            return orientation == Qt::Horizontal ? title(section + 1) : QVariant(QString::number(section + 1));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(orientation == Qt::Horizontal ? Qt::Alignment(Qt::AlignCenter)
                                                                     : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        case Qt::ForegroundRole:
            return orientation == Qt::Horizontal ? QVariant(kTitleGrey) : QVariant();
        default:
            return {};
    }
}

Qt::ItemFlags ResultGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

}  // namespace velomir
