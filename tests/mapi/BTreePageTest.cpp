#include "mapi/ndb/BTreePage.h"
#include "mapi/ndb/ByteIo.h"
#include "mapi/ndb/Crc.h"

#include <gtest/gtest.h>

using namespace mapi::ndb;

namespace {

const Bref kWhere{0x2A, 0x8C00};

BtPage FullNbtLeaf()
{
    BtPage p;
    p.type = PageType::NBT;
    for (std::uint64_t i = 0; i < MaxBtEntries(Format::Unicode, PageType::NBT, 0); ++i)
        p.nodes.push_back({0x21 + i * 0x20, 0x100 + i * 4, i % 2 ? 0x202 + i * 4 : 0, 0x122});
    return p;
}

} // namespace

TEST(BTreePage, CapacitiesFollowEntrySizes)
{
    EXPECT_EQ(MaxBtEntries(Format::Unicode, PageType::NBT, 0), 15u);
    EXPECT_EQ(MaxBtEntries(Format::Unicode, PageType::BBT, 0), 20u);
    EXPECT_EQ(MaxBtEntries(Format::Unicode, PageType::NBT, 1), 20u);
    EXPECT_EQ(MaxBtEntries(Format::Ansi, PageType::NBT, 0), 31u);
    EXPECT_EQ(MaxBtEntries(Format::Ansi, PageType::BBT, 0), 41u);
}

TEST(BTreePage, NodeLeafRoundTripsWithItsLayout)
{
    const BtPage p = FullNbtLeaf();
    const auto bytes = WriteBtPage(p, kWhere);
    EXPECT_EQ(bytes[488], 15);  // cEnt
    EXPECT_EQ(bytes[489], 15);  // cEntMax
    EXPECT_EQ(bytes[490], 32);  // cbEnt
    EXPECT_EQ(bytes[491], 0);   // cLevel
    EXPECT_EQ(Read64(bytes, 32 + 8), 0x104u); // second entry's bidData
    EXPECT_EQ(Read32(bytes, 32 + 24), 0x122u);
    EXPECT_EQ(Read16(bytes, 498), ComputeSig(kWhere.ib, kWhere.bid));
    auto parsed = ParseBtPage(Format::Unicode, bytes, kWhere);
    ASSERT_TRUE(parsed.Ok()) << parsed.Message();
    EXPECT_EQ(*parsed, p);
}

TEST(BTreePage, BlockLeafAndIntermediateRoundTrip)
{
    BtPage leaf;
    leaf.type = PageType::BBT;
    leaf.blocks = {{{0x4, 0x4800}, 100, 2}, {{0x6, 0x4880}, 8176, 17}};
    auto parsed = ParseBtPage(Format::Unicode, WriteBtPage(leaf, kWhere), kWhere);
    ASSERT_TRUE(parsed.Ok());
    EXPECT_EQ(*parsed, leaf);
    EXPECT_EQ(parsed->blocks[1].Key(), 0x6u);

    BtPage branch;
    branch.type = PageType::BBT;
    branch.level = 2;
    branch.branches = {{0x4, {0x11, 0x5000}}, {0x4000, {0x12, 0x5200}}};
    const auto bytes = WriteBtPage(branch, kWhere);
    EXPECT_EQ(bytes[490], 24);
    EXPECT_EQ(bytes[491], 2);
    parsed = ParseBtPage(Format::Unicode, bytes, kWhere);
    ASSERT_TRUE(parsed.Ok());
    EXPECT_EQ(*parsed, branch);
}

TEST(BTreePage, RejectsPagesThatDoNotFitTheirReference)
{
    const auto bytes = WriteBtPage(FullNbtLeaf(), kWhere);
    EXPECT_FALSE(ParseBtPage(Format::Unicode, bytes, {kWhere.bid + 4, kWhere.ib}).Ok()) << "other BID";
    EXPECT_FALSE(ParseBtPage(Format::Unicode, bytes, {kWhere.bid, kWhere.ib + 512}).Ok()) << "moved page";

    auto reseal = [](std::vector<std::uint8_t> page) {
        SealPage(page, static_cast<PageType>(page[496]), kWhere.bid, ComputeSig(kWhere.ib, kWhere.bid));
        return page;
    };
    auto overrun = bytes;
    overrun[488] = 16; // 16 entries of 32 bytes do not fit in 488
    EXPECT_FALSE(ParseBtPage(Format::Unicode, reseal(overrun), kWhere).Ok());
    auto narrow = bytes;
    narrow[490] = 16; // entries smaller than an NBTENTRY
    EXPECT_FALSE(ParseBtPage(Format::Unicode, reseal(narrow), kWhere).Ok());
    auto deep = bytes;
    deep[491] = 40;
    EXPECT_FALSE(ParseBtPage(Format::Unicode, reseal(deep), kWhere).Ok());
    auto map = bytes;
    map[496] = map[497] = 0x84;
    EXPECT_FALSE(ParseBtPage(Format::Unicode, reseal(map), kWhere).Ok());
}

TEST(BTreePage, AnsiEntriesAreNarrow)
{
    std::vector<std::uint8_t> page(kPageSize, 0);
    // One NBTENTRY of 16 bytes: nid, bidData, bidSub, nidParent.
    Write32(page, 0, 0x21);
    Write32(page, 4, 0x68);
    Write32(page, 8, 0x6A);
    Write32(page, 12, 0);
    page[496] = 1;
    page[497] = 31;
    page[498] = 16;
    page[499] = 0;
    const Bref where{0x77, 0x9000};
    page[500] = page[501] = 0x81;
    Write16(page, 502, ComputeSig(where.ib, where.bid));
    Write32(page, 504, static_cast<std::uint32_t>(where.bid));
    Write32(page, 508, ComputeCrc(std::span<const std::uint8_t>(page).first(500)));
    auto parsed = ParseBtPage(Format::Ansi, page, where);
    ASSERT_TRUE(parsed.Ok()) << parsed.Message();
    ASSERT_EQ(parsed->nodes.size(), 1u);
    EXPECT_EQ(parsed->nodes[0], (NbtEntry{0x21, 0x68, 0x6A, 0}));
}
