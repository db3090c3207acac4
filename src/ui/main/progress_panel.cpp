#include "ui/main/progress_panel.h"

#include "analysis/analysis_driver.h"
#include "ui/main/skin.h"

namespace velomir {

ProgressPanel::ProgressPanel(QWidget* parent)
    : ClickLabel(parent, "图片框_进度"),
      loader_(new ClickLabel(this, "图片框_载入")),
      caption_(new ClickLabel(this, "标签_进度")) {
    setGeometry(16, 53, 296, 280);
    setBackground(skin::colour(skin::kMiddlePanelColour));
    loader_->setGeometry(144, 187, 64, 64);
    caption_->setGeometry(24, 171, 168, 21);
    caption_->setText(QStringLiteral("进度"));
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setTextColour(skin::colour(skin::kGreyTextColour));
    caption_->setBackground(skin::colour(skin::kMiddlePanelColour));
    hide();
}

void ProgressPanel::tick(int step, int loaded, int total) {
    const bool idle = step == -1;
    if (idle && !isHidden()) {
        hide();
    } else if (!idle && isHidden()) {
        show();
        raise();
    }
    const QString text =
        step >= 0 && total > 0 ? QStringLiteral("正在载入 %1/%2").arg(loaded).arg(total) : stageText(step);
    if (caption_->text() != text) caption_->setText(text);
    const QByteArray& frameA = skin::imageBytes(skin::kLoadingA);
    const QByteArray& frameB = skin::imageBytes(skin::kLoadingB);
    loader_->setPicture(loader_->picture() == frameA ? frameB : frameA);
}

void ProgressPanel::centreContents() {
    const int captionTop = static_cast<int>(height() / 2.0 - caption_->height() / 2.0);
    caption_->move(static_cast<int>(width() / 2.0 - caption_->width() / 2.0), captionTop);
    loader_->move(static_cast<int>(width() / 2.0 - loader_->width() / 2.0), captionTop - loader_->height());
}

QString stageText(int step) {
    if (step >= 0 && step <= 3) return QString::fromUtf8(progressText(step));
    return QStringLiteral("解析完成,创建完成");
}

}  // namespace velomir
