#include "ui/QtColors.h"

#include <gtest/gtest.h>

namespace {

TEST(QtColorsTest, RgbNumbersKeepRedInTheLowestByte)
{
    QPalette palette;
    EXPECT_EQ(QtColors::toQColor(0x00FF8040, palette), QColor(0x40, 0x80, 0xFF));
    EXPECT_EQ(QtColors::toQColor(ColorText::clRed, palette), QColor(Qt::red));
    EXPECT_EQ(QtColors::fromQColor(QColor(0x40, 0x80, 0xFF)), 0x00FF8040u);
    EXPECT_EQ(QtColors::fromQColor(QColor(0x40, 0x80, 0xFF, 0x10)), 0x00FF8040u);
    EXPECT_EQ(QtColors::fromQColor(QColor::fromHsv(0, 255, 255)), ColorText::clRed);
}

TEST(QtColorsTest, SystemColoursFollowThePalette)
{
    QPalette palette;
    palette.setColor(QPalette::Base, QColor(1, 2, 3));
    palette.setColor(QPalette::Text, QColor(4, 5, 6));
    palette.setColor(QPalette::Button, QColor(7, 8, 9));
    palette.setColor(QPalette::ToolTipBase, QColor(10, 11, 12));
    EXPECT_EQ(QtColors::toQColor(ColorText::clWindow, palette), QColor(1, 2, 3));
    EXPECT_EQ(QtColors::toQColor(ColorText::clWindowText, palette), QColor(4, 5, 6));
    EXPECT_EQ(QtColors::toQColor(ColorText::clBtnFace, palette), QColor(7, 8, 9));
    EXPECT_EQ(QtColors::toQColor(ColorText::clInfoBk, palette), QColor(10, 11, 12));
    for (int n = 0; n < ColorText::SystemColorCount; ++n)
        EXPECT_TRUE(QtColors::toQColor(ColorText::SystemColorBase + TColor(n), palette).isValid())
            << n;
    // An index the desktop has no colour for shows black.
    EXPECT_EQ(QtColors::toQColor(ColorText::SystemColorBase + 40, palette), QColor(Qt::black));
}

} // namespace
