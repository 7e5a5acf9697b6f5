// The paint cycle: the order of WM_NCPAINT, WM_ERASEBKGND and WM_PAINT,
// update regions, and what part of the surface each window's DC reaches.
#include "user/Dialog.h"
#include "user/Messages.h"
#include "user/Paint.h"

#include "gdi/Gdi.h"

#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace {

// Windows of this class fill their client area with the colour in their
// user data and record the paint messages they get.
struct PaintLog {
    std::vector<std::pair<HWND, UINT>> messages;
    std::vector<PAINTSTRUCT> paints;
};
PaintLog g_log;

LRESULT ProbeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_NCPAINT:
    case WM_ERASEBKGND:
        g_log.messages.emplace_back(hwnd, msg);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_PAINT: {
        g_log.messages.emplace_back(hwnd, msg);
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        g_log.paints.push_back(paint);
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
        FillRect(dc, &client, brush); // the DC keeps it inside the update region
        DeleteObject(brush);
        EndPaint(hwnd, &paint);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

const char16_t* ProbeClass()
{
    static bool registered = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = ProbeProc;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_WINDOW + 1));
        wc.lpszClassName = u"PaintProbe";
        return RegisterClassExW(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    return u"PaintProbe";
}

HWND Probe(HWND parent, DWORD style, RECT rect, COLORREF color)
{
    HWND hwnd = CreateWindowExW(0, ProbeClass(), u"probe", style, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, parent, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(color));
    return hwnd;
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
}

// The colour the window's surface shows at a screen point.
COLORREF ColorAt(HWND top, int x, int y)
{
    RECT rect;
    GetWindowRect(top, &rect);
    auto surface = user::SurfaceOf(top);
    return gdi::ColorFromPixel(surface->At(x - rect.left, y - rect.top) & 0xFFFFFF);
}

// A client point of hwnd in screen coordinates.
POINT Screen(HWND hwnd, int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(hwnd, &p);
    return p;
}

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class PaintTest : public ::testing::Test {
protected:
    void SetUp() override { g_log = {}; }
    void TearDown() override
    {
        for (HWND hwnd : m_windows)
            DestroyWindow(hwnd);
        Pump();
    }
    HWND Top(DWORD style = WS_POPUP | WS_CAPTION, COLORREF color = kRed)
    {
        HWND hwnd = Probe(nullptr, style, {100, 100, 400, 300}, color);
        m_windows.push_back(hwnd);
        return hwnd;
    }
    std::vector<HWND> m_windows;
};

TEST_F(PaintTest, ShowingFramesAndErasesAtOnceAndPaintsParentsFirstWhenIdle)
{
    HWND top = Top();
    HWND a = Probe(top, WS_CHILD | WS_VISIBLE | WS_BORDER, {10, 10, 60, 60}, kGreen);
    HWND b = Probe(top, WS_CHILD | WS_VISIBLE, {100, 10, 150, 60}, kBlue);
    ShowWindow(top, SW_SHOW);
    // During ShowWindow: the frame and the background of the window shown.
    std::vector<std::pair<HWND, UINT>> shown = {{top, WM_NCPAINT}, {top, WM_ERASEBKGND}};
    EXPECT_EQ(g_log.messages, shown);
    g_log.messages.clear();
    // When the thread is idle: the parent's paint, then each child's frame, paint and erase.
    Pump();
    std::vector<std::pair<HWND, UINT>> painted = {{top, WM_PAINT},      {b, WM_NCPAINT}, {b, WM_PAINT},
                                                  {b, WM_ERASEBKGND}, {a, WM_NCPAINT}, {a, WM_PAINT},
                                                  {a, WM_ERASEBKGND}};
    EXPECT_EQ(g_log.messages, painted);
    for (const auto& paint : g_log.paints)
        EXPECT_FALSE(paint.fErase); // the class brush erased every background

    // Children paint over their parent, which lacks WS_CLIPCHILDREN.
    POINT inA = Screen(a, 5, 5);
    POINT inB = Screen(b, 5, 5);
    POINT inTop = Screen(top, 200, 100);
    EXPECT_EQ(ColorAt(top, inA.x, inA.y), kGreen);
    EXPECT_EQ(ColorAt(top, inB.x, inB.y), kBlue);
    EXPECT_EQ(ColorAt(top, inTop.x, inTop.y), kRed);
    // A's WS_BORDER is its frame: one pixel of the window frame colour.
    RECT rect;
    GetWindowRect(a, &rect);
    EXPECT_EQ(ColorAt(top, rect.left, rect.top + 5), GetSysColor(COLOR_WINDOWFRAME));
}

TEST_F(PaintTest, BeginPaintErasesAndClipsToTheUpdateRegion)
{
    HWND top = Top();
    ShowWindow(top, SW_SHOW);
    Pump();
    g_log = {};
    SetWindowLongPtrW(top, GWLP_USERDATA, static_cast<LONG_PTR>(kBlue));
    RECT part = {10, 20, 30, 40};
    InvalidateRect(top, &part, TRUE);
    EXPECT_TRUE(user::NeedsErase(top));
    RECT update;
    EXPECT_TRUE(GetUpdateRect(top, &update, FALSE));
    EXPECT_TRUE(EqualRect(&update, &part));
    Pump();
    std::vector<std::pair<HWND, UINT>> order = {{top, WM_PAINT}, {top, WM_ERASEBKGND}};
    EXPECT_EQ(g_log.messages, order); // BeginPaint erases
    ASSERT_EQ(g_log.paints.size(), 1u);
    EXPECT_TRUE(EqualRect(&g_log.paints[0].rcPaint, &part));
    EXPECT_FALSE(g_log.paints[0].fErase); // the class brush erased it
    POINT inside = Screen(top, 15, 25);
    POINT outside = Screen(top, 50, 25);
    EXPECT_EQ(ColorAt(top, inside.x, inside.y), kBlue);
    EXPECT_EQ(ColorAt(top, outside.x, outside.y), kRed); // the fill stopped at the update region
    EXPECT_FALSE(user::NeedsPaint(top));
}

TEST_F(PaintTest, AnUnhandledEraseLeavesFEraseForThePaint)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ProbeProc;
    wc.lpszClassName = u"PaintProbeNoBrush";
    RegisterClassExW(&wc);
    HWND top = CreateWindowExW(0, u"PaintProbeNoBrush", u"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    m_windows.push_back(top);
    ShowWindow(top, SW_SHOW);
    Pump();
    ASSERT_EQ(g_log.paints.size(), 1u);
    EXPECT_TRUE(g_log.paints[0].fErase);
    g_log = {};
    InvalidateRect(top, nullptr, FALSE);
    Pump();
    ASSERT_EQ(g_log.paints.size(), 1u);
    EXPECT_FALSE(g_log.paints[0].fErase); // no erase was asked for
}

TEST_F(PaintTest, InvalidatingAParentReachesTheChildrenItCoversUnlessItClipsThem)
{
    for (DWORD clip : {DWORD{0}, WS_CLIPCHILDREN}) {
        HWND top = Top(WS_POPUP | clip);
        HWND child = Probe(top, WS_CHILD | WS_VISIBLE, {10, 10, 60, 60}, kGreen);
        HWND far = Probe(top, WS_CHILD | WS_VISIBLE, {200, 10, 250, 60}, kBlue);
        ShowWindow(top, SW_SHOW);
        Pump();
        RECT over = {0, 0, 30, 30};
        InvalidateRect(top, &over, TRUE);
        EXPECT_EQ(user::NeedsPaint(child), clip == 0);
        EXPECT_FALSE(user::NeedsPaint(far));
        Pump();
        // With or without the flag, the child still shows on top.
        POINT inChild = Screen(child, 5, 5);
        EXPECT_EQ(ColorAt(top, inChild.x, inChild.y), kGreen);
        // RDW_ALLCHILDREN reaches them whatever the styles.
        RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        EXPECT_TRUE(user::NeedsPaint(child));
        EXPECT_TRUE(user::NeedsPaint(far));
        // UpdateWindow paints them all before it returns.
        UpdateWindow(top);
        EXPECT_FALSE(user::NeedsPaint(child));
        EXPECT_FALSE(user::NeedsPaint(far));
    }
}

TEST_F(PaintTest, AParentsInvalidAreaRepaintsTheBordersOfChildrenItCoversAndNoFrameOfTheOthers)
{
    HWND top = Top(WS_POPUP);
    HWND bordered = Probe(top, WS_CHILD | WS_VISIBLE | WS_BORDER, {10, 10, 60, 60}, kGreen);
    HWND bare = Probe(top, WS_CHILD | WS_VISIBLE, {100, 10, 150, 60}, kBlue);
    ShowWindow(top, SW_SHOW);
    Pump();
    const auto pixels = [top] {
        auto surface = user::SurfaceOf(top);
        std::vector<gdi::Pixel> out;
        for (int y = 0; y < surface->Height(); ++y)
            for (int x = 0; x < surface->Width(); ++x)
                out.push_back(surface->At(x, y) & 0xFFFFFF);
        return out;
    };
    const std::vector<gdi::Pixel> whole = pixels();
    // The parent paints over both (it does not clip its children): the
    // bordered child's frame is painted again, and the other, which has
    // none, gets its erase and paint alone.
    g_log = {};
    RECT over = {0, 0, 200, 40};
    InvalidateRect(top, &over, TRUE);
    UpdateWindow(top);
    std::vector<std::pair<HWND, UINT>> painted = {{top, WM_PAINT},       {top, WM_ERASEBKGND},  {bare, WM_PAINT},
                                                  {bare, WM_ERASEBKGND}, {bordered, WM_NCPAINT}, {bordered, WM_PAINT},
                                                  {bordered, WM_ERASEBKGND}};
    EXPECT_EQ(g_log.messages, painted);
    EXPECT_EQ(pixels(), whole) << "the repaint shows what the first full paint showed";
    // Asked for, a frame is sent to every window, as when a window is shown.
    g_log = {};
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    int frames = 0;
    for (const auto& [hwnd, msg] : g_log.messages)
        frames += msg == WM_NCPAINT && hwnd == bare;
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(pixels(), whole);
}

TEST_F(PaintTest, SiblingsAboveClipAChildWithClipSiblings)
{
    HWND top = Top(WS_POPUP);
    // Children are listed top of the z-order first: "above" is made first here.
    HWND above = Probe(top, WS_CHILD | WS_VISIBLE, {20, 20, 80, 80}, kGreen);
    HWND clipped = Probe(top, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, {50, 50, 120, 120}, kBlue);
    HWND plain = Probe(top, WS_CHILD | WS_VISIBLE, {150, 20, 220, 80}, kBlue);
    HWND over = Probe(top, WS_CHILD | WS_VISIBLE, {140, 10, 170, 40}, kGreen);
    SetWindowPos(over, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(top, SW_SHOW);
    Pump();
    // Paint the lower ones again, alone: only the clipped one spares its sibling.
    RedrawWindow(clipped, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RedrawWindow(plain, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    POINT shared = Screen(top, 60, 60);
    EXPECT_EQ(ColorAt(top, shared.x, shared.y), kGreen);
    POINT own = Screen(top, 100, 100);
    EXPECT_EQ(ColorAt(top, own.x, own.y), kBlue);
    POINT overlap = Screen(top, 155, 30);
    EXPECT_EQ(ColorAt(top, overlap.x, overlap.y), kBlue); // no WS_CLIPSIBLINGS: it paints over
    (void)above;
}

TEST_F(PaintTest, ADCStaysInsideTheParentsClientAreaAndTheWindowRegion)
{
    HWND top = Top(WS_POPUP | WS_CAPTION);
    HWND child = Probe(top, WS_CHILD | WS_VISIBLE, {250, 150, 400, 300}, kGreen); // runs past the client area
    ShowWindow(top, SW_SHOW);
    Pump();
    RECT client;
    GetClientRect(top, &client);
    POINT corner = Screen(top, client.right - 1, client.bottom - 1);
    EXPECT_EQ(ColorAt(top, corner.x, corner.y), kGreen);
    RECT window;
    GetWindowRect(top, &window);
    // The bottom frame is still the frame.
    EXPECT_NE(ColorAt(top, corner.x, window.bottom - 1), kGreen);

    // A region cuts the child to its left half.
    SetWindowRgn(child, CreateRectRgn(0, 0, 20, 150), TRUE);
    SetWindowLongPtrW(child, GWLP_USERDATA, static_cast<LONG_PTR>(kBlue));
    RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    POINT left = Screen(child, 5, 5);
    POINT right = Screen(child, 30, 5);
    EXPECT_EQ(ColorAt(top, left.x, left.y), kBlue);
    EXPECT_EQ(ColorAt(top, right.x, right.y), kGreen);
}

TEST_F(PaintTest, TheSurfaceFollowsAResizeAndHidingAChildRepaintsItsPlace)
{
    HWND top = Top(WS_POPUP);
    HWND child = Probe(top, WS_CHILD | WS_VISIBLE, {10, 10, 40, 40}, kGreen);
    ShowWindow(top, SW_SHOW);
    Pump();
    SetWindowPos(top, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    auto surface = user::SurfaceOf(top);
    EXPECT_EQ(surface->Width(), 500);
    EXPECT_EQ(surface->Height(), 400);
    Pump();
    POINT far = Screen(top, 450, 350);
    EXPECT_EQ(ColorAt(top, far.x, far.y), kRed);

    POINT inChild = Screen(child, 5, 5);
    ShowWindow(child, SW_HIDE);
    Pump();
    EXPECT_EQ(ColorAt(top, inChild.x, inChild.y), kRed);
}

// A dialog's background comes from the brush its WM_CTLCOLORDLG returns.
INT_PTR GreenDialog(HWND, UINT msg, WPARAM, LPARAM)
{
    static HBRUSH green = CreateSolidBrush(kGreen);
    if (msg == WM_CTLCOLORDLG)
        return reinterpret_cast<INT_PTR>(green);
    return msg == WM_INITDIALOG;
}

TEST_F(PaintTest, ADialogErasesWithItsControlColourBrush)
{
    user::DialogTemplate tmpl;
    tmpl.style = WS_POPUP | WS_CAPTION;
    tmpl.cx = 100;
    tmpl.cy = 50;
    HWND dialog = CreateDialogIndirectParamW(nullptr, tmpl, nullptr, GreenDialog, 0);
    m_windows.push_back(dialog);
    ShowWindow(dialog, SW_SHOW);
    POINT inside = Screen(dialog, 20, 20);
    EXPECT_EQ(ColorAt(dialog, inside.x, inside.y), kGreen); // erased during ShowWindow
}

} // namespace

namespace {

// Children of this class invalidate the window named in their user data
// when they paint, as a control that repaints a neighbour does.
HWND g_invalidatedByPaint = nullptr;

LRESULT NeighbourProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT && g_invalidatedByPaint) {
        InvalidateRect(g_invalidatedByPaint, nullptr, TRUE);
        g_invalidatedByPaint = nullptr;
    }
    return ProbeProc(hwnd, msg, wParam, lParam);
}

} // namespace

TEST_F(PaintTest, UpdateWindowPaintsAChildThatAnEarlierChildsPaintInvalidated)
{
    // UpdateWindow passes over the children with nothing to paint; one made
    // invalid while an earlier one paints is still painted before it returns.
    static bool registered = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = NeighbourProc;
        wc.lpszClassName = u"PaintNeighbour";
        return RegisterClassExW(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    HWND top = Top(WS_POPUP);
    // The list is top of the z-order first and UpdateWindow paints bottom
    // first: the last child made paints first.
    std::vector<HWND> idle;
    HWND later = Probe(top, WS_CHILD | WS_VISIBLE, {200, 10, 250, 60}, kBlue);
    for (int i = 0; i < 5; ++i)
        idle.push_back(Probe(top, WS_CHILD | WS_VISIBLE, {10 + 30 * i, 100, 30 + 30 * i, 120}, kGreen));
    HWND first = CreateWindowExW(0, u"PaintNeighbour", u"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, top, nullptr,
                                 nullptr, nullptr);
    SetWindowLongPtrW(first, GWLP_USERDATA, static_cast<LONG_PTR>(kRed));
    ShowWindow(top, SW_SHOW);
    UpdateWindow(top);
    Pump();
    ASSERT_FALSE(user::NeedsPaint(later));

    g_log = {};
    RECT inFirst = {0, 0, 10, 10};
    InvalidateRect(first, &inFirst, FALSE);
    g_invalidatedByPaint = later;
    UpdateWindow(top);
    EXPECT_EQ(g_invalidatedByPaint, nullptr) << "the first child was not painted";
    EXPECT_FALSE(user::NeedsPaint(later));
    std::vector<HWND> painted;
    for (const auto& [hwnd, msg] : g_log.messages)
        if (msg == WM_PAINT)
            painted.push_back(hwnd);
    EXPECT_EQ(painted, (std::vector<HWND>{first, later}));
    POINT inLater = Screen(later, 5, 5);
    EXPECT_EQ(ColorAt(top, inLater.x, inLater.y), kBlue);
}

TEST_F(PaintTest, AChildPaintedBeforeItsUnclippedParentIsPaintedAgainAfterIt)
{
    // Both invalid; the child paints first (another thread's invalidation can
    // come between the child being chosen and its BeginPaint), then the
    // parent, whose DC is not clipped to its children, paints over it: the
    // child paints again after it.
    HWND top = Top(WS_POPUP);
    HWND child = Probe(top, WS_CHILD | WS_VISIBLE, {10, 10, 60, 60}, kBlue);
    HWND beside = Probe(top, WS_CHILD | WS_VISIBLE, {200, 10, 250, 60}, kGreen);
    ShowWindow(top, SW_SHOW);
    UpdateWindow(top);
    Pump();
    auto painted = [] {
        std::vector<HWND> windows;
        for (const auto& [hwnd, msg] : g_log.messages)
            if (msg == WM_PAINT)
                windows.push_back(hwnd);
        g_log = {};
        return windows;
    };

    RECT left = {0, 0, 100, 100};
    InvalidateRect(top, &left, TRUE);
    ASSERT_TRUE(user::NeedsPaint(child));
    ASSERT_FALSE(user::NeedsPaint(beside));
    g_log = {};
    RedrawWindow(child, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
    EXPECT_EQ(painted(), std::vector<HWND>{child});
    EXPECT_TRUE(user::NeedsPaint(child)) << "what the parent will paint over waits for the parent";

    UpdateWindow(top);
    EXPECT_EQ(painted(), (std::vector<HWND>{top, child})) << "the child under the parent's paint, and only it, again";
    POINT inChild = Screen(child, 5, 5);
    EXPECT_EQ(ColorAt(top, inChild.x, inChild.y), kBlue);
    EXPECT_FALSE(user::NeedsPaint(child));

    // With no paint of the parent pending, a child's paint leaves it valid.
    InvalidateRect(child, nullptr, TRUE);
    UpdateWindow(child);
    EXPECT_EQ(painted(), std::vector<HWND>{child});
    EXPECT_FALSE(user::NeedsPaint(child));
}
