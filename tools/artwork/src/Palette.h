// The colours of the artwork: a calm slate blue with one teal and one amber
// accent, on light paper tones.
#pragma once

#include "artwork/Canvas.h"

namespace artwork::palette {

constexpr Color kSlate = Rgb(47, 74, 109);
constexpr Color kSlateDeep = Rgb(33, 52, 79);
constexpr Color kBlue = Rgb(79, 121, 168);
constexpr Color kSky = Rgb(214, 226, 240);
constexpr Color kMist = Rgb(233, 239, 246);
constexpr Color kPaper = Rgb(248, 250, 252);
constexpr Color kWhite = Rgb(255, 255, 255);
constexpr Color kTeal = Rgb(52, 146, 144);
constexpr Color kAmber = Rgb(222, 162, 56);
constexpr Color kRed = Rgb(190, 74, 64);
constexpr Color kInk = Rgb(58, 67, 80);
constexpr Color kGrey = Rgb(126, 136, 148);
constexpr Color kLine = Rgb(190, 203, 219);
constexpr Color kFolder = Rgb(230, 190, 98);
constexpr Color kFolderDark = Rgb(196, 150, 60);

} // namespace artwork::palette
