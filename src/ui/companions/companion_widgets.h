// The building blocks both companion windows are laid out from: skin images, picture boxes and captions.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>

class QLabel;
class QWidget;

namespace velomir::companion {

// Skin images, embedded under ":/skin/".
inline constexpr char kCopyIcon[] = "copy-link.png";
inline constexpr char kCopyDoneIcon[] = "copy-link-done.png";
inline constexpr char kCopyFailedIcon[] = "copy-link-failed.png";
inline constexpr char kSpeakerFrames[3][16] = {"speaker-1.png", "speaker-2.png", "speaker-3.png"};
inline constexpr char kSleeve[] = "sleeve.png";
inline constexpr char kOpenPageIcon[] = "open-page.png";
inline constexpr char kAboutPicture[] = "about-picture.jpg";

inline const QColor kWindowColour{0x49, 0x49, 0x49};
inline const QColor kStripColour{0xB9, 0x0B, 0x0B};
inline const QColor kCaptionColour{0xEC, 0xEC, 0xEC};
inline const QColor kCoverColour{0xF5, 0xF5, 0xF5};
inline const QColor kSpeakerColour{0x2C, 0x2C, 0x2E};
// The preview's lyrics: the current line in the caption colour, the other lines dim, a translation in between.
inline const QColor kLyricLineColour{0x80, 0x80, 0x80};
inline const QColor kTranslationColour{0xC0, 0xC0, 0xC0};
inline const QColor kPlainLyricsColour{0xAF, 0xAF, 0xB2};

QPixmap skinImage(const char* name);

void setBackground(QWidget* widget, const QColor& colour);
QColor backgroundOf(const QWidget* widget);

// A picture box: its picture centred on a background colour.
QLabel* addPictureBox(QWidget* parent, const char* name, const QRect& geometry, const QColor& background);
// A caption: light text centred on a background colour, always plain text.
QLabel* addCaption(QWidget* parent, const char* name, const QRect& geometry, const QColor& background,
                   const QString& text);
// Gives a picture box the hand cursor and runs `action` when the left button is released inside it.
void onLeftRelease(QWidget* widget, std::function<void()> action);

// The client size of a window whose outer size, frame of a fixed-size dialog included, is `outer`.
QSize clientSize(const QSize& outer);

}  // namespace velomir::companion
