#include "lists/ui/ListColors.h"

namespace ListColors {

namespace {

struct SystemRole
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The palette colour of each system colour, by index (clScrollBar first, clInfoBk last).
constexpr SystemRole systemRoles[ColorText::SystemColorCount] = {
    {QPalette::Active, QPalette::Button},          // clScrollBar
    {QPalette::Active, QPalette::Dark},            // clBackground
    {QPalette::Active, QPalette::Highlight},       // clActiveCaption
    {QPalette::Active, QPalette::Mid},             // clInactiveCaption
    {QPalette::Active, QPalette::Window},          // clMenu
    {QPalette::Active, QPalette::Base},            // clWindow
    {QPalette::Active, QPalette::Shadow},          // clWindowFrame
    {QPalette::Active, QPalette::WindowText},      // clMenuText
    {QPalette::Active, QPalette::Text},            // clWindowText
    {QPalette::Active, QPalette::HighlightedText}, // clCaptionText
    {QPalette::Active, QPalette::Window},          // clActiveBorder
    {QPalette::Active, QPalette::Window},          // clInactiveBorder
    {QPalette::Active, QPalette::Dark},            // clAppWorkSpace
    {QPalette::Active, QPalette::Highlight},       // clHighlight
    {QPalette::Active, QPalette::HighlightedText}, // clHighlightText
    {QPalette::Active, QPalette::Button},          // clBtnFace
    {QPalette::Active, QPalette::Dark},            // clBtnShadow
    {QPalette::Disabled, QPalette::Text},          // clGrayText
    {QPalette::Active, QPalette::ButtonText},      // clBtnText
    {QPalette::Active, QPalette::WindowText},      // clInactiveCaptionText
    {QPalette::Active, QPalette::Light},           // clBtnHighlight
    {QPalette::Active, QPalette::Shadow},          // cl3DDkShadow
    {QPalette::Active, QPalette::Midlight},        // cl3DLight
    {QPalette::Active, QPalette::ToolTipText},     // clInfoText
    {QPalette::Active, QPalette::ToolTipBase},     // clInfoBk
};

} // namespace

QColor toQColor(TColor color, const QPalette& palette)
{
    if (color >= ColorText::SystemColorBase) {
        const int index = ColorText::systemColorIndex(color);
        if (index < 0)
            return QColor();
        const SystemRole& system = systemRoles[index];
        return palette.color(system.group, system.role);
    }
    return QColor(ColorText::redOf(color), ColorText::greenOf(color), ColorText::blueOf(color));
}

} // namespace ListColors
