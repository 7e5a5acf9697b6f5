// The step pictures: a banner across a wizard step, under its tool buttons,
// with the step's pictogram, its number and how far the wizard has come.
#include "artwork/Artwork.h"

#include "Backgrounds.h"
#include "Glyphs.h"
#include "Palette.h"

#include <string>

namespace artwork {

using namespace palette;

namespace {

constexpr int kSteps = 6;

void DrawPictogram(Canvas& c, const Frame& f, int step, int mode)
{
    switch (step) {
    case 1:
        DrawModeChoice(c, f);
        break;
    case 2:
        DrawDatabase(c, f, kBlue, kSky);
        break;
    case 3:
        DrawFolderTree(c, {f.X(0), f.Y(0), f.S(0.8)}, kSlate, kBlue);
        DrawModeGlyph(c, {f.X(0.5), f.Y(0.5), f.S(0.5)}, mode);
        break;
    case 4:
        DrawDocument(c, f, kPaper, kSlate);
        break;
    case 5:
        DrawFolder(c, {f.X(0), f.Y(0), f.S(0.85)}, kFolder, kFolderDark, false);
        DrawModeGlyph(c, {f.X(0.5), f.Y(0.5), f.S(0.5)}, mode);
        break;
    default:
        DrawDatabase(c, {f.X(0), f.Y(0.2), f.S(0.45)}, kBlue, kSky);
        DrawArrow(c, {f.X(0.34), f.Y(0.3), f.S(0.3)}, kAmber);
        DrawDocument(c, {f.X(0.55), f.Y(0.2), f.S(0.45)}, kPaper, kSlate);
        break;
    }
}

const char16_t* ModeName(int mode)
{
    switch (mode) {
    case 1:
        return u"Mails";
    case 2:
        return u"Address Book";
    case 3:
        return u"Calendar";
    default:
        return u"";
    }
}

} // namespace

std::vector<BYTE> MakeStepPicture(int step, int mode)
{
    // The full width of a step, and down to 90 dialog units, where the
    // step's own controls begin.
    const int width = DialogUnitsToPixelsX(475), height = DialogUnitsToPixelsY(90 - 26);
    Canvas c(width, height);
    c.Fill(Rect(0, 0, width, height), Linear({0, 0}, kWhite, {static_cast<double>(width), 0}, kMist), false);
    c.Fill(Rect(0, height - 1, width, height), kLine, false);

    const double cy = height / 2.0;
    c.Fill(Circle(60, cy, 42), kSky);
    c.Fill(Ring(60, cy, 42, 40), kBlue);
    DrawPictogram(c, {32, cy - 28, 56}, step, mode);

    const std::u16string title = u"Step " + std::u16string(1, static_cast<char16_t>(u'0' + step)) + u" of 6";
    const bool withMode = mode != 0;
    c.Text(title, u"DejaVu Sans", 24, true, kSlate,
           RECT{124, 0, 480, withMode ? static_cast<LONG>(cy) + 6 : height}, DT_LEFT | (withMode ? DT_BOTTOM : DT_VCENTER) | DT_SINGLELINE);
    if (withMode)
        c.Text(ModeName(mode), u"DejaVu Sans", 16, false, kGrey, RECT{126, static_cast<LONG>(cy) + 10, 480, height},
               DT_LEFT | DT_TOP | DT_SINGLELINE);

    // How far the wizard has come: the steps done, this one, those to come.
    const double spacing = 34, radius = 9;
    const double first = width - 40 - spacing * (kSteps - 1);
    c.Fill(Rect(first, cy - 1.5, first + spacing * (kSteps - 1), cy + 1.5), kLine);
    for (int i = 1; i <= kSteps; ++i) {
        const double x = first + spacing * (i - 1);
        if (i < step) {
            c.Fill(Circle(x, cy, radius), kSlate);
        } else if (i == step) {
            c.Fill(Circle(x, cy, radius + 4), WithAlpha(kTeal, 70));
            c.Fill(Circle(x, cy, radius), kTeal);
        } else {
            c.Fill(Circle(x, cy, radius), kLine);
            c.Fill(Circle(x, cy, radius - 2), kWhite);
        }
    }
    return c.Bmp();
}

} // namespace artwork
