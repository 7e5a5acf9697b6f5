#include "mapi/ndb/Block.h"
#include "mapi/ndb/ByteIo.h"
#include "mapi/ndb/Crc.h"
#include "mapi/ndb/Page.h"

#include <gtest/gtest.h>

using namespace mapi::ndb;

TEST(Block, DiskSizeRoundsDataAndTrailerUpTo64)
{
    EXPECT_EQ(BlockDiskSize(Format::Unicode, 0), 64u);
    EXPECT_EQ(BlockDiskSize(Format::Unicode, 48), 64u);
    EXPECT_EQ(BlockDiskSize(Format::Unicode, 49), 128u);
    EXPECT_EQ(BlockDiskSize(Format::Unicode, 8176), 8192u);
    EXPECT_EQ(BlockDiskSize(Format::Ansi, 52), 64u);
    EXPECT_EQ(BlockDiskSize(Format::Ansi, 53), 128u);
}

TEST(Block, DataBlocksRoundTripWithTheirTrailer)
{
    for (std::size_t size : {0u, 1u, 48u, 49u, 1000u, 8176u}) {
        std::vector<std::uint8_t> data(size);
        for (std::size_t i = 0; i < size; ++i)
            data[i] = static_cast<std::uint8_t>(i * 13 + size);
        const std::uint64_t bid = 0x1234, ib = 0x4A40;
        const auto disk = WriteBlock(data, bid, ib);
        ASSERT_EQ(disk.size(), BlockDiskSize(Format::Unicode, size));
        const std::size_t t = disk.size() - 16;
        EXPECT_EQ(Read16(disk, t), size);
        EXPECT_EQ(Read16(disk, t + 2), ComputeSig(ib, bid));
        EXPECT_EQ(Read32(disk, t + 4), ComputeCrc(data));
        EXPECT_EQ(Read64(disk, t + 8), bid);
        auto parsed = ParseBlock(Format::Unicode, disk, static_cast<std::uint16_t>(size), bid, ib);
        ASSERT_TRUE(parsed.Ok()) << parsed.Message();
        EXPECT_EQ(*parsed, data);
    }
}

TEST(Block, ParseRejectsABlockThatIsNotTheOneReferenced)
{
    std::vector<std::uint8_t> data(100, 0x42);
    const auto disk = WriteBlock(data, 0x40, 0x5000);
    EXPECT_FALSE(ParseBlock(Format::Unicode, disk, 101, 0x40, 0x5000).Ok()) << "size from the B-tree differs";
    EXPECT_FALSE(ParseBlock(Format::Unicode, disk, 100, 0x44, 0x5000).Ok()) << "other BID";
    EXPECT_FALSE(ParseBlock(Format::Unicode, disk, 100, 0x40, 0x5040).Ok()) << "signature of another place";
    auto flipped = disk;
    flipped[7] ^= 1;
    auto r = ParseBlock(Format::Unicode, flipped, 100, 0x40, 0x5000);
    ASSERT_FALSE(r.Ok());
    EXPECT_NE(r.Message().find("CRC"), std::string::npos);
    EXPECT_FALSE(ParseBlock(Format::Unicode, std::span<const std::uint8_t>(disk).first(64), 100, 0x40, 0x5000).Ok());
}

TEST(Block, XBlockAndXXBlockRoundTrip)
{
    EXPECT_EQ(MaxXBlockEntries(Format::Unicode), 1021u);
    EXPECT_EQ(MaxXBlockEntries(Format::Ansi), 2043u);
    XBlock x;
    x.level = 2;
    x.lcbTotal = 8176u * 1021u + 5;
    x.bids = {0x6, 0xA, 0xE};
    const auto bytes = WriteXBlock(x);
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[1], 2);
    EXPECT_EQ(Read16(bytes, 2), 3);
    EXPECT_EQ(Read32(bytes, 4), x.lcbTotal);
    auto parsed = ParseXBlock(Format::Unicode, bytes);
    ASSERT_TRUE(parsed.Ok());
    EXPECT_EQ(*parsed, x);

    auto overrun = bytes;
    Write16(overrun, 2, 4);
    EXPECT_FALSE(ParseXBlock(Format::Unicode, overrun).Ok());
    auto level = bytes;
    level[1] = 3;
    EXPECT_FALSE(ParseXBlock(Format::Unicode, level).Ok());
    auto type = bytes;
    type[0] = 0x02;
    EXPECT_FALSE(ParseXBlock(Format::Unicode, type).Ok());
}

TEST(Block, SubnodeBlocksRoundTrip)
{
    EXPECT_EQ(MaxSubnodeEntries(Format::Unicode, 0), 340u);
    EXPECT_EQ(MaxSubnodeEntries(Format::Unicode, 1), 510u);
    SubnodeBlock sl;
    sl.leaves = {{0x1F, 0x8, 0}, {0x3F, 0xC, 0x12}};
    auto bytes = WriteSubnodeBlock(sl);
    ASSERT_EQ(bytes.size(), 8u + 2 * 24);
    EXPECT_EQ(bytes[0], 0x02);
    EXPECT_EQ(Read64(bytes, 8 + 24 + 16), 0x12u);
    auto parsed = ParseSubnodeBlock(Format::Unicode, bytes);
    ASSERT_TRUE(parsed.Ok());
    EXPECT_EQ(*parsed, sl);

    SubnodeBlock si;
    si.level = 1;
    si.branches = {{0x1F, 0x16}, {0x801F, 0x1A}};
    bytes = WriteSubnodeBlock(si);
    ASSERT_EQ(bytes.size(), 8u + 2 * 16);
    parsed = ParseSubnodeBlock(Format::Unicode, bytes);
    ASSERT_TRUE(parsed.Ok());
    EXPECT_EQ(*parsed, si);

    bytes.pop_back();
    EXPECT_FALSE(ParseSubnodeBlock(Format::Unicode, bytes).Ok());
    // ANSI: no padding after the count, 12-byte leaves.
    std::vector<std::uint8_t> ansi(4 + 12, 0);
    ansi[0] = 0x02;
    Write16(ansi, 2, 1);
    Write32(ansi, 4, 0x1F);
    Write32(ansi, 8, 0x20);
    Write32(ansi, 12, 0x24);
    parsed = ParseSubnodeBlock(Format::Ansi, ansi);
    ASSERT_TRUE(parsed.Ok()) << parsed.Message();
    EXPECT_EQ(parsed->leaves[0], (SlEntry{0x1F, 0x20, 0x24}));
}
