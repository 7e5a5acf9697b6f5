// The dialog backgrounds ("main.bmp" of the wizard steps, "Skin.bmp" of the
// small dialogs) and the splash picture ("Flash.bmp").
//
// The skinned dialogs derive a region from their background, leaving out
// pixels close to pure green, but keep it and never apply it: the windows
// stay rectangular. So the backgrounds hold no green at all; a green corner
// would show as green. Only the splash window cuts its picture, by an exact
// key colour.
#include "artwork/Artwork.h"

#include "Backgrounds.h"
#include "Glyphs.h"
#include "Palette.h"

namespace artwork {

using namespace palette;

namespace {

const std::u16string kFace = u"DejaVu Sans";

} // namespace

std::vector<BYTE> MakeMainBackground()
{
    // The wizard steps are 475 x 300 dialog units; the etched line above
    // their buttons lies at 271 units, the tool buttons at the top end at 22.
    const int width = DialogUnitsToPixelsX(475), height = DialogUnitsToPixelsY(300);
    const int bar = DialogUnitsToPixelsY(26), foot = DialogUnitsToPixelsY(271);
    Canvas c(width, height);
    c.Fill(Rect(0, 0, width, height), Linear({0, 0}, kPaper, {0, static_cast<double>(foot)}, kMist), false);
    // Quiet arcs in the lower right, behind the step's controls.
    c.Fill(Circle(width - 40, foot + 40, 230), WithAlpha(kSky, 70));
    c.Fill(Circle(width + 30, foot - 20, 150), WithAlpha(kSky, 60));
    c.Fill(Rect(0, 0, width, bar), Linear({0, 0}, kSlateDeep, {static_cast<double>(width), 0}, kBlue), false);
    c.Fill(Rect(0, bar - 1, width, bar), kTeal, false);
    c.Text(u"Pellinor", kFace, 20, true, kWhite, RECT{0, 0, width - 16, bar}, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    c.Fill(Rect(0, foot + 1, width, height), Linear({0, static_cast<double>(foot)}, kMist, {0, static_cast<double>(height)},
                                                    Rgb(221, 229, 238)),
           false);
    return c.Bmp();
}

std::vector<BYTE> MakeSkinBackground()
{
    // Wide and high enough for every dialog that wears it: the backup copy
    // (321 x 118 units), the log folder (314 x 94), the completion dialog
    // (239 x 110) and the About box (270 x 150).
    const int width = DialogUnitsToPixelsX(321), height = DialogUnitsToPixelsY(150);
    Canvas c(width, height);
    c.Fill(Rect(0, 0, width, height), Linear({0, 0}, kPaper, {0, static_cast<double>(height)}, kMist), false);
    c.Fill(Circle(-30, height + 10, 170), WithAlpha(kSky, 70));
    c.Fill(Rect(0, 0, width, 5), Linear({0, 0}, kSlate, {static_cast<double>(width), 0}, kTeal), false);
    return c.Bmp();
}

std::vector<BYTE> MakeSplash()
{
    const int width = 440, height = 270;
    const Color key = Rgb(kSplashKeyRed, kSplashKeyGreen, kSplashKeyBlue);
    // A card with a round badge standing out of its upper left corner.
    const Shape card = RoundRect(34, 44, 430, 262, 22);
    const Shape badge = Circle(100, 96, 80);
    const Shape outline = Union(card, badge);

    Canvas c(width, height);
    c.Fill(Rect(0, 0, width, height), key, false);
    c.Fill(outline, Linear({34, 44}, kSlateDeep, {430, 262}, kBlue), false);
    c.Fill(Rect(34, 236, 430, 240), WithAlpha(kTeal, 200));
    c.Fill(Circle(100, 96, 72), Radial({80, 76}, 90, kWhite, kSky));
    c.Fill(Ring(100, 96, 72, 68), kTeal);
    DrawDatabase(c, {46, 52, 52}, kBlue, kSky);
    DrawArrow(c, {86, 82, 28}, kAmber);
    DrawEnvelope(c, {104, 92, 52}, kPaper, kSlate);
    c.Text(u"Pellinor", kFace, 46, true, kWhite, RECT{196, 70, 420, 130}, DT_LEFT | DT_BOTTOM | DT_SINGLELINE);
    c.Text(u"for NSF to PST", kFace, 20, false, kSky, RECT{198, 134, 420, 164}, DT_LEFT | DT_TOP | DT_SINGLELINE);
    c.Text(u"Version 4.0", kFace, 13, false, kSky, RECT{198, 200, 412, 226}, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    // Whatever the anti-aliased details spilled over the outline goes back to
    // the exact key, so the cut leaves no fringe.
    c.Fill(Minus(Rect(0, 0, width, height), outline), key, false);
    return c.Bmp();
}

} // namespace artwork
