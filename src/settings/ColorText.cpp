#include "settings/ColorText.h"

#include "platform/Errors.h"

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace ColorText {

const std::array<NamedColor, 41>& namedColors()
{
    static constexpr std::array<NamedColor, 41> table{{
        {"clBlack"_L1, clBlack},
        {"clMaroon"_L1, clMaroon},
        {"clGreen"_L1, clGreen},
        {"clOlive"_L1, clOlive},
        {"clNavy"_L1, clNavy},
        {"clPurple"_L1, clPurple},
        {"clTeal"_L1, clTeal},
        {"clGray"_L1, clGray},
        {"clSilver"_L1, clSilver},
        {"clRed"_L1, clRed},
        {"clLime"_L1, clLime},
        {"clYellow"_L1, clYellow},
        {"clBlue"_L1, clBlue},
        {"clFuchsia"_L1, clFuchsia},
        {"clAqua"_L1, clAqua},
        {"clWhite"_L1, clWhite},
        {"clScrollBar"_L1, clScrollBar},
        {"clBackground"_L1, clBackground},
        {"clActiveCaption"_L1, clActiveCaption},
        {"clInactiveCaption"_L1, clInactiveCaption},
        {"clMenu"_L1, clMenu},
        {"clWindow"_L1, clWindow},
        {"clWindowFrame"_L1, clWindowFrame},
        {"clMenuText"_L1, clMenuText},
        {"clWindowText"_L1, clWindowText},
        {"clCaptionText"_L1, clCaptionText},
        {"clActiveBorder"_L1, clActiveBorder},
        {"clInactiveBorder"_L1, clInactiveBorder},
        {"clAppWorkSpace"_L1, clAppWorkSpace},
        {"clHighlight"_L1, clHighlight},
        {"clHighlightText"_L1, clHighlightText},
        {"clBtnFace"_L1, clBtnFace},
        {"clBtnShadow"_L1, clBtnShadow},
        {"clGrayText"_L1, clGrayText},
        {"clBtnText"_L1, clBtnText},
        {"clInactiveCaptionText"_L1, clInactiveCaptionText},
        {"clBtnHighlight"_L1, clBtnHighlight},
        {"cl3DDkShadow"_L1, cl3DDkShadow},
        {"cl3DLight"_L1, cl3DLight},
        {"clInfoText"_L1, clInfoText},
        {"clInfoBk"_L1, clInfoBk},
    }};
    return table;
}

namespace {

char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

// ASCII-only on purpose: Unicode case folding would let e.g. the long s match "s".
bool sameNameIgnoringCase(const QString& text, QLatin1StringView name)
{
    if (text.size() != name.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c > 0x7F || asciiLower(c) != asciiLower(char16_t(uchar(name.at(i).toLatin1()))))
            return false;
    }
    return true;
}

std::optional<TColor> colorOfName(const QString& text)
{
    for (const NamedColor& entry : namedColors()) {
        if (sameNameIgnoringCase(text, entry.name))
            return entry.color;
    }
    return std::nullopt;
}

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

std::optional<TColor> hexNumber(const QString& text)
{
    // "$" and 1 to 8 digits: more could not fit 32 bits without silently losing some.
    if (text.size() < 2 || text.size() > 9 || text.at(0) != u'$')
        return std::nullopt;
    TColor value = 0;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const int digit = hexDigit(text.at(i).unicode());
        if (digit < 0)
            return std::nullopt;
        value = (value << 4) | TColor(digit);
    }
    return value;
}

std::optional<TColor> decimalNumber(const QString& text)
{
    const bool negative = text.startsWith(u'-');
    const qsizetype start = negative ? 1 : 0;
    if (text.size() == start)
        return std::nullopt;
    const qint64 limit = negative ? qint64(1) << 31 : qint64(0xFFFFFFFF);
    qint64 value = 0;
    for (qsizetype i = start; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > limit)
            return std::nullopt;
    }
    return negative ? TColor(-value) : TColor(value);
}

} // namespace

QString fromColor(TColor color)
{
    for (const NamedColor& entry : namedColors()) {
        if (entry.color == color)
            return entry.name;
    }
    return u'$' + QStringLiteral("%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
}

TColor toColor(const QString& text)
{
    std::optional<TColor> color = colorOfName(text);
    if (!color)
        color = hexNumber(text);
    if (!color)
        color = decimalNumber(text);
    if (!color)
        throw EConvertError(QStringLiteral("'%1' is not a valid colour value").arg(text));
    return *color;
}

bool isSystemColor(TColor color)
{
    return systemColorIndex(color) >= 0;
}

int systemColorIndex(TColor color)
{
    if (color < SystemColorBase || color >= SystemColorBase + SystemColorCount)
        return -1;
    return int(color - SystemColorBase);
}

} // namespace ColorText
