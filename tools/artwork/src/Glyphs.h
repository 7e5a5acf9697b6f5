// Pictograms drawn in a square frame: the same drawing serves a 16-pixel
// tree icon and a 100-pixel picture. Coordinates inside a glyph run from 0
// to 1 across the frame.
#pragma once

#include "artwork/Canvas.h"

namespace artwork {

struct Frame {
    double x, y, size;
    double X(double u) const { return x + u * size; }
    double Y(double v) const { return y + v * size; }
    double S(double d) const { return d * size; }
    Point P(double u, double v) const { return {X(u), Y(v)}; }
};

// Strokes never get thinner than a pixel, so small icons keep their lines.
double Stroke(const Frame& f, double width);

void DrawEnvelope(Canvas& c, const Frame& f, Color body, Color edge);
void DrawAddressCard(Canvas& c, const Frame& f, Color body, Color accent);
void DrawCalendar(Canvas& c, const Frame& f, Color body, Color accent);
void DrawDatabase(Canvas& c, const Frame& f, Color body, Color band);
void DrawFolder(Canvas& c, const Frame& f, Color body, Color edge, bool open);
void DrawDocument(Canvas& c, const Frame& f, Color body, Color lines);
void DrawArrow(Canvas& c, const Frame& f, Color color);
void DrawTray(Canvas& c, const Frame& f, Color body, Color arrow);
void DrawBin(Canvas& c, const Frame& f, Color body, Color edge);
void DrawPencil(Canvas& c, const Frame& f, Color body, Color tip);
void DrawLifeRing(Canvas& c, const Frame& f, Color ring, Color bands);
void DrawPower(Canvas& c, const Frame& f, Color color);
void DrawExit(Canvas& c, const Frame& f, Color door, Color arrow);
void DrawFolderTree(Canvas& c, const Frame& f, Color lines, Color nodes);
void DrawModeChoice(Canvas& c, const Frame& f);

// The glyph of a conversion mode: 1 mail, 2 address book, 3 calendar.
void DrawModeGlyph(Canvas& c, const Frame& f, int mode);

} // namespace artwork
