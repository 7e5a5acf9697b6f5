// The patterns of the shaded button's faces. A face is an 8-bit image whose
// pixel values are brightness levels of the face palette (0 the shadow, 128
// about the button face, 255 the highlight); an effect fills every level
// with a pattern plus a random grain drawn from the calling thread's
// crt::rand, so the same sizes and the same order of calls give the same
// faces in every run.
#pragma once

#include "controls/Dib.h"

enum ShadeEffect : UINT {
    GrainOnly = 0,          // the mid level with grain (also every number above 8)
    DiagonalGradient = 1,   // light top-left to dark bottom-right
    VerticalGradient = 2,   // dark bottom to light top
    HorizontalGradient = 3, // light left to dark right (the one the dialogs use)
    VerticalCubic = 4,      // cubic profile across the height: dark bottom, flat middle, light top
    HorizontalCubic = 5,    // cubic profile across the width: light left, flat middle, dark right
    CornerCubic = 6,        // both cubic profiles added, clamped
    CubicWithBevels = 7,    // shallow vertical profile with lens-shaped bevels at the ends
    DiagonalStreaks = 8,    // 200 random diagonal streaks over a diagonal gradient
};

// Fills the levels of an 8-bit face with the effect; granularity is the
// grain's amplitude and the margin of the ramps. Nothing for an empty face.
void FillShadeEffect(CxDib& face, UINT effect, BYTE granularity);
