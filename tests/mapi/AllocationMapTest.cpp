#include "AllocationMap.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include <set>

using namespace mapi::ndb;

TEST(AllocationMap, NewMapHoldsItselfAndItsPMap)
{
    CAllocationMap map;
    map.InitEmpty();
    EXPECT_EQ(map.PageCount(), 1u);
    EXPECT_TRUE(map.IsAllocated(0x4400, 1024)) << "AMap and PMap";
    EXPECT_FALSE(map.IsAllocated(0x4800, 64));
    EXPECT_EQ(map.FileEnd(), 0x4400u + 253952u);
    EXPECT_EQ(map.FreeBytes(), 253952u - 1024u);
    EXPECT_FALSE(map.IsAllocated(0x4200, 64)) << "nothing before the first AMap is mapped";
}

TEST(AllocationMap, AllocationsAreAlignedAndNeverOverlap)
{
    CAllocationMap map;
    map.InitEmpty();
    std::vector<std::pair<std::uint64_t, std::size_t>> got;
    for (int i = 0; i < 300; ++i) {
        const bool page = i % 3 == 0;
        const std::size_t size = page ? 512 : 64 * (1 + i % 128);
        auto ib = map.Allocate(size, page ? 512 : 64);
        ASSERT_TRUE(ib.Ok()) << ib.Message();
        EXPECT_EQ(*ib % (page ? 512 : 64), 0u);
        // A block never straddles two AMap ranges.
        EXPECT_EQ((*ib - 0x4400) / 253952, (*ib + size - 1 - 0x4400) / 253952);
        got.emplace_back(*ib, size);
    }
    std::sort(got.begin(), got.end());
    for (std::size_t i = 1; i < got.size(); ++i)
        EXPECT_LE(got[i - 1].first + got[i - 1].second, got[i].first);
    EXPECT_GT(map.PageCount(), 1u) << "300 allocations of up to 8 KB need more than one AMap range";
}

TEST(AllocationMap, FreedSpaceIsReused)
{
    CAllocationMap map;
    map.InitEmpty();
    auto a = map.Allocate(8192, 64);
    auto b = map.Allocate(8192, 64);
    ASSERT_TRUE(a.Ok() && b.Ok());
    const auto before = map.FreeBytes();
    map.Free(*a, 8192);
    EXPECT_EQ(map.FreeBytes(), before + 8192);
    EXPECT_FALSE(map.IsAllocated(*a, 64));
    auto c = map.Allocate(4096, 64);
    ASSERT_TRUE(c.Ok());
    EXPECT_EQ(*c, *a);
}

TEST(AllocationMap, GrowthPlacesPMapEveryEighthAndFMapFrom128)
{
    CAllocationMap map;
    map.InitEmpty();
    while (map.PageCount() < 130)
        ASSERT_TRUE(map.Allocate(8192, 64).Ok());
    EXPECT_EQ(map.CompanionPages(1).size(), 0u);
    ASSERT_EQ(map.CompanionPages(8).size(), 1u);
    EXPECT_EQ(map.CompanionPages(8)[0], map.PageOffset(8) + 512);
    ASSERT_EQ(map.CompanionPages(128).size(), 2u) << "PMap and FMap";
    EXPECT_EQ(map.CompanionPages(128)[1], map.PageOffset(128) + 1024);
    EXPECT_TRUE(map.IsAllocated(map.PageOffset(128), 1536));
    EXPECT_EQ(map.LastAMapOffset(), map.PageOffset(129));

    // On disk (a sparse file): the pages sit where they belong and the FMap
    // sums up the AMaps from the 128th on.
    mapitest::CTempDir dir;
    CPstFile file;
    ASSERT_TRUE(file.Open(dir / "grown.bin", true, true).Ok());
    ASSERT_TRUE(map.WriteDirty(file).Ok());
    auto page = [&](std::uint64_t ib) { return *file.ReadAt(ib, 512); };
    EXPECT_TRUE(ParseMapPage(Format::Unicode, page(map.PageOffset(8) + 512), PageType::PMap, map.PageOffset(8) + 512).Ok());
    auto fmap = ParseMapPage(Format::Unicode, page(map.PageOffset(128) + 1024), PageType::FMap, map.PageOffset(128) + 1024);
    ASSERT_TRUE(fmap.Ok()) << fmap.Message();
    // 8 KB blocks (128 units) fill each AMap range; what is left is its
    // longest free run: 3,968 units less the map pages, modulo 128.
    EXPECT_EQ((*fmap)[0], (3968 - 24) % 128) << "AMap 128 holds AMap, PMap and FMap";
    EXPECT_EQ((*fmap)[2], 0) << "AMap 130 does not exist";
    EXPECT_EQ(map.HeaderFreeMap()[0], (3968 - 16) % 128) << "AMap 0 holds AMap and PMap";
    EXPECT_EQ(map.HeaderFreeMap()[1], (3968 - 8) % 128) << "AMap 1 holds itself only";
    EXPECT_EQ(map.HeaderFreePageMap()[0], 0) << "the PMaps of existing AMaps have no free pages";
    EXPECT_EQ(map.HeaderFreePageMap()[127], 0xFF);
}

TEST(AllocationMap, WrittenPagesLoadBack)
{
    mapitest::CTempDir dir;
    CPstFile file;
    ASSERT_TRUE(file.Open(dir / "map.bin", true, true).Ok());
    CAllocationMap map;
    map.InitEmpty();
    std::set<std::uint64_t> used;
    for (int i = 0; i < 100; ++i) {
        auto ib = map.Allocate(4096, 64);
        ASSERT_TRUE(ib.Ok());
        used.insert(*ib);
    }
    map.Free(*used.begin(), 4096);
    ASSERT_TRUE(map.WriteDirty(file).Ok());
    EXPECT_FALSE(map.Dirty());
    EXPECT_EQ(file.Size(), map.FileEnd());

    CAllocationMap loaded;
    ASSERT_TRUE(loaded.Load(file, map.LastAMapOffset()).Ok());
    EXPECT_EQ(loaded.PageCount(), map.PageCount());
    EXPECT_EQ(loaded.FreeBytes(), map.FreeBytes());
    EXPECT_FALSE(loaded.IsAllocated(*used.begin(), 64));
    for (auto it = std::next(used.begin()); it != used.end(); ++it)
        EXPECT_TRUE(loaded.IsAllocated(*it, 4096));
    EXPECT_FALSE(loaded.Load(file, map.LastAMapOffset() + 64).Ok()) << "not an AMap position";
}

TEST(AllocationMap, ARunIsTakenAsFarAsItGoesAndHeldSpaceChangesNoPageToWrite)
{
    CAllocationMap map;
    map.InitEmpty();
    auto a = map.Allocate(1024, 64);
    auto b = map.Allocate(4096, 64);
    auto c = map.Allocate(512, 64);
    ASSERT_TRUE(a.Ok() && b.Ok() && c.Ok());
    map.Free(*b, 4096);
    // At least 2 KB: the freed 4 KB between a and c, whole.
    auto run = map.AllocateRun(2048, 64 * 1024, 512);
    ASSERT_TRUE(run.Ok()) << run.Message();
    EXPECT_EQ(run->first, *b);
    EXPECT_EQ(run->second, 4096u);
    // Longer than any hole: the space past c, up to the most asked for.
    auto tail = map.AllocateRun(8192, 16384, 512);
    ASSERT_TRUE(tail.Ok()) << tail.Message();
    EXPECT_GE(tail->first, *c + 512);
    EXPECT_EQ(tail->second, 16384u);

    mapitest::CTempDir dir;
    CPstFile pst;
    ASSERT_TRUE(pst.Open(dir / "map.pst", true, true).Ok());
    ASSERT_TRUE(map.WriteDirty(pst).Ok());
    ASSERT_FALSE(map.Dirty());
    // Shown free for a commit and held again: nothing to write.
    const auto free = map.FreeBytes();
    map.SetHeld(tail->first, tail->second, false);
    EXPECT_EQ(map.FreeBytes(), free + tail->second);
    map.SetHeld(tail->first, tail->second, true);
    EXPECT_FALSE(map.Dirty());
    EXPECT_TRUE(map.IsAllocated(tail->first, tail->second));
    // A block placed in held space: its map page is written.
    map.UseHeld(tail->first, 512);
    EXPECT_TRUE(map.Dirty());
    EXPECT_TRUE(map.IsAllocated(tail->first, 512));
}

// Marks and frees of ranges that start and end anywhere in a map byte, some
// over whole bytes: the bits, the free count and the held space agree with
// a plain record of every 64-byte unit.
TEST(AllocationMap, RangesOfAnyLengthAndOffsetKeepTheBitsAndTheFreeCountExact)
{
    CAllocationMap map;
    map.InitEmpty();
    while (map.PageCount() < 3)
        ASSERT_TRUE(map.Allocate(8192, 64).Ok());
    const std::uint64_t start = map.PageOffset(1);
    const std::uint64_t units = 2 * 3968;
    std::vector<bool> used(units);
    for (std::uint64_t u = 0; u < units; ++u)
        used[u] = map.IsAllocated(start + u * 64, 64);
    std::uint64_t freeUnits = map.FreeBytes() / 64;
    std::mt19937 rng(5);
    for (int round = 0; round < 400; ++round) {
        const std::uint64_t from = rng() % units;
        const std::uint64_t count = 1 + rng() % std::min<std::uint64_t>(units - from, round % 3 == 0 ? 900 : 40);
        const bool value = rng() % 2 == 0;
        if (round % 5 == 4)
            map.SetHeld(start + from * 64, count * 64, value);
        else if (value)
            map.MarkAllocated(start + from * 64, count * 64);
        else
            map.Free(start + from * 64, count * 64);
        for (std::uint64_t u = from; u < from + count; ++u) {
            if (used[u] != value)
                freeUnits += value ? -1 : 1;
            used[u] = value;
        }
        ASSERT_EQ(map.FreeBytes(), freeUnits * 64) << "round " << round;
    }
    for (std::uint64_t u = 0; u < units; ++u)
        ASSERT_EQ(map.IsAllocated(start + u * 64, 64), used[u]) << "unit " << u;
}

namespace {

// The first aligned run of `units` free units in the map's first page, and
// the longest free run there, found unit by unit through IsAllocated.
struct Scan {
    std::uint64_t firstFit = 0; // 0: none
    std::size_t longest = 0;
};
Scan ScanPage(const CAllocationMap& map, std::size_t page, std::size_t units, std::size_t step)
{
    const std::uint64_t base = 0x4400 + static_cast<std::uint64_t>(page) * 253952;
    const std::size_t count = 253952 / 64;
    Scan scan;
    std::size_t run = 0, runStart = 0;
    for (std::size_t u = 0; u < count; ++u) {
        if (map.IsAllocated(base + u * 64, 64)) {
            run = 0;
            continue;
        }
        if (run++ == 0)
            runStart = u;
        scan.longest = std::max(scan.longest, run);
        const std::size_t start = (runStart + step - 1) / step * step;
        if (scan.firstFit == 0 && start <= u && u + 1 - start >= units)
            scan.firstFit = base + start * 64;
    }
    return scan;
}

Scan ScanFirstPage(const CAllocationMap& map, std::size_t units, std::size_t step)
{
    return ScanPage(map, 0, units, step);
}

// The first fit a search from the first page on finds; 0 when no page has room.
std::uint64_t FirstFitOfAll(const CAllocationMap& map, std::size_t units, std::size_t step)
{
    for (std::size_t page = 0; page < map.PageCount(); ++page)
        if (const std::uint64_t fit = ScanPage(map, page, units, step).firstFit)
            return fit;
    return 0;
}

std::uint64_t FreeBytesCounted(const CAllocationMap& map)
{
    std::uint64_t free = 0;
    for (std::uint64_t ib = 0x4400; ib < 0x4400 + map.PageCount() * 253952ull; ib += 64)
        free += map.IsAllocated(ib, 64) ? 0 : 64;
    return free;
}

} // namespace

// Free runs of every length, at every offset within the map's words: each
// allocation lands where a unit-by-unit search finds the first fit, and the
// header's longest run is the longest there is.
TEST(AllocationMap, RunsAreFoundWhereAUnitByUnitSearchFindsThemOnAFragmentedPage)
{
    std::mt19937 rng(5);
    for (int round = 0; round < 40; ++round) {
        CAllocationMap map;
        map.InitEmpty();
        // Fill the page, then free pieces of random lengths and places.
        while (map.PageCount() == 1)
            ASSERT_TRUE(map.Allocate(64 * (1 + rng() % 64), 64).Ok());
        const std::uint64_t base = 0x4400 + 1024;
        for (int k = 0; k < 60; ++k) {
            const std::uint64_t at = base + 64 * (rng() % 3900);
            const std::size_t size = 64 * (1 + rng() % (k % 7 == 0 ? 300 : 20));
            if (at + size <= 0x4400 + 253952)
                map.Free(at, size);
        }
        const auto expectedLongest = std::min<std::size_t>(ScanFirstPage(map, 1, 1).longest, 255);
        EXPECT_EQ(map.HeaderFreeMap()[0], expectedLongest) << "round " << round;
        for (int k = 0; k < 20; ++k) {
            const bool page = k % 2 == 0;
            const std::size_t units = page ? 8 : 1 + rng() % 40;
            const Scan scan = ScanFirstPage(map, units, page ? 8 : 1);
            if (scan.firstFit == 0)
                break; // the next one would go to a new page
            auto run = map.AllocateRun(units * 64, units * 64 + 64 * (rng() % 50), page ? 512 : 64);
            ASSERT_TRUE(run.Ok()) << run.Message();
            ASSERT_EQ(run->first, scan.firstFit) << "round " << round << ", allocation " << k;
            ASSERT_GE(run->second, units * 64);
            EXPECT_TRUE(map.IsAllocated(run->first, run->second));
        }
    }
}

// A file of many pages, each with holes too small for most runs: every run
// still lands in the first page that has room for it, a page freed into
// is searched again, and the free bytes add up to the units left free.
TEST(AllocationMap, AcrossManyFragmentedPagesEachRunLandsInTheFirstPageWithRoom)
{
    std::mt19937 rng(11);
    CAllocationMap map;
    map.InitEmpty();
    while (map.PageCount() < 7)
        ASSERT_TRUE(map.Allocate(64 * (1 + rng() % 64), 64).Ok());
    auto freeSome = [&](int pieces, std::size_t longest) {
        for (int k = 0; k < pieces; ++k) {
            const std::size_t page = rng() % 6;
            const std::uint64_t at = 0x4400 + page * 253952ull + 1024 + 64 * (rng() % 3900);
            const std::size_t size = 64 * (1 + rng() % longest);
            if ((at - 0x4400) % 253952 + size <= 253952)
                map.Free(at, size);
        }
    };
    freeSome(300, 6);
    EXPECT_EQ(map.FreeBytes(), FreeBytesCounted(map));
    for (int k = 0; k < 300; ++k) {
        if (k % 50 == 49)
            freeSome(5, 60); // longer holes in pages already searched in vain
        const bool page = k % 3 == 0;
        const std::size_t units = page ? 8 : 1 + rng() % 12;
        const std::size_t step = page ? 8 : 1;
        const std::uint64_t expected = FirstFitOfAll(map, units, step);
        if (expected == 0)
            break; // the next one would go to a new page
        auto run = map.AllocateRun(units * 64, units * 64, page ? 512 : 64);
        ASSERT_TRUE(run.Ok()) << run.Message();
        ASSERT_EQ(run->first, expected) << "allocation " << k << " of " << units << " units";
        ASSERT_EQ(run->second, units * 64);
    }
    EXPECT_EQ(map.FreeBytes(), FreeBytesCounted(map));
}

TEST(AllocationMap, AfterManyPagesOnlyThoseThatChangedAreWrittenAndTheSummariesFollowTheMap)
{
    mapitest::CTempDir dir;
    CPstFile file;
    ASSERT_TRUE(file.Open(dir / "many.bin", true, true).Ok());
    CAllocationMap map;
    map.InitEmpty();
    std::vector<std::uint64_t> blocks;
    while (map.PageCount() < 140) {
        auto ib = map.Allocate(8192, 64);
        ASSERT_TRUE(ib.Ok());
        blocks.push_back(*ib);
    }
    ASSERT_TRUE(map.WriteDirty(file).Ok());
    ASSERT_FALSE(map.Dirty());

    // Free blocks in pages far apart, in no order; a page nothing touched is
    // wiped on disk to show whether it is written again.
    const std::uint64_t coverage = map.PageOffset(1) - map.PageOffset(0);
    const auto pageOf = [&](std::uint64_t ib) { return (ib - map.PageOffset(0)) / coverage; };
    std::set<std::uint64_t> touched;
    std::vector<std::uint64_t> freed;
    for (std::size_t i : {std::size_t{4000}, std::size_t{7}, std::size_t{2500}, std::size_t{1200}, std::size_t{8}}) {
        ASSERT_LT(i, blocks.size());
        map.Free(blocks[i], 8192);
        freed.push_back(blocks[i]);
        touched.insert(pageOf(blocks[i]));
    }
    const std::size_t untouched = 60;
    ASSERT_EQ(touched.count(untouched), 0u);
    ASSERT_TRUE(file.WriteAt(map.PageOffset(untouched), std::vector<std::uint8_t>(512, 0)).Ok());
    ASSERT_TRUE(map.Dirty());
    ASSERT_TRUE(map.WriteDirty(file).Ok());
    EXPECT_FALSE(map.Dirty());
    EXPECT_EQ(*file.ReadAt(map.PageOffset(untouched), 512), std::vector<std::uint8_t>(512, 0))
        << "a page that did not change is not written";
    for (std::uint64_t page : touched) {
        const std::uint64_t at = map.PageOffset(static_cast<std::size_t>(page));
        auto bits = ParseMapPage(Format::Unicode, *file.ReadAt(at, 512), PageType::AMap, at);
        ASSERT_TRUE(bits.Ok()) << "AMap " << page << ": " << bits.Message();
        for (std::uint64_t ib : freed) {
            if (pageOf(ib) != page)
                continue;
            EXPECT_EQ((*bits)[(ib - at) / 64 / 8 + 8], 0) << "the freed block's units are clear on disk";
        }
    }

    // 140 AMaps have 18 PMaps: two whole bytes and two bits of the third.
    const auto fp = map.HeaderFreePageMap();
    EXPECT_EQ(fp[0], 0);
    EXPECT_EQ(fp[1], 0);
    EXPECT_EQ(fp[2], 0x3F);
    EXPECT_EQ(fp[3], 0xFF);

    // The density list: the freest pages first, the earlier among equals,
    // as many as the page holds; the free units counted one by one.
    std::vector<DListEntry> expected;
    for (std::size_t page = 0; page < map.PageCount(); ++page) {
        std::uint16_t free = 0;
        for (std::uint64_t ib = map.PageOffset(page); ib < map.PageOffset(page) + coverage; ib += 64)
            free = static_cast<std::uint16_t>(free + (map.IsAllocated(ib, 64) ? 0 : 1));
        if (free > 0)
            expected.push_back({static_cast<std::uint32_t>(page), free});
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](const DListEntry& a, const DListEntry& b) { return a.freeSlots > b.freeSlots; });
    expected.resize(std::min(expected.size(), kMaxDListEntries));
    EXPECT_EQ(map.DensityList().entries, expected);
    for (std::uint64_t page : touched)
        EXPECT_TRUE(std::any_of(expected.begin(), expected.begin() + 6,
                                [&](const DListEntry& e) { return e.pageNumber == page; }))
            << "a page with a freed block is among the freest";
}

// A page searched in vain is searched again once a free joins runs into one
// long enough, whichever side the freed units join.
TEST(AllocationMap, AFreeThatJoinsRunsOpensThePageToTheJoinedLength)
{
    CAllocationMap map;
    map.InitEmpty();
    const std::uint64_t first = 0x4400 + 1024;
    const auto unit = [&](std::uint64_t u) { return first + 64 * u; };
    map.MarkAllocated(first, 253952 - 1024);
    // Holes with enough free units in all for the runs asked below, none
    // long enough: each search passes over this page in vain.
    map.Free(unit(1000), 7 * 64);
    map.Free(unit(1100), 7 * 64);
    const auto inVain = [&](std::size_t units, std::size_t align) {
        auto run = map.AllocateRun(units * 64, units * 64, align);
        ASSERT_TRUE(run.Ok());
        ASSERT_GE(run->first, map.PageOffset(1)) << "no run of " << units << " units in the first page";
    };

    map.Free(unit(100), 7 * 64);
    inVain(9, 64);
    map.Free(unit(107), 3 * 64); // after the run of 7: 10 units
    auto joined = map.AllocateRun(10 * 64, 10 * 64, 64);
    ASSERT_TRUE(joined.Ok());
    EXPECT_EQ(joined->first, unit(100));

    map.Free(unit(200), 6 * 64);
    inVain(8, 64);
    map.Free(unit(194), 6 * 64); // before the run of 6: 12 units
    joined = map.AllocateRun(12 * 64, 12 * 64, 64);
    ASSERT_TRUE(joined.Ok());
    EXPECT_EQ(joined->first, unit(194));

    // Runs that start on a page boundary, as B-tree pages take them.
    const std::uint64_t boundary = unit(400) - (unit(400) - 0x4400) % 512;
    map.Free(boundary, 512);
    map.Free(boundary + 4096, 512);
    inVain(16, 512);
    map.Free(boundary + 512, 512);
    joined = map.AllocateRun(16 * 64, 16 * 64, 512);
    ASSERT_TRUE(joined.Ok());
    EXPECT_EQ(joined->first, boundary);
}
