#include "mapi/ndb/BTreePage.h"

#include "mapi/ndb/ByteIo.h"

#include <string>

namespace mapi::ndb {

namespace {

std::size_t EntrySize(Format format, PageType type, std::uint8_t level)
{
    const auto& s = SizesOf(format);
    if (level > 0)
        return s.btEntry;
    return type == PageType::BBT ? s.bbtEntry : s.nbtEntry;
}

std::uint64_t ReadId(Format f, std::span<const std::uint8_t> b, std::size_t at)
{
    return f == Format::Unicode ? Read64(b, at) : Read32(b, at);
}

Error Fail(const Bref& where, const std::string& what)
{
    return MakeError("B-tree page at " + std::to_string(where.ib) + ": " + what);
}

} // namespace

std::size_t MaxBtEntries(Format format, PageType type, std::uint8_t level)
{
    return SizesOf(format).btEntries / EntrySize(format, type, level);
}

Result<BtPage> ParseBtPage(Format format, std::span<const std::uint8_t> page, const Bref& where)
{
    auto trailer = ParsePageTrailer(format, page);
    if (!trailer)
        return Fail(where, trailer.Message());
    if (trailer->ptype != PageType::NBT && trailer->ptype != PageType::BBT)
        return Fail(where, "not a B-tree page");
    if ((trailer->bid & ~std::uint64_t{1}) != (where.bid & ~std::uint64_t{1}))
        return Fail(where, "BID in trailer does not match its reference");
    if (trailer->wSig != ComputeSig(where.ib, trailer->bid))
        return Fail(where, "bad signature");

    const auto& s = SizesOf(format);
    const std::size_t info = s.btEntries;
    BtPage p;
    p.type = trailer->ptype;
    const std::size_t cEnt = page[info];
    const std::size_t cbEnt = page[info + 2];
    p.level = page[info + 3];
    if (p.level > kMaxBTreeLevel)
        return Fail(where, "level too deep");
    const std::size_t need = EntrySize(format, p.type, p.level);
    if (cbEnt < need)
        return Fail(where, "entry size too small");
    if (cEnt * cbEnt > info)
        return Fail(where, "entries overrun the page");

    const std::size_t id = s.idSize;
    for (std::size_t i = 0; i < cEnt; ++i) {
        const std::size_t at = i * cbEnt;
        if (p.level > 0) {
            p.branches.push_back({ReadId(format, page, at), {ReadId(format, page, at + id), ReadId(format, page, at + 2 * id)}});
        } else if (p.type == PageType::BBT) {
            BbtEntry e;
            e.bref = {ReadId(format, page, at), ReadId(format, page, at + id)};
            e.cb = Read16(page, at + 2 * id);
            e.cRef = Read16(page, at + 2 * id + 2);
            p.blocks.push_back(e);
        } else {
            NbtEntry e;
            // A NID is 32 bits; the Unicode field is 8 bytes wide.
            e.nid = Read32(page, at);
            e.bidData = ReadId(format, page, at + id);
            e.bidSub = ReadId(format, page, at + 2 * id);
            e.nidParent = Read32(page, at + 3 * id);
            p.nodes.push_back(e);
        }
    }
    return p;
}

std::vector<std::uint8_t> WriteBtPage(const BtPage& p, const Bref& where)
{
    std::vector<std::uint8_t> page(kPageSize, 0);
    std::span<std::uint8_t> b(page);
    const std::size_t cbEnt = EntrySize(Format::Unicode, p.type, p.level);
    const std::size_t count = p.Count();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = i * cbEnt;
        if (p.level > 0) {
            Write64(b, at, p.branches[i].key);
            Write64(b, at + 8, p.branches[i].bref.bid);
            Write64(b, at + 16, p.branches[i].bref.ib);
        } else if (p.type == PageType::BBT) {
            const auto& e = p.blocks[i];
            Write64(b, at, e.bref.bid);
            Write64(b, at + 8, e.bref.ib);
            Write16(b, at + 16, e.cb);
            Write16(b, at + 18, e.cRef);
        } else {
            const auto& e = p.nodes[i];
            Write64(b, at, e.nid);
            Write64(b, at + 8, e.bidData);
            Write64(b, at + 16, e.bidSub);
            Write32(b, at + 24, e.nidParent);
        }
    }
    const std::size_t info = kUnicodeSizes.btEntries;
    b[info] = static_cast<std::uint8_t>(count);
    b[info + 1] = static_cast<std::uint8_t>(MaxBtEntries(Format::Unicode, p.type, p.level));
    b[info + 2] = static_cast<std::uint8_t>(cbEnt);
    b[info + 3] = p.level;
    SealPage(b, p.type, where.bid, ComputeSig(where.ib, where.bid));
    return page;
}

} // namespace mapi::ndb
