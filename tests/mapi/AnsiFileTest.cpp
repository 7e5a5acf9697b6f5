// A small ANSI (32-bit) file built byte by byte: it reads, and refuses writes.
#include "TempDir.h"
#include "mapi/NodeDatabase.h"
#include "mapi/StructureCheck.h"
#include "mapi/ndb/ByteIo.h"
#include "mapi/ndb/Crc.h"
#include "mapi/ndb/Crypt.h"
#include "mapi/ndb/Page.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace mapi;
using namespace mapi::ndb;

namespace {

constexpr std::uint64_t kNbtAt = 0x4400, kBbtAt = 0x4600, kBlockAt = 0x4800;
constexpr std::uint32_t kNbtBid = 0x10, kBbtBid = 0x11, kDataBid = 0x4;

void SealAnsiPage(std::span<std::uint8_t> page, PageType type, std::uint32_t bid, std::uint64_t ib)
{
    page[500] = page[501] = static_cast<std::uint8_t>(type);
    Write16(page, 502, ComputeSig(ib, bid));
    Write32(page, 504, bid);
    Write32(page, 508, ComputeCrc(page.first(500)));
}

std::vector<std::uint8_t> BuildAnsiFile(const Bytes& plain)
{
    std::vector<std::uint8_t> f(kBlockAt + 8192, 0);
    std::span<std::uint8_t> b(f);
    // Header.
    Write32(b, 0, kHeaderMagic);
    Write16(b, 8, kHeaderMagicClient);
    Write16(b, 10, 14);
    Write16(b, 12, 19);
    Write32(b, 24, 0x8);   // bidNextB
    Write32(b, 28, 0x12);  // bidNextP
    Write32(b, 164 + 4, static_cast<std::uint32_t>(f.size()));
    Write32(b, 164 + 8, 0x4400);
    Write32(b, 164 + 20, kNbtBid);
    Write32(b, 164 + 24, kNbtAt);
    Write32(b, 164 + 28, kBbtBid);
    Write32(b, 164 + 32, kBbtAt);
    b[164 + 36] = 0; // no valid allocation map: readers need none
    b[460] = 0x80;
    b[461] = static_cast<std::uint8_t>(CryptMethod::Permute);
    Write32(b, 4, ComputeCrc(b.subspan(8, 471)));
    // Node B-tree leaf: NID 0x21 with its data block.
    auto nbt = b.subspan(kNbtAt, 512);
    Write32(nbt, 0, 0x21);
    Write32(nbt, 4, kDataBid);
    Write32(nbt, 8, 0);
    Write32(nbt, 12, 0);
    nbt[496] = 1;
    nbt[497] = 31;
    nbt[498] = 16;
    SealAnsiPage(nbt, PageType::NBT, kNbtBid, kNbtAt);
    // Block B-tree leaf.
    auto bbt = b.subspan(kBbtAt, 512);
    Write32(bbt, 0, kDataBid);
    Write32(bbt, 4, kBlockAt);
    Write16(bbt, 8, static_cast<std::uint16_t>(plain.size()));
    Write16(bbt, 10, 2);
    bbt[496] = 1;
    bbt[497] = 41;
    bbt[498] = 12;
    SealAnsiPage(bbt, PageType::BBT, kBbtBid, kBbtAt);
    // The data block, encoded, with its 12-byte trailer.
    Bytes stored = plain;
    EncodeBlock(CryptMethod::Permute, stored, kDataBid);
    std::copy(stored.begin(), stored.end(), f.begin() + kBlockAt);
    const std::size_t t = kBlockAt + ((plain.size() + 12 + 63) & ~std::size_t{63}) - 12;
    Write16(b, t, static_cast<std::uint16_t>(plain.size()));
    Write16(b, t + 2, ComputeSig(kBlockAt, kDataBid));
    Write32(b, t + 4, kDataBid);
    Write32(b, t + 8, ComputeCrc(stored));
    return f;
}

} // namespace

TEST(AnsiFile, ReadsAndRefusesEveryWrite)
{
    mapitest::CTempDir dir;
    const auto path = dir / "ansi.pst";
    Bytes plain(300);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<std::uint8_t>(i * 3);
    const auto bytes = BuildAnsiFile(plain);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));

    auto db = CNodeDatabase::Open(path);
    ASSERT_TRUE(db.Ok()) << db.Message();
    EXPECT_EQ((*db)->GetFormat(), Format::Ansi);
    EXPECT_TRUE((*db)->IsReadOnly());
    auto node = (*db)->ReadNode(0x21);
    ASSERT_TRUE(node.Ok()) << node.Message();
    ASSERT_EQ(node->blocks.size(), 1u);
    EXPECT_EQ(node->blocks[0], plain);

    auto write = (*db)->WriteNode(0x61, 0, NodeContent{{Bytes(4)}, {}});
    ASSERT_FALSE(write.Ok());
    EXPECT_NE(write.Message().find("ANSI"), std::string::npos) << write.Message();
    EXPECT_FALSE((*db)->DeleteNode(0x21).Ok());
    EXPECT_FALSE((*db)->AllocateNid(NidType::NormalFolder).Ok());
    EXPECT_FALSE((*db)->Commit().Ok());
    ASSERT_TRUE((*db)->Close().Ok());

    auto report = CheckStructure(path);
    ASSERT_TRUE(report.Ok()) << report.Message();
    EXPECT_EQ(report->nodes, 1u);
    EXPECT_EQ(report->blocks, 1u);
}
