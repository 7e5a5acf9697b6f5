#include "mapi/ndb/Page.h"

#include "mapi/ndb/ByteIo.h"
#include "mapi/ndb/Crc.h"

#include <algorithm>
#include <string>

namespace mapi::ndb {

std::uint16_t ComputeSig(std::uint64_t ib, std::uint64_t bid)
{
    ib ^= bid;
    return static_cast<std::uint16_t>(static_cast<std::uint16_t>(ib >> 16) ^ static_cast<std::uint16_t>(ib));
}

Result<PageTrailer> ParsePageTrailer(Format format, std::span<const std::uint8_t> page)
{
    if (page.size() != kPageSize)
        return MakeError("page: wrong size " + std::to_string(page.size()));
    const auto& sizes = SizesOf(format);
    const std::size_t at = kPageSize - sizes.pageTrailer;
    PageTrailer t;
    t.ptype = static_cast<PageType>(page[at]);
    if (page[at] != page[at + 1])
        return MakeError("page: ptype and ptypeRepeat differ");
    if (page[at] < 0x80 || page[at] > 0x86)
        return MakeError("page: unknown page type " + std::to_string(page[at]));
    t.wSig = Read16(page, at + 2);
    if (format == Format::Unicode) {
        t.dwCrc = Read32(page, at + 4);
        t.bid = Read64(page, at + 8);
    } else {
        t.bid = Read32(page, at + 4);
        t.dwCrc = Read32(page, at + 8);
    }
    if (ComputeCrc(page.first(at)) != t.dwCrc)
        return MakeError("page: CRC mismatch");
    return t;
}

void SealPage(std::span<std::uint8_t> page, PageType type, std::uint64_t bid, std::uint16_t sig)
{
    const std::size_t at = kPageSize - kUnicodeSizes.pageTrailer;
    page[at] = static_cast<std::uint8_t>(type);
    page[at + 1] = static_cast<std::uint8_t>(type);
    Write16(page, at + 2, sig);
    Write32(page, at + 4, ComputeCrc(page.first(at)));
    Write64(page, at + 8, bid);
}

Result<std::vector<std::uint8_t>> ParseMapPage(Format format, std::span<const std::uint8_t> page, PageType type,
                                               std::uint64_t ib)
{
    auto trailer = ParsePageTrailer(format, page);
    if (!trailer)
        return MakeError("map page at " + std::to_string(ib) + ": " + trailer.Message());
    if (trailer->ptype != type)
        return MakeError("map page at " + std::to_string(ib) + ": unexpected page type");
    const std::size_t bits = SizesOf(format).amapBits;
    return std::vector<std::uint8_t>(page.begin(), page.begin() + static_cast<std::ptrdiff_t>(bits));
}

std::vector<std::uint8_t> WriteMapPage(PageType type, std::span<const std::uint8_t> bits, std::uint64_t ib)
{
    std::vector<std::uint8_t> page(kPageSize, 0);
    std::copy_n(bits.begin(), std::min<std::size_t>(bits.size(), kUnicodeSizes.amapBits), page.begin());
    SealPage(page, type, ib, 0);
    return page;
}

Result<DListPage> ParseDListPage(std::span<const std::uint8_t> page)
{
    auto trailer = ParsePageTrailer(Format::Unicode, page);
    if (!trailer)
        return MakeError("density list: " + trailer.Message());
    if (trailer->ptype != PageType::DList)
        return MakeError("density list: unexpected page type");
    DListPage d;
    d.flags = page[0];
    const std::size_t count = page[1];
    if (count > kMaxDListEntries)
        return MakeError("density list: too many entries");
    d.currentPage = Read32(page, 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t v = Read32(page, 8 + 4 * i);
        d.entries.push_back({v & 0xFFFFF, static_cast<std::uint16_t>(v >> 20)});
    }
    return d;
}

std::vector<std::uint8_t> WriteDListPage(const DListPage& d, std::uint64_t ib, std::uint64_t bid)
{
    std::vector<std::uint8_t> page(kPageSize, 0);
    page[0] = d.flags;
    const std::size_t count = d.entries.size() < kMaxDListEntries ? d.entries.size() : kMaxDListEntries;
    page[1] = static_cast<std::uint8_t>(count);
    Write32(page, 4, d.currentPage);
    for (std::size_t i = 0; i < count; ++i)
        Write32(page, 8 + 4 * i,
                (d.entries[i].pageNumber & 0xFFFFF) | (static_cast<std::uint32_t>(d.entries[i].freeSlots & 0xFFF) << 20));
    SealPage(page, PageType::DList, bid, ComputeSig(ib, bid));
    return page;
}

} // namespace mapi::ndb
