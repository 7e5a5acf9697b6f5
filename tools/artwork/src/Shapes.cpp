// Shapes and paints of the artwork canvas.
#include "artwork/Canvas.h"

#include <algorithm>
#include <cmath>

namespace artwork {

Color Mix(Color a, Color b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return Rgb(channel(Red(a), Red(b)), channel(Green(a), Green(b)), channel(Blue(a), Blue(b)),
               channel(Alpha(a), Alpha(b)));
}

Color WithAlpha(Color c, int alpha)
{
    return (c & 0x00FFFFFF) | (static_cast<Color>(std::clamp(alpha, 0, 255)) << 24);
}

Shape Rect(double left, double top, double right, double bottom)
{
    return {[=](double x, double y) { return x >= left && x < right && y >= top && y < bottom; }, left, top, right,
            bottom};
}

Shape RoundRect(double left, double top, double right, double bottom, double radius)
{
    radius = std::min({radius, (right - left) / 2, (bottom - top) / 2});
    return {[=](double x, double y) {
                if (x < left || x >= right || y < top || y >= bottom)
                    return false;
                // Distance from the inner rectangle whose corners are the arcs' centres.
                double dx = std::max({left + radius - x, 0.0, x - (right - radius)});
                double dy = std::max({top + radius - y, 0.0, y - (bottom - radius)});
                return dx * dx + dy * dy <= radius * radius;
            },
            left, top, right, bottom};
}

Shape Ellipse(double left, double top, double right, double bottom)
{
    const double cx = (left + right) / 2, cy = (top + bottom) / 2;
    const double rx = (right - left) / 2, ry = (bottom - top) / 2;
    return {[=](double x, double y) {
                double u = (x - cx) / rx, v = (y - cy) / ry;
                return u * u + v * v <= 1.0;
            },
            left, top, right, bottom};
}

Shape Circle(double cx, double cy, double radius)
{
    return Ellipse(cx - radius, cy - radius, cx + radius, cy + radius);
}

Shape Ring(double cx, double cy, double outer, double inner)
{
    return Minus(Circle(cx, cy, outer), Circle(cx, cy, inner));
}

Shape Polygon(std::vector<Point> points)
{
    double left = points.front().x, right = left, top = points.front().y, bottom = top;
    for (const Point& p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    return {[points = std::move(points)](double x, double y) {
                bool inside = false;
                for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
                    const Point& a = points[i];
                    const Point& b = points[j];
                    if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
                        inside = !inside;
                }
                return inside;
            },
            left, top, right, bottom};
}

Shape Line(Point from, Point to, double width)
{
    const double r = width / 2;
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length2 = dx * dx + dy * dy;
    return {[=](double x, double y) {
                double t = length2 > 0 ? std::clamp(((x - from.x) * dx + (y - from.y) * dy) / length2, 0.0, 1.0) : 0;
                double px = from.x + t * dx - x, py = from.y + t * dy - y;
                return px * px + py * py <= r * r;
            },
            std::min(from.x, to.x) - r, std::min(from.y, to.y) - r, std::max(from.x, to.x) + r,
            std::max(from.y, to.y) + r};
}

Shape Union(Shape a, Shape b)
{
    return {[a, b](double x, double y) { return a.contains(x, y) || b.contains(x, y); }, std::min(a.left, b.left),
            std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

Shape Minus(Shape a, Shape b)
{
    return {[a, b](double x, double y) { return a.contains(x, y) && !b.contains(x, y); }, a.left, a.top, a.right,
            a.bottom};
}

Shape Intersect(Shape a, Shape b)
{
    return {[a, b](double x, double y) { return a.contains(x, y) && b.contains(x, y); }, std::max(a.left, b.left),
            std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

Paint Solid(Color c)
{
    return [c](double, double) { return c; };
}

Paint Linear(Point from, Color c0, Point to, Color c1)
{
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length2 = dx * dx + dy * dy;
    return [=](double x, double y) {
        double t = length2 > 0 ? ((x - from.x) * dx + (y - from.y) * dy) / length2 : 0;
        return Mix(c0, c1, t);
    };
}

Paint Radial(Point centre, double radius, Color inner, Color outer)
{
    return [=](double x, double y) { return Mix(inner, outer, std::hypot(x - centre.x, y - centre.y) / radius); };
}

} // namespace artwork
