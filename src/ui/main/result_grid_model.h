// The run state's rows offered to the grid's view: the kind's titles as the horizontal header, the row numbers as
// the vertical one. It holds no copy of the cells; a published list costs one reset.
#pragma once

#include <QAbstractTableModel>
#include <QString>

namespace velomir {

struct RunState;

class ResultGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    ResultGridModel(const RunState& state, QObject* parent = nullptr);

    // The state holds a new list (or new titles): shows it.
    void reset();
    // The state's list has grown at its end: shows the new rows.
    void grow();
    // The text of a cell counted as the grid counts them: row 0 the titles, column 0 the row numbers, (0, 0) the
    // count in braces; "" outside the grid.
    QString cellText(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QString title(int column) const;

    const RunState& state_;
    int rows_ = 0;  // the rows shown since the last reset
};

}  // namespace velomir
