// The picture boxes, labels and transparent click areas of the windows: a plain-text QLabel with a fixed name,
// an optional background colour, a picture kept as its bytes, and a signal for a button released inside it.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QLabel>

namespace velomir {

class ClickLabel : public QLabel {
    Q_OBJECT

public:
    // `name` (UTF-8) becomes the objectName by which the control is found.
    ClickLabel(QWidget* parent, const char* name);

    void setBackground(const QColor& colour);
    QColor background() const;
    void setTextColour(const QColor& colour);
    QColor textColour() const;

    // Shows the picture encoded in `bytes` (an empty array clears it); picture() gives the bytes back, so that
    // pictures compare by content.
    void setPicture(const QByteArray& bytes);
    const QByteArray& picture() const { return picture_; }

    void setHandCursor();

signals:
    void released(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QByteArray picture_;
};

}  // namespace velomir
