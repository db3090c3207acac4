#include "ui/main/click_label.h"

#include <QMouseEvent>
#include <QPixmap>

namespace velomir {

ClickLabel::ClickLabel(QWidget* parent, const char* name) : QLabel(parent) {
    setObjectName(QString::fromUtf8(name));
    // Texts from answers land in labels: never let them be read as rich text.
    setTextFormat(Qt::PlainText);
}

void ClickLabel::setBackground(const QColor& colour) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colour);
    setPalette(colours);
    setAutoFillBackground(true);
}

QColor ClickLabel::background() const { return palette().color(QPalette::Window); }

void ClickLabel::setTextColour(const QColor& colour) {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colour);
    setPalette(colours);
}

QColor ClickLabel::textColour() const { return palette().color(QPalette::WindowText); }

void ClickLabel::setPicture(const QByteArray& bytes) {
    picture_ = bytes;
    QPixmap pixmap;
    if (!bytes.isEmpty()) pixmap.loadFromData(bytes);
    setPixmap(pixmap);
}

void ClickLabel::setHandCursor() { setCursor(Qt::PointingHandCursor); }

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    // Take the press, or the release would go to whoever took it.
    event->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (rect().contains(event->position().toPoint())) emit released(event->button());
}

}  // namespace velomir
