// LoadImageW and LoadBitmapW: BMP files through the file layer, and
// resources through the loader the window layer installs.
#include "IconFormat.h"
#include "Objects.h"

#include "gdi/BmpFormat.h"
#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"
#include "win32/FileApi.h"

#include <mutex>
#include <span>

namespace gdi {

namespace {

constexpr DWORD kMaxFileBytes = 256u << 20;

std::mutex g_loaderMutex;

// Made on first use: programs register their resources, and so install the
// loader, while their static objects are still being constructed.
ResourceImageLoader& Loader()
{
    static ResourceImageLoader loader;
    return loader;
}

bool ReadWholeFile(LPCWSTR path, std::vector<BYTE>& bytes)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    bool ok = size != INVALID_FILE_SIZE && high == 0 && size <= kMaxFileBytes;
    if (ok) {
        bytes.resize(size);
        DWORD read = 0;
        ok = size == 0 || (ReadFile(file, bytes.data(), size, &read, nullptr) && read == size);
    }
    CloseHandle(file);
    return ok;
}

std::shared_ptr<Surface> Scaled(const Surface& image, int width, int height, bool bottomUp)
{
    auto out = std::make_shared<Surface>(width, height, bottomUp);
    for (int y = 0; y < height; ++y) {
        int sy = static_cast<int>((2LL * y + 1) * image.Height() / (2LL * height));
        for (int x = 0; x < width; ++x)
            out->Set(x, y, image.At(static_cast<int>((2LL * x + 1) * image.Width() / (2LL * width)), sy));
    }
    return out;
}

} // namespace

// An .ico or .cur file: the directory, then the images at their offsets.
HICON LoadIconFile(std::span<const BYTE> file, BOOL icon, int cx, int cy)
{
    int entry = BestIconEntry(file, 16, icon, cx, cy);
    if (entry < 0)
        return nullptr;
    const BYTE* e = file.data() + 6 + 16 * entry;
    DWORD bytes = static_cast<DWORD>(e[8] | (e[9] << 8) | (e[10] << 16)) | (static_cast<DWORD>(e[11]) << 24);
    DWORD offset = static_cast<DWORD>(e[12] | (e[13] << 8) | (e[14] << 16)) | (static_cast<DWORD>(e[15]) << 24);
    if (offset > file.size() || bytes > file.size() - offset)
        return nullptr;
    // A cursor file keeps its hot spot in the entry's planes and bit-count words.
    POINT hotspot{static_cast<LONG>(e[4] | (e[5] << 8)), static_cast<LONG>(e[6] | (e[7] << 8))};
    return CreateIconFromDib(file.subspan(offset, bytes), icon, hotspot, cx, cy);
}

void SetResourceImageLoader(ResourceImageLoader loader)
{
    std::lock_guard lock(g_loaderMutex);
    Loader() = std::move(loader);
}

} // namespace gdi

using namespace gdi;

HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags)
{
    if (!name)
        return nullptr;
    if (instance || !(flags & LR_LOADFROMFILE)) {
        ResourceImageLoader loader;
        {
            std::lock_guard lock(g_loaderMutex);
            loader = Loader();
        }
        return loader ? loader(instance, name, type, width, height, flags) : nullptr;
    }
    if ((type != IMAGE_BITMAP && type != IMAGE_ICON && type != IMAGE_CURSOR) || width < 0 || height < 0)
        return nullptr;
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(name, bytes))
        return nullptr;
    if (type != IMAGE_BITMAP) {
        bool defaultSize = flags & LR_DEFAULTSIZE;
        return LoadIconFile(bytes, type == IMAGE_ICON, width ? width : (defaultSize ? 32 : 0),
                            height ? height : (defaultSize ? 32 : 0));
    }
    DibResult dib = ParseBmp(bytes);
    if (!dib.image) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        return nullptr;
    }
    const bool section = flags & LR_CREATEDIBSECTION;
    std::shared_ptr<Surface> surface = dib.image;
    int w = width ? width : surface->Width();
    int h = height ? height : surface->Height();
    if (w != surface->Width() || h != surface->Height() || (section && surface->IsBottomUp() == dib.layout.topDown))
        surface = Scaled(*surface, w, h, section && !dib.layout.topDown);
    if (flags & LR_MONOCHROME) {
        for (int y = 0; y < surface->Height(); ++y)
            for (int x = 0; x < surface->Width(); ++x) {
                Pixel p = surface->At(x, y);
                int luma = ((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11;
                surface->Set(x, y, luma >= 12800 ? 0xFFFFFF : 0);
            }
        return InsertBitmap(surface, true, false);
    }
    return InsertBitmap(surface, false, section);
}

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name)
{
    if (!instance)
        return nullptr;
    return static_cast<HBITMAP>(LoadImageW(instance, name, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}
