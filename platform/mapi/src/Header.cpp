#include "mapi/ndb/Header.h"

#include "mapi/ndb/ByteIo.h"
#include "mapi/ndb/Crc.h"

#include <string>

namespace mapi::ndb {

namespace {

// Unicode field offsets of [MS-PST] 2.2.2.6.
constexpr std::size_t kOffCrcPartial = 4;
constexpr std::size_t kCrcStart = 8;
constexpr std::size_t kCrcPartialLength = 471;
constexpr std::size_t kCrcFullLength = 516;
constexpr std::size_t kOffBidUnused = 24;
constexpr std::size_t kOffBidNextP = 32;
constexpr std::size_t kOffUnique = 40;
constexpr std::size_t kOffRgnid = 44;
constexpr std::size_t kOffQwUnused = 172;
constexpr std::size_t kOffRoot = 180;
constexpr std::size_t kOffAlign = 252;
constexpr std::size_t kOffRgbFM = 256;
constexpr std::size_t kOffRgbFP = 384;
constexpr std::size_t kOffSentinel = 512;
constexpr std::size_t kOffCryptMethod = 513;
constexpr std::size_t kOffBidNextB = 516;
constexpr std::size_t kOffCrcFull = 524;
constexpr std::size_t kOffRgbReserved = 514;
constexpr std::size_t kOffRgbReserved2 = 528;
constexpr std::size_t kOffBReserved = 531;
constexpr std::size_t kOffRgbReserved3 = 532;

// ANSI offsets.
constexpr std::size_t kAnsiOffBidNextB = 24;
constexpr std::size_t kAnsiOffBidNextP = 28;
constexpr std::size_t kAnsiOffUnique = 32;
constexpr std::size_t kAnsiOffRgnid = 36;
constexpr std::size_t kAnsiOffRoot = 164;
constexpr std::size_t kAnsiOffRgbFM = 204;
constexpr std::size_t kAnsiOffRgbFP = 332;
constexpr std::size_t kAnsiOffSentinel = 460;
constexpr std::size_t kAnsiOffCryptMethod = 461;

constexpr std::uint8_t kSentinel = 0x80;

void ParseRootUnicode(std::span<const std::uint8_t> b, std::size_t at, Root& r)
{
    r.dwReserved = Read32(b, at);
    r.ibFileEof = Read64(b, at + 4);
    r.ibAMapLast = Read64(b, at + 12);
    r.cbAMapFree = Read64(b, at + 20);
    r.cbPMapFree = Read64(b, at + 28);
    r.nbt = {Read64(b, at + 36), Read64(b, at + 44)};
    r.bbt = {Read64(b, at + 52), Read64(b, at + 60)};
    r.fAMapValid = Read8(b, at + 68);
    r.bReserved = Read8(b, at + 69);
    r.wReserved = Read16(b, at + 70);
}

void ParseRootAnsi(std::span<const std::uint8_t> b, std::size_t at, Root& r)
{
    r.dwReserved = Read32(b, at);
    r.ibFileEof = Read32(b, at + 4);
    r.ibAMapLast = Read32(b, at + 8);
    r.cbAMapFree = Read32(b, at + 12);
    r.cbPMapFree = Read32(b, at + 16);
    r.nbt = {Read32(b, at + 20), Read32(b, at + 24)};
    r.bbt = {Read32(b, at + 28), Read32(b, at + 32)};
    r.fAMapValid = Read8(b, at + 36);
    r.bReserved = Read8(b, at + 37);
    r.wReserved = Read16(b, at + 38);
}

void WriteRootUnicode(std::span<std::uint8_t> b, std::size_t at, const Root& r)
{
    Write32(b, at, r.dwReserved);
    Write64(b, at + 4, r.ibFileEof);
    Write64(b, at + 12, r.ibAMapLast);
    Write64(b, at + 20, r.cbAMapFree);
    Write64(b, at + 28, r.cbPMapFree);
    Write64(b, at + 36, r.nbt.bid);
    Write64(b, at + 44, r.nbt.ib);
    Write64(b, at + 52, r.bbt.bid);
    Write64(b, at + 60, r.bbt.ib);
    Write8(b, at + 68, r.fAMapValid);
    Write8(b, at + 69, r.bReserved);
    Write16(b, at + 70, r.wReserved);
}

Error Fail(const std::string& what) { return MakeError("PST header: " + what); }

} // namespace

Result<Header> ParseHeader(std::span<const std::uint8_t> b)
{
    if (b.size() < kAnsiHeaderSize)
        return Fail("file too short for a header (" + std::to_string(b.size()) + " bytes)");
    if (Read32(b, 0) != kHeaderMagic)
        return Fail("not a PST file (bad magic)");
    if (Read16(b, 8) != kHeaderMagicClient)
        return Fail("bad client magic");
    const std::uint32_t partial = ComputeCrc(b.subspan(kCrcStart, kCrcPartialLength));
    if (partial != Read32(b, kOffCrcPartial))
        return Fail("dwCRCPartial mismatch");

    Header h;
    h.wVer = Read16(b, 10);
    h.wVerClient = Read16(b, 12);
    h.bPlatformCreate = Read8(b, 14);
    h.bPlatformAccess = Read8(b, 15);
    h.dwReserved1 = Read32(b, 16);
    h.dwReserved2 = Read32(b, 20);

    if (h.wVer == 14 || h.wVer == 15) {
        h.format = Format::Ansi;
        h.bidNextB = Read32(b, kAnsiOffBidNextB);
        h.bidNextP = Read32(b, kAnsiOffBidNextP);
        h.dwUnique = Read32(b, kAnsiOffUnique);
        for (std::size_t i = 0; i < 32; ++i)
            h.rgnid[i] = Read32(b, kAnsiOffRgnid + 4 * i);
        ParseRootAnsi(b, kAnsiOffRoot, h.root);
        for (std::size_t i = 0; i < 128; ++i) {
            h.rgbFM[i] = b[kAnsiOffRgbFM + i];
            h.rgbFP[i] = b[kAnsiOffRgbFP + i];
        }
        if (b[kAnsiOffSentinel] != kSentinel)
            return Fail("bad sentinel");
        const std::uint8_t crypt = b[kAnsiOffCryptMethod];
        if (crypt > 2)
            return Fail("unknown encryption method " + std::to_string(crypt));
        h.bCryptMethod = static_cast<CryptMethod>(crypt);
        return h;
    }
    if (h.wVer < kVersionUnicode || h.wVer >= 36)
        return Fail("unsupported file version " + std::to_string(h.wVer));
    if (b.size() < kHeaderSize)
        return Fail("file too short for a Unicode header");
    if (ComputeCrc(b.subspan(kCrcStart, kCrcFullLength)) != Read32(b, kOffCrcFull))
        return Fail("dwCRCFull mismatch");

    h.format = Format::Unicode;
    h.bidUnused = Read64(b, kOffBidUnused);
    h.bidNextP = Read64(b, kOffBidNextP);
    h.dwUnique = Read32(b, kOffUnique);
    for (std::size_t i = 0; i < 32; ++i)
        h.rgnid[i] = Read32(b, kOffRgnid + 4 * i);
    h.qwUnused = Read64(b, kOffQwUnused);
    ParseRootUnicode(b, kOffRoot, h.root);
    h.dwAlign = Read32(b, kOffAlign);
    for (std::size_t i = 0; i < 128; ++i) {
        h.rgbFM[i] = b[kOffRgbFM + i];
        h.rgbFP[i] = b[kOffRgbFP + i];
    }
    if (b[kOffSentinel] != kSentinel)
        return Fail("bad sentinel");
    const std::uint8_t crypt = b[kOffCryptMethod];
    if (crypt > 2)
        return Fail("unknown encryption method " + std::to_string(crypt));
    h.bCryptMethod = static_cast<CryptMethod>(crypt);
    h.bidNextB = Read64(b, kOffBidNextB);
    h.rgbReserved = Read16(b, kOffRgbReserved);
    for (std::size_t i = 0; i < h.rgbReserved2.size(); ++i)
        h.rgbReserved2[i] = b[kOffRgbReserved2 + i];
    h.bReserved = b[kOffBReserved];
    for (std::size_t i = 0; i < h.rgbReserved3.size(); ++i)
        h.rgbReserved3[i] = b[kOffRgbReserved3 + i];
    return h;
}

std::vector<std::uint8_t> WriteHeader(const Header& h)
{
    std::vector<std::uint8_t> out(kHeaderSize, 0);
    std::span<std::uint8_t> b(out);
    Write32(b, 0, kHeaderMagic);
    Write16(b, 8, kHeaderMagicClient);
    Write16(b, 10, h.wVer);
    Write16(b, 12, h.wVerClient);
    Write8(b, 14, h.bPlatformCreate);
    Write8(b, 15, h.bPlatformAccess);
    Write32(b, 16, h.dwReserved1);
    Write32(b, 20, h.dwReserved2);
    Write64(b, kOffBidUnused, h.bidUnused);
    Write64(b, kOffBidNextP, h.bidNextP);
    Write32(b, kOffUnique, h.dwUnique);
    for (std::size_t i = 0; i < 32; ++i)
        Write32(b, kOffRgnid + 4 * i, h.rgnid[i]);
    Write64(b, kOffQwUnused, h.qwUnused);
    WriteRootUnicode(b, kOffRoot, h.root);
    Write32(b, kOffAlign, h.dwAlign);
    for (std::size_t i = 0; i < 128; ++i) {
        b[kOffRgbFM + i] = h.rgbFM[i];
        b[kOffRgbFP + i] = h.rgbFP[i];
    }
    b[kOffSentinel] = kSentinel;
    b[kOffCryptMethod] = static_cast<std::uint8_t>(h.bCryptMethod);
    Write64(b, kOffBidNextB, h.bidNextB);
    Write16(b, kOffRgbReserved, h.rgbReserved);
    for (std::size_t i = 0; i < h.rgbReserved2.size(); ++i)
        b[kOffRgbReserved2 + i] = h.rgbReserved2[i];
    b[kOffBReserved] = h.bReserved;
    for (std::size_t i = 0; i < h.rgbReserved3.size(); ++i)
        b[kOffRgbReserved3 + i] = h.rgbReserved3[i];
    // The full CRC covers the partial one's bytes and goes on from there.
    const std::uint32_t partial = ComputeCrc(b.subspan(kCrcStart, kCrcPartialLength));
    Write32(b, kOffCrcPartial, partial);
    Write32(b, kOffCrcFull,
            ComputeCrc(b.subspan(kCrcStart + kCrcPartialLength, kCrcFullLength - kCrcPartialLength), partial));
    return out;
}

} // namespace mapi::ndb
