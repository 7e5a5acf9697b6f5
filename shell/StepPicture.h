// The picture of a wizard step: a bitmap file of the install folder shown in
// the step's picture static.
#pragma once

#include "afx/AfxWin.h"

// Loads the bitmap file g_szInstallDir + fileName ("\step1.bmp") into the
// picture static. The caller owns the bitmap returned (null when the file
// does not load, and the picture then stays empty).
HBITMAP LoadStepPicture(CStatic& picture, LPCWSTR fileName);
