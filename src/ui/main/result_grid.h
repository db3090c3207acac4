// The analysis grid `高级表格_分析列表`: a table view over the run state's rows whose headers are the grid's title
// row and title column; the corner shows the count. Several rows can be selected (Ctrl, Shift) for the list actions;
// the detail pane follows the current row alone.
#pragma once

#include <QTableView>
#include <vector>

class QAbstractButton;

namespace velomir {

class ResultGridModel;
struct RunState;

class ResultGrid : public QTableView {
    Q_OBJECT

public:
    ResultGrid(const RunState& state, QWidget* parent);

    // Shows the state's current list and titles.
    void publish();
    // Shows the rows added at the end of the state's list since the last publish or grow; the rest stays as it
    // is, the cursor included.
    void grow();
    // Text of a grid cell, title row and column included ("" outside the grid).
    QString cellText(int row, int column) const;
    QString cornerText() const { return cellText(0, 0); }
    // The selected rows, 0-based, in the list's order.
    std::vector<int> selectedRows() const;

signals:
    // The row of the current cell changed or was set again: 1-based grid row, 0 for none.
    void cursorRowChanged(int row);
    // The rows shown or the rows selected changed.
    void rowsChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyColumnWidths();
    void paintCorner(QAbstractButton* corner);

    ResultGridModel* model_;
    QAbstractButton* corner_ = nullptr;
};

}  // namespace velomir
