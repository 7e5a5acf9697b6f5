// The face patterns at their pixels against the formulas of each effect,
// with the grain replayed from the C runtime's generator worked out here
// from its own formula.
#include "ReferenceRandom.h"

#include "controls/ShadeEffects.h"

#include "win32/CrtRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

int Cubic(int v)
{
    return v * v * v / 16384;
}

// A face of W x H filled with the effect from a fresh sequence, and the
// grain it should have drawn.
struct Filled {
    Filled(UINT effect, int width, int height, int granularity, std::size_t draws)
        : W(width)
        , H(height)
        , g(granularity)
        , Q(32767 / std::max(2 * granularity, 1))
        , rnd(DrawsFromOne(draws))
    {
        face.Create(static_cast<DWORD>(W), static_cast<DWORD>(H), 8);
        crt::srand(1);
        FillShadeEffect(face, effect, static_cast<BYTE>(g));
    }
    // Level at column x and row r counted from the bottom.
    int At(int x, int r) const { return face.GetPixelIndex(x, H - 1 - r); }
    int Grain(std::size_t i) const { return rnd.at(i) / Q - g; }
    static int Byte(int v) { return static_cast<BYTE>(v); }

    // Every pixel against level(x, r) plus the grain drawn at its place in
    // the order rows-then-columns or columns-then-rows.
    void ExpectEveryPixel(const std::function<int(int, int)>& level, bool columnsFirst) const
    {
        for (int r = 0; r < H; ++r)
            for (int x = 0; x < W; ++x) {
                const std::size_t draw = columnsFirst ? static_cast<std::size_t>(x * H + r)
                                                      : static_cast<std::size_t>(r * W + x);
                ASSERT_EQ(At(x, r), Byte(level(x, r) + Grain(draw))) << "x " << x << ", r " << r;
            }
    }

    const int W, H, g, Q;
    const std::vector<int> rnd;
    CxDib face;
};

TEST(ShadeEffects, TheHorizontalGradientRunsFromLightLeftToDarkRightColumnByColumn)
{
    const Filled f(HorizontalGradient, 100, 3, 8, 300);
    // The base levels of a face 100 wide with grain 8.
    const int left[] = {247, 244, 242, 239}, right[] = {15, 12, 10};
    for (int r = 0; r < 3; ++r) {
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(f.At(x, r), left[x] + f.Grain(static_cast<std::size_t>(x * 3 + r)));
        for (int x = 97; x < 100; ++x)
            EXPECT_EQ(f.At(x, r), right[x - 97] + f.Grain(static_cast<std::size_t>(x * 3 + r)));
    }
    f.ExpectEveryPixel([&](int x, int) { return (255 - 16) * (100 - x) / 100 + 8; }, true);
}

TEST(ShadeEffects, GradientsAndCubicProfilesFollowTheirFormulasRowByRow)
{
    const int W = 13, H = 7, g = 8;
    const int U = 255 - 2 * g, U2 = (255 - 2 * g) / 2;
    {
        const Filled f(DiagonalGradient, W, H, g, W * H);
        f.ExpectEveryPixel([&](int x, int r) { return (U2 * (W - x)) / W + (U2 * r) / H + g; }, false);
    }
    {
        const Filled f(VerticalGradient, W, H, g, W * H);
        f.ExpectEveryPixel([&](int, int r) { return (U * r) / H + g; }, false);
        EXPECT_EQ(f.At(5, 0), g + f.Grain(5)) << "the bottom row is g";
    }
    {
        const Filled f(VerticalCubic, W, H, g, W * H);
        f.ExpectEveryPixel([&](int, int r) { return (Cubic((255 * r) / H - 127) * (128 - g)) / 128 + 128; }, false);
    }
    {
        const Filled f(HorizontalCubic, W, H, g, W * H);
        f.ExpectEveryPixel([&](int x, int) { return (Cubic((255 * (W - x)) / W - 127) * (128 - g)) / 128 + 128; },
                           true);
        EXPECT_EQ(f.At(0, 0), 256 - g + f.Grain(0)) << "the left column is 256 - g";
    }
    for (UINT other : {0u, 9u, 200u}) {
        const Filled f(other, W, H, g, W * H);
        f.ExpectEveryPixel([](int, int) { return 128; }, false);
    }
}

TEST(ShadeEffects, TheCornerProfileIsClampedBeforeItsGrain)
{
    const int W = 40, H = 30;
    for (int g : {8, 40}) {
        const Filled f(CornerCubic, W, H, g, W * H);
        f.ExpectEveryPixel(
            [&](int x, int r) {
                int level = ((Cubic((255 * (W - x)) / W - 127) + Cubic((255 * r) / H - 127)) * (128 - g)) / 128 + 128;
                return std::clamp(level, g, 255 - g);
            },
            false);
        for (int r = 0; r < H; ++r)
            for (int x = 0; x < W; ++x) {
                const int base = f.At(x, r) - f.Grain(static_cast<std::size_t>(r * W + x));
                ASSERT_GE(base, g);
                ASSERT_LE(base, 255 - g);
            }
    }
}

TEST(ShadeEffects, WithoutGranularityTheGrainVanishesAndTheRampsSpanTheLevels)
{
    const Filled ramp(VerticalGradient, 4, 255, 0, 4 * 255);
    EXPECT_EQ(ramp.Q, 32767);
    EXPECT_EQ(ramp.At(0, 0), ramp.rnd[0] / 32767);
    EXPECT_EQ(ramp.At(0, 254), 254 + ramp.rnd[254 * 4] / 32767);
    ramp.ExpectEveryPixel([](int, int r) { return (255 * r) / 255; }, false);

    // 256 at the left column is stored as 0.
    const Filled cubic(HorizontalCubic, 20, 5, 0, 100);
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(cubic.At(0, r), Filled::Byte(256 + cubic.rnd[static_cast<std::size_t>(r)] / 32767));
}

// The two passes of the bevelled face: a shallow vertical profile, then the
// lens-shaped bands with a second grain over every pixel.
TEST(ShadeEffects, BevelBandsNarrowTowardTheTopAndBottomAndEveryPixelTakesASecondGrain)
{
    for (auto [W, H] : {std::pair{60, 20}, std::pair{120, 24}, std::pair{30, 1}, std::pair{5, 9}}) {
        const int g = 8;
        const Filled f(CubicWithBevels, W, H, g, static_cast<std::size_t>(2 * W * H));
        const int B = std::min(W / 6, 16);
        for (int r = 0; r < H; ++r) {
            const int yy = r - H / 2;
            const int P = H > 1 ? (B * yy * yy) / ((H * H) / 4) : 0;
            const int lim = P + W / 2 - B;
            for (int x = 0; x < W; ++x) {
                const std::size_t i = static_cast<std::size_t>(r * W + x);
                int level = (2 * Cubic((255 * r) / H - 127) * (64 - g)) / 128 + 128 + f.Grain(i);
                const int xx = x - W / 2;
                if (xx > lim)
                    level = ((W - x) * 128) / B + g;
                if (xx + lim < 0)
                    level = (255 - g) - (x * 128) / B;
                ASSERT_EQ(f.At(x, r), Filled::Byte(level + f.Grain(static_cast<std::size_t>(W * H) + i)))
                    << W << " x " << H << " at x " << x << ", r " << r;
            }
        }
    }
    // In the middle row of a face 60 wide the bands are 10 columns: the
    // left edge starts light, the right edge ends dark.
    const Filled f(CubicWithBevels, 60, 20, 8, 2400);
    EXPECT_EQ(f.At(0, 10), 247 + f.Grain(1200 + 10 * 60));
    EXPECT_EQ(f.At(59, 10), 20 + f.Grain(1200 + 10 * 60 + 59));
    EXPECT_EQ(f.At(1, 19), 235 + f.Grain(1200 + 19 * 60 + 1)) << "two columns wide in the top row";
}

TEST(ShadeEffects, StreaksAreTwoDiagonalHalfLinesOverAGradientWithGrainAboveZero)
{
    const int W = 40, H = 16, g = 8;
    const Filled f(DiagonalStreaks, W, H, g, 800 + W * H);
    std::vector<int> level(static_cast<std::size_t>(W * H), 0); // top-down rows
    auto put = [&](int x, int y, int s) {
        if (x >= 0 && x < W && y >= 0 && y < H)
            level[static_cast<std::size_t>(y * W + x)] = s;
    };
    for (std::size_t i = 0; i < 200; ++i) {
        const int x0 = f.rnd[4 * i] / (32767 / W), y0 = f.rnd[4 * i + 1] / (32767 / H);
        const int n = (f.rnd[4 * i + 2] / (32767 / std::min(W, H))) / 2, s = f.rnd[4 * i + 3] / 819;
        for (int t = 0; t < n; ++t) {
            if (x0 - t > 0 && y0 + t < H)
                put(x0 - t, y0 + t, s);
            if (x0 + t < W && y0 - t > 0)
                put(W - x0 + t, y0 - t, s);
        }
    }
    const int V = (215 - 2 * g) / 2;
    int streaked = 0;
    for (int r = 0; r < H; ++r)
        for (int x = 0; x < W; ++x) {
            const int streak = level[static_cast<std::size_t>((H - 1 - r) * W + x)];
            streaked += streak != 0;
            const int grain = f.rnd[static_cast<std::size_t>(800 + r * W + x)] / f.Q;
            ASSERT_EQ(f.At(x, r), Filled::Byte(streak + (V * (W - x)) / W + (V * r) / H + grain))
                << "x " << x << ", r " << r;
        }
    EXPECT_GT(streaked, 50) << "the streaks show";
    for (int r = 0; r < H; ++r)
        EXPECT_EQ(level[static_cast<std::size_t>(r * W)], 0) << "the left column is never streaked";
}

TEST(ShadeEffects, SizesThatWouldDivideByZeroAndRepeatedFillsAreSafe)
{
    // No columns, no rows, or wider than the generator's range: the streaks
    // divide by 1 and write only inside the image.
    for (auto [W, H] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{40000, 2}, std::pair{2, 40000}}) {
        CxDib face;
        face.Create(static_cast<DWORD>(W), static_cast<DWORD>(H), 8);
        FillShadeEffect(face, DiagonalStreaks, 8);
        FillShadeEffect(face, CubicWithBevels, 8);
    }
    CxDib empty, deep;
    FillShadeEffect(empty, HorizontalGradient, 8);
    deep.Create(4, 4, 24);
    deep.Clear(7);
    FillShadeEffect(deep, HorizontalGradient, 8);
    EXPECT_EQ(deep.GetBits()[0], 7) << "only 8-bit faces hold levels";

    // A second fill draws on from where the first stopped.
    CxDib first, second;
    first.Create(30, 10, 8);
    second.Create(30, 10, 8);
    crt::srand(1);
    FillShadeEffect(first, GrainOnly, 8);
    FillShadeEffect(second, GrainOnly, 8);
    EXPECT_NE(std::vector<BYTE>(first.GetBits(), first.GetBits() + 300),
              std::vector<BYTE>(second.GetBits(), second.GetBits() + 300));
}

} // namespace
