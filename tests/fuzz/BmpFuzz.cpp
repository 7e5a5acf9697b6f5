// libFuzzer target: any bytes as a BMP file or a packed DIB must load or be
// refused; never crash.
#include "gdi/BmpFormat.h"

#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const BYTE> bytes(data, size);
    (void)gdi::ParseBmp(bytes);
    (void)gdi::ParsePackedDib(bytes);
    return 0;
}
