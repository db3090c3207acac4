// The cells of the result grid, title row and title column included, offered to a QTableView.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <vector>

#include "analysis/analysis_view.h"

namespace velomir {

struct GridCell {
    QString text;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QColor colour;  // invalid: the view's own text colour
};

// Grid row 0 is the view's horizontal header, column 0 its vertical header and cell (0, 0) the corner.
// Changes are gathered silently and shown by publish(), so that ten thousand appended rows cost one reset.
class ResultGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ResultGridModel(QObject* parent = nullptr);

    int gridRows() const { return static_cast<int>(cells_.size()); }
    int gridColumns() const { return columns_; }
    void setGridRows(int rows);
    void setGridColumns(int columns);
    void appendGridColumn(const QString& title);
    void appendGridRow(const QString& title);
    // Out-of-range cells are ignored.
    GridCell* cell(int row, int column);
    const GridCell* cell(int row, int column) const;

    // Shows the changes made since the last publish (a no-op when there are none).
    void publish();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void changing();
    static QVariant cellRole(const GridCell& cell, int role);

    std::vector<std::vector<GridCell>> cells_;
    int columns_ = 0;
    bool resetting_ = false;
};

Qt::Alignment qtAlignment(CellAlignment alignment);

}  // namespace velomir
