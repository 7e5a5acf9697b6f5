// What every wizard step's frame shares: the three tool buttons at the top
// (View Log, Support, Exit), the step picture from the install folder, and
// the maker's support page that the Support button opens.
#pragma once

#include "controls/ShadeButton.h"

// Shade, icon (131, 132, 133, centred) and tooltip of each tool button.
void SetUpToolButtons(CxShadeButton& viewLog, CxShadeButton& support, CxShadeButton& exit);

// Loads the bitmap file g_szInstallDir + fileName ("\step1.bmp") into the
// picture static. The caller owns the bitmap returned (null when the file
// does not load, and the picture then stays empty).
HBITMAP LoadStepPicture(CStatic& picture, LPCWSTR fileName);

// Opens the support page through the shell, shown normally.
void OpenSupportPage();
