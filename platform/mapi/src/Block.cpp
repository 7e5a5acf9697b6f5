#include "mapi/ndb/Block.h"

#include "mapi/ndb/ByteIo.h"
#include "mapi/ndb/Crc.h"
#include "mapi/ndb/Page.h"

#include <string>

namespace mapi::ndb {

namespace {

std::uint64_t ReadId(Format f, std::span<const std::uint8_t> b, std::size_t at)
{
    return f == Format::Unicode ? Read64(b, at) : Read32(b, at);
}

} // namespace

std::size_t BlockDiskSize(Format format, std::size_t cb)
{
    return (cb + SizesOf(format).blockTrailer + 63) & ~std::size_t{63};
}

std::vector<std::uint8_t> WriteBlock(std::span<const std::uint8_t> data, std::uint64_t bid, std::uint64_t ib)
{
    std::vector<std::uint8_t> out(BlockDiskSize(Format::Unicode, data.size()), 0);
    std::copy(data.begin(), data.end(), out.begin());
    SealBlock(out, data.size(), bid, ib);
    return out;
}

void SealBlock(std::span<std::uint8_t> b, std::size_t cb, std::uint64_t bid, std::uint64_t ib)
{
    const std::size_t at = b.size() - kUnicodeSizes.blockTrailer;
    std::fill(b.begin() + static_cast<std::ptrdiff_t>(cb), b.begin() + static_cast<std::ptrdiff_t>(at), 0);
    Write16(b, at, static_cast<std::uint16_t>(cb));
    Write16(b, at + 2, ComputeSig(ib, bid));
    Write32(b, at + 4, ComputeCrc(b.first(cb)));
    Write64(b, at + 8, bid);
}

Result<std::vector<std::uint8_t>> ParseBlock(Format format, std::span<const std::uint8_t> disk, std::uint16_t cb,
                                             std::uint64_t bid, std::uint64_t ib)
{
    const std::string where = "block " + std::to_string(bid) + " at " + std::to_string(ib) + ": ";
    if (disk.size() != BlockDiskSize(format, cb) || disk.size() > kMaxBlockSize)
        return MakeError(where + "size does not match its entry");
    const auto& s = SizesOf(format);
    const std::size_t at = disk.size() - s.blockTrailer;
    BlockTrailer t;
    t.cb = Read16(disk, at);
    t.wSig = Read16(disk, at + 2);
    if (format == Format::Unicode) {
        t.dwCrc = Read32(disk, at + 4);
        t.bid = Read64(disk, at + 8);
    } else {
        t.bid = Read32(disk, at + 4);
        t.dwCrc = Read32(disk, at + 8);
    }
    if (t.cb != cb)
        return MakeError(where + "trailer size differs from its entry");
    if ((t.bid & ~std::uint64_t{1}) != (bid & ~std::uint64_t{1}))
        return MakeError(where + "trailer BID differs from its entry");
    if (t.wSig != ComputeSig(ib, t.bid))
        return MakeError(where + "bad signature");
    if (ComputeCrc(disk.first(cb)) != t.dwCrc)
        return MakeError(where + "CRC mismatch");
    return std::vector<std::uint8_t>(disk.begin(), disk.begin() + cb);
}

std::size_t MaxXBlockEntries(Format format)
{
    const auto& s = SizesOf(format);
    return (s.MaxBlockData() - s.internalHeader) / s.idSize;
}

Result<XBlock> ParseXBlock(Format format, std::span<const std::uint8_t> data)
{
    const auto& s = SizesOf(format);
    if (data.size() < s.internalHeader)
        return MakeError("XBLOCK: too short");
    if (data[0] != kBlockTypeData || (data[1] != 1 && data[1] != 2))
        return MakeError("XBLOCK: bad type or level");
    XBlock x;
    x.level = data[1];
    const std::size_t count = Read16(data, 2);
    x.lcbTotal = Read32(data, 4);
    if (s.internalHeader + count * s.idSize > data.size())
        return MakeError("XBLOCK: entries overrun the block");
    for (std::size_t i = 0; i < count; ++i)
        x.bids.push_back(ReadId(format, data, s.internalHeader + i * s.idSize));
    return x;
}

std::vector<std::uint8_t> WriteXBlock(const XBlock& x)
{
    std::vector<std::uint8_t> out(8 + 8 * x.bids.size(), 0);
    out[0] = kBlockTypeData;
    out[1] = x.level;
    Write16(out, 2, static_cast<std::uint16_t>(x.bids.size()));
    Write32(out, 4, x.lcbTotal);
    for (std::size_t i = 0; i < x.bids.size(); ++i)
        Write64(out, 8 + 8 * i, x.bids[i]);
    return out;
}

std::size_t MaxSubnodeEntries(Format format, std::uint8_t level)
{
    const auto& s = SizesOf(format);
    const std::size_t header = format == Format::Unicode ? 8 : 4;
    return (s.MaxBlockData() - header) / (level == 0 ? s.slEntry : s.siEntry);
}

Result<SubnodeBlock> ParseSubnodeBlock(Format format, std::span<const std::uint8_t> data)
{
    const auto& s = SizesOf(format);
    const std::size_t header = format == Format::Unicode ? 8 : 4;
    if (data.size() < header)
        return MakeError("subnode block: too short");
    if (data[0] != kBlockTypeSubnode || data[1] > 1)
        return MakeError("subnode block: bad type or level");
    SubnodeBlock sb;
    sb.level = data[1];
    const std::size_t count = Read16(data, 2);
    const std::size_t entry = sb.level == 0 ? s.slEntry : s.siEntry;
    if (header + count * entry > data.size())
        return MakeError("subnode block: entries overrun the block");
    const std::size_t id = s.idSize;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = header + i * entry;
        // A subnode NID is 32 bits; the Unicode field is 8 bytes wide.
        const std::uint64_t nid = Read32(data, at);
        if (sb.level == 0)
            sb.leaves.push_back({nid, ReadId(format, data, at + id), ReadId(format, data, at + 2 * id)});
        else
            sb.branches.push_back({nid, ReadId(format, data, at + id)});
    }
    return sb;
}

std::vector<std::uint8_t> WriteSubnodeBlock(const SubnodeBlock& sb)
{
    const std::size_t count = sb.level == 0 ? sb.leaves.size() : sb.branches.size();
    const std::size_t entry = sb.level == 0 ? 24 : 16;
    std::vector<std::uint8_t> out(8 + entry * count, 0);
    out[0] = kBlockTypeSubnode;
    out[1] = sb.level;
    Write16(out, 2, static_cast<std::uint16_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 8 + entry * i;
        if (sb.level == 0) {
            Write64(out, at, sb.leaves[i].nid);
            Write64(out, at + 8, sb.leaves[i].bidData);
            Write64(out, at + 16, sb.leaves[i].bidSub);
        } else {
            Write64(out, at, sb.branches[i].nid);
            Write64(out, at + 8, sb.branches[i].bid);
        }
    }
    return out;
}

} // namespace mapi::ndb
