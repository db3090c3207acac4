#include "ui/main/result_grid.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QPaintEvent>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <algorithm>

#include "ui/main/result_grid_model.h"

namespace velomir {

namespace {

constexpr int kRowHeight = 22;
// The title column, then the name, artist and album columns.
constexpr int kNumberWidth = 40;
constexpr int kColumnWidths[] = {160, 100, 100};
const QColor kTitleGrey(128, 128, 128);

}  // namespace

ResultGrid::ResultGrid(const RunState& state, QWidget* parent)
    : QTableView(parent), model_(new ResultGridModel(state, this)) {
    setObjectName(QStringLiteral("高级表格_分析列表"));
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
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
    // A reset clears the selection without a word from the selection model.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ResultGrid::rowsChanged);
    connect(model_, &QAbstractItemModel::modelReset, this, &ResultGrid::rowsChanged);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &ResultGrid::rowsChanged);
    // The corner button draws no text of its own; the item count is painted over it.
    corner_ = findChild<QAbstractButton*>();
    if (corner_) corner_->installEventFilter(this);
    applyColumnWidths();
}

void ResultGrid::grow() {
    model_->grow();
    if (corner_) corner_->update();
}

void ResultGrid::publish() {
    model_->reset();
    applyColumnWidths();
    if (corner_) corner_->update();
}

QString ResultGrid::cellText(int row, int column) const { return model_->cellText(row, column); }

std::vector<int> ResultGrid::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ResultGrid::applyColumnWidths() {
    verticalHeader()->setFixedWidth(kNumberWidth);
    for (int c = 0; c < static_cast<int>(std::size(kColumnWidths)); ++c)
        QTableView::setColumnWidth(c, kColumnWidths[c]);
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
    option.text = cornerText();
    option.palette.setColor(QPalette::ButtonText, kTitleGrey);
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
