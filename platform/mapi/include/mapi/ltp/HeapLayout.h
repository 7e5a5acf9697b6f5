#pragma once

#include <cstddef>
#include <cstdint>

// On-disk layout of the heap-on-node ([MS-PST] 2.3.1). Every page of a heap
// is one data block of its node.
namespace mapi::ltp::heap {

constexpr std::size_t kMaxBlockSize = 8176;   // payload of one data block
// The payload of an ANSI file's data block, which readers accept too.
constexpr std::size_t kMaxAnsiBlockSize = 8180;
constexpr std::size_t kMaxItemSize = 3580;    // largest heap allocation

// HNHDR, at the start of block 0 (12 bytes).
//   ibHnpm      2  offset of the HNPAGEMAP in the block
//   bSig        1  kHeapSignature
//   bClientSig  1  client of the heap (kClientTableContext, ...)
//   hidUserRoot 4  HID of the client's root item
//   rgbFillLevel 4 fill levels of pages 0..7, one nibble each
constexpr std::size_t kHnHdrSize = 12;
constexpr std::uint8_t kHeapSignature = 0xEC;

// HNPAGEHDR, at the start of every other block (2 bytes): ibHnpm.
constexpr std::size_t kHnPageHdrSize = 2;

// HNBITMAPHDR, at the start of block 8 and every 128th after it (66 bytes):
//   ibHnpm 2, rgbFillLevel 64 (fill levels of the next 128 pages).
constexpr std::size_t kHnBitmapHdrSize = 66;
constexpr std::size_t kFirstBitmapPage = 8;
constexpr std::size_t kPagesPerBitmap = 128;

// HNPAGEMAP, at ibHnpm (2-byte aligned):
//   cAlloc 2, cFree 2, rgibAlloc (cAlloc + 1) * 2: item start offsets, the last
//   one the end of the last item. A freed item has zero length.
constexpr std::size_t kPageMapFixedSize = 4;

// bClientSig values ([MS-PST] 2.3.1.2).
constexpr std::uint8_t kClientTableContext = 0x7C;
constexpr std::uint8_t kClientBTreeOnHeap = 0xB5;
constexpr std::uint8_t kClientPropertyContext = 0xBC;

// A HID: hidType (5 bits, 0), hidIndex (11 bits, 1-based), hidBlockIndex (16 bits).
using Hid = std::uint32_t;
constexpr Hid MakeHid(std::size_t page, std::size_t index)
{
    return static_cast<Hid>((page << 16) | (index << 5));
}
constexpr std::size_t HidPage(Hid hid) { return hid >> 16; }
constexpr std::size_t HidIndex(Hid hid) { return (hid >> 5) & 0x7FF; }
constexpr bool IsHid(std::uint32_t hnid) { return (hnid & 0x1F) == 0; }
constexpr std::size_t kMaxItemsPerPage = 0x7FF;

// Header size of page `page` of a heap.
constexpr std::size_t PageHeaderSize(std::size_t page)
{
    if (page == 0) return kHnHdrSize;
    if (page >= kFirstBitmapPage && (page - kFirstBitmapPage) % kPagesPerBitmap == 0) return kHnBitmapHdrSize;
    return kHnPageHdrSize;
}

// Fill level nibble for a page with `freeBytes` left ([MS-PST] 2.3.1.1).
constexpr std::uint8_t FillLevel(std::size_t freeBytes)
{
    if (freeBytes >= 3584) return 0;
    if (freeBytes >= 2560) return 1;
    if (freeBytes >= 2048) return 2;
    if (freeBytes >= 1792) return 3;
    if (freeBytes >= 1536) return 4;
    if (freeBytes >= 1280) return 5;
    if (freeBytes >= 1024) return 6;
    if (freeBytes >= 768) return 7;
    if (freeBytes >= 512) return 8;
    if (freeBytes >= 256) return 9;
    if (freeBytes >= 128) return 10;
    if (freeBytes >= 64) return 11;
    if (freeBytes >= 32) return 12;
    if (freeBytes >= 16) return 13;
    if (freeBytes >= 8) return 14;
    return 15;
}

} // namespace mapi::ltp::heap
