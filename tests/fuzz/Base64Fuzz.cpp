// libFuzzer target: any text must decode as the "$MIM" parts are decoded,
// within the buffer the decoder sizes for it, and what it decodes to must
// come back through the encoder unchanged.
#include "Base64Codec.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    Base64Codec codec;
    // The text up to its first NUL, as the decoder reads it.
    const char* nul = text.c_str();
    std::vector<BYTE> out = codec.AllocDecodeBuffer(nul);
    const std::size_t written = codec.DecodeText(nul, out.data(), out.size());
    if (written > out.size())
        std::abort();
    // Round trip: what was decoded encodes and decodes to itself.
    std::vector<char> encoded(Base64Codec::EncodedSize(written));
    codec.EncodeBufferLines(out.data(), written, encoded.data());
    std::vector<BYTE> again(written + 3);
    if (codec.DecodeText(encoded.data(), again.data(), again.size()) != written
        || !std::equal(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(written), again.begin()))
        std::abort();
    return 0;
}
