#include "GdiTest.h"

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

class DcTest : public GdiTest {};

TEST_F(DcTest, ABitmapIsSelectedIntoOneDcAtATimeAndCannotBeDeletedThere)
{
    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    HDC a = CreateCompatibleDC(nullptr);
    HDC b = CreateCompatibleDC(nullptr);
    HGDIOBJ oldA = SelectObject(a, bitmap);
    ASSERT_NE(oldA, nullptr);
    EXPECT_EQ(GetObjectType(oldA), static_cast<DWORD>(OBJ_BITMAP)) << "the 1 x 1 default bitmap";
    EXPECT_EQ(SelectObject(b, bitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(GetCurrentObject(a, OBJ_BITMAP), bitmap);
    // Reselecting into the same DC is fine.
    EXPECT_EQ(SelectObject(a, bitmap), bitmap);
    SelectObject(a, oldA);
    EXPECT_NE(SelectObject(b, bitmap), nullptr) << "free again once deselected";
    SelectObject(b, oldA);
    EXPECT_TRUE(DeleteObject(bitmap));
    DeleteDC(a);
    DeleteDC(b);
}

TEST_F(DcTest, SelectedPensBrushesAndFontsAreKeptUntilDeselected)
{
    BitmapDC dc(2, 2);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HGDIOBJ old = SelectObject(dc.dc(), brush);
    EXPECT_EQ(old, GetStockObject(WHITE_BRUSH));
    EXPECT_FALSE(DeleteObject(brush));
    SelectObject(dc.dc(), old);
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(SelectObject(dc.dc(), brush), nullptr) << "a deleted handle";
    // Stock objects survive DeleteObject.
    EXPECT_TRUE(DeleteObject(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(GetObjectType(GetStockObject(NULL_BRUSH)), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetStockObject(HOLLOW_BRUSH), GetStockObject(NULL_BRUSH));
    EXPECT_EQ(GetStockObject(99), nullptr);
}

TEST_F(DcTest, SaveAndRestoreBringBackObjectsAttributesAndClip)
{
    BitmapDC dc(10, 10);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    int first = SaveDC(dc.dc());
    EXPECT_EQ(first, 1);
    HGDIOBJ oldPen = SelectObject(dc.dc(), pen);
    SetTextColor(dc.dc(), RGB(9, 9, 9));
    SetBkMode(dc.dc(), TRANSPARENT);
    SetViewportOrgEx(dc.dc(), 5, 5, nullptr);
    IntersectClipRect(dc.dc(), 0, 0, 2, 2);
    EXPECT_EQ(SaveDC(dc.dc()), 2);
    SetTextColor(dc.dc(), RGB(1, 1, 1));
    EXPECT_TRUE(RestoreDC(dc.dc(), -1));
    EXPECT_EQ(GetTextColor(dc.dc()), RGB(9, 9, 9));
    RECT box;
    GetClipBox(dc.dc(), &box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 2) << "logical coordinates";
    EXPECT_FALSE(DeleteObject(pen)) << "the pen is selected";
    EXPECT_TRUE(RestoreDC(dc.dc(), first));
    EXPECT_EQ(GetCurrentObject(dc.dc(), OBJ_PEN), oldPen);
    EXPECT_EQ(GetBkMode(dc.dc()), OPAQUE);
    POINT origin;
    GetViewportOrgEx(dc.dc(), &origin);
    EXPECT_EQ(origin.x, 0);
    GetClipBox(dc.dc(), &box);
    EXPECT_EQ(box.right, 10);
    EXPECT_FALSE(RestoreDC(dc.dc(), 1)) << "that state was used up";
    EXPECT_FALSE(RestoreDC(dc.dc(), 0));
    EXPECT_TRUE(DeleteObject(pen));
}

TEST_F(DcTest, SavedStatesHoldTheirObjectsAndDcDeletionReleasesThem)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SaveDC(dc);
    SelectObject(dc, old);
    EXPECT_FALSE(DeleteObject(bitmap)) << "still held by the saved state";
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST_F(DcTest, SurfaceDcPaintsAtItsOriginInsideItsVisibleRegion)
{
    auto surface = std::make_shared<gdi::Surface>(20, 20);
    surface->Fill(0x00FFFFFF);
    gdi::Region visible = gdi::Region::Combine(gdi::Region(RECT{0, 0, 10, 10}), gdi::Region(RECT{0, 0, 2, 2}),
                                               RGN_DIFF);
    HDC dc = gdi::CreateSurfaceDC(surface, POINT{5, 5}, &visible);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_DC));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT all{-5, -5, 20, 20};
    FillRect(dc, &all, red);
    EXPECT_EQ(surface->At(4, 4) & 0xFFFFFF, 0xFFFFFFu) << "left of the DC's origin";
    EXPECT_EQ(surface->At(6, 6) & 0xFFFFFF, 0xFFFFFFu) << "cut out of the visible region";
    EXPECT_EQ(surface->At(7, 7) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(surface->At(15, 15) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(GetPixel(dc, 2, 2), RGB(255, 0, 0)) << "device coordinates start at the origin";
    POINT org{};
    GetDCOrgEx(dc, &org);
    EXPECT_EQ(org.x, 5);

    // Moving the DC: the same device point now lands elsewhere.
    gdi::SetSurfaceDCGeometry(dc, POINT{0, 0}, nullptr);
    SetPixel(dc, 0, 0, RGB(0, 0, 255));
    EXPECT_EQ(surface->At(0, 0) & 0xFFFFFF, 0x0000FFu);
    HBITMAP bitmap = CreateBitmap(1, 1, 1, 32, nullptr);
    EXPECT_EQ(SelectObject(dc, bitmap), nullptr) << "only memory DCs take bitmaps";
    DeleteObject(bitmap);
    DeleteObject(red);
    DeleteDC(dc);
}

TEST_F(DcTest, ExcludeAndIntersectClipWorkInLogicalCoordinates)
{
    BitmapDC dc(10, 10);
    SetWindowOrgEx(dc.dc(), 2, 0, nullptr); // logical x = device x + 2
    EXPECT_EQ(ExcludeClipRect(dc.dc(), 2, 0, 4, 10), SIMPLEREGION);
    RECT box;
    GetClipBox(dc.dc(), &box);
    EXPECT_EQ(box.left, 4);
    EXPECT_EQ(box.right, 12);
    EXPECT_FALSE(PtVisible(dc.dc(), 3, 0));
    EXPECT_TRUE(PtVisible(dc.dc(), 4, 0));
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dc.dc(), copy), 1);
    EXPECT_FALSE(PtInRegion(copy, 1, 0)) << "the copy is in device coordinates";
    EXPECT_TRUE(PtInRegion(copy, 2, 0));
    SelectClipRgn(dc.dc(), nullptr);
    EXPECT_EQ(GetClipRgn(dc.dc(), copy), 0);
    DeleteObject(copy);
}

TEST_F(DcTest, DeviceCapsAndObjectDescriptions)
{
    BitmapDC dc(3, 2);
    EXPECT_EQ(GetDeviceCaps(dc.dc(), LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(dc.dc(), BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(dc.dc(), HORZRES), gdi::GetScreenSize().cx);

    BITMAP bm{};
    EXPECT_EQ(GetObject(dc.bitmap(), 0, nullptr), static_cast<int>(sizeof(BITMAP)));
    GetObject(dc.bitmap(), sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmWidthBytes, 12);

    LOGBRUSH lb{};
    HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(1, 2, 3));
    GetObject(hatch, sizeof lb, &lb);
    EXPECT_EQ(lb.lbStyle, BS_HATCHED);
    EXPECT_EQ(lb.lbColor, RGB(1, 2, 3));
    EXPECT_EQ(lb.lbHatch, static_cast<ULONG_PTR>(HS_CROSS));
    LOGPEN lp{};
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(4, 5, 6));
    GetObject(pen, sizeof lp, &lp);
    EXPECT_EQ(lp.lopnWidth.x, 3);
    EXPECT_EQ(lp.lopnColor, RGB(4, 5, 6));
    DeleteObject(hatch);
    DeleteObject(pen);
}

TEST_F(DcTest, SystemColoursAreTheClassicSchemeAndTheirBrushesFollowChanges)
{
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(128, 128, 128));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), RGB(64, 64, 64));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_HOTLIGHT), RGB(0, 0, 128));
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    EXPECT_EQ(face, GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_TRUE(DeleteObject(face)) << "system brushes are not deleted";

    int index = COLOR_BTNFACE;
    COLORREF changed = RGB(10, 20, 30);
    SetSysColors(1, &index, &changed);
    BitmapDC dc(1, 1);
    RECT r{0, 0, 1, 1};
    FillRect(dc.dc(), &r, face);
    EXPECT_EQ(dc.At(0, 0), changed);
    COLORREF classic = RGB(212, 208, 200);
    SetSysColors(1, &index, &classic);
    // FillRect takes a colour index + 1 in place of a brush.
    FillRect(dc.dc(), &r, reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BTNFACE + 1)));
    EXPECT_EQ(dc.At(0, 0), classic);
}

TEST_F(DcTest, AnUnknownHandleFailsEverywhere)
{
    HDC bogus = reinterpret_cast<HDC>(static_cast<std::uintptr_t>(0x1234));
    EXPECT_EQ(SetTextColor(bogus, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(bogus, 0, 0), CLR_INVALID);
    EXPECT_FALSE(BitBlt(bogus, 0, 0, 1, 1, bogus, 0, 0, SRCCOPY));
    EXPECT_EQ(SaveDC(bogus), 0);
    EXPECT_FALSE(DeleteDC(bogus));
    EXPECT_EQ(GetObject(bogus, 0, nullptr), 0);
    RECT r{0, 0, 1, 1};
    EXPECT_EQ(DrawTextW(bogus, u"x", 1, &r, 0), 0);
}

TEST_F(DcTest, ResourceImagesComeFromTheInstalledLoader)
{
    HINSTANCE module = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x400000));
    gdi::Surface picture(3, 2);
    picture.Fill(0x00123456);
    std::vector<UINT> types;
    gdi::SetResourceImageLoader([&](HINSTANCE instance, LPCWSTR name, UINT type, int, int, UINT) -> HANDLE {
        types.push_back(type);
        if (instance != module || reinterpret_cast<std::uintptr_t>(name) != 131)
            return nullptr;
        return gdi::CreateBitmapFromSurface(picture);
    });
    LPCWSTR id = reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(131));
    HBITMAP bitmap = LoadBitmapW(module, id);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(LoadImageW(module, reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(999)), IMAGE_ICON, 0, 0, 0),
              nullptr);
    EXPECT_EQ(types, (std::vector<UINT>{IMAGE_BITMAP, IMAGE_ICON}));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(gdi::SurfaceOfDC(dc), gdi::SurfaceOfBitmap(bitmap));
    picture.Fill(0);
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(0x12, 0x34, 0x56)) << "the bitmap holds a copy";
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    gdi::SetResourceImageLoader(nullptr);
    EXPECT_EQ(LoadBitmapW(module, id), nullptr) << "no loader, no resources";
}

TEST_F(DcTest, ADeletedObjectIsGoneForEveryThreadAndOthersAnswerForThemselves)
{
    // Each thread remembers the objects it looked up lately, several of them
    // in one place of its record: a handle must name its own object whatever
    // was looked up before it, and no object the moment it is deleted, also
    // for a thread that looked it up a moment before.
    std::vector<HBRUSH> brushes;
    for (int i = 0; i < 70; ++i)
        brushes.push_back(CreateSolidBrush(RGB(i, 255 - i, 7)));
    auto wrongAnswers = [&](const std::vector<bool>& gone) {
        int wrong = 0;
        for (int step = 0; step < 3; ++step) {
            for (std::size_t k = 0; k < brushes.size(); ++k) {
                const std::size_t i = (k * 16 + k / 5 + static_cast<std::size_t>(step)) % brushes.size();
                LOGBRUSH info{};
                const int got = GetObjectW(brushes[i], sizeof info, &info);
                const bool ok = gone[i] ? got == 0 && GetObjectType(brushes[i]) == 0
                                        : got == static_cast<int>(sizeof info)
                                              && info.lbColor == RGB(static_cast<int>(i), 255 - static_cast<int>(i), 7);
                wrong += ok ? 0 : 1;
            }
        }
        return wrong;
    };
    std::vector<bool> gone(brushes.size(), false);
    EXPECT_EQ(wrongAnswers(gone), 0);
    std::atomic<int> phase{0};
    std::atomic<int> wrongBefore{-1}, wrongAfter{-1};
    std::vector<bool> expected(brushes.size(), false);
    for (std::size_t i = 0; i < brushes.size(); i += 16)
        expected[i] = true;
    std::thread reader([&] {
        wrongBefore = wrongAnswers(std::vector<bool>(brushes.size(), false));
        phase = 1;
        while (phase != 2)
            std::this_thread::yield();
        wrongAfter = wrongAnswers(expected);
    });
    while (phase != 1)
        std::this_thread::yield();
    for (std::size_t i = 0; i < brushes.size(); i += 16)
        EXPECT_TRUE(DeleteObject(brushes[i]));
    phase = 2;
    reader.join();
    EXPECT_EQ(wrongBefore, 0);
    EXPECT_EQ(wrongAfter, 0);
    EXPECT_EQ(wrongAnswers(expected), 0);
    for (std::size_t i = 0; i < brushes.size(); ++i)
        if (!expected[i])
            DeleteObject(brushes[i]);
}
