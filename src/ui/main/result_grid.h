// The analysis grid `高级表格_分析列表`: a table view whose headers are the grid's title row and title column.
#pragma once

#include <QTableView>
#include <vector>

#include "analysis/analysis_view.h"

class QAbstractButton;

namespace velomir {

class ResultGridModel;

class ResultGrid : public QTableView, public GridControl {
    Q_OBJECT

public:
    explicit ResultGrid(QWidget* parent);

    void setRowCount(int rows) override;
    void setColumnCount(int columns) override;
    void setColumnWidth(int column, int width) override;
    void appendColumn(const std::string& title) override;
    void appendRow(const std::string& title) override;
    void setCellText(int row, int column, const std::string& text) override;
    void setAlignment(int r1, int c1, int r2, int c2, CellAlignment alignment) override;
    void setColour(int r1, int c1, int r2, int c2, std::uint32_t rgb) override;
    int rowCount() const override;
    int columnCount() const override;

    // Shows what the grid operations changed; the window calls it when a run or the set-up has finished.
    void publish();
    // Text of a grid cell, title row and column included ("" outside the grid).
    QString cellText(int row, int column) const;
    QString cornerText() const { return cellText(0, 0); }

signals:
    // The row of the current cell changed or was set again: 1-based grid row, 0 for none.
    void cursorRowChanged(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyColumnWidths();
    void paintCorner(QAbstractButton* corner);
    template <typename Change>
    void forCells(int r1, int c1, int r2, int c2, Change change);

    ResultGridModel* model_;
    QAbstractButton* corner_ = nullptr;
    std::vector<int> widths_;
};

}  // namespace velomir
