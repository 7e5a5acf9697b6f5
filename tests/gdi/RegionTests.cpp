#include "GdiTest.h"

#include "gdi/Region.h"

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kGrid = 24;

// A region as a plain pixel mask over a small grid, the oracle for the
// banded implementation.
using Mask = std::vector<bool>;

Mask MaskOf(const std::vector<RECT>& rects)
{
    Mask m(kGrid * kGrid, false);
    for (const RECT& r : rects)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                m[y * kGrid + x] = true;
    return m;
}

Mask MaskOf(const gdi::Region& region)
{
    Mask m(kGrid * kGrid, false);
    for (int y = 0; y < kGrid; ++y)
        for (int x = 0; x < kGrid; ++x)
            m[y * kGrid + x] = region.Contains(x, y);
    return m;
}

std::vector<RECT> RandomRects(std::mt19937& rng, int count)
{
    std::uniform_int_distribution<int> coord(0, kGrid);
    std::vector<RECT> rects;
    for (int i = 0; i < count; ++i) {
        int a = coord(rng), b = coord(rng), c = coord(rng), d = coord(rng);
        rects.push_back({std::min(a, b), std::min(c, d), std::max(a, b), std::max(c, d)});
    }
    return rects;
}

// The banded form: rectangles sorted by band, bands not overlapping, spans
// within a band sorted and not touching, and no two touching bands equal.
void ExpectCanonical(const gdi::Region& region)
{
    const auto& rects = region.Rects();
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const RECT& r = rects[i];
        ASSERT_LT(r.left, r.right);
        ASSERT_LT(r.top, r.bottom);
        if (i == 0)
            continue;
        const RECT& p = rects[i - 1];
        if (p.top == r.top) {
            ASSERT_EQ(p.bottom, r.bottom);
            ASSERT_LT(p.right, r.left) << "spans of a band touch or overlap";
        } else {
            ASSERT_LE(p.bottom, r.top) << "bands overlap";
        }
    }
}

} // namespace

TEST(RegionTest, CombineMatchesPixelSetsForEveryMode)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        auto ra = RandomRects(rng, 1 + round % 5);
        auto rb = RandomRects(rng, 1 + round % 4);
        gdi::Region a = gdi::Region::FromRects(ra), b = gdi::Region::FromRects(rb);
        Mask ma = MaskOf(ra), mb = MaskOf(rb);
        ASSERT_EQ(MaskOf(a), ma);
        ExpectCanonical(a);
        for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF}) {
            gdi::Region c = gdi::Region::Combine(a, b, mode);
            Mask expected(kGrid * kGrid);
            for (int i = 0; i < kGrid * kGrid; ++i) {
                bool x = ma[i], y = mb[i];
                expected[i] = mode == RGN_AND ? (x && y) : mode == RGN_OR ? (x || y) : mode == RGN_XOR ? (x != y) : (x && !y);
            }
            ASSERT_EQ(MaskOf(c), expected) << "mode " << mode << " round " << round;
            ExpectCanonical(c);
        }
    }
}

TEST(RegionTest, ARectangleOrAnEmptyRegionOnEitherSideCombinesAsThePixelSetsSay)
{
    // The paint path's usual operands: a region against one rectangle that
    // holds it, lies inside it, beside it or across it, and empty ones.
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> coord(0, kGrid);
    int inside = 0, holding = 0, apart = 0;
    for (int round = 0; round < 400; ++round) {
        auto ra = RandomRects(rng, 1 + round % 4);
        if (round % 7 == 0)
            ra.clear();
        gdi::Region a = gdi::Region::FromRects(ra);
        RECT r{};
        switch (round % 4) {
        case 0: // holds a
            r = a.IsEmpty() ? RECT{2, 2, 9, 9} : a.Bounds();
            r = {std::max(0, static_cast<int>(r.left) - coord(rng) % 3), std::max(0, static_cast<int>(r.top) - coord(rng) % 3),
                 std::min(kGrid, static_cast<int>(r.right) + coord(rng) % 3),
                 std::min(kGrid, static_cast<int>(r.bottom) + coord(rng) % 3)};
            break;
        case 1: // beside a, or empty
            r = round % 8 == 1 ? RECT{5, 5, 5, 9} : RandomRects(rng, 1)[0];
            break;
        case 2: // inside a's first rectangle
            r = ra.empty() ? RECT{1, 1, 4, 4} : ra[0];
            r = {r.left + (r.right - r.left) / 4, r.top + (r.bottom - r.top) / 4, r.right - (r.right - r.left) / 4,
                 r.bottom - (r.bottom - r.top) / 4};
            break;
        default:
            r = RandomRects(rng, 1)[0];
            break;
        }
        std::vector<RECT> rb{r};
        gdi::Region b(r);
        const Mask ma = MaskOf(ra), mb = MaskOf(rb);
        for (bool swapped : {false, true}) {
            const gdi::Region& left = swapped ? b : a;
            const gdi::Region& right = swapped ? a : b;
            const Mask& ml = swapped ? mb : ma;
            const Mask& mr = swapped ? ma : mb;
            for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF}) {
                gdi::Region c = gdi::Region::Combine(left, right, mode);
                Mask expected(kGrid * kGrid);
                for (int i = 0; i < kGrid * kGrid; ++i) {
                    bool x = ml[i], y = mr[i];
                    expected[i] = mode == RGN_AND ? (x && y) : mode == RGN_OR ? (x || y) : mode == RGN_XOR ? (x != y) : (x && !y);
                }
                ASSERT_EQ(MaskOf(c), expected) << "mode " << mode << " round " << round << " swapped " << swapped;
                ExpectCanonical(c);
                // The canonical form is one per pixel set, so any construction gives an equal region.
                std::vector<RECT> pixels;
                for (int y = 0; y < kGrid; ++y)
                    for (int x = 0; x < kGrid; ++x)
                        if (expected[y * kGrid + x])
                            pixels.push_back({x, y, x + 1, y + 1});
                ASSERT_EQ(c, gdi::Region::FromRects(pixels)) << "mode " << mode << " round " << round;
            }
        }
        // Cutting to a rectangle gives the region of the pixel sets' intersection, in the same form.
        const gdi::Region cut = a.Intersected(r);
        ExpectCanonical(cut);
        ASSERT_EQ(cut, gdi::Region::Combine(a, b, RGN_AND)) << "round " << round;
        gdi::Region inPlace = a;
        inPlace.IntersectWith(r);
        ASSERT_EQ(inPlace, cut) << "round " << round;
        ASSERT_EQ(b.Intersected(a.IsEmpty() ? RECT{0, 0, 0, 0} : a.Bounds()),
                  gdi::Region::Combine(b, gdi::Region(a.IsEmpty() ? RECT{0, 0, 0, 0} : a.Bounds()), RGN_AND))
            << "round " << round;
        if (!a.IsEmpty()) {
            const RECT bounds = a.Bounds();
            inside += bounds.left >= r.left && bounds.right <= r.right && bounds.top >= r.top && bounds.bottom <= r.bottom;
            holding += a.Rects().size() == 1 && r.left >= bounds.left && r.right <= bounds.right && r.top >= bounds.top &&
                       r.bottom <= bounds.bottom && r.left < r.right && r.top < r.bottom;
            apart += r.right <= bounds.left || bounds.right <= r.left || r.bottom <= bounds.top || bounds.bottom <= r.top;
        }
    }
    // Each of the quick cases came up.
    EXPECT_GT(inside, 0);
    EXPECT_GT(holding, 0);
    EXPECT_GT(apart, 0);
}

TEST(RegionTest, RegionsOfManyBandsWithGapsCombineAsThePixelSetsSay)
{
    // Thin rectangles leave bands with several spans and gaps between bands
    // on both sides, so that the sweep meets every order of edges.
    std::mt19937 rng(23);
    std::uniform_int_distribution<int> coord(0, kGrid), thin(1, 3);
    auto thinRects = [&](int count) {
        std::vector<RECT> rects;
        for (int i = 0; i < count; ++i) {
            int x = coord(rng), y = coord(rng);
            rects.push_back({x, y, std::min(kGrid, x + thin(rng) * (i % 2 ? 4 : 1)), std::min(kGrid, y + thin(rng))});
        }
        return rects;
    };
    for (int round = 0; round < 300; ++round) {
        auto ra = thinRects(4 + round % 12), rb = thinRects(2 + round % 9);
        gdi::Region a = gdi::Region::FromRects(ra), b = gdi::Region::FromRects(rb);
        const Mask ma = MaskOf(ra), mb = MaskOf(rb);
        for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF}) {
            gdi::Region c = gdi::Region::Combine(a, b, mode);
            Mask expected(kGrid * kGrid);
            for (int i = 0; i < kGrid * kGrid; ++i)
                expected[i] = mode == RGN_AND   ? (ma[i] && mb[i])
                              : mode == RGN_OR  ? (ma[i] || mb[i])
                              : mode == RGN_XOR ? (ma[i] != mb[i])
                                                : (ma[i] && !mb[i]);
            ASSERT_EQ(MaskOf(c), expected) << "mode " << mode << " round " << round;
            ExpectCanonical(c);
            std::vector<RECT> pixels;
            for (int y = 0; y < kGrid; ++y)
                for (int x = 0; x < kGrid; ++x)
                    if (expected[y * kGrid + x])
                        pixels.push_back({x, y, x + 1, y + 1});
            ASSERT_EQ(c, gdi::Region::FromRects(pixels)) << "mode " << mode << " round " << round;
        }
    }
}

TEST(RegionTest, ContainsRectSaysWhetherOneOfItsRectanglesHoldsTheWholeBox)
{
    std::mt19937 rng(3);
    for (int round = 0; round < 300; ++round) {
        auto rects = RandomRects(rng, 1 + round % 5);
        gdi::Region region = gdi::Region::FromRects(rects);
        RECT box = RandomRects(rng, 1)[0];
        bool everyPixel = true;
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x)
                everyPixel = everyPixel && region.Contains(x, y);
        bool oneHolds = box.left >= box.right || box.top >= box.bottom;
        for (const RECT& r : region.Rects())
            oneHolds = oneHolds || (box.left >= r.left && box.right <= r.right && box.top >= r.top && box.bottom <= r.bottom);
        ASSERT_EQ(region.ContainsRect(box), oneHolds) << "round " << round;
        if (region.ContainsRect(box)) {
            ASSERT_TRUE(everyPixel) << "round " << round; // never true for a box with a pixel outside
        }
    }
    EXPECT_TRUE(gdi::Region(RECT{0, 0, 10, 10}).ContainsRect({2, 3, 10, 10}));
    EXPECT_FALSE(gdi::Region(RECT{0, 0, 10, 10}).ContainsRect({2, 3, 11, 10}));
    EXPECT_FALSE(gdi::Region().ContainsRect({0, 0, 1, 1}));
}

TEST(RegionTest, SamePixelsGiveEqualRegionsWhateverTheirConstruction)
{
    // Two halves joined, and the whole at once.
    gdi::Region halves = gdi::Region::Combine(gdi::Region(RECT{0, 0, 5, 10}), gdi::Region(RECT{5, 0, 10, 10}), RGN_OR);
    EXPECT_EQ(halves, gdi::Region(RECT{0, 0, 10, 10}));
    EXPECT_EQ(halves.Complexity(), SIMPLEREGION);
    // Row by row.
    std::vector<RECT> rows;
    for (int y = 0; y < 10; ++y)
        rows.push_back({0, y, 10, y + 1});
    EXPECT_EQ(gdi::Region::FromRects(rows), gdi::Region(RECT{0, 0, 10, 10}));
}

class RegionApiTest : public GdiTest {};

TEST_F(RegionApiTest, CombineRgnReportsComplexityAndRejectsBadHandles)
{
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(5, 5, 15, 15);
    HRGN d = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(d, a, b, RGN_AND), SIMPLEREGION);
    RECT box;
    EXPECT_EQ(GetRgnBox(d, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.bottom, 10);
    EXPECT_EQ(CombineRgn(d, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(CombineRgn(d, a, a, RGN_DIFF), NULLREGION);
    EXPECT_EQ(CombineRgn(d, b, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_TRUE(EqualRgn(d, b));
    EXPECT_EQ(CombineRgn(d, a, nullptr, RGN_OR), ERROR);
    EXPECT_EQ(CombineRgn(d, a, b, 9), ERROR);

    // A destination that is also a source.
    EXPECT_EQ(CombineRgn(a, a, b, RGN_XOR), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(a, 0, 0));
    EXPECT_FALSE(PtInRegion(a, 7, 7));
    EXPECT_TRUE(PtInRegion(a, 14, 14));
    EXPECT_FALSE(PtInRegion(a, 15, 15)) << "right and bottom edges are outside";

    EXPECT_EQ(OffsetRgn(b, -5, -5), SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(b, 0, 0));
    EXPECT_FALSE(PtInRegion(b, 10, 10));
    RECT inside{9, 9, 20, 20}, outside{10, 10, 20, 20};
    EXPECT_TRUE(RectInRegion(b, &inside));
    EXPECT_FALSE(RectInRegion(b, &outside));

    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(d);
    EXPECT_FALSE(PtInRegion(a, 0, 0)) << "a deleted region is no longer open";
    EXPECT_FALSE(DeleteObject(a));
}

TEST_F(RegionApiTest, RegionDataRoundTripsAndShortBuffersFail)
{
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN hole = CreateRectRgn(3, 3, 6, 6);
    CombineRgn(a, a, hole, RGN_DIFF);
    DWORD needed = GetRegionData(a, 0, nullptr);
    ASSERT_EQ(needed, 32u + 4 * 16u); // above, left, right, below the hole
    std::vector<char> buffer(needed);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    EXPECT_EQ(GetRegionData(a, needed - 1, data), 0u);
    ASSERT_EQ(GetRegionData(a, needed, data), needed);
    EXPECT_EQ(data->rdh.nCount, 4u);
    EXPECT_EQ(data->rdh.rcBound.right, 10);

    HRGN copy = ExtCreateRegion(nullptr, needed, data);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(EqualRgn(a, copy));
    // A count that runs past the buffer is refused instead of read.
    EXPECT_EQ(ExtCreateRegion(nullptr, needed - 16, data), nullptr);
    data->rdh.iType = 2;
    EXPECT_EQ(ExtCreateRegion(nullptr, needed, data), nullptr);

    DeleteObject(a);
    DeleteObject(hole);
    DeleteObject(copy);
}

TEST_F(RegionApiTest, ExtCreateRegionUnitesOverlappingRectangles)
{
    std::vector<char> buffer(32 + 3 * 16);
    auto put = [&](std::size_t at, LONG v) { std::memcpy(buffer.data() + at, &v, 4); };
    put(0, 32);
    put(4, RDH_RECTANGLES);
    put(8, 3);
    LONG rects[3][4] = {{0, 0, 4, 4}, {2, 2, 6, 6}, {0, 0, 4, 4}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j)
            put(32 + i * 16 + j * 4, rects[i][j]);
    HRGN region = ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), reinterpret_cast<RGNDATA*>(buffer.data()));
    ASSERT_NE(region, nullptr);
    int inside = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            inside += PtInRegion(region, x, y) ? 1 : 0;
    EXPECT_EQ(inside, 16 + 16 - 4);
    DeleteObject(region);
}

TEST_F(RegionApiTest, EllipticRegionIsSymmetricAndInsideItsBox)
{
    HRGN e = CreateEllipticRgn(0, 0, 20, 10);
    RECT box;
    GetRgnBox(e, &box);
    EXPECT_GE(box.left, 0);
    EXPECT_LE(box.right, 20);
    EXPECT_TRUE(PtInRegion(e, 10, 5));
    EXPECT_FALSE(PtInRegion(e, 0, 0));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(PtInRegion(e, x, y), PtInRegion(e, 19 - x, 9 - y)) << x << "," << y;
    DeleteObject(e);
}

TEST_F(RegionApiTest, WindowLayerReadsAndWritesRegionsBehindHandles)
{
    gdi::Region shape = gdi::Region::Combine(gdi::Region(RECT{0, 0, 8, 8}), gdi::Region(RECT{2, 2, 4, 4}), RGN_DIFF);
    HRGN handle = gdi::CreateRegion(shape);
    EXPECT_FALSE(PtInRegion(handle, 3, 3));
    EXPECT_TRUE(PtInRegion(handle, 1, 1));
    gdi::Region back;
    ASSERT_TRUE(gdi::GetRegion(handle, back));
    EXPECT_EQ(back, shape);
    EXPECT_TRUE(gdi::SetRegion(handle, gdi::Region(RECT{0, 0, 1, 1})));
    EXPECT_FALSE(PtInRegion(handle, 1, 1));
    HBRUSH brush = CreateSolidBrush(0);
    EXPECT_FALSE(gdi::GetRegion(reinterpret_cast<HRGN>(brush), back)) << "not a region";
    DeleteObject(brush);
    DeleteObject(handle);
    EXPECT_FALSE(gdi::GetRegion(handle, back));
}

TEST_F(RegionApiTest, FillFrameAndInvertRegionPaintOnlyTheirPixels)
{
    BitmapDC dc(10, 10);
    HRGN ring = CreateRectRgn(1, 1, 9, 9);
    HRGN hole = CreateRectRgn(3, 3, 7, 7);
    CombineRgn(ring, ring, hole, RGN_DIFF);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRgn(dc.dc(), ring, red);
    EXPECT_EQ(dc.At(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(dc.At(4, 4), RGB(255, 255, 255));
    EXPECT_EQ(dc.At(9, 9), RGB(255, 255, 255));
    InvertRgn(dc.dc(), hole);
    EXPECT_EQ(dc.At(4, 4), RGB(0, 0, 0));
    BitmapDC framed(10, 10);
    HRGN box = CreateRectRgn(2, 2, 8, 8);
    FrameRgn(framed.dc(), box, red, 1, 1);
    EXPECT_EQ(framed.At(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(framed.At(7, 5), RGB(255, 0, 0));
    EXPECT_EQ(framed.At(3, 3), RGB(255, 255, 255));
    EXPECT_EQ(framed.At(8, 8), RGB(255, 255, 255));
    DeleteObject(ring);
    DeleteObject(hole);
    DeleteObject(box);
    DeleteObject(red);
}

// A region of one rectangle is held in place and one of more in a list: a
// copy or a move across the two forms keeps every rectangle, and the source
// of a move is left empty.
TEST(RegionStorage, CopiesAndMovesBetweenOneRectangleAndManyKeepTheirRectangles)
{
    const gdi::Region one(RECT{0, 0, 10, 10});
    const gdi::Region two = gdi::Region::Combine(one, gdi::Region(RECT{20, 0, 30, 10}), RGN_OR);
    ASSERT_EQ(two.Rects().size(), 2u);

    gdi::Region a = two; // many into a copy
    a = one;             // one over many
    EXPECT_EQ(a, one);
    a = two;             // many over one
    EXPECT_EQ(a, two);

    gdi::Region moved = std::move(a);
    EXPECT_EQ(moved, two);
    EXPECT_TRUE(a.IsEmpty()); // empty, not a stale count over rectangles gone
    a = one;
    EXPECT_EQ(a, one);

    gdi::Region grown = one;
    grown = gdi::Region::Combine(grown, gdi::Region(RECT{0, 20, 10, 30}), RGN_OR);
    EXPECT_EQ(grown.Rects().size(), 2u);
    EXPECT_EQ(one.Rects().size(), 1u); // the copy it grew from is untouched
    grown.IntersectWith(RECT{0, 0, 10, 10});
    EXPECT_EQ(grown, one);
    grown.Offset(5, 5);
    EXPECT_EQ(grown, gdi::Region(RECT{5, 5, 15, 15}));
}
