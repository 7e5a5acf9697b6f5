// A picture to paint the artwork on: vector shapes filled with anti-aliasing
// (or without, where a key colour must stay exact), gradients, alpha, and
// text through the graphics layer's fonts.
#pragma once

#include "gdi/GdiTypes.h"
#include "gdi/Surface.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace artwork {

using Color = gdi::Pixel; // 0xAARRGGBB, straight alpha

constexpr Color Rgb(int r, int g, int b, int a = 255)
{
    return (static_cast<Color>(a) << 24) | (static_cast<Color>(r) << 16) | (static_cast<Color>(g) << 8)
           | static_cast<Color>(b);
}
constexpr int Red(Color c) { return (c >> 16) & 0xFF; }
constexpr int Green(Color c) { return (c >> 8) & 0xFF; }
constexpr int Blue(Color c) { return c & 0xFF; }
constexpr int Alpha(Color c) { return (c >> 24) & 0xFF; }

// The colour a fraction t of the way from a to b (alpha too).
Color Mix(Color a, Color b, double t);
Color WithAlpha(Color c, int alpha);

struct Point {
    double x, y;
};

// A region of the plane: a test for points and a box that holds it.
struct Shape {
    std::function<bool(double x, double y)> contains;
    double left, top, right, bottom;
};

Shape Rect(double left, double top, double right, double bottom);
Shape RoundRect(double left, double top, double right, double bottom, double radius);
Shape Ellipse(double left, double top, double right, double bottom);
Shape Circle(double cx, double cy, double radius);
Shape Ring(double cx, double cy, double outer, double inner);
// A closed polygon, filled by the even-odd rule.
Shape Polygon(std::vector<Point> points);
// A stroke between two points with round ends.
Shape Line(Point from, Point to, double width);
Shape Union(Shape a, Shape b);
Shape Minus(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);

// What fills a shape: a colour for each point.
using Paint = std::function<Color(double x, double y)>;
Paint Solid(Color c);
Paint Linear(Point from, Color c0, Point to, Color c1);
Paint Radial(Point centre, double radius, Color inner, Color outer);

class Canvas {
public:
    // A transparent picture.
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int Width() const { return m_surface->Width(); }
    int Height() const { return m_surface->Height(); }
    const gdi::Surface& Pixels() const { return *m_surface; }
    gdi::Surface& Pixels() { return *m_surface; }

    // Paints paint over the picture inside shape. With antialias each pixel
    // takes the share of 4 x 4 samples inside; without, a pixel is painted
    // whole when its centre is inside and left alone otherwise.
    void Fill(const Shape& shape, const Paint& paint, bool antialias = true);
    void Fill(const Shape& shape, Color color, bool antialias = true) { Fill(shape, Solid(color), antialias); }

    // Text in a face of the graphics layer, height in pixels (the em),
    // aligned in the box by DrawText's format; drawn on opaque pictures only
    // (the text leaves the alpha of the pixels it touches undefined).
    void Text(const std::u16string& text, const std::u16string& face, int height, bool bold, Color color,
              RECT box, UINT format);

    // The picture as 24-bit BMP file bytes.
    std::vector<BYTE> Bmp() const;

private:
    HBITMAP m_bitmap;
    HDC m_dc;
    HGDIOBJ m_oldBitmap;
    std::shared_ptr<gdi::Surface> m_surface;
};

} // namespace artwork
