// The icons: the programs' own, the three tool buttons of the wizard steps,
// and the folder tree's small icons.
#include "artwork/Artwork.h"

#include "Glyphs.h"
#include "Palette.h"

#include "gdi/IconFile.h"

#include <functional>
#include <memory>

namespace artwork {

using namespace palette;

namespace {

struct ImageSpec {
    int size;
    int bitCount;
};

using Drawing = std::function<void(Canvas&, const Frame&)>;

// One icon file: the drawing made at each size and kept at each depth.
// Opaque icons get a window-white square behind the drawing, for the image
// list of the folder tree, which has no mask.
ArtFile MakeIcon(std::string name, const std::vector<ImageSpec>& specs, const Drawing& draw, bool opaque = false)
{
    std::vector<std::unique_ptr<Canvas>> canvases;
    std::vector<gdi::IconFileImage> images;
    for (const ImageSpec& spec : specs) {
        canvases.push_back(std::make_unique<Canvas>(spec.size, spec.size));
        Canvas& canvas = *canvases.back();
        if (opaque)
            canvas.Fill(Rect(0, 0, spec.size, spec.size), kWhite, false);
        draw(canvas, {0, 0, static_cast<double>(spec.size)});
        images.push_back({&canvas.Pixels(), spec.bitCount});
    }
    return {std::move(name), gdi::EncodeIconFile(images)};
}

// A rounded tile with a gradient, the ground of the program icons.
void DrawTile(Canvas& c, const Frame& f, Color light, Color dark)
{
    c.Fill(RoundRect(f.X(0.04), f.Y(0.04), f.X(0.96), f.Y(0.96), f.S(0.2)),
           Linear(f.P(0.2, 0.0), light, f.P(0.8, 1.0), dark));
    c.Fill(Minus(RoundRect(f.X(0.04), f.Y(0.04), f.X(0.96), f.Y(0.96), f.S(0.2)),
                 RoundRect(f.X(0.04), f.Y(0.04) + Stroke(f, 0.02), f.X(0.96), f.Y(0.96), f.S(0.2))),
           WithAlpha(kWhite, 90));
}

void DrawMarlwick(Canvas& c, const Frame& f)
{
    DrawTile(c, f, kBlue, kSlateDeep);
    if (f.size <= 16) {
        DrawEnvelope(c, {f.X(0.14), f.Y(0.14), f.S(0.72)}, kPaper, kSlate);
        return;
    }
    DrawDatabase(c, {f.X(0.02), f.Y(0.08), f.S(0.5)}, kSky, kSlate);
    DrawArrow(c, {f.X(0.36), f.Y(0.36), f.S(0.3)}, kAmber);
    DrawEnvelope(c, {f.X(0.46), f.Y(0.42), f.S(0.5)}, kPaper, kSlate);
}

void DrawStavrel(Canvas& c, const Frame& f)
{
    DrawTile(c, f, Rgb(96, 108, 124), Rgb(44, 52, 64));
    DrawPower(c, {f.X(0.18), f.Y(0.14), f.S(0.64)}, kWhite);
    if (f.size >= 48)
        c.Fill(Circle(f.X(0.78), f.Y(0.78), f.S(0.08)), kAmber);
}

const std::vector<ImageSpec> kProgramSizes = {{48, 32}, {32, 32}, {24, 32}, {16, 32}, {32, 8}, {16, 8}};
const std::vector<ImageSpec> kToolButtonSizes = {{32, 32}, {32, 8}};
const std::vector<ImageSpec> kTreeSizes = {{16, 8}};
// The closer's icon group: three 8-bit images and eight 32-bit ones.
const std::vector<ImageSpec> kStavrelSizes = {{32, 8},  {24, 8},  {16, 8},  {255, 32}, {128, 32}, {96, 32},
                                              {72, 32}, {48, 32}, {32, 32}, {24, 32},  {16, 32}};

} // namespace

std::vector<ArtFile> MakeIcons()
{
    std::vector<ArtFile> icons;
    icons.push_back(MakeIcon("Marlwick.ico", kProgramSizes, DrawMarlwick));
    icons.push_back(MakeIcon("Stavrel.ico", kStavrelSizes, DrawStavrel));

    icons.push_back(MakeIcon("ViewLog.ico", kToolButtonSizes, [](Canvas& c, const Frame& f) {
        DrawDocument(c, f, kPaper, kSlate);
    }));
    icons.push_back(MakeIcon("Support.ico", kToolButtonSizes, [](Canvas& c, const Frame& f) {
        DrawLifeRing(c, f, kPaper, kRed);
    }));
    icons.push_back(MakeIcon("Exit.ico", kToolButtonSizes, [](Canvas& c, const Frame& f) {
        DrawExit(c, f, kSlate, kRed);
    }));

    auto tree = [&icons](const char* name, Drawing draw) { icons.push_back(MakeIcon(name, kTreeSizes, draw, true)); };
    tree("TreeInbox.ico", [](Canvas& c, const Frame& f) { DrawTray(c, f, kSlate, kTeal); });
    tree("TreeSent.ico", [](Canvas& c, const Frame& f) {
        DrawEnvelope(c, {f.X(0), f.Y(0.1), f.S(0.8)}, kPaper, kBlue);
        DrawArrow(c, {f.X(0.45), f.Y(0.45), f.S(0.55)}, kTeal);
    });
    tree("TreeDrafts.ico", [](Canvas& c, const Frame& f) {
        DrawDocument(c, {f.X(-0.08), f.Y(0), f.S(1)}, kPaper, kGrey);
        DrawPencil(c, {f.X(0.3), f.Y(0.3), f.S(0.7)}, kAmber, kInk);
    });
    tree("TreeAll.ico", [](Canvas& c, const Frame& f) {
        DrawEnvelope(c, {f.X(0.16), f.Y(-0.06), f.S(0.84)}, kSky, kSlate);
        DrawEnvelope(c, {f.X(0), f.Y(0.2), f.S(0.84)}, kPaper, kBlue);
    });
    tree("TreeTrash.ico", [](Canvas& c, const Frame& f) { DrawBin(c, f, kSky, kSlate); });
    tree("TreeFolder.ico", [](Canvas& c, const Frame& f) { DrawFolder(c, f, kFolder, kFolderDark, false); });
    tree("TreeFolderSelected.ico", [](Canvas& c, const Frame& f) { DrawFolder(c, f, kFolder, kFolderDark, true); });
    tree("TreeNotes.ico", [](Canvas& c, const Frame& f) { DrawDatabase(c, f, kBlue, kSky); });
    return icons;
}

} // namespace artwork
