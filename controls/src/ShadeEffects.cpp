// The effects of the shaded button's faces. Coordinates: x the column from
// the left, r the row from the bottom (the order of the rows in memory), y
// the row from the top. Levels are stored modulo 256 and every division
// truncates toward zero; the arithmetic is 64-bit so that no window size
// overflows it.
#include "controls/ShadeEffects.h"

#include "win32/CrtRandom.h"

#include <algorithm>

namespace {

using Int = long long;

constexpr int kStreaks = 200;
constexpr Int kStreakShadeStep = 819; // rand() / 819 runs 0..40

// A face's pixel levels with the sizes and the grain of one fill.
struct Face {
    Face(CxDib& image, BYTE granularity)
        : dib(image)
        , bits(image.GetBits())
        , stride(image.GetRowStride())
        , W(image.GetWidth())
        , H(image.GetHeight())
        , g(granularity)
        , grainStep(32767 / std::max<Int>(2 * g, 1))
    {
    }

    BYTE& At(Int x, Int r) { return bits[static_cast<std::size_t>(r) * stride + static_cast<std::size_t>(x)]; }
    void Set(Int x, Int r, Int level) { At(x, r) = static_cast<BYTE>(level); }
    void Add(Int x, Int r, Int term) { At(x, r) = static_cast<BYTE>(At(x, r) + term); }
    // Within -g .. +g for the granularities the dialogs use.
    Int Grain() { return crt::rand() / grainStep - g; }
    Int GrainAboveZero() { return crt::rand() / grainStep; }

    // Every pixel, rows from the bottom up and columns left to right within.
    template <typename Level> void ByRows(Level level)
    {
        for (Int r = 0; r < H; ++r)
            for (Int x = 0; x < W; ++x)
                Set(x, r, level(x, r) + Grain());
    }
    // Every pixel, columns left to right and rows from the bottom up within.
    template <typename Level> void ByColumns(Level level)
    {
        for (Int x = 0; x < W; ++x)
            for (Int r = 0; r < H; ++r)
                Set(x, r, level(x, r) + Grain());
    }

    CxDib& dib;
    BYTE* bits;
    DWORD stride;
    const Int W, H, g;
    const Int grainStep;
};

// The cubic profile: -125 .. 128 for v from -127 to 128.
Int Cubic(Int v)
{
    return v * v * v / 16384;
}

Int Profile(Int along, Int length)
{
    return (255 * along) / length - 127;
}

// x / y when y is not 0; the sizes that would divide by 0 take 1 instead.
Int Over(Int x, Int y)
{
    return x / std::max<Int>(y, 1);
}

void Bevels(Face& face)
{
    const Int W = face.W, H = face.H, g = face.g;
    face.ByRows([&](Int, Int r) { return (2 * Cubic(Profile(r, H)) * (64 - g)) / 128 + 128; });
    const Int band = std::min<Int>(W / 6, 16);
    for (Int r = 0; r < H; ++r) {
        const Int yy = r - H / 2;
        // A window one pixel high has yy = 0 and so no bulge.
        const Int bulge = Over(band * yy * yy, (H * H) / 4);
        const Int limit = bulge + W / 2 - band;
        for (Int x = 0; x < W; ++x) {
            const Int xx = x - W / 2;
            // Either test holds only when the band is at least one column wide.
            if (xx > limit)
                face.Set(x, r, ((W - x) * 128) / band + g);
            if (xx + limit < 0)
                face.Set(x, r, (255 - g) - (x * 128) / band);
            face.Add(x, r, face.Grain());
        }
    }
}

void Streaks(Face& face)
{
    const Int W = face.W, H = face.H;
    face.dib.Clear(0);
    // Sizes of 0 or above 32767 would divide by 0; they divide by 1.
    const Int xStep = std::max<Int>(Over(32767, W), 1), yStep = std::max<Int>(Over(32767, H), 1);
    const Int lengthStep = std::max<Int>(Over(32767, std::min(W, H)), 1);
    for (int i = 0; i < kStreaks; ++i) {
        const Int x0 = crt::rand() / xStep;
        const Int y0 = crt::rand() / yStep;
        const Int n = (crt::rand() / lengthStep) / 2;
        const BYTE shade = static_cast<BYTE>(crt::rand() / kStreakShadeStep);
        // Two half-lines: down and left from (x0, y0), up and right from
        // (W - x0, y0); the image's own bounds stop both.
        for (Int t = 0; t < n; ++t) {
            if (x0 - t > 0 && y0 + t < H)
                face.dib.SetPixelIndex(static_cast<long>(x0 - t), static_cast<long>(y0 + t), shade);
            if (x0 + t < W && y0 - t > 0)
                face.dib.SetPixelIndex(static_cast<long>(W - x0 + t), static_cast<long>(y0 - t), shade);
        }
    }
    const Int v = (215 - 2 * face.g) / 2;
    for (Int r = 0; r < H; ++r) {
        for (Int x = 0; x < W; ++x) {
            face.Add(x, r, (v * (W - x)) / W + (v * r) / H);
            face.Add(x, r, face.GrainAboveZero());
        }
    }
}

} // namespace

void FillShadeEffect(CxDib& dib, UINT effect, BYTE granularity)
{
    if (!dib.IsValid() || dib.GetBitCount() != 8)
        return;
    Face face(dib, granularity);
    const Int W = face.W, H = face.H, g = face.g;
    const Int span = 255 - 2 * g, halfSpan = (255 - 2 * g) / 2;
    switch (effect) {
    case DiagonalGradient:
        face.ByRows([&](Int x, Int r) { return (halfSpan * (W - x)) / W + (halfSpan * r) / H + g; });
        break;
    case VerticalGradient:
        face.ByRows([&](Int, Int r) { return (span * r) / H + g; });
        break;
    case HorizontalGradient:
        face.ByColumns([&](Int x, Int) { return (span * (W - x)) / W + g; });
        break;
    case VerticalCubic:
        face.ByRows([&](Int, Int r) { return (Cubic(Profile(r, H)) * (128 - g)) / 128 + 128; });
        break;
    case HorizontalCubic:
        face.ByColumns([&](Int x, Int) { return (Cubic(Profile(W - x, W)) * (128 - g)) / 128 + 128; });
        break;
    case CornerCubic:
        face.ByRows([&](Int x, Int r) {
            const Int level = ((Cubic(Profile(W - x, W)) + Cubic(Profile(r, H))) * (128 - g)) / 128 + 128;
            return std::min(std::max(level, g), 255 - g);
        });
        break;
    case CubicWithBevels:
        Bevels(face);
        break;
    case DiagonalStreaks:
        Streaks(face);
        break;
    default:
        face.ByRows([](Int, Int) { return Int{128}; });
        break;
    }
}
