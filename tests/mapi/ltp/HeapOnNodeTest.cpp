#include <gtest/gtest.h>

#include "mapi/ltp/HeapOnNode.h"
#include "mapi/ltp/LittleEndian.h"

using namespace mapi;
using namespace mapi::ltp;
using mapi::ltp::heap::HidPage;

namespace {

Bytes Filled(std::size_t size, std::uint8_t seed)
{
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7);
    return b;
}

// A one-page heap written by hand: a PC heap with two items, the second of
// which is the user root.
Bytes HandBuiltPage()
{
    Bytes page(12, 0);
    page[2] = 0xEC;
    page[3] = 0xBC;
    WriteU32(&page[4], 0x40); // hidUserRoot: page 0, index 2
    for (std::uint8_t b : {1, 2, 3}) page.push_back(b);
    for (std::uint8_t b : {0xB5, 2, 6, 0, 0, 0, 0, 0}) page.push_back(b);
    page.push_back(0); // alignment of the page map
    const std::uint16_t ibHnpm = static_cast<std::uint16_t>(page.size());
    WriteU16(&page[0], ibHnpm);
    AppendU16(page, 2);  // cAlloc
    AppendU16(page, 0);  // cFree
    AppendU16(page, 12);
    AppendU16(page, 15);
    AppendU16(page, 23);
    return page;
}

} // namespace

TEST(HeapOnNode, ReadsHandBuiltPage)
{
    auto heap = CHeapOnNode::Load({HandBuiltPage()});
    ASSERT_TRUE(heap) << heap.Message();
    EXPECT_EQ(heap->ClientSig(), 0xBC);
    EXPECT_EQ(heap->UserRoot(), 0x40u);
    EXPECT_EQ(heap->Read(0x20).Value(), (Bytes{1, 2, 3}));
    EXPECT_EQ(heap->Read(0x40).Value().size(), 8u);
    EXPECT_FALSE(heap->Read(0x60));      // index 3 does not exist
    EXPECT_FALSE(heap->Read(0x10020));   // page 1 does not exist
    EXPECT_FALSE(heap->Read(0x21));      // not a HID (an NID type)
    // Written back byte for byte (the page is nearly empty: fill level 0).
    EXPECT_EQ(heap->Serialize().at(0), HandBuiltPage());
}

TEST(HeapOnNode, RejectsDamagedPages)
{
    Bytes bad = HandBuiltPage();
    bad[2] = 0xED;
    EXPECT_FALSE(CHeapOnNode::Load({bad}));

    bad = HandBuiltPage();
    WriteU16(&bad[0], static_cast<std::uint16_t>(bad.size())); // page map past the end
    EXPECT_FALSE(CHeapOnNode::Load({bad}));

    bad = HandBuiltPage();
    WriteU16(&bad[ReadU16(&bad[0])], 500); // cAlloc overruns the block
    EXPECT_FALSE(CHeapOnNode::Load({bad}));

    bad = HandBuiltPage();
    const std::size_t map = ReadU16(&bad[0]);
    WriteU16(&bad[map + 6], 30); // item 1 ends inside the page map
    EXPECT_FALSE(CHeapOnNode::Load({bad}));

    EXPECT_FALSE(CHeapOnNode::Load({}));
    EXPECT_FALSE(CHeapOnNode::Load({Bytes(5, 0)}));
}

TEST(HeapOnNode, AllocatesAcrossPagesAndRoundTrips)
{
    CHeapOnNode heap(0x7C);
    std::vector<std::pair<Hid, Bytes>> items;
    for (int i = 0; i < 60; ++i) {
        Bytes data = Filled(100 + (i * 97) % 3400, static_cast<std::uint8_t>(i));
        auto hid = heap.Allocate(data);
        ASSERT_TRUE(hid) << hid.Message();
        items.emplace_back(hid.Value(), data);
    }
    EXPECT_GT(heap.PageCount(), 10u); // crosses the bitmap page 8
    heap.SetUserRoot(items[5].first);

    auto blocks = heap.Serialize();
    ASSERT_EQ(blocks.size(), heap.PageCount());
    for (const auto& block : blocks) EXPECT_LE(block.size(), 8176u);
    EXPECT_EQ(ReadU16(&blocks[8][0]) >= 66, true); // HNBITMAPHDR on page 8

    auto loaded = CHeapOnNode::Load(blocks);
    ASSERT_TRUE(loaded) << loaded.Message();
    EXPECT_EQ(loaded->ClientSig(), 0x7C);
    EXPECT_EQ(loaded->UserRoot(), items[5].first);
    for (const auto& [hid, data] : items) EXPECT_EQ(loaded->Read(hid).Value(), data);
    EXPECT_EQ(loaded->Serialize(), blocks);
}

TEST(HeapOnNode, FillLevelsDescribeFreeSpace)
{
    CHeapOnNode heap;
    ASSERT_TRUE(heap.Allocate(Filled(3000, 1)));
    ASSERT_TRUE(heap.Allocate(Filled(3000, 2)));
    ASSERT_TRUE(heap.Allocate(Filled(3000, 3))); // second page
    auto blocks = heap.Serialize();
    ASSERT_EQ(blocks.size(), 2u);
    // Page 0 has about 2150 bytes free (level 2), page 1 about 5170 (level 0).
    EXPECT_EQ(blocks[0][8] & 0x0F, 2);
    EXPECT_EQ(blocks[0][8] >> 4, 0);
}

TEST(HeapOnNode, FreeAndReallocateKeepOrMoveItems)
{
    CHeapOnNode heap;
    Hid a = heap.Allocate(Filled(10, 1)).Value();
    Hid b = heap.Allocate(Filled(20, 2)).Value();
    Hid c = heap.Allocate(Filled(30, 3)).Value();
    ASSERT_TRUE(heap.Free(b));
    EXPECT_FALSE(heap.Contains(b));
    EXPECT_FALSE(heap.Free(b)); // twice is an error, not a corruption
    // The freed slot is reused, so the HID comes back.
    Hid d = heap.Allocate(Filled(5, 4)).Value();
    EXPECT_EQ(d, b);

    // Growing within the page keeps the HID.
    Hid grown = heap.Reallocate(a, Filled(1000, 9)).Value();
    EXPECT_EQ(grown, a);
    // Growing past the page moves the item; the others stay readable.
    ASSERT_TRUE(heap.Allocate(Filled(3500, 5)));
    ASSERT_TRUE(heap.Allocate(Filled(3000, 6)));
    Hid moved = heap.Reallocate(c, Filled(3580, 7)).Value();
    EXPECT_NE(moved, c);
    EXPECT_FALSE(heap.Contains(c));

    auto loaded = CHeapOnNode::Load(heap.Serialize());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->Read(a).Value(), Filled(1000, 9));
    EXPECT_EQ(loaded->Read(d).Value(), Filled(5, 4));
    EXPECT_EQ(loaded->Read(moved).Value(), Filled(3580, 7));
    EXPECT_FALSE(loaded->Contains(c));
}

TEST(HeapOnNode, RejectsOversizeAndEmptyItems)
{
    CHeapOnNode heap;
    EXPECT_FALSE(heap.Allocate(Bytes(3581, 1)));
    EXPECT_FALSE(heap.Allocate(Bytes{}));
    Hid a = heap.Allocate(Bytes(4, 1)).Value();
    EXPECT_FALSE(heap.Reallocate(a, Bytes(4000, 1)));
    EXPECT_EQ(heap.Read(a).Value(), Bytes(4, 1));
}

TEST(HeapOnNode, TracksChangedPagesAndTheBitmapOnlyWhenAFillLevelChanges)
{
    CHeapOnNode heap;
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(heap.Allocate(Filled(3000, 1)));
    const std::size_t page = heap.PageCount() - 1;
    ASSERT_GT(page, 0u);
    auto changedCount = [&] {
        std::size_t count = 0;
        for (bool c : heap.ChangedPages()) count += c;
        return count;
    };
    // Small items that leave the page's fill level: only the page changes.
    // Once the level changes, page 0, which holds it, changes too.
    const std::uint8_t level = heap::FillLevel(heap.FreeBytes(page));
    bool levelChanged = false;
    while (!levelChanged) {
        heap.ClearChanged();
        auto item = heap.Allocate(Filled(40, 2));
        ASSERT_TRUE(item);
        ASSERT_EQ(HidPage(item.Value()), page);
        levelChanged = heap::FillLevel(heap.FreeBytes(page)) != level;
        EXPECT_TRUE(heap.ChangedPages()[page]);
        EXPECT_EQ(heap.ChangedPages()[0], levelChanged);
        EXPECT_EQ(changedCount(), levelChanged ? 2u : 1u);
    }
    // What a reader finds in page 0 is the level the page has.
    auto reloaded = CHeapOnNode::Load(heap.Serialize());
    ASSERT_TRUE(reloaded);
    EXPECT_EQ(heap.SerializePage(0), reloaded->SerializePage(0));
}

// A page that holds the fill levels of later ones (0, 8, 136, ...) is
// rewritten whenever the newest page's level drops; an appending heap puts
// little in it (one item, or 3 KB in page 0), so those rewrites are small.
TEST(HeapOnNode, AnAppendingHeapLeavesItsBitmapPagesNearlyEmpty)
{
    CHeapOnNode heap(heap::kClientTableContext);
    heap.SetAppending(true);
    std::vector<std::pair<Hid, Bytes>> items;
    for (int i = 0; heap.PageCount() < 140; ++i) {
        Bytes data = Filled(100 + static_cast<std::size_t>(i % 90), static_cast<std::uint8_t>(i));
        items.emplace_back(heap.Allocate(data).Value(), data);
    }
    const auto blocks = heap.Serialize();
    for (std::size_t page : {std::size_t{8}, std::size_t{136}}) {
        EXPECT_LT(blocks[page].size(), 300u) << "page " << page;
        std::size_t inPage = 0;
        for (const auto& [hid, data] : items) inPage += HidPage(hid) == page;
        EXPECT_EQ(inPage, 1u) << "page " << page;
    }
    // Page 0, which holds the levels of pages 1 to 7, stops at 3 KB.
    EXPECT_LT(blocks[0].size(), 3 * 1024 + 300);
    // The pages around them are filled as before.
    for (std::size_t page : {std::size_t{1}, std::size_t{7}, std::size_t{9}, std::size_t{135}, std::size_t{137}})
        EXPECT_GT(blocks[page].size(), heap::kMaxBlockSize - 400) << "page " << page;

    // The newest page's level lands in page 136, which is as small as before.
    heap.ClearChanged();
    const std::size_t newest = heap.PageCount() - 1;
    const std::uint8_t level = heap::FillLevel(heap.FreeBytes(newest));
    while (heap::FillLevel(heap.FreeBytes(newest)) == level) ASSERT_TRUE(heap.Allocate(Filled(60, 3)));
    EXPECT_TRUE(heap.ChangedPages()[136]);
    EXPECT_LT(heap.SerializePage(136).size(), 300u);

    auto loaded = CHeapOnNode::Load(heap.Serialize());
    ASSERT_TRUE(loaded);
    for (const auto& [hid, data] : items) EXPECT_EQ(loaded->Read(hid).Value(), data);
    EXPECT_EQ(loaded->Serialize(), heap.Serialize());
}

// A heap that is not appending (a property context) fills its bitmap page
// like any other.
TEST(HeapOnNode, AHeapThatIsNotAppendingFillsItsBitmapPage)
{
    CHeapOnNode heap;
    while (heap.PageCount() < 10) ASSERT_TRUE(heap.Allocate(Filled(2000, 4)));
    EXPECT_GT(heap.SerializePage(8).size(), heap::kMaxBlockSize / 2);
}

// A view shows the item where the heap keeps it, reading a dropped page back
// as Read does, and fails where Read fails: a freed item, a page whose
// source fails.
TEST(HeapOnNode, AViewIsTheItemInPlaceAndFailsAsAReadDoes)
{
    CHeapOnNode built;
    std::vector<Hid> hids;
    for (std::uint8_t i = 0; i < 24; ++i) hids.push_back(built.Allocate(Filled(3000, i)).Value());
    ASSERT_TRUE(built.Free(hids[5]));
    const auto pages = built.Serialize();
    ASSERT_GT(pages.size(), 8u);

    bool failing = false;
    int reads = 0;
    auto heap = CHeapOnNode::LoadLazily(pages.size(), [&](std::size_t page) -> Result<Bytes> {
        ++reads;
        if (failing) return MakeError("unreadable");
        return pages[page];
    });
    ASSERT_TRUE(heap);
    heap->EvictCleanPages();
    const int before = reads;
    auto first = heap->View(hids[0]);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first.Value(), Filled(3000, 0));
    EXPECT_GT(reads, before); // its page came back from the source
    EXPECT_EQ(heap->View(hids[0]).Value(), first.Value()); // the same bytes, not a copy
    EXPECT_FALSE(heap->View(hids[5]));
    EXPECT_FALSE(heap->View(0));

    heap->EvictCleanPages();
    failing = true;
    EXPECT_FALSE(heap->View(hids[1]));
    EXPECT_FALSE(heap->Read(hids[1]));
}
