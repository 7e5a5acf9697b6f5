#include "artwork/Artwork.h"

#include "Backgrounds.h"

#include "user/Dialog.h"

namespace artwork {

// As the dialog manager maps a template's units, so that a background
// covers the dialog exactly.
int DialogUnitsToPixelsX(int units)
{
    RECT rect{0, 0, units, 0};
    MapDialogRect(nullptr, &rect);
    return rect.right;
}

int DialogUnitsToPixelsY(int units)
{
    RECT rect{0, 0, 0, units};
    MapDialogRect(nullptr, &rect);
    return rect.bottom;
}

std::vector<ArtFile> MakeBitmaps()
{
    std::vector<ArtFile> bitmaps;
    bitmaps.push_back({"main.bmp", MakeMainBackground()});
    bitmaps.push_back({"Skin.bmp", MakeSkinBackground()});
    bitmaps.push_back({"Flash.bmp", MakeSplash()});
    const char* modes[] = {"mail", "add", "cal"};
    for (int step = 1; step <= 6; ++step) {
        if (step == 3 || step == 5) {
            for (int mode = 1; mode <= 3; ++mode)
                bitmaps.push_back({"step" + std::to_string(step) + "_" + modes[mode - 1] + ".bmp",
                                   MakeStepPicture(step, mode)});
        } else {
            bitmaps.push_back({"step" + std::to_string(step) + ".bmp", MakeStepPicture(step, 0)});
        }
    }
    return bitmaps;
}

} // namespace artwork
