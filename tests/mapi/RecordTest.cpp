// The header and the page records, each from bytes and through its writer.
#include "mapi/ndb/ByteIo.h"
#include "mapi/ndb/Crc.h"
#include "mapi/ndb/Header.h"
#include "mapi/ndb/Page.h"

#include <gtest/gtest.h>

using namespace mapi::ndb;

namespace {

Header SampleHeader()
{
    Header h;
    h.bidNextB = 0x12F0;
    h.bidNextP = 0xC0B;
    h.dwUnique = 0x16D;
    for (std::size_t i = 0; i < 32; ++i)
        h.rgnid[i] = 0x400 + static_cast<std::uint32_t>(i);
    h.root.ibFileEof = 0x42400;
    h.root.ibAMapLast = 0x4400;
    h.root.cbAMapFree = 0x23B80;
    h.root.cbPMapFree = 0x3200;
    h.root.nbt = {0xC07, 0x17C00};
    h.root.bbt = {0xC0A, 0xAC00};
    h.rgbFM.fill(0xFF);
    h.rgbFP.fill(0xFF);
    h.bCryptMethod = CryptMethod::Cyclic;
    return h;
}

} // namespace

TEST(HeaderRecord, RoundTripsWithFieldsAtTheirOffsets)
{
    const Header h = SampleHeader();
    const auto bytes = WriteHeader(h);
    ASSERT_EQ(bytes.size(), kHeaderSize);
    std::span<const std::uint8_t> b(bytes);
    EXPECT_EQ(Read32(b, 0), 0x4E444221u);
    EXPECT_EQ(Read16(b, 10), 23);
    EXPECT_EQ(Read64(b, 32), 0xC0Bu);         // bidNextP
    EXPECT_EQ(Read64(b, 180 + 4), 0x42400u);  // root.ibFileEof
    EXPECT_EQ(Read64(b, 180 + 36), 0xC07u);   // root.BREFNBT.bid
    EXPECT_EQ(Read64(b, 180 + 60), 0xAC00u);  // root.BREFBBT.ib
    EXPECT_EQ(b[180 + 68], kAMapValid2);
    EXPECT_EQ(b[512], 0x80);                  // bSentinel
    EXPECT_EQ(b[513], 0x02);                  // bCryptMethod
    EXPECT_EQ(Read64(b, 516), 0x12F0u);       // bidNextB
    EXPECT_EQ(Read32(b, 4), ComputeCrc(b.subspan(8, 471)));
    EXPECT_EQ(Read32(b, 524), ComputeCrc(b.subspan(8, 516)));

    auto parsed = ParseHeader(bytes);
    ASSERT_TRUE(parsed.Ok()) << parsed.Message();
    EXPECT_EQ(*parsed, h);
}

TEST(HeaderRecord, EachCrcGuardsItsRange)
{
    auto bytes = WriteHeader(SampleHeader());
    auto partial = bytes;
    partial[100] ^= 1; // inside both ranges
    auto r = ParseHeader(partial);
    ASSERT_FALSE(r.Ok());
    EXPECT_NE(r.Message().find("dwCRCPartial"), std::string::npos);

    auto full = bytes;
    full[516] ^= 1; // bidNextB: only dwCRCFull covers it
    r = ParseHeader(full);
    ASSERT_FALSE(r.Ok());
    EXPECT_NE(r.Message().find("dwCRCFull"), std::string::npos);

    auto tail = bytes;
    tail[560] ^= 1; // past both ranges: reserved bytes
    EXPECT_TRUE(ParseHeader(tail).Ok());
}

TEST(HeaderRecord, RejectsWhatIsNotAUsableHeader)
{
    auto bytes = WriteHeader(SampleHeader());
    EXPECT_FALSE(ParseHeader(std::span<const std::uint8_t>(bytes).first(300)).Ok());
    EXPECT_FALSE(ParseHeader(std::span<const std::uint8_t>(bytes).first(530)).Ok()) << "Unicode needs 564 bytes";
    auto magic = bytes;
    magic[0] = 'X';
    EXPECT_FALSE(ParseHeader(magic).Ok());

    auto withVersion = [&](std::uint16_t version) {
        auto v = bytes;
        Write16(v, 10, version);
        Write32(v, 4, ComputeCrc(std::span<const std::uint8_t>(v).subspan(8, 471)));
        Write32(v, 524, ComputeCrc(std::span<const std::uint8_t>(v).subspan(8, 516)));
        return v;
    };
    EXPECT_FALSE(ParseHeader(withVersion(36)).Ok()) << "4K-page files are another format";
    EXPECT_FALSE(ParseHeader(withVersion(10)).Ok());
    EXPECT_TRUE(ParseHeader(withVersion(24)).Ok());

    auto crypt = bytes;
    crypt[513] = 7;
    Write32(crypt, 4, ComputeCrc(std::span<const std::uint8_t>(crypt).subspan(8, 471)));
    Write32(crypt, 524, ComputeCrc(std::span<const std::uint8_t>(crypt).subspan(8, 516)));
    EXPECT_FALSE(ParseHeader(crypt).Ok());
}

TEST(HeaderRecord, AnsiFieldsAreReadAtTheirOwnOffsets)
{
    std::vector<std::uint8_t> b(512, 0);
    Write32(b, 0, kHeaderMagic);
    Write16(b, 8, kHeaderMagicClient);
    Write16(b, 10, 14);
    Write32(b, 24, 0x3D650);     // bidNextB
    Write32(b, 28, 0x21EBD);     // bidNextP
    Write32(b, 36 + 4 * 2, 0x411); // rgnid[NormalFolder]
    Write32(b, 164 + 4, 0x270400); // ibFileEof
    Write32(b, 164 + 8, 0x232400); // ibAMapLast
    Write32(b, 164 + 20, 0x21EBC); // BREFNBT.bid
    Write32(b, 164 + 24, 0xC7E00); // BREFNBT.ib
    Write32(b, 164 + 28, 0x21EB4); // BREFBBT.bid
    Write32(b, 164 + 32, 0x5400);  // BREFBBT.ib
    b[164 + 36] = 1;
    b[460] = 0x80;
    b[461] = 1;
    Write32(b, 4, ComputeCrc(std::span<const std::uint8_t>(b).subspan(8, 471)));

    auto h = ParseHeader(b);
    ASSERT_TRUE(h.Ok()) << h.Message();
    EXPECT_EQ(h->format, Format::Ansi);
    EXPECT_EQ(h->bidNextB, 0x3D650u);
    EXPECT_EQ(h->bidNextP, 0x21EBDu);
    EXPECT_EQ(h->rgnid[2], 0x411u);
    EXPECT_EQ(h->root.ibFileEof, 0x270400u);
    EXPECT_EQ(h->root.ibAMapLast, 0x232400u);
    EXPECT_EQ(h->root.nbt, (Bref{0x21EBC, 0xC7E00}));
    EXPECT_EQ(h->root.bbt, (Bref{0x21EB4, 0x5400}));
    EXPECT_EQ(h->bCryptMethod, CryptMethod::Permute);
}

TEST(PageRecord, SignatureAndTrailerRoundTrip)
{
    // The density list page of an Outlook-written file: ib 0x4200, bid 0xC0B.
    EXPECT_EQ(ComputeSig(0x4200, 0xC0B), 0x4E0B);
    EXPECT_EQ(ComputeSig(0x12345678, 0x12345678), 0);
    EXPECT_EQ(ComputeSig(0x10000, 0), 0x0001) << "the high half folds onto the low half";

    std::vector<std::uint8_t> page(kPageSize, 0);
    for (std::size_t i = 0; i < 496; ++i)
        page[i] = static_cast<std::uint8_t>(i * 7);
    SealPage(page, PageType::NBT, 0x1234, 0xBEEF);
    EXPECT_EQ(page[496], 0x81);
    EXPECT_EQ(page[497], 0x81);
    auto t = ParsePageTrailer(Format::Unicode, page);
    ASSERT_TRUE(t.Ok()) << t.Message();
    EXPECT_EQ(t->ptype, PageType::NBT);
    EXPECT_EQ(t->wSig, 0xBEEF);
    EXPECT_EQ(t->bid, 0x1234u);
    EXPECT_EQ(t->dwCrc, ComputeCrc(std::span<const std::uint8_t>(page).first(496)));

    auto flipped = page;
    flipped[10] ^= 0x40;
    EXPECT_FALSE(ParsePageTrailer(Format::Unicode, flipped).Ok());
    auto repeat = page;
    repeat[497] = 0x80;
    EXPECT_FALSE(ParsePageTrailer(Format::Unicode, repeat).Ok());
    EXPECT_FALSE(ParsePageTrailer(Format::Unicode, std::span<const std::uint8_t>(page).first(511)).Ok());
}

TEST(PageRecord, AnsiTrailerHasBidBeforeCrc)
{
    std::vector<std::uint8_t> page(kPageSize, 0x33);
    const std::size_t at = 500;
    page[at] = page[at + 1] = 0x84;
    Write16(page, at + 2, 0);
    Write32(page, at + 4, 0x4400);
    Write32(page, at + 8, ComputeCrc(std::span<const std::uint8_t>(page).first(at)));
    auto t = ParsePageTrailer(Format::Ansi, page);
    ASSERT_TRUE(t.Ok()) << t.Message();
    EXPECT_EQ(t->bid, 0x4400u);
    auto bits = ParseMapPage(Format::Ansi, page, PageType::AMap, 0x4400);
    ASSERT_TRUE(bits.Ok());
    EXPECT_EQ(bits->size(), 500u);
}

TEST(PageRecord, MapPagesRoundTripAndKeepTheirType)
{
    std::vector<std::uint8_t> bits(496);
    for (std::size_t i = 0; i < bits.size(); ++i)
        bits[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    for (auto type : {PageType::AMap, PageType::PMap, PageType::FMap, PageType::FPMap}) {
        const auto page = WriteMapPage(type, bits, 0x4400 + 512);
        auto t = ParsePageTrailer(Format::Unicode, page);
        ASSERT_TRUE(t.Ok());
        EXPECT_EQ(t->wSig, 0) << "map pages carry no signature";
        EXPECT_EQ(t->bid, 0x4600u) << "a map page's BID is its offset";
        auto parsed = ParseMapPage(Format::Unicode, page, type, 0x4600);
        ASSERT_TRUE(parsed.Ok());
        EXPECT_EQ(*parsed, bits);
        EXPECT_FALSE(ParseMapPage(Format::Unicode, page, type == PageType::AMap ? PageType::PMap : PageType::AMap,
                                  0x4600)
                         .Ok());
    }
}

TEST(PageRecord, DensityListPacksPageNumberAndFreeSlots)
{
    DListPage d;
    d.flags = 1;
    d.currentPage = 3;
    d.entries = {{0, 0}, {0xFFFFF, 0xFFF}, {5, 0x123}};
    const auto page = WriteDListPage(d, 0x4200, 0xC0B);
    EXPECT_EQ(Read32(page, 8 + 4), 0xFFFFFFFFu);
    EXPECT_EQ(Read32(page, 8 + 8), (0x123u << 20) | 5u);
    EXPECT_EQ(Read16(page, 498), 0x4E0B) << "the density list is signed like a B-tree page";
    auto parsed = ParseDListPage(page);
    ASSERT_TRUE(parsed.Ok()) << parsed.Message();
    EXPECT_EQ(*parsed, d);

    auto tooMany = page;
    tooMany[1] = 200;
    SealPage(tooMany, PageType::DList, 0xC0B, 0x4E0B);
    EXPECT_FALSE(ParseDListPage(tooMany).Ok());
}
