#include "artwork/Canvas.h"

#include "gdi/BmpFormat.h"
#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"

#include <algorithm>
#include <cmath>

namespace artwork {

namespace {

constexpr int kSamples = 4; // per axis

// Source over destination, straight alpha.
Color Over(Color src, double coverage, Color dst)
{
    const double sa = Alpha(src) / 255.0 * coverage;
    const double da = Alpha(dst) / 255.0;
    const double outA = sa + da * (1 - sa);
    if (outA <= 0)
        return 0;
    auto channel = [&](int s, int d) { return static_cast<int>(std::lround((s * sa + d * da * (1 - sa)) / outA)); };
    return Rgb(channel(Red(src), Red(dst)), channel(Green(src), Green(dst)), channel(Blue(src), Blue(dst)),
               static_cast<int>(std::lround(outA * 255)));
}

} // namespace

Canvas::Canvas(int width, int height)
    : m_bitmap(CreateBitmap(width, height, 1, 32, nullptr))
    , m_dc(CreateCompatibleDC(nullptr))
    , m_oldBitmap(SelectObject(m_dc, m_bitmap))
    , m_surface(gdi::SurfaceOfBitmap(m_bitmap))
{
    m_surface->Fill(0);
}

Canvas::~Canvas()
{
    SelectObject(m_dc, m_oldBitmap);
    DeleteDC(m_dc);
    DeleteObject(m_bitmap);
}

void Canvas::Fill(const Shape& shape, const Paint& paint, bool antialias)
{
    const int x0 = std::max(0, static_cast<int>(std::floor(shape.left)));
    const int y0 = std::max(0, static_cast<int>(std::floor(shape.top)));
    const int x1 = std::min(Width(), static_cast<int>(std::ceil(shape.right)));
    const int y1 = std::min(Height(), static_cast<int>(std::ceil(shape.bottom)));
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            double coverage;
            if (antialias) {
                int inside = 0;
                for (int sy = 0; sy < kSamples; ++sy)
                    for (int sx = 0; sx < kSamples; ++sx)
                        inside += shape.contains(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples);
                coverage = static_cast<double>(inside) / (kSamples * kSamples);
            } else {
                coverage = shape.contains(x + 0.5, y + 0.5) ? 1.0 : 0.0;
            }
            if (coverage > 0)
                m_surface->Set(x, y, Over(paint(x + 0.5, y + 0.5), coverage, m_surface->At(x, y)));
        }
    }
}

void Canvas::Text(const std::u16string& text, const std::u16string& face, int height, bool bold, Color color,
                  RECT box, UINT format)
{
    HFONT font = CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                             ANTIALIASED_QUALITY, 0, face.c_str());
    HGDIOBJ oldFont = SelectObject(m_dc, font);
    SetBkMode(m_dc, TRANSPARENT);
    SetTextColor(m_dc, RGB(Red(color), Green(color), Blue(color)));
    DrawTextW(m_dc, text.c_str(), static_cast<int>(text.size()), &box, format);
    SelectObject(m_dc, oldFont);
    DeleteObject(font);
}

std::vector<BYTE> Canvas::Bmp() const
{
    return gdi::EncodeBmp(*m_surface, 24);
}

} // namespace artwork
