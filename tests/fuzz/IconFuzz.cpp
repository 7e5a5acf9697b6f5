// libFuzzer target: any bytes as an .ico or .cur file, and as an icon
// resource, must load or be refused; never crash.
#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"

#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const BYTE> bytes(data, size);
    for (BOOL icon : {TRUE, FALSE}) {
        if (HICON loaded = gdi::LoadIconFile(bytes, icon, 0, 0))
            DestroyIcon(loaded);
        if (HICON scaled = gdi::LoadIconFile(bytes, icon, 16, 16))
            DestroyIcon(scaled);
    }
    // The same bytes as one image of a resource.
    std::vector<BYTE> copy(bytes.begin(), bytes.end());
    if (!copy.empty()) {
        if (HICON resource = CreateIconFromResourceEx(copy.data(), static_cast<DWORD>(copy.size()), TRUE, 0x00030000, 0, 0, 0))
            DestroyIcon(resource);
    }
    return 0;
}
