// LoadImageW of a module's icon and bitmap resources, and of the system's
// icons: the graphics layer asks through its resource hook, which this
// layer fills with a look-up in the registered resources. LoadIconW and
// LoadCursorW give shared images of the same.
#include "ResourceImages.h"
#include "SystemIcons.h"

#include "gdi/BmpFormat.h"
#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"
#include "user/Icons.h"
#include "user/Resources.h"

#include <map>
#include <mutex>
#include <tuple>

namespace user {

namespace {

HANDLE LoadResourceImage(HINSTANCE module, LPCWSTR name, UINT type, int width, int height, UINT flags)
{
    // Resources here are numbered; named ones do not exist.
    if (!name || !IS_INTRESOURCE(name))
        return nullptr;
    const int id = ResourceNumber(name);
    if (type == IMAGE_ICON || type == IMAGE_CURSOR) {
        if (!module) // the system's own
            return type == IMAGE_ICON ? detail::SystemIcon(id) : detail::SystemCursor(id);
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

// Shared icons and cursors: one handle per module, name and kind, for the process.
HANDLE LoadShared(HINSTANCE module, LPCWSTR name, UINT type)
{
    static std::mutex mutex;
    static std::map<std::tuple<HINSTANCE, std::uintptr_t, UINT>, HANDLE> shared;
    if (!IS_INTRESOURCE(name))
        return nullptr;
    std::lock_guard lock(mutex);
    auto key = std::make_tuple(module, reinterpret_cast<std::uintptr_t>(name), type);
    if (auto it = shared.find(key); it != shared.end())
        return it->second;
    HANDLE image = LoadResourceImage(module, name, type, 0, 0, LR_DEFAULTSIZE);
    if (image) {
        gdi::KeepForProcess(image);
        shared[key] = image;
    }
    return image;
}

// Installed when the program starts too, so that the system's own icons
// load before any module has registered resources.
const bool g_installed = [] {
    InstallResourceImageLoader();
    return true;
}();

} // namespace

void InstallResourceImageLoader()
{
    static std::once_flag installed;
    std::call_once(installed, [] { gdi::SetResourceImageLoader(LoadResourceImage); });
}

} // namespace user

HICON LoadIconW(HINSTANCE module, LPCWSTR name)
{
    return static_cast<HICON>(user::LoadShared(module, name, IMAGE_ICON));
}

HCURSOR LoadCursorW(HINSTANCE module, LPCWSTR name)
{
    return static_cast<HCURSOR>(user::LoadShared(module, name, IMAGE_CURSOR));
}
