#include "ui/companions/companion_widgets.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

namespace velomir::companion {

namespace {

// The windows' outer sizes include a three-pixel border and a 26-pixel caption bar.
constexpr int kFrameWidth = 6;
constexpr int kFrameHeight = 32;

class ReleaseFilter : public QObject {
public:
    ReleaseFilter(QWidget* target, std::function<void()> action) : QObject(target), action_(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonRelease) return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* widget = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint())) action_();
        return false;
    }

private:
    std::function<void()> action_;
};

}  // namespace

QPixmap skinImage(const char* name) { return QPixmap(QStringLiteral(":/skin/") + QLatin1String(name)); }

void setBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QColor backgroundOf(const QWidget* widget) { return widget->palette().color(QPalette::Window); }

QLabel* addPictureBox(QWidget* parent, const char* name, const QRect& geometry, const QColor& background) {
    auto* box = new QLabel(parent);
    box->setObjectName(QString::fromUtf8(name));
    box->setGeometry(geometry);
    box->setAlignment(Qt::AlignCenter);
    setBackground(box, background);
    return box;
}

QLabel* addCaption(QWidget* parent, const char* name, const QRect& geometry, const QColor& background,
                   const QString& text) {
    QLabel* caption = addPictureBox(parent, name, geometry, background);
    caption->setTextFormat(Qt::PlainText);
    QPalette palette = caption->palette();
    palette.setColor(QPalette::WindowText, kCaptionColour);
    caption->setPalette(palette);
    caption->setText(text);
    return caption;
}

void onLeftRelease(QWidget* widget, std::function<void()> action) {
    widget->setCursor(Qt::PointingHandCursor);
    widget->installEventFilter(new ReleaseFilter(widget, std::move(action)));
}

QSize clientSize(const QSize& outer) { return outer - QSize(kFrameWidth, kFrameHeight); }

}  // namespace velomir::companion
