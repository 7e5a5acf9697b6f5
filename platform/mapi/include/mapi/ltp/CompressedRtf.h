#pragma once

#include "mapi/NodeContent.h"
#include "mapi/ltp/LtpResult.h"

// PR_RTF_COMPRESSED ([MS-OXRTFCP]): a 16-byte header (COMPSIZE, RAWSIZE,
// COMPTYPE, CRC) and the content, either LZFu (LZ77 over a 4096-byte
// dictionary pre-loaded with common RTF) or MELA (stored as is).
namespace mapi::ltp {

constexpr std::uint32_t kRtfCompressed = 0x75465A4C;   // "LZFu"
constexpr std::uint32_t kRtfUncompressed = 0x414C454D; // "MELA"

// The RTF of a PR_RTF_COMPRESSED value. Damaged input fails with a message:
// short headers, sizes past the data, a bad CRC, references cut short, or
// output beyond RAWSIZE.
Result<Bytes> DecompressRtf(const Bytes& data);

// LZFu compression of `rtf`.
Bytes CompressRtf(const Bytes& rtf);
// The MELA form, for readers that accept uncompressed RTF.
Bytes WrapRtfUncompressed(const Bytes& rtf);

} // namespace mapi::ltp
