// The main window's images: icon, parse and clear buttons, gear, switches, disc background, loading frames and the
// default cover. Plain QPainter on transparent images, so every run writes the same files.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <functional>

#include "draw_skin.h"

namespace velomir {

namespace {

const QColor kRed(0xEA, 0x20, 0x00);
const QColor kDeepRed(0xB9, 0x0B, 0x0B);
const QColor kDark(0x3E, 0x3E, 0x40);
const QColor kPale(0xAF, 0xAF, 0xB2);

using Painter = std::function<void(QPainter&)>;

void drawIcon(QPainter& p);

bool save(const QString& folder, const QString& name, QSize size, const Painter& paint) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter);
    }
    const QString path = folder + QLatin1Char('/') + name;
    return QDir().mkpath(QFileInfo(path).path()) && image.save(path, "PNG");
}

// The program's icon in the desktop's icon theme: the window icon drawn at each size, not scaled as a bitmap.
bool saveThemeIcons(const QString& folder) {
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
        const QString name = QStringLiteral("icons/hicolor/%1x%1/apps/org.velomir.Velomir.png").arg(side);
        const bool saved = save(folder, name, {side, side}, [side](QPainter& p) {
            p.scale(side / 32.0, side / 32.0);
            drawIcon(p);
        });
        if (!saved) return false;
    }
    return true;
}

void drawIcon(QPainter& p) {
    QLinearGradient face(0, 0, 0, 32);
    face.setColorAt(0, kRed);
    face.setColorAt(1, kDeepRed);
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);
    p.setPen(QPen(Qt::white, 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(16, 16), 9.5, 9.5);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.2));
    p.drawArc(QRectF(10, 10, 12, 12), 30 * 16, 100 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 16), 2.6, 2.6);
}

void drawChevron(QPainter& p, qreal left) {
    QPainterPath path;
    path.moveTo(left, 6.5);
    path.lineTo(left + 4.5, 11);
    path.lineTo(left, 15.5);
    p.drawPath(path);
}

void drawParseButton(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawEllipse(QRectF(0.5, 0.5, 21, 21));
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    drawChevron(p, 6.5);
    drawChevron(p, 11.5);
}

void drawClearButton(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
    p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
}

void drawGear(QPainter& p) {
    constexpr int kTeeth = 8;
    QPainterPath gear;
    for (int i = 0; i < kTeeth * 4; ++i) {
        const qreal angle = (i - 0.5) * M_PI * 2 / (kTeeth * 4);
        const qreal radius = (i % 4 < 2) ? 11.5 : 8.8;
        const QPointF point(16 + radius * qCos(angle), 16 + radius * qSin(angle));
        if (i == 0) {
            gear.moveTo(point);
        } else {
            gear.lineTo(point);
        }
    }
    gear.closeSubpath();
    gear.addEllipse(QPointF(16, 16), 4, 4);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(Qt::NoPen);
    p.setBrush(kPale);
    p.drawPath(gear);
}

void drawSwitch(QPainter& p, bool on) {
    const QRectF pill(3, 9, 26, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(on ? kRed : QColor(0x80, 0x80, 0x80));
    p.drawRoundedRect(pill, 7, 7);
    p.setBrush(on ? Qt::white : QColor(0xD8, 0xD8, 0xD8));
    p.drawEllipse(QPointF(on ? 22 : 10, 16), 5.5, 5.5);
}

// A record sleeve whose black disc shows at the right of the cover (the cover box covers 4, 4, 173, 173).
void drawDiscBackground(QPainter& p) {
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(QColor(0, 0, 0, 22 - i * 5));
        p.drawRoundedRect(QRectF(3 - i * 0.5, 3 - i * 0.5, 175 + i, 175 + i), 2, 2);
    }
    const QPointF centre(126, 92);
    QRadialGradient vinyl(centre, 86);
    vinyl.setColorAt(0, QColor(0x34, 0x34, 0x36));
    vinyl.setColorAt(1, QColor(0x10, 0x10, 0x12));
    p.setBrush(vinyl);
    p.drawEllipse(centre, 86, 86);
    p.setBrush(Qt::NoBrush);
    for (qreal r = 82; r > 30; r -= 4) {
        p.setPen(QPen(QColor(255, 255, 255, 16), 1));
        p.drawEllipse(centre, r, r);
    }
    p.setPen(QPen(QColor(255, 255, 255, 70), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(centre.x() - 76, centre.y() - 76, 152, 152), -35 * 16, 55 * 16);
}

// A point at `degrees` (counter-clockwise, as QPainterPath::arcTo counts) and `radius` from `centre`.
QPointF polar(const QPointF& centre, qreal degrees, qreal radius) {
    const qreal angle = qDegreesToRadians(degrees);
    return {centre.x() + radius * qCos(angle), centre.y() - radius * qSin(angle)};
}

// A camera shutter of six blades; the second phase is turned by half a blade, so alternating the frames spins it.
void drawLoadingFrame(QPainter& p, qreal turn) {
    const QPointF centre(32, 32);
    constexpr qreal kRim = 26;
    constexpr qreal kOpening = 9;
    constexpr qreal kTwist = 50;
    const QRectF rim(centre.x() - kRim, centre.y() - kRim, 2 * kRim, 2 * kRim);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xEA, 0xEA, 0xEA));
    p.drawEllipse(centre, kRim, kRim);
    for (int i = 0; i < 6; ++i) {
        const qreal a0 = turn + 60 * i;
        QPainterPath blade;
        blade.moveTo(polar(centre, a0, kOpening));
        blade.lineTo(polar(centre, a0 + 60, kOpening));
        blade.lineTo(polar(centre, a0 + 60 + kTwist, kRim));
        blade.arcTo(rim, a0 + 60 + kTwist, -60);
        blade.closeSubpath();
        p.setBrush(i % 2 == 0 ? kDark : QColor(0x58, 0x58, 0x5B));
        p.drawPath(blade);
    }
    p.setPen(QPen(kPale, 1));
    for (int i = 0; i < 6; ++i) {
        const qreal a0 = turn + 60 * i;
        p.drawLine(polar(centre, a0, kOpening), polar(centre, a0 + kTwist, kRim));
    }
    p.setPen(QPen(kRed, 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, kRim + 1.5, kRim + 1.5);
}

void drawDefaultCover(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(0, 0, 256, 256);
    face.setColorAt(0, QColor(0xDA, 0xDA, 0xDC));
    face.setColorAt(1, QColor(0xC4, 0xC4, 0xC6));
    p.fillRect(QRect(0, 0, 256, 256), face);
    const QColor mark(0xF2, 0xF2, 0xF4, 200);
    p.setPen(QPen(mark, 8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(128, 128), 70, 70);
    p.setPen(Qt::NoPen);
    p.setBrush(mark);
    p.drawEllipse(QPointF(128, 128), 16, 16);
    p.setPen(QPen(mark, 4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(88, 88, 80, 80), 100 * 16, 70 * 16);
}

}  // namespace

bool drawMainSkin(const QString& folder) {
    return save(folder, QStringLiteral("icon.png"), {32, 32}, drawIcon) && saveThemeIcons(folder) &&
           save(folder, QStringLiteral("parse-button.png"), {22, 22}, drawParseButton) &&
           save(folder, QStringLiteral("clear-button.png"), {16, 16}, drawClearButton) &&
           save(folder, QStringLiteral("gear.png"), {32, 32}, drawGear) &&
           save(folder, QStringLiteral("switch-on.png"), {32, 32}, [](QPainter& p) { drawSwitch(p, true); }) &&
           save(folder, QStringLiteral("switch-off.png"), {32, 32}, [](QPainter& p) { drawSwitch(p, false); }) &&
           save(folder, QStringLiteral("disc-background.png"), {216, 184}, drawDiscBackground) &&
           save(folder, QStringLiteral("loading-a.png"), {64, 64}, [](QPainter& p) { drawLoadingFrame(p, 0); }) &&
           save(folder, QStringLiteral("loading-b.png"), {64, 64}, [](QPainter& p) { drawLoadingFrame(p, 30); }) &&
           save(folder, QStringLiteral("default-cover.png"), {256, 256}, drawDefaultCover);
}

}  // namespace velomir
