#include "ui/main/input_modes.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "text/text_helpers.h"
#include "ui/main/click_label.h"

namespace velomir {

QString parseHint() { return QStringLiteral("网易云音乐:歌单/专辑/单曲/节目/电台链接、ID"); }

QString searchHint() { return QStringLiteral("歌曲名称"); }

InputModes::InputModes(const ModeControls& controls, QObject* parent) : QObject(parent), controls_(controls) {
    controls_.linkBox->installEventFilter(this);
    connect(controls_.parseArea, &ClickLabel::released, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) switchMode(kParseMode);
    });
    connect(controls_.searchArea, &ClickLabel::released, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) switchMode(kSearchMode);
    });
}

bool InputModes::eventFilter(QObject* watched, QEvent* event) {
    if (watched != controls_.linkBox) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            applyHintRule();
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) applyHintRule();
            break;
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (enter && !key->isAutoRepeat()) emit enterReleased();
            break;
        }
        default:
            break;
    }
    return false;
}

void InputModes::applyHintRule() {
    QLineEdit* box = controls_.linkBox;
    if (box->hasFocus()) {
        if (box->text() == parseHint() || box->text() == searchHint()) box->setText(QString());
        return;
    }
    if (removeBlanks(box->text().toStdString()).empty())
        box->setText(mode_ == kSearchMode ? searchHint() : parseHint());
}

void InputModes::moveFocusAway() { controls_.focusButton->setFocus(Qt::OtherFocusReason); }

void InputModes::switchMode(int mode) {
    moveFocusAway();
    if (mode == mode_) return;
    mode_ = mode;
    if (mode_ == kSearchMode) {
        showSearchMode();
    } else {
        showParseMode();
    }
    controls_.parseCaption->setBackground(controls_.parseTab->background());
    controls_.searchCaption->setBackground(controls_.searchTab->background());
}

void InputModes::showParseMode() {
    controls_.parseTab->setBackground(controls_.modeReference->background());
    controls_.parseStripe->setBackground(controls_.redEdge->background());
    controls_.searchTab->setBackground(controls_.leftBar->background());
    controls_.searchStripe->setBackground(controls_.searchTab->background());
    if (controls_.linkBox->text() == searchHint()) controls_.linkBox->setText(parseHint());
}

void InputModes::showSearchMode() {
    if (controls_.linkBox->text() == parseHint()) controls_.linkBox->setText(searchHint());
    controls_.parseTab->setBackground(controls_.leftBar->background());
    controls_.parseStripe->setBackground(controls_.parseTab->background());
    controls_.searchTab->setBackground(controls_.modeReference->background());
    controls_.searchStripe->setBackground(controls_.redEdge->background());
}

}  // namespace velomir
