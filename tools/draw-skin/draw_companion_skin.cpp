// The preview and about windows' images: copy faces, speaker frames, record sleeve, open-page icon, about picture.
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <functional>

#include "draw_skin.h"

namespace velomir {

namespace {

const QColor kLight(0xEC, 0xEC, 0xEC);
const QColor kDim(0xA8, 0xA8, 0xA8);
const QColor kWindow(0x49, 0x49, 0x49);
const QColor kTick(0x4C, 0xC3, 0x6A);
const QColor kCross(0xF0, 0x4E, 0x4E);

using Painter = std::function<void(QPainter&)>;

QImage paintImage(int width, int height, const Painter& paint, QColor fill = Qt::transparent) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    return image;
}

bool save(const QImage& image, const QString& folder, const char* name, int quality = -1) {
    return image.save(folder + QLatin1Char('/') + QLatin1String(name), nullptr, quality);
}

// A sheet of paper with a folded corner and three lines of text on it.
void paintPage(QPainter& p, const QRectF& page) {
    const qreal fold = 3;
    QPainterPath sheet(page.topLeft());
    sheet.lineTo(page.right() - fold, page.top());
    sheet.lineTo(page.right(), page.top() + fold);
    sheet.lineTo(page.bottomRight());
    sheet.lineTo(page.bottomLeft());
    sheet.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kLight);
    p.drawPath(sheet);
    p.setPen(QPen(kWindow, 1));
    for (int line = 0; line < 3; ++line) {
        const qreal y = page.top() + 3.5 + 2.5 * line;
        if (y < page.bottom() - 1) p.drawLine(QPointF(page.left() + 2, y), QPointF(page.right() - 2, y));
    }
}

void paintCopyIcon(QPainter& p) {
    p.setPen(QPen(kDim, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1.5, 1.5, 8, 10));
    paintPage(p, QRectF(5, 4, 9, 11));
}

void paintResultIcon(QPainter& p, bool success) {
    paintPage(p, QRectF(1, 1, 9, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(success ? kTick : kCross);
    p.drawEllipse(QRectF(7, 7, 9, 9));
    p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (success) {
        p.drawPolyline(QPolygonF({QPointF(9.2, 11.6), QPointF(10.9, 13.2), QPointF(13.8, 9.9)}));
    } else {
        p.drawLine(QPointF(9.6, 9.6), QPointF(13.4, 13.4));
        p.drawLine(QPointF(13.4, 9.6), QPointF(9.6, 13.4));
    }
}

// A speaker cone with `waves` sound waves, light on transparent, for the red strip.
void paintSpeaker(QPainter& p, int waves) {
    QPainterPath cone;
    cone.addRoundedRect(QRectF(6, 24, 11, 16), 2, 2);
    cone.moveTo(17, 24);
    cone.lineTo(29, 13);
    cone.quadTo(31, 11.5, 31, 14);
    cone.lineTo(31, 50);
    cone.quadTo(31, 52.5, 29, 51);
    cone.lineTo(17, 40);
    cone.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kLight);
    p.drawPath(cone.simplified());
    p.setBrush(Qt::NoBrush);
    for (int wave = 0; wave < waves; ++wave) {
        const qreal radius = 8 + 8 * wave;
        p.setPen(QPen(kLight, 4.5, Qt::SolidLine, Qt::RoundCap));
        const QRectF arc(32 - radius, 32 - radius, 2 * radius, 2 * radius);
        p.drawArc(arc, -50 * 16, 100 * 16);
    }
}

// Concentric grooves with a soft sheen: the vinyl look shared by the sleeve and the about picture.
void paintRecord(QPainter& p, const QPointF& centre, qreal radius) {
    QRadialGradient body(centre, radius);
    body.setColorAt(0, QColor(0x26, 0x26, 0x26));
    body.setColorAt(0.97, QColor(0x12, 0x12, 0x12));
    body.setColorAt(1, QColor(0x05, 0x05, 0x05));
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawEllipse(centre, radius, radius);
    p.setBrush(Qt::NoBrush);
    for (qreal r = radius * 0.36; r < radius - 2; r += 2.5) {
        p.setPen(QPen(QColor(255, 255, 255, static_cast<int>(r) % 3 == 0 ? 20 : 9), 0.8));
        p.drawEllipse(centre, r, r);
    }
    QConicalGradient sheen(centre, 35);
    sheen.setColorAt(0, QColor(255, 255, 255, 0));
    sheen.setColorAt(0.08, QColor(255, 255, 255, 38));
    sheen.setColorAt(0.16, QColor(255, 255, 255, 0));
    sheen.setColorAt(0.5, QColor(255, 255, 255, 0));
    sheen.setColorAt(0.58, QColor(255, 255, 255, 30));
    sheen.setColorAt(0.66, QColor(255, 255, 255, 0));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(sheen);
    p.setPen(Qt::NoPen);
    p.drawEllipse(centre, radius - 1, radius - 1);
}

// The sleeve holds the cover (which covers all but a 4-pixel frame); the disc shows on the right and stays clear of
// the copy button's corner.
void paintSleeve(QPainter& p) {
    const QPointF centre(126, 88);
    const qreal radius = 84;
    paintRecord(p, centre, radius);
    // The sleeve's shadow falls on the disc only.
    QLinearGradient shadow(181, 0, 192, 0);
    shadow.setColorAt(0, QColor(0, 0, 0, 150));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    QPainterPath disc;
    disc.addEllipse(centre, radius, radius);
    p.save();
    p.setClipPath(disc);
    p.fillRect(QRectF(181, 0, 11, 181), shadow);
    p.restore();
    QLinearGradient sleeve(0, 0, 181, 181);
    sleeve.setColorAt(0, QColor(0x5C, 0x5C, 0x5C));
    sleeve.setColorAt(1, QColor(0x33, 0x33, 0x33));
    p.setBrush(sleeve);
    p.setPen(QPen(QColor(0x6E, 0x6E, 0x6E), 1));
    p.drawRect(QRectF(0.5, 0.5, 180, 180));
}

// An arrow leaving an open box.
void paintOpenPage(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kLight, 1));
    p.drawPolyline(QPolygon({QPoint(5, 2), QPoint(0, 2), QPoint(0, 10), QPoint(8, 10), QPoint(8, 6)}));
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kLight, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(4, 6.5), QPointF(10.5, 0.5));
    p.drawPolyline(QPolygonF({QPointF(6.5, 0.5), QPointF(10.5, 0.5), QPointF(10.5, 4.5)}));
}

void paintAboutBackground(QPainter& p) {
    QLinearGradient ground(0, 0, 640, 640);
    ground.setColorAt(0, QColor(0xD4, 0x1A, 0x1A));
    ground.setColorAt(0.55, QColor(0x7A, 0x07, 0x07));
    ground.setColorAt(1, QColor(0x1E, 0x02, 0x02));
    p.fillRect(QRect(0, 0, 640, 640), ground);
    p.setPen(QPen(QColor(255, 255, 255, 18), 2));
    for (int line = -640; line < 640; line += 28) p.drawLine(line, 640, line + 640, 0);
}

void paintAboutLabel(QPainter& p, const QPointF& centre) {
    QRadialGradient label(centre, 92);
    label.setColorAt(0, QColor(0xE8, 0x2B, 0x2B));
    label.setColorAt(1, QColor(0xA3, 0x09, 0x09));
    p.setPen(Qt::NoPen);
    p.setBrush(label);
    p.drawEllipse(centre, 92, 92);
    p.setBrush(QColor(0x16, 0x16, 0x16));
    p.drawEllipse(centre, 9, 9);
    QFont font(QStringLiteral("DejaVu Sans"), 1);
    font.setPixelSize(26);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kLight);
    p.drawText(QRectF(centre.x() - 90, centre.y() - 62, 180, 40), Qt::AlignCenter, QStringLiteral("VELOMIR"));
    font.setPixelSize(15);
    font.setBold(false);
    p.setFont(font);
    p.drawText(QRectF(centre.x() - 90, centre.y() + 22, 180, 30), Qt::AlignCenter, QStringLiteral("side A · 33⅓"));
}

// Drawn large: the picture is shown at 173 x 173.
void paintAboutTitle(QPainter& p) {
    QFont font(QStringLiteral("DejaVu Sans"), 1);
    font.setPixelSize(104);
    font.setWeight(QFont::Light);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255, 240));
    p.drawText(QPointF(36, 128), QStringLiteral("Velomir"));
    font.setPixelSize(40);
    font.setWeight(QFont::Normal);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255, 190));
    p.drawText(QPointF(42, 184), QStringLiteral("listen · list · copy"));
}

void paintAboutPicture(QPainter& p) {
    paintAboutBackground(p);
    const QPointF centre(420, 430);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawEllipse(centre + QPointF(10, 14), 250, 250);
    paintRecord(p, centre, 250);
    paintAboutLabel(p, centre);
    paintAboutTitle(p);
}

}  // namespace

bool drawCompanionSkin(const QString& folder) {
    bool ok = save(paintImage(16, 16, paintCopyIcon), folder, "copy-link.png");
    ok = save(paintImage(16, 16, [](QPainter& p) { paintResultIcon(p, true); }), folder, "copy-link-done.png") && ok;
    ok = save(paintImage(16, 16, [](QPainter& p) { paintResultIcon(p, false); }), folder, "copy-link-failed.png") && ok;
    for (int waves = 1; waves <= 3; ++waves) {
        const QByteArray name = "speaker-" + QByteArray::number(waves) + ".png";
        ok = save(paintImage(64, 64, [waves](QPainter& p) { paintSpeaker(p, waves); }), folder, name.constData()) && ok;
    }
    ok = save(paintImage(211, 181, paintSleeve), folder, "sleeve.png") && ok;
    ok = save(paintImage(12, 11, paintOpenPage), folder, "open-page.png") && ok;
    const QImage about = paintImage(640, 640, paintAboutPicture, Qt::black).convertToFormat(QImage::Format_RGB32);
    return save(about, folder, "about-picture.jpg", 90) && ok;
}

}  // namespace velomir
