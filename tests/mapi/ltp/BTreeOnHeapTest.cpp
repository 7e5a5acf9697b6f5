#include <gtest/gtest.h>

#include <map>
#include <algorithm>
#include <random>

#include "mapi/ltp/BTreeOnHeap.h"
#include "mapi/ltp/LittleEndian.h"

using namespace mapi;
using namespace mapi::ltp;

namespace {

Bytes Key4(std::uint32_t k) { return CBTreeOnHeap::KeyFromU32(k, 4); }
Bytes Data4(std::uint32_t v) { Bytes b; AppendU32(b, v); return b; }

// Reloads the heap from its serialized blocks, as a reader of the file would.
CHeapOnNode Reloaded(const CHeapOnNode& heap)
{
    auto loaded = CHeapOnNode::Load(heap.Serialize());
    EXPECT_TRUE(loaded) << loaded.Message();
    return loaded.Value();
}

} // namespace

TEST(BTreeOnHeap, ReadsHandBuiltTwoLevelTree)
{
    // Header, one index node over two leaves; keys 2 bytes, data 2 bytes.
    CHeapOnNode heap;
    Hid leaf1 = heap.Allocate(Bytes{0x01, 0x00, 0xAA, 0x00, 0x05, 0x00, 0xBB, 0x00}).Value();
    Hid leaf2 = heap.Allocate(Bytes{0x00, 0x01, 0xCC, 0x00}).Value();
    Bytes index{0x01, 0x00};
    AppendU32(index, leaf1);
    AppendU16(index, 0x0100);
    AppendU32(index, leaf2);
    Hid root = heap.Allocate(index).Value();
    Bytes header{0xB5, 2, 2, 1};
    AppendU32(header, root);
    Hid h = heap.Allocate(header).Value();

    auto all = CBTreeOnHeap::Enumerate(heap, h);
    ASSERT_TRUE(all) << all.Message();
    ASSERT_EQ(all->size(), 3u);
    EXPECT_EQ(all.Value()[2].key, (Bytes{0x00, 0x01}));
    EXPECT_EQ(CBTreeOnHeap::Find(heap, h, Bytes{0x05, 0x00}).Value(), (Bytes{0xBB, 0x00}));
    EXPECT_EQ(CBTreeOnHeap::Find(heap, h, Bytes{0x00, 0x01}).Value(), (Bytes{0xCC, 0x00}));
    // Keys compare as little-endian numbers: 0x0005 < 0x0100 although byte 0 is larger.
    EXPECT_FALSE(CBTreeOnHeap::Find(heap, h, Bytes{0x06, 0x00}).Value());
    EXPECT_FALSE(CBTreeOnHeap::Find(heap, h, Bytes{0x00, 0x00}).Value());
}

TEST(BTreeOnHeap, RejectsDamagedHeadersAndNodes)
{
    CHeapOnNode heap;
    Hid wrongType = heap.Allocate(Bytes{0xB4, 2, 6, 0, 0, 0, 0, 0}).Value();
    Hid badKey = heap.Allocate(Bytes{0xB5, 3, 6, 0, 0, 0, 0, 0}).Value();
    Hid leaf = heap.Allocate(Bytes(7, 1)).Value(); // not a whole record of 2 + 6
    Bytes header{0xB5, 2, 6, 0};
    AppendU32(header, leaf);
    Hid ragged = heap.Allocate(header).Value();
    Bytes dangling{0xB5, 2, 6, 0};
    AppendU32(dangling, 0x00050020);
    Hid danglingRoot = heap.Allocate(dangling).Value();

    EXPECT_FALSE(CBTreeOnHeap::Enumerate(heap, wrongType));
    EXPECT_FALSE(CBTreeOnHeap::Enumerate(heap, badKey));
    EXPECT_FALSE(CBTreeOnHeap::Enumerate(heap, ragged));
    EXPECT_FALSE(CBTreeOnHeap::Find(heap, danglingRoot, Bytes{1, 0}));
    EXPECT_FALSE(CBTreeOnHeap::Insert(heap, ragged, Bytes{1, 0}, Bytes(6, 0)));
}

TEST(BTreeOnHeap, InsertsThousandsOfKeysInAnyOrder)
{
    CHeapOnNode heap(0x7C);
    Hid h = CBTreeOnHeap::Create(heap, 4, 4).Value();
    std::map<std::uint32_t, std::uint32_t> expected;
    std::mt19937 rng(7);
    for (int i = 0; i < 5000; ++i) {
        std::uint32_t k = rng() % 20000;
        expected[k] = static_cast<std::uint32_t>(i);
        ASSERT_TRUE(CBTreeOnHeap::Insert(heap, h, Key4(k), Data4(static_cast<std::uint32_t>(i))));
    }
    auto header = CBTreeOnHeap::ReadHeader(heap, h);
    ASSERT_TRUE(header);
    EXPECT_GE(header->levels, 1);

    CHeapOnNode again = Reloaded(heap);
    auto all = CBTreeOnHeap::Enumerate(again, h);
    ASSERT_TRUE(all) << all.Message();
    ASSERT_EQ(all->size(), expected.size());
    std::size_t i = 0;
    for (const auto& [k, v] : expected) {
        EXPECT_EQ(all.Value()[i].key, Key4(k));
        EXPECT_EQ(all.Value()[i].data, Data4(v));
        ++i;
    }
    for (std::uint32_t probe : {0u, 1u, 19999u, 12345u, 777u}) {
        auto found = CBTreeOnHeap::Find(again, h, Key4(probe));
        ASSERT_TRUE(found);
        EXPECT_EQ(found->has_value(), expected.count(probe) == 1);
    }
}

TEST(BTreeOnHeap, SequentialAppendPacksLeavesFull)
{
    CHeapOnNode heap(0x7C);
    Hid h = CBTreeOnHeap::Create(heap, 4, 4).Value();
    const std::uint32_t count = 20000; // 447 records a leaf
    for (std::uint32_t k = 1; k <= count; ++k) ASSERT_TRUE(CBTreeOnHeap::Insert(heap, h, Key4(k), Data4(k - 1)));
    EXPECT_EQ(CBTreeOnHeap::ReadHeader(heap, h).Value().levels, 1);
    // 45 leaves of up to 3576 bytes, two to a page, when every leaf but the
    // last is full; half-full leaves would need twice the pages.
    EXPECT_LE(heap.PageCount(), 24u);
    auto all = CBTreeOnHeap::Enumerate(Reloaded(heap), h).Value();
    ASSERT_EQ(all.size(), count);
    EXPECT_EQ(all.back().data, Data4(count - 1));
}

TEST(BTreeOnHeap, GrowsToTwoIndexLevels)
{
    // Wide records make small nodes: 74 records a leaf, 179 an index node.
    CHeapOnNode heap;
    Hid h = CBTreeOnHeap::Create(heap, 16, 32).Value();
    const std::uint32_t count = 14000;
    std::mt19937 rng(3);
    std::vector<std::uint32_t> keys(count);
    for (std::uint32_t i = 0; i < count; ++i) keys[i] = i * 2;
    std::shuffle(keys.begin(), keys.end(), rng);
    for (std::uint32_t k : keys) ASSERT_TRUE(CBTreeOnHeap::Insert(heap, h, CBTreeOnHeap::KeyFromU32(k, 16), Bytes(32, static_cast<std::uint8_t>(k))));
    EXPECT_EQ(CBTreeOnHeap::ReadHeader(heap, h).Value().levels, 2);
    CHeapOnNode again = Reloaded(heap);
    auto all = CBTreeOnHeap::Enumerate(again, h).Value();
    ASSERT_EQ(all.size(), count);
    for (std::uint32_t i = 0; i < count; ++i) ASSERT_EQ(all[i].key, CBTreeOnHeap::KeyFromU32(i * 2, 16));
    EXPECT_EQ(CBTreeOnHeap::Find(again, h, CBTreeOnHeap::KeyFromU32(5000, 16)).Value(), Bytes(32, static_cast<std::uint8_t>(5000)));
    EXPECT_FALSE(CBTreeOnHeap::Find(again, h, CBTreeOnHeap::KeyFromU32(5001, 16)).Value());
}

TEST(BTreeOnHeap, BuildMatchesInsertAndRemoveShrinks)
{
    std::vector<BthRecord> sorted;
    for (std::uint16_t k = 0; k < 3000; k += 3) sorted.push_back({CBTreeOnHeap::KeyFromU32(k, 2), Bytes(6, static_cast<std::uint8_t>(k))});
    CHeapOnNode heap;
    auto built = CBTreeOnHeap::Build(heap, 2, 6, sorted);
    ASSERT_TRUE(built) << built.Message();
    const auto all = CBTreeOnHeap::Enumerate(heap, built.Value()).Value();
    ASSERT_EQ(all.size(), sorted.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        ASSERT_EQ(all[i].key, sorted[i].key) << i;
        ASSERT_EQ(all[i].data, sorted[i].data) << i;
    }
    EXPECT_GT(CBTreeOnHeap::ReadHeader(heap, built.Value()).Value().levels, 0) << "the records fill several leaves";

    std::vector<BthRecord> unsorted = {sorted[1], sorted[0]};
    CHeapOnNode other;
    EXPECT_FALSE(CBTreeOnHeap::Build(other, 2, 6, unsorted));

    // Remove every other record, then all: the tree empties and the heap
    // holds only the header again.
    for (std::size_t i = 0; i < sorted.size(); i += 2)
        EXPECT_TRUE(CBTreeOnHeap::Remove(heap, built.Value(), sorted[i].key).Value());
    EXPECT_FALSE(CBTreeOnHeap::Remove(heap, built.Value(), sorted[0].key).Value());
    auto half = CBTreeOnHeap::Enumerate(heap, built.Value()).Value();
    ASSERT_EQ(half.size(), sorted.size() / 2);
    EXPECT_EQ(half[0].key, sorted[1].key);
    for (std::size_t i = 1; i < sorted.size(); i += 2)
        EXPECT_TRUE(CBTreeOnHeap::Remove(heap, built.Value(), sorted[i].key).Value());
    auto header = CBTreeOnHeap::ReadHeader(heap, built.Value()).Value();
    EXPECT_EQ(header.root, 0u);
    EXPECT_EQ(header.levels, 0);
    ASSERT_TRUE(CBTreeOnHeap::Insert(heap, built.Value(), sorted[5].key, sorted[5].data));
    EXPECT_EQ(CBTreeOnHeap::Enumerate(heap, built.Value()).Value().size(), 1u);
}

TEST(BTreeOnHeap, InsertReplacesExistingKey)
{
    CHeapOnNode heap;
    Hid h = CBTreeOnHeap::Create(heap, 2, 6).Value();
    ASSERT_TRUE(CBTreeOnHeap::Insert(heap, h, Bytes{1, 0}, Bytes(6, 1)));
    ASSERT_TRUE(CBTreeOnHeap::Insert(heap, h, Bytes{1, 0}, Bytes(6, 2)));
    auto all = CBTreeOnHeap::Enumerate(heap, h).Value();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].data, Bytes(6, 2));
    EXPECT_FALSE(CBTreeOnHeap::Insert(heap, h, Bytes{1, 0, 0}, Bytes(6, 2)));
}

// Packed records make the heap that building from records makes, byte for
// byte: in one leaf (a property context) and over several, where keys
// compare by their last byte first.
TEST(BTreeOnHeap, BuildPackedMatchesBuild)
{
    for (std::uint32_t count : {0u, 1u, 2u, 300u, 2000u}) {
        std::vector<BthRecord> records;
        Bytes packed;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t key = i * 0x0101 + 7; // both bytes of the key vary
            records.push_back({Key4(key), Data4(i ^ 0x5A5A)});
            AppendU32(packed, key);
            AppendU32(packed, i ^ 0x5A5A);
        }
        CHeapOnNode built, fromPacked;
        auto a = CBTreeOnHeap::Build(built, 4, 4, records);
        auto b = CBTreeOnHeap::BuildPacked(fromPacked, 4, 4, packed);
        ASSERT_TRUE(a.Ok() && b.Ok()) << count;
        EXPECT_EQ(a.Value(), b.Value()) << count;
        EXPECT_EQ(built.Serialize(), fromPacked.Serialize()) << count;
        auto listed = CBTreeOnHeap::Enumerate(fromPacked, b.Value());
        ASSERT_TRUE(listed.Ok());
        ASSERT_EQ(listed->size(), count);
        for (std::uint32_t i = 0; i < count; ++i)
            EXPECT_EQ((*listed)[i].key, records[i].key);
    }
}

TEST(BTreeOnHeap, BuildPackedRejectsUnsortedOrPartialRecords)
{
    CHeapOnNode heap;
    Bytes swapped; // 0x00FF before 0x0100: sorted by key, though not by the first byte in memory
    AppendU16(swapped, 0x00FF);
    AppendU16(swapped, 1);
    AppendU16(swapped, 0x0100);
    AppendU16(swapped, 2);
    EXPECT_TRUE(CBTreeOnHeap::BuildPacked(heap, 2, 2, swapped).Ok());
    Bytes unsorted;
    AppendU16(unsorted, 0x0100);
    AppendU16(unsorted, 1);
    AppendU16(unsorted, 0x00FF);
    AppendU16(unsorted, 2);
    EXPECT_FALSE(CBTreeOnHeap::BuildPacked(heap, 2, 2, unsorted).Ok());
    Bytes twice;
    AppendU16(twice, 5);
    AppendU16(twice, 1);
    AppendU16(twice, 5);
    AppendU16(twice, 2);
    EXPECT_FALSE(CBTreeOnHeap::BuildPacked(heap, 2, 2, twice).Ok());
    EXPECT_FALSE(CBTreeOnHeap::BuildPacked(heap, 2, 2, Bytes(7, 0)).Ok());
}
