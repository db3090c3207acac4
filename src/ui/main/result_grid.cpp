#include "ui/main/result_grid.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QPaintEvent>
#include <QStyleOptionHeader>
#include <QStylePainter>

#include "ui/main/result_grid_model.h"

namespace velomir {

namespace {

constexpr int kRowHeight = 22;

}  // namespace

ResultGrid::ResultGrid(QWidget* parent) : QTableView(parent), model_(new ResultGridModel(this)) {
    setObjectName(QStringLiteral("高级表格_分析列表"));
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setHighlightSections(false);
    QPalette colours = palette();
    colours.setColor(QPalette::Highlight, QColor(0x50, 0x50, 0x50));
    colours.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(colours);
    verticalHeader()->setHighlightSections(false);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { emit cursorRowChanged(current.isValid() ? current.row() + 1 : 0); });
    // The corner button draws no text of its own; the item count is painted over it.
    corner_ = findChild<QAbstractButton*>();
    if (corner_) corner_->installEventFilter(this);
}

void ResultGrid::setRowCount(int rows) { model_->setGridRows(rows); }

void ResultGrid::setColumnCount(int columns) {
    model_->setGridColumns(columns);
    widths_.resize(static_cast<std::size_t>(std::max(columns, 0)), -1);
}

void ResultGrid::setColumnWidth(int column, int width) {
    if (column < 0) return;
    if (column >= static_cast<int>(widths_.size())) widths_.resize(static_cast<std::size_t>(column) + 1, -1);
    widths_[column] = width;
}

void ResultGrid::appendColumn(const std::string& title) {
    model_->appendGridColumn(QString::fromStdString(title));
    widths_.resize(static_cast<std::size_t>(model_->gridColumns()), -1);
}

void ResultGrid::appendRow(const std::string& title) { model_->appendGridRow(QString::fromStdString(title)); }

void ResultGrid::setCellText(int row, int column, const std::string& text) {
    if (GridCell* cell = model_->cell(row, column)) cell->text = QString::fromStdString(text);
}

template <typename Change>
void ResultGrid::forCells(int r1, int c1, int r2, int c2, Change change) {
    for (int r = std::max(r1, 0); r <= std::min(r2, model_->gridRows() - 1); ++r) {
        for (int c = std::max(c1, 0); c <= std::min(c2, model_->gridColumns() - 1); ++c) change(*model_->cell(r, c));
    }
}

void ResultGrid::setAlignment(int r1, int c1, int r2, int c2, CellAlignment alignment) {
    const Qt::Alignment qt = qtAlignment(alignment);
    forCells(r1, c1, r2, c2, [qt](GridCell& cell) { cell.alignment = qt; });
}

void ResultGrid::setColour(int r1, int c1, int r2, int c2, std::uint32_t rgb) {
    const QColor colour = QColor::fromRgb(static_cast<QRgb>(rgb));
    forCells(r1, c1, r2, c2, [&colour](GridCell& cell) { cell.colour = colour; });
}

int ResultGrid::rowCount() const { return model_->gridRows(); }

int ResultGrid::columnCount() const { return model_->gridColumns(); }

void ResultGrid::publish() {
    model_->publish();
    applyColumnWidths();
    if (corner_) corner_->update();
}

QString ResultGrid::cellText(int row, int column) const {
    const GridCell* cell = static_cast<const ResultGridModel*>(model_)->cell(row, column);
    return cell ? cell->text : QString();
}

void ResultGrid::applyColumnWidths() {
    for (int c = 0; c < static_cast<int>(widths_.size()); ++c) {
        if (widths_[c] < 0) continue;
        if (c == 0) {
            verticalHeader()->setFixedWidth(widths_[c]);
        } else {
            QTableView::setColumnWidth(c - 1, widths_[c]);
        }
    }
}

bool ResultGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == corner_ && event->type() == QEvent::Paint) {
        paintCorner(corner_);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void ResultGrid::paintCorner(QAbstractButton* corner) {
    QStyleOptionHeader option;
    option.initFrom(corner);
    option.rect = corner->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.textAlignment = Qt::AlignCenter;
    if (const GridCell* cell = static_cast<const ResultGridModel*>(model_)->cell(0, 0)) {
        option.text = cell->text;
        option.textAlignment = cell->alignment;
        if (cell->colour.isValid()) option.palette.setColor(QPalette::ButtonText, cell->colour);
    }
    // A long count ("{10000}") is drawn smaller rather than cut in the narrow corner.
    QFont font = corner->font();
    while (QFontMetrics(font).horizontalAdvance(option.text) > option.rect.width() - 4 && font.pointSizeF() > 5) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    option.fontMetrics = QFontMetrics(font);
    QStylePainter painter(corner);
    painter.setFont(font);
    painter.drawControl(QStyle::CE_Header, option);
}

}  // namespace velomir
