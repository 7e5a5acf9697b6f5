// Loading the images of modules' resources (and the system's) for
// LoadImageW, LoadIconW and LoadCursorW: the graphics layer asks through its
// resource hook, which this layer fills with a look-up in the registered
// resources.
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

using namespace user::detail;

namespace {

HANDLE LoadResourceImage(HINSTANCE module, LPCWSTR name, UINT type, int width, int height, UINT flags)
{
    if (!name || !IS_INTRESOURCE(name))
        return nullptr; // resources are found by number
    int id = user::ResourceNumber(name);
    bool defaultSize = (flags & LR_DEFAULTSIZE) != 0;
    if (type == IMAGE_ICON || type == IMAGE_CURSOR) {
        if (!module)
            return type == IMAGE_ICON ? SystemIcon(id) : (id == 32512 ? ArrowCursor() : nullptr);
        const std::vector<BYTE>* file = user::FindIconResource(module, id);
        if (!file)
            return nullptr;
        return gdi::LoadIconFile(*file, type == IMAGE_ICON, width ? width : (defaultSize ? 32 : 0),
                                 height ? height : (defaultSize ? 32 : 0));
    }
    if (type != IMAGE_BITMAP || !module)
        return nullptr;
    const std::vector<BYTE>* file = user::FindBitmapResource(module, id);
    if (!file)
        return nullptr;
    gdi::DibResult dib = gdi::ParseBmp(*file);
    if (!dib.image)
        return nullptr;
    return gdi::CreateBitmapFromSurface(*dib.image);
}

const bool g_installed = [] {
    user::InstallResourceImageLoader();
    return true;
}();

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

} // namespace

namespace user {

void InstallResourceImageLoader()
{
    static std::once_flag installed;
    std::call_once(installed, [] { gdi::SetResourceImageLoader(LoadResourceImage); });
}

} // namespace user

HICON LoadIconW(HINSTANCE module, LPCWSTR name)
{
    return static_cast<HICON>(LoadShared(module, name, IMAGE_ICON));
}

HCURSOR LoadCursorW(HINSTANCE module, LPCWSTR name)
{
    return static_cast<HCURSOR>(LoadShared(module, name, IMAGE_CURSOR));
}
