#include "ui/QtColors.h"

#include <QGuiApplication>

#include <array>

namespace QtColors {

namespace {

struct RoleOf
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// By system colour index: the palette role that plays the same part on this desktop.
constexpr std::array<RoleOf, ColorText::SystemColorCount> kSystemRoles{{
    {QPalette::Active, QPalette::Button},            // clScrollBar
    {QPalette::Active, QPalette::Window},            // clBackground
    {QPalette::Active, QPalette::Highlight},         // clActiveCaption
    {QPalette::Inactive, QPalette::Highlight},       // clInactiveCaption
    {QPalette::Active, QPalette::Window},            // clMenu
    {QPalette::Active, QPalette::Base},              // clWindow
    {QPalette::Active, QPalette::Shadow},            // clWindowFrame
    {QPalette::Active, QPalette::WindowText},        // clMenuText
    {QPalette::Active, QPalette::Text},              // clWindowText
    {QPalette::Active, QPalette::HighlightedText},   // clCaptionText
    {QPalette::Active, QPalette::Window},            // clActiveBorder
    {QPalette::Inactive, QPalette::Window},          // clInactiveBorder
    {QPalette::Active, QPalette::Dark},              // clAppWorkSpace
    {QPalette::Active, QPalette::Highlight},         // clHighlight
    {QPalette::Active, QPalette::HighlightedText},   // clHighlightText
    {QPalette::Active, QPalette::Button},            // clBtnFace
    {QPalette::Active, QPalette::Dark},              // clBtnShadow
    {QPalette::Disabled, QPalette::Text},            // clGrayText
    {QPalette::Active, QPalette::ButtonText},        // clBtnText
    {QPalette::Inactive, QPalette::HighlightedText}, // clInactiveCaptionText
    {QPalette::Active, QPalette::Light},             // clBtnHighlight
    {QPalette::Active, QPalette::Shadow},            // cl3DDkShadow
    {QPalette::Active, QPalette::Midlight},          // cl3DLight
    {QPalette::Active, QPalette::ToolTipText},       // clInfoText
    {QPalette::Active, QPalette::ToolTipBase},       // clInfoBk
}};

} // namespace

QColor toQColor(TColor color, const QPalette& palette)
{
    if (color < ColorText::SystemColorBase)
        return QColor(ColorText::redOf(color), ColorText::greenOf(color), ColorText::blueOf(color));
    const int index = ColorText::systemColorIndex(color);
    if (index < 0)
        return QColor(Qt::black);
    const RoleOf& entry = kSystemRoles[std::size_t(index)];
    return palette.color(entry.group, entry.role);
}

QColor toQColor(TColor color)
{
    return toQColor(color, QGuiApplication::palette());
}

TColor fromQColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return ColorText::rgbColor(rgb.red(), rgb.green(), rgb.blue());
}

} // namespace QtColors
