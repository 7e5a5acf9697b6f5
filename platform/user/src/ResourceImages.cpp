// LoadImageW of a module's icon and bitmap resources: the graphics layer
// asks through its resource hook, which this layer fills with a look-up in
// the registered resources.
#include "ResourceImages.h"

#include "gdi/BmpFormat.h"
#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"
#include "user/Resources.h"

#include <mutex>

namespace user {

namespace {

HANDLE LoadResourceImage(HINSTANCE module, LPCWSTR name, UINT type, int width, int height, UINT flags)
{
    // Resources here are numbered; named ones do not exist.
    if (!name || !IS_INTRESOURCE(name))
        return nullptr;
    const int id = static_cast<int>(reinterpret_cast<UINT_PTR>(name));
    if (type == IMAGE_ICON || type == IMAGE_CURSOR) {
        const std::vector<BYTE>* file = FindIconResource(module, id);
        if (!file)
            return nullptr;
        const bool defaultSize = flags & LR_DEFAULTSIZE;
        return gdi::LoadIconFile(*file, type == IMAGE_ICON, width ? width : (defaultSize ? 32 : 0),
                                 height ? height : (defaultSize ? 32 : 0));
    }
    if (type == IMAGE_BITMAP) {
        const std::vector<BYTE>* file = FindBitmapResource(module, id);
        if (!file)
            return nullptr;
        gdi::DibResult dib = gdi::ParseBmp(*file);
        return dib.image ? gdi::CreateBitmapFromSurface(*dib.image) : nullptr;
    }
    return nullptr;
}

} // namespace

void InstallResourceImageLoader()
{
    static std::once_flag installed;
    std::call_once(installed, [] { gdi::SetResourceImageLoader(LoadResourceImage); });
}

} // namespace user
