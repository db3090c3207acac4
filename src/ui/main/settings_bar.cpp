#include "ui/main/settings_bar.h"

#include <QIntValidator>
#include <QLineEdit>
#include <QTimer>
#include <cmath>

#include "settings/settings_store.h"
#include "text/text_helpers.h"
#include "ui/main/skin.h"

namespace velomir {

namespace {

constexpr int kCaptionPixels = 12;

void setSwitchPicture(ClickLabel* control, bool on) {
    control->setPicture(skin::imageBytes(on ? skin::kSwitchOn : skin::kSwitchOff));
}

ClickLabel* addPictureButton(QWidget* parent, const char* name, int left, const char* image) {
    auto* button = new ClickLabel(parent, name);
    button->setGeometry(left, 4, 32, 32);
    button->setAlignment(Qt::AlignCenter);
    button->setHandCursor();
    if (image) button->setPicture(skin::imageBytes(image));
    return button;
}

}  // namespace

SettingsBar::SettingsBar(QWidget* parent, const SettingsBarFrame& frame, AnalysisOptions& options)
    : ClickLabel(parent, "图片框_图片按钮底"), frame_(frame), options_(options) {
    setGeometry(0, 384, 496, 40);
    setBackground(skin::colour(skin::kLeftBarColour));
    buildControls();
    connect(gear_, &ClickLabel::released, this, [this](Qt::MouseButton b) {
        if (b == Qt::LeftButton) toggle();
    });
    connect(coverSwitch_, &ClickLabel::released, this, [this](Qt::MouseButton b) {
        if (b == Qt::LeftButton) onCoverClicked();
    });
    connect(jumpSwitch_, &ClickLabel::released, this, [this](Qt::MouseButton b) {
        if (b == Qt::LeftButton) onJumpClicked();
    });
    connect(maxBox_, &QLineEdit::textChanged, this, &SettingsBar::onMaxEdited);
}

void SettingsBar::buildControls() {
    gear_ = addPictureButton(this, "图片框_设置", 12, skin::kGear);
    addCaption("标签_设置封面", QRect(64, 12, 32, 16), QStringLiteral("封面"));
    coverSwitch_ = addPictureButton(this, "图片框_封面开关", 100, skin::kSwitchOn);
    addCaption("标签_跳搜索", QRect(146, 12, 75, 16), QStringLiteral("自动跳到搜索"));
    jumpSwitch_ = addPictureButton(this, "图片框_跳搜索开关", 228, skin::kSwitchOn);
    addCaption("标签_设置最大搜索数", QRect(265, 12, 136, 16), QStringLiteral("最大搜索/电台列表数"));
    maxBox_ = new QLineEdit(QStringLiteral("100"), this);
    maxBox_->setObjectName(QStringLiteral("编辑框_最大搜索数"));
    maxBox_->setGeometry(398, 10, 66, 20);
    maxBox_->setValidator(new QIntValidator(maxBox_));
    maxBox_->setFrame(false);
    QPalette colours = maxBox_->palette();
    colours.setColor(QPalette::Text, Qt::white);
    colours.setColor(QPalette::Base, skin::colour(skin::kMaxBoxColour));
    maxBox_->setPalette(colours);
    idleTimer_ = new QTimer(this);  // a named control only: nothing starts it or listens to it
    idleTimer_->setObjectName(QStringLiteral("时钟_设置计时"));
}

ClickLabel* SettingsBar::addCaption(const char* name, const QRect& geometry, const QString& text) {
    auto* caption = new ClickLabel(this, name);
    caption->setGeometry(geometry);
    caption->setText(text);
    caption->setFont(skin::guiFont(kCaptionPixels));
    caption->setTextColour(skin::colour(skin::kTabCaptionColour));
    captions_.append(caption);
    return caption;
}

void SettingsBar::toggle() {
    const int rightEdge = frame_.middlePanel->x() + frame_.middlePanel->width();
    if (std::abs(width() - rightEdge) > 0.0000001) {
        resize(rightEdge, height());
        setBackground(frame_.modeReference->background());
    } else {
        resize(frame_.leftBar->width(), height());
        setBackground(frame_.leftBar->background());
    }
    settle();
}

void SettingsBar::collapse() {
    if (width() != frame_.leftBar->width()) {
        resize(frame_.leftBar->width(), height());
        setBackground(frame_.leftBar->background());
    }
    settle();
}

void SettingsBar::narrow() { resize(frame_.leftBar->width(), height()); }

// One colour for the whole bar, a usable maximum in the box, and the options written.
void SettingsBar::settle() {
    const QColor colour = background();
    for (ClickLabel* control : {gear_, coverSwitch_, jumpSwitch_}) control->setBackground(colour);
    for (ClickLabel* caption : captions_) caption->setBackground(colour);
    QPalette colours = maxBox_->palette();
    colours.setColor(QPalette::Base, colour);
    maxBox_->setPalette(colours);
    if (integerValue32(maxBox_->text().toStdString()) <= 0) maxBox_->setText(QStringLiteral("1"));
    emit optionsChanged();
}

void SettingsBar::applyCoverSwitch(bool on) {
    setSwitchPicture(coverSwitch_, on);
    if (!on) emit coverSwitchedOff();
    options_.showCovers = on;
    emit focusAwayWanted();
}

void SettingsBar::applyJumpSwitch(bool on) {
    setSwitchPicture(jumpSwitch_, on);
    options_.jumpToSearch = on;
    emit focusAwayWanted();
}

void SettingsBar::showMaxCount(int count) { maxBox_->setText(QString::number(count)); }

void SettingsBar::onCoverClicked() {
    applyCoverSwitch(!options_.showCovers);
    if (options_.showCovers) emit coverSwitchedOn();
    emit optionsChanged();
}

void SettingsBar::onJumpClicked() {
    applyJumpSwitch(!options_.jumpToSearch);
    emit optionsChanged();
}

void SettingsBar::onMaxEdited() {
    options_.maxCount = maxCountOf(maxBox_->text().toStdString());
    emit optionsChanged();
}

}  // namespace velomir
