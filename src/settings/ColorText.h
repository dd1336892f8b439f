#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QtGlobal>

#include <array>

// A colour number as the settings store it: below $80000000 an RGB colour laid out as 00BBGGRR
// (red in the lowest byte); $80000000 + n the desktop's system colour with index n.
using TColor = quint32;

// The text form of colours in the settings: one of 41 names, or "$" and eight hex digits.
namespace ColorText {

inline constexpr TColor clBlack = 0x00000000;
inline constexpr TColor clMaroon = 0x00000080;
inline constexpr TColor clGreen = 0x00008000;
inline constexpr TColor clOlive = 0x00008080;
inline constexpr TColor clNavy = 0x00800000;
inline constexpr TColor clPurple = 0x00800080;
inline constexpr TColor clTeal = 0x00808000;
inline constexpr TColor clGray = 0x00808080;
inline constexpr TColor clSilver = 0x00C0C0C0;
inline constexpr TColor clRed = 0x000000FF;
inline constexpr TColor clLime = 0x0000FF00;
inline constexpr TColor clYellow = 0x0000FFFF;
inline constexpr TColor clBlue = 0x00FF0000;
inline constexpr TColor clFuchsia = 0x00FF00FF;
inline constexpr TColor clAqua = 0x00FFFF00;
inline constexpr TColor clWhite = 0x00FFFFFF;

inline constexpr TColor SystemColorBase = 0x80000000;
inline constexpr int SystemColorCount = 25;

inline constexpr TColor clScrollBar = SystemColorBase + 0;
inline constexpr TColor clBackground = SystemColorBase + 1;
inline constexpr TColor clActiveCaption = SystemColorBase + 2;
inline constexpr TColor clInactiveCaption = SystemColorBase + 3;
inline constexpr TColor clMenu = SystemColorBase + 4;
inline constexpr TColor clWindow = SystemColorBase + 5;
inline constexpr TColor clWindowFrame = SystemColorBase + 6;
inline constexpr TColor clMenuText = SystemColorBase + 7;
inline constexpr TColor clWindowText = SystemColorBase + 8;
inline constexpr TColor clCaptionText = SystemColorBase + 9;
inline constexpr TColor clActiveBorder = SystemColorBase + 10;
inline constexpr TColor clInactiveBorder = SystemColorBase + 11;
inline constexpr TColor clAppWorkSpace = SystemColorBase + 12;
inline constexpr TColor clHighlight = SystemColorBase + 13;
inline constexpr TColor clHighlightText = SystemColorBase + 14;
inline constexpr TColor clBtnFace = SystemColorBase + 15;
inline constexpr TColor clBtnShadow = SystemColorBase + 16;
inline constexpr TColor clGrayText = SystemColorBase + 17;
inline constexpr TColor clBtnText = SystemColorBase + 18;
inline constexpr TColor clInactiveCaptionText = SystemColorBase + 19;
inline constexpr TColor clBtnHighlight = SystemColorBase + 20;
inline constexpr TColor cl3DDkShadow = SystemColorBase + 21;
inline constexpr TColor cl3DLight = SystemColorBase + 22;
inline constexpr TColor clInfoText = SystemColorBase + 23;
inline constexpr TColor clInfoBk = SystemColorBase + 24;

struct NamedColor
{
    QLatin1StringView name;
    TColor color;
};

// The 41 names in their usual order: the 16 fixed colours, then the system colours by index.
const std::array<NamedColor, 41>& namedColors();

// The name when the number has one, else "$" and eight upper-case hex digits ("$00FF8040").
QString fromColor(TColor color);

// Accepts a name in any letter case, a decimal number from -2147483648 to 4294967295 (a
// negative one stands for its 32-bit two's complement), or "$" and one to eight hex digits.
// Nothing else, not even surrounding blanks. Throws EConvertError otherwise.
TColor toColor(const QString& text);

// True for $80000000 to $80000018, the system colours that have a name.
bool isSystemColor(TColor color);
// The index n of a system colour, or -1 when the colour is none.
int systemColorIndex(TColor color);

// The parts of an RGB colour (00BBGGRR); the high byte is ignored.
constexpr int redOf(TColor color)
{
    return int(color & 0xFF);
}
constexpr int greenOf(TColor color)
{
    return int((color >> 8) & 0xFF);
}
constexpr int blueOf(TColor color)
{
    return int((color >> 16) & 0xFF);
}
// Each part is taken modulo 256.
constexpr TColor rgbColor(int red, int green, int blue)
{
    return TColor(red & 0xFF) | (TColor(green & 0xFF) << 8) | (TColor(blue & 0xFF) << 16);
}

} // namespace ColorText
