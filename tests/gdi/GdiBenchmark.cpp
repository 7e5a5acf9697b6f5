// Speeds of the paths the skinned dialogs take on every paint: the full
// background blit, a wrapped paragraph of DrawText, and region building
// from many rectangles. Reported, never asserted.
#include "gdi/Gdi.h"
#include "gdi/Region.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Target {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    Target(int w, int h)
        : dc(CreateCompatibleDC(nullptr)), bitmap(CreateBitmap(w, h, 1, 32, nullptr)), old(SelectObject(dc, bitmap))
    {
    }
    ~Target()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

void BM_BitBltSkin(benchmark::State& state)
{
    Target src(640, 480), dst(640, 480);
    for (auto _ : state)
        BitBlt(dst.dc, 0, 0, 640, 480, src.dc, 0, 0, SRCCOPY);
    state.SetItemsProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(BM_BitBltSkin);

void BM_DrawTextParagraph(benchmark::State& state)
{
    Target dst(400, 200);
    HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"MS Shell Dlg");
    HGDIOBJ old = SelectObject(dst.dc, font);
    SetBkMode(dst.dc, TRANSPARENT);
    const char16_t* text = u"This wizard moves the mail, contacts or calendar of a database into a new file. "
                           u"Choose what to convert on the next pages, then click Next to go on.";
    for (auto _ : state) {
        RECT r{0, 0, 300, 200};
        benchmark::DoNotOptimize(DrawTextW(dst.dc, text, -1, &r, DT_WORDBREAK));
    }
    SelectObject(dst.dc, old);
    DeleteObject(font);
}
BENCHMARK(BM_DrawTextParagraph);

void BM_RegionFromRowRuns(benchmark::State& state)
{
    // One run per row and column pair of a 640 x 480 checkerboard of 8-pixel cells.
    std::vector<RECT> rects;
    for (int y = 0; y < 480; ++y)
        for (int x = ((y / 8) & 1) * 8; x < 640; x += 16)
            rects.push_back({x, y, x + 8, y + 1});
    for (auto _ : state)
        benchmark::DoNotOptimize(gdi::Region::FromRects(rects).Rects().size());
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(rects.size()));
}
BENCHMARK(BM_RegionFromRowRuns);

// The splash window reads its picture pixel by pixel with GetPixel.
void BM_GetPixelScan(benchmark::State& state)
{
    Target src(400, 300);
    for (auto _ : state) {
        unsigned sum = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x)
                sum += GetPixel(src.dc, x, y);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 400 * 300);
}
BENCHMARK(BM_GetPixelScan);

} // namespace

BENCHMARK_MAIN();
