#include "StepPicture.h"

#include "AppSettings.h"

HBITMAP LoadStepPicture(CStatic& picture, LPCWSTR fileName)
{
    auto bitmap = static_cast<HBITMAP>(::LoadImageW(nullptr, CString(g_szInstallDir) + fileName, IMAGE_BITMAP, 0, 0,
                                                    LR_LOADFROMFILE));
    picture.SetBitmap(bitmap);
    return bitmap;
}
