// The controls of the main window at their places in the window's base size, and the rule that moves them when it
// is resized.
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "ui/main/click_label.h"
#include "ui/main/detail_pane.h"
#include "ui/main/download_panel.h"
#include "ui/main/main_window.h"
#include "ui/main/progress_panel.h"
#include "ui/main/result_grid.h"
#include "ui/main/settings_bar.h"
#include "ui/main/skin.h"

namespace velomir {

namespace {

constexpr int kTabCaptionPixels = 12;
constexpr int kProgressMilliseconds = 50;
constexpr int kGridFoot = 20;  // under the grid: the run note
constexpr int kStripGap = 6;   // between the grid and the download strip
constexpr int kLeastGridHeight = 88;

ClickLabel* addBox(QWidget* parent, const char* name, const QRect& geometry, QRgb background) {
    auto* box = new ClickLabel(parent, name);
    box->setGeometry(geometry);
    box->setBackground(skin::colour(background));
    return box;
}

ClickLabel* addPicture(QWidget* parent, const char* name, const QRect& geometry, const char* image) {
    auto* box = new ClickLabel(parent, name);
    box->setGeometry(geometry);
    box->setAlignment(Qt::AlignCenter);
    box->setPicture(skin::imageBytes(image));
    box->setHandCursor();
    return box;
}

struct ModeTab {
    ClickLabel* face;
    ClickLabel* area;
    ClickLabel* caption;
    ClickLabel* stripe;
};

ModeTab addModeTab(QWidget* leftBar, bool parse, int top, QRgb face, QRgb stripe) {
    ModeTab tab;
    tab.face = addBox(leftBar, parse ? "图片框_解析模式" : "图片框_搜索模式", QRect(0, top, 56, 27), face);
    tab.area = new ClickLabel(tab.face, parse ? "透明标签_解析模式" : "透明标签_搜索模式");
    tab.area->setGeometry(0, 0, 56, 32);
    tab.area->setHandCursor();
    tab.caption = addBox(tab.face, parse ? "标签_解析" : "标签_搜索", QRect(8, 5, 40, 16), face);
    tab.caption->setText(parse ? QStringLiteral("解析") : QStringLiteral("搜索"));
    tab.caption->setAlignment(Qt::AlignCenter);
    tab.caption->setFont(skin::guiFont(kTabCaptionPixels));
    tab.caption->setTextColour(skin::colour(skin::kTabCaptionColour));
    tab.stripe = addBox(tab.face, parse ? "图片框_解析模式1" : "图片框_搜索模式1", QRect(0, 0, 2, 27), stripe);
    // The click area lies over the caption, so a click on the word selects the mode too.
    tab.area->raise();
    return tab;
}

}  // namespace

void MainWindow::buildLayout() {
    setWindowTitle(QStringLiteral("Velomir"));
    setWindowIcon(QIcon(QString::fromLatin1(skin::kIcon)));
    resize(805, 469);
    move(50, 50);
    ModeControls modes{};
    buildLeftBar(modes);
    redEdge_ = addBox(this, "图片框_红边竖", QRect(56, 0, 2, 100), skin::kRedEdgeColour);
    buildMiddlePanel();
    buildRightPanel();
    settingsBar_ = new SettingsBar(this, {leftBar_, modeReference_, middle_}, options_);
    settingsBar_->raise();
    modes.redEdge = redEdge_;
    modes.linkBox = linkBox_;
    modes_ = new InputModes(modes, this);
}

void MainWindow::buildLeftBar(ModeControls& modes) {
    leftBar_ = addBox(this, "图片框_左侧", QRect(0, 0, 56, 552), skin::kLeftBarColour);
    icon_ = addPicture(leftBar_, "图片框_图标", QRect(12, 15, 32, 32), skin::kIcon);
    const ModeTab parse = addModeTab(leftBar_, true, 64, skin::kActiveTabColour, skin::kActiveStripeColour);
    const ModeTab search = addModeTab(leftBar_, false, 91, skin::kLeftBarColour, skin::kLeftBarColour);
    parseTab_ = parse.face;
    searchTab_ = search.face;
    modeReference_ = addBox(leftBar_, "图片框_模式参考色", QRect(0, 176, 56, 64), skin::kActiveTabColour);
    modeReference_->hide();
    focusButton_ = new QPushButton(QStringLiteral("焦点"), leftBar_);
    focusButton_->setObjectName(QStringLiteral("按钮_焦点"));
    focusButton_->setGeometry(8, 192, 40, 32);
    // Qt gives no focus to a hidden widget: the button stays shown but draws nothing and takes no clicks.
    focusButton_->setStyleSheet(
        QStringLiteral("QPushButton { border: none; background: transparent; "
                       "color: transparent; outline: none; }"));
    focusButton_->setAttribute(Qt::WA_TransparentForMouseEvents);
    modes.leftBar = leftBar_;
    modes.parseTab = parse.face;
    modes.parseStripe = parse.stripe;
    modes.parseCaption = parse.caption;
    modes.parseArea = parse.area;
    modes.searchTab = search.face;
    modes.searchStripe = search.stripe;
    modes.searchCaption = search.caption;
    modes.searchArea = search.area;
    modes.modeReference = modeReference_;
    modes.focusButton = focusButton_;
}

void MainWindow::buildMiddlePanel() {
    middle_ = addBox(this, "图片框_左中", QRect(56, 0, 466, 528), skin::kMiddlePanelColour);
    inputFrame_ = new QFrame(middle_);
    inputFrame_->setObjectName(QStringLiteral("外形框_链接id"));
    inputFrame_->setGeometry(15, 14, 409, 24);
    inputFrame_->setFrameStyle(QFrame::Box | QFrame::Plain);
    QPalette frameColours = inputFrame_->palette();
    frameColours.setColor(QPalette::Window, skin::colour(skin::kInputBaseColour));
    frameColours.setColor(QPalette::WindowText, skin::colour(skin::kHorizontalEdgeColour));
    inputFrame_->setPalette(frameColours);
    inputFrame_->setAutoFillBackground(true);
    linkBox_ = new QLineEdit(inputFrame_);
    linkBox_->setObjectName(QStringLiteral("编辑框_链接id"));
    linkBox_->setGeometry(24, 1, 145, 20);
    linkBox_->setFrame(false);
    QPalette boxColours = linkBox_->palette();
    boxColours.setColor(QPalette::Text, skin::colour(skin::kInputTextColour));
    boxColours.setColor(QPalette::Base, skin::colour(skin::kInputBaseColour));
    linkBox_->setPalette(boxColours);
    clear_ = addPicture(inputFrame_, "图片框_清空", QRect(202, 5, 16, 16), skin::kClearButton);
    parse_ = addPicture(middle_, "图片框_解析", QRect(428, 15, 22, 22), skin::kParseButton);
    horizontalEdge_ = addBox(middle_, "图片框_边横", QRect(9, 5, 50, 2), skin::kHorizontalEdgeColour);
    horizontalEdge_->hide();
    grid_ = new ResultGrid(driver_.state(), middle_);
    grid_->setGeometry(16, 53, 435, 459);
    progress_ = new ProgressPanel(middle_);
    downloads_ = new DownloadPanel(middle_, setup_.services, setup_.runDownload);
    runNote_ = new ClickLabel(middle_, "标签_运行提示");
    runNote_->setTextColour(skin::colour(skin::kRedEdgeColour));
    runNote_->setBackground(skin::colour(skin::kMiddlePanelColour));
    runNote_->hide();
    progressTimer_ = new QTimer(middle_);
    progressTimer_->setObjectName(QStringLiteral("时钟_进度"));
    progressTimer_->start(kProgressMilliseconds);
}

void MainWindow::buildRightPanel() {
    right_ = addBox(this, "图片框_右侧", QRect(520, 0, 352, 528), skin::kRightPanelColour);
    detail_ = new DetailPane(right_, driver_.state(), options_, setup_.services, *lyrics_);
}

// The middle panel keeps its width; the right panel and the detail pane take what the window gives.
void MainWindow::applyResizeRule() {
    const double w = width();
    const double h = height();
    const auto whole = [](double value) { return static_cast<int>(value); };
    leftBar_->setGeometry(0, 0, leftBar_->width(), whole(h));
    const int middleLeft = leftBar_->x() + leftBar_->width();
    redEdge_->setGeometry(middleLeft, 0, 1, whole(h));
    middle_->setGeometry(middleLeft, 0, middle_->width(), whole(h));
    const int rightWidth = whole(w - leftBar_->width() - middle_->width());
    right_->setGeometry(middle_->x() + middle_->width(), 0, rightWidth, whole(h));
    linkBox_->setGeometry(6, 1, inputFrame_->width() - clear_->width() - 6, inputFrame_->height() - 2);
    clear_->move(inputFrame_->width() - clear_->width() - 4, clear_->y());
    horizontalEdge_->setGeometry(0, horizontalEdge_->y(), middle_->width(), 1);
    placeGridArea();
    settingsBar_->narrow();
    settingsBar_->move(0, whole(h - settingsBar_->height()));
    detail_->move(20, detail_->y());
    detail_->fitWidth(rightWidth - 40);
}

void MainWindow::placeGridArea() {
    const int h = height();
    const int strip = downloads_->isHidden() ? 0 : downloads_->height() + kStripGap;
    grid_->resize(grid_->width(), std::max(kLeastGridHeight, h - grid_->y() - kGridFoot - strip));
    progress_->resize(grid_->width(), grid_->height());
    progress_->centreContents();
    const int gridBottom = grid_->y() + grid_->height();
    downloads_->setGeometry(grid_->x(), gridBottom + kStripGap, grid_->width(), downloads_->height());
    runNote_->setGeometry(grid_->x(), h - kGridFoot + 1, grid_->width(), 18);
}

}  // namespace velomir
