// Colour conversions of the image buffer: byte order and hue, saturation
// and lightness on the scale 0..240. Divisions truncate.
#include "controls/Dib.h"

#include <algorithm>

namespace {

constexpr int kScale = 240;
constexpr int kUndefinedHue = 160; // of a grey

BYTE ScaledToByte(int value)
{
    return static_cast<BYTE>(std::clamp((value * 255 + kScale / 2) / kScale, 0, 255));
}

} // namespace

RGBQUAD CxDib::ColorRefToQuad(COLORREF cr)
{
    return {GetBValue(cr), GetGValue(cr), GetRValue(cr), 0};
}

COLORREF CxDib::QuadToColorRef(RGBQUAD c)
{
    return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

RGBQUAD CxDib::RgbToHsl(RGBQUAD rgb)
{
    const int r = rgb.rgbRed, g = rgb.rgbGreen, b = rgb.rgbBlue;
    const int most = std::max({r, g, b}), least = std::min({r, g, b});
    const int lightness = ((most + least) * kScale + 255) / 510;
    int saturation = 0, hue = kUndefinedHue;
    if (most != least) {
        const int d = most - least;
        const int n = lightness <= kScale / 2 ? most + least : 510 - most - least;
        saturation = (d * kScale + n / 2) / n;
        const int rd = ((most - r) * 40 + d / 2) / d;
        const int gd = ((most - g) * 40 + d / 2) / d;
        const int bd = ((most - b) * 40 + d / 2) / d;
        if (r == most)
            hue = bd - gd;
        else if (g == most)
            hue = 80 + rd - bd;
        else
            hue = 160 + gd - rd;
        // Reds leaning to blue come out below 0 and lie at the top of the
        // circle; taken modulo 256 they would read as oranges.
        if (hue < 0)
            hue += kScale;
        if (hue > kScale)
            hue -= kScale;
    }
    return {static_cast<BYTE>(lightness), static_cast<BYTE>(saturation), static_cast<BYTE>(hue), 0};
}

short CxDib::HueToChannel(short m1, short m2, short hue)
{
    if (hue > kScale)
        hue = static_cast<short>(hue - kScale);
    if (hue < 0)
        hue = static_cast<short>(hue + kScale);
    if (hue < 40)
        return static_cast<short>(m1 + ((m2 - m1) * hue + 20) / 40);
    if (hue < 120)
        return m2;
    if (hue < 160)
        return static_cast<short>(m1 + ((m2 - m1) * (160 - hue) + 20) / 40);
    return m1;
}

RGBQUAD CxDib::HslToRgb(RGBQUAD hsl)
{
    const int hue = hsl.rgbRed, saturation = hsl.rgbGreen, lightness = hsl.rgbBlue;
    if (saturation == 0) {
        const BYTE level = static_cast<BYTE>(std::min(lightness * 255 / kScale, 255));
        return {level, level, level, 0};
    }
    const int m2 = lightness <= kScale / 2 ? (lightness * (kScale + saturation) + kScale / 2) / kScale
                                           : lightness + saturation - (lightness * saturation + kScale / 2) / kScale;
    const short high = static_cast<short>(m2), low = static_cast<short>(2 * lightness - m2);
    const BYTE r = ScaledToByte(HueToChannel(low, high, static_cast<short>(hue + 80)));
    const BYTE g = ScaledToByte(HueToChannel(low, high, static_cast<short>(hue)));
    const BYTE b = ScaledToByte(HueToChannel(low, high, static_cast<short>(hue - 80)));
    return {b, g, r, 0};
}

RGBQUAD CxDib::HslToRgb(COLORREF hsl)
{
    const RGBQUAD quad = {static_cast<BYTE>((hsl >> 16) & 0xFF), static_cast<BYTE>((hsl >> 8) & 0xFF),
                          static_cast<BYTE>(hsl & 0xFF), 0};
    return HslToRgb(quad);
}
