// The shaded button's faces: a 256-level palette from the 3-D shadow colour
// through the button face to the 3-D highlight, tinted by the colouring; the
// normal face filled with the effect's pattern; the disabled face a copy of
// it, the hover and down faces copies lightened by the highlight; and two
// dotted bands for the focus rectangle.
#include "controls/ShadeButton.h"

#include <algorithm>

namespace {

constexpr UINT kPercentCap = 100;

// The low byte of a percentage, at most 100.
long Percent(UINT value)
{
    return static_cast<long>(std::min(value & 0xFF, kPercentCap));
}

BYTE Channel(COLORREF color, int shift)
{
    return static_cast<BYTE>((color >> shift) & 0xFF);
}

// Entry i of the face palette: shadow to face over 0..128, face to highlight
// over 128..255, in steps of 1/128.
void FillFacePalette(CxDib& dib, COLORREF shadow, COLORREF face, COLORREF light)
{
    BYTE entries[256][3];
    for (int c = 0; c < 3; ++c) {
        const int s = Channel(shadow, 8 * c), f = Channel(face, 8 * c), l = Channel(light, 8 * c);
        for (int i = 0; i <= 128; ++i)
            entries[i][c] = static_cast<BYTE>((i * f + (128 - i) * s) / 128);
        for (int j = 1; j <= 128; ++j)
            entries[127 + j][c] = static_cast<BYTE>(((128 - j) * f + j * l) / 128);
    }
    for (int i = 0; i < 256; ++i)
        dib.SetPaletteEntry(static_cast<BYTE>(i), entries[i][0], entries[i][1], entries[i][2]);
}

} // namespace

void CxShadeButton::SetShade(UINT shadeID, UINT granularity, UINT highlight, UINT coloring, COLORREF color)
{
    CRect window;
    GetWindowRect(&window);
    const long w = window.Width(), h = window.Height();
    const long m = m_FocusRectMargin;

    m_dh.Create(static_cast<DWORD>(std::max(w - 2 * m - 1, 1L)), 1, 8);
    m_dv.Create(1, static_cast<DWORD>(std::max(h - 2 * m, 1L)), 8);
    m_dNormal.Create(static_cast<DWORD>(w), static_cast<DWORD>(h), 8);

    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    for (CxDib* dib : {&m_dNormal, &m_dh, &m_dv})
        FillFacePalette(*dib, shadow, face, light);
    m_dNormal.BlendPalette(color, Percent(coloring));

    // The focus bands alternate the shadow and the highlight.
    for (long x = 0; x < static_cast<long>(m_dh.GetWidth()); ++x)
        m_dh.SetPixelIndex(x, 0, x % 2 ? 255 : 0);
    for (long k = 0; k < static_cast<long>(m_dv.GetHeight()); ++k)
        m_dv.SetPixelIndex(0, static_cast<long>(m_dv.GetHeight()) - 1 - k, k % 2 ? 255 : 0);

    FillShadeEffect(m_dNormal, shadeID, static_cast<BYTE>(granularity));

    // Without a normal face the others are left empty too, and the button
    // paints the plain button face.
    m_dDisabled.Clone(m_dNormal);
    m_dOver.Clone(m_dNormal);
    m_dOver.BlendPalette(light, Percent(highlight));
    m_dDown.Clone(m_dOver);
}
