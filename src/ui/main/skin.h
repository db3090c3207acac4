// The main window's look: embedded images, colours and fonts.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>

namespace velomir::skin {

// Embedded images (drawn by tools/draw-skin into resources/).
inline constexpr char kIcon[] = ":/skin/icon.png";
inline constexpr char kParseButton[] = ":/skin/parse-button.png";
inline constexpr char kClearButton[] = ":/skin/clear-button.png";
inline constexpr char kGear[] = ":/skin/gear.png";
inline constexpr char kSwitchOn[] = ":/skin/switch-on.png";
inline constexpr char kSwitchOff[] = ":/skin/switch-off.png";
inline constexpr char kDiscBackground[] = ":/skin/disc-background.png";
inline constexpr char kLoadingA[] = ":/skin/loading-a.png";
inline constexpr char kLoadingB[] = ":/skin/loading-b.png";
inline constexpr char kDefaultCover[] = ":/skin/default-cover.png";

// The bytes of an embedded image, read once; empty when it is missing.
const QByteArray& imageBytes(const char* name);

// The skin's fixed colours.
inline constexpr QRgb kLeftBarColour = 0x3E3E40;
inline constexpr QRgb kActiveTabColour = 0x505050;
inline constexpr QRgb kActiveStripeColour = 0xFF0000;
inline constexpr QRgb kTabCaptionColour = 0xAFAFB2;
inline constexpr QRgb kRedEdgeColour = 0xEA2000;
inline constexpr QRgb kMiddlePanelColour = 0xEAEAEA;
inline constexpr QRgb kHorizontalEdgeColour = 0xB3B3B3;
inline constexpr QRgb kInputTextColour = 0x808080;
inline constexpr QRgb kInputBaseColour = 0xF5F5F5;
inline constexpr QRgb kRightPanelColour = 0xF5F5F5;
inline constexpr QRgb kDarkTextColour = 0x606060;
inline constexpr QRgb kGreyTextColour = 0x808080;
inline constexpr QRgb kPaleTextColour = 0xC0C0C0;
inline constexpr QRgb kMaxBoxColour = 0xC0C0C0;

inline QColor colour(QRgb rgb) { return QColor::fromRgb(rgb); }

// "微软雅黑" at a pixel size, falling back to an installed CJK font.
QFont detailFont(int pixelSize);
// The application font at a pixel size.
QFont guiFont(int pixelSize);

}  // namespace velomir::skin
