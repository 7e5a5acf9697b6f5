#include "Glyphs.h"

#include "Palette.h"

#include <algorithm>
#include <cmath>

namespace artwork {

using namespace palette;

double Stroke(const Frame& f, double width)
{
    return std::max(1.0, f.S(width));
}

void DrawEnvelope(Canvas& c, const Frame& f, Color body, Color edge)
{
    const double w = Stroke(f, 0.06);
    c.Fill(RoundRect(f.X(0.06), f.Y(0.2), f.X(0.94), f.Y(0.8), f.S(0.06)), edge);
    c.Fill(RoundRect(f.X(0.06) + w, f.Y(0.2) + w, f.X(0.94) - w, f.Y(0.8) - w, f.S(0.03)), body);
    c.Fill(Line(f.P(0.1, 0.25), f.P(0.5, 0.55), w), edge);
    c.Fill(Line(f.P(0.9, 0.25), f.P(0.5, 0.55), w), edge);
}

void DrawAddressCard(Canvas& c, const Frame& f, Color body, Color accent)
{
    const double w = Stroke(f, 0.05);
    c.Fill(RoundRect(f.X(0.06), f.Y(0.18), f.X(0.94), f.Y(0.82), f.S(0.08)), accent);
    c.Fill(RoundRect(f.X(0.06) + w, f.Y(0.18) + w, f.X(0.94) - w, f.Y(0.82) - w, f.S(0.05)), body);
    c.Fill(Circle(f.X(0.32), f.Y(0.4), f.S(0.1)), accent);
    c.Fill(Intersect(Ellipse(f.X(0.15), f.Y(0.52), f.X(0.49), f.Y(0.86)), Rect(f.X(0), f.Y(0), f.X(1), f.Y(0.72))),
           accent);
    for (double v : {0.38, 0.5, 0.62})
        c.Fill(Line(f.P(0.58, v), f.P(0.82, v), Stroke(f, 0.05)), accent);
}

void DrawCalendar(Canvas& c, const Frame& f, Color body, Color accent)
{
    c.Fill(RoundRect(f.X(0.1), f.Y(0.16), f.X(0.9), f.Y(0.9), f.S(0.08)), WithAlpha(kInk, 255));
    c.Fill(RoundRect(f.X(0.1) + Stroke(f, 0.04), f.Y(0.16) + Stroke(f, 0.04), f.X(0.9) - Stroke(f, 0.04),
                     f.Y(0.9) - Stroke(f, 0.04), f.S(0.05)),
           body);
    c.Fill(RoundRect(f.X(0.1), f.Y(0.16), f.X(0.9), f.Y(0.36), f.S(0.08)), accent);
    for (double u : {0.3, 0.7})
        c.Fill(Line(f.P(u, 0.08), f.P(u, 0.24), Stroke(f, 0.07)), kInk);
    const double cell = 0.13;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) {
            double u = 0.2 + col * 0.16, v = 0.45 + row * 0.14;
            Color mark = (row == 1 && col == 2) ? accent : kGrey;
            c.Fill(Rect(f.X(u), f.Y(v), f.X(u + cell * 0.7), f.Y(v + cell * 0.7)), mark);
        }
}

void DrawDatabase(Canvas& c, const Frame& f, Color body, Color band)
{
    const double l = 0.18, r = 0.82, top = 0.2, bottom = 0.82, lip = 0.12;
    c.Fill(Union(Rect(f.X(l), f.Y(top), f.X(r), f.Y(bottom)), Ellipse(f.X(l), f.Y(bottom - lip), f.X(r), f.Y(bottom + lip))),
           Linear(f.P(l, 0.5), body, f.P(r, 0.5), Mix(body, kInk, 0.25)));
    for (double v : {0.42, 0.62})
        c.Fill(Minus(Ellipse(f.X(l), f.Y(v - lip), f.X(r), f.Y(v + lip)),
                     Ellipse(f.X(l), f.Y(v - lip - Stroke(f, 0.04)), f.X(r), f.Y(v + lip - Stroke(f, 0.04)))),
               band);
    c.Fill(Ellipse(f.X(l), f.Y(top - lip), f.X(r), f.Y(top + lip)), Mix(body, kWhite, 0.35));
}

void DrawFolder(Canvas& c, const Frame& f, Color body, Color edge, bool open)
{
    c.Fill(Polygon({f.P(0.06, 0.22), f.P(0.38, 0.22), f.P(0.46, 0.3), f.P(0.94, 0.3), f.P(0.94, 0.82),
                    f.P(0.06, 0.82)}),
           edge);
    if (open) {
        c.Fill(Rect(f.X(0.16), f.Y(0.34), f.X(0.86), f.Y(0.7)), kWhite);
        c.Fill(Polygon({f.P(0.2, 0.46), f.P(1.0, 0.46), f.P(0.88, 0.82), f.P(0.06, 0.82)}), body);
    } else {
        c.Fill(Rect(f.X(0.06), f.Y(0.38), f.X(0.94), f.Y(0.82)), body);
    }
}

void DrawDocument(Canvas& c, const Frame& f, Color body, Color lines)
{
    const double w = Stroke(f, 0.05);
    std::vector<Point> outline{f.P(0.18, 0.06), f.P(0.62, 0.06), f.P(0.84, 0.28), f.P(0.84, 0.94), f.P(0.18, 0.94)};
    c.Fill(Polygon(outline), lines);
    c.Fill(Polygon({{outline[0].x + w, outline[0].y + w}, {outline[1].x - w * 0.4, outline[1].y + w},
                    {outline[2].x - w, outline[2].y + w * 0.4}, {outline[3].x - w, outline[3].y - w},
                    {outline[4].x + w, outline[4].y - w}}),
           body);
    c.Fill(Polygon({f.P(0.62, 0.06), f.P(0.62, 0.28), f.P(0.84, 0.28)}), lines);
    for (double v : {0.42, 0.56, 0.7, 0.84})
        c.Fill(Line(f.P(0.3, v), f.P(v < 0.8 ? 0.72 : 0.56, v), Stroke(f, 0.05)), lines);
}

void DrawArrow(Canvas& c, const Frame& f, Color color)
{
    c.Fill(Polygon({f.P(0.08, 0.38), f.P(0.55, 0.38), f.P(0.55, 0.18), f.P(0.92, 0.5), f.P(0.55, 0.82),
                    f.P(0.55, 0.62), f.P(0.08, 0.62)}),
           color);
}

void DrawTray(Canvas& c, const Frame& f, Color body, Color arrow)
{
    c.Fill(Polygon({f.P(0.06, 0.58), f.P(0.32, 0.58), f.P(0.38, 0.7), f.P(0.62, 0.7), f.P(0.68, 0.58),
                    f.P(0.94, 0.58), f.P(0.94, 0.9), f.P(0.06, 0.9)}),
           body);
    c.Fill(Rect(f.X(0.41), f.Y(0.06), f.X(0.59), f.Y(0.36)), arrow);
    c.Fill(Polygon({f.P(0.26, 0.34), f.P(0.74, 0.34), f.P(0.5, 0.6)}), arrow);
}

void DrawBin(Canvas& c, const Frame& f, Color body, Color edge)
{
    c.Fill(Rect(f.X(0.14), f.Y(0.18), f.X(0.86), f.Y(0.28)), edge);
    c.Fill(Rect(f.X(0.38), f.Y(0.08), f.X(0.62), f.Y(0.18)), edge);
    c.Fill(Polygon({f.P(0.2, 0.3), f.P(0.8, 0.3), f.P(0.74, 0.94), f.P(0.26, 0.94)}), edge);
    c.Fill(Polygon({f.P(0.26, 0.34), f.P(0.74, 0.34), f.P(0.7, 0.88), f.P(0.3, 0.88)}), body);
    for (double u : {0.4, 0.6})
        c.Fill(Line(f.P(u, 0.42), f.P(u, 0.8), Stroke(f, 0.06)), edge);
}

void DrawPencil(Canvas& c, const Frame& f, Color body, Color tip)
{
    // Along the diagonal from the top right down to the bottom left.
    c.Fill(Polygon({f.P(0.72, 0.1), f.P(0.9, 0.28), f.P(0.36, 0.82), f.P(0.18, 0.64)}), body);
    c.Fill(Polygon({f.P(0.18, 0.64), f.P(0.36, 0.82), f.P(0.1, 0.9)}), tip);
    c.Fill(Polygon({f.P(0.72, 0.1), f.P(0.9, 0.28), f.P(0.82, 0.36), f.P(0.64, 0.18)}), kRed);
}

void DrawLifeRing(Canvas& c, const Frame& f, Color ring, Color bands)
{
    const Point centre = f.P(0.5, 0.5);
    const double outer = f.S(0.44), inner = f.S(0.22);
    c.Fill(Ring(centre.x, centre.y, outer, inner), ring);
    for (int quarter = 0; quarter < 4; ++quarter) {
        double angle = quarter * 3.14159265358979 / 2 + 3.14159265358979 / 4;
        double half = 0.36;
        Point a{centre.x + std::cos(angle - half) * outer * 1.5, centre.y + std::sin(angle - half) * outer * 1.5};
        Point b{centre.x + std::cos(angle + half) * outer * 1.5, centre.y + std::sin(angle + half) * outer * 1.5};
        c.Fill(Intersect(Ring(centre.x, centre.y, outer, inner), Polygon({centre, a, b})), bands);
    }
    c.Fill(Ring(centre.x, centre.y, outer, outer - Stroke(f, 0.03)), Mix(ring, kInk, 0.4));
}

void DrawPower(Canvas& c, const Frame& f, Color color)
{
    const Point centre = f.P(0.5, 0.55);
    const double r = f.S(0.33), w = Stroke(f, 0.11);
    c.Fill(Minus(Ring(centre.x, centre.y, r + w / 2, r - w / 2),
                 Polygon({centre, f.P(0.26, 0.0), f.P(0.74, 0.0)})),
           color);
    c.Fill(Line(f.P(0.5, 0.1), f.P(0.5, 0.5), w), color);
}

void DrawExit(Canvas& c, const Frame& f, Color door, Color arrow)
{
    const double w = Stroke(f, 0.07);
    c.Fill(Minus(Rect(f.X(0.1), f.Y(0.08), f.X(0.6), f.Y(0.92)), Rect(f.X(0.1) + w, f.Y(0.08) + w, f.X(0.6) - w,
                                                                         f.Y(0.92) - w)),
           door);
    c.Fill(Polygon({f.P(0.1 + 0.07, 0.12), f.P(0.42, 0.2), f.P(0.42, 0.96), f.P(0.1 + 0.07, 0.88)}),
           Mix(door, kWhite, 0.25));
    c.Fill(Rect(f.X(0.44), f.Y(0.44), f.X(0.76), f.Y(0.56)), arrow);
    c.Fill(Polygon({f.P(0.7, 0.3), f.P(0.96, 0.5), f.P(0.7, 0.7)}), arrow);
}

void DrawFolderTree(Canvas& c, const Frame& f, Color lines, Color nodes)
{
    const double w = Stroke(f, 0.05);
    c.Fill(Line(f.P(0.22, 0.2), f.P(0.22, 0.8), w), lines);
    for (double v : {0.5, 0.8})
        c.Fill(Line(f.P(0.22, v), f.P(0.5, v), w), lines);
    c.Fill(Line(f.P(0.6, 0.5), f.P(0.6, 0.66), w), lines);
    c.Fill(RoundRect(f.X(0.08), f.Y(0.08), f.X(0.36), f.Y(0.3), f.S(0.04)), nodes);
    c.Fill(RoundRect(f.X(0.46), f.Y(0.4), f.X(0.74), f.Y(0.6), f.S(0.04)), nodes);
    c.Fill(RoundRect(f.X(0.46), f.Y(0.7), f.X(0.74), f.Y(0.9), f.S(0.04)), Mix(nodes, kWhite, 0.3));
}

void DrawModeGlyph(Canvas& c, const Frame& f, int mode)
{
    if (mode == 2)
        DrawAddressCard(c, f, kPaper, kTeal);
    else if (mode == 3)
        DrawCalendar(c, f, kPaper, kRed);
    else
        DrawEnvelope(c, f, kPaper, kBlue);
}

void DrawModeChoice(Canvas& c, const Frame& f)
{
    for (int mode = 1; mode <= 3; ++mode)
        DrawModeGlyph(c, {f.X(0.02 + (mode - 1) * 0.33), f.Y(0.33), f.S(0.31)}, mode);
}

} // namespace artwork
