// The progress bar's range and position, its picture, and a worker moving it
// and filling a tree view while the GUI thread runs the dialog modally.
#include "ControlTest.h"
#include "ScriptModule.h"

#include "user/Automation.h"
#include "user/ControlAutomation.h"
#include "user/Dialog.h"
#include "user/Paint.h"
#include "user/Resources.h"

#include <future>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace automation = user::automation;

namespace {

class ProgressTest : public GdiTest {
protected:
    void SetUp() override
    {
        GdiTest::SetUp();
        bar = CreateWindowExW(0, PROGRESS_CLASS, u"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent.hwnd, nullptr,
                              nullptr, nullptr);
        ASSERT_NE(bar, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(bar);
        GdiTest::TearDown();
    }

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageW(bar, msg, wParam, lParam); }

    NotifyParent parent;
    HWND bar = nullptr;
};

} // namespace

TEST_F(ProgressTest, ThePositionStaysInTheRangeAndMovesReturnThePreviousOne)
{
    EXPECT_EQ(Send(PBM_GETRANGE, TRUE), 0);
    EXPECT_EQ(Send(PBM_GETRANGE, FALSE), 100);
    EXPECT_EQ(Send(PBM_SETPOS, 81), 0);
    EXPECT_EQ(Send(PBM_SETPOS, 150), 81);
    EXPECT_EQ(Send(PBM_GETPOS), 100);
    EXPECT_EQ(Send(PBM_SETPOS, static_cast<WPARAM>(-5)), 100);
    EXPECT_EQ(Send(PBM_GETPOS), 0);

    // A new range pulls the position into it and answers the old range.
    EXPECT_EQ(Send(PBM_SETRANGE, 0, MAKELPARAM(10, 20)), MAKELPARAM(0, 100));
    EXPECT_EQ(Send(PBM_GETPOS), 10);
    EXPECT_EQ(Send(PBM_DELTAPOS, 7), 10);
    EXPECT_EQ(Send(PBM_DELTAPOS, 7), 17);
    EXPECT_EQ(Send(PBM_GETPOS), 20);

    // 32-bit limits may be negative.
    Send(PBM_SETRANGE32, static_cast<WPARAM>(-50), 50);
    PBRANGE range = {};
    EXPECT_EQ(Send(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range)), -50);
    EXPECT_EQ(range.iLow, -50);
    EXPECT_EQ(range.iHigh, 50);
    Send(PBM_SETPOS, static_cast<WPARAM>(-60));
    EXPECT_EQ(Send(PBM_GETPOS), -50);

    // Stepping past the end starts again from the low end.
    EXPECT_EQ(Send(PBM_SETSTEP, 40), 10);
    Send(PBM_SETPOS, 30);
    EXPECT_EQ(Send(PBM_STEPIT), 30);
    EXPECT_EQ(Send(PBM_GETPOS), -30);
}

TEST_F(ProgressTest, ASmoothBarIsContinuousAndTheClassicBarIsMadeOfBlocks)
{
    const COLORREF fill = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    Send(PBM_SETPOS, 50);
    {
        BitmapDC canvas(100, 20, RGB(1, 2, 3));
        Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), 0);
        // A frame, one pixel of face, then blocks 11 wide and 2 apart over
        // half of the 96 inner pixels.
        EXPECT_EQ(canvas.At(2, 10), fill);
        EXPECT_EQ(canvas.At(12, 10), fill);
        EXPECT_EQ(canvas.At(13, 10), face);
        EXPECT_EQ(canvas.At(15, 10), fill);
        EXPECT_EQ(canvas.At(1, 10), face);
        EXPECT_EQ(canvas.At(70, 10), face);
        EXPECT_NE(canvas.At(0, 0), RGB(1, 2, 3)); // the frame
    }
    SetWindowLongPtrW(bar, GWL_STYLE, WS_CHILD | WS_VISIBLE | PBS_SMOOTH);
    {
        BitmapDC canvas(100, 20, RGB(1, 2, 3));
        Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), 0);
        for (int x = 2; x < 50; ++x)
            ASSERT_EQ(canvas.At(x, 10), fill) << x;
        EXPECT_EQ(canvas.At(50, 10), face);
    }
    Send(PBM_SETPOS, 0);
    BitmapDC empty(100, 20);
    Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(empty.dc()), 0);
    EXPECT_EQ(empty.At(2, 10), face);
}

namespace {

// Whether the bar on screen shows what a paint of the whole bar at its
// present position draws.
::testing::AssertionResult ShowsItsWholePicture(HWND bar)
{
    BitmapDC expected(100, 20, RGB(1, 2, 3));
    SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(expected.dc()), 0);
    HDC screen = GetDC(bar);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 100; ++x)
            if (GetPixel(screen, x, y) != expected.At(x, y)) {
                ReleaseDC(bar, screen);
                return ::testing::AssertionFailure() << "differs at " << x << "," << y;
            }
    ReleaseDC(bar, screen);
    return ::testing::AssertionSuccess();
}

bool IsValid(HWND bar)
{
    RECT update;
    return !GetUpdateRect(bar, &update, FALSE);
}

} // namespace

TEST_F(ProgressTest, AMoveRepaintsOnlyTheColumnsItChangesAndTheScreenMatchesAWholePaint)
{
    Send(PBM_SETRANGE32, 0, 96'000);
    UpdateWindow(parent.hwnd); // the parent's first paint covers the bar's
    ASSERT_TRUE(IsValid(bar));
    for (bool smooth : {false, true}) {
        // A style change is no move: the next move repaints the whole bar.
        SetWindowLongPtrW(bar, GWL_STYLE, WS_CHILD | WS_VISIBLE | (smooth ? PBS_SMOOTH : 0));
        for (int position : {0, 1'000, 1'999, 2'000, 13'000, 12'999, 15'000, 26'000, 96'000, 95'999, 40'000, 0}) {
            Send(PBM_SETPOS, static_cast<WPARAM>(position));
            UpdateWindow(bar);
            ASSERT_TRUE(ShowsItsWholePicture(bar)) << position << (smooth ? " smooth" : " blocks");
        }
        // Within one inner column (a thousand positions wide) nothing repaints.
        Send(PBM_SETPOS, 41'200);
        UpdateWindow(bar);
        Send(PBM_SETPOS, 41'700);
        EXPECT_TRUE(IsValid(bar));
        // A classic bar's block counts whole, so a move within it changes no pixel either.
        Send(PBM_SETPOS, smooth ? 42'000 : 43'000);
        EXPECT_EQ(IsValid(bar), !smooth);
        UpdateWindow(bar);
        EXPECT_TRUE(ShowsItsWholePicture(bar));
    }
}

TEST_F(ProgressTest, AnAreaInvalidAcrossBlocksRepaintsAsAWholePaintDoesAndNothingOutsideIt)
{
    Send(PBM_SETRANGE32, 0, 100);
    Send(PBM_SETPOS, 73);
    UpdateWindow(parent.hwnd);
    BitmapDC expected(100, 20, RGB(1, 2, 3));
    SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(expected.dc()), 0);
    // Areas whose edges cut blocks (and the gaps between them) at every
    // column: inside, the paint shows the whole picture; outside, it left
    // what was there.
    const COLORREF stain = RGB(255, 0, 255);
    for (int left = 0; left < 60; left += 3) {
        HDC screen = GetDC(bar);
        HBRUSH brush = CreateSolidBrush(stain);
        RECT all{0, 0, 100, 20};
        FillRect(screen, &all, brush);
        DeleteObject(brush);
        ReleaseDC(bar, screen);
        RECT area{left, 4, left + 7 + left % 5, 15};
        InvalidateRect(bar, &area, FALSE);
        UpdateWindow(bar);
        screen = GetDC(bar);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 100; ++x) {
                const POINT p{x, y};
                ASSERT_EQ(GetPixel(screen, x, y), PtInRect(&area, p) ? expected.At(x, y) : stain)
                    << "area from " << left << ", pixel " << x << "," << y;
            }
        ReleaseDC(bar, screen);
    }
}

namespace {

const char* kScript = R"rc(
600 DIALOGEX 0, 0, 200, 150
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_VISIBLE
CAPTION "Folders"
BEGIN
    CONTROL "", 1023, "SysTreeView32", TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_DISABLEDRAGDROP | TVS_CHECKBOXES | WS_BORDER | WS_TABSTOP, 5, 5, 190, 100
    CONTROL "", 1019, "msctls_progress32", PBS_SMOOTH | WS_BORDER, 5, 110, 190, 10
    DEFPUSHBUTTON "Next", IDOK, 140, 128, 50, 14
END
)rc";

HINSTANCE Module()
{
    static HINSTANCE module = RegisterScript(kScript, 0x7790);
    return module;
}

INT_PTR PlainDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

} // namespace

TEST(ControlThreads, AWorkerFillsTheTreeAndMovesTheBarWhileTheDialogRunsModally)
{
    auto run = std::async(std::launch::async,
                          [] { return DialogBoxParamW(Module(), 600, nullptr, PlainDialogProc, 0); });
    HWND dialog = automation::WaitForWindow(u"Folders");
    // A failing check must not leave the dialog's thread running forever.
    struct EndOnExit {
        HWND dialog;
        ~EndOnExit() { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); }
    } end{dialog};
    ASSERT_NE(dialog, nullptr);
    HWND tree = GetDlgItem(dialog, 1023);
    HWND bar = GetDlgItem(dialog, 1019);
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(bar, nullptr);
    EXPECT_NE(GetWindowThreadProcessId(tree, nullptr), GetCurrentThreadId());

    // The worker inserts and reports progress while the user ticks what is there.
    constexpr int kFolders = 60;
    std::thread worker([&] {
        HTREEITEM top = InsertTreeItem(tree, TVI_ROOT, u"Lotus Notes");
        for (int i = 0; i < kFolders; ++i) {
            InsertTreeItem(tree, top, u"Folder " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26))
                                      + std::u16string(1, static_cast<char16_t>(u'a' + i / 26)));
            SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(i * 100 / kFolders), 0);
        }
    });
    ASSERT_TRUE(automation::WaitUntil([&] { return automation::FindTreeItem(tree, {u"Lotus Notes"}) != nullptr; }));
    HTREEITEM top = automation::FindTreeItem(tree, {u"Lotus Notes"});
    ASSERT_TRUE(automation::ClickTreeItem(tree, top, TVHT_ONITEMSTATEICON));
    worker.join();

    EXPECT_TRUE(automation::WaitUntil([&] { return automation::TreeItemStateImage(tree, top) == 2; }));
    auto texts = automation::TreeChildTexts(tree, top);
    ASSERT_EQ(texts.size(), static_cast<std::size_t>(kFolders));
    EXPECT_EQ(texts.front(), u"Folder Aa");
    EXPECT_EQ(texts.back(), u"Folder Hc");
    EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), kFolders + 1);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), (kFolders - 1) * 100 / kFolders);
    EXPECT_TRUE(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_SMOOTH);

    automation::PressKey(dialog, VK_ESCAPE);
    ASSERT_EQ(run.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(run.get(), IDCANCEL);
}
