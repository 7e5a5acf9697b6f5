// The artwork of both programs, made by code: the icons built into the
// programs and the bitmaps the installer lays into the install folder.
#pragma once

#include "gdi/GdiTypes.h"

#include <string>
#include <vector>

namespace artwork {

struct ArtFile {
    std::string name; // the file name: "main.bmp", "Marlwick.ico"
    std::vector<BYTE> bytes;
};

// The .ico files the resource scripts name.
std::vector<ArtFile> MakeIcons();
// The .bmp files the programs load from the install folder.
std::vector<ArtFile> MakeBitmaps();

// A size in dialog units as the dialog manager turns it into pixels.
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// The key colour the splash window cuts out of its picture.
constexpr unsigned kSplashKeyRed = 255, kSplashKeyGreen = 0, kSplashKeyBlue = 240;

} // namespace artwork
