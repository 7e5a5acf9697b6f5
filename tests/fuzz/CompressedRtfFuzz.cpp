// libFuzzer target: any bytes as PR_RTF_COMPRESSED must decompress or be
// refused; never crash. What decompresses compresses and decompresses to
// itself.
#include "mapi/ltp/CompressedRtf.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const mapi::Bytes bytes(data, data + size);
    auto rtf = mapi::ltp::DecompressRtf(bytes);
    if (!rtf.Ok())
        return 0;
    auto again = mapi::ltp::DecompressRtf(mapi::ltp::CompressRtf(*rtf));
    if (!again.Ok() || *again != *rtf)
        std::abort();
    return 0;
}
